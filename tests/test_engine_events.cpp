// Events come from user actions, through real mouse and key events on the
// widgets, in the order the program's callbacks rely on; code never fires
// them.
#include <QCheckBox>
#include <QTest>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/internal.h"
#include "support/engine_panels_fixture.h"

using fixture::EnginePanels;
using fixture::events;
using fixture::val;

namespace {

class EngineEvents : public EnginePanels {};

using Seq = std::vector<int>;
constexpr int L = EVENT_LEFT_CLICK, V = EVENT_VAL_CHANGED, C = EVENT_COMMIT, R = EVENT_RIGHT_CLICK;

// One user action per kind of control, with the events it delivers and the
// value it leaves. Rows run in order on one set of panels.
TEST_F(EngineEvents, EachKindOfActionDeliversItsEventsInOrder) {
    using Act = std::function<int(int, int)>;
    auto click = [](int p, int c) { return TestClick(p, c); };
    auto arrow = [](bool up) { return [up](int p, int c) { return TestArrowStep(p, c, up); }; };
    auto type = [](const char* t) { return [t](int p, int c) { return TestTypeValue(p, c, t); }; };
    auto choose = [](int i) { return [i](int p, int c) { return TestChooseItem(p, c, i); }; };
    struct Row {
        const char* what;
        int panel;
        int ctrl;
        Act act;
        Seq seq;
        std::optional<int> value;
    };
    const Row rows[] = {
        // A command is seen at the press (STOP acts on it) and commits on the
        // release; a toggle changes on the release.
        {"command pressed", main, BTNStop, TestPress, {L}, std::nullopt},
        {"command released", main, BTNStop, TestRelease, {C}, std::nullopt},
        {"toggle pressed", main, TOGGBTN_Para0, TestPress, {L}, 0},
        {"toggle released", main, TOGGBTN_Para0, TestRelease, {V, C}, 1},
        {"toggle clicked off", main, TOGGBTN_Para0, click, {L, V, C}, 0},
        // Radios are not exclusive (the program clears the others) and a
        // click switches one off.
        {"radio on", main, RBTEeprom, click, {L, V, C}, 1},
        {"radio off", main, RBTRam, click, {L, V, C}, 0},
        {"switch", main, SWITCHDataView, click, {L, V, C}, 1},
        // NUMTriggThresholdA: 10, increment 5, range 0..255.
        {"arrow up", para1, NUMTriggThresholdA, arrow(true), {L, V, C}, 15},
        {"two arrows down", para1, NUMTriggThresholdA,
         [](int p, int c) { return TestArrowStep(p, c, false) ? -1 : TestArrowStep(p, c, false); },
         {L, V, C, L, V, C}, 5},
        // Typed entries: one change and one commit for the whole number, not
        // one per keystroke; the focus leaving afterwards adds nothing.
        {"typed, Enter", para1, NUMTeachA, type("1234"), {V, C}, 1234},
        {"typed, focus leaves", para1, NUMTeachA,
         [](int p, int c) { return TestTypeAndLeave(p, c, "77"); }, {V, C}, 77},
        {"typed out of range", para1, NUMTriggThresholdA, type("300"), {V, C}, 255},
        {"slide dragged", para1, SLIDEVideoTHD_A,
         [](int p, int c) { return TestDragSlide(p, c, {110, 120, 130}); }, {L, V, V, V, C}, 130},
        // DROPpmodeA items: off=0, on=1, fast=5; the current item chosen
        // again still changes and commits.
        {"ring", para1, DROPpmodeA, choose(2), {V, C}, 5},
        {"ring, same item", para1, DROPpmodeA, choose(2), {V, C}, 5},
        {"port list keeps port numbers", main, DropDCom, choose(1), {V, C}, 2},
        {"text box left click", main, HelpText1, TestClick, {L}, std::nullopt},
        {"indicator ignores typing", main, NUMAval, type("7"), {}, 0},
        // A right-click on any control is only a right-click.
        {"right click button", main, BTNRun, TestRightClick, {R}, std::nullopt},
        {"right click text box", main, HelpText1, TestRightClick, {R}, std::nullopt},
        {"right click numeric", para1, NUMTriggThresholdA, TestRightClick, {R}, 255},
        {"right click ring", main, DropDCom, TestRightClick, {R}, 2},
    };
    ASSERT_EQ(SetCtrlAttribute(main, HelpText1, ATTR_VISIBLE, 1), 0);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const int p = r.panel;
        events().clear();
        ASSERT_EQ(r.act(p, r.ctrl), 0);
        EXPECT_EQ(events().size(), r.seq.size());
        EXPECT_EQ(eventsOf(p, r.ctrl), r.seq);
        if (r.value) { EXPECT_EQ(val(p, r.ctrl), *r.value); }
    }
    EXPECT_EQ(val(main, RBTEeprom), 1);
    EXPECT_EQ(TestCtrlText(para1, NUMTeachA), "77");
    EXPECT_EQ(TestCtrlText(para1, NUMTriggThresholdA), "255");
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

TEST_F(EngineEvents, WindowCloseDeliversCloseAndClosesNothing) {
    ASSERT_EQ(DisplayPanel(popup), 0);
    ASSERT_EQ(TestClosePanel(popup), 0);
    ASSERT_EQ(TestClosePanel(main), 0);
    EXPECT_EQ(events(), (std::vector<fixture::Event>{{popup, 0, EVENT_CLOSE}, {main, 0, EVENT_CLOSE}}));
    EXPECT_TRUE(TestPanelDisplayed(popup));
    EXPECT_TRUE(TestPanelDisplayed(main));
}

TEST_F(EngineEvents, CodeFiresNothing) {
    ASSERT_EQ(SetCtrlVal(main, SWITCHDataView, 1), 0);
    ASSERT_EQ(SetCtrlVal(para1, NUMTeachA, 99), 0);
    ASSERT_EQ(SetCtrlVal(para1, SLIDEVideoTHD_A, 17), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 2), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, NUMTeachA, ATTR_MAX_VALUE, 50.0), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, SLIDEVideoTHD_A, ATTR_MAX_VALUE, 10), 0);
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
    EXPECT_EQ(val(main, SWITCHDataView), 0);
    TestRunEvents(50);
    EXPECT_EQ(val(main, SWITCHDataView), 0);
    EXPECT_FALSE(qobject_cast<QCheckBox*>(sw)->isChecked());
    EXPECT_EQ(eventsOf(main, SWITCHDataView), (Seq{L, V, C}));
}

}  // namespace
