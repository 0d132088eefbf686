// Frame layout, decode, page images and the identification tables: the bytes
// on the line written out by hand, not by the program's own encoder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/com232.h"
#include "link/ident.h"
#include "link/paraframe.h"
#include "params/initvars.h"
#include "params/vars.h"

namespace {

std::vector<unsigned char> WriteBuf(int n) {
    return {reinterpret_cast<unsigned char*>(szWriteBuf), reinterpret_cast<unsigned char*>(szWriteBuf) + n};
}

void PutReply(const std::vector<unsigned char>& bytes) {
    std::memset(szReadBuf, 0, sizeof szReadBuf);
    std::memcpy(szReadBuf, bytes.data(), bytes.size());
}

TEST(LinkFrame, FillTxBufWritesBigEndianWordsAndNothingBeyondTheFrame) {
    std::memset(szWriteBuf, 0x5A, sizeof szWriteBuf);
    unsigned short words[16];
    for (int i = 0; i < 16; ++i) words[i] = static_cast<unsigned short>(0x0100 * (i + 1) + i);
    FillTxBuf(0x1234, 0xABCD, words);
    const auto b = WriteBuf(38);
    EXPECT_EQ(b[0], 0x00);
    EXPECT_EQ(b[1], 0x55);
    EXPECT_EQ(b[2], 0x12);
    EXPECT_EQ(b[3], 0x34);
    EXPECT_EQ(b[4], 0xAB);
    EXPECT_EQ(b[5], 0xCD);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(b[6 + 2 * i], i + 1) << "word " << i;
        EXPECT_EQ(b[7 + 2 * i], i) << "word " << i;
    }
    // Word 15 never travels; the buffer past the frame is untouched.
    EXPECT_EQ(b[36], 0x5A);
    EXPECT_EQ(b[37], 0x5A);
}

TEST(LinkFrame, LiveReplyFillsSixteenWordsFromByteFour) {
    std::vector<unsigned char> r(36);
    r[1] = 0xAA;
    r[3] = 8;
    for (int i = 0; i < 16; ++i) {
        r[4 + 2 * i] = static_cast<unsigned char>(0xF0 + i);
        r[5 + 2 * i] = static_cast<unsigned char>(i);
    }
    PutReply(r);
    std::memset(pp, 0, sizeof pp);
    EXPECT_EQ(GetRxBuf(), 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(pp[i], ((0xF0 + i) << 8) | i) << i;
}

TEST(LinkFrame, OtherRepliesFillFifteenWordsFromByteSixAndKeepWordFifteen) {
    std::vector<unsigned char> r(36);
    r[1] = 0xAA;
    r[3] = 2;
    r[4] = 0x77;  // argument word: skipped
    r[5] = 0x77;
    for (int i = 0; i < 15; ++i) r[7 + 2 * i] = static_cast<unsigned char>(i + 1);
    PutReply(r);
    pp[15] = 4242;
    EXPECT_EQ(GetRxBuf(), 0);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(pp[i], i + 1);
    EXPECT_EQ(pp[15], 4242);
}

TEST(LinkFrame, PageImagesPutLowHalfOfLongFieldsFirstAndRoundTrip) {
    DefaultParameters();
    parameter.setpoint = 70000;
    parameter.scaleA = 0x12345678;
    parameter.setpointB = 37000;
    CopyVarsToPP(0);
    const uint16_t page0[15] = {1, 0, 0, 1, 1, 1, 100, 100, 10, 0, 0, 0, 0, 4464, 1};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(pp[i], page0[i]) << "page 0 word " << i;
    CopyVarsToPP(1);
    EXPECT_EQ(pp[11], 0x5678);
    EXPECT_EQ(pp[12], 0x1234);
    CopyVarsToPP(2);
    const uint16_t page2[15] = {500, 1, 50, 512, 1, 4096, 0, 50, 0, 0, 0, 1024, 0, 37000, 0};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(pp[i], page2[i]) << "page 2 word " << i;

    // Every word lands in its own field: distinct values through both copies.
    for (unsigned short page = 0; page < 3; ++page) {
        for (int i = 0; i < 15; ++i) pp[i] = static_cast<uint16_t>(1000 * (page + 1) + i);
        CopyPPtoVars(page);
    }
    EXPECT_EQ(parameter.evalmode, 1000);
    EXPECT_EQ(parameter.res0, 1012);
    EXPECT_EQ(parameter.setpoint, (1014u << 16) | 1013u);
    EXPECT_EQ(parameter.pvalA, 2000);
    EXPECT_EQ(parameter.res3A, 2010);
    EXPECT_EQ(parameter.scaleA, (2012u << 16) | 2011u);
    EXPECT_EQ(parameter.teachB, 3003);
    EXPECT_EQ(parameter.setpointB, (3014u << 16) | 3013u);
    for (unsigned short page = 0; page < 3; ++page) {
        CopyVarsToPP(page);
        for (int i = 0; i < 15; ++i) EXPECT_EQ(pp[i], 1000 * (page + 1) + i);
    }
}

TEST(LinkFrame, UnknownPageNumbersChangeNothing) {
    DefaultParameters();
    for (int i = 0; i < 16; ++i) pp[i] = 7;
    CopyVarsToPP(3);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(pp[i], 7);
    const ParameterRecord before = parameter;
    CopyPPtoVars(3);
    EXPECT_EQ(std::memcmp(&before, &parameter, sizeof parameter), 0);
}

TEST(LinkIdent, FirmwareTextOfBoardZeroTakesEachWordsLowByte) {
    const std::string text = "FW V3.05";
    unsigned char reply[72] = {};
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

    // The status text keeps what fits through the same bound.
    std::memset(reply, 'y', sizeof reply);
    DecodeFirmwareText(reply, 72, 1, szStatus, sizeof szStatus);
    EXPECT_EQ(std::strlen(szStatus), sizeof szStatus - 1);
}

}  // namespace
