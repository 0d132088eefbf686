// Frame layout, decode, page images and the identification tables: the bytes
// on the line written out by hand, not by the program's own encoder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/com232.h"
#include "link/ident.h"
#include "link/paraframe.h"
#include "params/record.h"
#include "app/initvars.h"
#include "params/record.h"
#include "params/vars.h"

namespace {

using Bytes = std::vector<unsigned char>;

void PutReply(const Bytes& bytes) {
    std::memset(szReadBuf, 0, sizeof szReadBuf);
    std::memcpy(szReadBuf, bytes.data(), bytes.size());
}

TEST(LinkFrame, FillTxBufWritesBigEndianWordsAndNothingBeyondTheFrame) {
    std::memset(szWriteBuf, 0x5A, sizeof szWriteBuf);
    unsigned short words[16];
    for (int i = 0; i < 16; ++i) words[i] = static_cast<unsigned short>(0x0100 * (i + 1) + i);
    FillTxBuf(0x1234, 0xABCD, words);
    Bytes want = {0x00, 0x55, 0x12, 0x34, 0xAB, 0xCD};
    for (int i = 0; i < 15; ++i) want.insert(want.end(), {static_cast<unsigned char>(i + 1), static_cast<unsigned char>(i)});
    want.insert(want.end(), {0x5A, 0x5A});  // word 15 never travels; the buffer past the frame is untouched
    const auto* b = reinterpret_cast<const unsigned char*>(szWriteBuf);
    EXPECT_EQ(Bytes(b, b + 38), want);
}

// A live reply (command 8) fills 16 words from byte 4; any other fills 15
// from byte 6, skipping the argument, and keeps word 15.
TEST(LinkFrame, RepliesFillTheWordsTheirCommandCarries) {
    Bytes r(36);
    r[1] = 0xAA;
    for (int i = 0; i < 32; ++i) r[4 + i] = static_cast<unsigned char>(i);
    auto word = [&r](int at) { return (r[at] << 8) | r[at + 1]; };
    for (unsigned char cmd : {8, 2}) {
        SCOPED_TRACE(int{cmd});
        r[3] = cmd;
        PutReply(r);
        std::memset(pp, 0, sizeof pp);
        pp[15] = 4242;
        EXPECT_EQ(GetRxBuf(), cmd == 8 ? 1 : 0);
        const int first = cmd == 8 ? 4 : 6;
        for (int i = 0; i < 15; ++i) EXPECT_EQ(pp[i], word(first + 2 * i)) << i;
        EXPECT_EQ(pp[15], cmd == 8 ? word(34) : 4242);
    }
}

TEST(LinkFrame, PageImagesPutLowHalfOfLongFieldsFirstAndRoundTrip) {
    DefaultParameters();
    parameter.setpoint = 70000;
    parameter.scaleA = 0x12345678;
    CopyVarsToPP(0);
    EXPECT_EQ((std::vector<uint16_t>(pp, pp + 15)),
              (std::vector<uint16_t>{1, 0, 0, 1, 1, 1, 100, 100, 10, 0, 0, 0, 0, 4464, 1}));
    CopyVarsToPP(1);
    EXPECT_EQ(pp[11], 0x5678);
    EXPECT_EQ(pp[12], 0x1234);
    CopyVarsToPP(2);
    EXPECT_EQ((std::vector<uint16_t>(pp, pp + 15)),
              (std::vector<uint16_t>{500, 1, 50, 512, 1, 4096, 0, 50, 0, 0, 0, 1024, 0, 37000, 0}));

    // Every word lands in its own field: distinct values through both copies.
    for (unsigned short page = 0; page < 3; ++page) {
        for (int i = 0; i < 15; ++i) pp[i] = static_cast<uint16_t>(1000 * (page + 1) + i);
        CopyPPtoVars(page);
    }
    EXPECT_EQ(parameter.evalmode, 1000);
    EXPECT_EQ(parameter.res0, 1012);
    EXPECT_EQ(parameter.setpoint, (1014u << 16) | 1013u);
    EXPECT_EQ(parameter.pvalA, 2000);
    EXPECT_EQ(parameter.scaleA, (2012u << 16) | 2011u);
    EXPECT_EQ(parameter.teachB, 3003);
    EXPECT_EQ(parameter.setpointB, (3014u << 16) | 3013u);
    for (unsigned short page = 0; page < 3; ++page) {
        CopyVarsToPP(page);
        for (int i = 0; i < 15; ++i) EXPECT_EQ(pp[i], 1000 * (page + 1) + i);
    }
    // An unknown page number changes nothing either way.
    for (int i = 0; i < 16; ++i) pp[i] = 7;
    const ParameterRecord before = parameter;
    CopyVarsToPP(3);
    CopyPPtoVars(3);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(pp[i], 7);
    EXPECT_EQ(std::memcmp(&before, &parameter, sizeof parameter), 0);
}

TEST(LinkIdent, FirmwareTextOfBoardZeroTakesEachWordsLowByte) {
    unsigned char reply[72] = {};
    const std::string text = "FW V3.05";
    for (std::size_t i = 0; i < text.size(); ++i) {
        reply[2 * i] = 0x7E;  // high bytes are not part of the text
        reply[2 * i + 1] = static_cast<unsigned char>(text[i]);
    }
    char out[72];
    DecodeFirmwareText(reply, 72, 0, out, sizeof out);
    EXPECT_EQ(std::string(out), text);
    // 36 characters without a zero word: all of them.
    for (int i = 0; i < 36; ++i) reply[2 * i + 1] = static_cast<unsigned char>('A' + i % 26);
    DecodeFirmwareText(reply, 72, 0, out, sizeof out);
    EXPECT_EQ(std::strlen(out), 36u);
}

TEST(LinkIdent, FirmwareTextOfOtherBoardsIsBoundedToTheTarget) {
    unsigned char reply[72];
    std::memset(reply, 'x', sizeof reply);  // no terminator anywhere
    char out[80];
    std::memset(out, '#', sizeof out);
    DecodeFirmwareText(reply, 72, 2, out, 72);
    EXPECT_EQ(std::strlen(out), 71u);  // what fits, terminated
    EXPECT_EQ(out[72], '#');           // nothing written beyond the target
    reply[10] = 0;
    DecodeFirmwareText(reply, 72, 2, out, 72);
    EXPECT_EQ(std::string(out), std::string(10, 'x'));
}

}  // namespace
