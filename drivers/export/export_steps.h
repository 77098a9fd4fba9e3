#pragma once
// The programming steps of the export that come before the goods: discount
// cards for the card server, goods groups with the group map, units of
// measure, cashiers, payment forms with the euro rate. Each opens and closes
// its own status line.
#include <vector>

namespace zt {

class GroupMap;
class TZTComboAction;
class ZTExpBuf;

// The card server's input file from the configured patterns and the buffer's
// contractors; nothing with ComboSkpUse 0.
void WyslijKarty(TZTComboAction& action, const ZTExpBuf& buf);
// The buffer's "ASS" group numbers, sorted; negative ones only with
// withNegative (they never get a slot).
std::vector<int> GrupyBufora(const ZTExpBuf& buf, bool withNegative);
// Updates the map with the buffer's groups, stores it, then sends the groups
// that have a slot (or only the main group with ComboOneAsortOnly).
void WyslijGrupy(TZTComboAction& action, const ZTExpBuf& buf, GroupMap& map);
// Every unit's id as MUINS sends it; fails naming the first malformed one.
void SprawdzJednostki(const ZTExpBuf& buf);
void WyslijJednostki(TZTComboAction& action, const ZTExpBuf& buf);
// Cashiers, when configured and the register takes them; one failing cashier
// is shown and the next follows.
void WyslijKasjerow(TZTComboAction& action, const ZTExpBuf& buf);
// True when the register's payment forms can only be verified (fiscal mode on
// the families that keep them fixed).
bool FormyTylkoWeryfikowane(int deviceFamily, int workMode);
// Forms 2..6 and the euro rate.
void WyslijFormyPlatnosci(TZTComboAction& action, const ZTExpBuf& buf);

}  // namespace zt
