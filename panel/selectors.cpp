// Display mode selectors.
#include "panel/selectors.h"

#include <initializer_list>

#include "engine/cvi.h"
#include "panel/binding.h"
#include "params/modes.h"
#include "params/vars.h"

namespace {

struct Page {
    int toggle;
    int* panel;
};
const Page kPages[] = {
    {TOGGBTN_Para0, &pPara0}, {TOGGBTN_Para1, &pPara1}, {TOGGBTN_Para2, &pPara2}, {TOGGBTN_Calib, &pCalib}};

void SetVisible(std::initializer_list<int> ctrls, int visible) {
    for (int ctrl : ctrls) SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, visible);
}

unsigned short SelectedMode(int panel, int control) {
    unsigned short mode = 0;
    GetCtrlVal(panel, control, &mode);
    return mode;
}

}  // namespace

int PageToggle(int, int control, int event, void*, int, int) {
    if (event == EVENT_LEFT_CLICK) {
        for (const Page& p : kPages)
            if (p.toggle != control) SetCtrlVal(pHandle, p.toggle, 0);
    } else if (event == EVENT_COMMIT) {
        // The toggle's own value is left as the click made it: a page whose
        // toggle was clicked off still shows.
        for (const Page& p : kPages)
            if (p.toggle != control) HidePanel(*p.panel);
        for (const Page& p : kPages)
            if (p.toggle == control) DisplayPanel(*p.panel);
    }
    return 0;
}

int CC_TOGBTN_Trigg(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_VAL_CHANGED) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    if (on) {
        DisplayPanel(pTrigg);
        SetVisible({SWITCHDataView, GRAPHDataNorm}, 1);
        SetVisible({STRIPRaw, GRAPHVideoMaster, GRAPHVideoSlave, GRAPHBarMaster, GRAPHBarSlave}, 0);
    } else {
        HidePanel(pTrigg);
        SetVisible({GRAPHVideoMaster, GRAPHVideoSlave, GRAPHBarMaster, GRAPHBarSlave}, 1);
        SetVisible({SWITCHDataView, GRAPHDataNorm, GRAPHDataRaw}, 0);
    }
    return 0;
}

int CC_TOGBTN_Zoom(int, int, int, void*, int, int) { return 0; }

int CC_DropEvalMode(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const unsigned short mode = SelectedMode(panel, control);
    int evaluatedView = 0;
    GetCtrlVal(pHandle, SWITCHRawEval, &evaluatedView);
    ShowTeachLock(mode);
    // Modes 3 and 4 draw the difference marker on cursor 2 themselves.
    if (mode <= EVAL_COMBINED)
        for (int graph : {GRAPHBarMaster, GRAPHBarSlave})
            SetCursorAttribute(pHandle, graph, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
    const uint16_t cvp = ccdvirtpixel;
    YAXISMAX = static_cast<uint16_t>(WideRangeMode(mode) && evaluatedView == 1 ? 2 * cvp : cvp);
    return 0;
}

int CC_DROPHardwareMode(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) ShowToleranceLock(SelectedMode(panel, control));
    return 0;
}

int CC_DROPAnaMode(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) ShowMaxMin(SelectedMode(panel, control));
    return 0;
}
