#pragma once
// The import's own files ("combo.imp", "receipt.tmp", "kasa.tmp") must go
// when their work is done: one left behind is taken for unfinished work, and
// a reading appended to it would be skipped as already saved. So a file that
// cannot be removed (another program holding it open) stops the import.
#include <string>

namespace zt {

// Removes the file; a file that is still there afterwards raises a message
// naming it and the system's reason.
void RemoveOwnFile(const std::string& path);

}  // namespace zt
