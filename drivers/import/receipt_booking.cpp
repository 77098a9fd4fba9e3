#include "drivers/import/receipt_booking.h"

#include <limits>

#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::int32_t clamp32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::int32_t int32Field(const std::vector<std::string_view>& f, std::size_t i) { return clamp32(FieldInt(f, i)); }

// A field the register fills with free text (register number, cashier):
// a number when it is one, else the fallback; never a failure of the file.
std::int32_t numberOr(const std::vector<std::string_view>& f, std::size_t i, std::int32_t fallback) {
    const std::string_view s = i < f.size() ? trimmed(f[i]) : std::string_view();
    if (s.empty()) return fallback;
    try {
        return clamp32(FieldInt(f, i));
    } catch (const std::exception&) {
        return fallback;
    }
}

std::string textField(const std::vector<std::string_view>& f, std::size_t i) {
    return i < f.size() ? FieldText(trimmed(f[i])) : std::string();
}

double timeField(const std::vector<std::string_view>& f, std::size_t i) {
    TdtTools t;
    if (i < f.size()) t.FromString(trimmed(f[i]), TdtTools::kCompact);
    return t.Value();
}

int hourOf(double t) {
    int y, mo, d, h, mi, s;
    TdtTools(t).Decode(y, mo, d, h, mi, s);
    return h;
}

std::unique_ptr<QORPayment> otherPayment(std::int64_t amount, double time) {
    auto p = std::make_unique<QORPayment>();
    p->formCopy = 0;
    p->amount = amount;
    p->multiplier = 100;
    p->last = 1;
    p->dateTime = time;
    return p;
}

std::string_view kindOf(std::string_view line) { return trimmed(line.substr(0, line.find(';'))); }

// Outside numbers never overflow: negation and sums saturate.
std::int64_t negated(std::int64_t v) {
    return v == std::numeric_limits<std::int64_t>::min() ? std::numeric_limits<std::int64_t>::max() : -v;
}
std::int64_t signedBy(std::int64_t v, bool negative) { return negative ? negated(v) : v; }
std::int64_t plus(std::int64_t a, std::int64_t b) {
    std::int64_t r = 0;
    if (!__builtin_add_overflow(a, b, &r)) return r;
    return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

}  // namespace

// What a receipt books on the buffer when its closing line arrives.
struct ZTReceiptReader::Pending {
    long double discounts = 0, vouchers = 0, cheques = 0, cards = 0, others = 0, currency = 0;
    std::int32_t lines = 0;
};

bool IsReceiptBodyLine(std::string_view line) {
    const std::string_view kind = kindOf(line);
    if (kind == "P_PLU" || kind == "P_OPA" || kind == "P_WAL" || kind == "P_RAB") return true;
    if (kind != "P_PLA") return false;
    const std::vector<std::string_view> f = SplitFields(line);
    const std::string_view type = f.size() > 1 ? trimmed(f[1]) : std::string_view();
    return type != "4" && type != "5";
}

ZTReceiptReader::ZTReceiptReader(ZTReceiptReaderSettings settings)
    : settings_(std::move(settings)), pending_(std::make_unique<Pending>()) {}

ZTReceiptReader::~ZTReceiptReader() = default;

void ZTReceiptReader::Reset() {
    dropOpen();
    leftover_.clear();
    orders_.Clear();
}

void ZTReceiptReader::dropOpen() {
    receipt_.reset();
    voided_.reset();
    *pending_ = Pending{};
    lines_.clear();
}

std::string ZTReceiptReader::CardNumber(std::string_view code, int position, int length) {
    if (position > 0 && length > 0 && code.size() >= static_cast<std::size_t>(position) + length - 1 &&
        code.size() >= static_cast<std::size_t>(position))
        return std::string(code.substr(static_cast<std::size_t>(position) - 1, static_cast<std::size_t>(length)));
    return std::string(code);
}

void ZTReceiptReader::Line(std::string_view line, ZTImpBuf* buffer) {
    if (line.empty()) {
        leftover_ = std::move(lines_);
        dropOpen();
        return;
    }
    const std::vector<std::string_view> f = SplitFields(line);
    const std::string_view kind = trimmed(f[0]);
    if (!buffer) return;
    ZTImpBuf& b = *buffer;
    const auto openReceipt = [&] {
        if (!receipt_) receipt_ = std::make_unique<QORParagon>();
        lines_.push_back(std::string(line) + "\r\n");
        return receipt_.get();
    };

    if (kind == "P_PLU") {
        auto p = std::make_unique<QORPosition>();
        if (settings_.codeAsIdentifier) {
            std::string code = textField(f, 3);
            if (settings_.convertCode) code = FieldText(settings_.convertCode(code));
            p->code = code;
            // Goods without a barcode keep their own row.
            if (TxTools::Trim(code).empty()) p->plu = int32Field(f, 2);
        } else {
            p->plu = int32Field(f, 2);
        }
        p->quantity = int32Field(f, 5);
        p->value = FieldInt(f, 6);
        p->kind = 0;
        const bool voided = FieldInt(f, 7) == 1;
        QORParagon* r = openReceipt();
        if (voided) {
            if (!voided_) voided_ = std::make_unique<QOROther>();
            voided_->AddPosition(std::move(p));
        } else {
            r->AddPosition(std::move(p));
            ++pending_->lines;
        }
    } else if (kind == "P_OPA") {
        auto p = std::make_unique<QORPosition>();
        p->code = std::to_string(FieldInt(f, 2));
        p->quantity = int32Field(f, 4);
        p->value = FieldInt(f, 5);
        if (FieldInt(f, 1) == 0) {
            p->kind = 1;
        } else {
            p->kind = 2;
            p->quantity = clamp32(-static_cast<std::int64_t>(p->quantity));
            p->value = negated(p->value);
        }
        openReceipt()->AddPosition(std::move(p));
        ++pending_->lines;
    } else if (kind == "P_RAB") {
        const std::int64_t type = FieldInt(f, 1);
        const std::int32_t amount = clamp32(negated(FieldInt(f, 5)));
        QORParagon* r = openReceipt();
        if (type == 21) {
            if (r->PositionCount() > 0) r->Position(r->PositionCount() - 1).discount = amount;
        } else if (type == 22 || type == 23) {
            r->discount = amount;
            r->cardCode = CardNumber(textField(f, 6), settings_.cardPosition, settings_.cardLength);
        }
        if (type >= 21 && type <= 23) pending_->discounts += amount;
    } else if (kind == "P_PLA") {
        const std::int64_t type = FieldInt(f, 1);
        if (type == 2 || type == 3) {
            auto p = std::make_unique<QORPayment>();
            const std::int64_t formNo = FieldInt(f, 2);
            p->form = formNo == 1 ? 0 : formNo == 2 ? 3 : formNo == 4 ? 1 : formNo == 5 ? 2 : 4;
            p->formCopy = p->form;
            p->amount = signedBy(FieldInt(f, 5), type == 3);
            p->multiplier = 100;
            const auto amount = static_cast<long double>(p->amount);
            switch (p->form) {
                case 1: pending_->vouchers += amount; break;
                case 2: pending_->cheques += amount; break;
                case 3: pending_->cards += amount; break;
                case 4: pending_->others += amount; break;
                default: break;
            }
            openReceipt()->AddPayment(std::move(p));
        } else if ((type == 4 || type == 5) && FieldInt(f, 2) == 1) {
            // A pay-in or pay-out stands alone: booked at once, in every mode.
            const std::int64_t amount = FieldInt(f, 5);
            if (type == 4)
                b.AddPayIn(static_cast<long double>(amount));
            else
                b.AddPayOut(static_cast<long double>(amount));
            const std::int32_t cashier = numberOr(f, 9, std::numeric_limits<std::int32_t>::min());
            if (cashier != std::numeric_limits<std::int32_t>::min()) {
                auto o = std::make_unique<QOROther>();
                o->type = type == 4 ? QOROther::kPayIn : QOROther::kPayOut;
                o->cashierNo = cashier;
                o->AddPayment(otherPayment(amount, o->dateTime));
                b.AddReceiptOtherInfo(std::move(o));
            }
        }
    } else if (kind == "P_WAL") {
        const std::int64_t type = FieldInt(f, 1);
        if (type == 6 || type == 7) {
            auto p = std::make_unique<QORPayment>();
            p->form = 4;
            p->formCopy = 4;
            p->amount = signedBy(FieldInt(f, 5), type == 7);
            p->currencyKind = 7;
            p->currencyName = FieldInt(f, 2) == 3 ? std::string("EUR") : textField(f, 3);
            p->rate = int32Field(f, 6);
            p->plnValue = signedBy(FieldInt(f, 4), type == 7);
            // Booked once, in zloty.
            pending_->currency += static_cast<long double>(p->plnValue);
            openReceipt()->AddPayment(std::move(p));
        } else {
            openReceipt();
        }
    } else if (kind == "P_ANU") {
        // What was read of the receipt belongs to the cancelled one.
        dropOpen();
        auto o = std::make_unique<QOROther>();
        o->type = QOROther::kCancelled;
        o->dateTime = timeField(f, 1);
        o->registerNo = numberOr(f, 2, -1);
        o->cashierNo = int32Field(f, 4);
        o->AddPayment(otherPayment(FieldInt(f, 7), o->dateTime));
        b.AddReceiptOtherInfo(std::move(o));
    } else if (kind == "P_TRN") {
        if (!receipt_) receipt_ = std::make_unique<QORParagon>();
        closeReceipt(f, b);
    } else if (kind == "P_ZAM") {
        const std::int64_t type = FieldInt(f, 1);
        const std::int64_t quantity = FieldInt(f, 4);
        if (type == 32)
            orders_.Add(textField(f, 5), textField(f, 3), quantity);
        else if (type == 33)
            orders_.Replace(textField(f, 5), textField(f, 3), quantity);
    }
}

void ZTReceiptReader::closeReceipt(const std::vector<std::string_view>& f, ZTImpBuf& b) {
    QORParagon& r = *receipt_;
    r.receiptNo = int32Field(f, 1);
    r.dateTime = timeField(f, 2);
    r.registerNo = numberOr(f, 3, -1);
    r.cashierNo = int32Field(f, 5);
    r.printNo = numberOr(f, 8, -1);
    r.open = false;
    const std::int64_t total = FieldInt(f, 7);
    for (int i = 0; i < r.PositionCount(); ++i) r.Position(i).dateTime = r.dateTime;
    for (int i = 0; i < r.PaymentCount(); ++i) r.Payment(i).dateTime = r.dateTime;
    if (r.PaymentCount() > 0) r.Payment(r.PaymentCount() - 1).last = 1;

    const Pending& p = *pending_;
    const int positions = r.PositionCount();
    const int hour = hourOf(r.dateTime);
    b.AddLiniaPar(p.lines);
    b.AddKoszyk(1);
    if (!b.salesFromReceipts) {
        if (p.discounts != 0) b.AddDiscount(p.discounts, false);
        b.AddBony(p.vouchers);
        b.AddCzeki(p.cheques);
        b.AddKarty(p.cards);
        b.AddInne(p.others);
    }
    // Currency payments in every mode, in zloty (AddReceipt leaves them out).
    if (p.currency != 0) b.AddInne(p.currency);
    const std::string printNo = std::to_string(r.printNo), receiptNo = std::to_string(r.receiptNo);
    const std::int32_t cashier = r.cashierNo, registerNo = r.registerNo;
    const double time = r.dateTime;
    b.AddReceipt(std::move(receipt_));
    if (voided_) {
        QOROther& o = *voided_;
        o.type = QOROther::kVoided;
        o.printNo = printNo;
        o.receiptNo = receiptNo;
        o.cashierNo = cashier;
        o.registerNo = registerNo;
        o.dateTime = time;
        std::int64_t sum = 0;
        for (int i = 0; i < o.PositionCount(); ++i) {
            o.Position(i).dateTime = time;
            sum = plus(sum, o.Position(i).value);
        }
        o.AddPayment(otherPayment(sum, time));
        b.AddReceiptOtherInfo(std::move(voided_));
    }
    if (!b.salesFromReceipts) b.AddGodzinowy(hour, 1, positions, static_cast<long double>(total));
    dropOpen();
}

void ZTReceiptImpReader::OnReceiptLine(std::string_view line, ZTImpBuf* buffer) { reader_.Line(line, buffer); }

void ZTReceiptImpReader::Read(const std::string& path, ZTImpBufList& list, TdtTools dataImportu) {
    reader_.Reset();
    ZTComboImpReader::Read(path, list, dataImportu);
}

void ZTReceiptImpReader::ReadText(std::string_view text, ZTImpBufList& list, TdtTools dataImportu) {
    reader_.Reset();
    ZTComboImpReader::ReadText(text, list, dataImportu);
}

}  // namespace zt
