#include "link/identification.h"

#include "platform/cp1250.h"
#include "platform/text.h"

namespace zt {
namespace {

struct Row {
    int code;
    const char* name;
    int family;
};

constexpr Row kTypes[] = {
    {1, "COMBO 1.01", 0},         {2, "NEO 1.01", 5},           {3, "COMBO 1.02", 6},
    {4, "NEO 1.02", 7},           {5, "BINGO HS 3.02", 3},      {6, "COMBO 1.03", 6},
    {7, "NEO 1.03", 7},           {8, "COMBO EJ 1.01", 0},      {9, "NEO EJ 1.01", 7},
    {10, "MOBILE 1.03", 1},       {11, "BINGO HS EJ 4.01", 4},  {12, "MOBILE 1.04", 1},
    {23, "MOBILE HS EJ 1.01", 2}, {24, "NEO XL EJ 2.01", 8},    {25, "BINGO HS EJ 4.03", 4},
    {26, "BINGO HS 3.03", 4},     {27, "MOBILE HS EJ 1.02", 2}, {28, "BINGO HS XL EJ 1.01", 9},
    {29, "NEO XL 3.01", 10},      {30, "REVO 1.01", 11},        {31, "ERGO 1.01", 11},
    {33, "Bingo HS EJ 4.04", 4},  {34, "Bingo XL 2.01", 9},
};

}  // namespace

RegisterType IdentifyRegister(int typeCode, const HostServices& host) {
    if (typeCode == 0) return {host.Tr("TZTComboOpenPortsTypProt", "<niezidentyfikowany>"), 0, false};
    for (const Row& r : kTypes)
        if (r.code == typeCode) return {r.name, r.family, true};
    return {format("<nieznana o kodzie %d>", typeCode), -1, false};
}

}  // namespace zt
