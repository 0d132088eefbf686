// Unit conversions of the record's fixed-point scales (micrometres per
// virtual pixel times 1024).
#pragma once

#include <cstdint>

// The scale as the calibration panel shows it, in single precision.
float DisplayScale(uint32_t fixed);
// The calibration panel's scale back to the record's fixed point, truncated
// toward zero and held inside 0 .. 2^32-1.
uint32_t ScaleToFixed(float scale);

// A tolerance in virtual pixels as millimetres, at two precisions on
// purpose. The panel binding goes through the scale the calibration panel
// shows (single precision, then / 1000), so the millimetres agree with the
// scale the user reads there; the live display and the editors compute from
// the record's fixed-point scale in double (scale x tol / 1024000). They can
// differ in the last digits, and above 2^24 where a float no longer holds
// every scale.
double ToleranceMMShownScale(uint32_t scale, uint16_t tol);
double ToleranceMM(uint32_t scale, uint16_t tol);
