// 64-word blocks of the sensor pair's video and measurement buffers.
#pragma once

#include <array>

// Which buffer a block request reads.
enum BlockBuffer {
    BUF_VIDEO_A = 0,   // MASTER video, stored from offsets below 128
    BUF_VIDEO_B = 1,   // SLAVE video, stored from offsets 128 and up
    BUF_MVAL_A = 2,
    BUF_MVAL_B = 3,
    BUF_MVAL_AB = 4,   // evaluated measurement values
};

// Requests the block at word `offset` of buffer `selector` and waits up to
// TIMEOUT for its 128 bytes; 1 when exactly 128 came (stored where the
// buffer table says, which may be nowhere), 0 otherwise. The receive
// notification must be off.
int ReadData64(int offset, int selector);

struct Block {
    int offset;
    int selector;
};
// Four blocks that make one buffer's 256 words.
using BlockChain = std::array<Block, 4>;
// Both sensors' 128 video samples.
inline constexpr BlockChain kVideoChain{
    {{0, BUF_VIDEO_A}, {64, BUF_VIDEO_A}, {128, BUF_VIDEO_B}, {192, BUF_VIDEO_B}}};
constexpr BlockChain DataChain(int selector) {
    return {{{0, selector}, {64, selector}, {128, selector}, {192, selector}}};
}
// The blocks in order, stopping at the first that fails; 1 when all arrived.
int ReadBlockChain(const BlockChain& chain);
