#pragma once
// What the plug-in's Win32 dialogs share: texts widened from Windows-1250 and
// a DLGTEMPLATE built in memory, so no resource script is needed.
#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

namespace zt::dialog {

inline std::wstring wide(const std::string& cp1250) {
    if (cp1250.empty()) return {};
    int n = MultiByteToWideChar(1250, 0, cp1250.data(), static_cast<int>(cp1250.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(1250, 0, cp1250.data(), static_cast<int>(cp1250.size()), w.data(), n);
    return w;
}

// A DLGTEMPLATE with its items in a WORD buffer (alignment as Windows wants it).
class Template {
public:
    void align() {
        while ((buf_.size() * 2) % 4) buf_.push_back(0);
    }
    void dword(DWORD d) {
        buf_.push_back(LOWORD(d));
        buf_.push_back(HIWORD(d));
    }
    void word(WORD w) { buf_.push_back(w); }
    void text(const std::wstring& s) {
        for (wchar_t c : s) buf_.push_back(static_cast<WORD>(c));
        buf_.push_back(0);
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(static_cast<WORD>(x));
        word(static_cast<WORD>(y));
        word(static_cast<WORD>(cx));
        word(static_cast<WORD>(cy));
        word(id);
        word(0xFFFF);
        word(cls);
        text(L"");
        word(0);
        ++count_;
    }
    std::vector<WORD>& data() { return buf_; }
    WORD count() const { return count_; }

private:
    std::vector<WORD> buf_;
    WORD count_ = 0;
};

}  // namespace zt::dialog
#endif
