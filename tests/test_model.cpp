// The pure computation, without panels or a line. The bytes on the line are
// written out by hand, not by the program's encoder.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/options.h"
#include "link/com232.h"
#include "link/ident.h"
#include "panel/parafile.h"
#include "params/limits.h"
#include "params/live.h"
#include "params/record.h"
#include "params/thresholds.h"
#include "params/units.h"
#include "params/vars.h"
#include "plot/arrays.h"
#include "plot/bargraph.h"
#include "plot/tolwindow.h"
#include "recorder/rectime.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Words = std::vector<uint16_t>;

class Model : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultParameters();
        ccdvirtpixel = 4096;
        ADCMAX = 256;
    }
    static Words Page(unsigned short page) {
        CopyVarsToPP(page);
        return {pp, pp + 15};
    }
};

TEST_F(Model, FrameIsBigEndianAndTouchesNothingBeyondByte35) {
    std::memset(szWriteBuf, 0x5A, sizeof szWriteBuf);
    unsigned short words[16];
    for (int i = 0; i < 16; ++i) words[i] = static_cast<unsigned short>(0x0100 * (i + 1) + i);
    FillTxBuf(0x1234, 0xABCD, words);
    Bytes want = {0x00, 0x55, 0x12, 0x34, 0xAB, 0xCD};
    for (int i = 0; i < 15; ++i) want.insert(want.end(), {static_cast<unsigned char>(i + 1), static_cast<unsigned char>(i)});
    want.insert(want.end(), {0x5A, 0x5A});  // word 15 never travels
    const auto* b = reinterpret_cast<const unsigned char*>(szWriteBuf);
    EXPECT_EQ(Bytes(b, b + 38), want);
}

// A live reply (command 8) fills 16 words from byte 4; any other 15 from
// byte 6, skipping the argument, and keeps word 15.
TEST_F(Model, RepliesFillTheWordsTheirCommandCarries) {
    std::memset(szReadBuf, 0, sizeof szReadBuf);
    for (int i = 0; i < 32; ++i) szReadBuf[4 + i] = static_cast<char>(i);
    auto word = [](int at) { return at << 8 | (at + 1); };  // bytes at, at+1 hold at-4, at-3
    for (char cmd : {8, 2}) {
        SCOPED_TRACE(int{cmd});
        szReadBuf[3] = cmd;
        pp[15] = 4242;
        EXPECT_EQ(GetRxBuf(), cmd == 8 ? 1 : 0);
        const int first = cmd == 8 ? 4 : 6;
        for (int i = 0; i < 15; ++i) EXPECT_EQ(pp[i], word(first + 2 * i - 4)) << i;
        EXPECT_EQ(pp[15], cmd == 8 ? word(30) : 4242);
    }
}

TEST_F(Model, PagesCarryEveryFieldLongOnesLowHalfFirst) {
    parameter.setpoint = 70000;
    EXPECT_EQ(Page(0), (Words{1, 0, 0, 1, 1, 1, 100, 100, 10, 0, 0, 0, 0, 4464, 1}));
    // Distinct values through both copies: every word has a field of its own.
    for (unsigned short page = 0; page < 3; ++page) {
        for (int i = 0; i < 15; ++i) pp[i] = static_cast<uint16_t>(1000 * (page + 1) + i);
        CopyPPtoVars(page);
    }
    EXPECT_EQ(parameter.setpoint, (1014u << 16) | 1013u);
    EXPECT_EQ(parameter.scaleA, (2012u << 16) | 2011u);
    EXPECT_EQ(parameter.teachB, 3003);
    for (unsigned short page = 0; page < 3; ++page)
        for (int i = 0; i < 15; ++i) EXPECT_EQ(Page(page)[i], 1000 * (page + 1) + i);
    // An unknown page number changes nothing either way.
    for (uint16_t& w : pp) w = 7;
    const ParameterRecord before = parameter;
    CopyVarsToPP(3);
    CopyPPtoVars(3);
    EXPECT_EQ(Words(pp, pp + 16), Words(16, 7));
    EXPECT_EQ(std::memcmp(&before, &parameter, sizeof parameter), 0);
}

// Words 3 and 4 are one signed count: 0xFFFF1234 is -60876 µm.
TEST_F(Model, LiveWordsByMeaning) {
    const uint16_t w[16] = {11, 12, 13, 0x1234, 0xFFFF, 15, 16, 17, 18, 19, 20, 21, 1111, 2222, 23, 24};
    const LiveFrame f = DecodeLiveFrame(w);
    EXPECT_EQ(f.umValue, -60876);
    EXPECT_EQ((Words{f.Aval, f.Bval, f.Mvalue, f.poti, f.edcntA, f.edcntB, f.peakwA, f.peakwB, f.anaMax,
                     f.anaMin, f.teachA, f.teachB, f.raw15, f.instate}),
              (Words{11, 12, 13, 15, 16, 17, 18, 19, 20, 21, 1111, 2222, 23, 24}));
}

// Each field once past its top valid value and once at it (which stays).
TEST_F(Model, RepairsReplaceOnlyOutOfRangeFields) {
    using F = uint16_t ParameterRecord::*;
    using R = ParameterRecord;
    const struct { F field; uint16_t top, bad, repaired; } cases[] = {
        {&R::evalmode, 4, 7, 1},         {&R::trgmode, 3, 4, 0},        {&R::anamode, 4, 5, 0},
        {&R::hwmode, 4, 9, 1},           {&R::para0w4, 2048, 2049, 1},  {&R::para0w5, 1, 2, 1},
        {&R::toleranceUP, 4096, 5000, 4096}, {&R::toleranceLO, 4096, 4097, 4096},
        {&R::pvalA, 1000, 1001, 500},    {&R::pmodeA, 1, 2, 0},         {&R::videothdA, 255, 256, 128},
        {&R::teachA, 4096, 5000, 2048},  {&R::pixbegA, 4096, 5000, 1},  {&R::pixendA, 4096, 5000, 4096},
        {&R::gainA, 1, 2, 0},            {&R::pvalB, 1000, 65535, 500}, {&R::pmodeB, 1, 2, 0},
        {&R::videothdB, 255, 300, 128},  {&R::teachB, 4096, 4097, 2048}, {&R::pixbegB, 4096, 4097, 1},
        {&R::pixendB, 4096, 4097, 4096}, {&R::gainB, 1, 2, 0},
        {&R::trig1, 65535, 65535, 65535}, {&R::trgthdA, 65535, 65535, 65535},  // never repaired
    };
    for (bool atTop : {true, false}) {
        for (const auto& c : cases) parameter.*c.field = atTop ? c.top : c.bad;
        RepairParameters(4096);
        for (const auto& c : cases)
            EXPECT_EQ(parameter.*c.field, atTop ? c.top : c.repaired) << (atTop ? "top " : "bad ") << c.top;
    }
}

TEST_F(Model, ScaleIsTruncatedIntoFixedPointAndNeverWraps) {
    const std::pair<float, uint32_t> cases[] = {
        {1.2345f, 1264}, {0.0f, 0}, {-3.5f, 0}, {4194303.0f, 4194303u * 1024u}, {1e10f, 4294967295u}};
    for (const auto& [scale, fixed] : cases) EXPECT_EQ(ScaleToFixed(scale), fixed) << scale;
    EXPECT_EQ(DisplayScale(1264), 1.234375f);
    // The two tolerance precisions agree where a float holds the scale.
    EXPECT_DOUBLE_EQ(ToleranceMMShownScale(1024, 100), 0.1);
    EXPECT_DOUBLE_EQ(ToleranceMM(2048, 7), 7 * 2048 / 1024000.0);
}

TEST_F(Model, ThresholdLinesFollowTheEvaluationModeWithinTheirLimits) {
    parameter.teachA = 1000;
    parameter.teachB = 3000;
    parameter.toleranceUP = 100;
    parameter.toleranceLO = 200;
    const struct { uint16_t mode, teachA, up; int ref, upper, lower; } cases[] = {
        {1, 1000, 100, 1000, 1100, 800},  {0, 1000, 100, 3000, 3100, 2800}, {2, 1000, 100, 4192, 4292, 3992},
        {3, 1000, 100, 4096, 4196, 3896}, {4, 1000, 100, 4096, 4196, 3896},
        {1, 50, 65535, 50, 8192, 0}};  // an unrepaired panel value: no 16-bit overflow
    for (const auto& c : cases) {
        parameter.evalmode = c.mode;
        parameter.teachA = c.teachA;
        parameter.toleranceUP = c.up;
        SetThresholds();
        EXPECT_EQ((std::array<int, 3>{refTHD[0], upTHD[255], loTHD[128]}), (std::array<int, 3>{c.ref, c.upper, c.lower}))
            << "mode " << c.mode;
    }
    parameter.videothdA = 33;
    parameter.trgthdB = 88;
    SetThresholds();
    EXPECT_EQ((std::array<int, 3>{thdArrayA[200], thdArrayB[0], trgBUFB[255]}), (std::array<int, 3>{84, 128, 88}));
    EXPECT_EQ(VideoThresholdLevel(255, 1024), 2611);  // no 16-bit overflow on the way
}

TEST_F(Model, ToleranceWindowEdgesPerMode) {
    using Edges = std::optional<std::pair<int, int>>;  // none: not drawn
    auto edges = [](const TolWindow& w) { return w.drawn ? Edges{{w.lower, w.upper}} : std::nullopt; };
    const struct { const char* what; uint16_t mode, teachA, teachB, up, lo, edgesA, a, b; Edges master, slave; } cases[] = {
        {"mode 1: MASTER only", 1, 512, 2000, 100, 100, 1, 0, 0, {{412, 612}}, {}},
        {"mode 0: SLAVE only", 0, 512, 2000, 100, 100, 1, 0, 0, {}, {{1900, 2100}}},
        {"-50 becomes 1", 1, 50, 0, 100, 100, 1, 0, 0, {{1, 150}}, {}},
        {"0 stays 0", 1, 50, 0, 100, 50, 1, 0, 0, {{0, 150}}, {}},
        {"4095 stays", 1, 3995, 0, 100, 50, 1, 0, 0, {{3945, 4095}}, {}},
        {"4096 stays", 1, 3996, 0, 100, 50, 1, 0, 0, {{3946, 4096}}, {}},
        {"4190 becomes 4096", 1, 4090, 0, 100, 50, 1, 0, 0, {{4040, 4096}}, {}},
        // Mode 2 follows the positions shifted by half their difference D.
        {"D = 10, h = 5", 2, 1000, 1000, 100, 100, 3, 990, 1000, {{945, 1045}}, {{955, 1055}}},
        {"D = -3, h = -1", 2, 1000, 1000, 100, 100, 3, 1001, 1002, {{950, 1050}}, {{951, 1051}}},
        {"halves truncate", 2, 1000, 1000, 99, 101, 3, 1000, 1000, {{950, 1049}}, {{950, 1049}}},
        {"no edges: teach values", 2, 700, 1700, 100, 100, 0, 3000, 10, {{650, 750}}, {{1650, 1750}}},
        // Modes 3 and 4 mark the deviation from 1, unclamped.
        {"mode 3", 3, 0, 0, 40, 30, 1, 0, 0, {{1, 40}}, {{1, 30}}},
        {"mode 4, beyond the line", 4, 0, 0, 6000, 0, 1, 0, 0, {{1, 6000}}, {{1, 0}}},
        {"unknown mode", 5, 1000, 1000, 100, 100, 1, 100, 100, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        parameter.teachA = c.teachA;
        parameter.teachB = c.teachB;
        tolup = c.up;
        tollo = c.lo;
        live.edcntA = c.edgesA;
        live.edcntB = 2;
        const TolWindows w = ComputeTOLWindows(c.mode, c.a, c.b);
        EXPECT_EQ(edges(w.master), c.master);
        EXPECT_EQ(edges(w.slave), c.slave);
    }
}

// The live limits stop at 0 and 65535 instead of wrapping round.
TEST(ModelLimits, LiveToleranceLimitsAreClampedNotWrapped) {
    const struct { uint16_t setPoint, up, lo, upper, lower; } cases[] = {
        {1000, 50, 100, 1050, 900}, {50, 0, 100, 50, 0}, {50, 10, 50, 60, 0}, {65500, 100, 0, 65535, 65500}};
    for (const auto& c : cases) {
        tVal = c.setPoint, tolup = c.up, tollo = c.lo;
        const LiveLimits l = LiveToleranceLimits();
        EXPECT_EQ(std::pair(l.upper, l.lower), std::pair(c.upper, c.lower)) << c.setPoint << " " << c.lo;
    }
}

// A teach position at or past the line's end leaves no tolerance at all.
TEST(ModelLimits, EditorsKeepValuesOnTheLine) {
    for (auto [tol, teachA, kept] : {std::tuple(200, 4000, 95), {96, 4000, 96}, {97, 4000, 95}, {10, 4096, 0}, {1, 9000, 0}})
        EXPECT_EQ(ToleranceWithinLine(tol, teachA, 4096), kept) << tol << " " << teachA;
    for (auto [teach, kept] : {std::pair(5000, 4095), {4097, 4095}, {4096, 4096}, {1, 1}, {0, 1}, {-5, 1}})
        EXPECT_EQ(TeachWithinLine(teach, 4096), kept) << teach;
}

// "old file kept" only where there was one and it was not written in place.
TEST(ModelFileTexts, SaveFailureSaysWhetherTheOldFileIsKept) {
    const char* kept = "Error writing parameter-file! - old file kept";
    const char* plain = "Error writing parameter-file!";
    EXPECT_STREQ(SaveFailedText(true, UIEFileOpen), kept);
    EXPECT_STREQ(SaveFailedText(true, UIEFileWrite), kept);
    EXPECT_STREQ(SaveFailedText(true, UIEFileWriteInPlace), plain);  // no old file at all: GET/SEND's case
}

TEST(ModelArrays, ShiftMovesFillsAndRefusesBadSizes) {
    using V = std::vector<double>;
    const V a{1, 2, 3, 4, 5};
    const struct { int by; bool inPlace; V want; } cases[] = {{-2, false, {3, 4, 5, 0, 0}}, {2, false, {0, 0, 1, 2, 3}},
        {0, false, a}, {-1, true, {2, 3, 4, 5, 0}}, {3, true, {0, 0, 0, 1, 2}}};
    for (const auto& c : cases) {
        V in = a, out(5, -1);
        EXPECT_EQ(Shift(in.data(), 5, c.by, c.inPlace ? in.data() : out.data()), ARRAY_OK) << c.by;
        EXPECT_EQ(c.inPlace ? in : out, c.want) << c.by;
    }
    V keep(5, 7);  // errors leave the output alone
    for (int by : {5, -5, INT32_MIN}) EXPECT_EQ(Shift(a.data(), 5, by, keep.data()), ARRAY_SHIFT_ERR) << by;
    EXPECT_EQ(Shift(a.data(), 0, 0, keep.data()), ARRAY_SIZE_ERR);
    EXPECT_EQ(Copy1D(a.data(), -1, keep.data()), ARRAY_SIZE_ERR);
    EXPECT_EQ(keep, V(5, 7));
}

TEST(ModelRecorder, LongestRecordingNeedsThirtyTwoBits) {
    const RecDuration d = RecordingDuration(65535, 65535);  // 4294836225 s
    EXPECT_EQ((std::array<unsigned, 4>{d.days, d.hours, d.minutes, d.seconds}), (std::array<unsigned, 4>{49708, 18, 3, 45}));
}

// Board 0 sends one character in each word's low byte, other boards the
// text itself; either ends at a zero (the bound of a text without one is
// the start-up suite's).
TEST(ModelIdent, FirmwareTextEndsAtAZero) {
    const unsigned char words[8] = {0x7E, 'F', 0x7E, 'W', 0x7E, 0, 0x7E, 'X'};
    const unsigned char text[5] = {'V', '3', 0, 'X', 'X'};
    char out[72];
    DecodeFirmwareText(words, sizeof words, 0, out, sizeof out);
    EXPECT_EQ(std::string(out), "FW");
    DecodeFirmwareText(text, sizeof text, 2, out, sizeof out);
    EXPECT_EQ(std::string(out), "V3");
}

TEST(ModelOptions, PortsInEitherSpellingAndBadInputRefusedWithAReason) {
    auto parse = [](std::vector<const char*> args, ProgramOptions* o, std::string* err) {
        args.insert(args.begin(), "kvor-scope");
        return ParseOptions(static_cast<int>(args.size()), args.data(), o, err);
    };
    ProgramOptions o;
    std::string err;
    ASSERT_TRUE(parse({"--simulate", "--port", "2=/dev/ttyUSB0", "--port=3=/tmp/a=b", "-h"}, &o, &err));
    EXPECT_TRUE(o.simulate && o.help);
    EXPECT_EQ(o.ports, (decltype(o.ports){{2, "/dev/ttyUSB0"}, {3, "/tmp/a=b"}}));
    for (std::vector<const char*> bad :
         {std::vector<const char*>{"--port"}, {"--port", "x=/dev/a"}, {"--port", "0=/dev/a"}, {"--port", "256=/d"},
          {"--port", "2="}, {"--port", "=/dev/a"}, {"--port", "1x=/d"}, {"--simulat"}}) {
        err.clear();
        EXPECT_FALSE(parse(bad, &o, &err)) << bad.back();
        EXPECT_FALSE(err.empty());
    }
}

}  // namespace
