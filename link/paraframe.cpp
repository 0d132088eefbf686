// Parameter frame exchange.
#include "link/paraframe.h"

#include "engine/cvi.h"
#include "link/com232.h"
#include "link/commands.h"
#include "params/binding.h"
#include "params/parafile.h"
#include "params/vars.h"
#include "plot/tolwindow.h"

namespace {

uint16_t Low(uint32_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
uint16_t High(uint32_t v) { return static_cast<uint16_t>(v >> 16); }
uint32_t Join(uint16_t low, uint16_t high) { return static_cast<uint32_t>(high) << 16 | low; }

// Pages 1 and 2 share one layout; these take the MASTER or SLAVE fields.
struct SensorPage {
    uint16_t &pval, &pmode, &videothd, &teach, &pixbeg, &pixend, &gain, &trgthd, &res1, &res2,
        &res3;
    uint32_t &scale, &setpoint;
};

SensorPage PageFields(unsigned short page) {
    ParameterRecord& r = parameter;
    if (page == 1)
        return {r.pvalA,  r.pmodeA, r.videothdA, r.teachA, r.pixbegA, r.pixendA,   r.gainA,
                r.trgthdA, r.res1A, r.res2A,     r.res3A,  r.scaleA,  r.setpointA};
    return {r.pvalB,  r.pmodeB, r.videothdB, r.teachB, r.pixbegB, r.pixendB,   r.gainB,
            r.trgthdB, r.res1B, r.res2B,     r.res3B,  r.scaleB,  r.setpointB};
}

void SelectSource(int source) {
    target = source;
    SetCtrlVal(pHandle, RBTRam, source == SOURCE_RAM ? 1 : 0);
    SetCtrlVal(pHandle, RBTEeprom, source == SOURCE_EEPROM ? 1 : 0);
    SetCtrlVal(pHandle, RBTFile, source == SOURCE_FILE ? 1 : 0);
}

int SourceButton(int panel, int control, int event, int source) {
    if (event != EVENT_VAL_CHANGED) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    // Clicking the selected button again falls back to RAM.
    SelectSource(on ? source : SOURCE_RAM);
    return 0;
}

}  // namespace

void CopyVarsToPP(unsigned short page) {
    const ParameterRecord& r = parameter;
    if (page == 0) {
        const uint16_t w[PAGE_WORDS] = {r.evalmode, r.trgmode,     r.anamode,     r.hwmode,
                                        r.para0w4,  r.para0w5,     r.toleranceLO, r.toleranceUP,
                                        r.trig1,    r.trig2,       r.trig3,       r.trig4,
                                        r.res0,     Low(r.setpoint), High(r.setpoint)};
        for (int i = 0; i < PAGE_WORDS; ++i) pp[i] = w[i];
    } else if (page == 1 || page == 2) {
        const SensorPage s = PageFields(page);
        const uint16_t w[PAGE_WORDS] = {s.pval,  s.pmode,  s.videothd,     s.teach,
                                        s.pixbeg, s.pixend, s.gain,         s.trgthd,
                                        s.res1,  s.res2,   s.res3,         Low(s.scale),
                                        High(s.scale), Low(s.setpoint), High(s.setpoint)};
        for (int i = 0; i < PAGE_WORDS; ++i) pp[i] = w[i];
    }
}

void CopyPPtoVars(unsigned short page) {
    ParameterRecord& r = parameter;
    if (page == 0) {
        uint16_t* f[13] = {&r.evalmode, &r.trgmode, &r.anamode,     &r.hwmode,      &r.para0w4,
                           &r.para0w5,  &r.toleranceLO, &r.toleranceUP, &r.trig1,   &r.trig2,
                           &r.trig3,    &r.trig4,   &r.res0};
        for (int i = 0; i < 13; ++i) *f[i] = pp[i];
        r.setpoint = Join(pp[13], pp[14]);
    } else if (page == 1 || page == 2) {
        const SensorPage s = PageFields(page);
        uint16_t* f[11] = {&s.pval,   &s.pmode, &s.videothd, &s.teach, &s.pixbeg, &s.pixend,
                           &s.gain,   &s.trgthd, &s.res1,    &s.res2,  &s.res3};
        for (int i = 0; i < 11; ++i) *f[i] = pp[i];
        s.scale = Join(pp[11], pp[12]);
        s.setpoint = Join(pp[13], pp[14]);
    }
}

void PushGET(unsigned short source, unsigned short page) {
    if (source != SOURCE_FILE) {
        parameter.cmd = source == SOURCE_EEPROM ? CMD_READ_EEPROM : CMD_READ_RAM;
        parameter.page = page;
        CopyVarsToPP(page);
        FlushInQ(com);
        FlushOutQ(com);
        FillTxBuf(parameter.cmd, page, pp);
        nBytesW = ComWrt(com, szWriteBuf, FRAME_LEN);
        if (nBytesW == FRAME_LEN) SetCtrlVal(pHandle, TEXTStatus, "Waiting for parameter-frame ...");
        rx_flag = 0;
        const double t0 = Timer();
        for (;;) {
            ProcessSystemEvents();
            if (rx_flag) {
                GetRxBuf();
                CopyPPtoVars(page);
                CopyText(szStatus, "Parameter-frame received! - Line Ok!");
                break;
            }
            if (Timer() - t0 > TIMEOUT) {
                CopyText(szStatus, "Timeout-RS-232...");
                break;
            }
        }
    }
    ShowStatus();
    if (page == 2) {
        SetPanelValues();
        unsigned short mode = parameter.evalmode;
        GetCtrlVal(pPara0, DropEvalMode, &mode);
        PlotTOLWindow(mode, parameter.teachA, parameter.teachB);
    }
}

int CC_BTNGet(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (target == SOURCE_FILE) ReadParaFromFile();
    for (unsigned short page = 0; page < PAGE_COUNT; ++page) {
        PushGET(static_cast<unsigned short>(target), page);
        Delay(0.1);
    }
    return 0;
}

int CC_BTNSend(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
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
        FlushInQ(com);
        FlushOutQ(com);
        rx_flag = 0;
        FillTxBuf(parameter.cmd, page, pp);
        nBytesW = ComWrt(com, szWriteBuf, FRAME_LEN);
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
