// The number-list reader on arbitrary text: it must not crash, must give the
// same verdict and values however the text is split into pieces, none when it
// fails, and only ever values inside the asked range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/numlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // First byte: how many numbers; second: which type's range and the piece size.
    const std::size_t count = data[0] % 40;
    const bool signed16 = data[1] & 1;
    const std::size_t piece = 1 + (data[1] >> 1) % 17;
    const long long min = signed16 ? -32768 : 0;
    const long long max = signed16 ? 32767 : 4294967295LL;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    std::vector<long long> whole;
    const bool ok = engine::ReadNumberList(text, count, min, max, &whole);

    engine::NumberListReader pieces(count, min, max);
    for (std::size_t i = 0; i < text.size() && !pieces.complete() && !pieces.failed(); i += piece)
        pieces.feed(text.data() + i, text.size() - i < piece ? text.size() - i : piece);
    const bool ok2 = pieces.finish();

    if (ok != ok2 || pieces.values() != whole || whole.size() != (ok ? count : 0)) std::abort();
    for (long long v : whole)
        if (v < min || v > max) std::abort();
    return 0;
}
