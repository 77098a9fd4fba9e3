// Which exported records fit the register's protocol fields, and the group
// number the goods get.
#include <gtest/gtest.h>

#include "drivers/combo/group_map.h"
#include "drivers/export/exp_records.h"
#include "drivers/export/goods_pass.h"
#include "platform/cp1250.h"

using namespace zt;

namespace {

ZTTowRec Goods() {
    ZTTowRec r;
    r.plu = 1;
    r.kod = "5900000000011";
    r.nazwa = "Chleb";
    r.cena = TxfTools::FromParts(350, 0);
    r.jedn = 1;
    r.ile_w_kodzie = 1000;
    r.nr_asort = 10;
    return r;
}

TEST(GoodsFit, NumbersOutsideTheirFieldsAreNamed) {
    const GroupMap map = GroupMap::FromText("10=0\r\n20=300");
    ZTPrzebiegTowarow p;
    p.mapa = &map;
    struct Case {
        void (*change)(ZTTowRec&);
        int pass;
        const char* want;  // empty: fits
    };
    const Case cases[] = {
        {[](ZTTowRec&) {}, 2, ""},
        {[](ZTTowRec& r) { r.plu = 65535; }, 2, ""},
        {[](ZTTowRec& r) { r.plu = 0; }, 2, "numer PLU 0 poza zakresem kasy (1-65535)"},
        {[](ZTTowRec& r) { r.plu = 65536; }, 0, "numer PLU 65536 poza zakresem kasy (1-65535)"},
        {[](ZTTowRec& r) { r.jedn = 256; }, 2, "jednostka miary 256 poza zakresem kasy (0-255)"},
        {[](ZTTowRec& r) { r.jedn = 256; }, 0, ""},                    // a deletion sends the PLU alone
        {[](ZTTowRec& r) { r.jedn = 256, r.status = stCen; }, 2, ""},  // a price change the PLU and its price
        {[](ZTTowRec& r) { r.precyzja = -1; }, 2, "precyzja -1 poza zakresem kasy (0-255)"},
        {[](ZTTowRec& r) { r.kod_opakowania = "-5"; }, 2, "numer opakowania towaru -5 poza zakresem kasy (0-65)"},
        {[](ZTTowRec& r) { r.nr_asort = 20; }, 2, "grupa towarowa 301 poza zakresem kasy (1-255)"},
        {[](ZTTowRec& r) { r.cena = TxfTools::FromParts(500000000000LL, 0); }, 2,
         "cena 500000000000 poza zakresem kasy"},
        {[](ZTTowRec& r) { r.cena = TxfTools::FromParts(4999999999999LL, 1); }, 2, ""},  // cut to 499999999999
        {[](ZTTowRec& r) { r.ile_w_kodzie = 0; }, 2, "mnożnik ilości w kodzie 0 nie jest dodatni"},
        {[](ZTTowRec& r) { r.kod = std::string(60001, '7'); }, 2, "kod kreskowy dłuższy niż 60000 znaków"},
        {[](ZTTowRec& r) { r.kod = std::string(60001, '7'); }, 0, ""},  // a deletion sends the number alone
        {[](ZTTowRec& r) { r.opakowanie = true, r.kod = "70000"; }, 3,
         "numer opakowania 70000 poza zakresem kasy (1-65535)"},
        {[](ZTTowRec& r) { r.opakowanie = true, r.kod = "KRAT"; }, 1, ""},  // package 99
        {[](ZTTowRec& r) { r.opakowanie = true, r.kod = "0"; }, 1, "numer opakowania 0 poza zakresem kasy (1-65535)"},
    };
    for (const auto& c : cases) {
        ZTTowRec r = Goods();
        c.change(r);
        EXPECT_EQ(NiePasujeDoKasy(p, r, c.pass), pl(c.want)) << c.want;
    }
}

TEST(GoodsFit, GroupNumberFromTheMap) {
    const GroupMap map = GroupMap::FromText("10=0\r\n20=4");
    ZTPrzebiegTowarow p;
    p.mapa = &map;
    EXPECT_EQ(GrupaTowaru(p, 10), 1);
    EXPECT_EQ(GrupaTowaru(p, 20), 5);
    EXPECT_EQ(GrupaTowaru(p, 30), 1);  // not in the map
    p.jednaGrupa = true;
    EXPECT_EQ(GrupaTowaru(p, 20), 1);
}

}  // namespace
