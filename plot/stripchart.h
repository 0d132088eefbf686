// The live strip chart: a 100-sample history of seven values drawn as one
// moving window, either the raw positions or the evaluated value with its
// set point, limits and an extra value; optionally zoomed around the set
// point.
#pragma once

enum { STRIP_SAMPLES = 100, STRIP_TRACES = 7, STRIP_VALUES = STRIP_SAMPLES * STRIP_TRACES };

void PlotRAWGraph();
