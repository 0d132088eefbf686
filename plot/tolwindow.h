// The tolerance window on the two live bar graphs.
#pragma once

#include <cstdint>

// One window as drawn: lower and upper edge along the CCD line.
struct TolWindow {
    bool drawn;
    int32_t lower;
    int32_t upper;
};
struct TolWindows {
    TolWindow master;
    TolWindow slave;
};

// The windows for evaluation mode `mode` and positions a, b from the record's
// teach values, tolup/tollo, the live edge counts and ccdvirtpixel.
TolWindows ComputeTOLWindows(uint16_t mode, uint16_t a, uint16_t b);
// Draws them (adds rectangles; clearing the graphs is the caller's task).
void PlotTOLWindow(uint16_t mode, uint16_t a, uint16_t b);
