// The parameter model's arithmetic: repairs, the scale's fixed point,
// threshold lines per evaluation mode, the file's value list.
#include <gtest/gtest.h>

#include <cstring>

#include "params/binding.h"
#include "params/initvars.h"
#include "params/parafile.h"
#include "params/vars.h"
#include "recorder/rectime.h"

namespace {

class ParamsRules : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultParameters();
        ccdvirtpixel = 4096;
        ADCMAX = 256;
    }
};

TEST_F(ParamsRules, RepairsReplaceOutOfRangeFieldsWithTheirFixedValues) {
    ParameterRecord& r = parameter;
    r.evalmode = 7;
    r.trgmode = 4;
    r.anamode = 5;
    r.hwmode = 9;
    r.para0w4 = 2049;
    r.para0w5 = 2;
    r.toleranceUP = 5000;
    r.toleranceLO = 4097;
    r.pvalA = 1001;
    r.pmodeA = 2;
    r.videothdA = 256;
    r.teachA = 5000;
    r.pixbegA = 5000;
    r.pixendA = 5000;
    r.gainA = 2;
    r.pvalB = 65535;
    r.teachB = 4097;
    r.pixendB = 4097;
    r.trig1 = 65535;  // never tested
    r.trgthdA = 65535;
    RepairParameters(4096);
    EXPECT_EQ(r.evalmode, 1);
    EXPECT_EQ(r.trgmode, 0);
    EXPECT_EQ(r.anamode, 0);
    EXPECT_EQ(r.hwmode, 1);
    EXPECT_EQ(r.para0w4, 1);
    EXPECT_EQ(r.para0w5, 1);
    EXPECT_EQ(r.toleranceUP, 4096);
    EXPECT_EQ(r.toleranceLO, 4096);
    EXPECT_EQ(r.pvalA, 500);  // not the nearest valid value
    EXPECT_EQ(r.pmodeA, 0);
    EXPECT_EQ(r.videothdA, 128);
    EXPECT_EQ(r.teachA, 2048);
    EXPECT_EQ(r.pixbegA, 1);
    EXPECT_EQ(r.pixendA, 4096);
    EXPECT_EQ(r.gainA, 0);
    EXPECT_EQ(r.pvalB, 500);
    EXPECT_EQ(r.teachB, 2048);
    EXPECT_EQ(r.pixendB, 4096);
    EXPECT_EQ(r.trig1, 65535);
    EXPECT_EQ(r.trgthdA, 65535);
}

TEST_F(ParamsRules, ScaleIsTruncatedIntoFixedPointAndNeverWraps) {
    EXPECT_EQ(ScaleToFixed(1.2345f), 1264u);
    EXPECT_EQ(ScaleToFixed(1.0f), 1024u);
    EXPECT_EQ(ScaleToFixed(0.0f), 0u);
    EXPECT_EQ(ScaleToFixed(-3.5f), 0u);
    EXPECT_EQ(ScaleToFixed(4194303.0f), 4194303u * 1024u);
    EXPECT_EQ(ScaleToFixed(1e10f), 4294967295u);
}

TEST_F(ParamsRules, ThresholdLinesFollowTheEvaluationMode) {
    ParameterRecord& r = parameter;
    r.teachA = 1000;
    r.teachB = 3000;
    r.toleranceUP = 100;
    r.toleranceLO = 200;
    struct Case {
        uint16_t mode;
        int ref, up, lo;
    } cases[] = {
        {1, 1000, 1100, 800},
        {0, 3000, 3100, 2800},
        {2, 4192, 4292, 3992},
        {3, 4096, 4196, 3896},
        {4, 4096, 4196, 3896},
    };
    for (const Case& c : cases) {
        r.evalmode = c.mode;
        SetThresholds();
        EXPECT_EQ(refTHD[0], c.ref) << "mode " << c.mode;
        EXPECT_EQ(upTHD[255], c.up) << "mode " << c.mode;
        EXPECT_EQ(loTHD[128], c.lo) << "mode " << c.mode;
    }
}

TEST_F(ParamsRules, ThresholdLimitsAndLevels) {
    ParameterRecord& r = parameter;
    r.evalmode = 1;
    r.teachA = 50;
    r.toleranceLO = 100;
    r.toleranceUP = 65535;  // unrepaired panel value: no 16-bit overflow
    r.videothdA = 33;
    r.videothdB = 50;
    r.trgthdA = 77;
    r.trgthdB = 88;
    SetThresholds();
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(loTHD[i], 0);
        ASSERT_EQ(upTHD[i], 8192);
        ASSERT_EQ(thdArrayA[i], 84);
        ASSERT_EQ(thdArrayB[i], 128);
        ASSERT_EQ(trgBUFA[i], 77);
        ASSERT_EQ(trgBUFB[i], 88);
    }
    ADCMAX = 1024;
    r.videothdA = 50;
    SetThresholds();
    EXPECT_EQ(thdArrayA[0], 512);
}

TEST_F(ParamsRules, FileValuesAreTheFrameWordsOfThreePages) {
    uint32_t values[PARA_FILE_VALUES];
    ParametersToFileValues(values);
    const uint32_t expected[PARA_FILE_VALUES] = {
        1,   0, 0,  1,   1, 1,    100, 100, 10, 0, 0, 0, 0, 37000, 0,
        500, 1, 50, 512, 1, 4096, 0,   50,  0,  0, 0, 1024, 0, 37000, 0,
        500, 1, 50, 512, 1, 4096, 0,   50,  0,  0, 0, 1024, 0, 37000, 0};
    for (int i = 0; i < PARA_FILE_VALUES; ++i) EXPECT_EQ(values[i], expected[i]) << i;

    values[0] = 0x10009;     // low 16 bits: 9
    values[13] = 70000;      // low 16 bits of the word: 4464
    values[14] = 1;
    values[26] = 0xFFFFFFFF;  // scaleA low word
    FileValuesToParameters(values);
    EXPECT_EQ(parameter.evalmode, 9);
    EXPECT_EQ(parameter.setpoint, 4464u + 65536u);
    EXPECT_EQ(parameter.scaleA, 0xFFFFu);
}

TEST(RecorderTime, LongestRecordingNeedsThirtyTwoBits) {
    const RecDuration d = RecordingDuration(65535, 65535);
    EXPECT_EQ(d.days, 49708u);  // 4294836225 s
    EXPECT_EQ(d.hours, 18u);
    EXPECT_EQ(d.minutes, 3u);
    EXPECT_EQ(d.seconds, 45u);
}

}  // namespace
