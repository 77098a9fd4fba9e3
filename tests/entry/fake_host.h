#pragma once
// The built plug-in loaded with dlopen, and a host registered on it.
#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "tests/support/host_state.h"

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

// One registered library with a host behind it.
class FakeHost : public HostState {
public:
    void* lib = nullptr;

    FakeHost() { lib = api().RejestrujBiblioteke(77, 0, 0, nullptr); }
    ~FakeHost() { api().ZwolnijBiblioteke(lib); }

    void registerAll(bool withVat = true, bool withLookup = false) {
        HostState::registerAll([this](void* p, int kind) { reg(p, kind); }, withVat, withLookup);
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
};

}  // namespace ztest
