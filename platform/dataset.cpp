#include "platform/dataset.h"

#include <cmath>
#include <cstdio>

#include "platform/datetime.h"
#include "platform/decimal.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace zt {
namespace {

EMException dataError(const std::string& what) { return EMException(0, "data set", what); }

std::string upperKey(std::string_view name) { return TxTools::UpperCase(name); }

}  // namespace

// ---- TMDataSet ----

void TMDataSet::AddField(std::string name, TMFieldType type) {
    if (active_) throw dataError("columns cannot change while the data set is open");
    const std::string key = upperKey(name);
    if (byName_.count(key)) throw dataError("duplicate column " + name);
    byName_.emplace(key, FieldCount());
    fields_.push_back({std::move(name), type});
}

void TMDataSet::ClearFields() {
    if (active_) throw dataError("columns cannot change while the data set is open");
    fields_.clear();
    byName_.clear();
}

int TMDataSet::FieldIndex(std::string_view name) const {
    auto it = byName_.find(upperKey(name));
    return it == byName_.end() ? -1 : it->second;
}

void TMDataSet::Open() {
    active_ = true;
    pos_ = 0;
}

void TMDataSet::Close() {
    active_ = false;
    Clear();
}

void TMDataSet::requireActive() const {
    if (!active_) throw dataError("the data set is not open");
}

void TMDataSet::Append() {
    requireActive();
    rows_.emplace_back(fields_.size());
    pos_ = RecordCount() - 1;
}

void TMDataSet::Insert() {
    requireActive();
    if (pos_ >= RecordCount()) {
        Append();
        return;
    }
    rows_.insert(rows_.begin() + pos_, std::vector<Cell>(fields_.size()));
}

void TMDataSet::Delete() {
    requireActive();
    if (Eof()) throw dataError("no current row");
    rows_.erase(rows_.begin() + pos_);
}

void TMDataSet::SetRecNo(int pos) {
    if (pos < 0 || pos > RecordCount()) throw dataError("row " + std::to_string(pos) + " out of range");
    pos_ = pos;
}

TMField TMDataSet::FieldByName(std::string_view name) {
    const int i = FieldIndex(name);
    if (i < 0) throw dataError("no column " + std::string(name));
    return TMField(*this, i);
}

TMField TMDataSet::Fields(int index) {
    if (index < 0 || index >= FieldCount()) throw dataError("column " + std::to_string(index) + " out of range");
    return TMField(*this, index);
}

const TMDataSet::Cell& TMDataSet::cell(int field) const {
    requireActive();
    if (Eof()) throw dataError("no current row");
    return rows_[static_cast<std::size_t>(pos_)].at(static_cast<std::size_t>(field));
}

TMDataSet::Cell& TMDataSet::cell(int field) {
    return const_cast<Cell&>(static_cast<const TMDataSet*>(this)->cell(field));
}

// ---- TMField: reads convert from whatever the cell holds ----

const std::string& TMField::Name() const { return set_->fieldName(index_); }
TMFieldType TMField::Type() const { return set_->fieldType(index_); }
bool TMField::IsNull() const { return std::holds_alternative<std::monostate>(set_->cell(index_)); }

std::int64_t TMField::AsInteger() const {
    const auto& c = set_->cell(index_);
    if (auto* v = std::get_if<std::int64_t>(&c)) return *v;
    if (auto* v = std::get_if<long double>(&c)) return static_cast<std::int64_t>(std::llround(static_cast<double>(*v)));
    if (auto* v = std::get_if<double>(&c)) return static_cast<std::int64_t>(std::floor(*v));
    if (auto* v = std::get_if<std::string>(&c)) {
        TxfTools d;
        if (TxTools::Trim(*v).empty()) return 0;
        if (!d.FromString(*v)) throw dataError("'" + *v + "' is not a valid integer value");
        return d.Scaled(0);
    }
    return 0;
}

std::string TMField::AsString() const {
    const auto& c = set_->cell(index_);
    if (auto* v = std::get_if<std::string>(&c)) return *v;
    if (auto* v = std::get_if<std::int64_t>(&c)) return std::to_string(*v);
    if (auto* v = std::get_if<long double>(&c)) return TxfTools(*v).ToString();
    if (auto* v = std::get_if<double>(&c)) return TdtTools(*v).ToString(TdtTools::kDateTime);
    return {};
}

long double TMField::AsExtended() const {
    const auto& c = set_->cell(index_);
    if (auto* v = std::get_if<long double>(&c)) return *v;
    if (auto* v = std::get_if<std::int64_t>(&c)) return static_cast<long double>(*v);
    if (auto* v = std::get_if<double>(&c)) return *v;
    if (auto* v = std::get_if<std::string>(&c)) {
        if (TxTools::Trim(*v).empty()) return 0;
        return TxfTools::Parse(*v).Value();
    }
    return 0;
}

double TMField::AsDateTime() const {
    const auto& c = set_->cell(index_);
    if (auto* v = std::get_if<double>(&c)) return *v;
    if (auto* v = std::get_if<std::int64_t>(&c)) return static_cast<double>(*v);
    if (auto* v = std::get_if<long double>(&c)) return static_cast<double>(*v);
    if (auto* v = std::get_if<std::string>(&c)) return TdtTools::Parse(*v, TdtTools::kDateTime).Value();
    return 0;
}

// Writes store the value in the column's own type.
void TMField::SetAsInteger(std::int64_t v) {
    switch (Type()) {
        case TMFieldType::Integer: set_->cell(index_) = v; break;
        case TMFieldType::Text: set_->cell(index_) = std::to_string(v); break;
        case TMFieldType::Extended: set_->cell(index_) = static_cast<long double>(v); break;
        case TMFieldType::DateTime: set_->cell(index_) = static_cast<double>(v); break;
    }
}

void TMField::SetAsString(std::string v) {
    auto& c = set_->cell(index_);
    switch (Type()) {
        case TMFieldType::Text: c = std::move(v); break;
        case TMFieldType::Integer:
        case TMFieldType::Extended:
        case TMFieldType::DateTime: {
            // Convert through a text cell so that a bad text raises before anything changes.
            TMDataSet::Cell old = c;
            c = std::move(v);
            try {
                if (Type() == TMFieldType::Integer)
                    c = AsInteger();
                else if (Type() == TMFieldType::Extended)
                    c = AsExtended();
                else
                    c = AsDateTime();
            } catch (...) {
                c = std::move(old);
                throw;
            }
            break;
        }
    }
}

void TMField::SetAsExtended(long double v) {
    switch (Type()) {
        case TMFieldType::Extended: set_->cell(index_) = v; break;
        case TMFieldType::Integer:
            set_->cell(index_) = static_cast<std::int64_t>(std::llround(static_cast<double>(v)));
            break;
        case TMFieldType::Text: set_->cell(index_) = TxfTools(v).ToString(); break;
        case TMFieldType::DateTime: set_->cell(index_) = static_cast<double>(v); break;
    }
}

void TMField::SetAsDateTime(double v) {
    switch (Type()) {
        case TMFieldType::DateTime: set_->cell(index_) = v; break;
        case TMFieldType::Integer: set_->cell(index_) = static_cast<std::int64_t>(std::floor(v)); break;
        case TMFieldType::Extended: set_->cell(index_) = static_cast<long double>(v); break;
        case TMFieldType::Text: set_->cell(index_) = TdtTools(v).ToString(TdtTools::kDateTime); break;
    }
}

}  // namespace zt
