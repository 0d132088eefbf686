// Shared inside the engine layer only: the handle tables and text
// conversion. Program code never includes this.
#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <ctime>
#include <map>

namespace engine {

// Port numbers for the system's serial devices: a device already numbered
// keeps its number (also while it is absent), a new one takes the lowest
// number no device holds. `now` in the system's order.
std::map<int, QString> numberPorts(const std::map<int, QString>& before, const QStringList& now);

// DateStr and TimeStr tell this moment instead of now; 0: now again.
void setWallClock(std::time_t t);

// Program strings are ISO 8859-1 bytes; widgets hold QString.
inline QString fromProgram(const char* s) { return s ? QString::fromLatin1(s) : QString(); }
inline QByteArray toProgram(const QString& s) { return s.toLatin1(); }

// A loaded panel and its controls.
QWidget* panelWidget(int panel);                 // nullptr for an unknown handle
QWidget* controlWidget(int panel, int control);  // nullptr when not on that panel
int panelOfWidget(const QWidget* w);             // handle, or -1
int controlOfWidget(const QWidget* w);           // id, or -1

// Makes `root` a panel: gives it a handle, registers every descendant whose
// objectName is a control of controls.def (and whose panel matches
// resourceId) under that control's id, and returns the handle (>0).
// A parent handle of 0 means a top-level panel.
int adoptPanel(QWidget* root, int parentPanel, int resourceId);
// Registers a widget created at run time (NewCtrl); returns its new id.
int adoptControl(int panel, QWidget* w);
// Forgets a panel and its controls (DiscardPanel); does not delete widgets.
void forgetPanel(int panel);

}  // namespace engine
