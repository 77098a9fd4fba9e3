#include "drivers/import/receipt_booking.h"

#include <limits>

#include "drivers/import/combo_imp_lines.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

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
    const std::string_view kind = TrimmedField(f[0]);
    if (!buffer) return;
    ZTImpBuf& b = *buffer;
    const auto openReceipt = [&] {
        if (!receipt_) receipt_ = std::make_unique<QORParagon>();
        lines_.push_back(std::string(line) + "\r\n");
        return receipt_.get();
    };

    if (kind == "P_PLU") {
        const PPluLine l(f);
        auto p = std::make_unique<QORPosition>();
        if (settings_.codeAsIdentifier) {
            std::string code = l.Code();
            if (settings_.convertCode) code = FieldText(settings_.convertCode(code));
            p->code = code;
            // Goods without a barcode keep their own row.
            if (TxTools::Trim(code).empty()) p->plu = l.Plu();
        } else {
            p->plu = l.Plu();
        }
        p->quantity = l.Quantity();
        p->value = l.Value();
        p->kind = 0;
        const bool voided = l.Voided();
        QORParagon* r = openReceipt();
        if (voided) {
            if (!voided_) voided_ = std::make_unique<QOROther>();
            voided_->AddPosition(std::move(p));
        } else {
            r->AddPosition(std::move(p));
            ++pending_->lines;
        }
    } else if (kind == "P_OPA") {
        const POpaLine l(f);
        auto p = std::make_unique<QORPosition>();
        p->code = std::to_string(l.Number());
        p->quantity = l.Quantity();
        p->value = l.Value();
        if (!l.Returned()) {
            p->kind = 1;
        } else {
            p->kind = 2;
            p->quantity = Saturated32(-static_cast<std::int64_t>(p->quantity));
            p->value = negated(p->value);
        }
        openReceipt()->AddPosition(std::move(p));
        ++pending_->lines;
    } else if (kind == "P_RAB") {
        const PRabLine l(f);
        const std::int64_t type = l.Type();
        const std::int32_t amount = Saturated32(negated(l.Amount()));
        QORParagon* r = openReceipt();
        if (type == 21) {
            if (r->PositionCount() > 0) r->Position(r->PositionCount() - 1).discount = amount;
        } else if (type == 22 || type == 23) {
            r->discount = amount;
            r->cardCode = CardNumber(l.CardCode(), settings_.cardPosition, settings_.cardLength);
        }
        if (type >= 21 && type <= 23) pending_->discounts += amount;
    } else if (kind == "P_PLA") {
        const PPlaLine l(f);
        const std::int64_t type = l.Type();
        if (type == 2 || type == 3) {
            auto p = std::make_unique<QORPayment>();
            const std::int64_t formNo = l.Form();
            p->form = formNo == 1 ? 0 : formNo == 2 ? 3 : formNo == 4 ? 1 : formNo == 5 ? 2 : 4;
            p->formCopy = p->form;
            p->amount = signedBy(l.Amount(), type == 3);
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
        } else if ((type == 4 || type == 5) && l.Form() == 1) {
            // A pay-in or pay-out stands alone: booked at once, in every mode.
            const std::int64_t amount = l.Amount();
            if (type == 4)
                b.AddPayIn(static_cast<long double>(amount));
            else
                b.AddPayOut(static_cast<long double>(amount));
            const std::optional<std::int32_t> cashier = l.Cashier();
            if (cashier && *cashier != std::numeric_limits<std::int32_t>::min()) {
                auto o = std::make_unique<QOROther>();
                o->type = type == 4 ? QOROther::kPayIn : QOROther::kPayOut;
                o->cashierNo = *cashier;
                o->AddPayment(otherPayment(amount, o->dateTime));
                b.AddReceiptOtherInfo(std::move(o));
            }
        }
    } else if (kind == "P_WAL") {
        const PWalLine l(f);
        const std::int64_t type = l.Type();
        if (type == 6 || type == 7) {
            auto p = std::make_unique<QORPayment>();
            p->form = 4;
            p->formCopy = 4;
            p->amount = signedBy(l.Amount(), type == 7);
            p->currencyKind = 7;
            p->currencyName = l.Record() == 3 ? std::string("EUR") : l.Currency();
            p->rate = l.Rate();
            p->plnValue = signedBy(l.PlnValue(), type == 7);
            // Booked once, in zloty.
            pending_->currency += static_cast<long double>(p->plnValue);
            openReceipt()->AddPayment(std::move(p));
        } else {
            openReceipt();
        }
    } else if (kind == "P_ANU") {
        const PAnuLine l(f);
        // What was read of the receipt belongs to the cancelled one.
        dropOpen();
        auto o = std::make_unique<QOROther>();
        o->type = QOROther::kCancelled;
        o->dateTime = l.Date();
        o->registerNo = l.Register();
        o->cashierNo = l.Cashier();
        o->AddPayment(otherPayment(l.Total(), o->dateTime));
        b.AddReceiptOtherInfo(std::move(o));
    } else if (kind == "P_TRN") {
        if (!receipt_) receipt_ = std::make_unique<QORParagon>();
        closeReceipt(PTrnLine(f), b);
    } else if (kind == "P_ZAM") {
        const PZamLine l(f);
        const std::int64_t type = l.Type();
        const std::int64_t quantity = l.Quantity();
        if (type == 32)
            orders_.Add(l.Description(), l.Code(), quantity);
        else if (type == 33)
            orders_.Replace(l.Description(), l.Code(), quantity);
    }
}

void ZTReceiptReader::closeReceipt(const PTrnLine& l, ZTImpBuf& b) {
    QORParagon& r = *receipt_;
    r.receiptNo = l.Number();
    r.dateTime = l.Date();
    r.registerNo = l.Register();
    r.cashierNo = l.Cashier();
    r.printNo = l.PrintNo();
    r.open = false;
    const std::int64_t total = l.Total();
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

void ZTReceiptImpReader::ReadText(std::string_view text, ZTImpBufList& list, TdtTools dataImportu,
                                  std::string_view fileName) {
    reader_.Reset();
    ZTComboImpReader::ReadText(text, list, dataImportu, fileName);
}

}  // namespace zt
