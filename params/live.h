// The live frame's sixteen words by meaning: the one place that says which
// word is what. The run loop fills `live` from each live frame it takes in;
// the live displays and the recorder read it.
#pragma once

#include <cstdint>

enum { LIVE_WORDS = 16 };

struct LiveFrame {
    uint16_t Aval;     // 0: line position seen by the MASTER, virtual pixels
    uint16_t Bval;     // 1: line position seen by the SLAVE
    uint16_t Mvalue;   // 2: evaluated value, virtual pixels
    int32_t umValue;   // 3 (low half) and 4 (high half): evaluated value in micrometres, signed
    uint16_t poti;     // 5: tolerance set on the sensor's potentiometer
    uint16_t edcntA;   // 6: edge count of the MASTER signal
    uint16_t edcntB;   // 7: edge count of the SLAVE signal
    uint16_t peakwA;   // 8: width of the MASTER light peak
    uint16_t peakwB;   // 9: width of the SLAVE light peak
    uint16_t anaMax;   // 10: maximum held by the sensor
    uint16_t anaMin;   // 11: minimum held by the sensor
    uint16_t teachA;   // 12: MASTER teach value as the sensor holds it
    uint16_t teachB;   // 13: SLAVE teach value as the sensor holds it
    uint16_t raw15;    // 14: stored only
    uint16_t instate;  // 15: stored only
};

LiveFrame DecodeLiveFrame(const uint16_t words[LIVE_WORDS]);

// The last live frame taken in; all zero at start.
extern LiveFrame live;
