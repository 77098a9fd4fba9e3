#include "link/comm_log.h"

#include "platform/clock.h"
#include "platform/datetime.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace zt {

std::string TCommLog::FileName(const std::string& workDir, double start) {
    int y, mo, d, h, mi, s;
    TdtTools(start).Decode(y, mo, d, h, mi, s);
    return nativePath(workDir + "log\\" + format("NEO_LOG %04d.%02d.%02d %02d.%02d.%02d.TXT", y, mo, d, h, mi, s));
}

std::string TCommLog::Render(std::string_view data) {
    std::string out;
    out.reserve(data.size() + data.size() / 2);
    for (char c : data) {
        switch (static_cast<unsigned char>(c)) {
            case 0x00: out += '.'; break;
            case 0x02: out += "<STX>"; break;
            case 0x03: out += "<ETX>"; break;
            case 0x0D: out += "<CR>"; break;
            case 0x0A: out += "<LF>"; break;
            case 0x09: out += "<TAB>"; break;
            case 0x10: out += "<SYN>"; break;
            case 0x18: out += "<CAN>"; break;
            default: out += c;
        }
    }
    return out;
}

void TCommLog::Init(bool on, const std::string& workDir, const TMLgExtTools* translations) {
    tools_.debugOn = false;
    tools_.debugPath.clear();
    if (!on) return;
    try {
        const std::string file = FileName(workDir, now());
        // A "log" planted as a link would put the frames where someone else chose.
        if (isLink(workDir + "log") || !createDirs(nativePath(workDir + "log"))) return;
        tools_.InitDebug(file, translations);
    } catch (...) {
        tools_.debugOn = false;  // no log for this run; the operation goes on
    }
}

void TCommLog::Log(std::string_view direction, std::string_view data) {
    if (!tools_.debugOn) return;
    tools_.DebugIt(direction, Render(data));
}

}  // namespace zt
