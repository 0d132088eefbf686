#include "params/units.h"

float DisplayScale(uint32_t fixed) { return static_cast<float>(fixed) / 1024.0f; }

uint32_t ScaleToFixed(float scale) {
    const double fixed = static_cast<double>(scale) * 1024.0;
    // A negative or huge entry would make the conversion undefined.
    if (!(fixed > 0.0)) return 0;
    if (fixed >= 4294967295.0) return 4294967295u;
    return static_cast<uint32_t>(fixed);
}

double ToleranceMMShownScale(uint32_t scale, uint16_t tol) {
    return static_cast<double>(DisplayScale(scale)) * tol / 1000.0;
}

double ToleranceMM(uint32_t scale, uint16_t tol) {
    return static_cast<double>(scale) * tol / 1024000.0;
}
