#pragma once
// Frames of the register protocol.
//
// Logical frame (little-endian integers, offsets from STX):
//   0 STX | 1 flags | 2 0x00 | 3..6 sequence number | 7..8 length (STX..ETX)
//   9..10 field count | 11..12 command code | 13.. fields | CRC-16 (2) | ETX
// The CRC (CRC-16/XMODEM) covers bytes 1 up to the last field byte.
// Wire form: DLE, then the logical frame with every DLE doubled, and one DLE
// before the closing ETX, so a frame travels as DLE STX ... DLE ETX.
//
// TComboFraming is the request side of the driver; the free helpers serve the
// receiving side and the register simulator, which builds its answers with them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "proto/combo_data.h"

namespace zt {

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kDle = 0x10;
// Flag bit of a request sent again after a failed reception.
constexpr std::uint8_t kFlagRepeated = 0x10;
// A frame without fields.
constexpr std::size_t kFrameMinSize = 16;
// The length field is 16 bits: no valid logical frame is longer.
constexpr std::size_t kFrameMaxSize = 65535;
// Sequence numbers run 0..9999.
constexpr std::uint32_t kSequenceLimit = 10000;

// Wire form of a logical frame.
std::string stuff(std::string_view logical);
// Logical form of a wire frame: every DLE before the last byte is dropped and the
// byte after it kept, so doubled DLEs become one and the framing DLEs vanish.
std::string unstuff(std::string_view wire);

// True when the frame is at least 16 bytes, runs STX..ETX and its CRC matches.
bool checkCrc(std::string_view logical);

// Header fields of a logical frame; fail (zt::Exception) on frames shorter than 16 bytes.
std::uint8_t frameFlags(std::string_view logical);
std::uint32_t frameSequence(std::string_view logical);
std::uint16_t frameLength(std::string_view logical);
std::uint16_t frameFieldCount(std::string_view logical);
std::uint16_t frameCommand(std::string_view logical);

// A complete logical frame (length, count and CRC written) from encoded fields;
// requests and answers alike. Fails when the frame would not fit the length field.
std::string buildFrame(std::uint8_t flags, std::uint32_t sequence, std::uint16_t code,
                       const std::vector<std::string>& fields);

// Bounded incremental reader of wire bytes. Bytes before DLE STX are reported and
// dropped; DLE STX inside a frame starts it afresh (it never occurs in a sound
// frame, where every data DLE is doubled); a frame longer than kFrameMaxSize is
// reported once and its remaining bytes dropped silently up to its DLE ETX or the
// next DLE STX. Memory use never exceeds one frame.
class FrameReceiver {
public:
    enum class Event {
        None,      // byte taken, frame not complete
        Frame,     // a frame is complete: frame() holds its logical form
        BadStart,  // a byte outside a frame that does not start one: badByte()
        Overflow,  // the frame grew past kFrameMaxSize and was dropped
    };

    Event feed(std::uint8_t byte);
    // The logical frame (STX..ETX) after Event::Frame; valid until the next feed.
    const std::string& frame() const noexcept { return frame_; }
    // Moves the completed frame out.
    std::string takeFrame();
    std::uint8_t badByte() const noexcept { return badByte_; }
    // True between DLE STX and DLE ETX.
    bool inFrame() const noexcept { return inFrame_; }
    void reset();

private:
    std::string frame_;
    bool inFrame_ = false;
    bool escape_ = false;
    bool complete_ = false;
    bool skipping_ = false;  // dropping the rest of an oversized frame
    std::uint8_t badByte_ = 0;
};

class TComboFraming {
public:
    // start: the first sequence number (advanced before the first request); by
    // default a random value 0..99 drawn from a generator seeded with the time.
    explicit TComboFraming(std::optional<std::uint32_t> start = std::nullopt);
    virtual ~TComboFraming() = default;

    // Field encoders: each returns one whole field.
    static std::string EncodeS(std::string_view text);
    static std::string EncodeB(std::uint8_t v);
    static std::string EncodeV(std::uint16_t v);
    // 'L' is only ever sent by the register; here for building its answers.
    static std::string EncodeL(std::uint32_t v);
    // 12 BCD digits; a negative value is written as its ten's complement. Fails
    // outside -500000000000..499999999999 rather than send a different number.
    static std::string EncodeN(std::int64_t v);
    // width bytes of packed BCD, most significant digit first; fails when the
    // number has more than 2*width digits.
    static std::string EncodeBcd(std::uint64_t v, std::size_t width);

    // Begins a request: advances the sequence number, keeps the code, lays the
    // 16-byte skeleton into frameOut.
    void StartFrame(std::uint16_t code);
    // Inserts the fields, writes count, length and CRC and stuffs frameOut.
    void FinishFrame(const std::vector<std::string>& fields);
    // frameOut becomes the repeated form of the same request (flag bit 0x10).
    void MarkRepeated();
    // Writes the CRC of a logical frame at its place (the two bytes before ETX).
    static void FrameCrc(std::string& frame);
    // frameOut from logical to wire form.
    void StuffFrame();
    static std::uint16_t crc16(std::string_view data);

    // Kept open: the exchange, the communication log and the operations use them.
    std::string frameOut;  // current request, wire form
    std::string frameIn;   // last received frame, logical form
    std::uint32_t sequenceNumber = 0;
    std::uint16_t lastCommand = 0;
    std::uint16_t fieldCount = 0;
    TComboDataSet answer;
};

}  // namespace zt
