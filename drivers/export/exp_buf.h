#pragma once
// The export buffer: everything "kasa.exp" asks to program into a register
// (goods and packages, contractors, groups, VAT rates, units, cashiers,
// currencies, the euro rate), the register's own goods list for the
// comparison, the barcode index and the result file "wynik.exp".
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/export/exp_records.h"
#include "platform/decimal.h"
#include "tools/api.h"
#include "tools/lquicksort.h"

namespace zt {

class ZTExpPostep;

// What the card-code composer gets for one contractor.
struct ZT_API ZTKartaDane {
    int przedrostek = 0;
    double termin = 0;  // expiry, date-time day count
    int poziom = 0;
    std::string kod;
};
// Builds a card code from the data and a card format (raises on a bad format).
using ZTKoderKarty = std::function<std::string(const ZTKartaDane&, const std::string& format)>;

class ZT_API ZTExpBuf : public TLQuickSort {
public:
    // postep may be null: then no status lines are shown.
    explicit ZTExpBuf(ZTExpPostep* postep = nullptr);
    ~ZTExpBuf() override;
    ZTExpBuf(const ZTExpBuf&) = delete;
    ZTExpBuf& operator=(const ZTExpBuf&) = delete;

    // --- index (TLQuickSort) ---
    void SetNumDone(int index) override;
    int SortCompare(int i, int j) override;
    void ExChange(int i, int j) override;
    int FindCompare(int i) override;
    // --- decision points of the comparison ---
    // One register-list entry into a record; nothing here.
    virtual void DodInfo2TowRec(const std::string& dodinfo, ZTTowRec& rec);
    // Status 0 or 2 becomes 1.
    virtual void ModifyPLUStatus(ZTTowRec& exported, ZTTowRec& fromRegister);
    virtual bool CheckIfDeletePLU(ZTTowRec& exported, ZTTowRec& fromRegister);
    // The key a goods row is indexed by; here its barcode.
    virtual std::string KluczIndeksu(const ZTTowRec& rec);

    // Reads the export file (archived first into "ARCH2.EXP" next to it,
    // archiveParam being the archive's mode line). With sortNow the barcode
    // index is built at once. On a failure the records read so far stay.
    void ReadFromFile(const std::string& path, bool sortNow, int archiveParam);
    // The lines of an export file, already read (no archive, no status lines).
    void CzytajLinie(const std::vector<std::string>& lines);
    // Writes "wynik.exp" whole under a temporary name, then renames it.
    void ZapiszWynikEksp(const std::string& path);
    // The result file's text ("PLU;plu;koldod;barcode;status" CR LF per
    // transferred record); counts the lines.
    std::string TekstWyniku();

    // --- goods table ---
    int DodajRec(ZTTowRec& rec);  // returns the row; sets rec.nr_buf
    void CzytajRec(int i, ZTTowRec& rec) const;
    void ZapiszRec(int i, const ZTTowRec& rec);
    int CountTow() const noexcept { return static_cast<int>(rows_.size()); }
    stTow CzytajStatus(int i) const;
    stTow PluStatus(int i) const { return CzytajStatus(i); }
    void UstawStatus(int i, stTow s);
    void ResetFlags(bool v);
    void SetFlag(int i, bool v);
    bool Flag(int i) const;
    void ResetTrOk(bool v);
    void SetTrOk(int i, bool v);
    bool TrOk(int i) const;
    // Copies plu_rec of row i into buf (at most size bytes, no terminator);
    // returns the number copied.
    std::size_t CzytajPluRec(int i, char* buf, std::size_t size) const;
    std::string CzytajAnsiPluRec(int i) const;

    // --- contractors ---
    int DodajRec(ZTKontrRec& rec);
    void CzytajRec(int i, ZTKontrRec& rec) const;
    int CountKontrahents() const noexcept { return static_cast<int>(kontr_.size()); }

    // --- register list ---
    void AddInPlu(const std::string& kod, const std::string& dodinfo);
    int CountInPlu() const noexcept { return static_cast<int>(inPlu_.size()); }
    const std::string& InPluKod(int i) const { return inPlu_.at(i).kod; }
    const std::string& InPluDodInfo(int i) const { return inPlu_.at(i).dodinfo; }

    // --- comparison ---
    void AnalizujCancelBufor(bool stripMode);
    void ComparePLUSets(bool stripMode);
    void PrzeliczTowary();

    // --- barcode index ---
    void CreateIndex();
    // Row of the goods record with the key among rows 0..count-1, or -1. The
    // index is built on the first search and not rebuilt afterwards.
    int FindRec(const std::string& kod, int count);

    // --- groups, units, VAT rates ---
    void DodajAsort(const ZTAsort& a);
    void CzytajAsort(int i, ZTAsort& a) const;
    int CountAsort() const noexcept { return static_cast<int>(asort_.size()); }
    std::string NazwaJedn(int id) const;
    int CountJedn() const noexcept { return static_cast<int>(jedn_.size()); }
    int IdxJednId(int i) const;
    int IdxJednPrec(int i) const;
    std::string IdxJednNazwa(int i) const;
    const std::vector<std::string>& Jednostki() const noexcept { return jedn_; }
    // 1-based position of the last VAT line with the rate; raises a text
    // naming the rate when no line has it.
    int NumerStawki(int rate);
    int NumerStawkiPrec(int ratePrec);
    const std::vector<std::string>& Stawki() const noexcept { return vat_; }
    const std::vector<std::string>& StawkiPrec() const noexcept { return vatPrec_; }

    // --- cashiers and currencies ---
    int CountKasjer() const noexcept { return static_cast<int>(kasjerzy_.size()); }
    const ZTKasjer& GetKasjer(int i) const;
    // Null when no cashier has the number.
    const ZTKasjer* GetKasjerByNumer(int n) const;
    int CountWaluty() const noexcept { return static_cast<int>(waluty_.size()); }
    const ZTWaluta& GetWaluta(int i) const;
    // The euro rate exactly as read ("EURO;43210" is 4.321).
    const TxfTools& KursEuro() const noexcept { return euro_; }
    // The rate in ten-thousandths, truncated (43210).
    std::int64_t KursEuro10000() const;

    // Appends one goods record per contractor, its barcode the card code
    // built by the composer; returns the number of goods made from contractors.
    int UtworzTowaryZKontrahentow(int pluOffset, const std::string& cardFormat, std::string& debugText,
                                  const ZTKoderKarty& koder);

    void Clear();

    // Counters.
    int LiczbaWierszyWyniku() const noexcept { return wynik_; }
    int LiczbaTowarow() const noexcept { return towary_; }
    // Records per status 0..3.
    int LiczbaStatus(stTow s) const noexcept { return (s >= stDod && s <= stUsu) ? status_[s] : 0; }
    int LiczbaOpakowan() const noexcept { return opakowania_; }
    int LiczbaTowZKontr() const noexcept { return towZKontr_; }
    // Set by the last "KON" (1) or "KONA" (0) line.
    int TrybKontrahentow() const noexcept { return kontrMode_; }

protected:
    ZTExpPostep* postep() const noexcept { return postep_; }
    // A status line, when there is a display.
    void pokaz(const std::string& text, int mode, int maximum);
    void pozycja(int position);
    void tryb(int mode);

private:
    // Numbers and texts of one goods row; the texts one after another.
    struct Row {
        ZTTowDane d;
        std::string teksty;
        std::uint32_t konce[ZTTowRec::kTekstow] = {};
    };
    struct InPlu {
        std::string kod;
        std::string dodinfo;
    };
    static void pack(const ZTTowRec& rec, Row& row);
    static void unpack(const Row& row, ZTTowRec& rec);
    Row& row(int i);
    const Row& row(int i) const;
    void countIn(const ZTTowDane& d, int delta);
    // The register row's match among the indexed rows: one with the key and
    // the register's number (a row not yet matched first), or -1. An entry
    // without a number takes the first row with the key not yet matched.
    int znajdzDlaKasy(const std::string& key, int count, const ZTTowRec& fromRegister);
    // Rows below n the register does not hold: added, or deleted already.
    void niedopasowane(int n);
    // Position in the index of a row with the key, or -1.
    int findPos(const std::string& kod, int count);

    ZTExpPostep* postep_;
    std::string key_;
    std::vector<Row> rows_;
    std::vector<InPlu> inPlu_;
    std::vector<int> index_;
    std::vector<std::string> indexKeys_;  // per goods row, up to the indexed count
    std::vector<ZTAsort> asort_;
    std::vector<ZTKontrRec> kontr_;
    std::vector<std::unique_ptr<ZTKasjer>> kasjerzy_;
    std::vector<std::unique_ptr<ZTWaluta>> waluty_;
    int wynik_ = 0, towary_ = 0, opakowania_ = 0, kontrahenci_ = 0, towZKontr_ = 0;
    int status_[4] = {};
    int kontrMode_ = 0;
    std::vector<std::string> vat_, vatPrec_, jedn_;
    TxfTools euro_;
    // The last VAT lookups (asked again, answered without a scan).
    int lastRate_ = 0, lastRatePos_ = 0, lastPrec_ = 0, lastPrecPos_ = 0;
};

}  // namespace zt
