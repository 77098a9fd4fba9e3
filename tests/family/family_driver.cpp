// A second driver of the family, built as its own DLL against the plug-in's
// exported classes: it sorts and searches through TLQuickSort, splits lines
// with TLJWords, cuts with TLTools and reads an export line into ZTExpBuf.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "drivers/export/exp_buf.h"
#include "tools/ljwords.h"
#include "tools/lquicksort.h"
#include "tools/ltools.h"

namespace {

class Words : public zt::TLQuickSort {
public:
    std::vector<std::string> items;
    std::string key;
    int SortCompare(int i, int j) override { return items[i].compare(items[j]); }
    void ExChange(int i, int j) override { items[i].swap(items[j]); }
    int FindCompare(int i) override { return key.compare(items[i]); }
};

}  // namespace

extern "C" __declspec(dllexport) int __stdcall FamilyProbe(char* out, int size) {
    zt::TLJWords split;
    split.Split("woda;chleb;mleko;ser");
    Words w;
    for (int i = 0; i < split.Count(); ++i) w.items.push_back(split.Word(i));
    w.Sort(0, static_cast<int>(w.items.size()) - 1);
    w.key = "mleko";
    const int found = w.Find(0, static_cast<int>(w.items.size()) - 1);
    zt::ZTExpBuf buf;
    buf.CzytajLinie({"PLU;7;107;5900000000073;Woda;1.99;1.99;1.99;1.99;23;1;F;0;F;F;F;0;0;10;DOD"});
    std::string text = w.items.front() + "," + w.items.back() + " " + std::to_string(found) + " " +
                       zt::TLTools::StrMax("Chleb razowy", 5, false) + " " + std::to_string(buf.CountTow());
    std::snprintf(out, static_cast<std::size_t>(size), "%s", text.c_str());
    return 1;
}
