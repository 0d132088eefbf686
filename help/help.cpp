// Help texts and where their boxes open.
#include "help/help.h"

#include "engine/cvi.h"
#include "params/vars.h"

namespace {

// The box opens at the control's left (plus its width when `besideWidth`)
// plus dx, and at its top plus dy; for a control of a settings page, in
// main-panel coordinates.
struct HelpEntry {
    int control;
    int* panel;
    int box;
    bool besideWidth;
    int dx, dy;
    const char* text;
};

const HelpEntry kHelp[] = {
    {BTNRun, &pHandle, HelpText1, true, 10, -20,
     "RUN-BUTTON:\nStart the continuous serial RS232\ndata-transfer between PC and K-VOR\nsensor. 16 words are "
     "transferred!"},
    {BTNStop, &pHandle, HelpText1, true, 10, -20,
     "STOP-BUTTON:\nStops the serial RS232-data-\ntransfer between PC and\nK-VOR sensor."},
    {BTNVideo, &pHandle, HelpText1, true, 10, -20,
     "VIDEO-BUTTON:\nTransfer video-signal (pixel-info)\n= intensity profile at CCD-line,\nvia RS232 communication "
     "to PC."},
    {BTNData, &pHandle, HelpText1, true, 10, -20,
     "DATA-BUTTON:\nTransfer measurement-curve\nof MASTER and SLAVE via RS-232 to PC."},
    {BTNGet, &pHandle, HelpText1, true, 20, -25,
     "GET-BUTTON:\nGet parameter-frame of K-VOR-\nsensor from EEPROM-memory\nor RAM-memory ..."},
    {BTNSend, &pHandle, HelpText1, true, 20, -25,
     "SEND-BUTTON:\nSend parameter-frame to EEPROM-\nor RAM-memory of the K-VOR-sensor!"},
    {ButtonTeach, &pHandle, HelpText1, false, -200, -20,
     "TEACH-BUTTON:\nStart teach procedure at K-VOR-\nsensor. The actual pixel-position ==\nnew teach value!"},
    {ButtonReset, &pHandle, HelpText1, true, 10, -60,
     "RESET-BUTTON:\nReset the actual maxima und minima\nvalues at the K-VOR-hardware.\nNo software/hardware reset "
     "is done !"},
    {TOGGBTN_Recorder, &pHandle, HelpText1, true, 10, -50,
     "RECORDER-BUTTON:\nOpen a new Popup-Window for\nthe K-VOR data recorder..."},
    {DropDCom, &pHandle, HelpText2, true, 20, -120,
     "DROP-DOWN-CONNECT:\nSelect the port-number of the RS232 communication interface of the PC.\n\nThe "
     "port-number can be found under:\n<Start>/System-Settings/Hardware/..."},
    {GRAPHVideoMaster, &pHandle, HelpText2, false, 40, 30,
     "VIDEO-GRAPH-MASTER:\nVisualizes the actual video signal\nof the MASTER-sensor. The video\nsignal represents "
     "the analog-value\nof each pixel over the CCD-line.\nBecause of the limited baudrate via\nthe serial RS232 "
     "interface, the\nvideo graph is refreshed slowly !"},
    {GRAPHVideoSlave, &pHandle, HelpText2, false, 60, 30,
     "VIDEO-GRAPH-SLAVE:\nVisualizes the actual video signal\nof the SLAVE-sensor. The video\nsignal represents "
     "the analog-value\nof each pixel over the CCD-line.\nBecause of the limited baudrate via\nthe serial RS232 "
     "interface, the\nvideo graph is refreshed slowly !"},
    {GRAPHDataRaw, &pHandle, HelpText2, false, 40, 30,
     "DATA-GRAPH-SLAVE:\nVisualizes the actual raw-data- \nvalue-buffer of the sensor.\nThis buffer is 256-scans "
     "long.\n\ngreen curve := master-raw-data \nblue curve  := slave-raw-data."},
    {GRAPHDataNorm, &pHandle, HelpText2, false, 40, 30,
     "DATA-GRAPH-NORM:\nVisualizes the actual measurement-\nvalue-buffer of the sensor.\nThis buffer is 256-scans "
     "long,\n"},
    {NUMToleranceUP, &pPara0, HelpText1, true, 20, -10,
     "TOLERANCE-UP:\nNumerical input field to preset \nthe upper tolerance limit in [pixel] \nat the "
     "sensor-hardware."},
    {NUMToleranceLO, &pPara0, HelpText1, true, 20, -10,
     "TOLERANCE-LO:\nNumerical input field to preset \nthe lower tolerance limit in [pixel] \nat the "
     "sensor-hardware."},
    {NUMTriggThresholdA, &pPara1, HelpText1, true, 30, -10,
     "TRIGGER-THRESHOLD:\nWith this edit-field, the trigger-threshold\nfor the internal trigger function can be "
     "set.\nIt is displayed by the grey horiz. line!"},
    {NUMTriggThresholdB, &pPara2, HelpText1, true, 30, -10,
     "TRIGGER-THRESHOLD:\nWith this edit-field, the trigger-threshold\nfor the internal trigger function can be "
     "set.\nIt is displayed by the grey horiz. line!"},
};

int HideBox(int control, int event) {
    if (event == EVENT_LEFT_CLICK || event == EVENT_RIGHT_CLICK)
        SetCtrlAttribute(pHandle, control, ATTR_VISIBLE, 0);
    return 0;
}

}  // namespace

void ShowHelp(int control) {
    for (const HelpEntry& h : kHelp) {
        if (h.control != control) continue;
        int top = 0, left = 0, height = 0, width = 0;
        GetCtrlBoundingRect(*h.panel, control, &top, &left, &height, &width);
        // A settings page lies inside the main panel at its own place.
        int panelLeft = 0, panelTop = 0;
        if (*h.panel != pHandle) {
            GetPanelAttribute(*h.panel, ATTR_LEFT, &panelLeft);
            GetPanelAttribute(*h.panel, ATTR_TOP, &panelTop);
        }
        SetCtrlAttribute(pHandle, h.box, ATTR_LEFT, panelLeft + left + (h.besideWidth ? width : 0) + h.dx);
        SetCtrlAttribute(pHandle, h.box, ATTR_TOP, panelTop + top + h.dy);
        int visible = 0;
        GetCtrlAttribute(pHandle, h.box, ATTR_VISIBLE, &visible);
        SetCtrlAttribute(pHandle, h.box, ATTR_VISIBLE, visible ? 0 : 1);
        ResetTextBox(pHandle, h.box, h.text);
        return;
    }
}

bool HelpOnRightClick(int control, int event) {
    if (event != EVENT_RIGHT_CLICK) return false;
    ShowHelp(control);
    return true;
}

int HelpOnlyCallback(int, int control, int event, void*, int, int) {
    HelpOnRightClick(control, event);
    return 0;
}

int CC_HelpText1(int, int control, int event, void*, int, int) { return HideBox(control, event); }
int CC_HelpText2(int, int control, int event, void*, int, int) { return HideBox(control, event); }
