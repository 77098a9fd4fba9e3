#include "drivers/import/cash_state.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/import/combo_imp_lines.h"
#include "drivers/import/import_run.h"
#include "drivers/import/receipt_records.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "proto/commands.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

constexpr std::int64_t kNoEuroRate = 10000;  // what a form without a rate is worth

std::string formName(int type) {
    switch (type) {
        case 1: return T("TZTComboReadCashnazwa_wa", "Gotówka");
        case 2: return T("TZTComboReadCashnazwa_wa_00001", "Karta płatnicza");
        case 3: return T("TZTComboReadCashnazwa_wa_00002", "Euro");
        case 4: return T("TZTComboReadCashnazwa_wa_00003", "Bon");
        case 5: return T("TZTComboReadCashnazwa_wa_00004", "Czek");
        default: return T("TZTComboReadCashnazwa_wa_00005", "Inna");
    }
}

}  // namespace

std::string LoginTimeText(std::uint32_t seconds) {
    const std::uint32_t days = seconds / 86400, rest = seconds % 86400;
    int y = 0, m = 0, d = 0;
    TdtTools(TdtTools::Encode(2000, 1, 1).Value() + days).Decode(y, m, d);
    return format("%04d%02d%02d%02u%02u%02u000", y, m, d, rest / 3600, rest / 60 % 60, rest % 60);
}

void ReadCashState(TZTComboAction& a, const ImportRun& run) {
    TComboLink& link = a.Link();
    try {
        a.Postep(T("TZTComboReadCashMsgAdd", " - odczyt stanu kasy ..."), 5);
        a.Postep(T("TZTComboReadCashMsgAdd_00001", " -   status kasy..."), 5);
        link.SendCommand(cmdCASHREGSTATUSGET, {});
        KasLine::Values kas;
        kas.cashier = link.answer[2].AsV();
        std::string forms;
        if (kas.cashier != 0) {
            a.Postep(T("TZTComboReadCashMsgAdd_00002", "-   czas bieżący z kasy..."), 5);
            link.SendCommand(cmdDATEGET, {});
            const int day = link.answer[0].AsB(), month = link.answer[1].AsB(), year = link.answer[2].AsV();
            link.SendCommand(cmdTIMEGET, {});
            kas.now = format("%04d%02d%02d%02d%02d%02d000", year, month, day, link.answer[0].AsB(),
                             link.answer[1].AsB(), link.answer[2].AsB());

            a.Postep(T("TZTComboReadCashMsgAdd_00003", " -   aktualny kurs euro..."), 5);
            link.SendCommand(cmdPAYFORMREAD, {link.EncodeV(3)});
            // Without a defined euro form the euro counts at par, as every other form.
            std::int64_t euroRate = kNoEuroRate;
            if (link.answer.Count() == 6 && link.answer[2].AsB() == 1) euroRate = link.answer[5].AsN64();

            a.Postep(T("TZTComboReadCashMsgAdd_00004", " -   nazwisko zalogowanego kasjera..."), 5);
            link.SendCommand(cmdUSERREAD, {link.EncodeV(static_cast<std::uint16_t>(kas.cashier))});
            kas.name = link.answer[1].AsS();

            a.Postep(T("TZTComboReadCashMsgAdd_00005", " -   statystyki zalogowanego kasjera..."), 5);
            link.SendCommand(cmdUSERSTATREAD, {link.EncodeV(static_cast<std::uint16_t>(kas.cashier)), link.EncodeB(0)});
            const TComboDataSet& s = link.answer;
            kas.discounts = s[1].AsN64();
            kas.surcharges = s[2].AsN64();
            kas.loginTime = LoginTimeText(s[3].AsL());
            kas.packagesSold = s[4].AsN64();
            kas.packagesReturned = s[5].AsN64();
            kas.payIn = s[6].AsN64();
            kas.payOut = s[7].AsN64();
            kas.sales = s[8].AsN64();
            kas.receipts = s[9].AsL();
            kas.cancelled = s[10].AsL();
            kas.cancelledValue = s[11].AsN64();
            kas.voids = s[12].AsL();
            kas.voidsValue = s[13].AsN64();

            const int count = s[16].AsB();
            for (int i = 0; i < count; ++i) {
                const std::size_t at = 18 + 2 * static_cast<std::size_t>(i);
                const int type = s[at].AsV();
                if (type < 1 || type > 6) continue;
                const std::int64_t rate = type == 3 ? euroRate : kNoEuroRate;
                forms += KplLine::Format(type, formName(type), s[at + 1].AsN64(), rate);
            }
        }
        run.Append(KasLine::Format(kas) + forms);
        a.PostepTryb(0);
    } catch (...) {
        a.PostepTryb(1);
        throw;
    }
}

}  // namespace zt
