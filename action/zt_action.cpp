#include "action/zt_action.h"

#include "action/module.h"
#include "action/vat/vat_slots.h"
#include "platform/cp1250.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/file.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "tools/ltools.h"

namespace zt {
namespace {
// The slot found by the last rate lookup; one running action at a time.
int g_lastSlot = -1;
constexpr int kNoRate = 9999;
}  // namespace

ZTAction::ZTAction(TZTLibrary& library, std::int32_t session)
    : TZTActionBase(library, session), tools_(std::make_unique<TLTools>()) {}

ZTAction::~ZTAction() = default;

std::string ZTAction::TA(std::string_view key, std::string_view polishUtf8) const {
    return translate(Tlumacz(), "zttools_ZTAction", key, pl(polishUtf8));
}

int ZTAction::OdrzucRekord(const std::string& first, const std::string& second, int status) {
    rejected_.push_back(second + " (" + first + ")");
    switch (status & 0x0F) {
        case 0:
        case 1: return 1;
        case 2: return 5;
        case 4: return 7;
        case 3:
        case 5:
        case 6: return 2;
        default: return 0;
    }
}

void ZTAction::LogujOdrzucone() {
    if (logWritten_ || !rejectedLogging_) return;
    if (rejected_.empty() && warnings_.empty()) {
        logWritten_ = true;
        return;
    }
    auto list = [this](const std::vector<std::string>& lines, const std::string& label, int kind) {
        if (lines.empty()) return;
        Postep(label, 4, 100);
        PostepPozycja(static_cast<int>(lines.size()));
        for (std::size_t i = 0; i < lines.size() && i < 10; ++i) Komunikat(kind, "..." + lines[i]);
        if (lines.size() > 10) Komunikat(kind, TA("ZTActionLogujOdrzuconeItd", "i tak dalej..."));
    };
    list(rejected_, TA("ZTActionLogujOdrzuconeTow", " - towary odrzucone"), kError);
    list(warnings_, TA("ZTActionLogujOdrzuconeOstrz", " - ostrzeżenia"), kWarning);
    const std::string header = TA("ZTActionLogujOdrzuconeNagl", "Eksport danych z dnia ") +
                               TdtTools::Now().ToString(1) +
                               TA("ZTActionLogujOdrzuconeNagl_00001", "\n\rTowary odrzucone i ostrzeżenia:");
    DopiszDoLogu(header);
    logWritten_ = true;
}

void ZTAction::DopiszDoLogu(const std::string& header) {
    try {
        TMFile f(PlikLogu(), FileCreation::NoFollow);
        f.Open();
        f.SetPosition(f.Size());
        f.WriteLine(std::string(80, '-'), "\r\n");
        f.WriteLine(header, "\r\n");
        for (const auto& line : rejected_) f.WriteLine(line, "\r\n");
        f.WriteLine("", "\r\n");
        f.Close();
        rejected_.clear();
    } catch (const std::exception&) {
        // The log is a courtesy: a failure to write it never stops an operation.
    }
}

int ZTAction::NumerStawki(int rate) {
    // 9999 only marks "nothing looked up yet": a rate of 99.99 % is searched like any other.
    if (rate == lastRate_ && rate != kNoRate) return g_lastSlot;
    lastRate_ = rate;
    auto& table = Stawki();
    const int n = table.DefinedCount();
    for (int i = 0; i < n; ++i)
        if (table.Get(i) == rate) {
            g_lastSlot = i;
            return i;
        }
    lastRate_ = kNoRate;
    const std::string text =
        formatTemplate(TA("ZTActionNumerStawki", "Niezdefiniowana stawka %.02f%%"), "Niezdefiniowana stawka %.02f%%");
    throw Exception(format(text.c_str(), rate / 100.0));
}

void ZTAction::KrokPostepu(int& counter) {
    ++counter;
    if (counter <= 30 || (counter <= 200 && counter % 10 == 0) || (counter > 200 && counter % 25 == 0))
        PostepPozycja(counter);
}

void ZTAction::PokazStatystykeTowarow(bool all, const int (&counts)[4]) {
    static constexpr std::pair<const char*, const char*> kLines[4] = {
        {"ZTActionPokazStatystykeDod", " - do dodania"},
        {"ZTActionPokazStatystykeAkt", " - do zmiany nazwy/stawki"},
        {"ZTActionPokazStatystykeCen", " - do zmiany ceny"},
        {"ZTActionPokazStatystykeUsu", " - do usunięcia"},
    };
    for (int i = 0; i < 4; ++i) {
        if (!all && counts[i] == 0) continue;
        Postep(TA(kLines[i].first, kLines[i].second), 4, 100);
        PostepPozycja(counts[i]);
    }
}

}  // namespace zt
