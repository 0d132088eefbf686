// Block requests: one 36-byte request, 128 bare bytes back.
#include "link/blocks.h"

#include <algorithm>
#include <cstdint>

#include "engine/cvi.h"
#include "link/com232.h"
#include "link/commands.h"
#include "params/vars.h"

namespace {

constexpr int kBlockWords = BLOCK_REPLY_LEN / 2;

void PutWord(int offset, int w) {
    szWriteBuf[offset] = static_cast<char>((w >> 8) & 0xFF);
    szWriteBuf[offset + 1] = static_cast<char>(w & 0xFF);
}

const char* WaitingText(int offset) {
    switch (offset) {
        case 0: return "Waiting for Data[64] Block 0 ...";
        case 64: return "Waiting for Data[64] Block 1 ...";
        case 128: return "Waiting for Data[64] Block 2 ...";
        case 192: return "Waiting for Data[64] Block 3 ...";
        default: return "Waiting for Data[64] Block x ...";
    }
}

// Where the block lands, or nullptr when it is received but stored nowhere.
uint16_t* Destination(int offset, int selector) {
    uint16_t* buffer = nullptr;
    int start = offset;
    switch (selector) {
        case BUF_VIDEO_A: buffer = offset < 128 ? adcbufA : nullptr; break;
        case BUF_VIDEO_B: buffer = offset >= 128 ? adcbufB : nullptr; start = offset - 128; break;
        case BUF_MVAL_A: buffer = mvalBUFA; break;
        case BUF_MVAL_B: buffer = mvalBUFB; break;
        case BUF_MVAL_AB: buffer = mvalBUFAB; break;
        default: break;
    }
    // A block that would run past the buffer's 256 words is not stored.
    if (!buffer || start < 0 || start + kBlockWords > 256) return nullptr;
    return buffer + start;
}

}  // namespace

int ReadData64(int offset, int selector) {
    int result = 0;
    parameter.cmd = CMD_BLOCK;
    FlushQueues(FlushFirst::Output, com);

    std::fill(szWriteBuf, szWriteBuf + FRAME_LEN, 0);
    PutWord(0, parameter.sync);
    PutWord(2, parameter.cmd);
    PutWord(4, offset);
    PutWord(6, selector);
    nBytesW = ComWrt(com, szWriteBuf, FRAME_LEN);
    SetCtrlVal(pHandle, TEXTStatus, WaitingText(offset));

    // Taken only when the whole block is queued: no byte-by-byte reads.
    const double t0 = Timer();
    int queued = 0;
    for (;;) {
        ProcessSystemEvents();
        queued = GetInQLen(com);
        if (Timer() - t0 > TIMEOUT) {
            CopyText(szStatus, "Timeout-RS-232 while reading 64 data-words!");
            break;
        }
        if (queued >= BLOCK_REPLY_LEN) break;
    }
    nBytesR = queued > 0 ? ComRd(com, szReadBuf, std::min(queued, static_cast<int>(sizeof szReadBuf))) : 0;

    // Any other count is no block: its bytes are dropped with the read.
    if (nBytesR == BLOCK_REPLY_LEN) {
        CopyText(szStatus, "Data[64] block received!");
        if (uint16_t* dst = Destination(offset, selector))
            for (int i = 0; i < kBlockWords; ++i) dst[i] = ReadBufWord(2 * i);
        result = 1;
    }
    ShowStatus();
    return result;
}

int ReadBlockChain(const BlockChain& chain) {
    for (const Block& b : chain)
        if (!ReadData64(b.offset, b.selector)) return 0;
    return 1;
}
