// Test support for the pop-ups: queue the answers a user would give, and
// read back which pop-ups the program asked for with which arguments.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "engine/popup_queue.h"

// The next FileSelectPopup answers with `path` (relative paths are taken
// from the dialog's start directory); "" answers cancel.
void TestQueueFileSelect(const std::string& path);
// The next ConfirmPopup answers 1 (yes) or 0 (no).
void TestQueueConfirm(int answer);
// Every pop-up asked since the last TestResetPopups, oldest first.
const std::vector<engine::PopupCall>& TestPopupLog();
// Drops queued answers and the log.
void TestResetPopups();

class QObject;
// The Qt object behind an open port (nullptr when closed), so that a test
// can watch the signals the device raises.
QObject* TestSerialPortObject(int port);
// From now on the open port's output queue drains at `bytesPerSecond` (as a
// UART at its line speed; 0: a device that takes nothing) instead of
// asking the device, which for a pty is always empty.
void TestSimulateOutputDrain(int port, double bytesPerSecond);
// DateStr and TimeStr tell the local time of `t` from now on (0: now again).
void TestSetWallClock(std::time_t t);
