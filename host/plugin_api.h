#pragma once
// The plug-in library loaded by path and its entry points resolved by name.
#include <cstdint>
#include <string>

#include "action/qordll.h"

namespace zt {

// Entry point types, stdcall on Windows as the plug-in exports them.
namespace qor {
using TypBiblioteki = std::int32_t(QOR_STDCALL*)();
using Wlasciwosci = void(QOR_STDCALL*)(char*, std::int32_t);
using WlasciwosciUrzadzenia = void(QOR_STDCALL*)(void*, std::int32_t, char*, std::int32_t);
using RejestrujBiblioteke = void*(QOR_STDCALL*)(std::int32_t, std::int32_t, std::int32_t, void*);
using RejestrujCallback = void(QOR_STDCALL*)(void*, void*, std::int32_t);
using ZwolnijBiblioteke = void(QOR_STDCALL*)(void*);
using Parametr = std::int32_t(QOR_STDCALL*)(std::int32_t, std::int32_t, char*, char*, char*, char*, char*,
                                            std::int32_t*);
using TekstListyParametru = std::int32_t(QOR_STDCALL*)(const char*, std::int32_t, char*);
using JakSzukacParagonu = std::int32_t(QOR_STDCALL*)(void*, std::int32_t, std::int32_t*, std::int32_t*, std::int32_t*);
using OpisOkna = std::int32_t(QOR_STDCALL*)(char*, std::int32_t);
using PokazOkno = std::int32_t(QOR_STDCALL*)(void*, std::int32_t, std::int32_t, std::int32_t, std::int32_t*, char*);
using NazwaZasobuDzielonego = void(QOR_STDCALL*)(void*, std::int32_t, char*);
using Operacja = std::int32_t(QOR_STDCALL*)(void*, std::int32_t, QORSesja*, char*, std::int32_t, std::int32_t);
using PodtrzymajSesje = void(QOR_STDCALL*)(void*, QORSesja*, char*, std::int32_t, std::int32_t);
using UstawJezykKomponentow = void(QOR_STDCALL*)(std::int32_t);
}  // namespace qor

class PluginApi {
public:
    // Loads the library and resolves all fifteen entry points; throws
    // std::runtime_error naming the library and the system's reason, or the
    // missing entry points.
    explicit PluginApi(const std::string& path);
    ~PluginApi();
    PluginApi(const PluginApi&) = delete;
    PluginApi& operator=(const PluginApi&) = delete;

    qor::TypBiblioteki TypBiblioteki = nullptr;
    qor::Wlasciwosci Wlasciwosci = nullptr;
    qor::WlasciwosciUrzadzenia WlasciwosciUrzadzenia = nullptr;
    qor::RejestrujBiblioteke RejestrujBiblioteke = nullptr;
    qor::RejestrujCallback RejestrujCallback = nullptr;
    qor::ZwolnijBiblioteke ZwolnijBiblioteke = nullptr;
    qor::Parametr Parametr = nullptr;
    qor::TekstListyParametru TekstListyParametru = nullptr;
    qor::JakSzukacParagonu SerKasJakSzukacParagonu = nullptr;
    qor::OpisOkna SerKasOpisOkna = nullptr;
    qor::PokazOkno SerKasPokazOkno = nullptr;
    qor::NazwaZasobuDzielonego SerKasNazwaZasobuDzielonego = nullptr;
    qor::Operacja SerKasOperacja = nullptr;
    qor::PodtrzymajSesje SerKasPodtrzymajSesje = nullptr;
    qor::UstawJezykKomponentow UstawJezykKomponentow = nullptr;

private:
    // Address of an exported name, null when missing.
    void* symbol(const char* name) const;
    void close();

    void* handle_ = nullptr;
};

// The library the bench loads when --plugin is not given: the plug-in next to
// the bench's own executable.
std::string defaultPluginPath(const char* argv0);

}  // namespace zt
