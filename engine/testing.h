// Test support, linked into tests and benchmarks only: act as a user through
// the path a real event takes, and read back what the engine keeps.
#pragma once

#include <string>

#include "engine/cvi.h"

// Runs events for `ms` milliseconds of wall time (a test waiting for the
// simulated pair or a notification).
void TestRunEvents(int ms);
// Runs events until pred() holds or `ms` pass; returns pred().
template <class Pred>
bool TestWaitFor(Pred pred, int ms) {
    const double end = Timer() + ms / 1000.0;
    while (!pred()) {
        if (Timer() > end) return pred();
        ProcessSystemEvents();
    }
    return true;
}
