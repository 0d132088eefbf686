// The whole program in this process: closing the main panel while RUN is
// running ends the loop first, then the program discards its panels and
// ends normally.
#include <gtest/gtest.h>

#include "plot/stripchart.h"
#include "support/live_script.h"
#include "support/program_fixture.h"

namespace {

using LiveProgram = ProgramMainTest;

TEST_F(LiveProgram, ClosingTheMainPanelDuringRunEndsTheLoopBeforeThePanelsGo) {
    Pair();
    int runDimmedAfter = -1, attrResultAfter = -1;
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
        // The panels are still there when the loop has ended.
        attrResultAfter = GetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, &runDimmedAfter);
    });
    EXPECT_EQ(ProgramMain(), 0);
    EXPECT_TRUE(outer.finished()) << outer.pending();
    EXPECT_TRUE(during.finished()) << during.pending();
    EXPECT_FALSE(during.limitHit());
    EXPECT_GE(framesAtClose, 3);
    EXPECT_EQ(attrResultAfter, 0);
    EXPECT_EQ(runDimmedAfter, 0);
    EXPECT_EQ(stop_flag, 1);
    // Afterwards they are gone and the port is closed.
    int v = 0;
    EXPECT_EQ(GetCtrlAttribute(pHandle, BTNRun, ATTR_DIMMED, &v), UIEBadPanel);
    EXPECT_LT(GetInQLen(com), 0);
}

}  // namespace
