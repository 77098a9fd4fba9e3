#pragma once
// The import buffer: the sums of one day of sales read from a register
// (goods rows, tax rows, payments, packages, hourly figures, currencies, the
// cashier's cash state, the detailed receipts), written for the host as
// "kasa.imp". Other drivers of the family use the same buffer, so the whole
// interface is kept even where this driver does not call a member.
// Money is in grosze and quantities in thousandths, as the register reports.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "drivers/import/receipt_records.h"
#include "platform/datetime.h"
#include "tools/api.h"
#include "tools/lquicksort.h"

namespace zt {

class TMFile;

// One goods row as handed in and out of the buffer.
struct ZT_API ZTImpTowRec {
    std::string code;
    long double quantity = 0;
    long double value = 0;
    std::uint8_t save = 1;
    // 1 PLU number, 2 barcode or package code, 0 the buffer's default.
    std::int32_t identifier = 0;

    // Leaves the identifier as it is.
    void Clear();
};

// A currency exchange: adds the amount under "name;number".
struct ZT_API ZTWymiana {
    std::string name;
    std::int32_t number = 0;
    std::int32_t amount = 0;
};

class ZT_API ZTImpBuf : public TLQuickSort {
public:
    ZTImpBuf();
    ~ZTImpBuf() override;
    ZTImpBuf(const ZTImpBuf&) = delete;
    ZTImpBuf& operator=(const ZTImpBuf&) = delete;

    // --- index over the goods rows (row numbers in order of their codes) ---
    int SortCompare(int i, int j) override;
    void ExChange(int i, int j) override;
    int FindCompare(int i) override;

    // --- goods rows ---
    void AddPlu(std::string_view code, long double quantity, long double value, std::int32_t identifier);
    // Adds to the row of that code and identifier, creating it when missing.
    void AddToPlu(std::string_view code, long double quantity, long double value, std::int32_t identifier);
    // Adds to the row found by code whatever its identifier; nothing when absent.
    void ExclAddToPlu(std::string_view code, long double quantity, long double value);
    // Row number or -1.
    int FindRec(std::string_view code);
    void GetPlu(int row, ZTImpTowRec& rec) const;
    void PutPlu(int row, const ZTImpTowRec& rec);
    void SetSaveFlag(int row, bool save);
    int CountPlu() const { return static_cast<int>(goods_.size()); }

    // --- tax rows ---
    void AddNetTax(std::int32_t slot, long double amount);
    void AddVatTax(std::int32_t slot, long double amount);
    void AddBruTax(std::int32_t slot, long double amount);

    // --- sums ---
    void AddDiscount(long double amount, bool absolute);
    void AddPayIn(long double amount) { payIn_ += amount; }
    void AddPayOut(long double amount) { payOut_ += amount; }
    void AddBony(long double amount) { vouchers_ += amount; }
    void AddCzeki(long double amount) { cheques_ += amount; }
    void AddKarty(long double amount) { cards_ += amount; }
    void AddInne(long double amount) { others_ += amount; }
    void AddBottlesTurned(long double amount);
    void AddBottlesSaled(long double amount);
    void AddKoszyk(std::int32_t n) { baskets_ += n; }
    void AddLiniaPar(std::int32_t n) { lines_ += n; }
    // An hour outside 0..23 is ignored.
    void AddGodzinowy(int hour, std::int32_t receipts, std::int32_t lines, long double value);

    long double Discounts() const { return discounts_; }
    long double PayIns() const { return payIn_; }
    long double PayOuts() const { return payOut_; }
    long double Vouchers() const { return vouchers_; }
    long double Cheques() const { return cheques_; }
    long double Cards() const { return cards_; }
    long double Others() const { return others_; }
    long double BottlesTurned() const { return bottlesTurned_; }
    long double BottlesSaled() const { return bottlesSaled_; }
    std::int32_t Baskets() const { return baskets_; }
    std::int32_t ReceiptLines() const { return lines_; }

    // --- receipts (the buffer owns them) ---
    // With sales from receipts also adds the receipt's positions and payments to the sums.
    void AddReceipt(std::unique_ptr<QORParagon> receipt);
    void AddReceiptOtherInfo(std::unique_ptr<QOROther> other);
    // Null once the buffer has been saved (the slots stay, emptied).
    QORParagon* GetReceipts(int i) const;
    QOROther* GetReceiptsOther(int i) const;
    int GetReceiptsCount() const { return static_cast<int>(receipts_.size()); }
    int GetReceiptsOtherCount() const { return static_cast<int>(others_list_.size()); }
    // The buffer's additions for one position and one payment (what AddReceipt does per entry).
    void AddPosition(const QORPosition& p);
    void AddPayment(const QORPayment& p);
    ZTImpBuf& operator+=(const QORPosition& p) {
        AddPosition(p);
        return *this;
    }
    ZTImpBuf& operator+=(const QORPayment& p) {
        AddPayment(p);
        return *this;
    }

    // --- parameters, receipt lines, currencies ---
    // A later value of a name replaces the earlier one.
    void AddParameter(std::string_view name, std::string_view value);
    const std::vector<std::pair<std::string, std::string>>& Parameters() const { return params_; }
    void AddLiniaParEx(std::string_view code, long double n1, long double n2, long double n3, std::string_view text,
                       double dateTime, std::int32_t int1, std::int32_t int2, std::int32_t identifier);
    const std::string& LiniePar() const { return parLines_; }
    void SaveOneParag(const std::string& file) const;
    ZTImpBuf& operator+=(const ZTWymiana& w);
    // "name;number" and the summed amount, in order of first appearance.
    const std::vector<std::pair<std::string, std::int64_t>>& Exchanges() const { return exchanges_; }

    // --- cash state ---
    void AddLinieStanuKasy(std::string_view text);
    const std::string& StanKasy() const { return cashText_; }
    void MakeStanKasyStr();

    void Kas_Clear();
    void Kas_ActiveKasjerSection() { kasActive_ = true; }
    bool Kas_IsActiveKasjerSection() const { return kasActive_; }
    void Kas_SetNumer(std::int32_t v) { kasNumer_ = v; }
    void Kas_SetNrKasjera(std::int32_t v) { setItem(nrKasjera_, v); }
    void Kas_SetNazwisko(std::string_view v) { nazwisko_ = {std::string(v), true}; }
    void Kas_SetUprawn(std::int32_t v) { setItem(uprawn_, v); }
    void Kas_SetZmstart(double v) { zmstart_ = {v, true}; }
    void Kas_SetBiez(double v) { biez_ = {v, true}; }
    void Kas_SetStankasy(long double v) { setItem(stankasy_, v); }
    void Kas_AddStankasy(long double v) { addItem(stankasy_, v); }
    void Kas_SetKarty(long double v) { setItem(karty_, v); }
    void Kas_AddKarty(long double v) { addItem(karty_, v); }
    void Kas_SetBony(long double v) { setItem(bony_, v); }
    void Kas_AddBony(long double v) { addItem(bony_, v); }
    void Kas_SetCzeki(long double v) { setItem(czeki_, v); }
    void Kas_AddCzeki(long double v) { addItem(czeki_, v); }
    void Kas_SetPrzelewy(long double v) { setItem(przelewy_, v); }
    void Kas_AddPrzelewy(long double v) { addItem(przelewy_, v); }
    void Kas_SetDodfplat(long double v) { setItem(dodfplat_, v); }
    void Kas_AddDodfplat(long double v) { addItem(dodfplat_, v); }
    void Kas_SetInnefplat(long double v) { setItem(innefplat_, v); }
    void Kas_AddInnefplat(long double v) { addItem(innefplat_, v); }
    void Kas_SetParagonow(std::int32_t v) { setItem(paragonow_, v); }
    void Kas_AddParagonow(std::int32_t v) { addItem(paragonow_, v); }
    void Kas_SetIlParAnulowanych(std::int32_t v) { setItem(ilParAnul_, v); }
    void Kas_AddIlParAnulowanych(std::int32_t v) { addItem(ilParAnul_, v); }
    void Kas_SetWartParAnulowanych(long double v) { setItem(wartParAnul_, v); }
    void Kas_AddWartParAnulowanych(long double v) { addItem(wartParAnul_, v); }
    void Kas_SetIlStorno(std::int32_t v) { setItem(ilStorno_, v); }
    void Kas_AddIlStorno(std::int32_t v) { addItem(ilStorno_, v); }
    void Kas_SetWartStorno(long double v) { setItem(wartStorno_, v); }
    void Kas_AddWartStorno(long double v) { addItem(wartStorno_, v); }
    // One block per currency name; a known name adds amount and balance and
    // takes a new rate only when it is above 0.
    void Kas_AddWaluta(std::string_view name, long double balance, long double amount, long double rate);

    // --- whole buffer ---
    // With FISK_Z_PLU the saved goods values, otherwise the tax rows' brutto.
    long double GetTotalValue() const;
    // Empties the tables, sums, counters, hourly rows, receipt lines and the
    // cashier section; receipts, parameters, currencies, date and flags stay.
    void Clear();
    // The host import file, written whole under a temporary name and renamed.
    // The receipt records are released afterwards.
    void Save(const std::string& file, bool stripZeros);
    // The same bytes onto an open file / into a text.
    void WriteToFile(TMFile& f, bool stripZeros);
    std::string WriteToText(bool stripZeros);

    // --- settings ---
    TdtTools saleDate;
    bool fiskZPlu = false;            // FISK_Z_PLU
    bool nadpiszFisk = false;         // NADPISZ_FISK
    bool nadpiszOpak = true;          // NADPISZ_OPAK
    bool podsumujOpak = false;        // PODSUMUJ_OPAK
    bool nadpiszPlu = false;          // NADPISZ_PLU
    bool doklejPlu = false;           // DOKLEJ_PLU
    bool defaultIdentIsCode = false;  // identifier 0 means 2 when set, 1 when clear
    bool salesFromReceipts = false;
    bool writeReceipts = false;

private:
    struct GoodsRow {
        std::string code;
        long double quantity;
        long double value;
        std::int32_t save;
        std::int32_t identifier;
    };
    struct TaxRow {
        std::int32_t slot;
        long double netto = 0, vat = 0, brutto = 0;
    };
    struct HourRow {
        long double value = 0;
        std::int32_t receipts = 0, lines = 0;
    };
    template <typename T>
    struct Item {
        T value{};
        bool present = false;
    };
    struct Waluta {
        std::string name;
        long double rate, amount, balance;
    };
    template <typename T, typename V>
    static void setItem(Item<T>& i, V v) {
        i = {static_cast<T>(v), true};
    }
    template <typename T, typename V>
    static void addItem(Item<T>& i, V v) {
        i.value += static_cast<T>(v);
        i.present = true;
    }

    TaxRow& taxRow(std::int32_t slot);
    int effectiveIdent(std::int32_t identifier) const;
    void writeGoods(std::string& out, bool stripZeros) const;
    void writeSections(std::string& out);
    void writeReceiptBlocks(std::string& out);

    std::vector<GoodsRow> goods_;
    std::vector<TaxRow> taxes_;
    std::vector<int> index_;
    bool indexValid_ = false;
    std::string key_;

    std::vector<std::unique_ptr<QORParagon>> receipts_;
    std::vector<std::unique_ptr<QOROther>> others_list_;

    long double discounts_ = 0, vouchers_ = 0, cheques_ = 0, cards_ = 0, others_ = 0, payIn_ = 0, payOut_ = 0,
                bottlesTurned_ = 0, bottlesSaled_ = 0;
    std::int32_t baskets_ = 0, lines_ = 0;
    std::array<HourRow, 24> hours_{};

    std::vector<std::pair<std::string, std::int64_t>> exchanges_;
    std::vector<std::pair<std::string, std::string>> params_;
    std::string parLines_;
    std::string cashText_;

    std::int32_t kasNumer_ = 0;
    bool kasActive_ = false;
    Item<std::int32_t> nrKasjera_, uprawn_, paragonow_, ilParAnul_, ilStorno_;
    Item<std::string> nazwisko_;
    Item<double> zmstart_, biez_;
    Item<long double> stankasy_, karty_, bony_, czeki_, przelewy_, dodfplat_, innefplat_, wartParAnul_, wartStorno_;
    std::vector<Waluta> waluty_;
};

}  // namespace zt
