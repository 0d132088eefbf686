// What the user reshapes without the sensor: editors that act at once, the
// help boxes, the page, trigger-view and mode selectors.
#include <gtest/gtest.h>

#include "panel/binding.h"
#include "params/modes.h"
#include "support/program_fixture.h"

namespace {

class Display : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ccdvirtpixel = 4096;
        DisplayPanel(pHandle);
        ShowTeachLock(EVAL_COMBINED);  // both teach editors usable
        ShowToleranceLock(HW_BAND_EDITORS);
    }
    // Visible, left, top.
    static std::array<int, 3> Box(int box) {
        return {Attr(pHandle, box, ATTR_VISIBLE), Attr(pHandle, box, ATTR_LEFT), Attr(pHandle, box, ATTR_TOP)};
    }
};

// The editors keep what the limits allow and never write the record. The
// tolerance is limited against the record's teach position, so a teach
// position typed but not yet read in does not count.
TEST_F(Display, EditorsLimitWhatIsTypedAndLeaveTheRecord) {
    parameter.teachA = 4000;
    parameter.scaleA = 2048000;
    std::fill(std::begin(trgBUFA), std::end(trgBUFA), 7);
    const auto record = Record();
    const struct { int panel, ctrl; const char* typed; int kept; } rows[] = {
        {pPara0, NUMToleranceUP, "200", 95}, {pPara0, NUMToleranceUP, "96", 96}, {pPara0, NUMToleranceLO, "200", 95},
        {pPara1, NUMTeachA, "5000", 4095},   {pPara1, NUMTeachA, "0", 1},        {pPara2, NUMTeachB, "5000", 4095},
        {pPara1, NUMTeachA, "4096", 4096},   {pPara1, NUMTeachA, "100", 100},    {pPara0, NUMToleranceUP, "200", 95},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(TestTypeValue(row.panel, row.ctrl, row.typed), 0);
        EXPECT_EQ(Val(row.panel, row.ctrl), row.kept) << row.typed;
    }
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolUpMM), 2048000.0 * 95 / 1024000);
    EXPECT_DOUBLE_EQ(Real(pHandle, NUMTolLoMM), 2048000.0 * 95 / 1024000);
    EXPECT_EQ((std::array<double, 2>{TestGraph(pHandle, GRAPHBarMaster)->cursors[1].x,
                                     TestGraph(pHandle, GRAPHBarSlave)->cursors[1].x}),
              (std::array<double, 2>{100, 4095}));
    ASSERT_EQ(TestTypeValue(pPara1, NUMTriggThresholdA, "33"), 0);
    EXPECT_EQ((std::array<int, 3>{trgBUFA[0], trgBUFA[127], trgBUFA[128]}), (std::array<int, 3>{33, 33, 7}));
    ASSERT_EQ(Choose(pPara1, DROPpmodeA, 1), 0);
    EXPECT_EQ(Attr(pPara1, NUMPvalA, ATTR_DIMMED), 1);
    EXPECT_EQ(Record(), record);

    GetPanelValues();  // now the record holds teach position 100
    ASSERT_EQ(TestTypeValue(pPara0, NUMToleranceUP, "200"), 0);
    EXPECT_EQ(Val(pPara0, NUMToleranceUP), 200);
}

// Right-clicks toggle a box and move it to the control clicked; a click on
// the box hides it; the two boxes are independent; a page's editor places
// its box in main-panel coordinates.
TEST_F(Display, HelpBoxesOpenBesideTheirControls) {
    int top = 0, left = 0, height = 0, width = 0;
    GetCtrlBoundingRect(pHandle, BTNStop, &top, &left, &height, &width);
    const std::array<int, 3> stopBox{1, left + width + 10, top - 20};
    EXPECT_EQ(Box(HelpText1)[0], 0);
    TestRightClick(pHandle, BTNRun);
    EXPECT_EQ(Box(HelpText1)[0], 1);
    EXPECT_EQ(TestTextBoxLines(pHandle, HelpText1),
              (std::vector<std::string>{"RUN-BUTTON:", "Start the continuous serial RS232",
                                        "data-transfer between PC and K-VOR", "sensor. 16 words are transferred!"}));
    TestRightClick(pHandle, BTNStop);  // hides the box, which takes the STOP text and place
    EXPECT_EQ(Box(HelpText1), (std::array<int, 3>{0, stopBox[1], stopBox[2]}));
    EXPECT_EQ(TestTextBoxLines(pHandle, HelpText1).at(0), "STOP-BUTTON:");
    TestRightClick(pHandle, BTNStop);
    EXPECT_EQ(Box(HelpText1), stopBox);

    SetCtrlAttribute(pHandle, GRAPHVideoMaster, ATTR_VISIBLE, 1);
    TestRightClick(pHandle, GRAPHVideoMaster);
    EXPECT_EQ((std::array<int, 2>{Box(HelpText1)[0], Box(HelpText2)[0]}), (std::array<int, 2>{1, 1}));
    EXPECT_EQ(TestTextBoxLines(pHandle, HelpText2).at(0), "VIDEO-GRAPH-MASTER:");
    TestClick(pHandle, HelpText2);
    TestRightClick(pHandle, HelpText1);
    EXPECT_EQ((std::array<int, 2>{Box(HelpText1)[0], Box(HelpText2)[0]}), (std::array<int, 2>{0, 0}));

    // The editor's rectangle (with its label) inside the page, the page at
    // (8, 98) inside the main panel.
    SetPanelAttribute(pPara0, ATTR_LEFT, 8);
    SetPanelAttribute(pPara0, ATTR_TOP, 98);
    DisplayPanel(pPara0);
    GetCtrlBoundingRect(pPara0, NUMToleranceUP, &top, &left, &height, &width);
    TestRightClick(pPara0, NUMToleranceUP);
    EXPECT_EQ(Box(HelpText1), (std::array<int, 3>{1, 8 + left + width + 20, 98 + top - 10}));
    EXPECT_EQ(TestTextBoxLines(pHandle, HelpText1).at(0), "TOLERANCE-UP:");
}

// A page toggle shows its page in place of the others, even when the click
// turned it off; the trigger view swaps the graph area; the mode drop-downs
// reshape the display at once.
TEST_F(Display, PageTriggerAndModeSelectors) {
    const auto shown = [] {
        return std::array<bool, 4>{TestPanelDisplayed(pPara0), TestPanelDisplayed(pPara1),
                                   TestPanelDisplayed(pPara2), TestPanelDisplayed(pCalib)};
    };
    TestClick(pHandle, TOGGBTN_Para1);
    EXPECT_EQ(shown(), (std::array<bool, 4>{false, true, false, false}));
    EXPECT_EQ((std::array<int, 4>{Val(pHandle, TOGGBTN_Para0), Val(pHandle, TOGGBTN_Para1), Val(pHandle, TOGGBTN_Para2),
                                  Val(pHandle, TOGGBTN_Calib)}), (std::array<int, 4>{0, 1, 0, 0}));
    TestClick(pHandle, TOGGBTN_Para1);
    EXPECT_EQ(Val(pHandle, TOGGBTN_Para1), 0);
    EXPECT_EQ(shown(), (std::array<bool, 4>{false, true, false, false}));
    TestClick(pHandle, TOGGBTN_Calib);
    EXPECT_EQ(shown(), (std::array<bool, 4>{false, false, false, true}));

    const std::initializer_list<int> area = {STRIPRaw,       GRAPHVideoMaster, GRAPHVideoSlave, GRAPHBarMaster,
                                             GRAPHBarSlave, SWITCHDataView,   GRAPHDataNorm,   GRAPHDataRaw};
    for (int ctrl : area) SetCtrlAttribute(pHandle, ctrl, ATTR_VISIBLE, 1);
    TestClick(pHandle, TOGBTN_Trigg);
    EXPECT_TRUE(TestPanelDisplayed(pTrigg));
    EXPECT_EQ(Attrs(area, ATTR_VISIBLE), (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1}));
    TestClick(pHandle, TOGBTN_Trigg);
    EXPECT_FALSE(TestPanelDisplayed(pTrigg));
    EXPECT_EQ(Attrs(area, ATTR_VISIBLE), (std::vector<int>{0, 1, 1, 1, 1, 0, 0, 0}));

    TestClick(pHandle, TOGGBTN_Para0);
    // Mode, raw/eval switch: teach editors dimmed, YAXISMAX, cursor 2 shown.
    const struct { int mode, evaluated, dimA, dimB, yMax, cursor2; } modes[] = {
        {3, 1, 1, 1, 8192, VAL_SOLID_CIRCLE}, {2, 1, 0, 0, 8192, VAL_NO_POINT}, {2, 0, 0, 0, 4096, VAL_NO_POINT},
        {4, 1, 0, 0, 8192, VAL_SOLID_CIRCLE}, {0, 1, 1, 0, 4096, VAL_NO_POINT}, {1, 1, 0, 1, 4096, VAL_NO_POINT},
    };
    for (const auto& m : modes) {
        SetCursorAttribute(pHandle, GRAPHBarSlave, 2, ATTR_CURSOR_POINT_STYLE, VAL_SOLID_CIRCLE);
        SetCtrlVal(pHandle, SWITCHRawEval, m.evaluated);
        ASSERT_EQ(Choose(pPara0, DropEvalMode, m.mode), 0);
        EXPECT_EQ((std::array<int, 4>{Attr(pPara1, NUMTeachA, ATTR_DIMMED), Attr(pPara2, NUMTeachB, ATTR_DIMMED),
                                      YAXISMAX, TestGraph(pHandle, GRAPHBarSlave)->cursors[1].pointStyle}),
                  (std::array<int, 4>{m.dimA, m.dimB, m.yMax, m.cursor2})) << "mode " << m.mode;
    }
    for (auto [hw, dimmed] : {std::pair(2, 0), {3, 1}, {0, 0}, {1, 1}}) {
        ASSERT_EQ(Choose(pPara0, DROPHardwareMode, hw), 0);
        EXPECT_EQ(Attrs({NUMToleranceUP, NUMToleranceLO}, ATTR_DIMMED, pPara0), std::vector<int>(2, dimmed)) << hw;
    }
    for (auto [ana, visible] : {std::pair(0, 0), {3, 1}}) {
        ASSERT_EQ(Choose(pPara0, DROPAnaMode, ana), 0);
        EXPECT_EQ(Attrs({NUMAnaMax, NUMAnaMin, ButtonReset}, ATTR_VISIBLE), std::vector<int>(3, visible));
    }
}

}  // namespace
