// Finds request frames in the byte stream arriving from the program.
//
// A request is 36 bytes: sync 0x0055, a known command word, an argument word
// and 15 data words, all big-endian. Bytes that cannot start a request are
// skipped, a header whose command is unknown is taken for noise and scanned
// again from its next byte, and a partial frame whose bytes stop coming is
// dropped, so a line that was disturbed recovers with the next clean frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "sim/sensor_pair.h"

namespace kvorsim {

constexpr std::size_t kFrameBytes = 36;
constexpr uint16_t kRequestSync = 0x0055;
constexpr uint16_t kReplySync = 0x00AA;

bool isKnownCommand(uint16_t command);

struct Request {
    uint16_t command = 0;
    uint16_t argument = 0;
    std::array<uint16_t, 15> data{};
    std::array<uint8_t, kFrameBytes> bytes{};
    Clock::time_point time;  // when the last byte arrived
};

class RequestReader {
public:
    explicit RequestReader(Clock::duration stallTimeout);

    // Takes one byte that arrived at `at` (times never go backwards). Returns
    // true with `out` filled when the byte completes a request.
    bool push(uint8_t byte, Clock::time_point at, Request& out);

    // Drops a partial frame whose newest byte is older than the stall timeout.
    bool expire(Clock::time_point now);
    // When the partial frame held now would be dropped; empty when none is held.
    std::optional<Clock::time_point> expiry() const;

    void reset();  // forgets a partial frame, keeps the counters
    void setStallTimeout(Clock::duration t) { stall_ = t; }

    std::size_t pending() const { return have_; }
    uint64_t frames() const { return frames_; }
    uint64_t garbageBytes() const { return garbage_; }
    uint64_t stalledFrames() const { return stalled_; }
    uint64_t stalledBytes() const { return stalledBytes_; }

private:
    void take(uint8_t byte, Clock::time_point at, bool& done, Request& out);
    void rescanFromSecondByte(Clock::time_point at);

    Clock::duration stall_;
    std::array<uint8_t, kFrameBytes> buf_{};
    std::size_t have_ = 0;
    Clock::time_point last_{};
    uint64_t frames_ = 0;
    uint64_t garbage_ = 0;
    uint64_t stalled_ = 0;
    uint64_t stalledBytes_ = 0;
};

}  // namespace kvorsim
