// What the engine keeps per control and per panel. Engine calls read and
// write this state only; widgets are brought up to date from it by a
// coalescing timer (about 30 times a second), so a setter called thousands
// of times a second costs microseconds and paints nothing by itself.
// Shared inside the engine layer only.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include "engine/numeric.h"
#include "ui/controls.h"

class QLabel;

namespace engine {

// Which parts of a control's state wait to be pushed to its widget.
enum DirtyBits : unsigned {
    kDirtyValue = 1u << 0,
    kDirtyGeometry = 1u << 1,
    kDirtyVisible = 1u << 2,
    kDirtyDimmed = 1u << 3,
    kDirtyColors = 1u << 4,
    kDirtyLabel = 1u << 5,
    kDirtyFont = 1u << 6,
    kDirtyRange = 1u << 7,  // numeric / slide range, precision
    kDirtyItems = 1u << 8,  // ring items
};

struct RingItem {
    QString label;
    int value = 0;
};

struct CtrlState {
    int panel = 0;
    int id = 0;
    CtrlKind kind = KIND_NONE;
    QPointer<QWidget> widget;
    QPointer<QLabel> label;        // `<name>_label`, when the file has one
    QByteArray callbackName;        // "" when none
    bool onTop = false;             // stays above child panels
    bool portList = false;          // items show the device a port number maps to
    QPoint origin;                  // the widget's parent in panel coordinates
    bool autoSize = false;          // a text message that sizes itself to its text

    // Value: numeric, slide, toggle, radio, switch use `num`; a ring its
    // selected index; text kinds `text`.
    double num = 0.0;
    int ringIndex = -1;
    QVector<RingItem> items;
    QString text;

    // Numeric model (kept here so that a read answers at once).
    double min = 0.0, max = 0.0;
    int precision = 0;
    CviNumeric::DataType dataType = CviNumeric::Double;

    // Attributes; colours are 24-bit RGB.
    QRect geom;  // panel coordinates
    bool visible = true;
    bool dimmed = false;
    int textColor = 0;
    int bgColor = 0xFFFFFF;
    QString labelText;
    QRect labelGeom;     // panel coordinates
    QPoint labelOrigin;  // the label's parent in panel coordinates
    QFont font;
    QString fontName;    // as last set; "" = as loaded

    unsigned dirty = 0;
};

struct PanelState {
    int handle = 0;
    int parent = 0;
    int resourceId = 0;
    QByteArray callbackName;
    int activeCtrl = 0;
};

// The control's state, nullptr for a bad handle or id.
CtrlState* ctrlState(int panel, int control);
// Creates the state of a registered control from its widget (at load and
// for NewCtrl), wires its events and returns it.
CtrlState* attachControl(int panel, int control);
PanelState* panelState(int panel);
PanelState* attachPanel(int panel, int parent, int resourceId, const QByteArray& callback);
void dropPanelState(int panel);
QList<int> childPanels(int panel);

// Marks part of a control's state for the next push to its widget.
void markDirty(CtrlState* s, unsigned bits);
// Pushes every pending change to the widgets now, or one control's.
void flushAll();
void flushOne(CtrlState* s);
// Number of pushes that touched a widget since start (test support).
long long pushCount();

// Rewrites a ring's item texts now (a port list asks for its devices).
void refreshItemTexts(CtrlState* s);
// The same for every port list (a device went away or could not be opened).
void refreshPortLists();
// Keeps controls marked onTop above the child panels of `panel`.
void raiseOnTopControls(int panel);

// Delivers an event to the control's or panel's callback, if it has one.
void fireCtrlEvent(CtrlState* s, int event, int data1 = 0, int data2 = 0);
void firePanelEvent(int panel, int event);
// Wires a control's widget so that user actions produce events.
void connectControlEvents(CtrlState* s);
// Wires a panel: its window's close button delivers the close event.
void connectPanelEvents(QWidget* panelWidget);
// True while a callback runs (deleting widgets is then deferred).
bool inCallback();
// Reports each unknown callback name once; true when the name is registered.
bool checkCallbackName(const QByteArray& name);

// Resolves a bare file name against the program's directory.
QString resolveProgramFile(const char* fileName);

int rgbOf(const QColor& c);
QColor colorOf(int rgb);

}  // namespace engine
