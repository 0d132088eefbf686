// Cost of the graph calls the live and video loops make (drawing excluded:
// the calls only change data), and, for the record, of one real replot of a
// bar graph and of a video graph at their panel sizes.
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "engine/cvi.h"
#include "engine/graph.h"
#include "engine/internal.h"
#include "engine/testing_graph.h"

namespace {

using Clock = std::chrono::steady_clock;

// Median over `rounds` of the mean cost of `batch` calls, in microseconds;
// `between` runs untimed after each round (clean-up).
double medianMicros(int rounds, int batch, const std::function<void()>& call,
                    const std::function<void()>& between = {}) {
    std::vector<double> r;
    r.reserve(std::size_t(rounds));
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Clock::now();
        for (int k = 0; k < batch; ++k) call();
        const auto t1 = Clock::now();
        r.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count() / batch);
        if (between) between();
    }
    std::nth_element(r.begin(), r.begin() + long(r.size() / 2), r.end());
    return r[r.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!InitCVIRTE(argc, argv)) return 2;

    auto* root = new QWidget;
    root->resize(1200, 800);
    auto* video = new CviGraph(root);
    video->setObjectName("GRAPHVideoMaster");
    video->setGeometry(590, 306, 582, 203);
    auto* bar = new CviGraph(root);
    bar->setObjectName("GRAPHBarMaster");
    bar->setGeometry(590, 70, 582, 100);
    auto* strip = new CviStripChart(root);
    strip->setObjectName("STRIPRaw");
    strip->setGeometry(10, 306, 582, 410);
    const int panel = engine::adoptPanel(root, 0, MAINPANEL);
    root->show();
    for (int i = 0; i < 20; ++i) ProcessSystemEvents();

    // A video signal: noise with a peak, as the VIDEO pass delivers it.
    std::vector<double> x(128);
    std::vector<uint16_t> adc(128), thd(128, 128);
    std::srand(7);
    for (int i = 0; i < 128; ++i) {
        x[std::size_t(i)] = 1 + i * 32.0;
        adc[std::size_t(i)] = uint16_t(20 + std::rand() % 30 + (std::abs(i - 64) < 4 ? 200 : 0));
    }
    std::vector<double> history(700);
    for (int i = 0; i < 700; ++i) history[std::size_t(i)] = 1000 + std::rand() % 100;
    // What SetCtrlAttribute forwards (this panel is built without the loader).
    strip->setIntAttribute(ATTR_NUM_TRACES, 7);
    strip->setIntAttribute(ATTR_POINTS_PER_SCREEN, 101);

    const auto clearVideo = [&] {
        DeleteGraphPlot(panel, GRAPHVideoMaster, VAL_ALL_PLOTS, VAL_DELAYED_DRAW);
    };
    const auto clearBar = [&] { DeleteGraphPlot(panel, GRAPHBarMaster, VAL_ALL_PLOTS, VAL_DELAYED_DRAW); };

    const double plotXY = medianMicros(200, 64, [&] {
        PlotXY(panel, GRAPHVideoMaster, x.data(), adc.data(), 128, VAL_FAT_LINE, VAL_SIMPLE_DOT,
               VAL_SOLID, 1, VAL_RED);
    }, clearVideo);
    const double rect = medianMicros(200, 64, [&] {
        PlotRectangle(panel, GRAPHBarMaster, 1000, 0.25, 1040, 1.0, VAL_BLUE, VAL_LT_GRAY);
    }, clearBar);
    const double stripCall = medianMicros(200, 20, [&] {
        PlotStripChart(panel, STRIPRaw, history.data(), 700, 0, 0);
    });
    // A whole live-frame update of one bar graph: axis, delete, two cursors,
    // peak rectangle and tolerance window.
    const double barUpdate = medianMicros(200, 64, [&] {
        SetAxisScalingMode(panel, GRAPHBarMaster, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0, 4096);
        DeleteGraphPlot(panel, GRAPHBarMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
        SetGraphCursor(panel, GRAPHBarMaster, 1, 1020, 0.75);
        SetGraphCursor(panel, GRAPHBarMaster, 2, 1020, 0.75);
        PlotRectangle(panel, GRAPHBarMaster, 1000, 0.25, 1040, 1.0, VAL_BLUE, VAL_LT_GRAY);
        PlotRectangle(panel, GRAPHBarMaster, 412, 0.0, 612, 0.35, VAL_GREEN, VAL_GREEN);
    });

    // Real replots: the scenes as the program draws them, drawn and painted.
    SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1, 4096);
    int flip = 0;
    // One VIDEO pass: axes, delete all, video and threshold curves.
    const double videoReplot = medianMicros(60, 1, [&] {
        SetAxisScalingMode(panel, GRAPHVideoMaster, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 256 + (flip ^= 1));
        clearVideo();
        PlotXY(panel, GRAPHVideoMaster, x.data(), adc.data(), 128, VAL_FAT_LINE, VAL_SIMPLE_DOT,
               VAL_SOLID, 1, VAL_RED);
        PlotXY(panel, GRAPHVideoMaster, x.data(), thd.data(), 128, VAL_FAT_LINE, VAL_SIMPLE_DOT,
               VAL_SOLID, 1, VAL_DK_GREEN);
        video->flush();
        video->repaint();
    });
    const double barReplot = medianMicros(60, 1, [&] {
        SetAxisScalingMode(panel, GRAPHBarMaster, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0, 4096 + (flip ^= 1));
        DeleteGraphPlot(panel, GRAPHBarMaster, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
        PlotRectangle(panel, GRAPHBarMaster, 1000, 0.25, 1040, 1.0, VAL_BLUE, VAL_LT_GRAY);
        PlotRectangle(panel, GRAPHBarMaster, 412, 0.0, 612, 0.35, VAL_GREEN, VAL_GREEN);
        bar->flush();
        bar->repaint();
    });
    const double cursorReplot = medianMicros(60, 1, [&] {
        SetGraphCursor(panel, GRAPHBarMaster, 1, 1000 + (flip ^= 1), 0.75);
        bar->flush();
        bar->repaint();
    });
    for (int i = 0; i < 5; ++i) PlotStripChart(panel, STRIPRaw, history.data(), 700, 0, 0);
    const double stripReplot = medianMicros(60, 1, [&] {
        PlotStripChart(panel, STRIPRaw, history.data(), 700, 0, 0);
        strip->flush();
        strip->repaint();
    });

    if (TestStrip(panel, STRIPRaw)->traces.size() != 7 ||
        TestGraph(panel, GRAPHBarMaster)->plots.size() != 2) {
        std::fprintf(stderr, "benchmark set-up did not take effect\n");
        return 1;
    }
    std::printf("engine graph calls, median per call (drawing excluded)\n");
    std::printf("  PlotXY, 128 points (uint16 y)        %8.2f us\n", plotXY);
    std::printf("  PlotRectangle                         %8.2f us\n", rect);
    std::printf("  PlotStripChart, 700 values (7 x 100)  %8.2f us\n", stripCall);
    std::printf("  bar graph live update (6 calls)       %8.2f us\n", barUpdate);
    std::printf("real replot and paint, median\n");
    std::printf("  video graph 582x203, 2 x 128 fat      %8.1f us\n", videoReplot);
    std::printf("  bar graph 582x100, 2 rects, 2 cursors %8.1f us\n", barReplot);
    std::printf("  bar graph, cursor moved only          %8.1f us\n", cursorReplot);
    std::printf("  strip chart 582x410, 7 x 101 points   %8.1f us\n", stripReplot);

    engine::forgetPanel(panel);
    delete root;
    return 0;
}
