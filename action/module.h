#pragma once
// Module-level state of the plug-in: the library objects the host registered
// and has not released (the most recent one current), and the translation
// reference copied at registration. Nothing else is global.
#include <string>
#include <string_view>

namespace zt {

class TMLgExtTools;
class TZTLibrary;

TZTLibrary* moduleLibrary();
void setModuleLibrary(TZTLibrary* lib);
// The host's handles: a library counts from its registration to its release.
// A handle that is not one of them (released, released twice, or never a
// library at all) is answered as a missing library, never dereferenced.
void addRegisteredLibrary(TZTLibrary* lib);
void removeRegisteredLibrary(TZTLibrary* lib);
TZTLibrary* registeredLibrary(const void* handle);
const TMLgExtTools* moduleTranslation();
void setModuleTranslation(const TMLgExtTools* t);

// A device-driver text: looked up under (module, key) through the module
// translation reference, with the Windows-1250 default.
std::string trm(std::string_view module, std::string_view key, std::string_view def);
// The same for the driver's own module "ztcombo_cbaction".
std::string trc(std::string_view key, std::string_view def);

}  // namespace zt
