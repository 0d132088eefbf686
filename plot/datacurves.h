// The measurement buffers after a DATA transfer: MASTER and SLAVE raw, or
// the evaluated buffer inside its tolerance band.
#pragma once

#include <cstdint>

void PlotDATACurveRAW(const uint16_t* master, const uint16_t* slave, const double* x);
void PlotDATACurveNORM(const uint16_t* evaluated, const double* x);
