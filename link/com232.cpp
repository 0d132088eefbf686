// Serial line to the sensor pair.
#include "link/com232.h"

#include "engine/cvi.h"
#include "link/commands.h"
#include "link/ident.h"
#include "link/paraframe.h"
#include "params/record.h"
#include "params/vars.h"

namespace {

void PutWord(char* buf, int offset, uint16_t w) {
    buf[offset] = static_cast<char>(w >> 8);
    buf[offset + 1] = static_cast<char>(w & 0xFF);
}

void InstallReceiveNotification(int port) {
    InstallComCallback(port, eventMask, FRAME_LEN, NOTIFY_EVENT_CHAR, RX_Receive_Function,
                       nullptr);
}

}  // namespace

uint16_t ReadBufWord(int offset) {
    const auto hi = static_cast<unsigned char>(szReadBuf[offset]);
    const auto lo = static_cast<unsigned char>(szReadBuf[offset + 1]);
    return static_cast<uint16_t>((hi << 8) | lo);
}

void FillTxBuf(unsigned short cmd, unsigned short arg, const unsigned short* words) {
    PutWord(szWriteBuf, 0, SYNC_REQUEST);
    PutWord(szWriteBuf, 2, cmd);
    PutWord(szWriteBuf, 4, arg);
    for (int i = 0; i < PAGE_WORDS; ++i) PutWord(szWriteBuf, 6 + 2 * i, words[i]);
}

int GetRxBuf() {
    if (ReadBufWord(2) == CMD_LIVE) {
        for (int i = 0; i < 16; ++i) pp[i] = ReadBufWord(4 + 2 * i);
        return 1;
    }
    for (int i = 0; i < PAGE_WORDS; ++i) pp[i] = ReadBufWord(6 + 2 * i);
    return 0;
}

void RX_Receive_Function(int /*port*/, int events, void* /*callbackData*/) {
    if (!(events & LWRS_RECEIVE)) return;
    nBytesR = ComRd(com, szReadBuf, FRAME_LEN);
    // The queue can have been emptied between the notification and the read
    // (a flush by a waiting exchange); a partial read is no reply, and
    // decoding it would mix old and new bytes.
    if (nBytesR == FRAME_LEN) {
        graph_flag = GetRxBuf();
        rx_flag = 1;
    }
    FlushInQ(com);
}

int WriteRequest(uint16_t cmd, uint16_t arg, FlushFirst first, int port) {
    if (first == FlushFirst::Input) {
        FlushInQ(port);
        FlushOutQ(port);
    } else {
        FlushOutQ(port);
        FlushInQ(port);
    }
    FillTxBuf(cmd, arg, pp);
    nBytesW = ComWrt(port, szWriteBuf, FRAME_LEN);
    return nBytesW;
}

int WriteRequest(uint16_t cmd, uint16_t arg, FlushFirst first) { return WriteRequest(cmd, arg, first, com); }

int AwaitFlag(const int& flag, LastPass rule) {
    const double t0 = Timer();
    for (;;) {
        ProcessSystemEvents();
        if (rule == LastPass::ReplyCounts && flag) return 1;
        if (Timer() - t0 > TIMEOUT) return 0;
        if (flag) return 1;
    }
}

// A reply in the pass in which the time ran out is late here.
int WaitRxFull() {
    if (AwaitFlag(rx_flag, LastPass::ReplyIsLate)) return 1;
    CopyText(szStatus, "Timeout-RS-232...");
    return 0;
}

int CheckComLine(int port) {
    parameter.cmd = CMD_ECHO;
    parameter.page = 0;
    CopyVarsToPP(0);
    rx_flag = 0;
    WriteRequest(CMD_ECHO, 0, FlushFirst::Output, port);
    int result = WaitRxFull();
    if (result) {
        pp[0] = ReadBufWord(0);
        if (pp[0] == SYNC_REPLY) {
            CopyText(szStatus, "Echo Check - Line Ok!");
        } else {
            CopyText(szStatus, "read error - not sync byte 0xAA!");
            result = 0;
        }
    }
    ShowStatus();
    return result;
}

const char* RS232ErrorText(int code) {
    switch (code) {
        case kRS232UnknownSysErr: return "Unknown system error";
        case kRS232InvalidPortNum: return "Invalid port number";
        case kRS232PortNotOpen: return "Port is not open";
        case kRS232UnknownIOErr: return "Unknown I/0 error";
        case kRS232NoPortFound: return "No serial port found";
        case kRS232CannotOpenPort: return "Cannot open port";
        case kRS232InvalidParameter: return "Invalid parameter";
        case kRS232Timeout: return "Timeout";
        default: return "RS-232 error!";
    }
}

void InitRS232(int port) {
    const int rc = OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096);
    if (rc < 0) {
        CopyText(szStatus, RS232ErrorText(rc));
    } else {
        SetComTime(port, TIMEOUT);
        FlushInQ(port);
        FlushOutQ(port);
        SetCTSMode(port, 0);
        InstallReceiveNotification(port);
        if (CheckComLine(port)) {
            Delay(0.1);
            if (!GetHARDWAREInfo()) CopyText(szStatus, "Error reading HARDWARE-info!");
            for (unsigned short page = 0; page < PAGE_COUNT; ++page) {
                Delay(0.1);
                PushGET(1, page);
            }
            Delay(0.1);
            if (GetVERSIONInfo() < FIRMWARE_REPLY_LEN)
                CopyText(szStatus, "Error reading firmware-info!");
        }
    }
    ShowStatus();
    SetCtrlAttribute(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED, 0);
    SetCtrlAttribute(pPara2, SLIDEVideoTHD_B, ATTR_DIMMED, 0);
}

int CC_DropDCom(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    stop_flag = 1;
    CloseCom(com);
    int value = com;
    GetCtrlVal(panel, control, &value);
    com = value;
    SetCtrlVal(pHandle, TEXTStatus, "Init COM-Port ...");
    InitRS232(com);
    return 0;
}
