#include "action/action_base.h"

#include <cmath>
#include <cstring>

#include "action/extended.h"
#include "action/library.h"
#include "action/module.h"
#include "action/vat/vat_dialog.h"
#include "action/vat/vat_slots.h"
#include "platform/cp1250.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/intset.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace zt {
namespace {

constexpr char kOwnPrefix[] = "ZT_Combo_";
constexpr std::size_t kTextBuf = 301;
constexpr std::size_t kWorkDirBuf = 261;

// Copies a host output buffer: byte `last` is forced to 0 after the call.
std::string fromBuffer(std::vector<char>& buf, std::size_t last) {
    buf[last] = '\0';
    return std::string(buf.data(), std::strlen(buf.data()));
}

}  // namespace

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        lines.emplace_back(text.substr(start, stop - start));
        if (lf == std::string_view::npos) break;
        start = lf + 1;
    }
    return lines;
}

template <typename F>
F TZTActionBase::cb(std::int32_t kind) const {
    return reinterpret_cast<F>(library_.Callback(kind));
}

TZTActionBase::TZTActionBase(TZTLibrary& library, std::int32_t session) : library_(library), session_(session) {
    if (auto env = cb<QORCbEnv>(QOR_CB_ENV)) {
        std::vector<char> t1(kTextBuf, '\0'), t2(kTextBuf, '\0'), wd(kWorkDirBuf, '\0');
        callHost(env, library_.HostValue(), session_, &envId_, &registerNo_, t1.data(), t2.data(), wd.data());
        envText1_ = fromBuffer(t1, 300);
        envText2_ = fromBuffer(t2, 300);
        workDir_ = fromBuffer(wd, kWorkDirBuf - 1);
        // A directory that fills the whole buffer may have been cut by the host;
        // files written under a cut path would land in a stranger's folder.
        workDirCut_ = workDir_.size() >= kWorkDirBuf - 1;
    }
}

TZTActionBase::~TZTActionBase() = default;

const TMLgExtTools* TZTActionBase::Tlumacz() const { return library_.Tlumacz(); }

const std::string& TZTActionBase::KatalogRoboczy() const {
    SprawdzKatalogRoboczy();
    return workDir_;
}

void TZTActionBase::SprawdzKatalogRoboczy() const {
    if (workDirCut_)
        throw Exception(T("TZTActioKatalogRoboczyDlugi", "Ścieżka katalogu roboczego \"") + workDir_ +
                        T("TZTActioKatalogRoboczyDlugi_00001", "...\" jest za długa, skróć ją aby kontynuować"));
}

std::string TZTActionBase::Tekst(std::string_view module, std::string_view key, std::string_view def) const {
    return trm(module, key, def);
}

std::string TZTActionBase::T(std::string_view key, std::string_view polishUtf8) const {
    return translate(Tlumacz(), "zttools_ZTLib", key, pl(polishUtf8));
}

bool TZTActionBase::JakSzukacParagonu(std::int32_t*, std::int32_t*, std::int32_t*) { return false; }

void TZTActionBase::Operacja(HQORDLLSRODOWISKO&, int, int) {
    throw Exception(translate(Tlumacz(), "zttools_ZTLib", "TZTActioOperacjaExceptio",
                              pl("Urządzenie nie obsługuje zleconego typu operacji")));
}

std::string TZTActionBase::WlasciwoscUrzadzenia(int property) {
    return (property == 1101 || property == 1103) ? "0" : "";
}

// ---------------------------------------------------------------- parameters

std::string TZTActionBase::Parametr(std::string_view name) {
    auto f = cb<QORCbParam>(QOR_CB_PARAM);
    if (!f) return {};
    std::vector<char> buf(kTextBuf, '\0');
    std::string key(name);
    callHost(f, library_.HostValue(), session_, key.c_str(), buf.data());
    return fromBuffer(buf, 300);
}

int TZTActionBase::ParametrInt(std::string_view name) { return TxTools::StrToIntDef(Parametr(name), 0); }

std::string TZTActionBase::ParametrKatalog(std::string_view name) {
    const std::string value = Parametr(name);
    // A value that fills the whole buffer may have been cut: never create or
    // test a folder at a cut path.
    if (value.size() >= kTextBuf - 1)
        throw Exception(T("TZTActioParametrKatalogDlugi", "Ścieżka katalogu \"") + value +
                        T("TZTActioParametrKatalogDlugi_00001", "...\" jest za długa, skróć ją aby kontynuować"));
    const std::string dir = nativePath(value);
    if (!dirExists(dir)) {
        Komunikat(kInfo, T("TZTActioParametrKatalog", "Katalog ") + "\"" + value + "\"" +
                             T("TZTActioParametrKatalog_00001", " nie istnieje, próba utworzenia"));
        try {
            createDirs(dir);
        } catch (const std::exception&) {
            // Reported below with the one text the user knows.
        }
        if (!dirExists(dir))
            throw Exception(T("TZTActioParametrKatalog_00002", "Próba utworzenia katalogu zakończona błędem"));
    }
    // The probe is a new file of our own, created exclusively: a "test" the user
    // keeps there, or a link planted under that name, is never opened, written
    // through or deleted; the next free name is taken instead.
    bool written = false;
    for (int n = 0; n < 100; ++n) {
        const std::string test = withTrailingSeparator(dir) + "test" + (n ? std::to_string(n) : std::string());
        TMFile f(test, FileCreation::New);
        bool created = false;
        try {
            created = f.TryOpen();
            if (!created) continue;
            f.Write("test", 4);
            f.Close();  // closed before the delete: Windows refuses to delete an open file
        } catch (const std::exception&) {
            // Whether the file came to be decides below.
        }
        if (created) {
            try {
                f.Close();
            } catch (const std::exception&) {}
            deleteFile(test);
            written = true;
        }
        break;
    }
    if (!written)
        throw Exception(T("TZTActioParametrKatalog_00003", "Ambrel nie ma uprawnień do zapisu w katalogu ") + "\"" +
                        value + "\"" + T("TZTActioParametrKatalog_00004", ", nadaj uprawnienia aby kontynuować"));
    return value;
}

double TZTActionBase::ParametrData(std::string_view name) {
    TdtTools d;
    if (d.FromString(Parametr(name), 0)) return d.Value();
    return std::floor(TdtTools::Now().Value());
}

std::string TZTActionBase::WlasnyParametr(std::string_view name) {
    return Parametr(std::string(kOwnPrefix) + std::string(name));
}

void TZTActionBase::ZapiszParametr(std::string_view key, std::string_view value) {
    auto f = cb<QORCbWriteParam>(QOR_CB_WRITE_PARAM);
    std::string k(key), v(value);
    if (!f || callHost(f, library_.HostValue(), session_, k.c_str(), v.c_str()) == 0)
        throw Exception(
            translate(Tlumacz(), "zttools_ZTLib", "TZTActioZmienParstr", pl("Błąd zapisu własnego parametru '")) + k +
            translate(Tlumacz(), "zttools_ZTLib", "TZTActioZmienParstr_00001", pl("' do bazy danych")));
}

void TZTActionBase::ZapiszWlasnyParametr(std::string_view name, std::string_view value) {
    ZapiszParametr(std::string(kOwnPrefix) + std::string(name), value);
}

std::string TZTActionBase::WlasnyParametrDlugi(std::string_view name, int count) {
    std::string out;
    for (int i = 1; i <= count; ++i) out += WlasnyParametr(std::string(name) + std::to_string(i));
    return out;
}

void TZTActionBase::ZapiszWlasnyParametrDlugi(std::string_view name, std::string_view value, int count) {
    constexpr std::size_t kPiece = 250;
    for (int i = 1; i <= count; ++i) {
        std::size_t from = static_cast<std::size_t>(i - 1) * kPiece;
        std::string_view piece = from < value.size() ? value.substr(from, kPiece) : std::string_view{};
        ZapiszWlasnyParametr(std::string(name) + std::to_string(i), piece);
    }
}

// ------------------------------------------------------- messages, progress

void TZTActionBase::Komunikat(int kind, const std::string& text) {
    if (auto f = cb<QORCbMessage>(QOR_CB_MESSAGE)) callHost(f, library_.HostValue(), session_, kind, text.c_str());
    lastMessage_ = text;
}

std::string TZTActionBase::Status(int kind, const std::string& text) {
    if (auto f = cb<QORCbMessage>(QOR_CB_STATUS)) callHost(f, library_.HostValue(), session_, kind, text.c_str());
    std::string previous = std::move(lastMessage_);
    lastMessage_ = text;
    return previous;
}

std::string TZTActionBase::OstatniKomunikat(bool labelOnly) const {
    if (!labelOnly) return lastMessage_;
    return lastMessage_.substr(0, lastMessage_.find(kProgressSep));
}

void TZTActionBase::Postep(const std::string& text, int mode, int maximum) {
    const auto lines = splitLines(text);
    const std::string sep(1, kProgressSep);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        std::string line = lines[i];
        int kind = kInfo;
        switch (mode) {
            case 0:
                if (last) line += sep + "OK";
                break;
            case 1: kind = kError; break;
            case 2: kind = kWarning; break;
            case 3:
                if (last) line += ":" + sep + "0 %";
                break;
            case 4: line += (last ? ":" : "") + sep + "0"; break;
            default: break;
        }
        Komunikat(kind, line);
    }
    if (!lines.empty()) {
        progressBase_ = lines.back();
        progressMode_ = mode;
        progressMax_ = maximum < 1 ? 1 : maximum;
        progressPos_ = 0;
    }
}

void TZTActionBase::PostepPozycja(int position) {
    if (position == progressPos_) return;
    progressPos_ = position;
    const std::string sep(1, kProgressSep);
    if (progressMode_ == 3)
        Status(kInfo, progressBase_ + ":" + sep +
                          std::to_string(static_cast<long long>(position) * 100 / progressMax_) + " %");
    else if (progressMode_ == 4)
        Status(kInfo, progressBase_ + ":" + sep + std::to_string(position));
}

void TZTActionBase::PostepTryb(int mode) {
    if (mode == progressMode_) return;
    progressMode_ = mode;
    const std::string sep(1, kProgressSep);
    switch (mode) {
        case 0: Status(kInfo, progressBase_ + sep + "OK"); break;
        case 1: Status(kError, progressBase_); break;
        case 2: Status(kWarning, progressBase_); break;
        case 3:
            Status(kInfo, progressBase_ + ":" + sep +
                              std::to_string(static_cast<long long>(progressPos_) * 100 / progressMax_) + " %");
            break;
        case 4: Status(kInfo, progressBase_ + ":" + sep + std::to_string(progressPos_)); break;
        default: Status(kInfo, progressBase_); break;
    }
}

// ----------------------------------------------------- host queries, stores

bool TZTActionBase::CzyPrzerwac() {
    auto f = cb<QORCbAbort>(QOR_CB_ABORT);
    return !f || callHost(f, library_.HostValue(), session_) != 0;
}

void TZTActionBase::ZapiszWynikEksportu() {
    auto f = cb<QORCbStore>(QOR_CB_STORE_EXPORT);
    if (!f || callHost(f, library_.HostValue(), session_) == 0)
        throw Exception(translate(Tlumacz(), "zttools_ZTLib", "TZTActioZapiszWyExceptio",
                                  pl("Błąd zapisu wyniku eksportu do bazy danych")));
}

void TZTActionBase::ZapiszKasaSprzedaz() {
    auto f = cb<QORCbStore>(QOR_CB_STORE_IMPORT);
    if (!f || callHost(f, library_.HostValue(), session_) == 0)
        throw Exception(translate(Tlumacz(), "zttools_ZTLib", "TZTActioZapiszKaExceptio",
                                  pl("Błąd zapisu importu sprzedaży do bazy danych")));
}

int TZTActionBase::TowarDoHosta(const std::string& name, int plu, const std::string& codes, bool overwrite,
                                const std::string& group, const std::string& unit, int vat, const long double prices[4],
                                bool openPrice, bool package, const std::string& packageCode) {
    const QORExtended x[4] = {toExtended(prices[0]), toExtended(prices[1]), toExtended(prices[2]),
                              toExtended(prices[3])};
    return TowarDoHosta(name, plu, codes, overwrite, group, unit, vat, x, openPrice, package, packageCode);
}

int TZTActionBase::TowarDoHosta(const std::string& name, int plu, const std::string& codes, bool overwrite,
                                const std::string& group, const std::string& unit, int vat, const QORExtended prices[4],
                                bool openPrice, bool package, const std::string& packageCode) {
    auto f = cb<QORCbGoods>(QOR_CB_GOODS);
    if (!f) return -1;
    return callHost(f, library_.HostValue(), session_, name.c_str(), plu, codes.c_str(), overwrite ? 1 : 0, group.c_str(),
             unit.c_str(), vat, qorPrice(prices[0]), qorPrice(prices[1]), qorPrice(prices[2]), qorPrice(prices[3]), openPrice ? 1 : 0, package ? 1 : 0,
             packageCode.c_str());
}

const std::vector<std::string>& TZTActionBase::ListaTekstow() {
    if (!hostTexts_) {
        hostTexts_ = std::make_unique<std::vector<std::string>>();
        if (auto f = cb<QORCbTextList>(QOR_CB_TEXTLIST)) {
            // Bounded: a host that never ends its list cannot hold the plug-in.
            for (int i = 0; i < 10000; ++i) {
                std::vector<char> buf(kTextBuf, '\0');
                if (callHost(f, library_.HostValue(), session_, i, buf.data()) == 0) break;
                std::string s = fromBuffer(buf, 300);
                if (s.empty()) break;
                hostTexts_->push_back(std::move(s));
            }
        }
    }
    return *hostTexts_;
}

TMacSetOfIntegers& TZTActionBase::StawkiHosta() {
    if (!hostRates_) {
        hostRates_ = std::make_unique<TMacSetOfIntegers>(100);
        auto prec = cb<QORCbVat>(QOR_CB_VAT_PREC);
        auto whole = cb<QORCbVat>(QOR_CB_VAT);
        if (prec || whole) {
            for (int i = 0; i < 100; ++i) {
                std::int32_t rate = 0;
                if (callHost(prec ? prec : whole, library_.HostValue(), session_, i, &rate) == 0) break;
                if (!prec && rate > 0) {
                    rate = wholeToHundredths(rate);
                    // A whole-percent rate too large to express in hundredths is no rate.
                    if (rate == TZTStawkiKolejne::kUndefined) continue;
                }
                hostRates_->Add(rate);
            }
        }
    }
    return *hostRates_;
}

TZTStawkiKolejne& TZTActionBase::Stawki() {
    if (!slots_) {
        slots_ = std::make_unique<TZTStawkiKolejne>();
        slots_->Wczytaj(*this);
    }
    return *slots_;
}

void TZTActionBase::PokazStawki(const std::string& firstLabel, bool editable, const std::string& specialLabel) {
    TFrmStawki dialog(*this, Stawki(), firstLabel, editable, specialLabel);
    if (dialog.Pokaz() && editable) {
        dialog.Zatwierdz();
        Stawki().Zapisz(*this);
    }
}

// -------------------------------------------------------------- error report

void TZTActionBase::RaportBledu(const std::string& operation, const std::exception* e) noexcept {
    try {
        std::string text;
        if (!e) {
            text = T("TZTActioRaportBleduNieznany", "Podczas wykonywania operacji '") + operation +
                   T("TZTActioRaportBleduNieznany_00001", "' wystąpił nierozpoznawalny błąd");
        } else if (exceptionIs(*e, "EAbort")) {
            text = T("TZTActioRaportBleduPrzerwana", "Operacja '") + operation +
                   T("TZTActioRaportBleduPrzerwana_00001", "' została przerwana");
        } else {
            text = T("TZTActioRaportBledu", "Podczas wykonywania operacji '") + operation +
                   T("TZTActioRaportBledu_00001", "' wystąpił błąd:") + "\r\n";
            if (auto* m = dynamic_cast<const EMException*>(e)) {
                for (const auto& t : m->topics())
                    text += "[" + std::to_string(t.code) + "] " + t.title + "\r\n" + t.description + "\r\n";
            } else {
                text += e->what();
            }
        }
        Postep(text, 1, 100);
    } catch (...) {
        // The report is the last resort: it never throws.
    }
}

}  // namespace zt
