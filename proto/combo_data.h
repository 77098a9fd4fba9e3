#pragma once
// Typed fields of the register protocol. A field is a type letter followed by its
// payload: 'S' zero-terminated text, 'B' byte, 'V' 16-bit, 'L' 32-bit (little
// endian), 'N' 12-digit packed BCD. TComboDataSet holds the fields of one answer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/translation.h"

namespace zt {

class TComboData {
public:
    TComboData() = default;
    explicit TComboData(const TMLgExtTools* translations) : translations_(translations) {}

    // Stores a raw field (type letter + payload). Fails when empty or of an unknown type.
    void Set(std::string raw);
    // The type letter.
    char Type() const;
    // The text between the letter and the terminating zero.
    std::string AsS() const;
    std::uint8_t AsB() const;
    std::uint16_t AsV() const;
    std::uint32_t AsL() const;
    // Signed value of the 12 BCD digits (above 499999999999 they are negative);
    // fails when the value does not fit 32 bits, instead of handing on a wrong number.
    std::int32_t AsN() const;
    // The same value in full.
    std::int64_t AsN64() const;
    const std::string& Raw() const noexcept { return raw_; }

    const TMLgExtTools* translations() const noexcept { return translations_; }

private:
    [[noreturn]] void fail(std::string_view key, std::string_view utf8Default) const;
    void require(char type, std::size_t size, std::string_view key, std::string_view utf8Default) const;

    std::string raw_;
    const TMLgExtTools* translations_ = nullptr;
};

class TComboDataSet {
public:
    static constexpr std::size_t kMaxFields = 60;

    // Replaces the contents with the fields of a logical answer frame (STX to ETX,
    // stuffing removed). Rejects frames whose fields do not fit the frame.
    void ParseFromPacket(std::string_view frame, const TMLgExtTools* translations);

    std::size_t Count() const noexcept { return count_; }
    // Field i of the last answer; fails for i at or above Count(), so that a field
    // the register did not send is never read as a stale value.
    const TComboData& operator[](std::size_t i) const;

private:
    std::array<TComboData, kMaxFields> fields_;
    std::size_t count_ = 0;
};

}  // namespace zt
