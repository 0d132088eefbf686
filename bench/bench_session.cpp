// A whole user session against the paced simulated pair, as a technician
// goes through it: start-up, GET and SEND (RAM), SEND to a parameter file
// and GET from it, RUN with TEACH and RESET pressed during the run, STOP.
// Prints every request the pair received, byte for byte, in order (runs of
// identical live requests folded into one line with their count, since how
// many fit between two presses depends on timing), then the file written and
// the session's time. Two builds that behave alike print the same requests.
//
//   bench_session OUTDIR      the parameter file and pictures of the main
//                             and the calibration panel go into OUTDIR
#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.h"
#include "engine/cvi.h"
#include "engine/testing.h"
#include "engine/testing_io.h"
#include "params/vars.h"
#include "sim/sensor_pair.h"
#include "tests/support/live_script.h"

#include <climits>
#include <unistd.h>

namespace {

std::string binaryDir() {
    char buf[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path(buf, n > 0 ? std::size_t(n) : 0);
    return path.substr(0, path.rfind('/'));
}

std::string hex(const std::array<uint8_t, 36>& bytes) {
    std::string s;
    char b[4];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02x", v);
        s += b;
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_session OUTDIR\n");
        return 2;
    }
    const std::string out = argv[1];
    if (!InitCVIRTE(argc, argv)) return 1;
    SetProjectDir(binaryDir().c_str());

    kvorsim::Options o;
    o.pacing = true;
    kvorsim::SensorPair pair(o);
    // Fixed positions: the teach takes them, and the pages read back after
    // it carry them.
    kvorsim::LiveOverrides live;
    live.positionA = 1500;
    live.positionB = 2500;
    pair.setOverrides(live);
    if (!pair.start()) {
        std::fprintf(stderr, "pair: %s\n", pair.lastError().c_str());
        return 1;
    }
    SetComPortPath(1, pair.devicePath());

    const double t0 = Timer();
    if (!StartProgram()) return 1;
    TestClick(pHandle, BTNGet);
    TestClick(pHandle, BTNSend);

    const std::string file = out + "/session.cfg";
    std::remove(file.c_str());
    TestClick(pHandle, RBTFile);
    TestQueueFileSelect(file);
    TestClick(pHandle, BTNSend);
    TestQueueFileSelect(file);
    TestClick(pHandle, BTNGet);
    TestClick(pHandle, RBTRam);

    auto lives = [&] {
        std::size_t n = 0;
        for (const auto& r : pair.requests()) n += r.command == 8;
        return n;
    };
    std::size_t mark = 0;
    LiveScript script(60.0);
    script.when("5 live frames", [&] { return lives() >= 5; },
                [&] { TestClick(pHandle, ButtonTeach); mark = lives(); })
        .when("5 more", [&] { return lives() >= mark + 5; },
              [&] { TestClick(pHandle, ButtonReset); mark = lives(); })
        .when("5 more again", [&] { return lives() >= mark + 5; },
              [&] { TestPress(pHandle, BTNStop); TestRelease(pHandle, BTNStop); });
    TestClick(pHandle, BTNRun);
    const double seconds = Timer() - t0;
    TestRunEvents(200);
    TestGrabPanel(pHandle, out + "/session-main.png");
    HidePanel(pPara0);
    DisplayPanel(pCalib);
    TestRunEvents(100);
    TestGrabPanel(pHandle, out + "/calibration-panel.png");
    if (!script.finished()) std::printf("script stopped at: %s\n", script.pending().c_str());

    std::string last;
    int repeat = 0;
    auto flush = [&] {
        if (repeat > 0) std::printf("%s%s\n", last.c_str(), repeat > 1 ? "  (live, repeated)" : "");
        repeat = 0;
    };
    for (const auto& r : pair.requests()) {
        const std::string line = hex(r.bytes);
        if (r.command == 8 && line == last) {
            ++repeat;
            continue;
        }
        flush();
        last = line;
        repeat = 1;
    }
    flush();
    std::printf("status: %s\n", szStatus);
    if (FILE* f = std::fopen(file.c_str(), "rb")) {
        char buf[4096];
        const std::size_t n = std::fread(buf, 1, sizeof buf, f);
        std::fclose(f);
        std::printf("file: %zu bytes\n%.*s", n, static_cast<int>(n), buf);
    }
    std::fprintf(stderr, "session: %.2f s\n", seconds);

    ShutDownProgram();
    pair.stop();
    return 0;
}
