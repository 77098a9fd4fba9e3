#include "drivers/import/receipt_records.h"

#include "platform/datetime.h"
#include "platform/file.h"
#include "platform/text.h"

namespace zt {
namespace {

std::string stamp(double t) { return TdtTools(t).ToString(TdtTools::kCompact); }

// Unset numbers of a receipt header are written as empty fields.
std::string orEmpty(std::int32_t v) { return v == -1 ? std::string() : std::to_string(v); }

}  // namespace

std::string FieldText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n' && c != ';') out += c;
    return out;
}

std::string QORPosition::ToText() const {
    std::string s = "ZAW;";
    s += orEmpty(plu);
    s += ';';
    s += FieldText(code);
    s += ';' + std::to_string(quantity) + ';' + std::to_string(value) + ';' + std::to_string(discount) + ';' +
         std::to_string(receiptNo) + ';' + stamp(dateTime) + '\n';
    return s;
}

std::string QORPayment::ToText() const {
    std::string s = "PMT;" + std::to_string(form) + ';' + std::to_string(amount) + ';' + std::to_string(multiplier) +
                    ';' + std::to_string(extra1) + ';' + std::to_string(extra2) + ';' + std::to_string(formCopy) + ';' +
                    (last ? '1' : '0') + ';' + (flag2 ? '1' : '0') + ';' + FieldText(text) + ';' + stamp(dateTime);
    if (currencyKind != -1)
        s += ';' + std::to_string(currencyKind) + ';' + FieldText(currencyName) + ';' + std::to_string(rate) + ';' +
             std::to_string(plnValue);
    s += '\n';
    return s;
}

// ---- receipt ----

QORParagon::~QORParagon() = default;

QORPosition& QORParagon::AddPosition(std::unique_ptr<QORPosition> p) {
    if (positions_.empty()) OnFirstPosition(*p);
    BeforeAddPosition(*p);
    positions_.push_back(std::move(p));
    return *positions_.back();
}

QORPayment& QORParagon::AddPayment(std::unique_ptr<QORPayment> p) {
    if (payments_.empty()) OnFirstPayment(*p);
    BeforeAddPayment(*p);
    payments_.push_back(std::move(p));
    return *payments_.back();
}

std::string QORParagon::ToText() {
    // The header is not cut: a long card code must not take the fields after it.
    std::string s = "\r\n[Paragon nr " + std::to_string(receiptNo) + "]\r\n";
    s += open ? "KSK;" : "TRN;";
    s += std::to_string(printNo) + ';' + std::to_string(receiptNo) + ';' + std::to_string(positions_.size()) + ';' +
         std::to_string(payments_.size()) + ';' + orEmpty(cashierNo) + ';' + orEmpty(registerNo) + ';' +
         FieldText(cardCode) + ';' + orEmpty(extra1) + ';' + stamp(dateTime) + ';' + std::to_string(discount) + ';' +
         std::to_string(extra2) + "\r\n";
    if (!open)
        for (const auto& p : positions_) s += p->ToText();
    for (std::size_t i = 0; i < payments_.size(); ++i) {
        if (i + 1 == payments_.size()) payments_[i]->last = 1;
        s += payments_[i]->ToText();
    }
    return s;
}

void QORParagon::WriteToFile(TMFile& f) { f.Write(ToText()); }

// ---- other information ----

QOROther::QOROther() = default;
QOROther::~QOROther() = default;

QORPosition& QOROther::AddPosition(std::unique_ptr<QORPosition> p) {
    positions_.push_back(std::move(p));
    return *positions_.back();
}

QORPayment& QOROther::AddPayment(std::unique_ptr<QORPayment> p) {
    payments_.push_back(std::move(p));
    return *payments_.back();
}

std::string QOROther::ToText() const {
    std::string s = "\n[INNA_OPER]\n";
    switch (type) {
        case kPayIn: s += "OP_WPL;"; break;
        case kPayOut: s += "OP_WYPL;"; break;
        case kVoided: s += "OP_STORNO;"; break;
        case kCancelled: s += "OP_ANUL;"; break;
        case kOpenShift: s += "OP_OTW_ZW;"; break;
        case kCloseShift: s += "OP_ZAMK_ZM;"; break;
        default: break;
    }
    s += FieldText(printNo) + ';' + FieldText(receiptNo) + ';' + std::to_string(positions_.size()) + ';' +
         std::to_string(payments_.size()) + ';' + std::to_string(cashierNo) + ';' + std::to_string(registerNo) +
         ";;0;" + stamp(dateTime) + ";;" + FieldText(text3) + "\r\n";
    for (const auto& p : positions_) s += p->ToText();
    for (const auto& p : payments_) s += p->ToText();
    return s;
}

void QOROther::WriteToFile(TMFile& f) const { f.Write(ToText()); }

}  // namespace zt
