// The parameter model's arithmetic: repairs, the scale's fixed point,
// threshold lines per evaluation mode, the file's value list.
#include <gtest/gtest.h>

#include <array>
#include <iterator>

#include "link/paraframe.h"
#include "params/record.h"
#include "panel/binding.h"
#include "params/record.h"
#include "params/thresholds.h"
#include "params/units.h"
#include "app/initvars.h"
#include "params/record.h"
#include "params/parafile.h"
#include "panel/parafile.h"
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
    using F = uint16_t ParameterRecord::*;
    const struct {
        F field;
        uint16_t bad, repaired;
    } cases[] = {
        {&ParameterRecord::evalmode, 7, 1},       {&ParameterRecord::trgmode, 4, 0},
        {&ParameterRecord::anamode, 5, 0},        {&ParameterRecord::hwmode, 9, 1},
        {&ParameterRecord::para0w4, 2049, 1},     {&ParameterRecord::para0w5, 2, 1},
        {&ParameterRecord::toleranceUP, 5000, 4096}, {&ParameterRecord::toleranceLO, 4097, 4096},
        {&ParameterRecord::pvalA, 1001, 500},     // not the nearest valid value
        {&ParameterRecord::pmodeA, 2, 0},         {&ParameterRecord::videothdA, 256, 128},
        {&ParameterRecord::teachA, 5000, 2048},   {&ParameterRecord::pixbegA, 5000, 1},
        {&ParameterRecord::pixendA, 5000, 4096},  {&ParameterRecord::gainA, 2, 0},
        {&ParameterRecord::pvalB, 65535, 500},    {&ParameterRecord::teachB, 4097, 2048},
        {&ParameterRecord::pixendB, 4097, 4096},
        {&ParameterRecord::trig1, 65535, 65535},  {&ParameterRecord::trgthdA, 65535, 65535},  // never tested
    };
    for (const auto& c : cases) parameter.*c.field = c.bad;
    RepairParameters(4096);
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(parameter.*cases[i].field, cases[i].repaired) << i;
}

TEST_F(ParamsRules, ScaleIsTruncatedIntoFixedPointAndNeverWraps) {
    EXPECT_EQ(ScaleToFixed(1.2345f), 1264u);
    EXPECT_EQ(ScaleToFixed(0.0f), 0u);
    EXPECT_EQ(ScaleToFixed(-3.5f), 0u);
    EXPECT_EQ(ScaleToFixed(4194303.0f), 4194303u * 1024u);
    EXPECT_EQ(ScaleToFixed(1e10f), 4294967295u);
}

TEST_F(ParamsRules, ThresholdLinesFollowTheEvaluationMode) {
    parameter.teachA = 1000;
    parameter.teachB = 3000;
    parameter.toleranceUP = 100;
    parameter.toleranceLO = 200;
    const struct {
        uint16_t mode;
        int ref, up, lo;
    } cases[] = {{1, 1000, 1100, 800}, {0, 3000, 3100, 2800}, {2, 4192, 4292, 3992},
                 {3, 4096, 4196, 3896}, {4, 4096, 4196, 3896}};
    for (const auto& c : cases) {
        parameter.evalmode = c.mode;
        SetThresholds();
        EXPECT_EQ((std::array<int, 3>{refTHD[0], upTHD[255], loTHD[128]}), (std::array<int, 3>{c.ref, c.up, c.lo}))
            << "mode " << c.mode;
    }
}

TEST_F(ParamsRules, ThresholdLimitsAndLevels) {
    parameter.evalmode = 1;
    parameter.teachA = 50;
    parameter.toleranceLO = 100;
    parameter.toleranceUP = 65535;  // unrepaired panel value: no 16-bit overflow
    parameter.videothdA = 33;
    parameter.videothdB = 50;
    parameter.trgthdA = 77;
    parameter.trgthdB = 88;
    SetThresholds();
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ((std::array<int, 6>{loTHD[i], upTHD[i], thdArrayA[i], thdArrayB[i], trgBUFA[i], trgBUFB[i]}),
                  (std::array<int, 6>{0, 8192, 84, 128, 77, 88}))
            << i;
    }
    ADCMAX = 1024;
    parameter.videothdA = 50;
    SetThresholds();
    EXPECT_EQ(thdArrayA[0], 512);
}

TEST_F(ParamsRules, FileValuesAreTheFrameWordsOfThreePages) {
    parameter.setpoint = 70000;  // long fields: low word first, as on the line
    parameter.scaleA = 0x12345678;
    uint32_t values[PARA_FILE_VALUES];
    ParametersToFileValues(values);
    for (unsigned short page = 0; page < 3; ++page) {
        CopyVarsToPP(page);
        for (int i = 0; i < 15; ++i) EXPECT_EQ(values[page * 15 + i], pp[i]) << page << " " << i;
    }
    values[0] = 0x10009;      // only the low 16 bits count
    values[14] = 1;
    values[26] = 0xFFFFFFFF;  // scaleA low word
    values[27] = 0;
    FileValuesToParameters(values);
    EXPECT_EQ(parameter.evalmode, 9);
    EXPECT_EQ(parameter.setpoint, 4464u + 65536u);
    EXPECT_EQ(parameter.scaleA, 0xFFFFu);
}

TEST(RecorderTime, LongestRecordingNeedsThirtyTwoBits) {
    const RecDuration d = RecordingDuration(65535, 65535);  // 4294836225 s
    EXPECT_EQ((std::array<unsigned, 4>{d.days, d.hours, d.minutes, d.seconds}),
              (std::array<unsigned, 4>{49708, 18, 3, 45}));
}

}  // namespace
