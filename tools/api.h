#pragma once
// Classes other drivers of the family link against are exported from the
// shared library (default visibility; the build hides everything else).
#if defined(_WIN32)
#define ZT_API
#else
#define ZT_API __attribute__((visibility("default")))
#endif
