// Serial line to the sensor pair.
#include "link/com232.h"

#include <algorithm>

#include "engine/cvi.h"
#include "help/help.h"
#include "link/commands.h"
#include "link/ident.h"
#include "link/paraframe.h"
#include "params/live.h"
#include "params/record.h"
#include "params/vars.h"

namespace {

void PutWord(char* buf, int offset, uint16_t w) {
    buf[offset] = static_cast<char>(w >> 8);
    buf[offset + 1] = static_cast<char>(w & 0xFF);
}

// The words of the last live frame taken in, as they came.
uint16_t g_liveWords[LIVE_WORDS] = {};
// A live request is out and nothing has answered it yet.
bool g_liveOpen = false;
// Exchanges other than the live one waiting for their own reply.
int g_replyWaits = 0;

// Quiet on the line for this long ends a reply. Bytes come in slices: a
// UART's FIFO a few byte times apart, a USB adapter's packets up to its
// latency timer apart (16 ms by default), a busy machine's reader later
// still. Only a flush with bytes still coming, or a burst behind a late
// block, waits this long; a request on a quiet line does not.
constexpr double kQuietGap = 0.02;
// The longest reply (a 128-byte block at 19200 baud) and a margin.
constexpr double kLongestReply = 0.08;

// The frame in szReadBuf, whole. pp is filled as always. A live frame is
// the live request's: an exchange waiting for its own reply never takes it
// (it is dropped, and not drawn later; the exchange releases the live
// request when its wait ends); any other frame is the waiting exchange's
// reply. With no other exchange waiting, any frame answers the live request.
// False for a live frame dropped that way.
bool TakeFrame() {
    const int isLive = GetRxBuf();
    if (isLive && g_replyWaits > 0) return false;
    if (isLive) std::copy(pp, pp + LIVE_WORDS, g_liveWords);
    if (g_replyWaits == 0) g_liveOpen = false;
    graph_flag = isLive;
    rx_flag = 1;
    return true;
}

// Lets a burst of bytes in whole: waits while bytes keep coming (a quiet gap
// ends it), at most `limit` seconds.
void LetBurstIn(int port, double limit) {
    const double end = Timer() + limit;
    for (int queued = GetInQLen(port); queued > 0 && Timer() < end;) {
        Delay(kQuietGap);
        const int now = GetInQLen(port);
        if (now == queued) break;
        queued = now;
    }
}

// Empties the input queue without leaving the tail of a reply behind: while
// bytes keep coming the reply is let in whole (bounded by the longest
// reply), then dropped. A dropped live frame still answers the live request.
void DrainInput(int port) {
    LetBurstIn(port, kLongestReply);
    if (GetInQLen(port) >= FRAME_LEN) {
        unsigned char head[4] = {};
        ComRd(port, reinterpret_cast<char*>(head), 4);
        if ((head[2] << 8 | head[3]) == CMD_LIVE) g_liveOpen = false;
    }
    FlushInQ(port);
}

// The 36 bytes in szReadBuf do not start with the reply sync. They may be
// the end of a block that came too late, with the frame that answers the
// request right behind it: the burst is let in whole and its last 36 bytes
// become the frame when they start with the sync. Bytes with nothing behind
// them stay the frame, whatever their sync (the echo check reports it).
bool TakeBurstTail(int port) {
    Delay(kQuietGap);  // the next slice of a burst may not be queued yet
    LetBurstIn(port, kLongestReply * 2);
    const int more = std::min(GetInQLen(port), static_cast<int>(sizeof szReadBuf) - FRAME_LEN);
    if (more <= 0) return true;
    if (ComRd(port, szReadBuf + FRAME_LEN, more) != more) return false;
    std::copy(szReadBuf + more, szReadBuf + more + FRAME_LEN, szReadBuf);
    return ReadBufWord(0) == SYNC_REPLY;
}

// A live frame was dropped because an exchange waits for its own reply. The
// sensor answers in order, so what comes behind that frame is the exchange's
// reply: bytes already coming are let in whole and taken, and only what
// follows them is drained; with nothing queued yet nothing is drained, and
// the reply's own notification brings it.
void TakeReplyBehind(int port) {
    if (GetInQLen(port) == 0) return;
    LetBurstIn(port, kLongestReply);
    if (GetInQLen(port) >= FRAME_LEN) {
        nBytesR = ComRd(port, szReadBuf, FRAME_LEN);
        if (nBytesR == FRAME_LEN && ReadBufWord(0) == SYNC_REPLY) TakeFrame();
    }
    DrainInput(port);
}

}  // namespace

void InstallReceiveNotification(int port) {
    InstallComCallback(port, eventMask, FRAME_LEN, NOTIFY_EVENT_CHAR, RX_Receive_Function,
                       nullptr);
}

void RemoveReceiveNotification(int port) {
    InstallComCallback(port, eventMask, FRAME_LEN, NOTIFY_EVENT_CHAR, nullptr, nullptr);
}

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
    if (nBytesR == FRAME_LEN && (ReadBufWord(0) == SYNC_REPLY || TakeBurstTail(com)) && !TakeFrame())
        TakeReplyBehind(com);
    else
        DrainInput(com);
}

const uint16_t* LastLiveFrame() { return g_liveWords; }

bool LiveRequestOpen() { return g_liveOpen; }

void FlushQueues(FlushFirst first, int port) {
    if (first == FlushFirst::Input) {
        DrainInput(port);
        FlushOutQ(port);
    } else {
        FlushOutQ(port);
        DrainInput(port);
    }
}

int WriteFrame(uint16_t cmd, uint16_t arg, const uint16_t* words, FlushFirst first, int port) {
    FlushQueues(first, port);
    FillTxBuf(cmd, arg, words);
    nBytesW = ComWrt(port, szWriteBuf, FRAME_LEN);
    if (cmd == CMD_LIVE) g_liveOpen = true;
    return nBytesW;
}

int WriteRequest(uint16_t cmd, uint16_t arg, FlushFirst first, int port) {
    return WriteFrame(cmd, arg, pp, first, port);
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

int AwaitReply(LastPass rule) {
    ++g_replyWaits;
    const int inTime = AwaitFlag(rx_flag, rule);
    --g_replyWaits;
    // A live request written before this exchange's request has had its
    // answer by now (the sensor answers in order, and that answer was taken
    // off the line), or it never will: a flush dropped it before it left, or
    // the sensor never saw it. Either way the live loop may ask again.
    g_liveOpen = false;
    return inTime;
}

// A reply in the pass in which the time ran out is late here.
int WaitRxFull() {
    if (AwaitReply(LastPass::ReplyIsLate)) return 1;
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
    if (HelpOnRightClick(control, event) || event != EVENT_COMMIT) return 0;
    stop_flag = 1;
    CloseCom(com);
    int value = com;
    GetCtrlVal(panel, control, &value);
    com = value;
    SetCtrlVal(pHandle, TEXTStatus, "Init COM-Port ...");
    InitRS232(com);
    return 0;
}
