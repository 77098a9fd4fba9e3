#include "tools/ltools.h"

#include <cstdio>

#include "platform/cp1250.h"
#include "platform/datetime.h"
#include "platform/decimal.h"
#include "platform/exception.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "platform/translation.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zt {
namespace {

constexpr std::string_view kModule = "zttools_LTools";
constexpr std::string_view kCrLf = "\r\n";

std::string nowText() { return TdtTools::Now().ToString(TdtTools::kDateTime); }

const std::uint8_t kPlTable[14][18] = {
    {0xA4, 0x8F, 0xA8, 0x9D, 0xE3, 0xE0, 0x97, 0xBD, 0x8D, 0xA5, 0x86, 0xA9, 0x88, 0xE4, 0xA2, 0x98, 0xBE, 0xAB},
    {0x8F, 0x95, 0x90, 0x9C, 0xA5, 0xA3, 0x98, 0xA1, 0xA0, 0x86, 0x8D, 0x91, 0x92, 0xA4, 0xA2, 0x9E, 0xA7, 0xA6},
    {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0xAF, 0x8F, 0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0xBF, 0x9F},
    {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x88, 0x87, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x91, 0x90},
    {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8},
    {0x80, 0x82, 0x84, 0x8B, 0x8D, 0x8E, 0x92, 0x97, 0x99, 0xA0, 0xA2, 0xA4, 0xAB, 0xAD, 0xAE, 0xB2, 0xB7, 0xB9},
    {0x41, 0x43, 0x45, 0x4C, 0x4E, 0x4F, 0x53, 0x5A, 0x5A, 0x61, 0x63, 0x65, 0x6C, 0x6E, 0x6F, 0x73, 0x7A, 0x7A},
    {0xC0, 0xC3, 0xC6, 0xCC, 0xCE, 0xD0, 0xD5, 0xDD, 0xDC, 0xE0, 0xE3, 0xE6, 0xEC, 0xEE, 0xF0, 0xF5, 0xFD, 0xFC},
    {0x79, 0x78, 0x7A, 0x6C, 0x4E, 0x74, 0x53, 0x5A, 0x5A, 0x79, 0x78, 0x7A, 0x6C, 0x4E, 0x74, 0x53, 0x5A, 0x5A},
    {0x79, 0x78, 0x7A, 0x6C, 0x7B, 0x74, 0x7C, 0x7D, 0x7E, 0x79, 0x78, 0x7A, 0x6C, 0x7B, 0x74, 0x7C, 0x7D, 0x7E},
    {0x02, 0x01, 0x03, 0xF8, 0x04, 0x99, 0x05, 0x06, 0x06, 0x02, 0x01, 0x03, 0xF8, 0x04, 0x99, 0x05, 0x06, 0x06},
    {0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD4, 0xD3, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCB, 0xCA},
    {0x7B, 0x7D, 0x7F, 0x81, 0x83, 0x85, 0x87, 0x8B, 0x89, 0x7C, 0x7E, 0x80, 0x82, 0x84, 0x86, 0x88, 0x8C, 0x8A},
    {0xB8, 0xB9, 0x7D, 0xBA, 0xC0, 0xB6, 0xBB, 0xBF, 0xBC, 0xB8, 0xB9, 0x7D, 0xBA, 0xC0, 0xB6, 0xBB, 0xBF, 0xBC},
};

}  // namespace

const std::uint8_t (&TLTools::plTable())[14][18] { return kPlTable; }

std::string TLTools::timeStamp() const { return TdtTools::Now().ToString(TdtTools::kTime); }

// ---- whole files ----

// Every file written here is opened without following a link planted under its name.
void TLTools::BufToFile(std::string_view text, const std::string& file) {
    TMFile f(file, FileCreation::NoFollow);
    f.Open();
    f.SetPosition(0);
    f.Truncate();
    f.Write(text);
    f.Close();
}

void TLTools::BufToAppendFile(std::string_view text, const std::string& file) {
    TMFile f(file, FileCreation::NoFollow);
    f.Open();
    f.SeekEnd();
    f.Write(text);
    f.Close();
}

void TLTools::BufToFileEx(std::string_view text, const std::string& file, const std::string& tempFile,
                          const TMLgExtTools* t, bool append) {
    // A temporary file left by an earlier failure never gets appended to, and
    // the new one is created exclusively: a planted link cannot redirect it.
    deleteFile(tempFile);
    // The old content goes into the temporary file by copy, not rename, so
    // that the file stays whole until the final rename.
    const bool copied = append && fileExists(file);
    if (copied && !copyFile(file, tempFile, true)) {
        const int err = lastOsError();
        deleteFile(tempFile);  // no half copy is left behind
        throw EMException(err, tempFile, osErrorText(err));
    }
    TMFile f(tempFile, copied ? FileCreation::NoFollow : FileCreation::New);
    f.Open();
    f.SeekEnd();
    f.Write(text);
    f.Close();
    RenFile(tempFile, file, t);
}

void TLTools::RenFile(const std::string& from, const std::string& to, const TMLgExtTools* t) {
    if (fileExists(to) && !deleteFile(to))
        throw Exception(translate(t, kModule, "sRenFileExceptioAnsiStri", pl("Błąd usunięcia pliku ")) + to);
    if (!renameFile(from, to))
        throw Exception(translate(t, kModule, "sRenFileExceptioAnsiStri_00001", pl("Błąd zmiany nazwy pliku")) + to);
}

void TLTools::ArchiveFile(const std::string& source, const std::string& archive, const TMLgExtTools* t, bool isExport,
                          int mode, bool writeHeader, std::string_view extra) {
    if (!fileExists(source)) return;
    TMFile in(source, true);
    in.Open();
    TMFile out(archive, FileCreation::NoFollow);
    out.Open();
    out.SeekEnd();
    if (writeHeader) {
        if (isExport) {
            out.WriteLine(
                translate(t, kModule, "oolsArchiveFlineAnsiStri", "\r\n----------- [EKSPORT WYKONANY DNIA: ") +
                nowText() + "] ------------");
            switch (mode) {
                case 0: out.WriteLine(translate(t, kModule, "sArchiveFto_fileWriteLin", "OTWARTA ZM. FISK.")); break;
                case 1:
                    out.WriteLine(translate(t, kModule, "sArchiveFto_fileWriteLin_00001", "ZAMKNIETA ZM. FISK."));
                    break;
                case 2: out.WriteLine(translate(t, kModule, "sArchiveFto_fileWriteLin_00002", "WSZYSTKIE")); break;
                case 3: out.WriteLine(translate(t, kModule, "sArchiveFto_fileWriteLin_00003", "ZMIANA LISTY")); break;
                default: break;
            }
        } else {
            out.WriteLine(
                translate(t, kModule, "oolsArchiveFlineAnsiStri_00001", "\r\n------------ [IMPORT WYKONANY DNIA: ") +
                nowText() + "] ------------");
        }
    }
    if (!extra.empty()) out.WriteLine(extra);
    std::string line;
    while (in.ReadLine(line)) out.WriteLine(line);
    out.Close();
    in.Close();
}

void TLTools::SaveListToFile(const std::vector<std::string>* list, const std::string& file) {
    if (!list) return;
    try {
        if (fileExists(file)) deleteFile(file);
        TMFile f(file, FileCreation::NoFollow);
        f.Open();
        f.Truncate();
        for (const auto& line : *list) f.WriteLine(line);
        f.Close();
    } catch (...) {
        // Writing the list is best effort.
    }
}

// ---- debug log ----

void TLTools::InitDebug(const std::string& file, const TMLgExtTools* t) {
    // A failed set-up also ends logging to an earlier file: the path is gone.
    debugOn = false;
    debugPath = file;
    try {
        // The log folder may be writable by others: never append through a planted link.
        TMFile f(file, FileCreation::NoFollow);
        f.Open();
        f.SeekEnd();
        f.WriteLine(translate(t, kModule, "oolsInitDebulineAnsiStri", "\r\n--- [KOMUNIKACJA Z DNIA: ") + nowText() +
                    "] ---");
        f.Close();
        debugOn = true;
    } catch (...) {
        // No log then; the operation goes on.
    }
}

void TLTools::DebugIt(std::string_view label, std::string_view text) {
    if (!debugOn) return;
    TMFile f(debugPath, FileCreation::NoFollow);
    f.Open();
    f.SeekEnd();
    std::string line = timeStamp();
    line += ' ';
    line.append(label);
    line += ' ';
    line.append(text);
    f.WriteLine(line);
    f.Close();
}

void TLTools::DebugItHex(const void* bytes, int length) {
    if (!debugOn || length <= 0 || !bytes) return;
    const auto* b = static_cast<const std::uint8_t*>(bytes);
    const std::string stamp = timeStamp() + ' ';
    std::string out;
    for (int row = 0; row < length; row += 16) {
        out += row == 0 ? stamp : std::string(stamp.size(), ' ');
        const int n = length - row < 16 ? length - row : 16;
        char hex[4];
        for (int k = 0; k < n; ++k) {
            std::snprintf(hex, sizeof hex, "%02X ", b[row + k]);
            out += hex;
        }
        for (int k = 0; k < n; ++k) out += b[row + k] < 0x20 ? '.' : static_cast<char>(b[row + k]);
        out += kCrLf;
    }
    TMFile f(debugPath, FileCreation::NoFollow);
    f.Open();
    f.SeekEnd();
    f.Write(out);
    f.Close();
}

// ---- fixed-width texts and numbers ----

std::string TLTools::StrMax(std::string_view text, int maximum, bool ellipsis) {
    if (maximum < 0) maximum = 0;
    const auto max = static_cast<std::size_t>(maximum);
    if (text.size() <= max) return std::string(text);
    std::string r(text.substr(0, max));
    if (ellipsis && r.size() > 3) r.replace(r.size() - 3, 3, "...");
    return r;
}

std::string TLTools::StrSize(std::string_view text, int size, char pad, int cutSide, int padSide) {
    if (size < 0) size = 0;
    const auto n = static_cast<std::size_t>(size);
    std::string r(text);
    if (r.size() > n) r = cutSide == 1 ? r.substr(0, n) : r.substr(r.size() - n);
    if (r.size() < n) {
        if (padSide == 1)
            r.append(n - r.size(), pad);
        else
            r.insert(0, n - r.size(), pad);
    }
    return r;
}

std::int64_t TLTools::Str2Int(std::string_view text, int decimals) {
    if (TxTools::Trim(text).empty()) return 0;
    return TxfTools::Parse(text).Scaled(decimals);
}

int TLTools::Hex2BinDigit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

int TLTools::Dec2BinDigit(char c) noexcept { return Hex2BinDigit(c); }

void TLTools::Hex2Bin(std::string_view digits, std::uint8_t* bytes, int count) {
    for (int k = 0; k < count; ++k) {
        const std::size_t a = static_cast<std::size_t>(k) * 2;
        const int hi = a < digits.size() ? Hex2BinDigit(digits[a]) : 0;
        const int lo = a + 1 < digits.size() ? Hex2BinDigit(digits[a + 1]) : 0;
        bytes[k] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
}

void TLTools::Dec2Bin(std::string_view digits, std::uint8_t* bytes, int count) { Hex2Bin(digits, bytes, count); }

std::string TLTools::Bin2Dec(const std::uint8_t* bytes, int count) {
    std::string r;
    for (int k = 0; k < count; ++k) {
        r += static_cast<char>('0' + (bytes[k] >> 4));
        r += static_cast<char>('0' + (bytes[k] & 0x0F));
    }
    return r;
}

std::string TLTools::Bin2Hex(const std::uint8_t* bytes, int count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string r;
    for (int k = 0; k < count; ++k) {
        r += digits[bytes[k] >> 4];
        r += digits[bytes[k] & 0x0F];
    }
    return r;
}

std::string TLTools::Vat2Str(int rate) { return rate == -1 ? std::string("zw") : std::to_string(rate); }

int TLTools::Str2Vat(std::string_view text) {
    const std::string s = TxTools::Trim(text);
    if (TxTools::LowerCase(s) == "zw") return -1;
    std::int32_t v;
    if (!TxTools::TryStrToInt(s, v))
        throw EMException(0, "'" + std::string(text) + "' is not a valid integer value", "");
    return v;
}

std::string TLTools::CopyTill(std::string_view text, std::string& result, std::string_view stops, int start) {
    result.clear();
    for (std::size_t i = start < 1 ? 0 : static_cast<std::size_t>(start - 1); i < text.size(); ++i) {
        if (stops.find(text[i]) != std::string_view::npos) break;
        result += text[i];
    }
    return result;
}

void TLTools::KorygujCyfreKontrolnaEAN13(std::string& code) {
    std::string d = TxTools::DelAnyOtherChar(code, "0123456789");
    d.resize(12, '0');
    int sum = 0;
    for (int k = 0; k < 12; ++k) sum += (d[static_cast<std::size_t>(k)] - '0') * (k % 2 == 0 ? 1 : 3);
    d += static_cast<char>('0' + (10 - sum % 10) % 10);
    code = d;
}

std::string TLTools::plstring(std::string_view text) const {
    if (codePageFrom < 0 || codePageFrom > 13 || codePageTo < 0 || codePageTo > 13 || codePageFrom == codePageTo)
        return std::string(text);
    const std::uint8_t* from = kPlTable[codePageFrom];
    const std::uint8_t* to = kPlTable[codePageTo];
    std::string r(text);
    for (char& c : r) {
        for (int k = 0; k < 18; ++k) {
            if (static_cast<std::uint8_t>(c) == from[k]) {
                c = static_cast<char>(to[k]);
                break;
            }
        }
    }
    return r;
}

// ---- platform queries ----

std::string TLTools::WczytajSciezkeDoBinariow() {
#ifdef _WIN32
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ambrel\\Instalacja", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    char buf[1024] = {};
    DWORD type = 0, size = sizeof buf - 1;
    const LONG rc = RegQueryValueExA(key, "Binaria", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    buf[size < sizeof buf ? size : sizeof buf - 1] = '\0';
    std::string s = TxTools::Trim(buf);
    if (!s.empty() && s.back() != '\\') s += '\\';
    return s;
#else
    return {};
#endif
}

std::string TLTools::GetDirShortPath(const std::string& path) {
    const std::string s = shortPath(path);
    return s.empty() ? std::string("0") : s;
}

bool TLTools::IsFile(const std::string& pattern) { return anyFileMatches(pattern); }

bool TLTools::Is_Win_NT() {
#ifdef _WIN32
    return true;  // every Windows this runs on is of the NT family
#else
    return false;
#endif
}

}  // namespace zt
