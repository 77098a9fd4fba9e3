#include "action/module.h"

#include "platform/translation.h"

namespace zt {
namespace {
TZTLibrary* g_library = nullptr;
const TMLgExtTools* g_translation = nullptr;
}  // namespace

TZTLibrary* moduleLibrary() { return g_library; }
void setModuleLibrary(TZTLibrary* lib) { g_library = lib; }
const TMLgExtTools* moduleTranslation() { return g_translation; }
void setModuleTranslation(const TMLgExtTools* t) { g_translation = t; }

std::string trm(std::string_view module, std::string_view key, std::string_view def) {
    return translate(g_translation, module, key, def);
}

std::string trc(std::string_view key, std::string_view def) { return trm("ztcombo_cbaction", key, def); }

}  // namespace zt
