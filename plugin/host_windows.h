#pragma once
// The windows the plug-in offers the host: descriptions and the names of the
// operations they start.
#include <string>

namespace zt {

// Description of window 0..6; empty for any other.
std::string windowDescription(int window);
// Name of the operation that window 1..6 starts; empty for any other.
std::string windowOperationName(int window);

}  // namespace zt
