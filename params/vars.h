// Program-wide state. Every module reads and writes these directly; they
// live for the whole run and get their start values in InitVars.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/cvi.h"

// The sensor pair's parameter set in the order it travels on the line: three
// header words, then page 0 (common), page 1 (MASTER), page 2 (SLAVE), 15
// frame words each. 32-bit fields take two frame words, low half first; the
// copy into frame words is explicit (CopyVarsToPP), so the C++ layout of this
// struct never matters.
struct ParameterRecord {
    uint16_t sync;
    uint16_t cmd;
    uint16_t page;
    // page 0
    uint16_t evalmode;
    uint16_t trgmode;
    uint16_t anamode;
    uint16_t hwmode;
    uint16_t para0w4;
    uint16_t para0w5;
    uint16_t toleranceLO;
    uint16_t toleranceUP;
    uint16_t trig1;
    uint16_t trig2;
    uint16_t trig3;
    uint16_t trig4;
    uint16_t res0;
    uint32_t setpoint;
    // page 1 (MASTER)
    uint16_t pvalA;
    uint16_t pmodeA;
    uint16_t videothdA;
    uint16_t teachA;
    uint16_t pixbegA;
    uint16_t pixendA;
    uint16_t gainA;
    uint16_t trgthdA;
    uint16_t res1A;
    uint16_t res2A;
    uint16_t res3A;
    uint32_t scaleA;
    uint32_t setpointA;
    // page 2 (SLAVE)
    uint16_t pvalB;
    uint16_t pmodeB;
    uint16_t videothdB;
    uint16_t teachB;
    uint16_t pixbegB;
    uint16_t pixendB;
    uint16_t gainB;
    uint16_t trgthdB;
    uint16_t res1B;
    uint16_t res2B;
    uint16_t res3B;
    uint32_t scaleB;
    uint32_t setpointB;
};

enum { PAGE_WORDS = 15, PAGE_COUNT = 3, TEXT_LEN = 72 };

extern ParameterRecord parameter;

// Hardware description (identification).
extern uint16_t ccdtype, ccdmaxpixel, ccdresolution, pcbtype, ccdvirtpixel, ccdsubpixel;
extern uint16_t ccdpixB, ccdpixE, softversion, hwtype;
// Two names a case apart: `adcmax` is the ADC full-scale word as the
// identification took it from the sensor's reply (any value), `ADCMAX` the
// full scale the program draws and computes thresholds with (256 or 1024).
extern uint16_t adcmax, ADCMAX;
extern uint16_t YAXISMAX;
extern int MAXPOINT;

// Derived display values (the live words themselves are in params/live.h).
extern uint16_t tVal, tolup, tollo, curposA, curposB;

// Buffers and plot arrays.
extern uint16_t adcbufA[256], adcbufB[256];
extern uint16_t mvalBUFA[256], mvalBUFB[256], mvalBUFAB[256];
extern double xArrayMVAL[256];
extern double xArray128[128];
extern uint16_t thdArrayA[256], thdArrayB[256];
extern uint16_t trgBUFA[256], trgBUFB[256];
extern uint16_t upTHD[256], loTHD[256], refTHD[256];
extern double arrayNORM[700];
extern uint16_t linArray[2048];

// Serial link.
extern int com;
extern char szWriteBuf[1024], szReadBuf[1024];
extern uint16_t pp[16];
extern int nBytesW, nBytesR;
extern int rx_flag, graph_flag, stop_flag;
extern int eventMask;
extern double TIMEOUT;
extern int target;

// Texts and paths (ISO 8859-1 bytes).
extern char szStatus[TEXT_LEN];
extern char szVersion[TEXT_LEN];
extern char szSoftVersion[TEXT_LEN];
extern char szSoftName[TEXT_LEN];
extern char szDate[24], szTime[12];
extern char proj_dir[MAX_PATHNAME_LEN];
extern char file_name[MAX_PATHNAME_LEN];
extern char recfile_name[MAX_PATHNAME_LEN];

// Panel handles.
extern int pHandle, pPara0, pPara1, pPara2, pCalib, pTrigg, pPopUp;

// Copies at most `len` bytes of `src` (fewer when a zero byte comes first)
// into `dst`, always leaving a terminated text that fits. Every text copy
// goes through here: the sensor's firmware text may come without a
// terminator.
template <std::size_t N>
void CopyText(char (&dst)[N], const char* src, std::size_t len = static_cast<std::size_t>(-1)) {
    std::size_t n = 0;
    while (n + 1 < N && n < len && src[n] != '\0') {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = '\0';
}

// Puts `text` into szStatus and shows it in the status line.
void ShowStatus(const char* text);
// Shows whatever szStatus holds.
void ShowStatus();
