// Every command the plug-in sends, with the request fields its drivers send,
// answered in the field layout the drivers read back: type letters by index,
// exact counts where a driver counts fields, end-of-reading codes and refusals
// of requests laid out otherwise. Also: fault counts restart for a new TCP client.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "proto/combo_data.h"
#include "proto/commands.h"
#include "proto/framing.h"
#include "sim/register_engine.h"
#include "sim/register_simulator.h"
#include "sim/sim_client.h"

namespace zt::sim {
namespace {

using F = TComboFraming;
using Fields = std::vector<std::string>;

struct Reply {
    std::vector<std::uint16_t> codes;  // every answer frame, the final one last
    TComboDataSet fields;              // of the final answer
    std::string types;                 // its type letters
};

struct Register {
    RegisterEngine engine{defaultRegisterState()};
    std::uint32_t seq = 10;

    Reply ask(std::uint16_t code, const Fields& fields = {}) {
        auto out = engine.handleFrame(buildFrame(0, ++seq, code, fields));
        Reply r;
        for (const auto& w : out.replies) {
            const std::string logical = unstuff(w.wire);
            EXPECT_EQ(frameSequence(logical), seq);
            r.codes.push_back(frameCommand(logical));
            r.fields.ParseFromPacket(logical, nullptr);
        }
        for (std::size_t i = 0; i < r.fields.Count(); ++i) r.types += r.fields[i].Type();
        return r;
    }
    // The execution code of a status answer (transmission status 0), -1 otherwise.
    int statusW(const Fields& f, std::uint16_t code) {
        Reply r = ask(code, f);
        if (r.codes.empty() || r.codes.back() != 0 || r.types != "BVV" || r.fields[1].AsV() != 0) return -1;
        return r.fields[2].AsV();
    }
};

// Type letters by answer index; '.' = a field the plug-in does not read.
bool matches(const std::string& types, const std::string& pattern, bool exact) {
    if (exact ? types.size() != pattern.size() : types.size() < pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (pattern[i] != '.' && pattern[i] != types[i]) return false;
    return true;
}

struct Row {
    const char* name;
    std::vector<std::pair<std::uint16_t, Fields>> before;  // e.g. the context initialisation
    std::uint16_t code;
    Fields request;
    std::size_t repeats;  // of the layout's repeated group, in the default register
    bool exact;           // the answer has exactly these fields
};

// The answer layout the drivers read, from the command table, with its
// repeated group the given number of times.
std::string layoutOf(std::uint16_t code, std::size_t repeats = 0, std::string_view answer = {}) {
    const CommandInfo* c = FindCommand(code);
    if (!c) return "?";
    std::string s(answer.empty() ? c->answer : answer);
    for (std::size_t i = 0; i < repeats; ++i) s += c->repeated;
    return s;
}

// The type letters of encoded request fields.
std::string typesOf(const Fields& fields) {
    std::string s;
    for (const auto& f : fields) s += f.substr(0, 1);
    return s;
}

std::vector<Row> rows() {
    const Fields init0 = {F::EncodeB(0), F::EncodeB(0)}, init2 = {F::EncodeB(2), F::EncodeB(2)};
    const Fields next = {F::EncodeV(0), F::EncodeB(1)};
    return {
        // Identification and the connection test.
        {"TIMEGET", {}, cmdTIMEGET, {}, 0, true},
        {"DATEGET", {}, cmdDATEGET, {}, 0, true},
        {"HEADERGET", {}, cmdHEADERGET, {}, 3, true},  // 3 lines in fields 2, 4, 6
        {"VATGET", {}, cmdVATGET, {}, 7, true},        // one V per slot, nothing else
        {"CASHREGPARGET", {}, cmdCASHREGPARGET, {}, 0, false},
        {"CASHREGSTATUSGET", {}, cmdCASHREGSTATUSGET, {}, 0, false},
        {"DBSTATUSGET", {}, cmdDBSTATUSGET, {}, 0, false},
        {"DISCNTCARDCFGGETEX", {}, cmdDISCNTCARDCFGGETEX, {}, 0, false},
        // Import: sales, cash state.
        {"CNTXPLUINIT", {}, cmdCNTXPLUINIT, init2, 0, true},
        {"PLUSTATREAD", {{cmdCNTXPLUINIT, init2}}, cmdPLUSTATREAD, next, 0, false},
        {"CNTXPACKINIT", {}, cmdCNTXPACKINIT, init2, 0, true},
        {"PACKSTATREAD", {{cmdCNTXPACKINIT, init2}}, cmdPACKSTATREAD, next, 0, false},
        {"USERREAD", {}, cmdUSERREAD, {F::EncodeV(1)}, 0, false},
        // Cashier 1 is logged in with three payment forms: count in 16, pairs from 18.
        {"USERSTATREAD", {}, cmdUSERSTATREAD, {F::EncodeV(1), F::EncodeB(0)}, 3, true},
        {"PAYFORMREAD euro", {}, cmdPAYFORMREAD, {F::EncodeV(3)}, 0, true},
        // Comparison and goods import: the register's lists.
        {"PLUREAD", {{cmdCNTXPLUINIT, init0}}, cmdPLUREAD, next, 0, false},
        {"PACKREAD", {{cmdCNTXPACKINIT, init0}}, cmdPACKREAD, {F::EncodeV(0)}, 0, false},
        {"CNTXGROUPINIT", {}, cmdCNTXGROUPINIT, init0, 0, true},
        {"GROUPREAD", {{cmdCNTXGROUPINIT, init0}}, cmdGROUPREAD, {F::EncodeV(0)}, 0, false},
        {"CNTXMUINIT", {}, cmdCNTXMUINIT, init0, 0, true},
        {"MUREAD", {{cmdCNTXMUINIT, init0}}, cmdMUREAD, {F::EncodeV(0)}, 0, false},
        // Export: programming.
        {"PLUINS",
         {},
         cmdPLUINS,
         {F::EncodeV(50), F::EncodeS("Bulka"), F::EncodeS("5900000000505"), F::EncodeN(99), F::EncodeN(0),
          F::EncodeB(0), F::EncodeB(1), F::EncodeB(0), F::EncodeB(1), F::EncodeB(2), F::EncodeB(0), F::EncodeB(1),
          F::EncodeB(1), F::EncodeB(0), F::EncodeB(1), F::EncodeB(0)},
         0,
         true},
        {"PLUPRICEUPDATE", {}, cmdPLUPRICEUPDATE, {F::EncodeV(1), F::EncodeN(480)}, 0, true},
        {"PLUDEL", {}, cmdPLUDEL, {F::EncodeV(1), F::EncodeB(0), F::EncodeB(0)}, 0, true},
        {"PACKINS",
         {},
         cmdPACKINS,
         {F::EncodeV(99), F::EncodeS("Kosz"), F::EncodeS("KOSZ"), F::EncodeN(300), F::EncodeN(0), F::EncodeB(1),
          F::EncodeB(1), F::EncodeB(0)},
         0,
         true},
        {"PACKDEL", {}, cmdPACKDEL, {F::EncodeV(2), F::EncodeB(0), F::EncodeB(0)}, 0, true},
        {"GROUPINS", {}, cmdGROUPINS, {F::EncodeV(4), F::EncodeS("Napoje"), F::EncodeB(1), F::EncodeB(1)}, 0, true},
        {"MUINS", {}, cmdMUINS, {F::EncodeV(4), F::EncodeS("opak."), F::EncodeS("opak"), F::EncodeB(1)}, 0, true},
        {"USERINS",
         {},
         cmdUSERINS,
         {F::EncodeV(3), F::EncodeS("Wisniewska"), F::EncodeS("WIS"), F::EncodeS("1000000003"), F::EncodeS(""),
          F::EncodeV(0xFFFE), F::EncodeB(255), F::EncodeB(6), F::EncodeB(1), F::EncodeB(1)},
         0,
         true},
        {"PAYFORMINS",
         {},
         cmdPAYFORMINS,
         {F::EncodeV(3), F::EncodeS("Euro"), F::EncodeB(1), F::EncodeV(7), F::EncodeS("EUR"), F::EncodeN(43500),
          F::EncodeB(1), F::EncodeB(1)},
         0,
         true},
        // Service operations.
        {"PLUDELALL", {}, cmdPLUDELALL, {F::EncodeB(0)}, 0, true},
        {"PACKDELALL", {}, cmdPACKDELALL, {F::EncodeB(0)}, 0, true},
        {"PLUSTATCLEARALL", {}, cmdPLUSTATCLEARALL, {F::EncodeB(1), F::EncodeB(1)}, 0, true},
        {"PACKSTATCLEARALL", {}, cmdPACKSTATCLEARALL, {F::EncodeB(1)}, 0, true},
        // Complex sequences.
        {"REPFSKDAILY",
         {},
         cmdREPFSKDAILY,
         {F::EncodeB(6), F::EncodeB(5), F::EncodeV(2024), F::EncodeB(21), F::EncodeB(5)},
         0,
         true},
        {"REPCOMM", {}, cmdREPCOMM, {}, 0, true},
        // Receipts: alarm in 0, record type in 2.
        {"SALERECGET", {}, cmdSALERECGET, {F::EncodeB(0)}, 0, false},
    };
}

TEST(AnswerLayout, EveryCommandAnswersWithItsCodeAndTheFieldsTheDriversRead) {
    for (const auto& row : rows()) {
        SCOPED_TRACE(row.name);
        Register reg;
        for (const auto& [code, fields] : row.before) ASSERT_EQ(reg.ask(code, fields).codes.back(), code);
        Reply r = reg.ask(row.code, row.request);
        ASSERT_FALSE(r.codes.empty());
        if (IsComplexCommand(row.code))
            EXPECT_EQ(r.codes, (std::vector<std::uint16_t>{1, row.code}));
        else
            EXPECT_EQ(r.codes, (std::vector<std::uint16_t>{row.code}));
        const std::string layout = layoutOf(row.code, row.repeats);
        EXPECT_TRUE(matches(r.types, layout, row.exact)) << r.types << " for " << layout;
    }
}

// The table's request layouts are what the drivers send, and every command
// whose request the register checks is tried above.
TEST(AnswerLayout, TheRowsSendTheTableRequestsAndCoverEveryCheckedCommand) {
    const auto all = rows();
    for (const auto& row : all) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(RequestLayout(row.code).has_value());
        EXPECT_EQ(typesOf(row.request), *RequestLayout(row.code));
    }
    for (const auto& c : kCommands) {
        if (!c.request) continue;
        EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const Row& r) { return r.code == c.code; })) << c.name;
    }
}

TEST(AnswerLayout, RequestsLaidOutOtherwiseAreRefusedWithTheirCodes) {
    for (const auto& row : rows()) {
        if (row.request.empty()) continue;
        SCOPED_TRACE(row.name);
        Register reg;
        Fields shorter(row.request.begin(), row.request.end() - 1);
        EXPECT_EQ(reg.statusW(shorter, row.code), 3013);  // too few
        Fields longer = row.request;
        longer.push_back(F::EncodeB(0));
        EXPECT_EQ(reg.statusW(longer, row.code), 3012);  // too many
        Fields retyped = row.request;
        retyped.back() = retyped.back()[0] == 'S' ? F::EncodeB(0) : F::EncodeS("0");
        EXPECT_EQ(reg.statusW(retyped, row.code), 3011);  // another type
    }
    Register reg;
    EXPECT_EQ(reg.statusW({F::EncodeB(0)}, cmdTIMEGET), 3012);
    EXPECT_EQ(reg.statusW({}, 2561), 3008);  // USERPAYFORMSTATREAD: not a command of this register
}

// A context reading: every record in the driver's layout, then 975 for good.
TEST(AnswerLayout, ContextReadingsKeepTheirLayoutToTheEndAndThenAnswer975) {
    Register reg;
    const Fields init = {F::EncodeB(0), F::EncodeB(0)}, next = {F::EncodeV(0), F::EncodeB(1)};
    reg.ask(cmdCNTXPLUINIT, init);
    int goods = 0, sets = 0;
    for (int guard = 0; guard < 50; ++guard) {
        Reply r = reg.ask(cmdPLUREAD, next);
        if (r.codes.back() == 0) break;
        if (r.fields[4].AsB() == 0) {
            ++goods;
            ASSERT_TRUE(matches(r.types, layoutOf(cmdPLUREAD), false)) << r.types;
            const std::size_t extra = r.fields[14].AsV();  // additional barcodes follow from 15
            EXPECT_EQ(r.types, layoutOf(cmdPLUREAD, extra));
        } else {
            ++sets;
            ASSERT_TRUE(matches(r.types, std::string(kPluReadSetAnswer), false)) << r.types;
            EXPECT_EQ(r.types, layoutOf(cmdPLUREAD, r.fields[8].AsV(), kPluReadSetAnswer));
        }
    }
    EXPECT_EQ(goods, 4);
    EXPECT_EQ(sets, 1);
    EXPECT_EQ(reg.statusW(next, cmdPLUREAD), 975);
    EXPECT_EQ(reg.statusW(next, cmdPLUREAD), 975);  // and stays at the end

    const struct {
        std::uint16_t init, read;
        Fields request;
        int records;
    } lists[] = {{cmdCNTXPLUINIT, cmdPLUSTATREAD, next, 5},
                 {cmdCNTXPACKINIT, cmdPACKREAD, {F::EncodeV(0)}, 2},
                 {cmdCNTXPACKINIT, cmdPACKSTATREAD, next, 2},
                 {cmdCNTXGROUPINIT, cmdGROUPREAD, {F::EncodeV(0)}, 3},
                 {cmdCNTXMUINIT, cmdMUREAD, {F::EncodeV(0)}, 3}};
    for (const auto& l : lists) {
        SCOPED_TRACE(CommandName(l.read));
        reg.ask(l.init, init);
        int records = 0;
        for (Reply r = reg.ask(l.read, l.request); r.codes.back() == l.read && records < 50;
             r = reg.ask(l.read, l.request)) {
            ++records;
            EXPECT_TRUE(matches(r.types, layoutOf(l.read), false)) << r.types;
        }
        EXPECT_EQ(records, l.records);
        EXPECT_EQ(reg.statusW(l.request, l.read), 975);
    }
}

TEST(AnswerLayout, PaymentFormsAnswerSixFieldsWithTheTypesTheVerificationExpects) {
    Register reg;
    // Form number -> the type the export checks; form 3 also carries the euro rate.
    const std::pair<int, int> expected[] = {{2, 2}, {3, 1}, {4, 4}, {5, 3}, {6, 6}};
    for (auto [form, type] : expected) {
        Reply r = reg.ask(cmdPAYFORMREAD, {F::EncodeV(static_cast<std::uint16_t>(form))});
        ASSERT_EQ(r.types, "VSBVSN") << form;
        EXPECT_EQ(r.fields[2].AsB(), type) << form;
    }
    EXPECT_EQ(reg.ask(cmdPAYFORMREAD, {F::EncodeV(3)}).fields[5].AsN(), 43125);
    // A form the register does not hold: harmless 903, not six fields.
    EXPECT_EQ(reg.statusW({F::EncodeV(9)}, cmdPAYFORMREAD), 903);
    // What PAYFORMINS stored reads back in the same six fields.
    reg.ask(cmdPAYFORMINS, {F::EncodeV(9), F::EncodeS("Bon 2"), F::EncodeB(4), F::EncodeV(1), F::EncodeS(""),
                            F::EncodeN(1), F::EncodeB(1), F::EncodeB(1)});
    Reply r = reg.ask(cmdPAYFORMREAD, {F::EncodeV(9)});
    ASSERT_EQ(r.types, "VSBVSN");
    EXPECT_EQ(r.fields[1].AsS(), "Bon 2");
}

// Layout of each receipt record type by answer index, as the receipts import reads it.
std::string receiptLayout(int type, std::size_t count) {
    if (type <= 1) return "B.VVSNN";
    if (type <= 5) return count > 10 ? "B.VVSBNSSSV" : "B.VVSBN";
    if (type <= 9) return "B.VVSNNN";
    if (type <= 15) return "B.VBVSSNN";
    if (type == 16) return "B.VBBVV..NNNNNNN";
    if (type == 17 || type == 19) return "B.VLBBVBBSSVNNL";
    if (type == 18 || type == 20) return "B.VBBVBBSSVVNN";
    if (type == 21 || type == 22) return "B.VSBVN";
    if (type == 23) return "B.VSBVNS";
    return "B.VVSNS";  // 32, 33
}

TEST(AnswerLayout, ReceiptRecordsOfEveryTypeCarryTheFieldsTheImportReadsThen801) {
    Register reg;
    // A daily report first, so that its record (type 16) is in the buffer too.
    reg.ask(cmdREPFSKDAILY, {F::EncodeB(6), F::EncodeB(5), F::EncodeV(2024), F::EncodeB(21), F::EncodeB(5)});
    std::vector<int> seen;
    Reply r = reg.ask(cmdSALERECGET, {F::EncodeB(0)});
    for (int guard = 0; r.codes.back() == cmdSALERECGET && guard < 100; ++guard) {
        const int type = r.fields[2].AsV();
        seen.push_back(type);
        EXPECT_TRUE(matches(r.types, receiptLayout(type, r.fields.Count()), true))
            << "type " << type << ": " << r.types;
        r = reg.ask(cmdSALERECGET, {F::EncodeB(1)});
    }
    for (int t : {0, 1, 2, 3, 4, 5, 6, 10, 11, 13, 16, 17, 18, 21, 23, 32, 33})
        EXPECT_NE(std::find(seen.begin(), seen.end(), t), seen.end()) << t;
    ASSERT_EQ(r.types, "BVV");
    EXPECT_EQ(r.fields[2].AsV(), 801);
    EXPECT_EQ(reg.statusW({F::EncodeB(1)}, cmdSALERECGET), 801);
}

TEST(AnswerLayout, AnswersThatWouldOverflowOneFrameStayConsistentWithTheirCounts) {
    RegisterState s = defaultRegisterState();
    s.header.assign(40, "linia");
    s.goods[0].extraBarcodes.assign(80, "5900000000000");
    Register reg;
    reg.engine.setState(s);
    Reply h = reg.ask(cmdHEADERGET);
    const std::size_t lines = h.fields[0].AsB();
    EXPECT_EQ(h.fields.Count(), 1 + 2 * lines);  // field 2n holds the last line
    EXPECT_EQ(h.fields[2 * lines].Type(), 'S');
    reg.ask(cmdCNTXPLUINIT, {F::EncodeB(0), F::EncodeB(0)});
    Reply p = reg.ask(cmdPLUREAD, {F::EncodeV(0), F::EncodeB(1)});
    EXPECT_EQ(p.fields.Count(), 15u + p.fields[14].AsV());
    EXPECT_EQ(p.fields.Count(), TComboDataSet::kMaxFields);
}

TEST(FaultCounts, RestartForEveryNewTcpClient) {
    RegisterSimulator sim{defaultRegisterState(), SimulatorOptions{true, 0, false, 0, false}};
    sim.start();
    Faults f;
    f.noAnswer.at = 2;
    f.disconnectAfter = 2;
    sim.setFaults(f);
    for (int client = 1; client <= 2; ++client) {
        SCOPED_TRACE(client);
        SimClient c(sim.port());
        EXPECT_TRUE(c.request(cmdTIMEGET, {}, 1));
        EXPECT_FALSE(c.request(cmdTIMEGET, {}, 2, 0, 200));        // the second request of each client
        EXPECT_TRUE(c.request(cmdTIMEGET, {}, 2, kFlagRepeated));  // then the line is dropped
        EXPECT_FALSE(c.receive(300));
        EXPECT_TRUE(c.peerClosed());
    }
    sim.stop();
}

}  // namespace
}  // namespace zt::sim
