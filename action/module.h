#pragma once
// Module-level state of the plug-in: the most recently registered library and
// the translation reference copied at registration. Nothing else is global.
#include <string>
#include <string_view>

namespace zt {

class TMLgExtTools;
class TZTLibrary;

TZTLibrary* moduleLibrary();
void setModuleLibrary(TZTLibrary* lib);
const TMLgExtTools* moduleTranslation();
void setModuleTranslation(const TMLgExtTools* t);

// A device-driver text: looked up under (module, key) through the module
// translation reference, with the Windows-1250 default.
std::string trm(std::string_view module, std::string_view key, std::string_view def);
// The same for the driver's own module "ztcombo_cbaction".
std::string trc(std::string_view key, std::string_view def);

}  // namespace zt
