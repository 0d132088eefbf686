// The whole program in this process: closing the main panel while RUN is
// running ends the loop first, then the program discards its panels and
// ends normally.
#include <gtest/gtest.h>

#include <memory>

#include "plot/stripchart.h"
#include "support/live_script.h"
#include "support/program_fixture.h"

namespace {

class LiveProgram : public ::testing::Test {
protected:
    void SetUp() override {
        SetProjectDir(TestBinaryDir().c_str());
        TIMEOUT = 0.3;
        kvorsim::Options o;
        o.pacing = false;
        pair_ = std::make_unique<kvorsim::SensorPair>(o);
        ASSERT_TRUE(pair_->start());
        SetComPortPath(1, pair_->devicePath());
    }
    void TearDown() override {
        pair_->stop();
        SetComPortPath(1, "");
        TIMEOUT = 1.5;
    }
    std::unique_ptr<kvorsim::SensorPair> pair_;
};

TEST_F(LiveProgram, ClosingTheMainPanelDuringRunEndsTheLoopBeforeThePanelsGo) {
    bool runReturned = false;
    int runDimmedAfter = -1;
    int attrResultAfter = -1;
    long long framesAtClose = -1;
    // The click on RUN returns only when the run ends; what happens meanwhile
    // is a second script with its own timer.
    LiveScript during(15.0);
    during.when("running", [] {
        const StripData* s = pHandle > 0 ? TestStrip(pHandle, STRIPRaw) : nullptr;
        return s && s->pointsPlotted >= 3 * STRIP_SAMPLES;
    }, [&] {
        framesAtClose = TestStrip(pHandle, STRIPRaw)->pointsPlotted / STRIP_SAMPLES;
        TestClosePanel(pHandle);
    });
    LiveScript outer(15.0);
    outer.when("event loop", QuitHandlerInstalled, [&] {
        TestClick(pHandle, BTNRun);
        runReturned = true;
        // The panels are still there when the loop has ended.
        attrResultAfter = GetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, &runDimmedAfter);
    });
    const int rc = ProgramMain();
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(outer.finished()) << outer.pending();
    EXPECT_TRUE(during.finished()) << during.pending();
    EXPECT_FALSE(during.limitHit());
    EXPECT_GE(framesAtClose, 3);
    EXPECT_TRUE(runReturned);
    EXPECT_EQ(attrResultAfter, 0);
    EXPECT_EQ(runDimmedAfter, 0);
    EXPECT_EQ(stop_flag, 1);
    // Afterwards they are gone and the port is closed.
    int v = 0;
    EXPECT_EQ(GetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, &v), UIEBadPanel);
    EXPECT_LT(GetInQLen(com), 0);
}

}  // namespace
