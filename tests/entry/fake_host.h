#pragma once
// A host for the tests: loads the built plug-in with dlopen and answers its
// callbacks from plain maps, recording every message.
#include <dlfcn.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "plugin/qordll.h"

namespace ztest {

struct Api {
    decltype(&QORDLLTypBiblioteki) TypBiblioteki;
    decltype(&QORDLLWlasciwosci) Wlasciwosci;
    decltype(&QORDLLWlasciwosciUrzadzenia) WlasciwosciUrzadzenia;
    decltype(&QORDLLRejestrujBiblioteke) RejestrujBiblioteke;
    decltype(&QORDLLRejestrujCallback) RejestrujCallback;
    decltype(&QORDLLZwolnijBiblioteke) ZwolnijBiblioteke;
    decltype(&QORDLLParametr) Parametr;
    decltype(&QORDLLTekstListyParametru) TekstListyParametru;
    decltype(&QORDLLSerKasJakSzukacParagonu) JakSzukacParagonu;
    decltype(&QORDLLSerKasOpisOkna) OpisOkna;
    decltype(&QORDLLSerKasPokazOkno) PokazOkno;
    decltype(&QORDLLSerKasNazwaZasobuDzielonego) NazwaZasobu;
    decltype(&QORDLLSerKasOperacja) Operacja;
    decltype(&QORDLLSerKasPodtrzymajSesje) PodtrzymajSesje;
    decltype(&QORDLLUstawJezykKomponentow) UstawJezyk;
};

// The plug-in, loaded once per test program.
inline const Api& api() {
    static Api a = [] {
        void* h = dlopen(ZT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!h) throw std::runtime_error(dlerror());
        Api x{};
        auto sym = [h](const char* n) {
            void* p = dlsym(h, n);
            if (!p) throw std::runtime_error(std::string("missing entry point ") + n);
            return p;
        };
#define ZT_SYM(field, name) x.field = reinterpret_cast<decltype(x.field)>(sym(#name))
        ZT_SYM(TypBiblioteki, QORDLLTypBiblioteki);
        ZT_SYM(Wlasciwosci, QORDLLWlasciwosci);
        ZT_SYM(WlasciwosciUrzadzenia, QORDLLWlasciwosciUrzadzenia);
        ZT_SYM(RejestrujBiblioteke, QORDLLRejestrujBiblioteke);
        ZT_SYM(RejestrujCallback, QORDLLRejestrujCallback);
        ZT_SYM(ZwolnijBiblioteke, QORDLLZwolnijBiblioteke);
        ZT_SYM(Parametr, QORDLLParametr);
        ZT_SYM(TekstListyParametru, QORDLLTekstListyParametru);
        ZT_SYM(JakSzukacParagonu, QORDLLSerKasJakSzukacParagonu);
        ZT_SYM(OpisOkna, QORDLLSerKasOpisOkna);
        ZT_SYM(PokazOkno, QORDLLSerKasPokazOkno);
        ZT_SYM(NazwaZasobu, QORDLLSerKasNazwaZasobuDzielonego);
        ZT_SYM(Operacja, QORDLLSerKasOperacja);
        ZT_SYM(PodtrzymajSesje, QORDLLSerKasPodtrzymajSesje);
        ZT_SYM(UstawJezyk, QORDLLUstawJezykKomponentow);
#undef ZT_SYM
        return x;
    }();
    return a;
}

struct Message {
    int kind;
    std::string text;
    bool status;  // through the status line (13) rather than the list (12)
};

// One registered library with a host behind it.
class FakeHost {
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
    int abortAfter = -1;  // answer "stop" from this query on; -1 never
    int abortQueries = 0;
    int storeExport = 0, storeImport = 0;
    bool refuseStores = false;
    void* lib = nullptr;

    FakeHost() {
        current() = this;
        lib = api().RejestrujBiblioteke(77, 0, 0, nullptr);
    }
    ~FakeHost() {
        api().ZwolnijBiblioteke(lib);
        current() = nullptr;
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // Registers the usual callbacks; VAT rates only when given.
    void registerAll(bool withVat = true, bool withLookup = false) {
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
    }
    void reg(void* p, int kind) { api().RejestrujCallback(lib, p, kind); }

    // Runs an operation with a session record of the given type.
    int run(int operation, int extra = 0, int sessionType = 0, std::string* text = nullptr) {
        QORSesja s{sessionType};
        char buf[301] = "sesja 1";
        int r = api().Operacja(lib, 1, &s, buf, operation, extra);
        if (text) *text = buf;
        return r;
    }

    std::vector<std::string> lines(int kind = -1, bool status = false) const {
        std::vector<std::string> out;
        for (const auto& m : messages)
            if ((kind < 0 || m.kind == kind) && m.status == status) out.push_back(m.text);
        return out;
    }

    static FakeHost*& current() {
        static FakeHost* h = nullptr;
        return h;
    }

private:
    static FakeHost& h() { return *current(); }
    static void put(char* out, const std::string& s) {
        std::strncpy(out, s.c_str(), 300);
        out[300] = 0;
    }
    static std::int32_t QOR_STDCALL cbAbort(std::int32_t, std::int32_t) {
        ++h().abortQueries;
        return h().abortAfter >= 0 && h().abortQueries > h().abortAfter;
    }
    static std::int32_t QOR_STDCALL cbParam(std::int32_t, std::int32_t, const char* name, char* out) {
        auto it = h().params.find(name);
        if (it != h().params.end()) put(out, it->second);
        return 1;
    }
    static std::int32_t QOR_STDCALL cbEnv(std::int32_t, std::int32_t, std::int32_t* id, std::int32_t* no, char* t1, char* t2,
                                          char* wd) {
        *id = 5;
        *no = h().registerNo;
        put(t1, "Tekst 1");
        put(t2, "Tekst 2");
        std::strncpy(wd, h().workDir.c_str(), 260);
        return 1;
    }
    static std::int32_t QOR_STDCALL cbMessage(std::int32_t, std::int32_t, std::int32_t kind, const char* text) {
        h().messages.push_back({kind, text, false});
        return 1;
    }
    static std::int32_t QOR_STDCALL cbStatus(std::int32_t, std::int32_t, std::int32_t kind, const char* text) {
        h().messages.push_back({kind, text, true});
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
        return h().refuseStores ? 0 : 1;
    }
    static std::int32_t QOR_STDCALL cbWriteParam(std::int32_t, std::int32_t, const char* name, const char* value) {
        if (h().refuseStores) return 0;
        h().written[name] = value;
        h().params[name] = value;
        return 1;
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
