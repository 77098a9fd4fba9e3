#pragma once
// Classes other drivers of the family link against are exported from the
// shared library: default visibility on Linux (the build hides everything
// else); on Windows the DLL exports them under the toolchain's C++ names next
// to its undecorated entry points, and a driver that links against the DLL
// defines ZT_IMPORT_FAMILY to import them.
#if defined(_WIN32)
#if defined(ZT_IMPORT_FAMILY)
#define ZT_API __declspec(dllimport)
#else
#define ZT_API __declspec(dllexport)
#endif
#else
#define ZT_API __attribute__((visibility("default")))
#endif
