#include "action/module.h"

#include <algorithm>
#include <vector>

#include "platform/translation.h"

namespace zt {
namespace {
TZTLibrary* g_library = nullptr;
const TMLgExtTools* g_translation = nullptr;
// Compared by address only: a handle is never dereferenced before it is found here.
std::vector<TZTLibrary*>& registered() {
    static std::vector<TZTLibrary*> libraries;
    return libraries;
}
}  // namespace

void addRegisteredLibrary(TZTLibrary* lib) { registered().push_back(lib); }
void removeRegisteredLibrary(TZTLibrary* lib) {
    auto& all = registered();
    all.erase(std::remove(all.begin(), all.end(), lib), all.end());
}
TZTLibrary* registeredLibrary(const void* handle) {
    if (!handle) return nullptr;
    for (TZTLibrary* lib : registered())
        if (static_cast<const void*>(lib) == handle) return lib;
    return nullptr;
}

TZTLibrary* moduleLibrary() { return g_library; }
void setModuleLibrary(TZTLibrary* lib) { g_library = lib; }
const TMLgExtTools* moduleTranslation() { return g_translation; }
void setModuleTranslation(const TMLgExtTools* t) { g_translation = t; }

std::string trm(std::string_view module, std::string_view key, std::string_view def) {
    return translate(g_translation, module, key, def);
}

std::string trc(std::string_view key, std::string_view def) { return trm("ztcombo_cbaction", key, def); }

}  // namespace zt
