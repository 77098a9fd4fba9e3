#pragma once
// Shared tools of the drivers: whole-file writes through a temporary file,
// archive files, the debug/communication log, fixed-width texts, digit
// packing, scaled decimal reading, VAT rate texts, Polish-letter code pages and
// the EAN-13 check digit. Texts are Windows-1250; "file" means a path.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/api.h"

namespace zt {

class TMLgExtTools;

class ZT_API TLTools {
public:
    // Rows of the Polish-letter table used by plstring.
    int codePageFrom = 2;
    int codePageTo = 2;
    bool debugOn = false;
    std::string debugPath;

    // The file holds exactly the text afterwards.
    void BufToFile(std::string_view text, const std::string& file);
    // Appends the text to the file (created when missing).
    void BufToAppendFile(std::string_view text, const std::string& file);
    // Writes through the temporary file and renames it to the file; with append
    // the file's old content comes first. The file changes in one rename.
    void BufToFileEx(std::string_view text, const std::string& file, const std::string& tempFile, const TMLgExtTools* t,
                     bool append);
    // Renames, replacing an existing target.
    void RenFile(const std::string& from, const std::string& to, const TMLgExtTools* t);
    // Appends the source's lines to the archive, after an optional header.
    void ArchiveFile(const std::string& source, const std::string& archive, const TMLgExtTools* t, bool isExport,
                     int mode, bool writeHeader, std::string_view extra);
    // Writes the lines (CR LF ends) to a new file; a null list does nothing;
    // failures are swallowed.
    void SaveListToFile(const std::vector<std::string>* list, const std::string& file);

    // Sets up the log file with its header; debugOn tells whether that worked
    // (a failure also ends logging to an earlier file). Nothing is raised.
    void InitDebug(const std::string& file, const TMLgExtTools* t);
    // "time stamp, blank, label, blank, text"; file errors are raised.
    void DebugIt(std::string_view label, std::string_view text);
    // 16 bytes a line, each "%02X ", then the same bytes as characters (below
    // 0x20 as '.'); the first line after the time stamp and a blank, the
    // others after as many blanks.
    void DebugItHex(const void* bytes, int length);

    static std::string StrMax(std::string_view text, int maximum, bool ellipsis);
    // Sides: 0 left, 1 right.
    static std::string StrSize(std::string_view text, int size, char pad, int cutSide, int padSide);
    // Decimal text x 10^decimals, rounded half away from zero; a blank text is
    // 0; raises zt::EMException for anything that is not a number.
    static std::int64_t Str2Int(std::string_view text, int decimals);

    // count pairs of characters into count bytes, first character high nibble;
    // missing characters count as '0', characters that are no hex digit as 0.
    static void Dec2Bin(std::string_view digits, std::uint8_t* bytes, int count);
    static void Hex2Bin(std::string_view digits, std::uint8_t* bytes, int count);
    // count bytes as 2 x count characters, high nibble first.
    static std::string Bin2Dec(const std::uint8_t* bytes, int count);
    static std::string Bin2Hex(const std::uint8_t* bytes, int count);
    static int Hex2BinDigit(char c) noexcept;
    static int Dec2BinDigit(char c) noexcept;

    // -1 is "zw".
    static std::string Vat2Str(int rate);
    static int Str2Vat(std::string_view text);

    // From 1-based start up to (not including) a stop character.
    static std::string CopyTill(std::string_view text, std::string& result, std::string_view stops, int start);
    // Digits only, 12 of them (cut or padded with '0' on the right), plus the
    // check digit.
    static void KorygujCyfreKontrolnaEAN13(std::string& code);
    // Polish letters from row codePageFrom to row codePageTo.
    std::string plstring(std::string_view text) const;
    static const std::uint8_t (&plTable())[14][18];

    // The host's program folder from the registry, with a trailing '\\';
    // empty when unknown (always off Windows).
    static std::string WczytajSciezkeDoBinariow();
    static std::string GetDirShortPath(const std::string& path);
    static bool IsFile(const std::string& pattern);
    static bool Is_Win_NT();

private:
    std::string timeStamp() const;
};

}  // namespace zt
