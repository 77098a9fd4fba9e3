#pragma once
// The goods passes of the export: goods deleted, packages deleted, packages
// programmed, goods programmed, one command per record, each booked as
// transferred or rejected.
#include <string>
#include <vector>

namespace zt {

class GroupMap;
class TZTComboAction;
class ZTExpBuf;
struct ZTTowRec;

// What the passes need besides the buffer.
struct ZTPrzebiegTowarow {
    int rodzina = 0;            // deviceFamily
    int poziomCen = 0;          // PoziomCen
    bool jednaGrupa = false;    // ComboOneAsortOnly
    int flagaProduktu = 0;      // ComboProductFlag
    bool pokazRekordy = false;  // ComboProgressTow
    const GroupMap* mapa = nullptr;
    std::vector<int> grupy;  // the "ASS" group numbers, sorted
};

// The group number PLUINS sends for a host group.
int GrupaTowaru(const ZTPrzebiegTowarow& p, int nrAsort);
// Why goods of an "ASS" group cannot be programmed into it (a negative number,
// or no register slot left for it), or empty.
std::string GrupaBezMiejsca(const ZTPrzebiegTowarow& p, int nrAsort);

// Why the record cannot be sent as it stands (a number outside its protocol
// field), or empty. pass as for SendPluR.
std::string NiePasujeDoKasy(const ZTPrzebiegTowarow& p, const ZTTowRec& rec, int pass);

// The VAT slot of every goods record the programming pass will send in full,
// so that a rate no slot holds fails before the register is touched;
// cenaPelna: price changes too are going to be sent in full.
void SprawdzStawki(TZTComboAction& action, const ZTExpBuf& buf, const ZTPrzebiegTowarow& p, bool cenaPelna);

// pass 0 deletes goods, 1 deletes packages, 2 programs goods, 3 programs packages.
void SendPluR(TZTComboAction& action, ZTExpBuf& buf, const ZTPrzebiegTowarow& p, int pass);

}  // namespace zt
