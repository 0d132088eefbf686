// Start values.
#include "params/initvars.h"

#include "app/logo.h"
#include "engine/cvi.h"
#include "params/binding.h"
#include "params/vars.h"
#include "plot/tolwindow.h"
#include "recorder/rectime.h"

void DefaultParameters() {
    ParameterRecord& r = parameter;
    r.sync = 0x55;
    r.cmd = 1;
    r.page = 0;
    r.evalmode = 1;
    r.trgmode = 0;
    r.anamode = 0;
    r.hwmode = 1;
    r.para0w4 = 1;
    r.para0w5 = 1;
    r.toleranceLO = 100;
    r.toleranceUP = 100;
    r.trig1 = 10;
    r.trig2 = r.trig3 = r.trig4 = 0;
    r.res0 = 0;
    r.setpoint = 37000;
    r.pvalA = r.pvalB = 500;
    r.pmodeA = r.pmodeB = 1;
    r.videothdA = r.videothdB = 50;
    r.teachA = r.teachB = 512;
    r.pixbegA = r.pixbegB = 1;
    r.pixendA = r.pixendB = 4096;
    r.gainA = r.gainB = 0;
    r.trgthdA = r.trgthdB = 50;
    r.res1A = r.res2A = r.res3A = 0;
    r.res1B = r.res2B = r.res3B = 0;
    r.scaleA = r.scaleB = 1024;
    r.setpointA = r.setpointB = 37000;
}

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

    for (int i = 0; i < 256; ++i) {
        xArrayMVAL[i] = i;
        refTHD[i] = static_cast<uint16_t>(ccdmaxpixel / 2);
        trgBUFA[i] = 100;
        trgBUFB[i] = 100;
    }
    for (int i = 0; i < 128; ++i) {
        thdArrayA[i] = static_cast<uint16_t>(parameter.videothdA * ADCMAX / 100);
        thdArrayB[i] = static_cast<uint16_t>(parameter.videothdB * ADCMAX / 100);
    }
}
