#include "drivers/combo/connection_check.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/combo/payment_forms.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "proto/commands.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

std::string typeText(int code) {
    switch (code) {
        case 0: return T("TZTComboTestConnsTypProt", "niezidentyfikowany");
        case 1: return "COMBO";
        case 2: return "NEO 1.01";
        case 3: return "COMBO 1.02";
        case 4: return "NEO 1.02";
        case 5: return "BINGO HS 3.02";
        case 6: return "COMBO 1.03";
        case 7: return "NEO 1.03";
        case 8: return "COMBO EJ 1.01";
        case 9: return "NEO EJ 1.01";
        case 10: return "MOBILE 1.03";
        case 11: return "BINGO HS EJ 4.01";
        case 12: return "MOBILE 1.04";
        case 23: return "MOBILE HS EJ 1.01";
        case 24: return "NEO XL EJ 2.01";
        case 25: return "BINGO HS EJ 4.03";
        case 26: return "BINGO HS 3.03";
        case 27: return "MOBLIE HS EJ 1.02";
        case 28: return "BINGO HS XL EJ 1.01";
        case 29: return "NEO XL 3.01";
        case 30: return "REVO 1.01";
        case 31: return "ERGO 1.01";
        case 33: return "Bingo HS EJ 4.04";
        case 34: return "Bingo XL 2.01";
        default: return format(pl("nieznany o kodzie %d").c_str(), code);
    }
}

std::string workModeText(int mode) {
    switch (mode) {
        case 0: return T("TZTComboTestConnsTypPrac", "NIEFISKALNY");
        case 1: return T("TZTComboTestConnsTypPrac_00001", "FISKALNY");
        case 2: return T("TZTComboTestConnsTypPrac_00002", "TYLKO DO ODCZYTU");
        default: return format(pl("nieznany o kodzie %d").c_str(), mode);
    }
}

struct DbLine {
    const char* key;
    const char* label;
};
constexpr DbLine kDbLines[20] = {
    {"TZTComboTestConnMsgAdd_00005", "- rozmiar bazy opakowań:"},
    {"TZTComboTestConnMsgAdd_00006", "- ilość zaprogramowanych opakowań:"},
    {"TZTComboTestConnMsgAdd_00007", "- rozmiar bazy klawiszy:"},
    {"TZTComboTestConnMsgAdd_00008", "- ilość zaprogramowanych klawiszy:"},
    {"TZTComboTestConnMsgAdd_00009", "- rozmiar bazy kasjerów:"},
    {"TZTComboTestConnMsgAdd_00010", "- ilość zaprogramowanych kasjerów:"},
    {"TZTComboTestConnMsgAdd_00011", "- rozmiar bazy form płatności:"},
    {"TZTComboTestConnMsgAdd_00012", "- ilość zaprogramowanych form płatności:"},
    {"TZTComboTestConnMsgAdd_00013", "- rozmiar bazy rabatów/narzutów:"},
    {"TZTComboTestConnMsgAdd_00014", "- ilość zaprogramowanych rabatów/narzutów:"},
    {"TZTComboTestConnMsgAdd_00015", "- rozmiar bazy PLU:"},
    {"TZTComboTestConnMsgAdd_00016", "- ilość zaprogramowanych PLU:"},
    {"TZTComboTestConnMsgAdd_00017", "- rozmiar bazy grup towarowych:"},
    {"TZTComboTestConnMsgAdd_00018", "- ilość zaprogramowanych grup towarowych:"},
    {"TZTComboTestConnMsgAdd_00019", "- rozmiar bazy jednostem miary:"},
    {"TZTComboTestConnMsgAdd_00020", "- ilość zaprogramowanych jednostek miary:"},
    {"TZTComboTestConnMsgAdd_00021", "- rozmiar bazy kodów kreskowych:"},
    {"TZTComboTestConnMsgAdd_00022", "- ilość zaprogramowanych kodów kreskowych:"},
    {"TZTComboTestConnMsgAdd_00023", "- rozmiar bazy formatów kodów:"},
    {"TZTComboTestConnMsgAdd_00024", "- ilość zaprogramowanych formatów kodów:"},
};

}  // namespace

bool CheckRegisterNumber(TZTComboAction& a) {
    TComboLink& link = a.Link();
    a.Postep(T("TZTComboCheckNumMsgAdd", "Odczyt numeru kasy..."), 5);
    link.SendCommand(cmdCASHREGPARGET, {});
    a.PostepTryb(0);
    int number = -1;
    try {
        number = TxTools::StrToIntDef(link.answer[0].AsS(), -1);
    } catch (const std::exception&) {
        number = -1;
    }
    a.Postep(T("TZTComboCheckNumMsgAdd_00001", " - kasa o numerze: ") + std::to_string(number), 5);
    return number == a.NumerKasy();
}

void TestConnection(TZTComboAction& a) {
    TComboLink& link = a.Link();
    if (a.Config().transport == TransportKind::File)
        throw Exception(
            T("TZTComboTestConnExceptio", "Ustawione złącze PLIK. Kasa nie obsługuje testu połączenia z plikiem!"));
    auto line = [&a](const std::string& text) { a.Postep(text, 5); };
    try {
        link.OpenLink();

        line(T("TZTComboTestConnMsgAdd", "Odczyt nagłówka..."));
        link.SendCommand(cmdHEADERGET, {});
        a.PostepTryb(0);
        const int lines = link.answer[0].AsB();
        for (int i = 1; i <= lines; ++i)
            line(format(pl("- linia %d: %s").c_str(), i, link.answer[static_cast<std::size_t>(2 * i)].AsS().c_str()));

        line(T("TZTComboTestConnMsgAdd_00001", "Odczyt stawek VAT..."));
        link.SendCommand(cmdVATGET, {});
        a.PostepTryb(0);
        for (std::size_t j = 0; j < link.answer.Count(); ++j) {
            const unsigned v = link.answer[j].AsV();
            std::string rate;
            if (v == 0xFFFE)
                rate = "zw";
            else if (v == 0xFFFF)
                rate = "-";
            else
                rate = format("%u.%02u%%", v / 100, v % 100);
            line(format("- %c: %s", static_cast<char>('A' + j), rate.c_str()));
        }

        line(T("TZTComboTestConnMsgAdd_00002", "Odczyt daty i czasu..."));
        link.SendCommand(cmdDATEGET, {});
        a.PostepTryb(0);
        const int day = link.answer[0].AsB(), month = link.answer[1].AsB(), year = link.answer[2].AsV();
        link.SendCommand(cmdTIMEGET, {});
        line(format("- %04d-%02d-%02d %02d:%02d:%02d", year, month, day, link.answer[0].AsB(), link.answer[1].AsB(),
                    link.answer[2].AsB()));

        line(T("TZTComboTestConnMsgAdd_00003", "Odczyt statusu kasy..."));
        link.SendCommand(cmdCASHREGSTATUSGET, {});
        a.PostepTryb(0);
        const auto& s = link.answer;
        line(T("ComboTestConnmsgAnsiStri", "- typ protokołu komunikacyjnego: ") + typeText(s[0].AsB()));
        line(T("ComboTestConnmsgAnsiStri_00001", "- numer kasy: ") + s[1].AsS());
        line(T("ComboTestConnmsgAnsiStri_00002", "- numer zalogowanego operatora: ") + std::to_string(s[2].AsV()));
        line(T("ComboTestConnmsgAnsiStri_00003", "- tryb pracy: ") + workModeText(s[3].AsB()));
        line(format(pl("- data i czas fiskalizacji: %04d-%02d-%02d %d:%02d:%02d").c_str(), s[9].AsV(), s[8].AsB(),
                    s[7].AsB(), s[10].AsB(), s[11].AsB(), s[12].AsB()));
        line(format("- NIP: %s", s[19].AsS().c_str()));
        line(format("- numer unikatowy: %s", s[20].AsS().c_str()));
        line(format("- wersja firmware(oprogramowania): %s", s[21].AsS().c_str()));

        line(T("TZTComboTestConnMsgAdd_00004", "Odczyt statusu baz kasy..."));
        link.SendCommand(cmdDBSTATUSGET, {});
        a.PostepTryb(0);
        const auto& d = link.answer;
        line(T("TZTComboTestConnmsg", "- stan totalizerów: ") + (d[1].AsB() == 1
                                                                     ? T("TZTComboTestConnmsg_00001", "NIEZEROWE")
                                                                     : T("TZTComboTestConnmsg_00002", "ZEROWE")));
        // Each counter is shown as it is read: a short answer ends the test on
        // the line of the field that is missing.
        for (std::size_t f = 0; f < 20; ++f) {
            a.Postep(T(kDbLines[f].key, kDbLines[f].label), 4);
            a.PostepPozycja(d[f + 2].AsV());
        }

        if (link.deviceFamily > 4 && link.workMode != 0) {
            try {
                VerifyPaymentForms(a);
            } catch (const std::exception&) {
                a.Komunikat(kError, trc("TestConnDodajKomQORDLL_Z",
                                        pl("Kasa jest w trybie fiskalnym. Formy płatności należy zaprogramować ręcznie "
                                           "zgodnie z powyższymi zaleceniami.")));
            }
        }
        if (!CheckRegisterNumber(a))
            throw Exception(T("TZTComboTestConnExceptio_00001", "Niezgodny numer urządzenia!"));
        link.CloseLink();
    } catch (...) {
        link.CloseLinkAfterFailure();
        throw;
    }
}

}  // namespace zt
