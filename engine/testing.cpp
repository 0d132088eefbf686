#include "engine/testing.h"

void TestRunEvents(int ms) {
    const double end = Timer() + ms / 1000.0;
    while (Timer() < end) ProcessSystemEvents();
}
