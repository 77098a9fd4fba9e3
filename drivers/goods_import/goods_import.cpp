#include "drivers/goods_import/goods_import.h"

#include <map>
#include <vector>

#include "action/extended.h"
#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/goods_import/goods_import_log.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "platform/whole_file.h"
#include "proto/commands.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

constexpr const char* kOverwriteKey = "ComboImportOverWrite";
constexpr const char* kLogKey = "ComboImportLogSave";

// Set only when it reads "TRUE"; the host holds the declared default of a
// value nobody set, so an empty one is a value set to nothing.
bool option(TZTActionBase& a, const char* key) { return TxTools::Trim(a.Parametr(key)) == "TRUE"; }

std::string lookup(const std::map<int, std::string>& table, int number) {
    auto it = table.find(number);
    return it == table.end() ? std::string() : it->second;
}

// What the run keeps between its readings; freed with the run, also on failure.
struct Tables {
    std::vector<int> vat;  // by slot
    std::map<int, std::string> groups, units, packages;
};

struct Counts {
    int handed = 0, errors = 0, skipped = 0, added = 0, updated = 0;
};

class GoodsImport {
public:
    explicit GoodsImport(TZTComboAction& a) : a_(a), link_(a.Link()) {}

    void Run() {
        const GoodsImportOptions options = ReadGoodsImportOptions(a_);
        overwrite_ = options.overwrite;
        logging_ = options.log;
        link_.statusT = 0;
        link_.statusW = 0;
        a_.Postep(T("boImportPlMsgAddAnsiStri", "Import towarów z kasy"), 5);
        readVat();
        readNamed(T("TZTComboImportPlMsgAdd_00001", " - trwa odczyt asortymentów..."), cmdCNTXGROUPINIT, cmdGROUPREAD,
                  tables_.groups);
        readNamed(T("TZTComboImportPlMsgAdd_00002", " - trwa odczyt jednostek miary..."), cmdCNTXMUINIT, cmdMUREAD,
                  tables_.units);
        readPackages();
        readGoods();
        summary();
        if (logging_) {
            const std::string path = a_.PlikLogu();
            a_.Postep(T("TZTComboImportPlMsgAdd_00010", "Zapis logu importu do pliku: ") + path, 5);
            appendFileNoFollow(path, log_.Text());
        }
    }

private:
    // Rates as the register reports them: zw (-2) becomes -1, an inactive slot (-1) 0.
    void readVat() {
        a_.Postep(T("TZTComboImportPlMsgAdd", " - trwa odczyt stawek VAT..."), 4);
        link_.SendCommand(cmdVATGET, {});
        a_.PostepTryb(0);
        int counter = 0;
        for (std::size_t i = 0; i < link_.answer.Count(); ++i) {
            a_.KrokPostepu(counter);
            link_.ThrowIfAborted();
            const auto v = static_cast<std::int16_t>(link_.answer[i].AsV());
            tables_.vat.push_back(v == -2 ? -1 : v == -1 ? 0 : static_cast<int>(static_cast<std::uint16_t>(v)));
        }
    }

    template <typename Each>
    void readContext(std::uint16_t init, std::uint16_t read, std::vector<std::string> fields, Each&& each) {
        link_.ReadContext(init, {link_.EncodeB(0), link_.EncodeB(0)}, read, fields, each);
    }

    void readNamed(const std::string& line, std::uint16_t init, std::uint16_t read, std::map<int, std::string>& into) {
        a_.Postep(line, 4);
        int counter = 0;
        readContext(init, read, {link_.EncodeV(0)}, [&] {
            a_.KrokPostepu(counter);
            link_.ThrowIfAborted();
            into[link_.answer[0].AsV()] = link_.answer[1].AsS();
        });
        a_.PostepPozycja(counter);
    }

    void readPackages() {
        a_.Postep(T("TZTComboImportPlMsgAdd_00003", " - trwa odczyt opakowań..."), 4);
        if (logging_) log_.Start(TdtTools::Now().ToString(TdtTools::kDateTime));
        const std::string group = T("TZTComboImportPlasort", "OPAKOWANIA");
        const std::string unit = T("TZTComboImportPljm", "opak");
        int counter = 0;
        readContext(cmdCNTXPACKINIT, cmdPACKREAD, {link_.EncodeV(0)}, [&] {
            GoodsForHost r;
            r.number = link_.answer[0].AsV();
            r.name = link_.answer[1].AsS();
            r.codes = link_.answer[2].AsS();
            r.price = link_.answer[3].AsN64();
            r.openPrice = link_.answer[5].AsB() == 0;
            r.package = true;
            r.vat = -1;
            r.group = group;
            r.unit = unit;
            const int result = toHost(r);
            tables_.packages[r.number] = r.codes;
            if (logging_) log_.Add(r, result);
            a_.KrokPostepu(counter);
            link_.ThrowIfAborted();
        });
        a_.PostepPozycja(counter);
    }

    void readGoods() {
        a_.Postep(T("TZTComboImportPlMsgAdd_00004", " - trwa odczyt towarów..."), 5);
        readContext(cmdCNTXPLUINIT, cmdPLUREAD, {link_.EncodeV(0), link_.EncodeB(1)}, [&] {
            const auto& f = link_.answer;
            if (f[4].AsB() != 0) {  // a set of goods: the host has no such record
                link_.ThrowIfAborted();
                return;
            }
            GoodsForHost r;
            r.number = f[0].AsV();
            r.name = f[1].AsS();
            r.codes = f[2].AsS();
            // Additional barcodes: as many as announced and as the answer holds.
            const std::size_t extra = f[14].AsV();
            for (std::size_t i = 15; i < 15 + extra && i < f.Count(); ++i) r.codes += ";" + f[i].AsS();
            r.price = f[6].AsN64();
            r.openPrice = f[10].AsB() == 0;
            const std::size_t slot = f[5].AsB();
            // A slot the register reported no rate for is treated as the packages' rate.
            r.vat = slot < tables_.vat.size() ? tables_.vat[slot] : -1;
            r.group = lookup(tables_.groups, f[12].AsB());
            r.unit = lookup(tables_.units, f[8].AsB());
            const int package = f[7].AsB();
            if (package != 0) r.packageCode = lookup(tables_.packages, package);
            const int result = toHost(r);
            switch (result) {
                case -1: ++counts_.errors; break;
                case 0: ++counts_.skipped; break;
                case 1: ++counts_.added; break;
                case 2: ++counts_.updated; break;
                default: break;
            }
            if (result == -1 || result == 0)
                a_.Postep(T("TZTComboImportPlMsgAdd_00005", " - odczyt towarów kontynuowany..."), 5);
            if (logging_) log_.Add(r, result);
            ++counts_.handed;
            link_.ThrowIfAborted();
        });
    }

    int toHost(const GoodsForHost& r) {
        const QORExtended price = hundredthsToExtended(r.price);
        const QORExtended prices[4] = {price, price, price, price};
        return a_.TowarDoHosta(r.name, r.number, r.codes, overwrite_, r.group, r.unit, r.vat, prices, r.openPrice,
                               r.package, r.packageCode);
    }

    void summary() {
        auto line = [this](const std::string& label, int value) {
            a_.Postep(label, 4);
            a_.PostepPozycja(value);
        };
        line(T("TZTComboImportPlMsgAdd_00006", "Odczytano towarów"), counts_.handed);
        line(T("TZTComboImportPlMsgAdd_00007", " - pominiętych (w tym ") + std::to_string(counts_.errors) +
                 T("boImportPlMsgAddAnsiStri_00001", " z błędem)"),
             counts_.skipped + counts_.errors);
        line(T("TZTComboImportPlMsgAdd_00008", " - dodanych"), counts_.added);
        line(T("TZTComboImportPlMsgAdd_00009", " - zaktualizowanych"), counts_.updated);
    }

    TZTComboAction& a_;
    TComboLink& link_;
    bool overwrite_ = false;
    bool logging_ = true;
    Tables tables_;
    Counts counts_;
    GoodsImportLog log_;
};

}  // namespace

GoodsImportOptions ReadGoodsImportOptions(TZTActionBase& a) {
    GoodsImportOptions o;
    o.overwrite = option(a, kOverwriteKey);
    o.log = option(a, kLogKey);
    return o;
}

void StoreGoodsImportOptions(TZTActionBase& a, const GoodsImportOptions& o) {
    a.ZapiszParametr(kOverwriteKey, o.overwrite ? "TRUE" : "FALSE");
    a.ZapiszParametr(kLogKey, o.log ? "TRUE" : "FALSE");
}

void ImportTowarowDoHosta(TZTComboAction& a) {
    if (a.Config().transport == TransportKind::File)
        throw Exception(T("TZTComboImportPlExceptio", "Ustaw port komunikacyjny"));
    TComboLink& link = a.Link();
    try {
        link.OpenLink();
        GoodsImport(a).Run();
    } catch (...) {
        // The current line shows failed; the tables went with the run, and no log is written.
        link.CloseLinkAfterFailure();
        throw;
    }
    link.CloseLink();
}

}  // namespace zt
