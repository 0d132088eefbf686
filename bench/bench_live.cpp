// RUN against the simulated pair, the program's own start-up and loop in
// this process. Prints figures; no assertions.
//
//   bench_live paced [seconds]    paced at 19200 baud, no turnaround: live
//                                 frames/s against the line limit and the
//                                 program's CPU per frame (run it under
//                                 xvfb-run for the real window)
//   bench_live unpaced [seconds]  no line delay, headless: the most frames/s
//                                 the loop sustains, and where the time goes
//   bench_live bare [seconds]     the same against a bare responder thread
//                                 that answers at once: the loop's own limit
//   bench_live screenshot PNG     a paced RUN of a few seconds, then the main
//                                 panel rendered into PNG
#include <QCoreApplication>
#include <QIODevice>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <climits>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include "acquire/live.h"
#include "app/startup.h"
#include "bench/support/engine_probe.h"
#include "engine/cvi.h"
#include "engine/testing.h"
#include "engine/testing_graph.h"
#include "link/com232.h"
#include "link/commands.h"
#include "link/paraframe.h"
#include "app/initvars.h"
#include "params/record.h"
#include "params/vars.h"
#include "plot/bargraph.h"
#include "plot/stripchart.h"
#include "sim/sensor_pair.h"

// After the control list: termios.h has a CTRL macro of its own.
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>

namespace {

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

// The loop's own turnaround, reply in to request out: PushRUN's steps for
// one frame in its order, with time stamps (the loop itself has none).
std::vector<double> g_rxToWrite;
double g_lastRx = 0;
void turnaroundRun(double seconds) {
    for (int ctrl : {STRIPRaw, GRAPHBarMaster, GRAPHBarSlave}) SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 1);
    for (int ctrl : {GRAPHVideoMaster, GRAPHDataNorm, GRAPHVideoSlave, GRAPHDataRaw})
        SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 0);
    const double end = Timer() + seconds;
    stop_flag = graph_flag = rx_flag = 0;
    PushGETRAW();
    double requestTime = Timer();
    while (Timer() < end && Timer() - requestTime < 2 * TIMEOUT) {
        if (graph_flag == 1) {
            CopyPPtoRAWVars();
            PlotVIDEOBarGraph();
            PlotRAWGraph();
            graph_flag = 0;
            FlushInQ(com);
            FlushOutQ(com);
        }
        if (rx_flag == 1) {
            FlushInQ(com);
            FlushOutQ(com);
            CopyVarsToPP(0);
            FillTxBuf(CMD_LIVE, 0, pp);
            rx_flag = 0;
            requestTime = Timer();
            ComWrt(com, szWriteBuf, FRAME_LEN);
            g_rxToWrite.push_back((Timer() - g_lastRx) * 1000);
        }
        ProcessSystemEvents();
    }
    std::vector<double>& v = g_rxToWrite;
    std::sort(v.begin(), v.end());
    if (!v.empty())
        std::printf("  program: notification -> next request written: median %.3f ms, p90 %.3f ms, "
                    "max %.3f ms (n=%zu)\n",
                    v[v.size() / 2], v[v.size() * 9 / 10], v.back(), v.size());
}

// CPU of the UI thread while the loop only waits (no reply due), per line
// time of one frame.
void waitCost(double seconds) {
    const double c0 = clockSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double end = Timer() + seconds;
    while (Timer() < end) ProcessSystemEvents();
    const double cpu = clockSeconds(CLOCK_THREAD_CPUTIME_ID) - c0;
    std::printf("  waiting in ProcessSystemEvents: %.1f %% of a core = %.3f ms per 37.5 ms frame\n",
                100 * cpu / seconds, cpu / seconds * 37.5);
}

// The receive notification, timed: when each frame reached the program.
std::vector<std::chrono::steady_clock::time_point> g_rxTimes;
void TimedReceive(int port, int events, void* data) {
    g_rxTimes.push_back(std::chrono::steady_clock::now());
    g_lastRx = Timer();
    RX_Receive_Function(port, events, data);
}

long long frames() { return TestStrip(pHandle, STRIPRaw)->pointsPlotted / STRIP_SAMPLES; }

// The program up to its event loop, against `pair` as COM1.
bool startProgram(kvorsim::SensorPair& pair) {
    SetProjectDir(binaryDir().c_str());
    SetComPortPath(1, pair.devicePath());
    if (!StartProgram()) return false;
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    TestRunEvents(200);
    return true;
}

struct RunFigures {
    long long frames = 0;
    double wall = 0, mainCpu = 0, processCpu = 0, mainUser = 0, mainSystem = 0;
    int barRepaints = 0, stripRepaints = 0;
};

// One RUN, stopped from the event loop after `seconds`.
RunFigures runFor(double seconds) {
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [] { stop_flag = 1; });
    RunFigures f;
    const long long f0 = frames();
    const int bar0 = TestGraphRepaints(pHandle, GRAPHBarMaster);
    const int strip0 = TestGraphRepaints(pHandle, STRIPRaw);
    const double w0 = Timer(), m0 = clockSeconds(CLOCK_THREAD_CPUTIME_ID),
                 p0 = clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    rusage r0{}, r1{};
    getrusage(RUSAGE_THREAD, &r0);
    stop.start(int(seconds * 1000));
    PushRUN();
    getrusage(RUSAGE_THREAD, &r1);
    const auto secs = [](const timeval& a, const timeval& b) {
        return double(b.tv_sec - a.tv_sec) + (b.tv_usec - a.tv_usec) / 1e6;
    };
    f.mainUser = secs(r0.ru_utime, r1.ru_utime);
    f.mainSystem = secs(r0.ru_stime, r1.ru_stime);
    f.wall = Timer() - w0;
    f.mainCpu = clockSeconds(CLOCK_THREAD_CPUTIME_ID) - m0;
    f.processCpu = clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - p0;
    f.frames = frames() - f0;
    f.barRepaints = TestGraphRepaints(pHandle, GRAPHBarMaster) - bar0;
    f.stripRepaints = TestGraphRepaints(pHandle, STRIPRaw) - strip0;
    return f;
}

void printRun(const char* what, const RunFigures& f) {
    const double fps = f.frames / f.wall;
    std::printf("%s: %lld frames in %.2f s = %.2f frames/s\n", what, f.frames, f.wall, fps);
    std::printf("  program (UI thread) CPU: %.3f ms per frame, %.1f %% of a core\n",
                f.mainCpu * 1000 / f.frames, 100 * f.mainCpu / f.wall);
    std::printf("    of which user %.3f ms, kernel %.3f ms per frame\n", f.mainUser * 1000 / f.frames,
                f.mainSystem * 1000 / f.frames);
    std::printf("  whole process (with the pair's thread): %.3f ms per frame\n",
                f.processCpu * 1000 / f.frames);
    std::printf("  repaints: bar graph %.1f /s, strip chart %.1f /s (%s platform)\n",
                f.barRepaints / f.wall, f.stripRepaints / f.wall, std::getenv("QT_QPA_PLATFORM"));
    std::printf("  final status: \"%s\"\n", szStatus[0] ? szStatus : "");
}

// Cost of turning one decoded frame into the displays' data, without the
// line and without events (nothing is painted).
double drawCostMicroseconds(int count) {
    const double t0 = Timer();
    for (int i = 0; i < count; ++i) {
        pp[0] = uint16_t(1000 + i % 50);
        pp[1] = uint16_t(2000 - i % 40);
        pp[2] = uint16_t(1000 + i % 60);
        CopyPPtoRAWVars();
        PlotVIDEOBarGraph();
        PlotRAWGraph();
    }
    return (Timer() - t0) * 1e6 / count;
}

// PushGETRAW's steps timed one by one, to say where an exchange goes.
void exchangeBreakdown(int count) {
    double flushIn = 0, flushOut = 0, write = 0, wait = 0;
    for (int i = 0; i < count; ++i) {
        const double t0 = Timer();
        FlushInQ(com);
        const double t1 = Timer();
        FlushOutQ(com);
        const double t2 = Timer();
        FillTxBuf(8, 0, pp);
        ComWrt(com, szWriteBuf, 36);
        const double t3 = Timer();
        graph_flag = 0;
        while (graph_flag == 0 && Timer() - t3 < TIMEOUT) ProcessSystemEvents();
        const double t4 = Timer();
        flushIn += t1 - t0;
        flushOut += t2 - t1;
        write += t3 - t2;
        wait += t4 - t3;
    }
    const double k = 1e6 / count;
    std::printf("  one exchange: FlushInQ %.1f us, FlushOutQ %.1f us, ComWrt %.1f us, "
                "reply wait %.1f us\n",
                flushIn * k, flushOut * k, write * k, wait * k);
}

double exchangeOnlyMicroseconds(int count) {
    // The loop's request and wait without the drawing: PushGETRAW.
    const double t0 = Timer();
    int ok = 0;
    for (int i = 0; i < count; ++i) ok += PushGETRAW();
    const double us = (Timer() - t0) * 1e6 / count;
    if (ok != count) std::printf("  (%d of %d exchanges failed)\n", count - ok, count);
    return us;
}

// Where a frame's CPU goes with the window on screen: the program's own
// calls, the graphs' replots, and the widget paint and flush to the display
// server. Every frame is drawn here (no coalescing), as at the line rate.
// Kept a function of its own so callgrind can count it alone
// (--toggle-collect='*drawBreakdown*').
[[gnu::noinline]] void drawBreakdown(int count) {
    double program = 0, bars = 0, strip = 0, widgets = 0;
    for (int i = 0; i < count; ++i) {
        pp[0] = uint16_t(1000 + i % 50);
        pp[1] = uint16_t(2000 - i % 40);
        pp[2] = uint16_t(1000 + i % 60);
        const double c0 = clockSeconds(CLOCK_THREAD_CPUTIME_ID);
        CopyPPtoRAWVars();
        PlotVIDEOBarGraph();
        PlotRAWGraph();
        const double c1 = clockSeconds(CLOCK_THREAD_CPUTIME_ID);
        benchprobe::GraphFlush(pHandle, GRAPHBarMaster);
        benchprobe::GraphFlush(pHandle, GRAPHBarSlave);
        const double c2 = clockSeconds(CLOCK_THREAD_CPUTIME_ID);
        benchprobe::GraphFlush(pHandle, STRIPRaw);
        const double c3 = clockSeconds(CLOCK_THREAD_CPUTIME_ID);
        TestFlushRepaints();
        QCoreApplication::processEvents();
        const double c4 = clockSeconds(CLOCK_THREAD_CPUTIME_ID);
        program += c1 - c0;
        bars += c2 - c1;
        strip += c3 - c2;
        widgets += c4 - c3;
    }
    const double k = 1000.0 / count;
    std::printf("  one drawn frame, CPU: program calls %.3f ms, bar graph replots %.3f ms, "
                "strip chart replot %.3f ms, widget paint and flush %.3f ms; total %.3f ms\n",
                program * k, bars * k, strip * k, widgets * k, (program + bars + strip + widgets) * k);
}

// From the pair's records: the last byte of each live reply on the line to
// the last byte of the next request, less that request's own 36 bytes at 10
// bits each; and, of that, reply to the program's notification.
void printTurnaround(const kvorsim::SensorPair& pair) {
    const auto req = pair.requests();
    const auto rep = pair.replies();
    std::vector<double> gaps;
    for (const auto& r : rep) {
        if (r.command != 8) continue;
        auto next = std::find_if(req.begin(), req.end(), [&](const kvorsim::RequestRecord& q) {
            return q.command == 8 && q.time > r.time;
        });
        if (next == req.end()) continue;
        gaps.push_back(std::chrono::duration<double, std::milli>(next->time - r.time).count() -
                       36 * 10 * 1000.0 / 19200);
    }
    // Of that, the way in: reply's last byte -> the program's notification.
    std::vector<double> in;
    for (const auto& r : rep) {
        auto at = std::lower_bound(g_rxTimes.begin(), g_rxTimes.end(), r.time);
        if (at != g_rxTimes.end())
            in.push_back(std::chrono::duration<double, std::milli>(*at - r.time).count());
    }
    if (!in.empty()) {
        std::sort(in.begin(), in.end());
        std::printf("  reply's last byte -> notification: median %.3f ms, p90 %.3f ms\n",
                    in[in.size() / 2], in[in.size() * 9 / 10]);
    }
    if (!gaps.empty()) {
        std::sort(gaps.begin(), gaps.end());
        double sum = 0;
        for (double g : gaps) sum += g;
        std::printf("  turnaround reply -> next request: median %.3f ms, mean %.3f ms, p90 %.3f ms, "
                    "max %.3f ms (n=%zu)\n",
                    gaps[gaps.size() / 2], sum / gaps.size(), gaps[gaps.size() * 9 / 10], gaps.back(),
                    gaps.size());
    }
    g_rxTimes.clear();
}

int paced(double seconds) {
    kvorsim::Options o;
    o.pacing = true;
    o.baud = 19200;
    o.turnaround = std::chrono::microseconds(0);
    kvorsim::SensorPair pair(o);
    if (!pair.start()) return std::fprintf(stderr, "pair: %s\n", pair.lastError().c_str()), 1;
    if (!startProgram(pair)) return 1;
    const double limit = 19200.0 / 10 / 72;
    InstallComCallback(com, eventMask, FRAME_LEN, NOTIFY_EVENT_CHAR, TimedReceive, nullptr);
    pair.clearRecords();
    g_rxTimes.clear();
    // The reply comes in slices, as from a UART: each is a wake-up of the
    // UI thread.
    long long chunks = 0;
    QMetaObject::Connection counting;
    if (auto* port = qobject_cast<QIODevice*>(TestSerialPortObject(com)))
        counting = QObject::connect(port, &QIODevice::readyRead, [&chunks] { ++chunks; });
    const RunFigures f = runFor(seconds);
    printRun("paced RUN", f);
    QObject::disconnect(counting);
    std::printf("  serial chunks received: %.1f per frame\n", double(chunks) / f.frames);
    std::printf("  line limit %.2f frames/s: ratio %.3f\n", limit, f.frames / f.wall / limit);
    printTurnaround(pair);
    drawBreakdown(300);
    waitCost(3.0);
    pair.clearRecords();
    g_rxTimes.clear();
    turnaroundRun(8.0);
    printTurnaround(pair);
    CloseCom(com);
    pair.stop();
    return 0;
}

int unpaced(double seconds) {
    kvorsim::Options o;
    o.pacing = false;
    kvorsim::SensorPair pair(o);
    if (!pair.start()) return std::fprintf(stderr, "pair: %s\n", pair.lastError().c_str()), 1;
    if (!startProgram(pair)) return 1;
    const RunFigures f = runFor(seconds);
    printRun("unpaced RUN", f);
    const double frameUs = f.wall * 1e6 / f.frames;
    const double drawUs = drawCostMicroseconds(20000);
    const double exchangeUs = exchangeOnlyMicroseconds(20000);
    std::printf("  per frame %.1f us: decode+draw into the graphs' data %.1f us, "
                "request/reply over the pty %.1f us (PushGETRAW alone), rest %.1f us\n",
                frameUs, drawUs, exchangeUs, frameUs - drawUs - exchangeUs);
    exchangeBreakdown(20000);
    CloseCom(com);
    pair.stop();
    return 0;
}

// The far end at its cheapest: a thread on a pty that answers every
// 36-byte request at once with a live frame, so the loop's own limit shows
// rather than the simulated pair's model.
class BareResponder {
public:
    bool start() {
        if (::openpty(&master_, &slave_, name_, nullptr, nullptr) != 0) return false;
        termios tio{};
        ::tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        thread_ = std::thread([this] { run(); });
        return true;
    }
    void stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(master_);
        ::close(slave_);
    }
    std::string path() const { return name_; }

private:
    void run() {
        uint8_t in[256];
        std::size_t have = 0;
        uint16_t n = 0;
        while (!done_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const ssize_t got = ::read(master_, in + have, sizeof in - have);
            if (got <= 0) continue;
            have += std::size_t(got);
            while (have >= FRAME_LEN) {
                uint8_t out[FRAME_LEN] = {0x00, 0xAA, in[2], in[3]};
                ++n;
                const uint16_t words[16] = {uint16_t(1000 + n % 50), uint16_t(2000 - n % 40),
                                            uint16_t(1000 + n % 60), 0, 0, 7, 2, 2, 40, 40,
                                            1100, 900, 1000, 2000, n, 0};
                for (int i = 0; i < 16; ++i) {
                    out[4 + 2 * i] = uint8_t(words[i] >> 8);
                    out[5 + 2 * i] = uint8_t(words[i]);
                }
                [[maybe_unused]] ssize_t w = ::write(master_, out, sizeof out);
                have -= FRAME_LEN;
                std::memmove(in, in + FRAME_LEN, have);
            }
        }
    }
    int master_ = -1, slave_ = -1;
    char name_[256] = {};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

int unpacedBare(double seconds) {
    BareResponder far;
    if (!far.start()) return std::fprintf(stderr, "openpty failed\n"), 1;
    SetProjectDir(binaryDir().c_str());
    SetComPortPath(1, far.path());
    if (!LoadPanels()) return 1;
    GetProjectDir(proj_dir);
    InitVars();
    InitGUI();
    DisplayPanel(pHandle);
    SetCtrlVal(pHandle, SWITCHRawEval, 1);
    // The port as the start-up opens it, without its exchanges.
    if (OpenComConfig(com, "", 19200, 0, 8, 1, 4096, 4096) < 0) return 1;
    SetComTime(com, TIMEOUT);
    SetCTSMode(com, 0);
    InstallComCallback(com, eventMask, FRAME_LEN, NOTIFY_EVENT_CHAR, RX_Receive_Function, nullptr);
    TestRunEvents(100);
    const RunFigures f = runFor(seconds);
    printRun("unpaced RUN, bare responder", f);
    exchangeBreakdown(20000);
    CloseCom(com);
    far.stop();
    return 0;
}

int screenshot(const char* png) {
    kvorsim::Options o;
    o.pacing = true;
    kvorsim::SensorPair pair(o);
    if (!pair.start()) return std::fprintf(stderr, "pair: %s\n", pair.lastError().c_str()), 1;
    if (!startProgram(pair)) return 1;
    SetCtrlVal(pHandle, TOGBTN_Zoom, 0);
    runFor(6.0);  // the strip chart fills with 100+ samples
    TestFlushRepaints();
    TestRunEvents(200);
    const bool ok = TestGrabPanel(pHandle, png);
    std::printf("%s: %s\n", png, ok ? "written" : "FAILED");
    CloseCom(com);
    pair.stop();
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "unpaced";
    if (mode != "paced") setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!InitCVIRTE(argc, argv)) return 1;
    if (mode == "paced") return paced(argc > 2 ? std::atof(argv[2]) : 20.0);
    if (mode == "unpaced") return unpaced(argc > 2 ? std::atof(argv[2]) : 5.0);
    if (mode == "bare") return unpacedBare(argc > 2 ? std::atof(argv[2]) : 5.0);
    if (mode == "screenshot" && argc > 2) return screenshot(argv[2]);
    std::fprintf(stderr, "usage: %s paced [s] | unpaced [s] | bare [s] | screenshot PNG\n", argv[0]);
    return 2;
}
