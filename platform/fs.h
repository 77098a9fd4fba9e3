#pragma once
// Small file-system helpers. Paths may be written Windows-style with '\\';
// every helper converts them with nativePath() first. None of them throws.
#include <string>
#include <string_view>

namespace zt {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The path in the operating system's form ('\\' becomes '/' off Windows).
std::string nativePath(std::string_view path);
// The directory with a separator at its end ('\\' or '/' already there counts).
std::string withTrailingSeparator(std::string_view dir);

bool fileExists(const std::string& path);  // a regular file
bool dirExists(const std::string& path);
// True when the path itself is a symbolic link (or another reparse point), whatever it points to.
bool isLink(const std::string& path);
// Creates the directory with all missing parents; true when it exists afterwards.
bool createDirs(const std::string& path);
bool deleteFile(const std::string& path);
// Renames, replacing an existing target.
bool renameFile(const std::string& from, const std::string& to);
// Copies, replacing an existing target unless failIfExists. After a failure
// lastOsError() gives the reason of the step that failed.
bool copyFile(const std::string& from, const std::string& to, bool failIfExists = false);
// True when at least one file matches the pattern ('*' and '?' in the last part).
bool anyFileMatches(const std::string& pattern);
// The operating system's short form of a path; empty when it has none.
std::string shortPath(const std::string& path);

// The error code of the last failed system call of this thread (errno or
// GetLastError) and the system's own words for a code.
int lastOsError() noexcept;
std::string osErrorText(int code);
// The code of "not a regular file": a pipe, device or folder standing under a
// name the plug-in reads is refused at once rather than blocking the open.
inline constexpr int kNotARegularFile = -2;

}  // namespace zt
