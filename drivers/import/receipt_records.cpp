#include "drivers/import/receipt_records.h"

#include "platform/datetime.h"
#include "platform/file.h"
#include "platform/text.h"

namespace zt {

std::string FieldText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n' && c != ';') out += c;
    return out;
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

void QOROther::WriteToFile(TMFile& f) const { f.Write(ToText()); }

}  // namespace zt
