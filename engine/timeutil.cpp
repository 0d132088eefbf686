// Time and text helpers.
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <thread>

#include "engine/cvi.h"
#include "engine/internal.h"

namespace {
const auto g_start = std::chrono::steady_clock::now();
std::time_t g_fixedWallClock = 0;  // 0: the real one

std::tm localNow() {
    const std::time_t t = g_fixedWallClock ? g_fixedWallClock : std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}
}  // namespace

namespace engine {
void setWallClock(std::time_t t) { g_fixedWallClock = t; }
}  // namespace engine

double Timer() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
}

void Delay(double seconds) {
    if (!(seconds > 0)) return;  // also NaN
    if (seconds > 1e6) seconds = 1e6;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The texts live in per-thread buffers, valid until the next call, as the
// program expects of these calls.
const char* DateStr() {
    thread_local char buf[16];
    const std::tm tm = localNow();
    std::strftime(buf, sizeof buf, "%m-%d-%Y", &tm);
    return buf;
}

const char* TimeStr() {
    thread_local char buf[16];
    const std::tm tm = localNow();
    std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
    return buf;
}

int StringLength(const char* text) { return text ? static_cast<int>(std::strlen(text)) : 0; }
