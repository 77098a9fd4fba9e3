#include <gtest/gtest.h>

#include <cstdio>

#include "platform/cp1250.h"
#include "platform/exception.h"
#include "proto/combo_data.h"
#include "proto/framing.h"

namespace zt {
namespace {

using F = TComboFraming;

std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s += static_cast<char>(v);
    return s;
}

std::int32_t ZT_HOST_STDCALL translateAll(char* out, std::int32_t size, const char* module, const char* key) {
    std::snprintf(out, static_cast<std::size_t>(size), "%s|%s", module, key);
    return 1;
}

// Message of the zt::Exception thrown by f, or "" when none.
template <class Fn>
std::string thrown(Fn f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    return {};
}

// Feeds wire bytes; returns the logical frames completed and counts bad starts and overflows.
struct Fed {
    std::vector<std::string> frames;
    int badStarts = 0;
    int overflows = 0;
};
Fed feedAll(FrameReceiver& r, std::string_view wire) {
    Fed out;
    for (char c : wire) {
        switch (r.feed(static_cast<std::uint8_t>(c))) {
            case FrameReceiver::Event::Frame: out.frames.push_back(r.takeFrame()); break;
            case FrameReceiver::Event::BadStart: ++out.badStarts; break;
            case FrameReceiver::Event::Overflow: ++out.overflows; break;
            case FrameReceiver::Event::None: break;
        }
    }
    return out;
}

const std::string kTimegetLogical =
    bytes({0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x0E, 0x00, 0xCE, 0x56, 0x03});
const std::string kTimegetWire = bytes(
    {0x10, 0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x10, 0x00, 0x00, 0x00, 0x0E, 0x00, 0xCE, 0x56, 0x10, 0x03});

TEST(Framing, CrcCheckValue) {
    EXPECT_EQ(F::crc16("123456789"), 0x31C3);
    EXPECT_EQ(F::crc16(""), 0);
}

TEST(Framing, TimegetRequest) {
    F f(0);
    f.StartFrame(14);
    f.FinishFrame({});
    EXPECT_EQ(f.frameOut, kTimegetWire);
    EXPECT_EQ(f.sequenceNumber, 1u);
    EXPECT_EQ(f.lastCommand, 14);
    EXPECT_EQ(f.fieldCount, 0);
    EXPECT_EQ(unstuff(kTimegetWire), kTimegetLogical);
    EXPECT_EQ(stuff(kTimegetLogical), kTimegetWire);
    EXPECT_EQ(buildFrame(0, 1, 14, {}), kTimegetLogical);
    EXPECT_TRUE(checkCrc(kTimegetLogical));
    EXPECT_EQ(frameLength(kTimegetLogical), 16);
    EXPECT_EQ(frameSequence(kTimegetLogical), 1u);
    EXPECT_EQ(frameCommand(kTimegetLogical), 14);
    EXPECT_EQ(frameFieldCount(kTimegetLogical), 0);
    EXPECT_EQ(frameFlags(kTimegetLogical), 0);
}

TEST(Framing, SequenceNumbers) {
    F f(9998);
    f.StartFrame(14);
    EXPECT_EQ(f.sequenceNumber, 9999u);
    f.StartFrame(14);
    EXPECT_EQ(f.sequenceNumber, 0u);
    EXPECT_EQ(frameSequence(f.frameOut), 0u);  // before FinishFrame, frameOut is the logical skeleton
    F out(123456);                             // out of range start still ends in 0..9999
    out.StartFrame(14);
    EXPECT_EQ(out.sequenceNumber, 0u);
    for (int i = 0; i < 20; ++i) EXPECT_LE(F().sequenceNumber, 99u);
}

TEST(Framing, Encoders) {
    EXPECT_EQ(F::EncodeN(0), bytes({'N', 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(F::EncodeN(123456), bytes({'N', 0, 0, 0, 0x12, 0x34, 0x56}));
    EXPECT_EQ(F::EncodeN(499999999999LL), bytes({'N', 0x49, 0x99, 0x99, 0x99, 0x99, 0x99}));
    EXPECT_EQ(F::EncodeN(-1), bytes({'N', 0x99, 0x99, 0x99, 0x99, 0x99, 0x99}));
    EXPECT_EQ(F::EncodeBcd(1234, 3), bytes({0x00, 0x12, 0x34}));
    EXPECT_EQ(F::EncodeBcd(99, 1), bytes({0x99}));
    EXPECT_EQ(F::EncodeS(""), bytes({'S', 0}));
    EXPECT_EQ(F::EncodeS("ab"), bytes({'S', 'a', 'b', 0}));
    EXPECT_EQ(F::EncodeB(0xFE), bytes({'B', 0xFE}));
    EXPECT_EQ(F::EncodeV(0x1234), bytes({'V', 0x34, 0x12}));
    EXPECT_EQ(F::EncodeL(0x01020304), bytes({'L', 4, 3, 2, 1}));
    // Never a different number on the wire.
    EXPECT_THROW(F::EncodeBcd(100, 1), Exception);
    EXPECT_THROW(F::EncodeN(500000000000LL), Exception);
    EXPECT_THROW(F::EncodeN(-500000000001LL), Exception);
}

TEST(Framing, RequestWithFields) {
    F f(41);
    f.StartFrame(2110);
    f.FinishFrame({F::EncodeV(0x1010), F::EncodeB(1), F::EncodeS(pl("Żółw"))});
    EXPECT_EQ(f.fieldCount, 3);
    const std::string logical = unstuff(f.frameOut);
    EXPECT_EQ(stuff(logical), f.frameOut);
    EXPECT_TRUE(checkCrc(logical));
    EXPECT_EQ(frameLength(logical), logical.size());
    EXPECT_EQ(frameFieldCount(logical), 3);
    EXPECT_EQ(frameCommand(logical), 2110);
    EXPECT_EQ(frameSequence(logical), 42u);
    EXPECT_EQ(logical, buildFrame(0, 42, 2110, {F::EncodeV(0x1010), F::EncodeB(1), F::EncodeS(pl("Żółw"))}));
    // Every data DLE is doubled: four in the V field.
    EXPECT_NE(f.frameOut.find(bytes({'V', 0x10, 0x10, 0x10, 0x10})), std::string::npos);
}

TEST(Framing, RepeatedRequestDiffersOnlyInFlagAndCrc) {
    F f(7);
    f.StartFrame(2100);
    f.FinishFrame({F::EncodeV(16), F::EncodeS("x"), F::EncodeN(1010)});
    const std::string first = unstuff(f.frameOut);
    f.MarkRepeated();
    const std::string again = unstuff(f.frameOut);
    ASSERT_EQ(first.size(), again.size());
    EXPECT_EQ(frameFlags(again), kFlagRepeated);
    EXPECT_TRUE(checkCrc(again));
    EXPECT_EQ(f.sequenceNumber, 8u);
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (i == 1 || i == first.size() - 3 || i == first.size() - 2) continue;
        EXPECT_EQ(first[i], again[i]) << i;
    }
    EXPECT_NE(first.substr(first.size() - 3, 2), again.substr(again.size() - 3, 2));
    EXPECT_EQ(stuff(again), f.frameOut);
    f.MarkRepeated();  // repeating again keeps the same frame
    EXPECT_EQ(unstuff(f.frameOut), again);
}

TEST(Framing, FrameTooLargeForLengthField) {
    F f(0);
    f.StartFrame(2100);
    EXPECT_THROW(f.FinishFrame({F::EncodeS(std::string(70000, 'a'))}), Exception);
    EXPECT_THROW(frameCommand(bytes({2, 0, 0, 3})), Exception);
    EXPECT_FALSE(checkCrc(bytes({2, 0, 0, 3})));
}

// ---- answers ----

TEST(ComboData, ParsesEveryFieldType) {
    const std::string frame =
        buildFrame(0, 5, 2110,
                   {F::EncodeS(pl("Łódź")), F::EncodeB(200), F::EncodeV(65535), F::EncodeL(4000000000u),
                    bytes({'N', 0x99, 0x99, 0x99, 0x99, 0x99, 0x99}), F::EncodeN(123456), F::EncodeS("")});
    TComboDataSet set;
    set.ParseFromPacket(frame, nullptr);
    ASSERT_EQ(set.Count(), 7u);
    EXPECT_EQ(set[0].AsS(), pl("Łódź"));
    EXPECT_EQ(set[0].Type(), 'S');
    EXPECT_EQ(set[1].AsB(), 200);
    EXPECT_EQ(set[2].AsV(), 65535);
    EXPECT_EQ(set[3].AsL(), 4000000000u);
    EXPECT_EQ(set[4].AsN(), -1);
    EXPECT_EQ(set[5].AsN(), 123456);
    EXPECT_EQ(set[6].AsS(), "");
    EXPECT_EQ(set[6].Raw(), bytes({'S', 0}));
    EXPECT_EQ(set[1].Raw(), bytes({'B', 200}));
    EXPECT_THROW(set[7], Exception);  // the register sent no such field
}

TEST(ComboData, NumberRange) {
    TComboData d;
    d.Set(bytes({'N', 0x49, 0x99, 0x99, 0x99, 0x99, 0x99}));
    EXPECT_EQ(d.AsN64(), 499999999999LL);
    EXPECT_THROW(d.AsN(), Exception);  // would not fit 32 bits
    d.Set(bytes({'N', 0x50, 0, 0, 0, 0, 0}));
    EXPECT_EQ(d.AsN64(), -500000000000LL);
    d.Set(F::EncodeN(2147483647));
    EXPECT_EQ(d.AsN(), 2147483647);
    d.Set(F::EncodeN(-2147483648LL));
    EXPECT_EQ(d.AsN(), -2147483647 - 1);
    d.Set(bytes({'N', 0, 0, 0, 0, 0, 0x1A}));
    EXPECT_THROW(d.AsN(), Exception);  // not a decimal digit
}

TEST(ComboData, FailureTexts) {
    TComboData d;
    EXPECT_EQ(thrown([&] { d.Type(); }), pl("TComboData::Type() - puste pole DATA"));
    EXPECT_EQ(thrown([&] { d.Set(""); }), pl("TComboData::Set() - puste pole DATA"));
    EXPECT_EQ(thrown([&] { d.Set("X1"); }), pl("TComboData::Set() - nieprawidłowa wartość pola DATA"));
    d.Set(F::EncodeV(5));
    EXPECT_EQ(thrown([&] { d.AsB(); }), pl("TComboData::AsB() - nieprawidłowy typ pola DATA"));
    EXPECT_EQ(thrown([&] { d.AsS(); }), pl("TComboData::AsS() - nieprawidłowy typ pola DATA"));
    EXPECT_EQ(thrown([&] { d.AsL(); }), pl("TComboData::AsL() - nieprawidłowy typ pola DATA"));
    EXPECT_EQ(thrown([&] { d.AsN(); }), pl("TComboData::AsN() - nieprawidłowy typ pola DATA"));
    d.Set(F::EncodeB(5));
    EXPECT_EQ(thrown([&] { d.AsV(); }), pl("TComboData::AsV() - nieprawidłowy typ pola DATA"));
    d.Set("B");  // right letter, wrong length
    EXPECT_EQ(thrown([&] { d.AsB(); }), pl("TComboData::AsB() - nieprawidłowy typ pola DATA"));

    TMLgExtTools all(translateAll);
    TComboData t(&all);
    EXPECT_EQ(thrown([&] { t.Set(""); }), "ztcombo_cbdata|TComboDaSetExceptio");
    EXPECT_EQ(thrown([&] { t.Set("Q"); }), "ztcombo_cbdata|TComboDaSetExceptio_00001");
    t.Set(F::EncodeV(1));
    EXPECT_EQ(thrown([&] { t.AsB(); }), "ztcombo_cbdata|TComboDaAsBExceptio");
}

// Logical answer frame from raw field bytes and a stated field count, CRC fixed.
std::string answerFrame(std::uint16_t count, const std::string& body) {
    std::string f = buildFrame(0, 1, 0, {body});
    f[9] = static_cast<char>(count & 0xFF);
    f[10] = static_cast<char>(count >> 8);
    F::FrameCrc(f);
    return f;
}

TEST(ComboDataSet, RejectsMalformedAnswers) {
    const std::string bad = pl("TComboDataSet::ParseFromPacket() - uszkodzona ramka");
    TComboDataSet set;
    std::string sixtyOne;
    for (int i = 0; i < 61; ++i) sixtyOne += F::EncodeB(1);
    EXPECT_EQ(thrown([&] { set.ParseFromPacket(answerFrame(61, sixtyOne), nullptr); }), bad);
    std::string sixty = sixtyOne.substr(2);
    set.ParseFromPacket(answerFrame(60, sixty), nullptr);
    EXPECT_EQ(set.Count(), 60u);

    EXPECT_EQ(thrown([&] { set.ParseFromPacket(answerFrame(2, F::EncodeB(1)), nullptr); }),
              bad);  // field count beyond the fields
    EXPECT_EQ(thrown([&] { set.ParseFromPacket(answerFrame(1, "L\x01\x02"), nullptr); }), bad);  // field past the CRC
    EXPECT_EQ(thrown([&] { set.ParseFromPacket(answerFrame(1, "Sabc"), nullptr); }), bad);  // text without its zero
    EXPECT_EQ(set.Count(), 0u);
    EXPECT_EQ(thrown([&] {
                  set.ParseFromPacket(bytes({2, 0, 0, 1, 0, 0, 0, 15, 0, 1, 0, 0, 0, 0, 3}), nullptr);
              }),
              bad);
    EXPECT_EQ(thrown([&] { set.ParseFromPacket("", nullptr); }), bad);

    EXPECT_EQ(thrown([&] { set.ParseFromPacket(answerFrame(2, F::EncodeB(1) + "X1"), nullptr); }),
              pl("TComboDataSet::ParseFromPacket() - niewłaściwy typ pola DATA"));
    TMLgExtTools all(translateAll);
    EXPECT_EQ(thrown([&] { set.ParseFromPacket(answerFrame(1, "Z"), &all); }),
              "ztcombo_cbdata|TComboDaParseFroExceptio");
    EXPECT_EQ(set.Count(), 0u);
    // The fields an answer carries are read through its translations.
    set.ParseFromPacket(answerFrame(1, F::EncodeB(1)), &all);
    EXPECT_EQ(thrown([&] { set[0].AsV(); }), "ztcombo_cbdata|TComboDaAsVExceptio");
}

// ---- receiving ----

TEST(FrameReceiver, TakesFramesAndSkipsGarbage) {
    FrameReceiver r;
    Fed fed = feedAll(r, "AB\x10\x41" + kTimegetWire + std::string(1, '\0') + kTimegetWire);
    ASSERT_EQ(fed.frames.size(), 2u);
    EXPECT_EQ(fed.frames[0], kTimegetLogical);
    EXPECT_EQ(fed.frames[1], kTimegetLogical);
    EXPECT_EQ(fed.badStarts, 4);

    FrameReceiver one;
    EXPECT_EQ(one.feed(0x10), FrameReceiver::Event::None);
    EXPECT_EQ(one.feed(0x41), FrameReceiver::Event::BadStart);
    EXPECT_EQ(one.badByte(), 0x41);
}

TEST(FrameReceiver, DoubledDleInLengthAndCrc) {
    // A request whose CRC holds a 0x10 byte, besides the length byte 0x10.
    std::string logical;
    for (std::uint32_t seq = 0; seq < kSequenceLimit && logical.empty(); ++seq) {
        std::string f = buildFrame(0, seq, 14, {});
        if (f[13] == 0x10 || f[14] == 0x10) logical = f;
    }
    ASSERT_FALSE(logical.empty());
    FrameReceiver r;
    Fed fed = feedAll(r, stuff(logical));
    ASSERT_EQ(fed.frames.size(), 1u);
    EXPECT_EQ(fed.frames[0], logical);
    EXPECT_TRUE(checkCrc(fed.frames[0]));

    // A V field of 0x1010 as the last field, right before the CRC.
    const std::string withDle = buildFrame(0x10, 0x10101010, 0x1010, {F::EncodeV(0x1010)});
    fed = feedAll(r, stuff(withDle));
    ASSERT_EQ(fed.frames.size(), 1u);
    EXPECT_EQ(fed.frames[0], withDle);
}

TEST(FrameReceiver, CutFrameThenWholeFrame) {
    FrameReceiver r;
    Fed fed = feedAll(r, kTimegetWire.substr(0, 7) + kTimegetWire);
    ASSERT_EQ(fed.frames.size(), 1u);
    EXPECT_EQ(fed.frames[0], kTimegetLogical);
    EXPECT_EQ(fed.badStarts, 0);
}

TEST(FrameReceiver, OversizedFrameIsDropped) {
    FrameReceiver r;
    std::string wire = "\x10\x02" + std::string(kFrameMaxSize + 100, 'a') + std::string("\x10\x10\x10\x03");
    Fed fed = feedAll(r, wire + kTimegetWire);
    EXPECT_EQ(fed.overflows, 1);
    EXPECT_EQ(fed.badStarts, 0);  // the rest of the long frame is dropped quietly
    ASSERT_EQ(fed.frames.size(), 1u);
    EXPECT_EQ(fed.frames[0], kTimegetLogical);

    // The largest valid frame still passes.
    const std::string biggest =
        buildFrame(0, 1, 2100, {F::EncodeS(std::string(kFrameMaxSize - kFrameMinSize - 2, 'z'))});
    ASSERT_EQ(biggest.size(), kFrameMaxSize);
    fed = feedAll(r, stuff(biggest));
    ASSERT_EQ(fed.frames.size(), 1u);
    EXPECT_EQ(fed.frames[0], biggest);
}

TEST(FrameReceiver, AnswerRoundTrip) {
    // An answer built the way the register simulator builds it reaches the reader intact.
    const std::string answer = buildFrame(0, 77, 0, {F::EncodeB(0), F::EncodeV(0), F::EncodeV(903)});
    FrameReceiver r;
    Fed fed = feedAll(r, stuff(answer));
    ASSERT_EQ(fed.frames.size(), 1u);
    ASSERT_TRUE(checkCrc(fed.frames[0]));
    TComboDataSet set;
    set.ParseFromPacket(fed.frames[0], nullptr);
    EXPECT_EQ(set[2].AsV(), 903);
    std::string corrupt = fed.frames[0];
    corrupt[14] ^= 1;
    EXPECT_FALSE(checkCrc(corrupt));
}

}  // namespace
}  // namespace zt
