#pragma once
// The register's type code (first field of the CASHREGSTATUSGET answer) and
// what the driver makes of it: the name shown and the family.
#include <string>

#include "link/host_services.h"

namespace zt {

struct RegisterType {
    std::string name;  // Windows-1250
    int family = 0;    // meaningful only when known or the code is 0
    bool known = false;
};

// Code 0 gives "<niezidentyfikowany>" with family 0 and known false; a code not
// in the table gives "<nieznana o kodzie N>", known false and family -1 (the
// caller keeps its own).
RegisterType IdentifyRegister(int typeCode, const HostServices& host);

// Mobile, Mobile HS EJ and the Bingo HS models keep no receipt buffer.
constexpr bool FamilyWithoutReceiptBuffer(int family) { return family >= 1 && family <= 4; }

}  // namespace zt
