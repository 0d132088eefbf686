// The live frame and the RUN loop.
#include "acquire/live.h"

#include <cstdint>

#include "engine/cvi.h"
#include "help/help.h"
#include "link/com232.h"
#include "link/commands.h"
#include "params/live.h"
#include "params/record.h"
#include "params/vars.h"
#include "plot/bargraph.h"
#include "plot/stripchart.h"

namespace {

constexpr const char* kLineTimeout = "Timeout RS232-Line!";

void FlushBoth() {
    FlushInQ(com);
    FlushOutQ(com);
}

// RUN shows the live graphs in the graph area and keeps what must not start
// meanwhile dimmed; VIDEO, DATA, TEACH and RESET stay usable.
void ShowPanelForRun() {
    for (int ctrl : {STRIPRaw, GRAPHBarMaster, GRAPHBarSlave, SWITCHRawEval})
        SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 1);
    for (int ctrl : {GRAPHVideoMaster, GRAPHDataNorm, GRAPHVideoSlave, GRAPHDataRaw, SWITCHDataView})
        SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 0);
    SetCtrlVal(pHandle, TOGBTN_Trigg, 0);
    HidePanel(pTrigg);
    SetCtrlAttribute(pPopUp, BTNStartRecord, ATTR_DIMMED, 1);
    SetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, 1);
}

}  // namespace

int PushGETRAW() {
    parameter.cmd = CMD_LIVE;
    parameter.page = 0;
    // The payload is whatever pp holds: the sensor ignores it.
    if (WriteRequest(CMD_LIVE, 0) == FRAME_LEN) SetCtrlVal(pHandle, TEXTStatus, "Line Ok!");
    graph_flag = 0;
    // Only a live frame ends the wait; one that comes in the pass in which
    // the time runs out is late.
    if (AwaitFlag(graph_flag, LastPass::ReplyIsLate)) return 1;
    SetCtrlVal(pHandle, TEXTStatus, kLineTimeout);
    stop_flag = 1;
    return 0;
}

int SendLiveRequest() {
    parameter.cmd = CMD_LIVE;
    parameter.page = 0;
    CopyVarsToPP(0);
    rx_flag = 0;
    return WriteRequest(CMD_LIVE, 0);
}

void CopyPPtoRAWVars() {
    // From the frame as it came: a nested exchange may have filled pp since.
    live = DecodeLiveFrame(LastLiveFrame());
    // The sensor's teach values go straight into the record, so a later
    // send carries what the sensor holds.
    parameter.teachA = live.teachA;
    parameter.teachB = live.teachB;
}

void PushRUN() {
    ShowPanelForRun();
    stop_flag = 0;
    graph_flag = 0;
    rx_flag = 0;
    double requestTime = Timer();
    PushGETRAW();  // a time-out there has raised stop_flag already

    // One request outstanding at a time: the next goes out only when a
    // frame has come back, and the time-out runs from the last request.
    for (;;) {
        if (graph_flag == 1) {
            CopyPPtoRAWVars();
            PlotVIDEOBarGraph();
            PlotRAWGraph();
            graph_flag = 0;
            FlushBoth();
        }
        if (rx_flag == 1 || !LiveRequestOpen()) {
            // Also after a frame that was no live frame (a nested TEACH or
            // RESET got its reply), or a live reply a nested exchange took
            // off the line: it released the line all the same.
            requestTime = Timer();
            SendLiveRequest();
        }
        if (Timer() - requestTime > 2 * TIMEOUT) {
            SetCtrlVal(pHandle, TEXTStatus, kLineTimeout);
            stop_flag = 1;
            break;
        }
        ProcessSystemEvents();
        if (stop_flag != 0) break;
    }

    rx_flag = 0;
    graph_flag = 0;
    FlushBoth();
    SetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, 0);
}

int CC_BTNRun(int, int control, int event, void*, int, int) {
    if (!HelpOnRightClick(control, event) && event == EVENT_COMMIT) PushRUN();
    return 0;
}

// Acts on the mouse press, so a STOP reaches a loop that is busy in its
// waits without needing the release.
int CC_BTNStop(int, int control, int event, void*, int, int) {
    if (HelpOnRightClick(control, event) || event != EVENT_LEFT_CLICK) return 0;
    stop_flag = 1;
    for (int ctrl : {BTNVideo, BTNData, BTNRun, ButtonTeach, ButtonReset})
        SetCtrlAttribute(pHandle, ctrl, ATTR_DIMMED, 0);
    SetCtrlAttribute(pPopUp, BTNStartRecord, ATTR_DIMMED, 0);
    Delay(0.2);
    return 0;
}
