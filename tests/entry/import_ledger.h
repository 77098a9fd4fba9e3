#pragma once
// What the host holds after imports, as a shop's books see it: every receipt
// by its number, every other-information record, the sums of each sale day,
// the cash states and the ordered lines. Two runs that lost or repeated
// nothing have equal ledgers, however the records fell into files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sim/register_state.h"
#include "sim/sales.h"

namespace ztest {

struct Ledger {
    std::map<std::string, std::vector<std::string>> receipts;  // "[Paragon nr N]" -> each block handed over
    std::map<std::string, int> others;                         // "[INNA_OPER]" blocks
    std::map<std::string, long long> sums;                     // "day|section|key" -> summed numbers
    std::map<std::string, int> cashStates;                     // "[STAN_KASY]" blocks
    std::map<std::string, int> orders;                         // "Linia:" lines of the order documents

    // One "kasa.imp" the host accepted.
    void add(const std::string& kasa) {
        std::istringstream in(kasa);
        std::string line, section, block, day;
        std::vector<std::pair<std::string, std::string>> blocks;  // section, its lines
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '[') {
                if (!section.empty()) blocks.emplace_back(section, block);
                section = line, block.clear();
                continue;
            }
            if (line.empty()) continue;
            block += line + "\n";
            if (line.rfind("DATA_SPRZEDAZY;", 0) == 0) day = line.substr(15, 8);
        }
        if (!section.empty()) blocks.emplace_back(section, block);
        for (const auto& [name, text] : blocks) {
            if (name.rfind("[Paragon nr ", 0) == 0)
                receipts[name].push_back(text);
            else if (name == "[INNA_OPER]")
                ++others[text];
            else if (name == "[STAN_KASY]")
                ++cashStates[text];
            else if (name == "[TOWAROWE]" || name == "[FINANSOWE]" || name == "[RAPORT_GODZINOWY]" ||
                     name == "[RAPORT_WALUTOWY]")
                addSums(day + "|" + name, text);
        }
    }

    // The order documents of a folder.
    void addOrders(const std::filesystem::path& folder) {
        if (!std::filesystem::is_directory(folder)) return;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            std::ifstream in(e.path(), std::ios::binary);
            std::string line;
            while (std::getline(in, line))
                if (line.rfind("Linia:", 0) == 0) ++orders[line];
        }
    }

    // Rows "kind;key fields...;number;number": the trailing numbers add up
    // under the leading text (one number: "VAT;slot;..." and "WPLATY;1000").
    void addSums(const std::string& where, const std::string& text) {
        std::istringstream in(text);
        std::string row;
        while (std::getline(in, row)) {
            std::vector<std::string> f;
            std::stringstream ss(row);
            for (std::string x; std::getline(ss, x, ';');) f.push_back(x);
            std::size_t keys = 1;
            if (f[0] == "PLU") keys = 3;
            if (f[0] == "GODZ" || f[0] == "VAT" || f[0] == "WALUTA") keys = 2;
            std::string key = where;
            for (std::size_t i = 0; i < keys && i < f.size(); ++i) key += "|" + f[i];
            for (std::size_t i = keys; i < f.size(); ++i) sums[key + "#" + std::to_string(i)] += std::stoll(f[i]);
        }
        // Days without a sum are no difference.
        std::erase_if(sums, [](const auto& s) { return s.second == 0; });
    }

    // Receipts handed over more than once, as text for a failure message.
    std::string repeated() const {
        std::string out;
        for (const auto& [name, copies] : receipts)
            if (copies.size() != 1) out += name + " x" + std::to_string(copies.size()) + " ";
        return out;
    }
};

// What the register does between a failed import and the next one.
struct Between {
    const char* name;
    void (*act)(zt::sim::RegisterState&);  // nullptr: nothing
};

// The shop sells on: new receipts and higher counters (goods, a package, the
// cashier's statistics).
inline void sellMore(zt::sim::RegisterState& s) {
    using namespace zt::sim;
    s.clock = SimDateTime{2024, 5, 8, 21, 30, 0};
    sellReceipt(s, Sale().at(s.clock).item(1, 3000).item(3, 1000).package(1, 2000));
    payIn(s, 1234);
}

inline const Between kBetween[] = {{"the register unchanged", nullptr}, {"the register sold more", sellMore}};

// The cash states of both: a snapshot the host got twice counts once.
inline Ledger withCashStatesOf(Ledger l, const Ledger& other) {
    for (const auto& [text, n] : other.cashStates) l.cashStates[text] = std::max(l.cashStates[text], n);
    return l;
}

// Prints the first difference of two ledgers.
inline void expectSameLedger(const Ledger& clean, const Ledger& got) {
    EXPECT_EQ(got.repeated(), "");
    EXPECT_EQ(got.receipts, clean.receipts);
    EXPECT_EQ(got.others, clean.others);
    EXPECT_EQ(got.sums, clean.sums);
    EXPECT_EQ(got.cashStates, clean.cashStates);
    EXPECT_EQ(got.orders, clean.orders);
}

// The register of the recovery tests: three days of receipts of every kind
// (goods, sets, packages sold and returned, voided lines, discounts, a card
// discount, card and currency payments with change, a cancelled receipt),
// pay-ins, pay-outs, orders and the daily reports, over sales counters that
// already hold the earlier days.
inline zt::sim::RegisterState recoveryRegister() {
    using namespace zt::sim;
    RegisterState s = defaultRegisterState();
    s.receipts.clear();
    for (int d = 6; d <= 8; ++d) {
        const auto at = [d](int h, int m) { return SimDateTime{2024, 5, d, h, m, 0}; };
        s.clock = at(8, 0);
        sellReceipt(s, Sale().at(at(8, 5)).item(1, 2000).item(2, 1000).package(1, 1000));
        payIn(s, 5000 + d);
        sellReceipt(s, Sale().at(at(9, 0)).item(4, 1000).discount(20).voided(2, 1000).pay(2, 379));
        sellReceipt(s, Sale().at(at(9, 30)).item(3, 1000).receiptDiscount(10, "99001234567891").payCurrency(3, 100));
        sellReceipt(s, Sale().at(at(10, 0)).item(1, 1000).cancel());
        placeOrder(s, 3, 1000 * d);
        sellReceipt(s, Sale().at(at(11, 0)).item(10, 1000).packageReturn(1, 1000).pay(1, 1000));
        payOut(s, 700 + d, "Kurier");
        sellReceipt(s, Sale().at(at(12, 0)).item(2, 2000));
        runDailyReport(s, at(20, 0));
    }
    s.clock = SimDateTime{2024, 5, 8, 21, 0, 0};
    return s;
}

}  // namespace ztest
