// The program's callback table and the events user actions deliver to it.
// Only user actions produce events: every engine setter changes state that
// is pushed to the widgets with their signals blocked.
#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QComboBox>
#include <QHash>
#include <QMouseEvent>
#include <QSet>
#include <QSlider>
#include <cstdio>

#include "engine/combo.h"
#include "engine/cvi.h"
#include "engine/internal.h"
#include "engine/numeric.h"
#include "engine/uistate.h"

namespace engine {
namespace {

struct Callbacks {
    QHash<QByteArray, CallbackEntry> table;
    QSet<QByteArray> reported;
    int depth = 0;
};

Callbacks& cbs() {
    static Callbacks c;
    return c;
}

struct DepthGuard {
    DepthGuard() { ++cbs().depth; }
    ~DepthGuard() { --cbs().depth; }
};

// The control a widget belongs to: the widget itself or the nearest
// registered ancestor in the same window (a spin box's line edit, a text
// box's viewport).
CtrlState* stateOfWidget(QWidget* w) {
    QWidget* win = w->window();
    for (QWidget* p = w; p && p->window() == win; p = p->parentWidget()) {
        const int id = controlOfWidget(p);
        if (id > 0) return ctrlState(panelOfWidget(p), id);
    }
    return nullptr;
}

// Mouse presses: a left press is a left click on any control, a right
// press a right-click. A dimmed control receives neither.
class MouseFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (ev->type() != QEvent::MouseButtonPress && ev->type() != QEvent::MouseButtonDblClick) return false;
        auto* w = qobject_cast<QWidget*>(obj);
        if (!w) return false;
        CtrlState* s = stateOfWidget(w);
        if (!s || !s->widget || !s->widget->isEnabled()) return false;
        auto* me = static_cast<QMouseEvent*>(ev);
        QWidget* pw = panelWidget(s->panel);
        const QPoint at = pw ? w->mapTo(pw, me->position().toPoint()) : QPoint();
        const int panel = s->panel, id = s->id;
        // The user acts on what the program last set, even when that has
        // not been painted yet.
        flushOne(s);
        if (me->button() == Qt::RightButton) {
            fireCtrlEvent(s, EVENT_RIGHT_CLICK, at.y(), at.x());
            return true;  // no context menu, no selection change
        }
        if (me->button() == Qt::LeftButton && ev->type() == QEvent::MouseButtonPress) {
            fireCtrlEvent(s, EVENT_LEFT_CLICK, at.y(), at.x());
            // The callback may have changed this control (or discarded it).
            CtrlState* again = ctrlState(panel, id);
            if (!again) return true;
            flushOne(again);
        }
        return false;
    }
};

// A panel window's close button: the program decides what closing means.
class CloseFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (ev->type() != QEvent::Close) return false;
        ev->ignore();
        if (auto* w = qobject_cast<QWidget*>(obj)) {
            const int panel = panelOfWidget(w);
            if (panel > 0) firePanelEvent(panel, EVENT_CLOSE);
        }
        return true;
    }
};

MouseFilter* mouseFilter() {
    static MouseFilter* f = new MouseFilter(QCoreApplication::instance());
    return f;
}

CloseFilter* closeFilter() {
    static CloseFilter* f = new CloseFilter(QCoreApplication::instance());
    return f;
}

// Value changed then commit; the callback of the first may discard the
// panel, so the second looks the control up again.
void fireChangeAndCommit(int panel, int control) {
    if (CtrlState* s = ctrlState(panel, control)) fireCtrlEvent(s, EVENT_VAL_CHANGED);
    if (CtrlState* s = ctrlState(panel, control)) fireCtrlEvent(s, EVENT_COMMIT);
}

// The user's action wins over a value the program set that has not been
// shown yet.
void takeUserValue(CtrlState* s, double v) {
    s->num = v;
    s->dirty &= ~static_cast<unsigned>(kDirtyValue);
}

}  // namespace

bool inCallback() { return cbs().depth > 0; }

bool checkCallbackName(const QByteArray& name) {
    if (name.isEmpty()) return true;
    Callbacks& c = cbs();
    if (c.table.contains(name)) return true;
    if (!c.reported.contains(name)) {
        c.reported.insert(name);
        std::fprintf(stderr, "kvor-scope: callback \"%s\" is not registered; its control gets no callback\n",
                     name.constData());
    }
    return false;
}

void fireCtrlEvent(CtrlState* s, int event, int data1, int data2) {
    if (s->callbackName.isEmpty()) return;
    auto it = cbs().table.constFind(s->callbackName);
    if (it == cbs().table.constEnd() || !it->ctrl) return;
    const CtrlCallbackPtr fn = it->ctrl;
    const int panel = s->panel, id = s->id;
    DepthGuard guard;
    fn(panel, id, event, nullptr, data1, data2);
}

void firePanelEvent(int panel, int event) {
    PanelState* ps = panelState(panel);
    if (!ps || ps->callbackName.isEmpty()) return;
    auto it = cbs().table.constFind(ps->callbackName);
    if (it == cbs().table.constEnd() || !it->panel) return;
    const PanelCallbackPtr fn = it->panel;
    DepthGuard guard;
    fn(panel, event, nullptr, 0, 0);
}

void connectPanelEvents(QWidget* panelWidget) { panelWidget->installEventFilter(closeFilter()); }

void connectControlEvents(CtrlState* s) {
    QWidget* w = s->widget.data();
    if (!w) return;
    w->installEventFilter(mouseFilter());
    for (QWidget* c : w->findChildren<QWidget*>()) c->installEventFilter(mouseFilter());
    const int panel = s->panel, id = s->id;

    switch (s->kind) {
    case KIND_COMMAND:
        QObject::connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, w, [panel, id] {
            if (CtrlState* st = ctrlState(panel, id)) fireCtrlEvent(st, EVENT_COMMIT);
        });
        break;
    case KIND_TOGGLE:
    case KIND_RADIO:
    case KIND_SWITCH:
        QObject::connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, w,
                         [panel, id](bool checked) {
                             CtrlState* st = ctrlState(panel, id);
                             if (!st) return;
                             takeUserValue(st, checked ? 1.0 : 0.0);
                             fireChangeAndCommit(panel, id);
                         });
        break;
    case KIND_NUMERIC:
        QObject::connect(static_cast<CviNumeric*>(w), &CviNumeric::userChanged, w, [panel, id] {
            CtrlState* st = ctrlState(panel, id);
            if (!st) return;
            takeUserValue(st, static_cast<CviNumeric*>(st->widget.data())->value());
            fireChangeAndCommit(panel, id);
        });
        break;
    case KIND_SLIDE: {
        auto* sl = static_cast<QSlider*>(w);
        // Every movement while dragging is a value change; the release (or a
        // step by key or page click, which has no drag) commits.
        QObject::connect(sl, &QSlider::valueChanged, w, [panel, id](int v) {
            CtrlState* st = ctrlState(panel, id);
            if (!st) return;
            takeUserValue(st, v);
            const bool dragging = static_cast<QSlider*>(st->widget.data())->isSliderDown();
            fireCtrlEvent(st, EVENT_VAL_CHANGED);
            if (!dragging)
                if (CtrlState* again = ctrlState(panel, id)) fireCtrlEvent(again, EVENT_COMMIT);
        });
        QObject::connect(sl, &QSlider::sliderReleased, w, [panel, id] {
            if (CtrlState* st = ctrlState(panel, id)) fireCtrlEvent(st, EVENT_COMMIT);
        });
        break;
    }
    case KIND_RING: {
        auto* c = static_cast<QComboBox*>(w);
        QObject::connect(c, &QComboBox::activated, w, [panel, id](int index) {
            CtrlState* st = ctrlState(panel, id);
            if (!st) return;
            st->ringIndex = index;
            st->dirty &= ~static_cast<unsigned>(kDirtyValue);
            fireChangeAndCommit(panel, id);
        });
        if (auto* cc = qobject_cast<CviCombo*>(w); cc && s->portList) {
            QObject::connect(cc, &CviCombo::popupAboutToShow, w, [panel, id] {
                RefreshComPorts();
                if (CtrlState* st = ctrlState(panel, id)) refreshItemTexts(st);
            });
        }
        break;
    }
    default: break;
    }
}

}  // namespace engine

void RegisterCallbacks(const CallbackEntry* table, std::size_t count) {
    auto& c = engine::cbs();
    for (std::size_t i = 0; table && i < count; ++i) {
        if (!table[i].name) continue;
        c.table.insert(QByteArray(table[i].name), table[i]);
    }
}
