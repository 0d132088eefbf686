// Tolerance window edges for every evaluation mode.
#include <gtest/gtest.h>

#include "params/initvars.h"
#include "params/vars.h"
#include "plot/tolwindow.h"

namespace {

class TolWindowRules : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultParameters();
        ccdvirtpixel = 4096;
        tolup = tollo = 100;
        edcntA = edcntB = 1;
    }
    static void ExpectWindow(const TolWindow& w, int lower, int upper) {
        EXPECT_TRUE(w.drawn);
        EXPECT_EQ(w.lower, lower);
        EXPECT_EQ(w.upper, upper);
    }
};

TEST_F(TolWindowRules, ModesZeroAndOneDrawOnlyTheirSetPointSensor) {
    parameter.teachA = 512;
    parameter.teachB = 2000;
    TolWindows w = ComputeTOLWindows(1, 0, 0);
    ExpectWindow(w.master, 412, 612);
    EXPECT_FALSE(w.slave.drawn);
    w = ComputeTOLWindows(0, 0, 0);
    EXPECT_FALSE(w.master.drawn);
    ExpectWindow(w.slave, 1900, 2100);
}

TEST_F(TolWindowRules, ClampingAtBothEnds) {
    parameter.teachA = 50;
    ExpectWindow(ComputeTOLWindows(1, 0, 0).master, 1, 150);  // -50 becomes 1
    tollo = 50;
    ExpectWindow(ComputeTOLWindows(1, 0, 0).master, 0, 150);  // 0 stays 0
    parameter.teachA = 3995;
    ExpectWindow(ComputeTOLWindows(1, 0, 0).master, 3945, 4095);  // 4095 stays
    parameter.teachA = 3996;
    ExpectWindow(ComputeTOLWindows(1, 0, 0).master, 3946, 4096);  // 4096 stays 4096
    parameter.teachA = 4090;
    ExpectWindow(ComputeTOLWindows(1, 0, 0).master, 4040, 4096);  // 4190 becomes 4096
}

TEST_F(TolWindowRules, ModeTwoFollowsPositionsShiftedByHalfTheDifference) {
    parameter.teachA = parameter.teachB = 1000;
    edcntA = 3;
    edcntB = 2;
    TolWindows w = ComputeTOLWindows(2, 990, 1000);  // D = 10, h = 5
    ExpectWindow(w.master, 945, 1045);
    ExpectWindow(w.slave, 955, 1055);
    w = ComputeTOLWindows(2, 1001, 1002);  // D = -3, h = -1 (toward zero)
    ExpectWindow(w.master, 950, 1050);
    ExpectWindow(w.slave, 951, 1051);
    tollo = 101;  // halves truncate too
    tolup = 99;
    w = ComputeTOLWindows(2, 1000, 1000);
    ExpectWindow(w.master, 950, 1049);
}

TEST_F(TolWindowRules, ModeTwoWithoutEdgesCentresOnTheTeachValues) {
    parameter.teachA = 700;
    parameter.teachB = 1700;
    edcntA = 0;
    const TolWindows w = ComputeTOLWindows(2, 3000, 10);
    ExpectWindow(w.master, 650, 750);
    ExpectWindow(w.slave, 1650, 1750);
}

TEST_F(TolWindowRules, ModesThreeAndFourMarkTheDeviationUnclamped) {
    tolup = 40;
    tollo = 30;
    for (uint16_t mode : {3, 4}) {
        const TolWindows w = ComputeTOLWindows(mode, 0, 0);
        ExpectWindow(w.master, 1, 40);
        ExpectWindow(w.slave, 1, 30);
    }
    tolup = 0;
    ExpectWindow(ComputeTOLWindows(3, 0, 0).master, 1, 0);
    tolup = 6000;  // beyond the line: not clamped in these modes
    ExpectWindow(ComputeTOLWindows(4, 0, 0).master, 1, 6000);
}

TEST_F(TolWindowRules, OtherModesDrawNothing) {
    const TolWindows w = ComputeTOLWindows(5, 100, 100);
    EXPECT_FALSE(w.master.drawn);
    EXPECT_FALSE(w.slave.drawn);
}

}  // namespace
