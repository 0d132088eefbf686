// What only the benchmarks look at inside the engine: how often a control
// really painted, and drawing a graph's pending changes at once.
#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

#include "engine/graph.h"
#include "engine/internal.h"
#include "engine/uistate.h"

namespace benchprobe {

// Counts the paint events of a control's widget and its inner widgets; a
// child of the widget, so it goes with it.
class PaintCounter : public QObject {
public:
    using QObject::QObject;
    long long count = 0;
    bool eventFilter(QObject*, QEvent* ev) override { return count += ev->type() == QEvent::Paint, false; }
};

// Paint events the control's widget (and its inner ones) received since the
// first call for it; -1 for an unknown control.
inline long long PaintCount(int panel, int ctrl) {
    engine::CtrlState* s = engine::ctrlState(panel, ctrl);
    if (!s) return -1;
    QWidget* w = s->widget.data();
    auto* pc = static_cast<PaintCounter*>(w->findChild<QObject*>("benchPaintCounter", Qt::FindDirectChildrenOnly));
    if (!pc) {
        pc = new PaintCounter(w);
        pc->setObjectName("benchPaintCounter");
        for (QWidget* c : w->findChildren<QWidget*>()) c->installEventFilter(pc);
        w->installEventFilter(pc);
    }
    return pc->count;
}

// Draws the graph's or strip chart's pending changes now instead of with the next frame.
inline void GraphFlush(int panel, int ctrl) {
    QWidget* w = engine::controlWidget(panel, ctrl);
    if (auto* g = qobject_cast<CviGraph*>(w)) g->flush();
    if (auto* s = qobject_cast<CviStripChart*>(w)) s->flush();
}

}  // namespace benchprobe
