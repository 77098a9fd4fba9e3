#pragma once
// Where the export buffer shows its status lines: the owning action adapts
// this to its own progress display. A buffer without one shows nothing.
#include <string>

#include "tools/api.h"

namespace zt {

class ZT_API ZTExpPostep {
public:
    virtual ~ZTExpPostep() = default;
    // Opens a status line; mode 3 is a percentage of maximum, 5 a plain line.
    virtual void Postep(const std::string& text, int mode, int maximum) = 0;
    virtual void PostepPozycja(int position) = 0;
    // Closes the line: 0 done, 1 failed.
    virtual void PostepTryb(int mode) = 0;
};

}  // namespace zt
