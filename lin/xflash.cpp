// X-FLASH upload.
#include "lin/xflash.h"

#include <cstdio>

#include "engine/cvi.h"
#include "link/com232.h"
#include "link/commands.h"
#include "params/vars.h"

namespace {

constexpr int kTableWords = 2048;
constexpr int kFirstPage = 2, kLastPage = 9, kPageWords = 256, kFrameWords = 8;
constexpr int kFrames = (kLastPage - kFirstPage + 1) * kPageWords / kFrameWords;

// Frames of the upload in progress (the clear and the writes) that no
// reply answered in time.
int g_unconfirmed = 0;

int ProgressGraph(unsigned short which) { return which ? GRAPHBarMaster : GRAPHBarSlave; }

void Send(uint16_t cmd, uint16_t arg, const uint16_t* words) {
    rx_flag = 0;
    parameter.cmd = cmd;
    WriteFrame(cmd, arg, words, FlushFirst::Input, com);
}

// A frame in reply (a live frame is none); one that comes in the pass in
// which the time runs out still counts.
int Answered() { return AwaitReply(LastPass::ReplyCounts); }

int Upload(int control, int event, unsigned short which) {
    if (event != EVENT_COMMIT) return 0;
    if (ReadLinDataFromFile(linArray) == 0) {
        g_unconfirmed = ClearXFLASH() ? 0 : 1;
        const int graph = ProgressGraph(which);
        SetAxisScalingMode(pHandle, graph, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1.0, ccdvirtpixel);
        DeleteGraphPlot(pHandle, graph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
        for (unsigned short page = kFirstPage; page <= kLastPage; ++page)
            for (unsigned short offset = 0; offset < kPageWords; offset += kFrameWords)
                WriteXFLASH(offset, page, linArray, which);
        // Success needs every frame answered; say how many were not.
        if (g_unconfirmed > 0) {
            char text[TEXT_LEN];
            std::snprintf(text, sizeof text, "X-FLASH upload incomplete: %d of %d frames not confirmed!",
                          g_unconfirmed, kFrames + 1);
            ShowStatus(text);
        }
    }
    SetCtrlAttribute(pCalib, control, ATTR_VISIBLE, 0);
    return 0;
}

}  // namespace

int ReadLinDataFromFile(unsigned short* table) {
    if (FileSelectPopup(proj_dir, "XF-LINEAR.DAT", "*.dat", "K-VOR-QX-Series-Linearisation-File", VAL_LOAD_BUTTON,
                        0, 1, 1, 1, file_name) <= 0)
        return 1;
    int16_t values[kTableWords];
    const int result = FileToArray(file_name, values, kTableWords);
    if (result == 0)
        for (int i = 0; i < kTableWords; ++i) table[i] = static_cast<uint16_t>(values[i] + 32767);
    return result;
}

int ClearXFLASH() {
    parameter.page = 0;
    uint16_t words[PAGE_WORDS];
    for (uint16_t& w : words) w = 0x00AA;
    Send(CMD_XFLASH_CLEAR, 0, words);
    SetCtrlVal(pHandle, TEXTStatus, "clearing X-FLASH...");
    const int answered = Answered();
    CopyText(szStatus, answered ? "X-FLASH-cleared!" : "Timeout-RS-232...");
    ShowStatus();
    return answered;
}

int WriteXFLASH(unsigned short offset, unsigned short page, const unsigned short* table, unsigned short which) {
    const int base = (page - kFirstPage) * kPageWords + offset;
    // Bytes 24-35 are zero: nothing of an earlier frame travels along.
    uint16_t words[PAGE_WORDS] = {page};
    for (int k = 0; k < kFrameWords; ++k) words[1 + k] = table[base + k];
    Send(CMD_XFLASH_WRITE, offset, words);
    const int answered = Answered();
    if (!answered) {
        ++g_unconfirmed;
        CopyText(szStatus, "Timeout-RS-232...");
    } else {
        SetCtrlVal(pHandle, NUMAnaMax, base);
        if (pp[1] >= kFirstPage && pp[1] <= kLastPage) {
            char text[TEXT_LEN];
            std::snprintf(text, sizeof text, "X-FLASH-write OK: PAGE%d ...", pp[1]);
            CopyText(szStatus, text);
        }
    }
    const int graph = ProgressGraph(which);
    // The reply to the last frame ends the upload, when nothing went unanswered.
    if (pp[1] == kLastPage && pp[0] == kPageWords - kFrameWords && g_unconfirmed == 0) {
        PlotRectangle(pHandle, graph, 1.0, 0.0, ccdvirtpixel, 1.0, 0xA0A0A0, 0xA0A0A0);
        SetCtrlVal(pHandle, TEXTStatus, "X-FLASH Data successfully written!");
    } else {
        PlotRectangle(pHandle, graph, 1.0, 0.0, base, 1.0, 0x00FF00, 0x00FF00);
        ShowStatus();
    }
    return answered;
}

int CC_BTNWriteXFMA(int, int control, int event, void*, int, int) { return Upload(control, event, 1); }
int CC_BTNWriteXFSL(int, int control, int event, void*, int, int) { return Upload(control, event, 0); }
