#include "sim/request_reader.h"

namespace kvorsim {

bool isKnownCommand(uint16_t command) {
    return (command >= 1 && command <= 11) || command == 101 || command == 102;
}

RequestReader::RequestReader(Clock::duration stallTimeout) : stall_(stallTimeout) {}

bool RequestReader::push(uint8_t byte, Clock::time_point at, Request& out) {
    if (have_ > 0 && at - last_ > stall_) {
        ++stalled_;
        stalledBytes_ += have_;
        have_ = 0;
    }
    bool done = false;
    take(byte, at, done, out);
    return done;
}

void RequestReader::take(uint8_t byte, Clock::time_point at, bool& done, Request& out) {
    buf_[have_++] = byte;
    last_ = at;
    if (have_ == 1) {
        if (byte != (kRequestSync >> 8)) {
            have_ = 0;
            ++garbage_;
        }
        return;
    }
    if (have_ == 2) {
        if (byte != (kRequestSync & 0xFF)) rescanFromSecondByte(at);
        return;
    }
    if (have_ == 4) {
        // The command is checked as soon as it is complete: a sync pattern
        // inside noise must not swallow the real frame that follows it.
        if (!isKnownCommand(uint16_t(buf_[2] << 8 | buf_[3]))) rescanFromSecondByte(at);
        return;
    }
    if (have_ < kFrameBytes) return;

    out.bytes = buf_;
    out.command = uint16_t(buf_[2] << 8 | buf_[3]);
    out.argument = uint16_t(buf_[4] << 8 | buf_[5]);
    for (std::size_t i = 0; i < out.data.size(); ++i)
        out.data[i] = uint16_t(buf_[6 + 2 * i] << 8 | buf_[7 + 2 * i]);
    out.time = at;
    have_ = 0;
    ++frames_;
    done = true;
}

void RequestReader::rescanFromSecondByte(Clock::time_point at) {
    // At most three bytes are replayed, and none of them can complete a frame.
    std::array<uint8_t, 3> tail{};
    const std::size_t n = have_ - 1;
    for (std::size_t i = 0; i < n; ++i) tail[i] = buf_[i + 1];
    have_ = 0;
    ++garbage_;
    bool done = false;
    Request unused;
    for (std::size_t i = 0; i < n; ++i) take(tail[i], at, done, unused);
}

bool RequestReader::expire(Clock::time_point now) {
    if (have_ == 0 || now - last_ <= stall_) return false;
    ++stalled_;
    stalledBytes_ += have_;
    have_ = 0;
    return true;
}

std::optional<Clock::time_point> RequestReader::expiry() const {
    if (have_ == 0) return std::nullopt;
    return last_ + stall_;
}

void RequestReader::reset() { have_ = 0; }

}  // namespace kvorsim
