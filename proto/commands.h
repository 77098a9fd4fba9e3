#pragma once
// The commands of the register protocol, one table for the driver and the
// simulated register alike, and the execution codes both name.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

namespace zt {

enum ComboCommand : std::uint16_t {
    cmdTIMEGET = 14,
    cmdDATEGET = 15,
    cmdHEADERGET = 18,
    cmdVATGET = 20,
    cmdDRAWERIMPULSEGET = 306,
    cmdCASHREGPARGET = 321,
    cmdDISCNTCARDCFGGETEX = 334,
    cmdSALERECGET = 451,
    cmdCASHREGSTATUSGET = 501,
    cmdDBSTATUSGET = 502,
    cmdREPFSKDAILY = 1165,
    cmdREPFSKMONTHLY = 1168,
    cmdREPCOMM = 1171,
    cmdCNTXPLUINIT = 2000,
    cmdCNTXMUINIT = 2002,
    cmdCNTXPACKINIT = 2003,
    cmdCNTXGROUPINIT = 2004,
    cmdPLUINS = 2100,
    cmdPLUREAD = 2110,
    cmdPLUDEL = 2140,
    cmdPLUDELALL = 2150,
    cmdPLUSTATREAD = 2160,
    cmdPLUSTATCLEARALL = 2170,
    cmdPLUPRICEUPDATE = 2181,
    cmdUSERINS = 2500,
    cmdUSERREAD = 2510,
    cmdUSERSTATREAD = 2560,
    cmdUSERPAYFORMSTATREAD = 2561,
    cmdMUINS = 2600,
    cmdMUREAD = 2610,
    cmdPACKINS = 2700,
    cmdPACKREAD = 2710,
    cmdPACKDEL = 2740,
    cmdPACKDELALL = 2750,
    cmdPACKSTATREAD = 2760,
    cmdPACKSTATCLEARALL = 2770,
    cmdGROUPINS = 2800,
    cmdGROUPREAD = 2810,
    cmdPAYFORMINS = 2900,
    cmdPAYFORMREAD = 2910,
};

// Answer codes other than the request's own.
constexpr std::uint16_t kAnswerStatus = 0;   // transmission and execution status
constexpr std::uint16_t kAnswerComplex = 1;  // a report is running; its answer comes later

// What both ends know of a command: its code, its name in the communication
// log, the request fields the register takes and the answer fields the drivers
// read. Layouts are type letters by field index ('S', 'B', 'V', 'L', 'N'); in an
// answer '.' is a field no driver reads and further fields may follow.
struct CommandInfo {
    std::uint16_t code;
    std::string_view name;
    // The request fields in order; null where the register does not check them
    // (REPFSKMONTHLY, and the commands it does not run at all).
    const char* request;
    std::string_view answer;
    // A group that follows `answer` as many times as a count field announces
    // (header lines, VAT slots, extra barcodes, payment forms of a cashier).
    std::string_view repeated;
    // Runs as a complex sequence: answered with code 1 first, the final answer
    // follows when the register has printed the report.
    bool complex;
};

// Sorted by code.
inline constexpr CommandInfo kCommands[] = {
    {cmdTIMEGET, "TIMEGET", "", "BBB", "", false},
    {cmdDATEGET, "DATEGET", "", "BBV", "", false},
    {cmdHEADERGET, "HEADERGET", "", "B", ".S", false},
    {cmdVATGET, "VATGET", "", "", "V", false},
    {cmdDRAWERIMPULSEGET, "DRAWERIMPULSEGET", nullptr, "", "", false},
    {cmdCASHREGPARGET, "CASHREGPARGET", "", "S", "", false},
    {cmdDISCNTCARDCFGGETEX, "DISCNTCARDCFGGETEX", "", "...S", "", false},
    // The record's own fields follow by its type (field 2).
    {cmdSALERECGET, "SALERECGET", "B", "B.V", "", false},
    {cmdCASHREGSTATUSGET, "CASHREGSTATUSGET", "", "BSVB...BBVBBB......SSS", "", false},
    {cmdDBSTATUSGET, "DBSTATUSGET", "", ".BVVVVVVVVVVVVVVVVVVVV", "", false},
    {cmdREPFSKDAILY, "REPFSKDAILY", "BBVBB", "", "", true},
    {cmdREPFSKMONTHLY, "REPFSKMONTHLY", nullptr, "", "", true},
    {cmdREPCOMM, "REPCOMM", "", "", "", true},
    {cmdCNTXPLUINIT, "CNTXPLUINIT", "BB", "", "", false},
    {cmdCNTXMUINIT, "CNTXMUINIT", "BB", "", "", false},
    {cmdCNTXPACKINIT, "CNTXPACKINIT", "BB", "", "", false},
    {cmdCNTXGROUPINIT, "CNTXGROUPINIT", "BB", "", "", false},
    {cmdPLUINS, "PLUINS", "VSSNNBBBBBBBBBBB", "", "", false},
    // A set of goods (field 4 not 0) answers kPluReadSetAnswer instead.
    {cmdPLUREAD, "PLUREAD", "VB", "VSSNBBNBBBBBBBV", "S", false},
    {cmdPLUDEL, "PLUDEL", "VBB", "", "", false},
    {cmdPLUDELALL, "PLUDELALL", "B", "", "", false},
    {cmdPLUSTATREAD, "PLUSTATREAD", "VB", "VNNNBBV", "", false},
    {cmdPLUSTATCLEARALL, "PLUSTATCLEARALL", "BB", "", "", false},
    {cmdPLUPRICEUPDATE, "PLUPRICEUPDATE", "VN", "", "", false},
    {cmdUSERINS, "USERINS", "VSSSSVBBBB", "", "", false},
    {cmdUSERREAD, "USERREAD", "V", ".S", "", false},
    {cmdUSERSTATREAD, "USERSTATREAD", "VB", ".NNLNNNNNLLNLN..B.", "VN", false},
    {cmdUSERPAYFORMSTATREAD, "USERPAYFORMSTATREAD", nullptr, "", "", false},
    {cmdMUINS, "MUINS", "VSSB", "", "", false},
    {cmdMUREAD, "MUREAD", "V", "VS", "", false},
    {cmdPACKINS, "PACKINS", "VSSNNBBB", "", "", false},
    {cmdPACKREAD, "PACKREAD", "V", "VSSNNB", "", false},
    {cmdPACKDEL, "PACKDEL", "VBB", "", "", false},
    {cmdPACKDELALL, "PACKDELALL", "B", "", "", false},
    {cmdPACKSTATREAD, "PACKSTATREAD", "VB", "VNNNNN", "", false},
    {cmdPACKSTATCLEARALL, "PACKSTATCLEARALL", "B", "", "", false},
    {cmdGROUPINS, "GROUPINS", "VSBB", "", "", false},
    {cmdGROUPREAD, "GROUPREAD", "V", "VS", "", false},
    {cmdPAYFORMINS, "PAYFORMINS", "VSBVSNBB", "", "", false},
    {cmdPAYFORMREAD, "PAYFORMREAD", "V", "..B..N", "", false},
};

// PLUREAD of a set of goods; its extra barcodes repeat as for goods.
inline constexpr std::string_view kPluReadSetAnswer = "VSSNBBBBV";

constexpr bool CommandsSorted() {
    for (std::size_t i = 1; i < std::size(kCommands); ++i)
        if (kCommands[i - 1].code >= kCommands[i].code) return false;
    return true;
}
static_assert(CommandsSorted(), "kCommands must be sorted by code, each code once");

// The table's entry, null for a code not listed.
constexpr const CommandInfo* FindCommand(int code) {
    const auto* it = std::lower_bound(std::begin(kCommands), std::end(kCommands), code,
                                      [](const CommandInfo& c, int v) { return c.code < v; });
    return it != std::end(kCommands) && it->code == code ? it : nullptr;
}

// The name written to the communication log; "???" for a code not listed.
constexpr std::string_view CommandName(int code) {
    const CommandInfo* c = FindCommand(code);
    return c ? c->name : "???";
}

// The request layout the register checks; none for a code it does not check.
constexpr std::optional<std::string_view> RequestLayout(int code) {
    const CommandInfo* c = FindCommand(code);
    if (!c || !c->request) return std::nullopt;
    return std::string_view(c->request);
}

constexpr bool IsComplexCommand(int code) {
    const CommandInfo* c = FindCommand(code);
    return c && c->complex;
}

// The reports are the only complex sequences.
constexpr bool IsSimpleCommand(int code) { return !IsComplexCommand(code); }

// Execution codes (field 2 of a status answer) that the drivers or the
// register name.
namespace code {
constexpr std::uint16_t kNoMoreReceipts = 801, kRecordKept = 901, kNoRecord = 903, kDatabaseFull = 905,
                        kBarcodeTaken = 920, kBadVat = 924, kEmptyName = 945, kNoUser = 956, kEndOfContext = 975,
                        kUnknownCommand = 3008, kBadType = 3011, kTooManyFields = 3012, kMissingData = 3013;
}  // namespace code

// Execution codes that count as accepted.
constexpr bool IsIgnoredExecutionCode(int code) {
    switch (code) {
        case 801:
        case 901:
        case 903:
        case 909:
        case 910:
        case 920:
        case 921:
        case 926:
        case 938:
        case 944:
        case 948:
        case 949:
        case 950:
        case 951:
        case 959:
        case 975:
        case 2035:
        case 2106:
        case 6666: return true;
        default: return false;
    }
}

}  // namespace zt
