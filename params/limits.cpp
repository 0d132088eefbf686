// Limits of the editors that act at once.
#include "params/limits.h"

#include <algorithm>

int ToleranceWithinLine(int tolerance, int teachA, int cvp) {
    return teachA + tolerance > cvp ? std::max(cvp - teachA - 1, 0) : tolerance;
}

int TeachWithinLine(int teach, int cvp) {
    if (teach > cvp) teach = cvp - 1;
    return std::max(teach, 1);
}
