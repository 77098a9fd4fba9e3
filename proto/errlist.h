#pragma once
// The register's error catalogue: a status code from a refused command turned into
// a Polish text for the user. Texts are looked up under the module key
// "ztcombo_cbaction"; some rows are fixed and never translated.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/translation.h"

namespace zt {

// One row of the catalogue. key: kErrListFixed for a text that is not looked up,
// 0 for the bare key "TZTComboErrListmsg", n for "TZTComboErrListmsg_%05d".
struct ErrListEntry {
    int key = 0;
    std::string text;  // Polish default, Windows-1250
};

constexpr int kErrListFixed = -1;
// Number of codes the catalogue knows.
constexpr int kErrListSize = 346;
// Key of the text given for codes the catalogue does not know.
constexpr int kErrListUnknownKey = 267;

// The row of a known code; nothing for any other code (0 included).
std::optional<ErrListEntry> errListEntry(std::uint32_t code);

// Text key of a row key ("TZTComboErrListmsg" or "TZTComboErrListmsg_00042").
std::string errListKey(int key);

// Text of a status code, translated where the row has a key; never fails.
std::string ErrList(std::uint32_t code, const TMLgExtTools* translations = nullptr);

}  // namespace zt
