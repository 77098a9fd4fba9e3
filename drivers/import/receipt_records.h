#pragma once
// Detailed-receipt records handed to the host at the end of "kasa.imp": a
// receipt with its positions and payments, and an other-information record
// for events that are not sales (pay-ins, pay-outs, voided lines, cancelled
// receipts). Their text forms are what the host parses, byte for byte.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/api.h"

namespace zt {

class TMFile;

// One line of a receipt or of an other-information record.
class ZT_API QORPosition {
public:
    std::int32_t plu = -1;
    std::string code;
    std::int32_t quantity = -1;  // thousandths
    std::int64_t value = -1;     // grosze
    std::int32_t discount = -1;
    std::int32_t receiptNo = -1;
    double dateTime = 0;
    std::int32_t kind = 0;  // 0 goods, 1 package sold, 2 package returned

    // "ZAW;plu;code;quantity;value;discount;receipt;time" and LF.
    std::string ToText() const;
};

class ZT_API QORPayment {
public:
    std::int32_t form = -1;  // 0 cash, 1 voucher, 2 cheque, 3 card, 4 other
    std::int64_t amount = -1;
    std::int32_t multiplier = 1;
    std::int32_t extra1 = -1;
    std::int32_t extra2 = -1;
    std::int32_t formCopy = -1;
    std::uint8_t last = 0;  // last payment of a receipt
    std::uint8_t flag2 = 0;
    std::string text;
    double dateTime = 0;
    std::int32_t currencyKind = -1;  // -1 no currency data, 7 currency payment
    std::string currencyName;
    std::int32_t rate = 10000;
    std::int64_t plnValue = 0;

    // "PMT;..." and LF; the four currency fields only with currency data.
    std::string ToText() const;
};

class ZT_API QORParagon {
public:
    QORParagon() = default;
    QORParagon(const QORParagon&) = delete;
    QORParagon& operator=(const QORParagon&) = delete;
    virtual ~QORParagon();

    bool open = true;  // cleared by the receipt's closing record
    std::int32_t printNo = -1;
    std::int32_t receiptNo = -1;
    std::int32_t cashierNo = -1;
    std::int32_t registerNo = -1;
    std::string cardCode;
    std::int32_t extra1 = -1;
    double dateTime = 0;
    std::int32_t discount = 0;  // the card discount, negative
    std::int32_t extra2 = -1;

    // Extension points; no effect on the records or their text here.
    virtual void OnFirstPosition(QORPosition&) {}
    virtual void OnFirstPayment(QORPayment&) {}
    virtual void BeforeAddPosition(QORPosition&) {}
    virtual void BeforeAddPayment(QORPayment&) {}
    // Called by the import buffer when it takes the receipt over.
    virtual void Finish() {}

    // The record takes ownership.
    QORPosition& AddPosition(std::unique_ptr<QORPosition> p);
    QORPayment& AddPayment(std::unique_ptr<QORPayment> p);
    int PositionCount() const { return static_cast<int>(positions_.size()); }
    int PaymentCount() const { return static_cast<int>(payments_.size()); }
    QORPosition& Position(int i) { return *positions_.at(static_cast<std::size_t>(i)); }
    QORPayment& Payment(int i) { return *payments_.at(static_cast<std::size_t>(i)); }
    const QORPosition& Position(int i) const { return *positions_.at(static_cast<std::size_t>(i)); }
    const QORPayment& Payment(int i) const { return *payments_.at(static_cast<std::size_t>(i)); }

    // The receipt block; sets the last-payment flag of the last payment.
    std::string ToText();
    void WriteToFile(TMFile& f);

private:
    std::vector<std::unique_ptr<QORPosition>> positions_;
    std::vector<std::unique_ptr<QORPayment>> payments_;
};

class ZT_API QOROther {
public:
    enum Type : std::int32_t { kPayIn = 0, kPayOut = 1, kVoided = 2, kCancelled = 3, kOpenShift = 4, kCloseShift = 5 };

    QOROther();
    QOROther(const QOROther&) = delete;
    QOROther& operator=(const QOROther&) = delete;
    virtual ~QOROther();

    std::int32_t type = kPayIn;
    std::string printNo;
    std::string receiptNo;
    std::string text3 = "-1";
    std::int32_t cashierNo = -1;
    std::int32_t registerNo = -1;
    double dateTime = 0;

    QORPosition& AddPosition(std::unique_ptr<QORPosition> p);
    QORPayment& AddPayment(std::unique_ptr<QORPayment> p);
    int PositionCount() const { return static_cast<int>(positions_.size()); }
    int PaymentCount() const { return static_cast<int>(payments_.size()); }
    QORPosition& Position(int i) { return *positions_.at(static_cast<std::size_t>(i)); }
    QORPayment& Payment(int i) { return *payments_.at(static_cast<std::size_t>(i)); }
    const QORPosition& Position(int i) const { return *positions_.at(static_cast<std::size_t>(i)); }
    const QORPayment& Payment(int i) const { return *payments_.at(static_cast<std::size_t>(i)); }

    // The "[INNA_OPER]" block.
    std::string ToText() const;
    void WriteToFile(TMFile& f) const;

private:
    std::vector<std::unique_ptr<QORPosition>> positions_;
    std::vector<std::unique_ptr<QORPayment>> payments_;
};

// A register text made safe for one ';'-separated field of a line: CR, LF
// and ';' are dropped.
std::string FieldText(std::string_view text);

}  // namespace zt
