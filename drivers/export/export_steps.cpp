#include "drivers/export/export_steps.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/combo/group_map.h"
#include "drivers/export/card_file.h"
#include "drivers/export/exp_buf.h"
#include "drivers/export/kasa_exp.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "proto/commands.h"
#include "tools/ltools.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

// Cut to n characters; a NUL would end the protocol's text field early.
std::string limit(std::string_view s, int n) { return TLTools::StrMax(TxTools::DelChars(s, '\0'), n, false); }

std::uint8_t flag(bool v) { return v ? 1 : 0; }

// A status line closed as failed when its step ends in a failure.
template <class Body>
void krok(TZTComboAction& a, const std::string& label, int mode, Body body) {
    a.Postep(label, mode);
    try {
        body();
    } catch (...) {
        a.PostepTryb(1);
        throw;
    }
    a.PostepTryb(0);
}

}  // namespace

void WyslijKarty(TZTComboAction& a, const ZTExpBuf& buf) {
    CardFileSettings s;
    s.use = a.ParametrInt("ComboSkpUse");
    if (s.use == 0) return;
    s.patterns = a.Parametr("ComboSkpPatterns");
    s.addToReb = a.ParametrInt("ComboSkpAddToReb");
    s.addToAddon = a.ParametrInt("ComboSkpAddToAddon");
    s.dataDir = a.Parametr("ComboSkpDane");
    std::vector<CardServerCard> cards;
    cards.reserve(static_cast<std::size_t>(buf.CountKontrahents()));
    ZTKontrRec k;
    for (int i = 0; i < buf.CountKontrahents(); ++i) {
        buf.CzytajRec(i, k);
        cards.push_back({k.KodKarty, k.Nazwa, k.KartaAktywna, k.RabatOdbiorcy, k.PoziomRabatu});
    }
    krok(a, T("TZTComboSendDiscMsgAdd", "Programowanie kart rabatowych..."), 5, [&] {
        const CardServerText text = BuildCardServerText(s, a.NumerKasy(), cards);
        for (const auto& w : text.warnings) a.Komunikat(kWarning, w);
        if (text.lines > 0) WriteCardServerFile(s.dataDir, a.NumerKasy(), text.text);
    });
}

std::vector<int> GrupyBufora(const ZTExpBuf& buf, bool withNegative) {
    std::vector<int> groups;
    groups.reserve(static_cast<std::size_t>(buf.CountAsort()));
    ZTAsort g;
    for (int i = 0; i < buf.CountAsort(); ++i) {
        buf.CzytajAsort(i, g);
        if (withNegative || g.numer >= 0) groups.push_back(g.numer);
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

void WyslijGrupy(TZTComboAction& a, const ZTExpBuf& buf, GroupMap& map) {
    TComboLink& link = a.Link();
    const std::uint8_t o = flag(a.Config().groupOverwrite);
    if (a.Config().oneAsortOnly) {
        krok(a, T("TZTComboSendAssoMsgAdd", "Programowanie głównej grupy towarowej"), 5, [&] {
            link.SendCommand(cmdGROUPINS, {link.EncodeV(1), link.EncodeS(T("mboSendAssoSendAndRDataS", "Grupa główna")),
                                           link.EncodeB(o), link.EncodeB(o)});
        });
        return;
    }
    krok(a, T("TZTComboSendAssoMsgAdd_00001", "Programowanie grup towarowych"), 3, [&] {
        // Only pairs the register can use are kept: the map always fits its
        // pieces, and goods of a group left without a slot are rejected.
        map.Update(GrupyBufora(buf, false), kGroupMapMaxSlot);
        StoreGroupMap(GroupMapStorageOf(a), map);
        ZTAsort g;
        for (int i = 0; i < buf.CountAsort(); ++i) {
            link.ThrowIfAborted();
            buf.CzytajAsort(i, g);
            const auto slot = map.SlotOf(g.numer);
            if (!slot || *slot > kGroupMapMaxSlot) continue;
            a.PostepPozycja(*slot + 1);
            const std::string name = limit(g.nazwa, 24).substr(0, 20);
            link.SendCommand(cmdGROUPINS, {link.EncodeV(static_cast<std::uint16_t>(*slot + 1)), link.EncodeS(name),
                                           link.EncodeB(o), link.EncodeB(o)});
        }
    });
}

namespace {

// The unit's id (the first field of its stored line), 0..65535.
std::uint16_t idJednostki(const std::string& line) {
    const std::vector<std::string> f = expfield::Split(line);
    std::int32_t id = -1;
    if (f.empty() || !TxTools::TryStrToInt(TxTools::Trim(f[0]), id) || id < 0 || id > 65535) {
        const std::string def = pl("Nieprawidłowy identyfikator jednostki miary \"%s\"");
        const std::string id = f.empty() ? std::string() : f[0];
        throw Exception(format(formatTemplate(trc("TZTComboSendJMiaExceptio", def), def).c_str(), id.c_str()));
    }
    return static_cast<std::uint16_t>(id);
}

}  // namespace

void SprawdzJednostki(const ZTExpBuf& buf) {
    for (const auto& line : buf.Jednostki()) idJednostki(line);
}

void WyslijJednostki(TZTComboAction& a, const ZTExpBuf& buf) {
    TComboLink& link = a.Link();
    krok(a, T("TZTComboSendJMiaMsgAdd", "Programowanie jednostek miary"), 5, [&] {
        for (int i = 0; i < buf.CountJedn(); ++i) {
            link.ThrowIfAborted();
            const std::uint16_t id = idJednostki(buf.Jednostki()[static_cast<std::size_t>(i)]);
            const std::string name = buf.IdxJednNazwa(i);
            link.SendCommand(cmdMUINS, {link.EncodeV(id), link.EncodeS(limit(name, 24)), link.EncodeS(limit(name, 4)),
                                        link.EncodeB(1)});
        }
    });
}

void WyslijKasjerow(TZTComboAction& a, const ZTExpBuf& buf) {
    if (a.ParametrInt("ComboExpCashier") == 0) return;
    TComboLink& link = a.Link();
    if (link.deviceFamily > 4 && link.workMode != 0) return;
    krok(a, T("TZTComboSendCashMsgAdd", "Programowanie kasjerów..."), 5, [&] {
        for (int i = 0; i < buf.CountKasjer(); ++i) {
            link.ThrowIfAborted();
            const ZTKasjer& k = buf.GetKasjer(i);
            try {
                const int number = k.GetNumer();
                const std::string name = k.GetNazwisko();
                const std::string def = "- Nr: %02d, Nazwa: %s";
                a.Postep(
                    format(formatTemplate(trc("TZTComboSendCashMsgAdd_00001", def), def).c_str(), number, name.c_str()),
                    5);
                if (number < 0 || number > 65535) {
                    const std::string d = pl("Numer kasjera %d poza zakresem kasy");
                    throw Exception(format(formatTemplate(trc("TZTComboSendCashExceptio", d), d).c_str(), number));
                }
                std::uint16_t rights = 0xFFFF;
                if (k.GetPoziomUprawnien() == 0) rights &= static_cast<std::uint16_t>(~1u);
                link.SendCommand(
                    cmdUSERINS, {link.EncodeV(static_cast<std::uint16_t>(number)), link.EncodeS(limit(name, 24)),
                                 link.EncodeS(limit(k.GetIdentyfikator(), 8)), link.EncodeS(limit(k.GetKodKarty(), 16)),
                                 link.EncodeS(""), link.EncodeV(rights), link.EncodeB(255), link.EncodeB(6),
                                 link.EncodeB(1), link.EncodeB(1)});
                a.PostepTryb(0);
            } catch (const std::exception& e) {
                a.PostepTryb(1);
                // A lost register is not one cashier's failure.
                if (!link.IsOpen() || !link.linkOk) throw;
                a.Postep(e.what(), 5);
                a.PostepTryb(1);
            }
        }
    });
}

bool FormyTylkoWeryfikowane(int family, int workMode) {
    return family > 2 && workMode != 0 && family != 8 && family != 10 && family != 11;
}

void WyslijFormyPlatnosci(TZTComboAction& a, const ZTExpBuf& buf) {
    TComboLink& link = a.Link();
    struct Form {
        int number;
        const char* key;
        const char* name;
        int type;
        int base;
    };
    static constexpr Form kForms[] = {
        {2, "TZTComboSendFPlanazwa", "Karta płatnicza", 2, 1}, {3, "TZTComboSendFPlanazwa_00001", "Euro", 1, 1},
        {4, "TZTComboSendFPlanazwa_00002", "Bon", 4, 1},       {5, "TZTComboSendFPlanazwa_00003", "Czek", 3, 1},
        {6, "TZTComboSendFPlanazwa_00004", "Inna", 6, 0},
    };
    int extra = 0;
    if (a.ParametrInt("ComboResztaZInnychFP") != 0) extra |= 2;
    if (a.ParametrInt("ComboResztaWInnychFP") != 0) extra |= 4;
    krok(a, T("TZTComboSendFPlaMsgAdd", "Programowanie form płatności i kusu euro"), 5, [&] {
        for (const Form& f : kForms) {
            link.ThrowIfAborted();
            const bool euro = f.number == 3;
            const std::int64_t rate = euro ? buf.KursEuro10000() : 1;
            link.SendCommand(cmdPAYFORMINS,
                             {link.EncodeV(static_cast<std::uint16_t>(f.number)), link.EncodeS(T(f.key, f.name)),
                              link.EncodeB(static_cast<std::uint8_t>(f.type)),
                              link.EncodeV(static_cast<std::uint16_t>(f.base | extra)),
                              link.EncodeS(euro ? T("TZTComboSendFPlaskrot", "EUR") : std::string()),
                              link.EncodeN(rate), link.EncodeB(1), link.EncodeB(1)});
        }
    });
}

}  // namespace zt
