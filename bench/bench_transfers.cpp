// VIDEO and DATA against the simulated pair paced at 19200 baud, the
// program's own start-up and transfers in this process. Prints figures; no
// assertions. Run it under xvfb-run for the real window.
//
//   bench_transfers [seconds]      VIDEO for that long (default 20), then
//                                  DATA ten times in each view
//   bench_transfers screenshots DIR  video.png, data-raw.png and
//                                  data-norm.png of the main panel in DIR
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

#include "acquire/transfers.h"
#include "app/startup.h"
#include "bench/support/engine_probe.h"
#include "engine/cvi.h"
#include "engine/testing.h"
#include "engine/testing_graph.h"
#include "params/vars.h"
#include "plot/datacurves.h"
#include "sim/sensor_pair.h"

namespace {

constexpr double kByteTime = 10.0 / 19200;
constexpr double kLiveExchange = 72 * kByteTime;
constexpr double kBlockExchange = (36 + 128) * kByteTime;

double clockSeconds(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

std::string binaryDir() {
    char buf[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path(buf, n > 0 ? std::size_t(n) : 0);
    return path.substr(0, path.rfind('/'));
}

bool startProgram(kvorsim::SensorPair& pair) {
    SetProjectDir(binaryDir().c_str());
    SetComPortPath(1, pair.devicePath());
    if (!StartProgram()) return false;
    TestRunEvents(200);
    return true;
}

// Time between a reply's last byte and the next request's last byte, less
// the request's own line time: what the far end waited for the program
// (and, on this machine, for the program's thread to be woken).
void printGaps(const kvorsim::SensorPair& pair) {
    using ms = std::chrono::duration<double, std::milli>;
    const auto rq = pair.requests();
    const auto rp = pair.replies();
    std::vector<double> gaps;
    for (std::size_t i = 0; i + 1 < rq.size() && i < rp.size(); ++i)
        gaps.push_back(ms(rq[i + 1].time - rp[i].time).count() - 36 * kByteTime * 1000);
    if (gaps.empty()) return;
    std::sort(gaps.begin(), gaps.end());
    std::printf("  reply -> next request: median %.2f ms, p90 %.2f ms, max %.2f ms (n=%zu)\n", gaps[gaps.size() / 2],
                gaps[gaps.size() * 9 / 10], gaps.back(), gaps.size());
}

// VIDEO for `seconds`, stopped from the event loop as STOP would.
void video(kvorsim::SensorPair& pair, double seconds) {
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [] { stop_flag = 1; });
    pair.clearRecords();
    const int repaints0 = TestGraphRepaints(pHandle, GRAPHVideoMaster);
    const double w0 = Timer(), c0 = clockSeconds(CLOCK_THREAD_CPUTIME_ID), p0 = clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    stop.start(int(seconds * 1000));
    PushVIDEO();
    const double wall = Timer() - w0, cpu = clockSeconds(CLOCK_THREAD_CPUTIME_ID) - c0,
                 processCpu = clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - p0;
    const auto c = pair.counters();
    const double passes = double(c.byCommand.count(8) ? c.byCommand.at(8) : 0);
    const double blocks = double(c.byCommand.count(9) ? c.byCommand.at(9) : 0);
    const double line = kLiveExchange + 4 * kBlockExchange;
    std::printf("VIDEO: %.0f passes (%.0f blocks) in %.2f s: %.1f ms a pass, line time %.1f ms, ratio %.3f\n",
                passes, blocks, wall, wall / passes * 1000, line * 1000, wall / passes / line);
    std::printf("  video graph refreshes: %.2f /s (%d replots of GRAPHVideoMaster)\n",
                (TestGraphRepaints(pHandle, GRAPHVideoMaster) - repaints0) / wall,
                TestGraphRepaints(pHandle, GRAPHVideoMaster) - repaints0);
    std::printf("  program (UI thread) CPU: %.2f ms a pass (%.1f %% of a core); whole process %.2f ms a pass\n",
                cpu / passes * 1000, 100 * cpu / wall, processCpu / passes * 1000);
    std::printf("  final status: \"%s\" (%s platform)\n", szStatus, std::getenv("QT_QPA_PLATFORM"));
    printGaps(pair);
}

// DATA `count` times in `view`; each fetch is one live exchange and four or
// eight blocks.
void data(kvorsim::SensorPair& pair, int view, int count) {
    SetCtrlVal(pHandle, SWITCHDataView, view);
    const double line = kLiveExchange + (view ? 4 : 8) * kBlockExchange;
    pair.clearRecords();
    std::vector<double> t;
    for (int i = 0; i < count; ++i) {
        const double t0 = Timer();
        PushDATA();
        t.push_back(Timer() - t0);
    }
    std::sort(t.begin(), t.end());
    std::printf("DATA, %s view: median %.1f ms (min %.1f, max %.1f, n=%d), line time %.1f ms, ratio %.3f\n",
                view ? "normalised" : "raw", t[t.size() / 2] * 1000, t.front() * 1000, t.back() * 1000, count,
                line * 1000, t[t.size() / 2] / line);
    printGaps(pair);
}

// CPU of one drawing of each data view, painted and flushed.
void drawingCost() {
    for (int graph : {GRAPHDataRaw, GRAPHDataNorm}) {
        const double c0 = clockSeconds(CLOCK_THREAD_CPUTIME_ID);
        for (int i = 0; i < 20; ++i) {
            if (graph == GRAPHDataNorm)
                PlotDATACurveNORM(mvalBUFAB, xArrayMVAL);
            else
                PlotDATACurveRAW(mvalBUFA, mvalBUFB, xArrayMVAL);
            benchprobe::GraphFlush(pHandle, graph);
            TestFlushRepaints();
            QCoreApplication::processEvents();
        }
        std::printf("one %s drawing: %.2f ms CPU\n", graph == GRAPHDataNorm ? "normalised" : "raw",
                    (clockSeconds(CLOCK_THREAD_CPUTIME_ID) - c0) / 20 * 1000);
    }
}

bool grab(const std::string& dir, const char* name) {
    TestFlushRepaints();
    TestRunEvents(200);
    const std::string png = dir + "/" + name;
    const bool ok = TestGrabPanel(pHandle, png);
    std::printf("%s: %s\n", png.c_str(), ok ? "written" : "FAILED");
    return ok;
}

int screenshots(const std::string& dir) {
    kvorsim::SensorPair pair(kvorsim::Options{});
    if (!pair.start()) return std::fprintf(stderr, "pair: %s\n", pair.lastError().c_str()), 1;
    if (!startProgram(pair)) return 1;
    // VIDEO as it runs, then STOP as the user presses it.
    bool ok = true;
    QTimer::singleShot(2000, [&] {
        ok = grab(dir, "video.png");
        TestPress(pHandle, BTNStop);
        TestRelease(pHandle, BTNStop);
    });
    TestClick(pHandle, BTNVideo);
    SetCtrlVal(pHandle, SWITCHDataView, 0);
    TestClick(pHandle, BTNData);
    ok &= grab(dir, "data-raw.png");
    TestClick(pHandle, ButtonTeach);  // the band around where the line is now
    SetCtrlVal(pHandle, SWITCHDataView, 1);
    TestClick(pHandle, BTNData);
    ok &= grab(dir, "data-norm.png");
    CloseCom(com);
    pair.stop();
    return ok ? 0 : 1;
}

int measure(double seconds) {
    kvorsim::Options o;
    o.pacing = true;
    o.baud = 19200;
    kvorsim::SensorPair pair(o);
    if (!pair.start()) return std::fprintf(stderr, "pair: %s\n", pair.lastError().c_str()), 1;
    if (!startProgram(pair)) return 1;
    video(pair, seconds);
    data(pair, 0, 10);
    data(pair, 1, 10);
    drawingCost();
    CloseCom(com);
    pair.stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!InitCVIRTE(argc, argv)) return 1;
    if (mode == "screenshots" && argc > 2) return screenshots(argv[2]);
    if (mode.empty() || std::atof(mode.c_str()) > 0) return measure(mode.empty() ? 20.0 : std::atof(mode.c_str()));
    std::fprintf(stderr, "usage: %s [seconds] | screenshots DIR\n", argv[0]);
    return 2;
}
