// The three mode selectors of parameter page 0 and what each mode means to
// the rest of the program. The values travel in the record (evalmode,
// hwmode, anamode) and on the line; a record from a sensor or a file can
// hold values outside 0..4 until the panel binding repairs them.
#pragma once

#include <cstdint>

// What the live value is measured against.
enum EvalMode : uint16_t {
    EVAL_SLAVE_TEACH = 0,      // the SLAVE teach value is the set point
    EVAL_MASTER_TEACH = 1,     // the MASTER teach value is the set point
    EVAL_COMBINED = 2,         // MASTER and SLAVE combined: 2 x cvp - (teachA + teachB)
    EVAL_DEVIATION = 3,        // deviation from the line length, no teach values
    EVAL_DEVIATION_TEACH = 4,  // deviation from the line length, teach values kept
};

// Where the tolerance band comes from.
enum HardwareMode : uint16_t {
    HW_BAND_EDITORS = 0,
    HW_BAND_POTI = 1,
    HW_BAND_EDITORS_2 = 2,
    HW_BAND_POTI_3 = 3,
    HW_BAND_POTI_4 = 4,
};

// Which held value the analogue output (and the strip chart's third trace)
// follows.
enum AnalogueMode : uint16_t {
    ANA_OFF = 0,  // no max/min: indicators and RESET hidden
    ANA_MAX = 1,
    ANA_MIN = 2,
    ANA_MAX_3 = 3,
    ANA_MIN_4 = 4,
};

// The set point by evaluation mode, in 32 bits; false (and *setPoint
// untouched) for a mode outside 0..4. Each caller keeps its own width and
// its own answer for an unknown mode.
bool SetPointForMode(uint16_t evalmode, uint16_t teachA, uint16_t teachB, uint16_t cvp,
                     int32_t* setPoint);
// Modes whose values run up to 2 x cvp (the strip chart's full range).
bool WideRangeMode(uint16_t evalmode);
// Teach editors that have no say in a mode. Modes outside 0..4 are treated
// like EVAL_MASTER_TEACH.
struct TeachEditorDims {
    bool a, b;
};
TeachEditorDims TeachEditorsDimmed(uint16_t evalmode);

// The band is the editors' tolerances in modes 0 and 2 and the potentiometer
// value in every other mode.
bool BandFromEditors(uint16_t hwmode);
// The tolerance editors are locked in modes 1 and 3 only: mode 4 takes the
// band from the potentiometer as well but leaves the editors free.
bool ToleranceEditorsLocked(uint16_t hwmode);
// The max/min indicators and the RESET button exist in every mode but ANA_OFF.
bool MaxMinShown(uint16_t anamode);
// A p-mode of 1 locks the p-value editor.
bool PValueLocked(uint16_t pmode);
