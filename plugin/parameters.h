#pragma once
// The configuration parameters the plug-in declares to the host, and the
// choice texts of its list parameters. Both work without a library object.
#include <string>
#include <string_view>

namespace zt {

// One declared parameter. Texts are Windows-1250; type 0 means "no parameter".
struct ParamDecl {
    int type = 0;
    int flags = 0;
    std::string key, description, defaultValue, minimum, maximum;
};

// Parameter type codes as the host knows them.
enum ParamType : int {
    ptNone = 0,
    ptText = 1,
    ptTextList = 3,  // the chosen list text itself is stored
    ptInteger = 4,
    ptDate = 5,
    ptDirectory = 6,
    ptChoice = 7,  // the index of the chosen list text is stored
};

// Flag of an internal value the plug-in keeps for itself (not edited by the user).
inline constexpr int kParamInternal = 2;

// The declaration at (group, index); type 0 and empty texts when there is none.
// programDir is the host's program folder (empty: "c:\Ambrel\"); directory
// defaults are built from it.
ParamDecl declareParameter(int group, int index, const std::string& programDir);

// The index-th list text of the list parameter named by key (letter case
// ignored); empty when there is none.
std::string parameterListText(std::string_view key, int index);

}  // namespace zt
