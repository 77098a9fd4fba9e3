#pragma once
// Command codes of the register protocol and their names in the communication log.
#include <cstdint>
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

// The name written to the communication log; "???" for a code not listed.
constexpr std::string_view CommandName(int code) {
    switch (code) {
        case cmdTIMEGET: return "TIMEGET";
        case cmdDATEGET: return "DATEGET";
        case cmdHEADERGET: return "HEADERGET";
        case cmdVATGET: return "VATGET";
        case cmdDRAWERIMPULSEGET: return "DRAWERIMPULSEGET";
        case cmdCASHREGPARGET: return "CASHREGPARGET";
        case cmdDISCNTCARDCFGGETEX: return "DISCNTCARDCFGGETEX";
        case cmdSALERECGET: return "SALERECGET";
        case cmdCASHREGSTATUSGET: return "CASHREGSTATUSGET";
        case cmdDBSTATUSGET: return "DBSTATUSGET";
        case cmdREPFSKDAILY: return "REPFSKDAILY";
        case cmdREPFSKMONTHLY: return "REPFSKMONTHLY";
        case cmdREPCOMM: return "REPCOMM";
        case cmdCNTXPLUINIT: return "CNTXPLUINIT";
        case cmdCNTXMUINIT: return "CNTXMUINIT";
        case cmdCNTXPACKINIT: return "CNTXPACKINIT";
        case cmdCNTXGROUPINIT: return "CNTXGROUPINIT";
        case cmdPLUINS: return "PLUINS";
        case cmdPLUREAD: return "PLUREAD";
        case cmdPLUDEL: return "PLUDEL";
        case cmdPLUDELALL: return "PLUDELALL";
        case cmdPLUSTATREAD: return "PLUSTATREAD";
        case cmdPLUSTATCLEARALL: return "PLUSTATCLEARALL";
        case cmdPLUPRICEUPDATE: return "PLUPRICEUPDATE";
        case cmdUSERINS: return "USERINS";
        case cmdUSERREAD: return "USERREAD";
        case cmdUSERSTATREAD: return "USERSTATREAD";
        case cmdUSERPAYFORMSTATREAD: return "USERPAYFORMSTATREAD";
        case cmdMUINS: return "MUINS";
        case cmdMUREAD: return "MUREAD";
        case cmdPACKINS: return "PACKINS";
        case cmdPACKREAD: return "PACKREAD";
        case cmdPACKDEL: return "PACKDEL";
        case cmdPACKDELALL: return "PACKDELALL";
        case cmdPACKSTATREAD: return "PACKSTATREAD";
        case cmdPACKSTATCLEARALL: return "PACKSTATCLEARALL";
        case cmdGROUPINS: return "GROUPINS";
        case cmdGROUPREAD: return "GROUPREAD";
        case cmdPAYFORMINS: return "PAYFORMINS";
        case cmdPAYFORMREAD: return "PAYFORMREAD";
        default: return "???";
    }
}

// The reports run as complex sequences: first answered with code 1, the final
// answer follows when the register has printed them.
constexpr bool IsSimpleCommand(int code) {
    return code != cmdREPFSKDAILY && code != cmdREPFSKMONTHLY && code != cmdREPCOMM;
}

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
