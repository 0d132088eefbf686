// Tolerance window.
#include "plot/tolwindow.h"

#include "engine/cvi.h"
#include "params/live.h"
#include "params/modes.h"
#include "params/vars.h"

namespace {

constexpr double kWindowHeight = 0.35;

TolWindow Clamped(int32_t lower, int32_t upper) {
    const int32_t cvp = ccdvirtpixel;
    if (lower < 0) lower = 1;
    if (upper > cvp - 1) upper = cvp;
    return {true, lower, upper};
}

void Draw(int graph, const TolWindow& w) {
    if (!w.drawn) return;
    PlotRectangle(pHandle, graph, w.lower, 0.0, w.upper, kWindowHeight, VAL_GREEN, VAL_GREEN);
}

}  // namespace

TolWindows ComputeTOLWindows(uint16_t mode, uint16_t a, uint16_t b) {
    const int32_t tA = parameter.teachA, tB = parameter.teachB;
    const int32_t up = tolup, lo = tollo;
    TolWindows w{{false, 0, 0}, {false, 0, 0}};
    switch (mode) {
        case EVAL_SLAVE_TEACH:
            w.slave = Clamped(tB - lo, tB + up);
            break;
        case EVAL_MASTER_TEACH:
            w.master = Clamped(tA - lo, tA + up);
            break;
        case EVAL_COMBINED:
            if (live.edcntA > 0 && live.edcntB > 0) {
                // Each window follows its own sensor, shifted by half the
                // difference between the teach sum and the position sum.
                const int32_t h = ((tA + tB) - (int32_t{a} + int32_t{b})) / 2;
                w.master = Clamped(a + h - lo / 2, a + h + up / 2);
                w.slave = Clamped(b + h - lo / 2, b + h + up / 2);
            } else {
                w.master = Clamped(tA - lo / 2, tA + up / 2);
                w.slave = Clamped(tB - lo / 2, tB + up / 2);
            }
            break;
        case EVAL_DEVIATION:
        case EVAL_DEVIATION_TEACH:
            w.master = {true, 1, up};
            w.slave = {true, 1, lo};
            break;
        default:
            break;
    }
    return w;
}

void PlotTOLWindow(uint16_t mode, uint16_t a, uint16_t b) {
    const TolWindows w = ComputeTOLWindows(mode, a, b);
    Draw(GRAPHBarMaster, w.master);
    Draw(GRAPHBarSlave, w.slave);
}
