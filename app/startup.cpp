// Start-up, panels and shutdown.
#include "app/startup.h"

#include "app/callbacks.h"
#include "app/initvars.h"
#include "engine/cvi.h"
#include "link/com232.h"
#include "panel/binding.h"
#include "params/vars.h"

namespace {

constexpr const char* kResourceFile = "K-VOR-QX-MS-ScopeV305.uir";

struct PanelLoad {
    int* handle;
    int resourceId;
    int* parent;  // nullptr: a window of its own
};

const PanelLoad kPanels[] = {
    {&pHandle, MAINPANEL, nullptr}, {&pPara0, PARA0, &pHandle}, {&pPara1, PARA1, &pHandle},
    {&pPara2, PARA2, &pHandle},     {&pCalib, CALIB, &pHandle}, {&pTrigg, TRIGG, &pHandle},
    {&pPopUp, POPUP, nullptr},
};

}  // namespace

int LoadPanels() {
    RegisterProgramCallbacks();
    for (const PanelLoad& p : kPanels) {
        *p.handle = LoadPanel(p.parent ? *p.parent : 0, kResourceFile, p.resourceId);
        if (*p.handle < 0) return 0;
    }
    return 1;
}

void InitGUI() {
    for (int panel : {pPara0, pPara1, pPara2, pCalib}) SetPanelPos(panel, 98, 8);
    SetPanelPos(pTrigg, 70, 590);
    ShowPValueLock(pPara1, NUMPvalA, parameter.pmodeA);
    ShowPValueLock(pPara2, NUMPvalB, parameter.pmodeB);
    ShowToleranceLock(parameter.hwmode);
    ShowMaxMin(parameter.anamode);
    SetCtrlAttribute(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED, 0);
    SetCtrlAttribute(pPara2, SLIDEVideoTHD_B, ATTR_DIMMED, 0);
}

int StartProgram() {
    if (!LoadPanels()) return 0;
    GetUserFileDir(proj_dir);
    InitVars();
    InitRS232(com);
    InitGUI();
    DisplayPanel(pHandle);
    DisplayPanel(pPara0);
    SetActivePanel(pHandle);
    SetActiveCtrl(pHandle, BTNStop);
    return 1;
}

void ShutDownProgram() {
    CloseCom(com);
    for (int panel : {pPara0, pPara1, pPara2, pCalib, pTrigg, pPopUp, pHandle}) DiscardPanel(panel);
}

int ProgramMain() {
    if (!StartProgram()) return -1;
    InstallQuitSignalCallback(QuitRequestedFromOutside);
    RunUserInterface();
    InstallQuitSignalCallback(nullptr);
    ShutDownProgram();
    return 0;
}

int CC_PANEL(int, int event, void*, int, int) {
    if (event != EVENT_CLOSE) return 0;
    stop_flag = 1;
    CloseCom(com);
    QuitUserInterface(0);
    return 0;
}

int CC_POPUP(int, int event, void*, int, int) {
    if (event != EVENT_CLOSE) return 0;
    stop_flag = 1;
    HidePanel(pPopUp);
    SetCtrlVal(pHandle, TOGGBTN_Recorder, 0);
    return 0;
}

void QuitRequestedFromOutside() { CC_PANEL(pHandle, EVENT_CLOSE, nullptr, 0, 0); }
