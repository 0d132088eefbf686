// The data recorder.
#include "recorder/recorder.h"

#include "engine/cvi.h"
#include "help/help.h"
#include "params/vars.h"

int CC_TOGGBTN_Recorder(int panel, int control, int event, void*, int, int) {
    if (HelpOnRightClick(control, event) || event != EVENT_VAL_CHANGED) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    if (on)
        DisplayPanel(pPopUp);
    else
        HidePanel(pPopUp);
    return 0;
}
