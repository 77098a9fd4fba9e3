// The fifteen entry points of the plug-in. Every one catches everything: no
// exception ever crosses into the host.
#include <cstring>
#include <memory>
#include <string>

#include "action/action_base.h"
#include "action/library.h"
#include "action/module.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/fpu.h"
#include "platform/msgbox.h"
#include "plugin/combo_library.h"
#include "plugin/host_windows.h"
#include "plugin/parameters.h"
#include "tools/ljwords.h"
#include "tools/lquicksort.h"
#include "tools/ltools.h"

using namespace zt;

namespace {

constexpr std::size_t kMaxText = 300;

// Copies a text result into a host buffer of at least 301 bytes.
void copyOut(char* out, const std::string& text) {
    if (!out) return;
    const std::size_t n = text.size() < kMaxText ? text.size() : kMaxText;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    out[kMaxText] = '\0';
}

std::string libraryProperty(int property) {
    switch (property) {
        case 1: return "Posnet Combo, NEO";
        case 2: return "ZT_Combo";
        case 3:
            return "Combo wer. 1.01, 1.02, 1.03 (L EU)\nMobile HS EJ 1.01\nBingo HS EJ 4.02\nBingo XL HS EJ 1.01\n"
                   "NEO wer. 1.01, 1.02\nNEO EJ wer. 1.01\nNEO XL EJ 2.01\nNEO XL 3.01\nREVO 1.01\n"
                   "Serwer Kasowy Posnet (SKP) wer. 1.0.206";
        case 102:
        case 103:
        case 104:
        case 105: return "1";
        default: return "";
    }
}

// The library behind a host handle; null for anything else.
TZTLibrary* lib(void* handle) { return registeredLibrary(handle); }

// Runs one session call on a fresh action: any exception goes to the action's
// error report under the operation name.
template <typename F>
void withAction(const FpuScope& fpu, void* handle, std::int32_t session, const char* operationUtf8, F&& body) {
    TZTLibrary* library = lib(handle);
    if (!library) return;
    HostFpuBinding binding(*library, fpu.outside());
    std::unique_ptr<TZTActionBase> action = library->UtworzAkcje(session);
    try {
        body(*action);
    } catch (const std::exception& e) {
        action->RaportBledu(pl(operationUtf8), &e);
    } catch (...) {
        action->RaportBledu(pl(operationUtf8), nullptr);
    }
}

std::string operationName(int operation) {
    switch (operation) {
        case -1: return pl("test połączenia");
        case -2: return "eksport";
        case -3: return pl("import sprzedaży");
        case -4: return "import paragonu";
        case -5: return "eksport automatyczny";
        case -6: return "import automatyczny";
        case -7: return pl("nasłuch");
        case -9: return "import licznika";
        default: return "operacja [" + std::to_string(operation) + "]";
    }
}

// The shared tool classes are exported for the other drivers of the family. The
// linker takes from the subsystem libraries only what the entry points call, so
// this never-called function calls into each class that nothing else uses yet.
[[gnu::used]] int exportedToolClasses(TLJWords& words, TLQuickSort& index) {
    return words.Split("") + index.Sort(0, -1);
}

}  // namespace

extern "C" {

QOR_EXPORT std::int32_t QOR_STDCALL QORDLLTypBiblioteki() { return 1; }

QOR_EXPORT void QOR_STDCALL QORDLLWlasciwosci(char* out, std::int32_t property) {
    FpuScope fpu(kRuntimeFpu);
    try {
        copyOut(out, libraryProperty(property));
    } catch (...) {
        copyOut(out, "");
    }
}

QOR_EXPORT void QOR_STDCALL QORDLLWlasciwosciUrzadzenia(void* library, std::int32_t session, char* out,
                                                        std::int32_t property) {
    FpuScope fpu(kRuntimeFpu);
    try {
        std::string result;
        withAction(fpu, library, session, "właściwości urządzenia",
                   [&](TZTActionBase& a) { result = a.WlasciwoscUrzadzenia(property); });
        copyOut(out, result);
    } catch (...) {
        copyOut(out, "");
    }
}

QOR_EXPORT void* QOR_STDCALL QORDLLRejestrujBiblioteke(std::int32_t host, std::int32_t, std::int32_t, void* window) {
    FpuScope fpu(kRuntimeFpu);
    try {
        auto owned = std::make_unique<TZTComboLibrary>(host);
        addRegisteredLibrary(owned.get());
        TZTComboLibrary* library = owned.release();
        setModuleLibrary(library);
        setModuleTranslation(library->Tlumacz());
        library->UstawOknoHosta(window);
        return library;
    } catch (...) {
        return nullptr;
    }
}

QOR_EXPORT void QOR_STDCALL QORDLLRejestrujCallback(void* library, void* pointer, std::int32_t kind) {
    FpuScope fpu(kRuntimeFpu);
    try {
        TZTLibrary* l = lib(library);
        if (!l) return;
        l->RejestrujCallback(pointer, kind);
        // The driver's texts follow the registered library's translation object,
        // which kind 34 has just built (and destroyed the one it replaced).
        if (kind == 34 && moduleLibrary() == l) setModuleTranslation(l->Tlumacz());
    } catch (...) {}
}

QOR_EXPORT void QOR_STDCALL QORDLLZwolnijBiblioteke(void* library) {
    FpuScope fpu(kRuntimeFpu);
    try {
        TZTLibrary* l = lib(library);
        if (!l) return;
        // A released library and its translation object must not stay reachable
        // through the module references.
        removeRegisteredLibrary(l);
        if (moduleLibrary() == l) {
            setModuleLibrary(nullptr);
            setModuleTranslation(nullptr);
        }
        delete l;
    } catch (...) {}
}

QOR_EXPORT std::int32_t QOR_STDCALL QORDLLParametr(std::int32_t group, std::int32_t index, char* key, char* description,
                                                   char* defaultValue, char* minimum, char* maximum,
                                                   std::int32_t* flags) {
    FpuScope fpu(kRuntimeFpu);
    try {
        const ParamDecl d = declareParameter(group, index, TLTools().WczytajSciezkeDoBinariow());
        copyOut(key, d.key);
        copyOut(description, d.description);
        copyOut(defaultValue, d.defaultValue);
        copyOut(minimum, d.minimum);
        copyOut(maximum, d.maximum);
        if (flags) *flags = d.flags;
        return d.type;
    } catch (...) {
        for (char* p : {key, description, defaultValue, minimum, maximum}) copyOut(p, "");
        if (flags) *flags = 0;
        return 0;
    }
}

QOR_EXPORT std::int32_t QOR_STDCALL QORDLLTekstListyParametru(const char* key, std::int32_t index, char* out) {
    FpuScope fpu(kRuntimeFpu);
    try {
        const std::string text = parameterListText(key ? key : "", index);
        copyOut(out, text);
        return text.empty() ? 0 : 1;
    } catch (...) {
        copyOut(out, "");
        return 0;
    }
}

QOR_EXPORT std::int32_t QOR_STDCALL QORDLLSerKasJakSzukacParagonu(void* library, std::int32_t session,
                                                                  std::int32_t* printout, std::int32_t* second,
                                                                  std::int32_t* receipt) {
    FpuScope fpu(kRuntimeFpu);
    std::int32_t result = 0;
    try {
        withAction(fpu, library, session, "jak szukać paragonu", [&](TZTActionBase& a) {
            result = static_cast<unsigned char>(a.JakSzukacParagonu(printout, second, receipt) ? 1 : 0);
        });
    } catch (...) {
        result = 0;
    }
    return result;
}

QOR_EXPORT std::int32_t QOR_STDCALL QORDLLSerKasOpisOkna(char* out, std::int32_t window) {
    FpuScope fpu(kRuntimeFpu);
    try {
        const std::string text = windowDescription(window);
        copyOut(out, text);
        return text.empty() ? 0 : 1;
    } catch (...) {
        copyOut(out, "");
        return 0;
    }
}

QOR_EXPORT std::int32_t QOR_STDCALL QORDLLSerKasPokazOkno(void* library, std::int32_t session, std::int32_t window,
                                                          std::int32_t editable, std::int32_t* operation, char* name) {
    FpuScope fpu(kRuntimeFpu);
    std::int32_t result = 0;
    try {
        withAction(fpu, library, session, "wyświetlanie okna", [&](TZTActionBase& a) {
            // The name is a host translation of any length: the host's buffer gets
            // the same 300-character bound as every other text.
            result = lib(library)->PokazOkno(a, window, editable != 0, operation, [name](const std::string& text) {
                if (name && !text.empty()) copyOut(name, text);
            });
        });
    } catch (...) {
        result = 0;
    }
    return result;
}

QOR_EXPORT void QOR_STDCALL QORDLLSerKasNazwaZasobuDzielonego(void* library, std::int32_t session, char* out) {
    FpuScope fpu(kRuntimeFpu);
    try {
        std::string result;
        withAction(fpu, library, session, "identyfikacja zasobu dzielonego",
                   [&](TZTActionBase& a) { result = a.NazwaZasobu(); });
        copyOut(out, result);
    } catch (...) {
        copyOut(out, "");
    }
}

QOR_EXPORT std::int32_t QOR_STDCALL QORDLLSerKasOperacja(void* library, std::int32_t session, QORSesja* sessionRecord,
                                                         char* text, std::int32_t operation, std::int32_t extra) {
    FpuScope fpu(kRuntimeFpu);
    std::int32_t result = 0;
    try {
        TZTLibrary* l = lib(library);
        if (!l) return 0;
        HostFpuBinding binding(*l, fpu.outside());
        std::unique_ptr<TZTActionBase> action = l->UtworzAkcje(session);
        const std::string hostText = text ? std::string(text, strnlen(text, kMaxText)) : std::string();
        std::string name = pl("weryfikacja typu sesji");
        try {
            l->WeryfikujTypSesji(sessionRecord ? sessionRecord->typ : 0, hostText);
        } catch (...) {
            action->Komunikat(kInfo, pl("Oczekiwanie na zamknięcie sesji '") + hostText + "'");
            sleepMs(1000);
            return 1;
        }
        action->UstawDodatkowy(extra);
        name = operationName(operation);
        HQORDLLSRODOWISKO record{hostText, sessionRecord, 0};
        try {
            action->Operacja(record, operation, extra);
        } catch (const std::exception& e) {
            action->RaportBledu(name, &e);
            record.Wynik = 0;
        } catch (...) {
            action->RaportBledu(name, nullptr);
            record.Wynik = 0;
        }
        action.reset();
        if (text) copyOut(text, record.Tekst);
        result = record.Wynik;
    } catch (...) {
        try {
            MsgBox(pl("Wyjątek w QORDLLSerKasOperacja"), "Uwaga!!!", 0);
        } catch (...) {}
    }
    return result;
}

QOR_EXPORT void QOR_STDCALL QORDLLSerKasPodtrzymajSesje(void* library, QORSesja* sessionRecord, char* text,
                                                        std::int32_t value, std::int32_t flag) {
    FpuScope fpu(kRuntimeFpu);
    try {
        TZTLibrary* l = lib(library);
        if (!l) return;
        HostFpuBinding binding(*l, fpu.outside());
        std::string name = text ? std::string(text, strnlen(text, kMaxText)) : std::string();
        l->WeryfikujTypSesji(sessionRecord ? sessionRecord->typ : 0, name);
        std::vector<char> buf(kMaxText + 1, '\0');
        std::memcpy(buf.data(), name.data(), name.size());
        l->PodtrzymajSesje(sessionRecord, buf.data(), flag, value);
        if (text) copyOut(text, std::string(buf.data(), strnlen(buf.data(), kMaxText)));
    } catch (...) {}
}

QOR_EXPORT void QOR_STDCALL QORDLLUstawJezykKomponentow(std::int32_t language) { EMException::setLanguage(language); }

}  // extern "C"
