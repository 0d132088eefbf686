// The live bar graphs of the main panel: indicators with the tolerance
// colouring, the two position bars with cursors, peak rectangles and the
// difference marker, ending with the tolerance window.
#pragma once

#include <cstdint>

// Set point tVal by evaluation mode (raising zero tolerances to 1 in the
// record in mode 2) and the band tolup / tollo by hardware mode. The bar
// graph and the strip chart both start from here.
void SetLiveSetPointAndBand();

// The limits around tVal, clamped to 0..65535.
struct LiveLimits {
    uint16_t upper;
    uint16_t lower;
};
LiveLimits LiveToleranceLimits();

void PlotVIDEOBarGraph();
