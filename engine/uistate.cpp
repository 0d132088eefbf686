// The per-control and per-panel state tables and the coalesced push of
// that state to the widgets. Engine calls change the state and mark what
// changed; a single-shot timer brings the widgets up to date at most about
// 30 times a second, however often the calls come.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/cvi.h"
#include "engine/internal.h"
#include "engine/numeric.h"
#include "engine/uistate.h"

namespace engine {
namespace {

// Widgets are brought up to date at most this often.
constexpr int kFlushIntervalMs = 33;

struct Tables {
    std::unordered_map<quint64, std::unique_ptr<CtrlState>> ctrls;
    std::unordered_map<int, std::unique_ptr<PanelState>> panels;
    std::vector<CtrlState*> dirty;
    QTimer* timer = nullptr;
    QElapsedTimer sinceFlush;
    long long pushes = 0;
};

Tables& tables() {
    static Tables t;
    return t;
}

quint64 keyOf(int panel, int control) {
    return (static_cast<quint64>(static_cast<quint32>(panel)) << 32) | static_cast<quint32>(control);
}

CtrlKind kindOf(QWidget* w, int id) {
    const CtrlKind def = (id > 0 && id < CTRL_COUNT_) ? kControlDefs[id - 1].kind : KIND_NONE;
    if (auto* n = qobject_cast<CviNumeric*>(w)) return n->isIndicator() ? KIND_INDICATOR : KIND_NUMERIC;
    if (w->inherits("CviStripChart")) return KIND_STRIPCHART;
    if (w->inherits("CviGraph")) return KIND_GRAPH;
    if (qobject_cast<QRadioButton*>(w)) return KIND_RADIO;
    if (qobject_cast<QCheckBox*>(w)) return KIND_SWITCH;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->isCheckable() ? KIND_TOGGLE : KIND_COMMAND;
    if (qobject_cast<QComboBox*>(w)) return KIND_RING;
    if (qobject_cast<QSlider*>(w)) return KIND_SLIDE;
    if (qobject_cast<QLineEdit*>(w)) return KIND_STRING;
    if (qobject_cast<QPlainTextEdit*>(w)) return KIND_TEXTBOX;
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (def == KIND_PICTURE || !l->pixmap().isNull()) return KIND_PICTURE;
        return KIND_TEXTMSG;
    }
    if (qobject_cast<QFrame*>(w)) return KIND_DECORATION;
    return def;
}

// Background role a kind paints its face with; the others need the
// widget to fill its background for a colour to show.
QPalette::ColorRole bgRole(CtrlKind k) {
    switch (k) {
    case KIND_NUMERIC:
    case KIND_INDICATOR:
    case KIND_STRING:
    case KIND_TEXTBOX: return QPalette::Base;
    case KIND_COMMAND:
    case KIND_TOGGLE:
    case KIND_RING: return QPalette::Button;
    default: return QPalette::Window;
    }
}

QPalette::ColorRole textRole(CtrlKind k) {
    switch (k) {
    case KIND_NUMERIC:
    case KIND_INDICATOR:
    case KIND_STRING:
    case KIND_TEXTBOX: return QPalette::Text;
    case KIND_COMMAND:
    case KIND_TOGGLE:
    case KIND_RING: return QPalette::ButtonText;
    default: return QPalette::WindowText;
    }
}

bool hasOwnLabelText(const CtrlState* s) {
    return s->kind == KIND_COMMAND || s->kind == KIND_TOGGLE ||
           ((s->kind == KIND_RADIO || s->kind == KIND_SWITCH) && !s->label);
}

// Numbers a ring's items hold: the `itemValues` list, else the indexes.
QVector<RingItem> readItems(QComboBox* c) {
    QVector<RingItem> items;
    const QStringList values =
        c->property("itemValues").toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int i = 0; i < c->count(); ++i) {
        RingItem it;
        it.label = c->itemText(i);
        bool ok = false;
        it.value = i < values.size() ? values[i].trimmed().toInt(&ok) : i;
        if (!ok && i < values.size()) it.value = i;
        items.push_back(it);
    }
    return items;
}

// A port list shows the device each port number maps to; the numbers (the
// item values) stay as they are.
QString shownItemText(const CtrlState* s, int i) {
    const RingItem& it = s->items[i];
    if (!s->portList) return it.label;
    const QString desc = QString::fromStdString(ComPortDescription(it.value));
    return desc.isEmpty() ? it.label : desc;
}

void scheduleFlush() {
    Tables& t = tables();
    if (!t.timer) {
        if (!QCoreApplication::instance()) return;
        t.timer = new QTimer(QCoreApplication::instance());
        t.timer->setSingleShot(true);
        QObject::connect(t.timer, &QTimer::timeout, [] { flushAll(); });
    }
    if (t.timer->isActive()) return;
    const qint64 since = t.sinceFlush.isValid() ? t.sinceFlush.elapsed() : kFlushIntervalMs;
    t.timer->start(since >= kFlushIntervalMs ? 0 : static_cast<int>(kFlushIntervalMs - since));
}

void pushColors(CtrlState* s, QWidget* w) {
    QPalette pal = w->palette();
    const QColor fg = colorOf(s->textColor);
    pal.setColor(QPalette::Text, fg);
    pal.setColor(QPalette::WindowText, fg);
    pal.setColor(QPalette::ButtonText, fg);
    const QPalette::ColorRole role = bgRole(s->kind);
    pal.setColor(role, colorOf(s->bgColor));
    if (role == QPalette::Window) w->setAutoFillBackground(true);
    w->setPalette(pal);
}

void pushValue(CtrlState* s, QWidget* w) {
    switch (s->kind) {
    case KIND_NUMERIC:
    case KIND_INDICATOR:
        if (auto* n = qobject_cast<CviNumeric*>(w)) n->setValue(s->num);
        break;
    case KIND_SLIDE:
        if (auto* sl = qobject_cast<QSlider*>(w)) sl->setValue(static_cast<int>(s->num));
        break;
    case KIND_TOGGLE:
    case KIND_RADIO:
    case KIND_SWITCH:
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setChecked(s->num != 0.0);
        break;
    case KIND_RING:
        if (auto* c = qobject_cast<QComboBox*>(w)) c->setCurrentIndex(s->ringIndex);
        break;
    case KIND_STRING:
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(s->text);
        break;
    case KIND_TEXTBOX:
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) e->setPlainText(s->text);
        break;
    case KIND_TEXTMSG:
        if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(s->text);
            if (s->autoSize) {
                l->adjustSize();
                s->geom.setSize(l->size());
            }
        }
        break;
    default: break;
    }
}

void push(CtrlState* s) {
    const unsigned d = s->dirty;
    s->dirty = 0;
    QWidget* w = s->widget.data();
    if (!w || !d) return;
    const QSignalBlocker block(w);
    if (d & kDirtyRange) {
        if (auto* n = qobject_cast<CviNumeric*>(w)) {
            n->setRange(s->min, s->max);
            n->setPrecision(s->precision);
        } else if (auto* sl = qobject_cast<QSlider*>(w)) {
            sl->setRange(static_cast<int>(s->min), static_cast<int>(s->max));
        }
    }
    if (d & kDirtyItems) {
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < s->items.size() && i < c->count(); ++i) c->setItemText(i, shownItemText(s, i));
        }
    }
    if (d & kDirtyFont) w->setFont(s->font);
    if (d & kDirtyValue) pushValue(s, w);
    if (d & kDirtyGeometry) {
        w->setGeometry(s->geom.translated(-s->origin));
        if (s->label) s->label->move(s->labelGeom.topLeft() - s->labelOrigin);
    }
    if (d & kDirtyColors) pushColors(s, w);
    if (d & kDirtyLabel) {
        if (hasOwnLabelText(s)) {
            if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(s->labelText);
        } else if (s->label) {
            s->label->setText(s->labelText);
            // A longer label grows rather than being cut off.
            const int wanted = s->label->sizeHint().width();
            if (wanted > s->label->width()) s->label->resize(wanted, s->label->height());
            s->labelGeom.setWidth(s->label->width());
        }
    }
    if (d & kDirtyDimmed) {
        w->setEnabled(!s->dimmed);
        if (s->label) s->label->setEnabled(!s->dimmed);
    }
    if (d & kDirtyVisible) {
        w->setVisible(s->visible);
        if (s->label) s->label->setVisible(s->visible);
        if (s->visible && s->onTop) w->raise();
    }
    ++tables().pushes;
}

}  // namespace

int rgbOf(const QColor& c) { return static_cast<int>(c.rgb() & 0xFFFFFF); }
QColor colorOf(int rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFF)); }

CtrlState* ctrlState(int panel, int control) {
    auto& m = tables().ctrls;
    auto it = m.find(keyOf(panel, control));
    if (it != m.end()) return it->second->widget ? it->second.get() : nullptr;
    // A panel put together by code (adoptPanel without LoadPanel) gets its
    // state on first use.
    return controlWidget(panel, control) ? attachControl(panel, control) : nullptr;
}

PanelState* panelState(int panel) {
    auto& m = tables().panels;
    auto it = m.find(panel);
    if (it != m.end()) return it->second.get();
    return panelWidget(panel) ? attachPanel(panel, 0, 0, QByteArray()) : nullptr;
}

PanelState* attachPanel(int panel, int parent, int resourceId, const QByteArray& callback) {
    auto ps = std::make_unique<PanelState>();
    ps->handle = panel;
    ps->parent = parent;
    ps->resourceId = resourceId;
    ps->callbackName = callback;
    PanelState* raw = ps.get();
    tables().panels[panel] = std::move(ps);
    return raw;
}

QList<int> childPanels(int panel) {
    QList<int> out;
    for (const auto& [h, ps] : tables().panels)
        if (ps->parent == panel) out.append(h);
    return out;
}

void dropPanelState(int panel) {
    Tables& t = tables();
    t.panels.erase(panel);
    for (auto it = t.ctrls.begin(); it != t.ctrls.end();) {
        if (it->second->panel == panel) {
            CtrlState* s = it->second.get();
            t.dirty.erase(std::remove(t.dirty.begin(), t.dirty.end(), s), t.dirty.end());
            it = t.ctrls.erase(it);
        } else {
            ++it;
        }
    }
}

CtrlState* attachControl(int panel, int control) {
    QWidget* w = controlWidget(panel, control);
    QWidget* pw = panelWidget(panel);
    if (!w || !pw) return nullptr;
    auto s = std::make_unique<CtrlState>();
    s->panel = panel;
    s->id = control;
    s->widget = w;
    s->kind = kindOf(w, control);
    s->callbackName = w->property("callback").toString().toLatin1();
    s->onTop = w->property("onTop").toBool();
    s->portList = w->property("portList").toBool();
    s->origin = w->parentWidget() && w->parentWidget() != pw ? w->parentWidget()->mapTo(pw, QPoint(0, 0))
                                                              : QPoint(0, 0);
    s->geom = w->geometry().translated(s->origin);
    s->visible = !w->isHidden();
    s->dimmed = !w->isEnabledTo(pw) || !w->isEnabled();
    s->textColor = rgbOf(w->palette().color(textRole(s->kind)));
    s->bgColor = rgbOf(w->palette().color(bgRole(s->kind)));
    s->font = w->font();
    if (!w->objectName().isEmpty())
        s->label = pw->findChild<QLabel*>(w->objectName() + QLatin1String("_label"));
    if (s->label) {
        QWidget* lp = s->label->parentWidget();
        s->labelOrigin = lp && lp != pw ? lp->mapTo(pw, QPoint(0, 0)) : QPoint(0, 0);
        s->labelGeom = s->label->geometry().translated(s->labelOrigin);
        s->labelText = s->label->text();
    }

    switch (s->kind) {
    case KIND_NUMERIC:
    case KIND_INDICATOR: {
        auto* n = static_cast<CviNumeric*>(w);
        n->finishLoading();
        s->min = n->minimum();
        s->max = n->maximum();
        s->precision = n->precision();
        s->dataType = n->dataType();
        s->num = n->value();
        break;
    }
    case KIND_SLIDE: {
        auto* sl = static_cast<QSlider*>(w);
        s->min = sl->minimum();
        s->max = sl->maximum();
        s->num = sl->value();
        break;
    }
    case KIND_TOGGLE:
    case KIND_RADIO:
    case KIND_SWITCH: {
        auto* b = static_cast<QAbstractButton*>(w);
        s->num = b->isChecked() ? 1.0 : 0.0;
        if (!s->label) s->labelText = b->text();
        break;
    }
    case KIND_COMMAND: s->labelText = static_cast<QAbstractButton*>(w)->text(); break;
    case KIND_RING: {
        auto* c = static_cast<QComboBox*>(w);
        s->items = readItems(c);
        s->ringIndex = c->currentIndex();
        break;
    }
    case KIND_STRING: s->text = static_cast<QLineEdit*>(w)->text(); break;
    case KIND_TEXTBOX: s->text = static_cast<QPlainTextEdit*>(w)->toPlainText(); break;
    case KIND_TEXTMSG:
        s->text = static_cast<QLabel*>(w)->text();
        s->labelText = s->text;
        break;
    default: break;
    }
    // Right-clicks belong to the program, not to a context menu.
    w->setContextMenuPolicy(Qt::NoContextMenu);
    for (QWidget* c : w->findChildren<QWidget*>()) c->setContextMenuPolicy(Qt::NoContextMenu);

    CtrlState* raw = s.get();
    tables().ctrls[keyOf(panel, control)] = std::move(s);
    connectControlEvents(raw);
    return raw;
}

void markDirty(CtrlState* s, unsigned bits) {
    if (!s->dirty) tables().dirty.push_back(s);
    s->dirty |= bits;
    scheduleFlush();
}

void flushAll() {
    Tables& t = tables();
    t.sinceFlush.start();
    if (t.timer) t.timer->stop();
    std::vector<CtrlState*> pending;
    pending.swap(t.dirty);
    for (CtrlState* s : pending) push(s);
}

long long pushCount() { return tables().pushes; }

void flushOne(CtrlState* s) {
    if (!s->dirty) return;
    auto& v = tables().dirty;
    v.erase(std::remove(v.begin(), v.end(), s), v.end());
    push(s);
}

void refreshItemTexts(CtrlState* s) {
    auto* c = qobject_cast<QComboBox*>(s->widget.data());
    if (!c) return;
    const QSignalBlocker block(c);
    for (int i = 0; i < s->items.size() && i < c->count(); ++i) c->setItemText(i, shownItemText(s, i));
}

void refreshPortLists() {
    for (auto& [key, s] : tables().ctrls)
        if (s->portList) refreshItemTexts(s.get());
}

void raiseOnTopControls(int panel) {
    for (auto& [key, s] : tables().ctrls)
        if (s->panel == panel && s->onTop && s->widget) s->widget->raise();
}

}  // namespace engine
