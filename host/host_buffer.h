#pragma once
// An output buffer handed to the plug-in the way the host hands it: first byte
// 0 before the call, last byte 0 after it. A guard area behind it shows a
// plug-in that writes past the size it was promised.
#include <array>
#include <cstddef>
#include <string>

namespace zt {

template <std::size_t N>
class HostBuffer {
public:
    HostBuffer() {
        data_.fill(0);
        for (std::size_t i = N; i < data_.size(); ++i) data_[i] = kGuard;
    }
    explicit HostBuffer(const std::string& initial) : HostBuffer() { initial.copy(data_.data(), N - 1); }
    char* get() { return data_.data(); }
    // Terminates the buffer at its last byte and returns the text.
    std::string text() {
        data_[N - 1] = 0;
        return std::string(data_.data());
    }
    bool overrun() const {
        for (std::size_t i = N; i < data_.size(); ++i)
            if (data_[i] != kGuard) return true;
        return false;
    }
    static constexpr std::size_t size() { return N; }

private:
    static constexpr char kGuard = static_cast<char>(0xA5);
    std::array<char, N + 64> data_;
};

// 301 bytes: every text the plug-in returns; 261 bytes: the working directory.
using Text301 = HostBuffer<301>;
using Text261 = HostBuffer<261>;

}  // namespace zt
