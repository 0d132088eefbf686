// Parameter frame exchange.
#include "link/paraframe.h"

#include "engine/cvi.h"
#include "help/help.h"
#include "link/com232.h"
#include "link/commands.h"
#include "panel/binding.h"
#include "panel/parafile.h"
#include "params/record.h"
#include "params/vars.h"
#include "plot/tolwindow.h"

void SelectSource(int source) {
    target = source;
    SetCtrlVal(pHandle, RBTRam, source == SOURCE_RAM ? 1 : 0);
    SetCtrlVal(pHandle, RBTEeprom, source == SOURCE_EEPROM ? 1 : 0);
    SetCtrlVal(pHandle, RBTFile, source == SOURCE_FILE ? 1 : 0);
}

namespace {

int SourceButton(int panel, int control, int event, int source) {
    if (event != EVENT_VAL_CHANGED) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    // Clicking the selected button again falls back to RAM.
    SelectSource(on ? source : SOURCE_RAM);
    return 0;
}

}  // namespace

void PushGET(unsigned short source, unsigned short page, bool refreshPanels) {
    if (source != SOURCE_FILE) {
        parameter.cmd = source == SOURCE_EEPROM ? CMD_READ_EEPROM : CMD_READ_RAM;
        parameter.page = page;
        CopyVarsToPP(page);  // the request carries the page's current words
        if (WriteRequest(parameter.cmd, page) == FRAME_LEN)
            SetCtrlVal(pHandle, TEXTStatus, "Waiting for parameter-frame ...");
        rx_flag = 0;
        // A page that arrives in the pass in which the time runs out is
        // still taken.
        if (AwaitReply(LastPass::ReplyCounts)) {
            GetRxBuf();
            CopyPPtoVars(page);
            CopyText(szStatus, "Parameter-frame received! - Line Ok!");
        } else {
            CopyText(szStatus, "Timeout-RS-232...");
        }
    }
    ShowStatus();
    if (page == 2 && refreshPanels) {
        SetPanelValues();
        unsigned short mode = parameter.evalmode;
        GetCtrlVal(pPara0, DropEvalMode, &mode);
        PlotTOLWindow(mode, parameter.teachA, parameter.teachB);
    }
}

int CC_BTNGet(int, int control, int event, void*, int, int) {
    if (HelpOnRightClick(control, event) || event != EVENT_COMMIT) return 0;
    const bool loaded = target != SOURCE_FILE || ReadParaFromFile();
    for (unsigned short page = 0; page < PAGE_COUNT; ++page) {
        PushGET(static_cast<unsigned short>(target), page, loaded);
        Delay(0.1);
    }
    return 0;
}

int CC_BTNSend(int, int control, int event, void*, int, int) {
    if (HelpOnRightClick(control, event) || event != EVENT_COMMIT) return 0;
    SetCtrlVal(pHandle, TEXTStatus, "Transmit...");
    if (target == SOURCE_FILE) {
        SaveParaFileDialog();
        return 0;
    }
    parameter.sync = SYNC_REQUEST;
    parameter.cmd = target == SOURCE_EEPROM ? CMD_WRITE_EEPROM : CMD_WRITE_RAM;
    GetPanelValues();
    static const char* const kSent[PAGE_COUNT] = {"Sending Para-Frame 0 ...",
                                                  "Sending Para-Frame 1 ...", "Line Ok!"};
    for (unsigned short page = 0; page < PAGE_COUNT; ++page) {
        parameter.page = page;
        CopyVarsToPP(page);
        rx_flag = 0;
        WriteRequest(parameter.cmd, page);  // no reply awaited
        ProcessSystemEvents();
        if (nBytesW == FRAME_LEN) SetCtrlVal(pHandle, TEXTStatus, kSent[page]);
        if (page < 2) Delay(0.1);
    }
    return 0;
}

int CC_RBTRam(int panel, int control, int event, void*, int, int) {
    return SourceButton(panel, control, event, SOURCE_RAM);
}
int CC_RBTEeprom(int panel, int control, int event, void*, int, int) {
    return SourceButton(panel, control, event, SOURCE_EEPROM);
}
int CC_RBTFile(int panel, int control, int event, void*, int, int) {
    return SourceButton(panel, control, event, SOURCE_FILE);
}
