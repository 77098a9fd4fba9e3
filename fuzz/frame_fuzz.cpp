// Fuzz target for the register's answer path: wire bytes through FrameReceiver,
// every completed frame through the CRC check, the header readers and
// TComboDataSet::ParseFromPacket, and every parsed field through its reader.
// The first input byte also feeds the logical-frame parser directly, CRC or not.
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.frame_fuzz test replays the
// committed corpus and regression inputs without it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/exception.h"
#include "proto/combo_data.h"
#include "proto/framing.h"

namespace {

void readAll(const zt::TComboDataSet& set) {
    for (std::size_t i = 0; i < set.Count(); ++i) {
        const zt::TComboData& d = set[i];
        try {
            switch (d.Type()) {
                case 'S': (void)d.AsS(); break;
                case 'B': (void)d.AsB(); break;
                case 'V': (void)d.AsV(); break;
                case 'L': (void)d.AsL(); break;
                case 'N': (void)d.AsN(); break;
                default: __builtin_trap();  // ParseFromPacket stores only known letters
            }
        } catch (const zt::Exception&) {}
    }
}

void parse(std::string_view frame) {
    zt::TComboDataSet set;
    try {
        (void)zt::frameFlags(frame);
        (void)zt::frameSequence(frame);
        (void)zt::frameLength(frame);
        (void)zt::frameFieldCount(frame);
        (void)zt::frameCommand(frame);
    } catch (const zt::Exception&) {}
    try {
        set.ParseFromPacket(frame, nullptr);
    } catch (const zt::Exception&) {
        return;
    }
    if (set.Count() > zt::TComboDataSet::kMaxFields) __builtin_trap();
    readAll(set);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (data[0] & 1) {
        parse(input.substr(1));
        return 0;
    }
    zt::FrameReceiver receiver;
    for (std::size_t i = 1; i < size; ++i) {
        if (receiver.feed(data[i]) != zt::FrameReceiver::Event::Frame) continue;
        const std::string frame = receiver.takeFrame();
        if (frame.size() > zt::kFrameMaxSize) __builtin_trap();
        // A frame read back from its own wire form is the same frame.
        if (zt::checkCrc(frame) && zt::unstuff(zt::stuff(frame)) != frame) __builtin_trap();
        parse(frame);
    }
    return 0;
}
