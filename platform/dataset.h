#pragma once
// In-memory table: typed columns declared before Open, rows addressed by
// position from 0, one current row. Cells are read and written in any of the
// four types and converted on the way.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace zt {

enum class TMFieldType { Integer, Text, Extended, DateTime };

class TMDataSet;

// A column of a data set, bound to the set's current row.
class TMField {
public:
    TMField(TMDataSet& set, int index) : set_(&set), index_(index) {}
    int Index() const noexcept { return index_; }
    const std::string& Name() const;
    TMFieldType Type() const;

    std::int64_t AsInteger() const;
    std::string AsString() const;
    long double AsExtended() const;
    double AsDateTime() const;
    bool IsNull() const;
    void SetAsInteger(std::int64_t v);
    void SetAsString(std::string v);
    void SetAsExtended(long double v);
    void SetAsDateTime(double v);

private:
    TMDataSet* set_;
    int index_;
};

class TMDataSet {
public:
    using Cell = std::variant<std::monostate, std::int64_t, std::string, long double, double>;

    // Declaring columns is only allowed while closed.
    void AddField(std::string name, TMFieldType type);
    void ClearFields();
    int FieldCount() const noexcept { return static_cast<int>(fields_.size()); }
    // -1 when there is no such column (names compare without case).
    int FieldIndex(std::string_view name) const;

    void Open();
    // Closing drops the rows; the columns stay.
    void Close();
    bool Active() const noexcept { return active_; }

    // A new empty row at the end; it becomes the current row.
    void Append();
    // A new empty row at the current position (at the end when past it).
    void Insert();
    void Delete();  // removes the current row
    void First() noexcept { pos_ = 0; }
    void Next() noexcept {
        if (pos_ < RecordCount()) ++pos_;
    }
    bool Eof() const noexcept { return pos_ >= RecordCount(); }
    int RecNo() const noexcept { return pos_; }
    // 0 to RecordCount() (the last means "past the end").
    void SetRecNo(int pos);
    int RecordCount() const noexcept { return static_cast<int>(rows_.size()); }
    void Clear() noexcept {
        rows_.clear();
        pos_ = 0;
    }

    TMField FieldByName(std::string_view name);
    TMField Fields(int index);

    // Cell of the current row; raises zt::EMException when there is none.
    const Cell& cell(int field) const;
    Cell& cell(int field);
    const std::string& fieldName(int field) const { return fields_.at(field).name; }
    TMFieldType fieldType(int field) const { return fields_.at(field).type; }

private:
    struct FieldDef {
        std::string name;
        TMFieldType type;
    };
    void requireActive() const;

    std::vector<FieldDef> fields_;
    std::unordered_map<std::string, int> byName_;  // upper-case name -> index
    std::vector<std::vector<Cell>> rows_;
    int pos_ = 0;
    bool active_ = false;
};

using TMCustomDataSet = TMDataSet;

}  // namespace zt
