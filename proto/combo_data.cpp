#include "proto/combo_data.h"

#include <limits>

#include "platform/cp1250.h"
#include "platform/exception.h"

namespace zt {

namespace {

constexpr const char* kModule = "ztcombo_cbdata";

// Whole size of a fixed-size field by its letter; 0 for text and unknown letters.
std::size_t fixedSize(char type) {
    switch (type) {
        case 'B': return 2;
        case 'V': return 3;
        case 'L': return 5;
        case 'N': return 7;
        default: return 0;
    }
}

std::uint8_t byteAt(const std::string& s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

[[noreturn]] void malformed() { throw Exception(zt::pl("TComboDataSet::ParseFromPacket() - uszkodzona ramka")); }

}  // namespace

void TComboData::fail(std::string_view key, std::string_view utf8Default) const {
    throw Exception(translate(translations_, kModule, key, zt::pl(utf8Default)));
}

void TComboData::require(char type, std::size_t size, std::string_view key, std::string_view utf8Default) const {
    if (Type() != type || raw_.size() != size) fail(key, utf8Default);
}

void TComboData::Set(std::string raw) {
    if (raw.empty()) fail("TComboDaSetExceptio", "TComboData::Set() - puste pole DATA");
    switch (raw[0]) {
        case 'B':
        case 'L':
        case 'N':
        case 'S':
        case 'V': raw_ = std::move(raw); return;
        default: fail("TComboDaSetExceptio_00001", "TComboData::Set() - nieprawidłowa wartość pola DATA");
    }
}

char TComboData::Type() const {
    if (raw_.empty()) fail("TComboDaTypeExceptio", "TComboData::Type() - puste pole DATA");
    return raw_[0];
}

std::string TComboData::AsS() const {
    if (Type() != 'S') fail("TComboDaAsSExceptio", "TComboData::AsS() - nieprawidłowy typ pola DATA");
    std::size_t end = raw_.find('\0', 1);
    return raw_.substr(1, end == std::string::npos ? std::string::npos : end - 1);
}

std::uint8_t TComboData::AsB() const {
    require('B', 2, "TComboDaAsBExceptio", "TComboData::AsB() - nieprawidłowy typ pola DATA");
    return byteAt(raw_, 1);
}

std::uint16_t TComboData::AsV() const {
    require('V', 3, "TComboDaAsVExceptio", "TComboData::AsV() - nieprawidłowy typ pola DATA");
    return static_cast<std::uint16_t>(byteAt(raw_, 1) | byteAt(raw_, 2) << 8);
}

std::uint32_t TComboData::AsL() const {
    require('L', 5, "TComboDaAsLExceptio", "TComboData::AsL() - nieprawidłowy typ pola DATA");
    std::uint32_t v = 0;
    for (int i = 4; i >= 1; --i) v = v << 8 | byteAt(raw_, static_cast<std::size_t>(i));
    return v;
}

std::int64_t TComboData::AsN64() const {
    require('N', 7, "TComboDaAsNExceptio", "TComboData::AsN() - nieprawidłowy typ pola DATA");
    std::int64_t v = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const unsigned hi = byteAt(raw_, i) >> 4, lo = byteAt(raw_, i) & 0x0F;
        if (hi > 9 || lo > 9) throw Exception(zt::pl("TComboData::AsN() - nieprawidłowa liczba BCD"));
        v = v * 100 + hi * 10 + lo;
    }
    constexpr std::int64_t kTenPow12 = 1000000000000LL;
    return v > 499999999999LL ? v - kTenPow12 : v;
}

std::int32_t TComboData::AsN() const {
    const std::int64_t v = AsN64();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw Exception(zt::pl("TComboData::AsN() - wartość poza zakresem"));
    return static_cast<std::int32_t>(v);
}

void TComboDataSet::ParseFromPacket(std::string_view frame, const TMLgExtTools* translations) {
    count_ = 0;
    // Header of 13 bytes, CRC and ETX after the fields.
    if (frame.size() < 16) malformed();
    const std::size_t n = static_cast<std::uint8_t>(frame[9]) | static_cast<std::uint8_t>(frame[10]) << 8;
    if (n > kMaxFields) malformed();
    const std::size_t end = frame.size() - 3;  // first byte of the CRC
    std::size_t pos = 13;
    for (std::size_t i = 0; i < n; ++i) {
        if (pos >= end) malformed();
        const char type = frame[pos];
        std::size_t size = fixedSize(type);
        if (type == 'S') {
            const std::size_t zero = frame.find('\0', pos + 1);
            if (zero == std::string_view::npos || zero >= end) malformed();
            size = zero + 1 - pos;
        } else if (size == 0) {
            throw Exception(translate(translations, kModule, "TComboDaParseFroExceptio",
                                      zt::pl("TComboDataSet::ParseFromPacket() - niewłaściwy typ pola DATA")));
        }
        if (size > end - pos) malformed();
        fields_[i] = TComboData(translations);
        fields_[i].Set(std::string(frame.substr(pos, size)));
        pos += size;
    }
    count_ = n;
}

const TComboData& TComboDataSet::operator[](std::size_t i) const {
    if (i >= count_) {
        throw Exception(zt::pl("TComboDataSet - brak pola ") + std::to_string(i) + zt::pl(" w odpowiedzi kasy"));
    }
    return fields_[i];
}

}  // namespace zt
