// Moves the parameter record to and from the settings panels in bulk and
// derives what depends on it (control states, threshold lines).
#pragma once

#include <cstdint>

void GetPanelValues();
void SetPanelValues();
void SetThresholds();

// The repairs SetPanelValues applies to out-of-range fields, on the record.
void RepairParameters(uint16_t virtPixels);
// Scale factor of the calibration panel to the record's fixed point
// (1024 = 1.0), truncated toward zero and held inside 0 .. 2^32-1.
uint32_t ScaleToFixed(float scale);
