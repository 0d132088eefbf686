// Round trip of a paced live request over the simulated pair's pty, against
// the line time of 36 + 36 bytes at 19200 baud (10 bits a byte): 37.5 ms.
// Also the unpaced rate and the CPU the pair spends per exchange.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <vector>

#include "sim/sensor_pair.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

int openRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// One live request (command 8) and its 36-byte reply; false when it timed out.
bool exchange(int fd) {
    uint8_t rq[36] = {0x00, 0x55, 0x00, 0x08};
    if (::write(fd, rq, sizeof rq) != ssize_t(sizeof rq)) return false;
    uint8_t buf[64];
    std::size_t got = 0;
    while (got < 36) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1500) <= 0) return false;
        const ssize_t n = ::read(fd, buf, sizeof buf - got);
        if (n <= 0) return false;
        got += std::size_t(n);
    }
    return true;
}

struct Run {
    std::vector<double> ms;
    double cpuPerExchangeMs = 0;
    int failed = 0;
};

Run measure(bool paced, std::chrono::microseconds turnaround, int count) {
    kvorsim::Options o;
    o.pacing = paced;
    o.turnaround = turnaround;
    kvorsim::SensorPair pair(o);
    Run run;
    if (!pair.start()) {
        std::fprintf(stderr, "cannot start the pair: %s\n", pair.lastError().c_str());
        run.failed = count;
        return run;
    }
    const int fd = openRaw(pair.devicePath());
    exchange(fd);  // warm-up
    const double cpu0 = cpuSeconds();
    for (int i = 0; i < count; ++i) {
        const auto t0 = Clock::now();
        if (!exchange(fd)) ++run.failed;
        run.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    run.cpuPerExchangeMs = (cpuSeconds() - cpu0) * 1000 / count;
    ::close(fd);
    pair.stop();
    std::sort(run.ms.begin(), run.ms.end());
    return run;
}

void report(const char* name, const Run& r, double lineMs) {
    const double mean = std::accumulate(r.ms.begin(), r.ms.end(), 0.0) / double(r.ms.size());
    const double median = r.ms[r.ms.size() / 2];
    std::printf("%-28s n=%zu median %.2f ms  mean %.2f  min %.2f  max %.2f", name, r.ms.size(), median, mean,
                r.ms.front(), r.ms.back());
    if (lineMs > 0) std::printf("  median/line %.3f", median / lineMs);
    std::printf("  cpu/exchange %.3f ms  failed %d\n", r.cpuPerExchangeMs, r.failed);
}

}  // namespace

int main() {
    const double lineMs = 72 * 10 * 1000.0 / 19200;  // 37.5
    std::printf("line time of a live exchange at 19200 baud: %.2f ms\n", lineMs);
    report("paced, turnaround 0", measure(true, std::chrono::microseconds(0), 100), lineMs);
    report("paced, turnaround 2 ms", measure(true, std::chrono::microseconds(2000), 50), lineMs + 2);
    const Run fast = measure(false, std::chrono::microseconds(0), 2000);
    report("unpaced", fast, 0);
    const double mean = std::accumulate(fast.ms.begin(), fast.ms.end(), 0.0) / double(fast.ms.size());
    std::printf("unpaced rate: %.0f exchanges/s\n", 1000.0 / mean);
    return 0;
}
