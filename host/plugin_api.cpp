#include "host/plugin_api.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace zt {
namespace {

template <typename F>
void bind(F& target, void* address) {
    // Through the generic function pointer type, which any function type converts to cleanly.
    target = reinterpret_cast<F>(reinterpret_cast<void (*)()>(address));
}

#if defined(_WIN32)
std::string systemError(DWORD code) {
    char* text = nullptr;
    DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = "error " + std::to_string(code);
    if (n > 0 && text) {
        std::string msg(text, n);
        while (!msg.empty() && (msg.back() == '\n' || msg.back() == '\r' || msg.back() == ' ')) msg.pop_back();
        s += ": " + msg;
    }
    if (text) LocalFree(text);
    return s;
}
#endif

void* openLibrary(const std::string& path) {
#if defined(_WIN32)
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    HMODULE h = LoadLibraryA(p.c_str());
    if (!h) throw std::runtime_error("cannot load the plug-in '" + path + "': " + systemError(GetLastError()));
    return reinterpret_cast<void*>(h);
#else
    // A bare file name would make dlopen search the library path instead of this directory.
    std::string p = path.find('/') == std::string::npos ? "./" + path : path;
    void* h = dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* e = dlerror();
        throw std::runtime_error("cannot load the plug-in '" + path + "': " + (e ? e : "unknown error"));
    }
    return h;
#endif
}

}  // namespace

void* PluginApi::symbol(const char* name) const {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

void PluginApi::close() {
    if (!handle_) return;
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

PluginApi::PluginApi(const std::string& path) : handle_(openLibrary(path)) {
    std::vector<std::string> missing;
    auto resolve = [&](auto& target, const char* name) {
        void* a = symbol(name);
        if (!a)
            missing.push_back(name);
        else
            bind(target, a);
    };
    resolve(TypBiblioteki, "QORDLLTypBiblioteki");
    resolve(Wlasciwosci, "QORDLLWlasciwosci");
    resolve(WlasciwosciUrzadzenia, "QORDLLWlasciwosciUrzadzenia");
    resolve(RejestrujBiblioteke, "QORDLLRejestrujBiblioteke");
    resolve(RejestrujCallback, "QORDLLRejestrujCallback");
    resolve(ZwolnijBiblioteke, "QORDLLZwolnijBiblioteke");
    resolve(Parametr, "QORDLLParametr");
    resolve(TekstListyParametru, "QORDLLTekstListyParametru");
    resolve(SerKasJakSzukacParagonu, "QORDLLSerKasJakSzukacParagonu");
    resolve(SerKasOpisOkna, "QORDLLSerKasOpisOkna");
    resolve(SerKasPokazOkno, "QORDLLSerKasPokazOkno");
    resolve(SerKasNazwaZasobuDzielonego, "QORDLLSerKasNazwaZasobuDzielonego");
    resolve(SerKasOperacja, "QORDLLSerKasOperacja");
    resolve(SerKasPodtrzymajSesje, "QORDLLSerKasPodtrzymajSesje");
    resolve(UstawJezykKomponentow, "QORDLLUstawJezykKomponentow");
    if (!missing.empty()) {
        std::string list;
        for (const std::string& m : missing) list += (list.empty() ? "" : ", ") + m;
        close();
        throw std::runtime_error("the plug-in '" + path + "' does not export: " + list);
    }
}

PluginApi::~PluginApi() { close(); }

std::string defaultPluginPath(const char* argv0) {
#if defined(_WIN32)
    const char* name = "ztcombo.dll";
    char buf[MAX_PATH + 1] = {0};
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string self = (n > 0 && n < MAX_PATH) ? std::string(buf, n) : std::string(argv0 ? argv0 : "");
    std::size_t slash = self.find_last_of("\\/");
#else
    const char* name = "libztcombo.so";
    std::error_code ec;
    std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec || self.empty()) self = argv0 ? argv0 : "";
    std::size_t slash = self.rfind('/');
#endif
    if (slash == std::string::npos) return name;
    return self.substr(0, slash + 1) + name;
}

}  // namespace zt
