#include "params/live.h"

LiveFrame live = {};

LiveFrame DecodeLiveFrame(const uint16_t w[LIVE_WORDS]) {
    LiveFrame f;
    f.Aval = w[0];
    f.Bval = w[1];
    f.Mvalue = w[2];
    f.umValue = static_cast<int32_t>(static_cast<uint32_t>(w[4]) << 16 | w[3]);
    f.poti = w[5];
    f.edcntA = w[6];
    f.edcntB = w[7];
    f.peakwA = w[8];
    f.peakwB = w[9];
    f.anaMax = w[10];
    f.anaMin = w[11];
    f.teachA = w[12];
    f.teachB = w[13];
    f.raw15 = w[14];
    f.instate = w[15];
    return f;
}
