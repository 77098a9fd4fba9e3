#pragma once
// The card server's input file: card patterns from the configuration and one
// line per contractor card, TAB-separated, read by the card server from
// <data dir>\wejscie\<register number - 1>\dcrd_in.txt.
#include <string>
#include <string_view>
#include <vector>

#include "platform/decimal.h"

namespace zt {

// What the card step is configured to do ("ComboSkp..." values).
struct CardFileSettings {
    int use = 0;           // 0 no file, 1 patterns and blocked cards, 2 patterns and all cards
    std::string patterns;  // "code/level/percent", ...
    int addToReb = 0;      // card discount may be combined with goods discounts
    int addToAddon = 0;    // ... with goods mark-ups
    std::string dataDir;   // the card server's data directory
};

// One contractor's card as the export file gives it.
struct CardServerCard {
    std::string code;    // KodKarty
    std::string name;    // Nazwa
    bool active = true;  // KartaAktywna
    TxfTools discount;   // RabatOdbiorcy
    int level = 0;       // PoziomRabatu
};

// The file's text and what the step has to tell the user.
struct CardServerText {
    std::string text;                   // header lines included
    int lines = 0;                      // pattern and card lines; 0 means no file
    std::vector<std::string> warnings;  // one message (kind 1) each, in order
};

// Builds the file for the register the host numbers registerNumber. Invalid
// patterns are left out with a warning. A card code holding TAB, CR or LF would
// split its line into other fields: such a card is left out with a warning, as
// is a card without a code. TAB, CR and LF in a name become spaces.
CardServerText BuildCardServerText(const CardFileSettings& settings, int registerNumber,
                                   const std::vector<CardServerCard>& cards);

// "<dir>\wejscie\<registerNumber - 1>\dcrd_in.<ext>", a "\" added to dir when
// it ends without a separator.
std::string CardServerFilePath(std::string_view dataDir, int registerNumber, std::string_view ext);

// Writes the text under the "tmp" name and renames it over the "txt" name;
// raises the platform's file error (missing directory, access).
void WriteCardServerFile(std::string_view dataDir, int registerNumber, std::string_view text);

}  // namespace zt
