// The threshold and tolerance lines the graphs draw, made from the record.
#pragma once

#include <cstdint>

// Fills thdArrayA/B, trgBUFA/B, upTHD, loTHD and refTHD from the record.
void SetThresholds();
// A video threshold in percent of `adcFull` as ADC counts (division last).
uint16_t VideoThresholdLevel(uint16_t percent, uint16_t adcFull);
