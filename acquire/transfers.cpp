// VIDEO and DATA.
#include "acquire/transfers.h"

#include <initializer_list>

#include "acquire/live.h"
#include "engine/cvi.h"
#include "help/help.h"
#include "link/blocks.h"
#include "link/com232.h"
#include "link/paraframe.h"
#include "params/vars.h"
#include "plot/bargraph.h"
#include "plot/datacurves.h"
#include "plot/video.h"

namespace {

enum { DATA_VIEW_RAW = 0, DATA_VIEW_NORM = 1 };

void SetAll(int panel, std::initializer_list<int> ctrls, int attribute, int value) {
    for (int ctrl : ctrls) SetCtrlAttribute(panel, ctrl, attribute, value);
}

// The buttons that must not start while a transfer runs.
void DimStarters(int dimmed) {
    SetAll(pHandle, {BTNRun, BTNVideo, BTNData, ButtonTeach}, ATTR_DIMMED, dimmed);
}

// Both modes read the sensor's RAM from here on, and no recording may start
// until STOP.
void PrepareTransfer() {
    SetCtrlAttribute(pPopUp, BTNStartRecord, ATTR_DIMMED, 1);
    SelectSource(SOURCE_RAM);
}

// The block replies are bare bytes: with the receive notification off they
// stay queued for the block reader, and no frame is taken meanwhile.
template <class Transfer>
int WithoutReceiveNotification(Transfer transfer) {
    RemoveReceiveNotification(com);
    const int complete = transfer();
    InstallReceiveNotification(com);
    return complete;
}

void EndTransfer() {
    InstallReceiveNotification(com);
    FlushQueues(FlushFirst::Output, com);
}

void DrawVideo() {
    for (int graph : {GRAPHVideoMaster, GRAPHVideoSlave})
        SetAxisScalingMode(pHandle, graph, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1.0, ccdvirtpixel);
    PlotVIDEOCurveA(adcbufA, thdArrayA, xArray128);
    PlotVIDEOCurveB(adcbufB, thdArrayB, xArray128);
    PlotVIDEOBarGraph();
}

}  // namespace

void PushVIDEO() {
    SetAll(pHandle, {STRIPRaw, GRAPHDataRaw, GRAPHDataNorm, SWITCHRawEval, SWITCHDataView}, ATTR_VISIBLE,
           0);
    SetCtrlVal(pHandle, TOGBTN_Trigg, 0);
    HidePanel(pTrigg);
    SetAll(pHandle, {GRAPHBarMaster, GRAPHBarSlave, GRAPHVideoMaster, GRAPHVideoSlave}, ATTR_VISIBLE, 1);
    DimStarters(1);
    stop_flag = 0;

    // A failed block only skips the drawing; the next pass starts over with
    // a live request. A live request without reply raises stop_flag.
    do {
        if (PushGETRAW()) {
            CopyPPtoRAWVars();
            const int complete = WithoutReceiveNotification([] {
                FlushQueues(FlushFirst::Input, com);
                return ReadBlockChain(kVideoChain);
            });
            if (complete) DrawVideo();
        }
        ProcessSystemEvents();
    } while (stop_flag == 0);

    // DATA stays dimmed until STOP, which a time-out needs as much as a click.
    SetAll(pHandle, {BTNRun, BTNVideo, ButtonTeach}, ATTR_DIMMED, 0);
    EndTransfer();
}

void PushDATA() {
    SetAll(pHandle, {STRIPRaw, GRAPHVideoMaster, GRAPHVideoSlave, SWITCHRawEval, GRAPHBarMaster, GRAPHBarSlave},
           ATTR_VISIBLE, 0);
    DimStarters(1);
    int view = DATA_VIEW_RAW;
    GetCtrlVal(pHandle, SWITCHDataView, &view);

    if (PushGETRAW()) {
        CopyPPtoRAWVars();
        // In the raw view the SLAVE chain runs even after the MASTER chain
        // stopped early; the drawing follows the last block.
        const int lastArrived = WithoutReceiveNotification([view] {
            FlushQueues(FlushFirst::Input, com);
            if (view == DATA_VIEW_NORM) return ReadBlockChain(DataChain(BUF_MVAL_AB));
            ReadBlockChain(DataChain(BUF_MVAL_A));
            FlushQueues(FlushFirst::Input, com);
            return ReadBlockChain(DataChain(BUF_MVAL_B));
        });
        if (lastArrived) {
            SetCtrlAttribute(pHandle, SWITCHDataView, ATTR_VISIBLE, 1);
            if (view == DATA_VIEW_NORM)
                PlotDATACurveNORM(mvalBUFAB, xArrayMVAL);
            else
                PlotDATACurveRAW(mvalBUFA, mvalBUFB, xArrayMVAL);
            PlotVIDEOBarGraph();
        }
    }
    DimStarters(0);
    EndTransfer();
}

int CC_BTNVideo(int, int control, int event, void*, int, int) {
    if (HelpOnRightClick(control, event) || event != EVENT_COMMIT) return 0;
    PrepareTransfer();
    PushVIDEO();
    return 0;
}

int CC_BTNData(int, int control, int event, void*, int, int) {
    if (HelpOnRightClick(control, event) || event != EVENT_COMMIT) return 0;
    PrepareTransfer();
    SetAll(pHandle, {GRAPHDataNorm, SWITCHDataView}, ATTR_VISIBLE, 1);
    DisplayPanel(pTrigg);
    PushDATA();
    return 0;
}
