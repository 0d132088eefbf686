#include "params/modes.h"

bool SetPointForMode(uint16_t evalmode, uint16_t teachA, uint16_t teachB, uint16_t cvp,
                     int32_t* setPoint) {
    switch (evalmode) {
        case EVAL_SLAVE_TEACH: *setPoint = teachB; return true;
        case EVAL_MASTER_TEACH: *setPoint = teachA; return true;
        case EVAL_COMBINED: *setPoint = 2 * int32_t{cvp} - (int32_t{teachA} + teachB); return true;
        case EVAL_DEVIATION:
        case EVAL_DEVIATION_TEACH: *setPoint = cvp; return true;
        default: return false;
    }
}

bool WideRangeMode(uint16_t evalmode) {
    return evalmode == EVAL_COMBINED || evalmode == EVAL_DEVIATION ||
           evalmode == EVAL_DEVIATION_TEACH;
}

TeachEditorDims TeachEditorsDimmed(uint16_t evalmode) {
    switch (evalmode) {
        case EVAL_SLAVE_TEACH: return {true, false};
        case EVAL_COMBINED:
        case EVAL_DEVIATION_TEACH: return {false, false};
        case EVAL_DEVIATION: return {true, true};
        default: return {false, true};
    }
}

bool BandFromEditors(uint16_t hwmode) { return hwmode == HW_BAND_EDITORS || hwmode == HW_BAND_EDITORS_2; }

bool ToleranceEditorsLocked(uint16_t hwmode) { return hwmode == HW_BAND_POTI || hwmode == HW_BAND_POTI_3; }

bool MaxMinShown(uint16_t anamode) { return anamode != ANA_OFF; }

bool PValueLocked(uint16_t pmode) { return pmode == 1; }
