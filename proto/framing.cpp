#include "proto/framing.h"

#include <chrono>
#include <random>

#include "platform/cp1250.h"
#include "platform/exception.h"

namespace zt {

namespace {

std::uint8_t at(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

void put16(std::string& s, std::size_t pos, std::uint16_t v) {
    s[pos] = static_cast<char>(v & 0xFF);
    s[pos + 1] = static_cast<char>(v >> 8);
}

void put32(std::string& s, std::size_t pos, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) s[pos + i] = static_cast<char>(v >> (8 * i) & 0xFF);
}

std::uint16_t get16(std::string_view s, std::size_t pos) {
    return static_cast<std::uint16_t>(at(s, pos) | at(s, pos + 1) << 8);
}

std::string_view header(std::string_view logical) {
    if (logical.size() < kFrameMinSize) throw Exception(zt::pl("Ramka kasy - za krótki nagłówek"));
    return logical;
}

// 16 bytes: STX, fourteen placeholders, ETX; flags, sequence and code written.
std::string skeleton(std::uint8_t flags, std::uint32_t sequence, std::uint16_t code) {
    std::string f(kFrameMinSize, '\0');
    f[0] = static_cast<char>(kStx);
    f[1] = static_cast<char>(flags);
    put32(f, 3, sequence);
    put16(f, 11, code);
    f[kFrameMinSize - 1] = static_cast<char>(kEtx);
    return f;
}

// Puts the fields before CRC and ETX of a skeleton, then count, length and CRC.
void complete(std::string& frame, const std::vector<std::string>& fields) {
    std::size_t size = frame.size();
    for (const std::string& f : fields) size += f.size();
    if (fields.size() > 0xFFFF || size > kFrameMaxSize) {
        throw Exception(zt::pl("Ramka kasy - zbyt wiele danych w jednym poleceniu"));
    }
    std::string body;
    body.reserve(size - frame.size());
    for (const std::string& f : fields) body += f;
    frame.insert(frame.size() - 3, body);
    put16(frame, 9, static_cast<std::uint16_t>(fields.size()));
    put16(frame, 7, static_cast<std::uint16_t>(frame.size()));
    TComboFraming::FrameCrc(frame);
}

}  // namespace

std::string stuff(std::string_view logical) {
    std::string w;
    w.reserve(logical.size() + logical.size() / 8 + 4);
    w += static_cast<char>(kDle);
    for (std::size_t i = 0; i < logical.size(); ++i) {
        const std::uint8_t b = at(logical, i);
        if (i + 1 == logical.size() && i > 0) w += static_cast<char>(kDle);  // before ETX
        if (b == kDle) w += static_cast<char>(kDle);
        w += static_cast<char>(b);
    }
    return w;
}

std::string unstuff(std::string_view wire) {
    std::string out;
    if (wire.empty()) return out;
    out.reserve(wire.size());
    const std::size_t last = wire.size() - 1;
    std::size_t i = 0;
    while (i < last) {
        if (at(wire, i) == kDle) {
            ++i;
            if (i < last) out += wire[i++];
        } else {
            out += wire[i++];
        }
    }
    out += wire[last];
    return out;
}

std::uint16_t TComboFraming::crc16(std::string_view data) {
    std::uint16_t x = 0;
    for (char c : data) {
        x = static_cast<std::uint16_t>(x >> 8 | x << 8);
        x ^= static_cast<std::uint8_t>(c);
        x ^= static_cast<std::uint16_t>((x & 0xFF) >> 4);
        x ^= static_cast<std::uint16_t>(x << 12);
        x ^= static_cast<std::uint16_t>((x & 0xFF) << 5);
    }
    return x;
}

bool checkCrc(std::string_view logical) {
    const std::size_t n = logical.size();
    if (n < kFrameMinSize || at(logical, 0) != kStx || at(logical, n - 1) != kEtx) return false;
    return TComboFraming::crc16(logical.substr(1, n - 4)) == get16(logical, n - 3);
}

std::uint8_t frameFlags(std::string_view logical) { return at(header(logical), 1); }

std::uint32_t frameSequence(std::string_view logical) {
    header(logical);
    return static_cast<std::uint32_t>(get16(logical, 3)) | static_cast<std::uint32_t>(get16(logical, 5)) << 16;
}

std::uint16_t frameLength(std::string_view logical) { return get16(header(logical), 7); }
std::uint16_t frameFieldCount(std::string_view logical) { return get16(header(logical), 9); }
std::uint16_t frameCommand(std::string_view logical) { return get16(header(logical), 11); }

std::string buildFrame(std::uint8_t flags, std::uint32_t sequence, std::uint16_t code,
                       const std::vector<std::string>& fields) {
    std::string f = skeleton(flags, sequence, code);
    complete(f, fields);
    return f;
}

// ---- receiving ----

void FrameReceiver::reset() {
    frame_.clear();
    inFrame_ = escape_ = complete_ = skipping_ = false;
}

std::string FrameReceiver::takeFrame() {
    std::string f = std::move(frame_);
    frame_.clear();
    complete_ = false;
    return f;
}

FrameReceiver::Event FrameReceiver::feed(std::uint8_t b) {
    if (complete_) {
        frame_.clear();
        complete_ = false;
    }
    if (!inFrame_) {
        if (b == kDle && !(escape_ && skipping_)) {
            escape_ = true;
            return Event::None;
        }
        const bool escaped = escape_;
        escape_ = false;
        if (escaped && b == kStx) {
            skipping_ = false;
            inFrame_ = true;
            frame_.assign(1, static_cast<char>(kStx));
            return Event::None;
        }
        if (skipping_) {
            if (escaped && b == kEtx) skipping_ = false;
            return Event::None;
        }
        badByte_ = b;
        return Event::BadStart;
    }
    if (b == kDle && !escape_) {
        escape_ = true;
        return Event::None;
    }
    const bool escaped = escape_;
    escape_ = false;
    if (escaped && b == kStx) {  // a new frame: the one in progress was cut short
        frame_.assign(1, static_cast<char>(kStx));
        return Event::None;
    }
    if (frame_.size() >= kFrameMaxSize) {
        reset();
        skipping_ = !(escaped && b == kEtx);
        return Event::Overflow;
    }
    frame_ += static_cast<char>(b);
    if (escaped && b == kEtx) {
        inFrame_ = false;
        complete_ = true;
        return Event::Frame;
    }
    return Event::None;
}

// ---- request side ----

TComboFraming::TComboFraming(std::optional<std::uint32_t> start) {
    if (start) {
        sequenceNumber = *start;
    } else {
        std::minstd_rand gen(
            static_cast<std::minstd_rand::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));
        sequenceNumber = std::uniform_int_distribution<std::uint32_t>(0, 99)(gen);
    }
}

std::string TComboFraming::EncodeS(std::string_view text) {
    std::string f;
    f.reserve(text.size() + 2);
    f += 'S';
    f += text;
    f += '\0';
    return f;
}

std::string TComboFraming::EncodeB(std::uint8_t v) { return std::string{'B', static_cast<char>(v)}; }

std::string TComboFraming::EncodeV(std::uint16_t v) {
    std::string f("V\0\0", 3);
    put16(f, 1, v);
    return f;
}

std::string TComboFraming::EncodeL(std::uint32_t v) {
    std::string f("L\0\0\0\0", 5);
    put32(f, 1, v);
    return f;
}

std::string TComboFraming::EncodeBcd(std::uint64_t v, std::size_t width) {
    std::string digits = std::to_string(v);
    if (digits.size() > 2 * width) throw Exception(zt::pl("Liczba ") + digits + zt::pl(" nie mieści się w polu BCD"));
    digits.insert(0, 2 * width - digits.size(), '0');
    std::string out(width, '\0');
    for (std::size_t i = 0; i < width; ++i) {
        out[i] = static_cast<char>((digits[2 * i] - '0') << 4 | (digits[2 * i + 1] - '0'));
    }
    return out;
}

std::string TComboFraming::EncodeN(std::int64_t v) {
    constexpr std::int64_t kHalf = 500000000000LL;
    if (v < -kHalf || v >= kHalf)
        throw Exception(zt::pl("Liczba ") + std::to_string(v) + zt::pl(" nie mieści się w polu BCD"));
    const std::uint64_t u = static_cast<std::uint64_t>(v < 0 ? v + 2 * kHalf : v);
    return "N" + EncodeBcd(u, 6);
}

void TComboFraming::StartFrame(std::uint16_t code) {
    ++sequenceNumber;
    if (sequenceNumber >= kSequenceLimit) sequenceNumber = 0;
    lastCommand = code;
    fieldCount = 0;
    frameOut = skeleton(0, sequenceNumber, code);
}

void TComboFraming::FinishFrame(const std::vector<std::string>& fields) {
    if (frameOut.size() != kFrameMinSize)
        throw Exception(zt::pl("TComboFraming::FinishFrame() - brak rozpoczętej ramki"));
    complete(frameOut, fields);
    fieldCount = static_cast<std::uint16_t>(fields.size());
    StuffFrame();
}

void TComboFraming::MarkRepeated() {
    frameOut = unstuff(frameOut);
    if (frameOut.size() < kFrameMinSize)
        throw Exception(zt::pl("TComboFraming::MarkRepeated() - brak ramki do powtórzenia"));
    frameOut[1] = static_cast<char>(at(frameOut, 1) | kFlagRepeated);
    FrameCrc(frameOut);
    StuffFrame();
}

void TComboFraming::FrameCrc(std::string& frame) {
    if (frame.size() < kFrameMinSize) throw Exception(zt::pl("Ramka kasy - za krótki nagłówek"));
    put16(frame, frame.size() - 3, crc16(std::string_view(frame).substr(1, frame.size() - 4)));
}

void TComboFraming::StuffFrame() { frameOut = stuff(frameOut); }

}  // namespace zt
