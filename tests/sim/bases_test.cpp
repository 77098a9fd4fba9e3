// The register's bases as the export and the goods import meet them: a full
// base refuses a new record but takes a changed one, a barcode belongs to one
// PLU, a number the register does not hold is reported, and a reading by
// number answers that record.
#include <gtest/gtest.h>

#include <functional>

#include "sim/register_engine.h"
#include "tests/sim/engine_client.h"

namespace zt::sim {
namespace {

using F = TComboFraming;
using Fields = std::vector<std::string>;
using test::EngineClient;

Fields pluIns(std::uint16_t plu, const std::string& barcode) {
    return {F::EncodeV(plu), F::EncodeS("Bulka"), F::EncodeS(barcode), F::EncodeN(99), F::EncodeN(0), F::EncodeB(0),
            F::EncodeB(1),   F::EncodeB(0),       F::EncodeB(1),       F::EncodeB(2),  F::EncodeB(0), F::EncodeB(1),
            F::EncodeB(1),   F::EncodeB(0),       F::EncodeB(1),       F::EncodeB(0)};
}
Fields packIns(std::uint16_t n) {
    return {F::EncodeV(n),   F::EncodeS("Kosz"), F::EncodeS(std::to_string(n)),
            F::EncodeN(300), F::EncodeN(0),      F::EncodeB(1),
            F::EncodeB(1),   F::EncodeB(0)};
}
Fields groupIns(std::uint16_t n) { return {F::EncodeV(n), F::EncodeS("Napoje"), F::EncodeB(1), F::EncodeB(1)}; }
Fields unitIns(std::uint16_t n) { return {F::EncodeV(n), F::EncodeS("opak."), F::EncodeS("opak"), F::EncodeB(1)}; }
Fields userIns(std::uint16_t n) {
    return {F::EncodeV(n),      F::EncodeS("Lis"), F::EncodeS("LIS"), F::EncodeS(""), F::EncodeS(""),
            F::EncodeV(0xFFFF), F::EncodeB(255),   F::EncodeB(6),     F::EncodeB(1),  F::EncodeB(1)};
}
Fields payIns(std::uint16_t n) {
    return {F::EncodeV(n),  F::EncodeS("Bon 2"), F::EncodeB(4), F::EncodeV(1),
            F::EncodeS(""), F::EncodeN(1),       F::EncodeB(1), F::EncodeB(1)};
}

void full(RegisterState& s) {
    auto& d = s.databases;
    d.plu = static_cast<std::uint16_t>(s.goods.size()), d.packages = static_cast<std::uint16_t>(s.packages.size());
    d.groups = static_cast<std::uint16_t>(s.groups.size()), d.units = static_cast<std::uint16_t>(s.units.size());
    d.cashiers = static_cast<std::uint16_t>(s.cashiers.size());
    d.payForms = static_cast<std::uint16_t>(s.payForms.size());
}

TEST(Bases, FullBasesTakenBarcodesAndUnknownNumbers) {
    const auto none = [](RegisterState&) {};
    const struct {
        const char* name;
        std::function<void(RegisterState&)> prepare;
        std::uint16_t code;
        Fields request;
        int statusW;  // -1: done
    } rows[] = {
        {"full goods base refuses a new PLU", full, cmdPLUINS, pluIns(77, "123"), 905},
        {"full goods base takes a changed PLU", full, cmdPLUINS, pluIns(1, "5900000000017"), -1},
        {"full package base", full, cmdPACKINS, packIns(9), 905},
        {"full package base takes a changed package", full, cmdPACKINS, packIns(2), -1},
        {"full group base", full, cmdGROUPINS, groupIns(9), 905},
        {"full group base overwrites a group", full, cmdGROUPINS, groupIns(2), -1},
        {"full unit base", full, cmdMUINS, unitIns(9), 905},
        {"full unit base takes a changed unit", full, cmdMUINS, unitIns(1), -1},
        {"full cashier base", full, cmdUSERINS, userIns(9), 905},
        {"full payment-form base", full, cmdPAYFORMINS, payIns(9), 905},
        {"full payment-form base reprograms a form", full, cmdPAYFORMINS, payIns(4), -1},
        {"barcode of another PLU", none, cmdPLUINS, pluIns(77, "5900000000017"), 920},
        {"extra barcode of another PLU", none, cmdPLUINS, pluIns(77, "5900000000031"), 920},
        {"a PLU keeps its own barcode", none, cmdPLUINS, pluIns(2, "5900000000024"), -1},
        {"goods without a barcode never collide", [](RegisterState& s) { s.findPlu(1)->barcode.clear(); }, cmdPLUINS,
         pluIns(77, ""), -1},
        {"read of an unknown PLU", none, cmdPLUREAD, {F::EncodeV(99), F::EncodeB(1)}, 903},
        {"sales of an unknown PLU", none, cmdPLUSTATREAD, {F::EncodeV(99), F::EncodeB(1)}, 903},
        {"read of an unknown package", none, cmdPACKREAD, {F::EncodeV(9)}, 903},
        {"read of an unknown group", none, cmdGROUPREAD, {F::EncodeV(9)}, 903},
        {"read of an unknown unit", none, cmdMUREAD, {F::EncodeV(9)}, 903},
        {"price of an unknown PLU", none, cmdPLUPRICEUPDATE, {F::EncodeV(99), F::EncodeN(100)}, 903},
        {"deletion of an unknown PLU", none, cmdPLUDEL, {F::EncodeV(99), F::EncodeB(0), F::EncodeB(0)}, 903},
        {"deletion of an unknown package", none, cmdPACKDEL, {F::EncodeV(9), F::EncodeB(0), F::EncodeB(0)}, 903},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RegisterEngine e;
        row.prepare(e.state());
        const RegisterState before = e.state();
        auto a = EngineClient(e).command(row.code, row.request);
        ASSERT_TRUE(a);
        if (row.statusW < 0) {
            EXPECT_EQ(a->code, row.code);
        } else {
            EXPECT_EQ(a->statusW(), row.statusW);
            EXPECT_TRUE(e.state() == before);
        }
    }
}

TEST(Bases, GroupsAndUnitsReadByNumberLeaveTheContextAlone) {
    RegisterEngine e;
    EngineClient c(e);
    c.command(cmdCNTXGROUPINIT, {F::EncodeB(0), F::EncodeB(0)});
    EXPECT_EQ(c.command(cmdGROUPREAD, {F::EncodeV(0)})->fields[0].AsV(), 1);
    auto g = c.command(cmdGROUPREAD, {F::EncodeV(3)});
    EXPECT_EQ(g->fields[0].AsV(), 3);
    EXPECT_EQ(g->fields[1].AsS(), e.state().groups[2].name);
    EXPECT_EQ(c.command(cmdGROUPREAD, {F::EncodeV(0)})->fields[0].AsV(), 2);
    auto u = c.command(cmdMUREAD, {F::EncodeV(2)});
    EXPECT_EQ(u->fields[0].AsV(), 2);
    EXPECT_EQ(u->fields[2].AsS(), "kg");
}

}  // namespace
}  // namespace zt::sim
