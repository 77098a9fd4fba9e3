#pragma once
// Operations -2 and -5: program the register from "kasa.exp" and report in
// "wynik.exp" which goods records reached it.
namespace zt {

class TZTComboAction;

void Eksport(TZTComboAction& action);

}  // namespace zt
