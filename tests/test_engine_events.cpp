// Events come from user actions, through real mouse and key events on the
// widgets, in the order the program's callbacks rely on; code never fires
// them.
#include <QCheckBox>
#include <QTest>
#include <QWidget>

#include <string>
#include <vector>

#include "engine/internal.h"
#include "support/engine_panels_fixture.h"

using fixture::EnginePanels;
using fixture::events;

namespace {

class EngineEvents : public EnginePanels {};

using Seq = std::vector<int>;
constexpr int L = EVENT_LEFT_CLICK, V = EVENT_VAL_CHANGED, C = EVENT_COMMIT, R = EVENT_RIGHT_CLICK;

TEST_F(EngineEvents, CommandButtonClicksOnPressCommitsOnRelease) {
    ASSERT_EQ(TestPress(main, BTNStop), 0);
    // The press alone is seen at once (STOP acts on it).
    EXPECT_EQ(eventsOf(main, BTNStop), (Seq{L}));
    ASSERT_EQ(TestRelease(main, BTNStop), 0);
    EXPECT_EQ(eventsOf(main, BTNStop), (Seq{L, C}));
}

TEST_F(EngineEvents, ToggleButtonChangesOnReleaseAndCanBeClickedOff) {
    ASSERT_EQ(TestPress(main, TOGGBTN_Para0), 0);
    EXPECT_EQ(eventsOf(main, TOGGBTN_Para0), (Seq{L}));
    ASSERT_EQ(TestRelease(main, TOGGBTN_Para0), 0);
    EXPECT_EQ(eventsOf(main, TOGGBTN_Para0), (Seq{L, V, C}));
    int on = 0;
    ASSERT_EQ(GetCtrlVal(main, TOGGBTN_Para0, &on), 0);
    EXPECT_EQ(on, 1);
    ASSERT_EQ(TestClick(main, TOGGBTN_Para0), 0);
    ASSERT_EQ(GetCtrlVal(main, TOGGBTN_Para0, &on), 0);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(eventsOf(main, TOGGBTN_Para0), (Seq{L, V, C, L, V, C}));
}

TEST_F(EngineEvents, RadioButtonsAreNotExclusiveAndCanBeSwitchedOff) {
    int ram = 0, eeprom = 1;
    ASSERT_EQ(GetCtrlVal(main, RBTRam, &ram), 0);
    ASSERT_EQ(ram, 1);  // checked in the file
    ASSERT_EQ(TestClick(main, RBTEeprom), 0);
    ASSERT_EQ(GetCtrlVal(main, RBTEeprom, &eeprom), 0);
    ASSERT_EQ(GetCtrlVal(main, RBTRam, &ram), 0);
    EXPECT_EQ(eeprom, 1);
    EXPECT_EQ(ram, 1);  // the program, not the engine, clears the others
    ASSERT_EQ(TestClick(main, RBTRam), 0);
    ASSERT_EQ(GetCtrlVal(main, RBTRam, &ram), 0);
    EXPECT_EQ(ram, 0);
    EXPECT_EQ(eventsOf(main, RBTEeprom), (Seq{L, V, C}));
    EXPECT_EQ(eventsOf(main, RBTRam), (Seq{L, V, C}));
}

TEST_F(EngineEvents, NumericArrowStepsChangeAndCommitOnce) {
    // NUMTriggThresholdA: 10, increment 5, range 0..255.
    ASSERT_EQ(TestArrowStep(para1, NUMTriggThresholdA, true), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlVal(para1, NUMTriggThresholdA, &v), 0);
    EXPECT_EQ(v, 15);
    EXPECT_EQ(eventsOf(para1, NUMTriggThresholdA), (Seq{L, V, C}));
    events().clear();
    ASSERT_EQ(TestArrowStep(para1, NUMTriggThresholdA, false), 0);
    ASSERT_EQ(TestArrowStep(para1, NUMTriggThresholdA, false), 0);
    ASSERT_EQ(GetCtrlVal(para1, NUMTriggThresholdA, &v), 0);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(eventsOf(para1, NUMTriggThresholdA), (Seq{L, V, C, L, V, C}));
    EXPECT_EQ(TestCtrlText(para1, NUMTriggThresholdA), "5");
}

TEST_F(EngineEvents, NumericTypedEntryCommitsOncePerEntry) {
    // Enter: one change and one commit for the whole typed number, not one
    // per keystroke; the focus leaving afterwards adds nothing.
    ASSERT_EQ(TestTypeValue(para1, NUMTeachA, "1234"), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlVal(para1, NUMTeachA, &v), 0);
    EXPECT_EQ(v, 1234);
    EXPECT_EQ(eventsOf(para1, NUMTeachA), (Seq{V, C}));
    ASSERT_EQ(TestTypeAndLeave(para1, NUMTeachA, "77"), 0);
    ASSERT_EQ(GetCtrlVal(para1, NUMTeachA, &v), 0);
    EXPECT_EQ(v, 77);
    EXPECT_EQ(eventsOf(para1, NUMTeachA), (Seq{V, C, V, C}));
    EXPECT_EQ(TestCtrlText(para1, NUMTeachA), "77");

    // A typed value outside the range is coerced into it.
    events().clear();
    ASSERT_EQ(TestTypeValue(para1, NUMTriggThresholdA, "300"), 0);
    ASSERT_EQ(GetCtrlVal(para1, NUMTriggThresholdA, &v), 0);
    EXPECT_EQ(v, 255);
    EXPECT_EQ(TestCtrlText(para1, NUMTriggThresholdA), "255");
    EXPECT_EQ(eventsOf(para1, NUMTriggThresholdA), (Seq{V, C}));
}

TEST_F(EngineEvents, IndicatorsTakeNoInput) {
    ASSERT_EQ(SetCtrlVal(main, NUMAval, 42), 0);
    ASSERT_EQ(TestTypeValue(main, NUMAval, "7"), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlVal(main, NUMAval, &v), 0);
    EXPECT_EQ(v, 42);
    EXPECT_EQ(TestCtrlText(main, NUMAval), "42");
}

TEST_F(EngineEvents, SlideChangesWhileDraggedCommitsOnRelease) {
    ASSERT_EQ(TestDragSlide(para1, SLIDEVideoTHD_A, {110, 120, 130}), 0);
    EXPECT_EQ(eventsOf(para1, SLIDEVideoTHD_A), (Seq{L, V, V, V, C}));
    int v = 0;
    ASSERT_EQ(GetCtrlVal(para1, SLIDEVideoTHD_A, &v), 0);
    EXPECT_EQ(v, 130);
}

TEST_F(EngineEvents, RingChoiceChangesAndCommitsEvenForTheCurrentItem) {
    ASSERT_EQ(TestChooseItem(para1, DROPpmodeA, 2), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlVal(para1, DROPpmodeA, &v), 0);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(eventsOf(para1, DROPpmodeA), (Seq{V, C}));
    ASSERT_EQ(TestChooseItem(para1, DROPpmodeA, 2), 0);
    EXPECT_EQ(eventsOf(para1, DROPpmodeA), (Seq{V, C, V, C}));
    // The port list too; its values stay port numbers.
    ASSERT_EQ(TestChooseItem(main, DropDCom, 1), 0);
    ASSERT_EQ(GetCtrlVal(main, DropDCom, &v), 0);
    EXPECT_EQ(v, 2);
    EXPECT_EQ(eventsOf(main, DropDCom), (Seq{V, C}));
}

TEST_F(EngineEvents, BinarySwitchChangesAndCommits) {
    ASSERT_EQ(TestClick(main, SWITCHDataView), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlVal(main, SWITCHDataView, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(eventsOf(main, SWITCHDataView), (Seq{L, V, C}));
}

TEST_F(EngineEvents, RightClickOnAnyControlIsOnlyARightClick) {
    ASSERT_EQ(SetCtrlAttribute(main, HelpText1, ATTR_VISIBLE, 1), 0);
    ASSERT_EQ(TestRightClick(main, BTNRun), 0);
    ASSERT_EQ(TestRightClick(main, GRAPHVideoMaster), 0);
    ASSERT_EQ(TestRightClick(main, HelpText1), 0);
    ASSERT_EQ(TestRightClick(para1, NUMTriggThresholdA), 0);
    ASSERT_EQ(TestRightClick(main, DropDCom), 0);
    EXPECT_EQ(eventsOf(main, BTNRun), (Seq{R}));
    EXPECT_EQ(eventsOf(main, GRAPHVideoMaster), (Seq{R}));
    EXPECT_EQ(eventsOf(main, HelpText1), (Seq{R}));
    EXPECT_EQ(eventsOf(para1, NUMTriggThresholdA), (Seq{R}));
    EXPECT_EQ(eventsOf(main, DropDCom), (Seq{R}));
    // A right-click changes no value.
    int v = 0;
    ASSERT_EQ(GetCtrlVal(para1, NUMTriggThresholdA, &v), 0);
    EXPECT_EQ(v, 10);
}

TEST_F(EngineEvents, TextBoxLeftClick) {
    ASSERT_EQ(SetCtrlAttribute(main, HelpText1, ATTR_VISIBLE, 1), 0);
    ASSERT_EQ(TestLeftClick(main, HelpText1), 0);
    EXPECT_EQ(eventsOf(main, HelpText1), (Seq{L}));
}

TEST_F(EngineEvents, WindowCloseDeliversCloseAndClosesNothing) {
    ASSERT_EQ(DisplayPanel(popup), 0);
    ASSERT_EQ(TestClosePanel(popup), 0);
    ASSERT_EQ(TestClosePanel(main), 0);
    EXPECT_EQ(events(), (std::vector<fixture::Event>{{popup, 0, EVENT_CLOSE}, {main, 0, EVENT_CLOSE}}));
    EXPECT_TRUE(TestPanelDisplayed(popup));
    EXPECT_TRUE(TestPanelDisplayed(main));
}

TEST_F(EngineEvents, DimmedControlsIgnoreTheUser) {
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 1), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, NUMTeachA, ATTR_DIMMED, 1), 0);
    ASSERT_EQ(TestClick(main, BTNRun), 0);
    ASSERT_EQ(TestRightClick(main, BTNRun), 0);
    ASSERT_EQ(TestArrowStep(para1, NUMTeachA, true), 0);
    EXPECT_TRUE(events().empty());
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 0), 0);
    ASSERT_EQ(TestClick(main, BTNRun), 0);
    EXPECT_EQ(eventsOf(main, BTNRun), (Seq{L, C}));
}

TEST_F(EngineEvents, CodeFiresNothing) {
    ASSERT_EQ(SetCtrlVal(main, TOGGBTN_Para0, 1), 0);
    ASSERT_EQ(SetCtrlVal(main, RBTEeprom, 1), 0);
    ASSERT_EQ(SetCtrlVal(main, SWITCHDataView, 1), 0);
    ASSERT_EQ(SetCtrlVal(main, DropDCom, 3), 0);
    ASSERT_EQ(SetCtrlVal(para1, NUMTeachA, 99), 0);
    ASSERT_EQ(SetCtrlVal(para1, SLIDEVideoTHD_A, 17), 0);
    ASSERT_EQ(SetCtrlVal(para1, DROPpmodeA, 1), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 2), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, NUMTeachA, ATTR_MAX_VALUE, 50.0), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, SLIDEVideoTHD_A, ATTR_MAX_VALUE, 10), 0);
    ASSERT_EQ(ResetTextBox(main, HelpText1, "help"), 0);
    ASSERT_EQ(HidePanel(para1), 0);
    ASSERT_EQ(DisplayPanel(para1), 0);
    TestFlushRepaints();
    TestRunEvents(50);
    EXPECT_TRUE(events().empty());
    // ... while the widgets do show it.
    EXPECT_EQ(TestCtrlText(para1, NUMTeachA), "50");
    EXPECT_EQ(TestCtrlText(para1, DROPpmodeA), "fast");
}

TEST_F(EngineEvents, TheUserActsOnWhatTheProgramLastSet) {
    // The program turns the switch on; before that is painted, the user
    // clicks it (a real click, no test-support flush first): it goes off.
    TestFlushRepaints();
    ASSERT_EQ(SetCtrlVal(main, SWITCHDataView, 1), 0);
    QWidget* sw = engine::controlWidget(main, SWITCHDataView);
    ASSERT_NE(sw, nullptr);
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, sw->rect().center());
    int v = 1;
    ASSERT_EQ(GetCtrlVal(main, SWITCHDataView, &v), 0);
    EXPECT_EQ(v, 0);
    TestRunEvents(50);
    ASSERT_EQ(GetCtrlVal(main, SWITCHDataView, &v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(qobject_cast<QCheckBox*>(sw)->isChecked());
    EXPECT_EQ(eventsOf(main, SWITCHDataView), (Seq{L, V, C}));
}

}  // namespace
