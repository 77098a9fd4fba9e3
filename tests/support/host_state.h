#pragma once
// A host for the tests: answers the plug-in's callbacks from plain maps and
// records every message. Used in-process (registered on a library object) and
// through the loaded plug-in's entry points.
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "action/qordll.h"

namespace ztest {

struct Message {
    int kind;
    std::string text;
    bool status;  // through the status line (13) rather than the list (12)
};

// One record of the goods callback (33), prices decoded from the 80-bit form.
struct GoodsCall {
    std::string name;
    int plu;
    std::string codes;
    int overwrite;
    std::string group, unit;
    int vat;
    QORExtended raw[4];
    long double prices[4];
    int openPrice, package;
    std::string packageCode;
};

inline long double decodeExtended(const QORExtended& x) {
    const std::uint64_t mant = (static_cast<std::uint64_t>(x.w[1]) << 32) | x.w[0];
    const int e = static_cast<int>(x.w[2] & 0x7FFF);
    if (mant == 0 && e == 0) return 0.0L;
    const long double v = std::ldexp(static_cast<long double>(mant), e - 16383 - 63);
    return (x.w[2] & 0x8000) ? -v : v;
}

class HostState {
public:
    std::map<std::string, std::string> params;
    std::map<std::string, std::string> written;  // through kind 21
    std::vector<Message> messages;
    std::vector<std::string> textList;
    std::vector<int> vatWhole, vatPrec;
    std::map<std::pair<std::string, std::string>, std::string> translations;
    std::vector<std::pair<std::string, std::string>> lookups;
    std::string workDir = "/tmp/";
    int registerNo = 1;
    int abortAfter = -1;  // answer "stop" once this many queries were answered; -1 never
    int abortQueries = 0;
    int storeExport = 0, storeImport = 0;
    bool refuseStores = false;
    int refuseImportAt = 0;  // the n-th request to store "kasa.imp" (from 1) is refused
    // As a real host does: an accepted "kasa.imp" is kept (imported) and its
    // KASPAR lines become the register's parameters.
    bool keepImports = false;
    std::vector<std::string> imported;
    bool goodsCallback = true;  // register kind 33
    std::vector<GoodsCall> goods;
    // The host's answer to a goods record (number, package flag); 1 (added) when empty.
    std::function<int(int, bool)> goodsAnswer;
    // Called inside every message and status-line callback (what the host sees there).
    std::function<void()> onMessage;
    // Called inside every parameter read, with the parameter's name.
    std::function<void(const std::string&)> onParam;

    HostState() { current() = this; }
    ~HostState() {
        if (current() == this) current() = nullptr;
    }
    HostState(const HostState&) = delete;
    HostState& operator=(const HostState&) = delete;

    // Registers the usual callbacks through reg(pointer, kind).
    void registerAll(const std::function<void(void*, int)>& reg, bool withVat = true, bool withLookup = false) {
        reg(reinterpret_cast<void*>(&cbAbort), 5);
        reg(reinterpret_cast<void*>(&cbParam), 6);
        reg(reinterpret_cast<void*>(&cbEnv), 11);
        reg(reinterpret_cast<void*>(&cbMessage), 12);
        reg(reinterpret_cast<void*>(&cbStatus), 13);
        reg(reinterpret_cast<void*>(&cbTextList), 14);
        reg(reinterpret_cast<void*>(&cbStoreExport), 16);
        reg(reinterpret_cast<void*>(&cbStoreImport), 17);
        reg(reinterpret_cast<void*>(&cbWriteParam), 21);
        if (withVat) {
            reg(reinterpret_cast<void*>(&cbVatWhole), 15);
            if (!vatPrec.empty()) reg(reinterpret_cast<void*>(&cbVatPrec), 32);
        }
        if (withLookup) reg(reinterpret_cast<void*>(&cbLookup), 34);
        if (goodsCallback) reg(reinterpret_cast<void*>(&cbGoods), 33);
    }

    std::vector<std::string> lines(int kind = -1, bool status = false) const {
        std::vector<std::string> out;
        for (const auto& m : messages)
            if ((kind < 0 || m.kind == kind) && m.status == status) out.push_back(m.text);
        return out;
    }

    static HostState*& current() {
        static HostState* h = nullptr;
        return h;
    }

    // The callbacks, answering for the current host.
    static HostState& h() { return *current(); }
    static void put(char* out, const std::string& s) {
        std::strncpy(out, s.c_str(), 300);
        out[300] = 0;
    }
    static std::int32_t QOR_STDCALL cbAbort(std::int32_t, std::int32_t) {
        ++h().abortQueries;
        return h().abortAfter >= 0 && h().abortQueries > h().abortAfter;
    }
    static std::int32_t QOR_STDCALL cbParam(std::int32_t, std::int32_t, const char* name, char* out) {
        if (h().onParam) h().onParam(name);
        auto it = h().params.find(name);
        if (it != h().params.end()) put(out, it->second);
        return 1;
    }
    static std::int32_t QOR_STDCALL cbEnv(std::int32_t, std::int32_t, std::int32_t* id, std::int32_t* no, char* t1,
                                          char* t2, char* wd) {
        *id = 5;
        *no = h().registerNo;
        put(t1, "Tekst 1");
        put(t2, "Tekst 2");
        std::strncpy(wd, h().workDir.c_str(), 260);
        return 1;
    }
    static std::int32_t QOR_STDCALL cbMessage(std::int32_t, std::int32_t, std::int32_t kind, const char* text) {
        h().messages.push_back({kind, text, false});
        if (h().onMessage) h().onMessage();
        return 1;
    }
    static std::int32_t QOR_STDCALL cbStatus(std::int32_t, std::int32_t, std::int32_t kind, const char* text) {
        h().messages.push_back({kind, text, true});
        if (h().onMessage) h().onMessage();
        return 1;
    }
    static std::int32_t QOR_STDCALL cbTextList(std::int32_t, std::int32_t, std::int32_t i, char* out) {
        if (i < 0 || i >= static_cast<int>(h().textList.size())) return 0;
        put(out, h().textList[static_cast<std::size_t>(i)]);
        return 1;
    }
    static std::int32_t QOR_STDCALL cbVatWhole(std::int32_t, std::int32_t, std::int32_t i, std::int32_t* rate) {
        if (i < 0 || i >= static_cast<int>(h().vatWhole.size())) return 0;
        *rate = h().vatWhole[static_cast<std::size_t>(i)];
        return 1;
    }
    static std::int32_t QOR_STDCALL cbVatPrec(std::int32_t, std::int32_t, std::int32_t i, std::int32_t* rate) {
        if (i < 0 || i >= static_cast<int>(h().vatPrec.size())) return 0;
        *rate = h().vatPrec[static_cast<std::size_t>(i)];
        return 1;
    }
    static std::int32_t QOR_STDCALL cbStoreExport(std::int32_t, std::int32_t) {
        ++h().storeExport;
        return h().refuseStores ? 0 : 1;
    }
    static std::int32_t QOR_STDCALL cbStoreImport(std::int32_t, std::int32_t) {
        ++h().storeImport;
        if (h().refuseStores || h().storeImport == h().refuseImportAt) return 0;
        if (h().keepImports) h().keep(h().workDir + "kasa.imp");
        return 1;
    }
    void keep(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        imported.push_back(text);
        for (std::size_t at = text.find("\nKASPAR;"); at != std::string::npos; at = text.find("\nKASPAR;", at + 1)) {
            const std::size_t name = at + 8, sep = text.find(';', name), end = text.find('\r', name);
            if (sep < end && end != std::string::npos)
                params[text.substr(name, sep - name)] = text.substr(sep + 1, end - sep - 1);
        }
    }
    static std::int32_t QOR_STDCALL cbWriteParam(std::int32_t, std::int32_t, const char* name, const char* value) {
        if (h().refuseStores) return 0;
        h().written[name] = value;
        h().params[name] = value;
        return 1;
    }
    static std::int32_t QOR_STDCALL cbGoods(std::int32_t, std::int32_t, const char* name, std::int32_t plu,
                                            const char* codes, std::int32_t overwrite, const char* group,
                                            const char* unit, std::int32_t vat, QORPrice p1, QORPrice p2,
                                            QORPrice p3, QORPrice p4, std::int32_t openPrice,
                                            std::int32_t package, const char* packageCode) {
        GoodsCall g{name,
                    plu,
                    codes,
                    overwrite,
                    group,
                    unit,
                    vat,
                    {qorPriceBits(p1), qorPriceBits(p2), qorPriceBits(p3), qorPriceBits(p4)},
                    {},
                    openPrice,
                    package,
                    packageCode};
        for (int i = 0; i < 4; ++i) g.prices[i] = decodeExtended(g.raw[i]);
        h().goods.push_back(g);
        return h().goodsAnswer ? h().goodsAnswer(plu, package != 0) : 1;
    }
    static std::int32_t QOR_STDCALL cbLookup(char* out, std::int32_t size, const char* module, const char* key) {
        h().lookups.emplace_back(module, key);
        auto it = h().translations.find({module, key});
        if (it == h().translations.end()) return 0;
        std::strncpy(out, it->second.c_str(), static_cast<std::size_t>(size) - 1);
        out[size - 1] = 0;
        return 1;
    }
};

}  // namespace ztest
