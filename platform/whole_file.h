#pragma once
// Files other programs read: written whole and then renamed into place, so a
// reader never sees half a file; and appends that never go through a link.
// Failures raise zt::EMException naming the path and the system's reason.
#include <string>
#include <string_view>

namespace zt {

// The file holds exactly the bytes afterwards. They go into tempPath first,
// created exclusively (whatever stood under that name is removed, a link is
// never followed), reach the disk, and the temporary file is renamed over the
// target. On failure the target is unchanged and no temporary file is left.
void writeFileWhole(const std::string& path, std::string_view bytes, const std::string& tempPath);

// Appends the bytes at the end of the file, creating it when missing; a link
// standing under the name is refused, not followed.
void appendFileNoFollow(const std::string& path, std::string_view bytes);

// The whole content of a file.
std::string readFileWhole(const std::string& path);

}  // namespace zt
