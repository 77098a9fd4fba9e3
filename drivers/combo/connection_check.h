#pragma once
// Operation -1: identify the register and describe it line by line, then check
// its payment forms and its number.
namespace zt {

class TZTComboAction;

void TestConnection(TZTComboAction& action);
// Whether the register's own number equals the number the host gave the action.
bool CheckRegisterNumber(TZTComboAction& action);

}  // namespace zt
