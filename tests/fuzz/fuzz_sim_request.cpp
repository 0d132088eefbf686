// The simulated pair's request reader on arbitrary bytes and arrival times:
// it must never crash, emit only well-formed requests that are exact copies
// of bytes it was given, and account for every byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sim/request_reader.h"

using kvorsim::Clock;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte sets the stall time; a 0xEE byte in the stream stands for
    // a pause before the byte that follows it.
    const auto stall = std::chrono::milliseconds(1 + data[0] % 64);
    kvorsim::RequestReader reader(stall);
    Clock::time_point t{};
    std::vector<uint8_t> fed;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0xEE && i + 1 < size) {
            t += std::chrono::milliseconds(data[++i]);
            if (data[i] & 1) reader.expire(t);
        }
        t += std::chrono::microseconds(520);
        kvorsim::Request rq;
        fed.push_back(data[i]);
        if (reader.push(data[i], t, rq)) {
            auto word = [&rq](size_t w) { return uint16_t(rq.bytes[2 * w] << 8 | rq.bytes[2 * w + 1]); };
            if (word(0) != 0x0055 || !kvorsim::isKnownCommand(rq.command) || rq.time != t) std::abort();
            if (rq.command != word(1) || rq.argument != word(2)) std::abort();
            for (size_t w = 0; w < 15; ++w) if (rq.data[w] != word(3 + w)) std::abort();
            // A request is the last 36 bytes given, unchanged.
            if (std::memcmp(rq.bytes.data(), fed.data() + fed.size() - 36, 36) != 0) std::abort();
        }
        if (reader.pending() >= 36) std::abort();
    }
    if (reader.frames() * 36 + reader.garbageBytes() + reader.stalledBytes() + reader.pending() != fed.size()) std::abort();
    return 0;
}
