// Start values.
#include "app/initvars.h"

#include "app/logo.h"
#include "engine/cvi.h"
#include "panel/binding.h"
#include "params/record.h"
#include "params/thresholds.h"
#include "params/vars.h"
#include "plot/tolwindow.h"
#include "recorder/rectime.h"

void InitVars() {
    DefaultParameters();
    com = 1;
    target = 1;
    ccdmaxpixel = 1024;
    ccdsubpixel = 2048;
    ccdvirtpixel = 4096;
    YAXISMAX = 2048;
    ADCMAX = 256;
    rx_flag = 0;
    graph_flag = 0;
    stop_flag = 1;

    ShowStatus("InitVars");
    SetCtrlVal(pHandle, TOGGBTN_Recorder, 0);

    char path[MAX_PATHNAME_LEN];
    CopyText(recfile_name, "KVorRecord.dat");
    if (MakePathname(proj_dir, recfile_name, path) >= 0) CopyText(recfile_name, path);
    ResetTextBox(pPopUp, TEXTRecFile, recfile_name);
    CalcRecTime();

    CopyText(szSoftVersion, "Version 3.05b");
    CopyText(szSoftName, "K-VOR-QX-MS-Scope");
    ShowLogo(2);

    GetPanelValues();

    for (int graph : {GRAPHBarMaster, GRAPHBarSlave}) {
        DeleteGraphPlot(pHandle, graph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
        SetGraphCursor(pHandle, graph, 1, 0.0, 1.0);
        SetCursorAttribute(pHandle, graph, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
    }
    PlotTOLWindow(parameter.evalmode, 0, 0);

    // Until the next SetThresholds the trigger lines hold 100 and the
    // reference line half the physical pixel count, whatever the record says.
    for (int i = 0; i < 256; ++i) {
        xArrayMVAL[i] = i;
        refTHD[i] = static_cast<uint16_t>(ccdmaxpixel / 2);
        trgBUFA[i] = 100;
        trgBUFB[i] = 100;
    }
    for (int i = 0; i < 128; ++i) {
        thdArrayA[i] = VideoThresholdLevel(parameter.videothdA, ADCMAX);
        thdArrayB[i] = VideoThresholdLevel(parameter.videothdB, ADCMAX);
    }
}
