// Array helpers of the strip chart's history.
#include "plot/arrays.h"

#include <cstring>

int Copy1D(const double* in, int n, double* out) {
    if (n < 1) return ARRAY_SIZE_ERR;
    if (in != out) std::memmove(out, in, sizeof(double) * static_cast<unsigned>(n));
    return ARRAY_OK;
}

int Shift(const double* in, int n, int k, double* out) {
    if (n < 1) return ARRAY_SIZE_ERR;
    if (k == 0) return Copy1D(in, n, out);
    const long long by = k < 0 ? -static_cast<long long>(k) : k;
    if (by >= n) return ARRAY_SHIFT_ERR;
    const unsigned kept = static_cast<unsigned>(n - by);
    const unsigned vacated = static_cast<unsigned>(by);
    // memmove: in and out may be the same array.
    if (k < 0) {
        std::memmove(out, in + vacated, sizeof(double) * kept);
        for (unsigned i = kept; i < static_cast<unsigned>(n); ++i) out[i] = 0.0;
    } else {
        std::memmove(out + vacated, in, sizeof(double) * kept);
        for (unsigned i = 0; i < vacated; ++i) out[i] = 0.0;
    }
    return ARRAY_OK;
}
