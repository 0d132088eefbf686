// Tolerance window edges for every evaluation mode.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "app/initvars.h"
#include "params/record.h"
#include "params/live.h"
#include "params/vars.h"
#include "plot/tolwindow.h"

namespace {

using Edges = std::optional<std::pair<int, int>>;  // none: not drawn

Edges EdgesOf(const TolWindow& w) { return w.drawn ? Edges{{w.lower, w.upper}} : std::nullopt; }

TEST(TolWindowRules, EdgesPerModeAndSituation) {
    const struct {
        const char* what;
        uint16_t mode, teachA, teachB, up, lo, edgesA, a, b;
        Edges master, slave;
    } cases[] = {
        {"mode 1: MASTER only", 1, 512, 2000, 100, 100, 1, 0, 0, {{412, 612}}, {}},
        {"mode 0: SLAVE only", 0, 512, 2000, 100, 100, 1, 0, 0, {}, {{1900, 2100}}},
        {"-50 becomes 1", 1, 50, 0, 100, 100, 1, 0, 0, {{1, 150}}, {}},
        {"0 stays 0", 1, 50, 0, 100, 50, 1, 0, 0, {{0, 150}}, {}},
        {"4095 stays", 1, 3995, 0, 100, 50, 1, 0, 0, {{3945, 4095}}, {}},
        {"4096 stays", 1, 3996, 0, 100, 50, 1, 0, 0, {{3946, 4096}}, {}},
        {"4190 becomes 4096", 1, 4090, 0, 100, 50, 1, 0, 0, {{4040, 4096}}, {}},
        // Mode 2 follows the positions shifted by half their difference D.
        {"D = 10, h = 5", 2, 1000, 1000, 100, 100, 3, 990, 1000, {{945, 1045}}, {{955, 1055}}},
        {"D = -3, h = -1", 2, 1000, 1000, 100, 100, 3, 1001, 1002, {{950, 1050}}, {{951, 1051}}},
        {"halves truncate", 2, 1000, 1000, 99, 101, 3, 1000, 1000, {{950, 1049}}, {{950, 1049}}},
        {"no edges: teach values", 2, 700, 1700, 100, 100, 0, 3000, 10, {{650, 750}}, {{1650, 1750}}},
        // Modes 3 and 4 mark the deviation from 1, unclamped.
        {"mode 3", 3, 0, 0, 40, 30, 1, 0, 0, {{1, 40}}, {{1, 30}}},
        {"mode 4", 4, 0, 0, 40, 30, 1, 0, 0, {{1, 40}}, {{1, 30}}},
        {"mode 3, no band", 3, 0, 0, 0, 30, 1, 0, 0, {{1, 0}}, {{1, 30}}},
        {"mode 4, beyond the line", 4, 0, 0, 6000, 30, 1, 0, 0, {{1, 6000}}, {{1, 30}}},
        {"unknown mode", 5, 1000, 1000, 100, 100, 1, 100, 100, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DefaultParameters();
        ccdvirtpixel = 4096;
        parameter.teachA = c.teachA;
        parameter.teachB = c.teachB;
        tolup = c.up;
        tollo = c.lo;
        live.edcntA = c.edgesA;
        live.edcntB = 2;
        const TolWindows w = ComputeTOLWindows(c.mode, c.a, c.b);
        EXPECT_EQ(EdgesOf(w.master), c.master);
        EXPECT_EQ(EdgesOf(w.slave), c.slave);
    }
}

}  // namespace
