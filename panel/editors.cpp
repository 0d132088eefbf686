// Editors that act at once.
#include "panel/editors.h"

#include <algorithm>
#include <cstdint>

#include "engine/cvi.h"
#include "help/help.h"
#include "panel/binding.h"
#include "params/limits.h"
#include "params/units.h"
#include "params/vars.h"

namespace {

// Both tolerances are limited against the record's MASTER teach position
// (not the editor's) and shown in millimetres at the MASTER scale, whatever
// the evaluation mode.
int ToleranceEditor(int panel, int control, int event, int mmIndicator) {
    if (HelpOnRightClick(control, event) || event != EVENT_VAL_CHANGED) return 0;
    int tolerance = 0;
    GetCtrlVal(panel, control, &tolerance);
    tolerance = ToleranceWithinLine(tolerance, parameter.teachA, ccdvirtpixel);
    SetCtrlVal(panel, control, tolerance);
    SetCtrlVal(pHandle, mmIndicator, ToleranceMM(parameter.scaleA, static_cast<uint16_t>(tolerance)));
    return 0;
}

// The threshold refills the first half of its trigger line; nothing is
// redrawn.
int TriggerEditor(int panel, int control, int event, uint16_t* line) {
    if (HelpOnRightClick(control, event) || event != EVENT_VAL_CHANGED) return 0;
    unsigned short threshold = 0;
    GetCtrlVal(panel, control, &threshold);
    std::fill(line, line + 128, threshold);
    return 0;
}

void LimitTeach(int panel, int control) {
    int teach = 0;
    GetCtrlVal(panel, control, &teach);
    SetCtrlVal(panel, control, TeachWithinLine(teach, ccdvirtpixel));
}

void TeachCursor(int panel, int teachEditor, int barGraph) {
    int teach = 0;
    GetCtrlVal(panel, teachEditor, &teach);
    SetGraphCursor(pHandle, barGraph, 2, teach, 1.0);
}

int PModeSelector(int panel, int control, int event, int pvalEditor) {
    if (event != EVENT_COMMIT) return 0;
    unsigned short pmode = 0;
    GetCtrlVal(panel, control, &pmode);
    ShowPValueLock(panel, pvalEditor, pmode);
    return 0;
}

}  // namespace

int CC_NUMToleranceUP(int panel, int control, int event, void*, int, int) {
    return ToleranceEditor(panel, control, event, NUMTolUpMM);
}
int CC_NUMToleranceLO(int panel, int control, int event, void*, int, int) {
    return ToleranceEditor(panel, control, event, NUMTolLoMM);
}
int CC_NUMTriggThresholdA(int panel, int control, int event, void*, int, int) {
    return TriggerEditor(panel, control, event, trgBUFA);
}
int CC_NUMTriggThresholdB(int panel, int control, int event, void*, int, int) {
    return TriggerEditor(panel, control, event, trgBUFB);
}

// The teach editors carry both the limit and the cursor, the limit first.
int CC_NUMTeachA(int panel, int control, int event, void* data, int d1, int d2) {
    if (event != EVENT_COMMIT) return 0;
    LimitTeach(panel, control);
    return CC_NEDITeachA(panel, control, event, data, d1, d2);
}
int CC_NUMTeachB(int panel, int control, int event, void* data, int d1, int d2) {
    if (event != EVENT_COMMIT) return 0;
    LimitTeach(panel, control);
    return CC_NEDITeachB(panel, control, event, data, d1, d2);
}
int CC_NEDITeachA(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) TeachCursor(pPara1, NUMTeachA, GRAPHBarMaster);
    return 0;
}
int CC_NEDITeachB(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) TeachCursor(pPara2, NUMTeachB, GRAPHBarSlave);
    return 0;
}

int CC_DROPpmodeA(int panel, int control, int event, void*, int, int) {
    return PModeSelector(panel, control, event, NUMPvalA);
}
int CC_DROPpmodeB(int panel, int control, int event, void*, int, int) {
    return PModeSelector(panel, control, event, NUMPvalB);
}
