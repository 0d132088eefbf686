// Teach and max/min reset. Both usually run nested in the RUN loop: any
// frame that arrives during their wait counts as their reply, and when they
// return after one, rx_flag is still 1 so the loop sends a fresh live
// request.
#include "link/teach.h"

#include "engine/cvi.h"
#include "link/com232.h"
#include "link/commands.h"
#include "link/paraframe.h"
#include "params/binding.h"
#include "params/vars.h"

namespace {
constexpr double kCursorHeight = 0.75;
constexpr double kPauseBetweenPages = 0.1;
// Pressed during RUN, the teach often finds the loop's live request still
// unanswered: its late reply counts as the teach's reply, and the teach's
// own reply would then land in the first page read and overwrite page 0
// with the teach answer. Let it arrive (or the time-out pass) first; the
// page read then flushes it.
void AwaitOwnReplyAfterLateLiveFrame() {
    rx_flag = 0;
    graph_flag = 0;
    const double t0 = Timer();
    while (rx_flag == 0 && Timer() - t0 <= TIMEOUT) ProcessSystemEvents();
    graph_flag = 0;
}

}  // namespace

int CC_ButtonTeach(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    parameter.cmd = CMD_TEACH;
    FlushInQ(com);
    FlushOutQ(com);
    GetPanelValues();
    CopyVarsToPP(0);
    FillTxBuf(CMD_TEACH, 0, pp);
    nBytesW = ComWrt(com, szWriteBuf, FRAME_LEN);
    SetCtrlVal(pHandle, TEXTStatus, "New setpoint value teached!");
    rx_flag = 0;
    // pp now holds page 0: a live frame decoded before the press must not
    // be drawn from it.
    graph_flag = 0;
    const double t0 = Timer();
    for (;;) {
        if (rx_flag == 1) {
            if (graph_flag == 1) AwaitOwnReplyAfterLateLiveFrame();
            // The new teach values are in the sensor's RAM, whatever source
            // the GET / SEND buttons are set to.
            for (unsigned short page = 0; page < PAGE_COUNT; ++page) {
                PushGET(SOURCE_RAM, page);
                Delay(kPauseBetweenPages);
            }
            break;
        }
        if (Timer() - t0 > TIMEOUT) {
            SetCtrlVal(pHandle, TEXTStatus, "Timeout RS232-Line!");
            stop_flag = 1;
            break;
        }
        ProcessSystemEvents();
    }
    SetGraphCursor(pHandle, GRAPHBarMaster, 1, parameter.teachA, kCursorHeight);
    SetGraphCursor(pHandle, GRAPHBarSlave, 1, parameter.teachB, kCursorHeight);
    return 0;
}

void ResetMaxMin() {
    parameter.cmd = CMD_RESET_MAXMIN;
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    // The payload is whatever pp holds: the sensor ignores it.
    FillTxBuf(CMD_RESET_MAXMIN, 0, pp);
    nBytesW = ComWrt(com, szWriteBuf, FRAME_LEN);
    SetCtrlVal(pHandle, TEXTStatus, "Reset Max/Min values...");
    const double t0 = Timer();
    double passed = 0.0;
    for (;;) {
        if (rx_flag == 1) break;
        ProcessSystemEvents();
        passed = Timer() - t0;
        if (passed >= TIMEOUT) break;
    }
    // A reply that came only in the pass in which the time ran out is late.
    const bool inTime = rx_flag == 1 && passed <= TIMEOUT;
    CopyText(szStatus, inTime ? "Reset Max/Min OK!" : "Timeout-RS-232...");
    ShowStatus();
}

int CC_ButtonReset(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) ResetMaxMin();
    return 0;
}
