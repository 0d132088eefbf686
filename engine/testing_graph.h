// Test support for graphs and strip charts: read back what they hold and
// how often they really drew.
#pragma once

#include "engine/graphdata.h"

// nullptr when (panel, ctrl) is not a graph / strip chart.
const GraphData* TestGraph(int panel, int ctrl);
const StripData* TestStrip(int panel, int ctrl);
// Real replots of that graph or strip chart so far; -1 when it is neither.
int TestGraphRepaints(int panel, int ctrl);
