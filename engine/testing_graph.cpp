#include "engine/testing_graph.h"

#include "engine/graph.h"
#include "engine/internal.h"

template <class W>
static W* widget(int panel, int ctrl) { return qobject_cast<W*>(engine::controlWidget(panel, ctrl)); }

const GraphData* TestGraph(int panel, int ctrl) {
    auto* g = widget<CviGraph>(panel, ctrl);
    return g ? &g->graphData() : nullptr;
}

const StripData* TestStrip(int panel, int ctrl) {
    auto* s = widget<CviStripChart>(panel, ctrl);
    return s ? &s->stripData() : nullptr;
}

int TestGraphRepaints(int panel, int ctrl) {
    if (auto* g = widget<CviGraph>(panel, ctrl)) return g->replotCount();
    if (auto* s = widget<CviStripChart>(panel, ctrl)) return s->replotCount();
    return -1;
}
