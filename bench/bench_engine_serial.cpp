// Serial notification latency and the CPU cost of a waiting loop.
//  - latency: another thread writes 36 bytes on a pty master; measured to the
//    moment the receive notification runs on the UI thread, which meanwhile
//    waits in a ProcessSystemEvents loop as the program's reply wait does.
//  - idle cost: CPU time of a loop that waits 2 s on ProcessSystemEvents.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "engine/cvi.h"
#include "tests/support/pty.h"

namespace {

std::atomic<double> g_sentAt{0.0};
double g_receivedAt = 0.0;
int g_calls = 0;

void onReceive(int port, int mask, void*) {
    if (!(mask & LWRS_RECEIVE)) return;
    g_receivedAt = Timer();
    char buf[36];
    ComRd(port, buf, 36);
    FlushInQ(port);
    ++g_calls;
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * (v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    if (!InitCVIRTE(argc, argv)) return 1;
    testsupport::Pty pty;
    if (!pty.ok()) return 1;
    constexpr int kPort = 9;
    SetComPortPath(kPort, pty.path());
    if (OpenComConfig(kPort, "", 19200, 0, 8, 1, 4096, 4096) < 0) return 1;
    SetComTime(kPort, 1.5);
    InstallComCallback(kPort, 0x8006, 36, 0x55, onReceive, nullptr);

    constexpr int kFrames = 300;
    std::atomic<int> go{0};
    std::thread writer([&] {
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> pause(1000, 3000);
        const std::string frame(36, '\x5A');
        for (int i = 0; i < kFrames; ++i) {
            while (go.load() <= i) usleep(100);
            usleep(pause(rng));
            g_sentAt = Timer();
            pty.send(frame);
        }
    });
    std::vector<double> latency;
    for (int i = 0; i < kFrames; ++i) {
        const int before = g_calls;
        go = i + 1;
        const double give_up = Timer() + 2.0;
        while (g_calls == before && Timer() < give_up) ProcessSystemEvents();
        if (g_calls == before) {
            std::printf("frame %d: no notification\n", i);
            continue;
        }
        latency.push_back((g_receivedAt - g_sentAt.load()) * 1e6);
    }
    writer.join();
    if (!latency.empty())
        std::printf("notification latency over %zu frames: median %.0f us, p90 %.0f us, max %.0f us (target < 2000 us)\n",
                    latency.size(), percentile(latency, 0.5), percentile(latency, 0.9), percentile(latency, 1.0));

    const double cpu0 = cpuSeconds();
    const double t0 = Timer();
    while (Timer() - t0 < 2.0) ProcessSystemEvents();
    const double cpu = cpuSeconds() - cpu0;
    const double wall = Timer() - t0;
    std::printf("waiting loop: %.3f s CPU in %.3f s = %.1f %% of one core (target < 5 %%)\n", cpu, wall,
                100.0 * cpu / wall);

    CloseCom(kPort);
    SetComPortPath(kPort, "");
    return 0;
}
