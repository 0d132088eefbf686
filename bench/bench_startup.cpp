// Start-up exchange against the simulated pair paced at 19200 baud: echo,
// hardware, three RAM pages and firmware, with the five pauses of 0.1 s.
// Its floor is the line itself: 6 requests of 36 bytes, 5 frame replies of
// 36 bytes and the 72-byte firmware text, 468 bytes at 10 bits a byte, plus
// the pauses.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <climits>
#include <vector>
#include <algorithm>

#include "app/startup.h"
#include "engine/cvi.h"
#include "link/com232.h"
#include "app/initvars.h"
#include "params/record.h"
#include "params/vars.h"
#include "sim/sensor_pair.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!InitCVIRTE(argc, argv)) return 1;
    char exe[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir(exe, n > 0 ? static_cast<std::size_t>(n) : 0);
    dir = dir.substr(0, dir.rfind('/'));
    SetProjectDir(dir.c_str());
    if (!LoadPanels()) {
        std::fprintf(stderr, "cannot load the panels from %s\n", dir.c_str());
        return 1;
    }
    GetProjectDir(proj_dir);

    kvorsim::Options options;
    options.pacing = true;
    options.baud = 19200;
    kvorsim::SensorPair pair(options);
    if (!pair.start()) return 1;
    SetComPortPath(1, pair.devicePath());

    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const double lineBytes = 6 * 36 + 5 * 36 + 72;
    const double floor = lineBytes * 10 / 19200 + 5 * 0.1;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        InitVars();
        const double t0 = Timer();
        InitRS232(com);
        times.push_back(Timer() - t0);
        CloseCom(com);
        std::string status = szStatus;
        if (status.find("FIRMWARE") == std::string::npos) {
            std::fprintf(stderr, "start-up did not complete: \"%s\"\n", szStatus);
            return 1;
        }
    }
    pair.stop();
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("start-up exchange, paced pair at 19200 baud, %d runs\n", runs);
    std::printf("  line floor   %.3f s (%.0f bytes = %.3f s, + 5 x 0.1 s pauses)\n", floor, lineBytes,
                lineBytes * 10 / 19200);
    std::printf("  measured     min %.3f s  median %.3f s  max %.3f s\n", times.front(), median, times.back());
    std::printf("  median/floor %.3f  (overhead %.1f ms)\n", median / floor, (median - floor) * 1000);
    return 0;
}
