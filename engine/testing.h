// Test support, linked into tests and benchmarks only: act as a user through
// the path a real event takes, and read back what the engine keeps.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/cvi.h"
#include "engine/testing_graph.h"
#include "engine/testing_io.h"

// Runs events until pred() holds or `ms` pass; returns pred().
template <class Pred>
bool TestWaitFor(Pred pred, int ms) {
    for (const double end = Timer() + ms / 1000.0; !pred(); ProcessSystemEvents())
        if (Timer() > end) return pred();
    return true;
}
// Runs events for `ms` milliseconds of wall time.
inline void TestRunEvents(int ms) { TestWaitFor([] { return false; }, ms); }

// A row of a table of calls, which run in the order written.
struct TestCall { const char* call; int result, expected; };
#define TEST_CALL(call, expected) TestCall{#call, static_cast<int>(call), (expected)}
// In a GoogleTest test: runs TEST_CALL rows in order, each must give its result.
#define EXPECT_CALLS(...) \
    for (const TestCall& testCall : {__VA_ARGS__}) EXPECT_EQ(testCall.result, testCall.expected) << testCall.call

// Acting as the user: each pushes pending state to the widgets first (the
// user sees what the program set), then sends real mouse and key events to
// the widget under the pointer. 0 on success, negative when the control is
// unknown or of the wrong kind; a dimmed control ignores the user.
int TestPress(int panel, int ctrl);         // left button down (command/toggle)
int TestRelease(int panel, int ctrl);       // left button up
int TestClick(int panel, int ctrl);         // press and release: a left click on any control
int TestRightClick(int panel, int ctrl);
// Types `text` into a numeric and presses Enter / moves the focus away.
int TestTypeValue(int panel, int ctrl, const std::string& text);
int TestTypeAndLeave(int panel, int ctrl, const std::string& text);
// One click on the numeric's up (up=true) or down arrow.
int TestArrowStep(int panel, int ctrl, bool up);
// Opens the ring's list and clicks item `index` (the current one may be chosen again).
int TestChooseItem(int panel, int ctrl, int index);
// Drags the slide through `values` and releases it.
int TestDragSlide(int panel, int ctrl, const std::vector<int>& values);
// The window's close button.
int TestClosePanel(int panel);

// Reading back. A ring's items as the widget shows them: (label, value).
std::vector<std::pair<std::string, int>> TestListItems(int panel, int ctrl);
std::vector<std::string> TestTextBoxLines(int panel, int ctrl);
bool TestPanelDisplayed(int panel);
// The text the widget shows, in Latin-1 bytes.
std::string TestCtrlText(int panel, int ctrl);
// Pushes pending state to the widgets now.
void TestFlushRepaints();
// State pushes to any widget so far.
long long TestPushCount();
// Renders the panel into a PNG file; false on failure.
bool TestGrabPanel(int panel, const std::string& pngPath);
