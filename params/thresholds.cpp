#include "params/thresholds.h"

#include "params/modes.h"
#include "params/vars.h"

uint16_t VideoThresholdLevel(uint16_t percent, uint16_t adcFull) {
    return static_cast<uint16_t>(static_cast<uint32_t>(percent) * adcFull / 100);
}

void SetThresholds() {
    const ParameterRecord& r = parameter;
    const int32_t cvp = ccdvirtpixel;
    // Worked in 32 bits: the unrepaired panel values read by GetPanelValues
    // could overflow a 16-bit sum before the limits below apply. A mode
    // outside 0..4 (which the repairs leave nowhere) counts as the deviation
    // modes do.
    int32_t ref = cvp;
    SetPointForMode(r.evalmode, r.teachA, r.teachB, ccdvirtpixel, &ref);
    int32_t up = ref + r.toleranceUP;
    int32_t lo = ref - r.toleranceLO;
    if (lo < 0) lo = 0;
    if (up > 2 * cvp) up = 2 * cvp;

    const uint16_t thdA = VideoThresholdLevel(r.videothdA, ADCMAX);
    const uint16_t thdB = VideoThresholdLevel(r.videothdB, ADCMAX);
    for (int i = 0; i < 256; ++i) {
        thdArrayA[i] = thdA;
        thdArrayB[i] = thdB;
        trgBUFA[i] = r.trgthdA;
        trgBUFB[i] = r.trgthdB;
        upTHD[i] = static_cast<uint16_t>(up);
        loTHD[i] = static_cast<uint16_t>(lo);
        refTHD[i] = static_cast<uint16_t>(ref);
    }
}
