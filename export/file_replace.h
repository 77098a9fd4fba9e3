#pragma once
// Files the host reads are written whole under a temporary name created
// exclusively (never through a link someone left there), then renamed over
// the old file, so that a reader sees the old file or the new one, never half.
#include <string>
#include <string_view>

namespace zt {

// The temporary file is path + ".tmp"; raises zt::EMException naming the path
// and the system's reason; no temporary file is left after a failure.
void ZapiszCalyPlik(const std::string& path, std::string_view text);

}  // namespace zt
