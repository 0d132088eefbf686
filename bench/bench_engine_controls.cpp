// Cost of control calls from the live loop, and how often the widgets
// really repaint while the loop runs flat out. Prints figures; no
// assertions.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/cvi.h"
#include "bench/support/engine_probe.h"
#include "engine/testing.h"

namespace {

using Clock = std::chrono::steady_clock;

double usSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

const char* kFile = "K-VOR-QX-MS-ScopeV305.uir";

// What one live frame sets on the main panel: eight indicators, two of
// them recoloured by the tolerance check, and the status line.
void oneFrame(int panel, int i) {
    const int ids[] = {NUMAval, NUMBval, NUMMvalue, NUMTolUpMM, NUMTolLoMM, NUMAnaMax, NUMAnaMin};
    for (int k = 0; k < 7; ++k) SetCtrlVal(panel, ids[k], static_cast<unsigned short>((i + k) & 0xFFFF));
    SetCtrlVal(panel, NUMMeasMM, i * 0.001);
    const bool out = (i / 100) % 2;
    SetCtrlAttribute(panel, NUMMvalue, ATTR_TEXT_BGCOLOR, out ? VAL_RED : VAL_DK_GREEN);
    SetCtrlAttribute(panel, NUMMeasMM, ATTR_TEXT_BGCOLOR, out ? VAL_RED : VAL_DK_GREEN);
    SetCtrlVal(panel, TEXTStatus, out ? "RUN: out of tolerance" : "RUN: in tolerance");
    SetCtrlAttribute(panel, BTNRun, ATTR_DIMMED, 1);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!InitCVIRTE(argc, argv)) return 1;

    auto t0 = Clock::now();
    const int panel = LoadPanel(0, kFile, MAINPANEL);
    const double firstLoad = usSince(t0);
    if (panel < 0) {
        std::fprintf(stderr, "cannot load %s (%d)\n", kFile, panel);
        return 1;
    }
    t0 = Clock::now();
    const int again = LoadPanel(0, kFile, MAINPANEL);
    const double laterLoad = usSince(t0);
    DiscardPanel(again);
    std::printf("LoadPanel main panel: first %.1f ms, later %.2f ms\n", firstLoad / 1000, laterLoad / 1000);
    // The seven panels as the program loads them at start.
    t0 = Clock::now();
    const int top = LoadPanel(0, kFile, MAINPANEL);
    for (int rid : {PARA0, PARA1, PARA2, CALIB, TRIGG}) LoadPanel(top, kFile, rid);
    const int pop = LoadPanel(0, kFile, POPUP);
    std::printf("LoadPanel all seven panels: %.1f ms\n", usSince(t0) / 1000);
    DiscardPanel(pop);
    DiscardPanel(top);

    DisplayPanel(panel);
    TestFlushRepaints();
    TestRunEvents(100);

    // One SetCtrlVal on an indicator, the value changing each time; no
    // events run, so nothing paints.
    const int n = 1000000;
    t0 = Clock::now();
    for (int i = 0; i < n; ++i) SetCtrlVal(panel, NUMAval, static_cast<unsigned short>(i & 0xFFFF));
    std::printf("SetCtrlVal numeric indicator: %.3f us per call\n", usSince(t0) / n);

    double d = 0;
    t0 = Clock::now();
    for (int i = 0; i < n; ++i) GetCtrlVal(panel, NUMAval, &d);
    std::printf("GetCtrlVal numeric indicator: %.3f us per call\n", usSince(t0) / n);

    const int frames = 200000;
    t0 = Clock::now();
    for (int i = 0; i < frames; ++i) oneFrame(panel, i);
    std::printf("one live frame (12 control calls): %.3f us\n", usSince(t0) / frames);
    TestFlushRepaints();
    TestRunEvents(100);

    // 1 s of the live loop at up to 5000 frames a second, events processed
    // after each frame as the program's loop does.
    const long long paints0 = benchprobe::PaintCount(panel, NUMAval);
    const long long pushes0 = TestPushCount();
    const long long panelPaints0 = benchprobe::PaintCount(panel, NUMMvalue);
    int done = 0;
    t0 = Clock::now();
    const auto end = t0 + std::chrono::seconds(1);
    auto next = t0;
    double inEvents = 0, worst = 0;
    while (Clock::now() < end) {
        oneFrame(panel, done++);
        const auto e0 = Clock::now();
        ProcessSystemEvents();
        const double e = usSince(e0);
        inEvents += e;
        if (e > worst) worst = e;
        // 200 us a frame; after a slow pass (a repaint) the loop does not
        // try to catch up, it just leaves the next pass its short gap.
        next = std::max(next + std::chrono::microseconds(200), Clock::now() + std::chrono::microseconds(30));
        while (Clock::now() < next) {
        }
    }
    const double secs = usSince(t0) / 1e6;
    TestRunEvents(50);
    std::printf("live loop: %d frames in %.2f s (%.0f frames/s)\n", done, secs, done / secs);
    std::printf("  time in ProcessSystemEvents: %.0f ms, longest call %.2f ms\n", inEvents / 1000, worst / 1000);
    // A numeric is a frame around a text field: one repaint paints both.
    std::printf("  paint events on NUMAval (frame + text field): %lld (%.1f per s)\n",
                benchprobe::PaintCount(panel, NUMAval) - paints0, (benchprobe::PaintCount(panel, NUMAval) - paints0) / secs);
    std::printf("  paint events on NUMMvalue (recoloured too): %lld\n", benchprobe::PaintCount(panel, NUMMvalue) - panelPaints0);
    std::printf("  control states pushed to widgets: %lld (%.1f per s for the 10 controls set per frame)\n",
                TestPushCount() - pushes0, (TestPushCount() - pushes0) / secs);

    DiscardPanel(panel);
    return 0;
}
