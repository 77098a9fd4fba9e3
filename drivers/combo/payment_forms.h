#pragma once
// Payment forms 2 to 6 of the register: what type each must have, and the
// check that a fiscal register, which cannot be reprogrammed, has them right.
namespace zt {

class TZTComboAction;

// Reads forms 2..6; warns for each of the wrong type and then fails.
void VerifyPaymentForms(TZTComboAction& action);

// The type that payment form n (2..6) must have; -1 for other numbers.
int RequiredPaymentFormType(int form);

}  // namespace zt
