// The data recorder.
#include "recorder/recorder.h"

#include <cstdint>
#include <initializer_list>
#include <string>

#include "acquire/live.h"
#include "engine/cvi.h"
#include "help/help.h"
#include "link/com232.h"
#include "link/commands.h"
#include "params/live.h"
#include "params/record.h"
#include "params/vars.h"
#include "plot/bargraph.h"
#include "plot/stripchart.h"
#include "recorder/rectime.h"

namespace {

constexpr unsigned short kServiceCode = 6271;
constexpr const char* kWriteFailed = "Error writing recorder-file! - recording stopped";
// Records reach the system as they are taken; the disk, at most this often.
constexpr double kSyncInterval = 1.0;

void SetAll(int panel, std::initializer_list<int> ctrls, int attribute, int value) {
    for (int ctrl : ctrls) SetCtrlAttribute(panel, ctrl, attribute, value);
}

// Whole seconds, modulo 65536.
uint16_t WholeSeconds(double t) { return static_cast<uint16_t>(static_cast<uint32_t>(t)); }

void ShowRecorderState(bool active) {
    ResetTextBox(pPopUp, TEXTRecState, active ? "DATA-RECORDER active ..." : "DATA-RECORDER");
    SetCtrlAttribute(pPopUp, TEXTRecState, ATTR_TEXT_BGCOLOR, active ? 0xFF0000 : 0xE0E0E0);
    SetCtrlAttribute(pPopUp, TEXTRecState, ATTR_TEXT_COLOR, active ? 0xFFFFFF : 0x000000);
}

bool AppendText(const char* text) { return ArrayToFileAppend(recfile_name, text, StringLength(text)) == 0; }

bool AppendNumber(uint32_t value) { return ArrayToFileAppend(recfile_name, &value, 1, 0) == 0; }

// Replaces the file with the two header lines: date and time, interval, set point.
bool WriteHeader(uint16_t interval, uint32_t setpoint) {
    CVI_DeleteFile(recfile_name);
    const std::string stamp = std::string(DateStr()) + " " + TimeStr();
    return AppendText(stamp.c_str()) && AppendText("  K-VOR-RECORDER-FILE: Time-Interval[s]: ") &&
           AppendNumber(interval) && AppendText("SETPOINT-VALUE [\xB5m]: ") && AppendNumber(setpoint);
}

// One line of the values as the frame brought them, tab-separated.
bool WriteRecord(const LiveFrame& f) {
    const int32_t row[6] = {f.Aval, f.Bval, f.Mvalue, f.umValue, f.edcntA, f.edcntB};
    return ArrayToFileAppend(recfile_name, row, 6, 0) == 0;
}

void FlushBoth() { FlushQueues(FlushFirst::Input, com); }

// Polls live frames as RUN does until `records` records are written, a STOP
// or the pop-up's close raises stop_flag, a reply does not come within
// TIMEOUT, or the file cannot be written.
void RecordLoop(uint16_t records, uint16_t interval) {
    if (SendLiveRequest() == FRAME_LEN) SetCtrlVal(pHandle, TEXTStatus, "Line Ok!");
    double requestTime = Timer();
    uint16_t mark = WholeSeconds(Timer());
    stop_flag = 0;
    graph_flag = 0;
    unsigned count = 0;
    double lastSync = Timer();
    for (;;) {
        const uint16_t elapsed = static_cast<uint16_t>(WholeSeconds(Timer()) - mark);
        if (graph_flag == 1) {
            CopyPPtoRAWVars();
            // The bar graph may clamp what it draws into live; the record
            // keeps the frame's values.
            const LiveFrame decoded = live;
            PlotVIDEOBarGraph();
            PlotRAWGraph();
            if (elapsed >= interval) {
                ++count;
                if (!WriteRecord(decoded)) {
                    ShowStatus(kWriteFailed);
                    break;
                }
                SetCtrlVal(pPopUp, NUMRecCount, count);
                mark = WholeSeconds(Timer());
                if (Timer() - lastSync >= kSyncInterval) {
                    SyncFile(recfile_name);
                    lastSync = Timer();
                }
            }
            graph_flag = 0;
            FlushBoth();
        }
        // As in RUN, a live reply a nested exchange took off the line also
        // releases the next request.
        if (rx_flag == 1 || !LiveRequestOpen()) {
            SendLiveRequest();
            requestTime = Timer();
        }
        if (Timer() - requestTime > TIMEOUT) {
            SetCtrlVal(pHandle, TEXTStatus, "Timeout RS232-Line!");
            break;
        }
        if (count >= records) stop_flag = 1;
        ProcessSystemEvents();
        if (stop_flag != 0) break;
    }
    SyncFile(recfile_name);
}

}  // namespace

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

int CC_NEDITRecSamples(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) CalcRecTime();
    return 0;
}

int CC_NEDITRecTime(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    CalcRecTime();
    unsigned short interval = 0;
    GetCtrlVal(panel, control, &interval);
    if (interval == kServiceCode) SetAll(pCalib, {BTNWriteXFMA, BTNWriteXFSL}, ATTR_VISIBLE, 1);
    return 0;
}

// The file chosen is kept as it is until a recording starts and replaces it.
int CC_RecordFileNameBtn(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    char path[MAX_PATHNAME_LEN] = "";
    if (FileSelectPopup(proj_dir, "KVORrecord.dat", "*.dat", "K-VOR-Series Recorder-File:", VAL_OK_BUTTON, 0, 1, 1,
                        1, path) > 0) {
        CopyText(recfile_name, path);
        ResetTextBox(pPopUp, TEXTRecFile, recfile_name);
    }
    return 0;
}

int CC_BTNStartRecord(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    SetAll(pHandle, {STRIPRaw, GRAPHBarMaster, GRAPHBarSlave}, ATTR_VISIBLE, 1);
    SetAll(pHandle, {GRAPHVideoMaster, GRAPHVideoSlave}, ATTR_VISIBLE, 0);
    SetAll(pHandle, {BTNRun, BTNVideo, ButtonTeach}, ATTR_DIMMED, 1);
    SetCtrlAttribute(pPopUp, BTNStartRecord, ATTR_DIMMED, 1);
    ShowRecorderState(true);
    unsigned short records = 0, interval = 0;
    GetCtrlVal(pPopUp, NEDITRecSamples, &records);
    GetCtrlVal(pPopUp, NEDITRecTime, &interval);
    ResetTextBox(pPopUp, TEXTRecFile, recfile_name);

    if (WriteHeader(interval, parameter.setpointA))
        RecordLoop(records, interval);
    else
        ShowStatus(kWriteFailed);

    rx_flag = 0;
    graph_flag = 0;
    FlushBoth();
    // VIDEO and TEACH wait for a STOP.
    SetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, 0);
    SetCtrlAttribute(pPopUp, BTNStartRecord, ATTR_DIMMED, 0);
    ShowRecorderState(false);
    return 0;
}

int CC_BTNStopRecord(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    stop_flag = 1;
    SetAll(pHandle, {BTNVideo, BTNRun, ButtonTeach, ButtonReset}, ATTR_DIMMED, 0);
    SetCtrlAttribute(pPopUp, BTNStartRecord, ATTR_DIMMED, 0);
    Delay(0.1);
    return 0;
}
