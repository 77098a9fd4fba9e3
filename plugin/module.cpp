#include "plugin/module.h"

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

namespace {
// The conversions of a printf template in order, "%%" included.
std::string conversions(std::string_view t) {
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '%') continue;
        std::size_t j = i + 1;
        while (j < t.size() && std::string_view("-+ #0123456789.*lhLqjzt").find(t[j]) != std::string_view::npos) ++j;
        out.append(t.substr(i, j < t.size() ? j - i + 1 : j - i));
        out += '|';
        i = j;
    }
    return out;
}
}  // namespace

std::string formatTemplate(const std::string& translated, std::string_view def) {
    return conversions(translated) == conversions(def) ? translated : std::string(def);
}

}  // namespace zt
