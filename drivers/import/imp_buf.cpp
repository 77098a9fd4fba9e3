#include "drivers/import/imp_buf.h"

#include <algorithm>
#include <limits>

#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "tools/ltools.h"

namespace zt {
namespace {

int hourOf(double t) {
    int y, mo, d, h, mi, s;
    TdtTools(t).Decode(y, mo, d, h, mi, s);
    return h;
}

// value x multiplier / 100, truncated like the integer division it is; an
// outside value too large for 64 bits still gives the nearest sum.
long double scaledAmount(std::int64_t value, std::int32_t multiplier) {
    std::int64_t product = 0;
    if (__builtin_mul_overflow(value, static_cast<std::int64_t>(multiplier), &product))
        return static_cast<long double>(value) * multiplier / 100;
    return static_cast<long double>(product / 100);
}

}  // namespace

void ZTImpTowRec::Clear() {
    code.clear();
    quantity = 0;
    value = 0;
    save = 1;
}

ZTImpBuf::ZTImpBuf() { Clear(); }
ZTImpBuf::~ZTImpBuf() = default;

// ---- index ----

int ZTImpBuf::SortCompare(int i, int j) {
    return goods_[static_cast<std::size_t>(index_[static_cast<std::size_t>(i)])].code.compare(
        goods_[static_cast<std::size_t>(index_[static_cast<std::size_t>(j)])].code);
}

void ZTImpBuf::ExChange(int i, int j) {
    std::swap(index_[static_cast<std::size_t>(i)], index_[static_cast<std::size_t>(j)]);
}

int ZTImpBuf::FindCompare(int i) {
    return key_.compare(goods_[static_cast<std::size_t>(index_[static_cast<std::size_t>(i)])].code);
}

int ZTImpBuf::FindRec(std::string_view code) {
    if (goods_.empty()) return -1;
    key_.assign(code);
    if (!indexValid_) {
        index_.resize(goods_.size());
        for (std::size_t i = 0; i < index_.size(); ++i) index_[i] = static_cast<int>(i);
        Sort(0, CountPlu() - 1);
        sorted = true;
        indexValid_ = true;
    }
    const int at = Find(0, CountPlu() - 1);
    return at < 0 ? -1 : index_[static_cast<std::size_t>(at)];
}

// ---- goods rows ----

void ZTImpBuf::AddPlu(std::string_view code, long double quantity, long double value, std::int32_t identifier) {
    goods_.push_back({std::string(code), quantity, value, 1, identifier});
    const int row = CountPlu() - 1;
    if (!indexValid_) return;
    // Keep the index sorted: the new row goes to its place, next to an equal code.
    key_.assign(code);
    const int n = static_cast<int>(index_.size());
    int place = FindInsertPlace(0, n - 1);
    if (place < 0) place = Find(0, n - 1);
    if (place < 0 || place > n) place = n;
    index_.insert(index_.begin() + place, row);
}

void ZTImpBuf::AddToPlu(std::string_view code, long double quantity, long double value, std::int32_t identifier) {
    int row = FindRec(code);
    if (row >= 0 && goods_[static_cast<std::size_t>(row)].identifier != identifier) {
        // The same code under another identifier: the first row in table order
        // with this identifier, looked up among the equal codes of the index.
        int at = Find(0, CountPlu() - 1);
        while (at > 0 && goods_[static_cast<std::size_t>(index_[static_cast<std::size_t>(at - 1)])].code == key_) --at;
        row = -1;
        for (; at < CountPlu(); ++at) {
            const int r = index_[static_cast<std::size_t>(at)];
            const GoodsRow& g = goods_[static_cast<std::size_t>(r)];
            if (g.code != key_) break;
            if (g.identifier == identifier && (row < 0 || r < row)) row = r;
        }
    }
    if (row < 0) {
        // A new row holds the record already; adding it again would count it twice.
        AddPlu(code, quantity, value, identifier);
        return;
    }
    goods_[static_cast<std::size_t>(row)].quantity += quantity;
    goods_[static_cast<std::size_t>(row)].value += value;
}

void ZTImpBuf::ExclAddToPlu(std::string_view code, long double quantity, long double value) {
    const int row = FindRec(code);
    if (row < 0) return;
    goods_[static_cast<std::size_t>(row)].quantity += quantity;
    goods_[static_cast<std::size_t>(row)].value += value;
}

void ZTImpBuf::GetPlu(int row, ZTImpTowRec& rec) const {
    const GoodsRow& g = goods_.at(static_cast<std::size_t>(row));
    rec.code = g.code;
    rec.quantity = g.quantity;
    rec.value = g.value;
    rec.save = static_cast<std::uint8_t>(g.save);
    rec.identifier = g.identifier;
}

void ZTImpBuf::PutPlu(int row, const ZTImpTowRec& rec) {
    GoodsRow& g = goods_.at(static_cast<std::size_t>(row));
    g = {rec.code, rec.quantity, rec.value, rec.save, rec.identifier};
    indexValid_ = false;
    sorted = false;
}

void ZTImpBuf::SetSaveFlag(int row, bool save) { goods_.at(static_cast<std::size_t>(row)).save = save ? 1 : 0; }

// ---- tax rows ----

ZTImpBuf::TaxRow& ZTImpBuf::taxRow(std::int32_t slot) {
    for (auto& t : taxes_)
        if (t.slot == slot) return t;
    taxes_.push_back({slot});
    return taxes_.back();
}

void ZTImpBuf::AddNetTax(std::int32_t slot, long double amount) { taxRow(slot).netto += amount; }
void ZTImpBuf::AddVatTax(std::int32_t slot, long double amount) { taxRow(slot).vat += amount; }
void ZTImpBuf::AddBruTax(std::int32_t slot, long double amount) { taxRow(slot).brutto += amount; }

// ---- sums ----

void ZTImpBuf::AddDiscount(long double amount, bool absolute) {
    discounts_ += (absolute && amount < 0) ? -amount : amount;
}
void ZTImpBuf::AddBottlesTurned(long double amount) { bottlesTurned_ += amount < 0 ? -amount : amount; }
void ZTImpBuf::AddBottlesSaled(long double amount) { bottlesSaled_ += amount < 0 ? -amount : amount; }

void ZTImpBuf::AddGodzinowy(int hour, std::int32_t receipts, std::int32_t lines, long double value) {
    if (hour < 0 || hour > 23) return;
    HourRow& h = hours_[static_cast<std::size_t>(hour)];
    h.receipts += receipts;
    h.lines += lines;
    h.value += value;
}

// ---- receipts ----

void ZTImpBuf::AddPosition(const QORPosition& p) {
    const std::string code = TxTools::Trim(p.code);
    if (!code.empty())
        AddToPlu(code, p.quantity, static_cast<long double>(p.value), 2);
    else
        AddToPlu(std::to_string(p.plu), p.quantity, static_cast<long double>(p.value), 1);
    AddGodzinowy(hourOf(p.dateTime), 0, 0, static_cast<long double>(p.value));
    if (p.kind == 1)
        AddBottlesSaled(static_cast<long double>(p.value));
    else if (p.kind == 2)
        AddBottlesTurned(static_cast<long double>(p.value));
}

void ZTImpBuf::AddPayment(const QORPayment& p) {
    // A currency payment is booked once, in zloty, when its line is read.
    if (p.form == 4 && p.currencyKind == 7) return;
    const long double amount = scaledAmount(p.amount, p.multiplier);
    switch (p.form) {
        case 1: AddBony(amount); break;
        case 2: AddCzeki(amount); break;
        case 3: AddKarty(amount); break;
        case 4: AddInne(amount); break;
        default: break;
    }
}

void ZTImpBuf::AddReceipt(std::unique_ptr<QORParagon> receipt) {
    if (!receipt) return;
    if (salesFromReceipts) {
        for (int i = 0; i < receipt->PositionCount(); ++i) AddPosition(receipt->Position(i));
        for (int i = 0; i < receipt->PaymentCount(); ++i) AddPayment(receipt->Payment(i));
        AddGodzinowy(hourOf(receipt->dateTime), 1, receipt->PositionCount(), 0);
        AddDiscount(receipt->discount, true);
    }
    receipt->Finish();
    receipts_.push_back(std::move(receipt));
}

void ZTImpBuf::AddReceiptOtherInfo(std::unique_ptr<QOROther> other) {
    if (other) others_list_.push_back(std::move(other));
}

QORParagon* ZTImpBuf::GetReceipts(int i) const { return receipts_.at(static_cast<std::size_t>(i)).get(); }
QOROther* ZTImpBuf::GetReceiptsOther(int i) const { return others_list_.at(static_cast<std::size_t>(i)).get(); }

// ---- parameters, receipt lines, currencies ----

void ZTImpBuf::AddParameter(std::string_view name, std::string_view value) {
    for (auto& p : params_)
        if (p.first == name) {
            p.second.assign(value);
            return;
        }
    params_.emplace_back(std::string(name), std::string(value));
}

int ZTImpBuf::effectiveIdent(std::int32_t identifier) const {
    return identifier == 0 ? (defaultIdentIsCode ? 2 : 1) : identifier;
}

void ZTImpBuf::AddLiniaParEx(std::string_view code, long double n1, long double n2, long double n3,
                             std::string_view text, double dateTime, std::int32_t int1, std::int32_t int2,
                             std::int32_t identifier) {
    const int id = effectiveIdent(identifier);
    if (id != 1 && id != 2) throw Exception(pl("ZTExpBuf::AddLiniaParEx() - nieprawidłowy _ident"));
    const std::string c = FieldText(code);
    parLines_ += format("PAR;%s;%s;%.0Lf;%.0Lf;%.0Lf;%s;%s;", id == 1 ? c.c_str() : "", id == 2 ? c.c_str() : "", n1,
                        n2, n3, FieldText(text).c_str(), TdtTools(dateTime).ToString(TdtTools::kCompact).c_str());
    if (int1 >= 0) parLines_ += std::to_string(int1);
    parLines_ += ';';
    if (int2 >= 0) parLines_ += std::to_string(int2);
    parLines_ += "\r\n";
}

void ZTImpBuf::SaveOneParag(const std::string& file) const { TLTools().BufToFile(parLines_, file); }

ZTImpBuf& ZTImpBuf::operator+=(const ZTWymiana& w) {
    const std::string key = FieldText(w.name) + ';' + std::to_string(w.number);
    for (auto& e : exchanges_)
        if (e.first == key) {
            e.second += w.amount;
            return *this;
        }
    exchanges_.emplace_back(key, w.amount);
    return *this;
}

// ---- cash state ----

void ZTImpBuf::AddLinieStanuKasy(std::string_view text) {
    cashText_.append(text);
    cashText_ += "\r\n";
}

void ZTImpBuf::Kas_Clear() {
    kasNumer_ = 0;
    kasActive_ = false;
    nrKasjera_ = {};
    uprawn_ = {};
    paragonow_ = {};
    ilParAnul_ = {};
    ilStorno_ = {};
    nazwisko_ = {};
    zmstart_ = {};
    biez_ = {};
    stankasy_ = {};
    karty_ = {};
    bony_ = {};
    czeki_ = {};
    przelewy_ = {};
    dodfplat_ = {};
    innefplat_ = {};
    wartParAnul_ = {};
    wartStorno_ = {};
    waluty_.clear();
}

void ZTImpBuf::Kas_AddWaluta(std::string_view name, long double balance, long double amount, long double rate) {
    for (auto& w : waluty_)
        if (w.name == name) {
            if (rate > 0) w.rate = rate;
            w.amount += amount;
            w.balance += balance;
            return;
        }
    waluty_.push_back({std::string(name), rate, amount, balance});
}

// ---- whole buffer ----

long double ZTImpBuf::GetTotalValue() const {
    long double sum = 0;
    if (fiskZPlu) {
        for (const auto& g : goods_)
            if (g.save) sum += g.value;
    } else {
        for (const auto& t : taxes_) sum += t.brutto;
    }
    return sum;
}

void ZTImpBuf::Clear() {
    goods_.clear();
    taxes_.clear();
    index_.clear();
    indexValid_ = false;
    sorted = false;
    discounts_ = vouchers_ = cheques_ = cards_ = others_ = payIn_ = payOut_ = bottlesTurned_ = bottlesSaled_ = 0;
    baskets_ = lines_ = 0;
    hours_ = {};
    parLines_.clear();
    Kas_Clear();
}

}  // namespace zt
