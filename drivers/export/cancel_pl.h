#pragma once
// Reading the register's goods and packages for the comparing export: every
// entry goes into the snapshot "combo.tow" and into the export buffer's
// register list, and the buffer then decides what has to be sent.
namespace zt {

class TZTComboAction;
class TZTComboExpBuf;
class ZTComboTowPlik;

// Reads all goods (PLUREAD until 975), then all packages (PACKREAD until 975
// or 903); buf may be null (only the snapshot grows). Does nothing on the file
// connection.
void CancelPl(TZTComboAction& action, TZTComboExpBuf* buf, ZTComboTowPlik& snapshot);

// The comparison step: the register's lists read, "combo.tow" written (also
// after a failed reading, with what was read), then the buffer's analysis.
void PorownajZKasa(TZTComboAction& action, TZTComboExpBuf& buf);

}  // namespace zt
