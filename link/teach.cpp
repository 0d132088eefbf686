// Teach and max/min reset. Both usually run nested in the RUN loop: a live
// frame arriving during their wait is the live request's, never their
// reply; when they return after their own reply, rx_flag is still 1 so the
// loop sends a fresh live request.
#include "link/teach.h"

#include "engine/cvi.h"
#include "help/help.h"
#include "link/com232.h"
#include "link/commands.h"
#include "link/paraframe.h"
#include "panel/binding.h"
#include "params/record.h"
#include "params/vars.h"

namespace {
constexpr double kCursorHeight = 0.75;
constexpr double kPauseBetweenPages = 0.1;
}  // namespace

int CC_ButtonTeach(int, int control, int event, void*, int, int) {
    if (HelpOnRightClick(control, event) || event != EVENT_COMMIT) return 0;
    parameter.cmd = CMD_TEACH;
    GetPanelValues();
    CopyVarsToPP(0);  // the teach carries page 0 as the panels show it
    WriteRequest(CMD_TEACH, 0);
    SetCtrlVal(pHandle, TEXTStatus, "New setpoint value teached!");
    rx_flag = 0;
    // A reply in the pass in which the time runs out still counts.
    if (AwaitReply(LastPass::ReplyCounts)) {
        // The new teach values are in the sensor's RAM, whatever source
        // the GET / SEND buttons are set to.
        for (unsigned short page = 0; page < PAGE_COUNT; ++page) {
            PushGET(SOURCE_RAM, page);
            Delay(kPauseBetweenPages);
        }
    } else {
        SetCtrlVal(pHandle, TEXTStatus, "Timeout RS232-Line!");
        stop_flag = 1;
    }
    SetGraphCursor(pHandle, GRAPHBarMaster, 1, parameter.teachA, kCursorHeight);
    SetGraphCursor(pHandle, GRAPHBarSlave, 1, parameter.teachB, kCursorHeight);
    return 0;
}

void ResetMaxMin() {
    parameter.cmd = CMD_RESET_MAXMIN;
    rx_flag = 0;
    // The payload is whatever pp holds: the sensor ignores it.
    WriteRequest(CMD_RESET_MAXMIN, 0);
    SetCtrlVal(pHandle, TEXTStatus, "Reset Max/Min values...");
    // A reply that comes only in the pass in which the time runs out is late.
    const bool inTime = AwaitReply(LastPass::ReplyIsLate);
    CopyText(szStatus, inTime ? "Reset Max/Min OK!" : "Timeout-RS-232...");
    ShowStatus();
}

int CC_ButtonReset(int, int control, int event, void*, int, int) {
    if (!HelpOnRightClick(control, event) && event == EVENT_COMMIT) ResetMaxMin();
    return 0;
}
