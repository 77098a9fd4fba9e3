#pragma once
// "combo.imp": what the register holds for the host, one ';'-separated line
// per record, each ended by CR LF. The register-reading code writes every line
// kind with the writers here and every reader takes them apart with the views
// here: a change of a line's layout is made in this file alone.
//
// A view converts a field only when it is asked for it, so a field the reading
// does not use never fails it. Comment lines ('#') carry the journal of the
// file's processing; blank, '#' and '-' lines are no records.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

class TComboDataSet;

// ---- text, lines, fields ----

// Without the blanks (every byte up to ' ') at both ends.
std::string_view TrimmedField(std::string_view s);
// Fields of a ';'-separated line, empty ones kept; views into the line.
std::vector<std::string_view> SplitFields(std::string_view line);
// A decimal integer field (blanks around allowed); raises the conversion
// failure "'x' is not a valid integer value" for anything else.
std::int64_t FieldInt(const std::vector<std::string_view>& fields, std::size_t i);
// The first field, trimmed: "SPT", "P_TRN"...
std::string_view LineKind(std::string_view line);
bool IsReceiptKind(std::string_view kind);
// Blank, or a '#' or '-' comment: no record.
bool IsIgnoredLine(std::string_view line);
// A line without the CR and LF bytes at its end.
std::string_view WithoutLineEnd(std::string_view line);
// A line ends with CR LF, LF or CR alike: other programs write the file too.
// Where the line end that follows from is (npos when none), and in next
// where the line after it starts.
std::size_t LineEndAt(std::string_view text, std::size_t from, std::size_t* next);
bool HasLineEnd(std::string_view line);
// The lines of a text that have their line end, without it; what follows the
// last line end was cut short by a killed writer.
std::vector<std::string_view> CompleteLines(std::string_view text);
// Every line of a text with its line end, the last one also without.
std::vector<std::string_view> AllLines(std::string_view text);

// A 64-bit value held at the nearest 32-bit limit.
std::int32_t Saturated32(std::int64_t v);

// The fields of one line, by index.
class ComboImpFields {
public:
    explicit ComboImpFields(const std::vector<std::string_view>& fields) : f_(fields) {}
    std::size_t Count() const { return f_.size(); }
    std::int64_t Int(std::size_t i) const { return FieldInt(f_, i); }
    std::int32_t Int32(std::size_t i) const;  // saturated
    // Trimmed; empty when the line has no such field.
    std::string Text(std::size_t i) const;
    // A free-text field (register number, cashier): a number when it is one,
    // else nothing; never a failure.
    std::optional<std::int32_t> NumberOrNone(std::size_t i) const;
    // A compact time stamp; 0 when it is none.
    double Time(std::size_t i) const;

protected:
    const std::vector<std::string_view>& f_;
};

// ---- the register's state ----

// "SPT;plu;value;quantity;stock;dd-mm-yyyy": the sales counter of one PLU.
struct SptLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    static std::string Format(std::int64_t plu, std::int64_t value, std::int64_t quantity, std::int64_t stock, int day,
                              int month, int year);
    std::string Plu() const { return Text(1); }
    std::int64_t Value() const { return Int(2); }
    std::int64_t Quantity() const { return Int(3); }
};

// "SPO;number;sold;returned;value sold;value returned;stock": one package.
struct SpoLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    static std::string Format(std::int64_t number, std::int64_t sold, std::int64_t returned, std::int64_t valueSold,
                              std::int64_t valueReturned, std::int64_t stock);
    std::string Number() const { return Text(1); }
    std::int64_t Sold() const { return Int(2); }
    std::int64_t Returned() const { return Int(3); }
    std::int64_t ValueSold() const { return Int(4); }
    std::int64_t ValueReturned() const { return Int(5); }
};

// "KAS;0" when nobody is logged in, else "KAS;cashier;name;discounts;
// surcharges;login time;now;packages sold;packages returned;pay-ins;pay-outs;
// sales;receipts;cancelled receipts;their value;voids;their value".
struct KasLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    struct Values {
        std::int64_t cashier = 0;
        std::string name;
        std::int64_t discounts = 0, surcharges = 0;
        std::string loginTime, now;  // compact time stamps
        std::int64_t packagesSold = 0, packagesReturned = 0, payIn = 0, payOut = 0, sales = 0;
        std::int64_t receipts = 0, cancelled = 0, cancelledValue = 0, voids = 0, voidsValue = 0;
    };
    static std::string Format(const Values& v);
    std::int32_t Cashier() const { return Int32(1); }
    std::string Name() const { return Text(2); }
    double LoginTime() const;
    double Now() const;
    std::int32_t Receipts() const { return Int32(12); }
    std::int32_t Cancelled() const { return Int32(13); }
    std::int64_t CancelledValue() const { return Int(14); }
    std::int32_t Voids() const { return Int32(15); }
    std::int64_t VoidsValue() const { return Int(16); }
};

// "KPL;form type;name;amount;euro rate": the cash of one payment form.
struct KplLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    static std::string Format(int type, const std::string& name, std::int64_t amount, std::int64_t rate);
    std::int64_t Type() const { return Int(1); }
    std::int64_t Amount() const { return Int(3); }
    std::int64_t Rate() const { return Int(4); }
};

// ---- the receipt buffer: one "P_" line per record ----

// The line of one SALERECGET answer (its CR LF included); empty for a record
// type that has no line. deviceFamily decides the optional fields.
std::string ReceiptRecordLine(const TComboDataSet& answer, int deviceFamily);

// Whether a line belongs to the receipt being read: goods, packages,
// discounts, receipt payments and currency payments. Pay-ins and pay-outs
// stand alone.
bool IsReceiptBodyLine(std::string_view line);

// "P_PLU;vat;plu;code;name;quantity;value;voided"
struct PPluLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    std::int32_t Plu() const { return Int32(2); }
    std::string Code() const;
    std::int32_t Quantity() const { return Int32(5); }
    std::int64_t Value() const { return Int(6); }
    bool Voided() const { return Int(7) == 1; }
};

// "P_OPA;returned;number;code;quantity;value"
struct POpaLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    bool Returned() const { return Int(1) != 0; }
    std::int64_t Number() const { return Int(2); }
    std::int32_t Quantity() const { return Int32(4); }
    std::int64_t Value() const { return Int(5); }
};

// "P_RAB;type;name;kind;number;amount;card code" (types 21 and 22 end in ';')
struct PRabLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    std::int64_t Type() const { return Int(1); }
    std::int64_t Amount() const { return Int(5); }
    std::string CardCode() const;
};

// "P_PLA;type;form;form name;form kind;amount;payout text;register;cashier name;cashier"
struct PPlaLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    std::int64_t Type() const { return Int(1); }
    std::int64_t Form() const { return Int(2); }
    std::int64_t Amount() const { return Int(5); }
    std::optional<std::int32_t> Cashier() const { return NumberOrNone(9); }
};

// "P_WAL;type;record;currency;PLN value;amount;rate"
struct PWalLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    std::int64_t Type() const { return Int(1); }
    std::int64_t Record() const { return Int(2); }
    std::string Currency() const;
    std::int64_t PlnValue() const { return Int(4); }
    std::int64_t Amount() const { return Int(5); }
    std::int32_t Rate() const { return Int32(6); }
};

// "P_TRN;number;date;register;cashier name;cashier;fiscal value;total;print number"
struct PTrnLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    std::int32_t Number() const { return Int32(1); }
    std::string DateText() const { return Text(2); }
    double Date() const { return Time(2); }
    std::int32_t Register() const { return NumberOrNone(3).value_or(-1); }
    std::int32_t Cashier() const { return Int32(5); }
    std::int64_t Total() const { return Int(7); }
    std::int32_t PrintNo() const { return NumberOrNone(8).value_or(-1); }
};

// "P_ANU;date;register;cashier name;cashier;author;fiscal value;total"
struct PAnuLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    double Date() const { return Time(1); }
    std::int32_t Register() const { return NumberOrNone(2).value_or(-1); }
    std::int32_t Cashier() const { return Int32(4); }
    std::int64_t Total() const { return Int(7); }
};

// "P_ZAM;type;plu;code;quantity;description"
struct PZamLine : ComboImpFields {
    using ComboImpFields::ComboImpFields;
    std::int64_t Type() const { return Int(1); }
    std::string Code() const;
    std::int64_t Quantity() const { return Int(4); }
    std::string Description() const;
};

// ---- comment lines ----

// The reading of the register went through to its end.
inline constexpr char kReadingCompleteComment[] = "# READ COMPLETE\r\n";
// The first line of a reading that began with a receipt.tmp pending, which
// belongs in front of it.
inline constexpr char kPendingComment[] = "# PENDING receipt.tmp";
// Written just before a receipt.tmp for the reading after this file (with
// the marker: the REPEATED form).
inline constexpr char kNextComment[] = "# NEXT receipt.tmp";
inline constexpr char kNextRepeatedComment[] = "# NEXT receipt.tmp REPEATED";
// The first line of a "combo.imp" a receipt.tmp was merged into.
inline constexpr char kMergedComment[] = "# receipt.tmp merged";

// The register's state (counters, cash state) the host already holds, as
// "# BOOKED " and the SPT, SPO, KAS or KPL line it was read in.
inline constexpr char kBookedPrefix[] = "# BOOKED ";
// The state line a "# BOOKED" comment carries; empty for any other line.
std::string_view BookedLine(std::string_view line);

// The journal of a processing: "# SAVING day", "# SAVED day", "# EDI day
// number", "# EDI WRITTEN" (day YYYYMMDD), "# READ COMPLETE" and "# STATE
// DROPPED" (the state lines of this file reach the host with a later reading).
struct JournalComment {
    enum Kind { kNone, kSaving, kSaved, kEdi, kEdiWritten, kReadComplete, kStateDropped };
    Kind kind = kNone;
    std::string day;
    int number = 0;

    // The comment of a line (without its line end); kNone for any other line.
    static JournalComment Parse(std::string_view line);
    // Without a line end.
    static std::string Saving(const std::string& day);
    static std::string Saved(const std::string& day);
    static std::string Edi(const std::string& day, int number);
    static std::string EdiWritten();
    static std::string StateDropped();
};

}  // namespace zt
