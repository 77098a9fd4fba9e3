#pragma once
// Files that another program reads as a whole: they are written under a
// temporary name created afresh (never an existing file, never through a
// symbolic link) and then renamed over the final name, so a reader sees the
// old file or the new one, never a part. Failures raise zt::EMException with
// the path and the operating system's own words.
#include <string>
#include <string_view>

namespace zt {

// Creates the file, failing when the name exists in any form, and writes the
// bytes; a file that could not be written whole is removed again.
void writeNewFile(const std::string& path, std::string_view bytes);

// A temporary file left by an earlier failure is removed first; the temporary
// file is gone afterwards whatever happened.
void replaceFileWhole(const std::string& path, const std::string& tempPath, std::string_view bytes);

}  // namespace zt
