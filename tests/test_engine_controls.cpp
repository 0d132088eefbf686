// Control values and attributes through the engine calls, checked against
// both what the engine answers and what the widgets show.
#include <QLineEdit>

#include <array>
#include <string>

#include "engine/internal.h"
#include "support/engine_panels_fixture.h"

using fixture::attr;
using fixture::EnginePanels;
using fixture::val;

namespace {

class EngineControls : public EnginePanels {};

std::array<int, 4> boundingRect(int panel, int ctrl) {  // top, left, height, width
    std::array<int, 4> r{};
    EXPECT_EQ(GetCtrlBoundingRect(panel, ctrl, &r[0], &r[1], &r[2], &r[3]), 0);
    return r;
}

TEST_F(EngineControls, NumericsKeepExactlyTheValueSet) {
    // A real shown with fewer digits than it has is still kept whole.
    ASSERT_EQ(SetCtrlVal(calib, NUMScaleB, 1.234375), 0);
    ASSERT_EQ(SetCtrlAttribute(calib, NUMScaleB, ATTR_PRECISION, 2), 0);
    EXPECT_EQ(val<double>(calib, NUMScaleB), 1.234375);
    EXPECT_EQ(TestCtrlText(calib, NUMScaleB), "1.23");
    // The whole unsigned 32-bit range.
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 4000000000u), 0);
    EXPECT_EQ(val<unsigned>(calib, NUMSetpoint), 4000000000u);
    EXPECT_EQ(TestCtrlText(calib, NUMSetpoint), "4000000000");
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 4294967295u), 0);
    EXPECT_EQ(val<unsigned>(calib, NUMSetpoint), 4294967295u);
    // A float control holds what a float can, shown with its precision.
    ASSERT_EQ(SetCtrlVal(calib, NUMScaleA, 1.2345f), 0);
    EXPECT_EQ(val<float>(calib, NUMScaleA), 1.2345f);
    EXPECT_EQ(TestCtrlText(calib, NUMScaleA), "1.234500");
}

TEST_F(EngineControls, NumericsAreCoercedIntoTheirRange) {
    // NUMPvalA is u16 0..1000 and takes whole numbers only.
    for (auto [set, expected] : {std::pair{5000.0, 1000}, {-3.0, 0}, {12.6, 13}}) {
        ASSERT_EQ(SetCtrlVal(para1, NUMPvalA, set), 0);
        EXPECT_EQ(val(para1, NUMPvalA), expected) << set;
    }
    // Narrowing the range pulls the value in with it.
    ASSERT_EQ(SetCtrlVal(para1, NUMPvalA, 900), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, NUMPvalA, ATTR_MAX_VALUE, 500.0), 0);
    EXPECT_EQ(val(para1, NUMPvalA), 500);
    EXPECT_EQ(attr<double>(para1, NUMPvalA, ATTR_MAX_VALUE), 500.0);
    EXPECT_EQ(TestCtrlText(para1, NUMPvalA), "500");
}

TEST_F(EngineControls, IntegerReadsTruncateAndKeepTheLowBits) {
    ASSERT_EQ(SetCtrlVal(main, NUMMeasMM, -2.75), 0);
    EXPECT_EQ(val(main, NUMMeasMM), -2);
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 4000000000u), 0);
    EXPECT_EQ(val(calib, NUMSetpoint), static_cast<int>(4000000000u - 4294967296ll));
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 70000), 0);
    EXPECT_EQ(val<unsigned short>(calib, NUMSetpoint), 70000 - 65536);
}

TEST_F(EngineControls, ButtonsSwitchesSlidesRoundTrip) {
    ASSERT_EQ(SetCtrlVal(main, TOGGBTN_Para0, 1), 0);
    EXPECT_EQ(val(main, TOGGBTN_Para0), 1);
    ASSERT_EQ(SetCtrlVal(main, RBTRam, 0), 0);
    ASSERT_EQ(SetCtrlVal(main, RBTEeprom, 1), 0);
    EXPECT_EQ(val(main, RBTRam), 0);  // no automatic exclusivity between radios
    EXPECT_EQ(val(main, RBTEeprom), 1);
    ASSERT_EQ(SetCtrlVal(main, SWITCHRawEval, 7), 0);
    EXPECT_EQ(val(main, SWITCHRawEval), 1);
    for (auto [set, expected] : {std::pair{200, 200}, {999, 255}}) {
        ASSERT_EQ(SetCtrlVal(para1, SLIDEVideoTHD_A, set), 0);
        EXPECT_EQ(val(para1, SLIDEVideoTHD_A), expected);
    }
    TestFlushRepaints();
    EXPECT_EQ(TestCtrlText(main, SWITCHRawEval), "Raw/Eval");
}

TEST_F(EngineControls, RingsSelectByValue) {
    // DROPpmodeA items: off=0, on=1, fast=5.
    ASSERT_EQ(SetCtrlVal(para1, DROPpmodeA, 5), 0);
    EXPECT_EQ(attr(para1, DROPpmodeA, ATTR_CTRL_INDEX), 2);
    // A value no item holds leaves the ring as it was.
    EXPECT_EQ(SetCtrlVal(para1, DROPpmodeA, 2), UIEBadValue);
    EXPECT_EQ(val(para1, DROPpmodeA), 5);
    EXPECT_EQ(TestCtrlText(para1, DROPpmodeA), "fast");

    ASSERT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 1), 0);
    EXPECT_EQ(val(para1, DROPpmodeA), 1);
    EXPECT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 3), UIEBadValue);
    EXPECT_EQ(attr(para1, DROPpmodeA, ATTR_NUM_ITEMS), 3);

    // Replacing an item changes both its label and its value.
    ASSERT_EQ(ReplaceListItem(para1, DROPpmodeA, 1, "slow", 7), 0);
    EXPECT_EQ(val(para1, DROPpmodeA), 7);
    const auto items = TestListItems(para1, DROPpmodeA);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1], std::make_pair(std::string("slow"), 7));
    EXPECT_EQ(ReplaceListItem(para1, DROPpmodeA, 3, "x", 1), UIEBadValue);
}

TEST_F(EngineControls, TextsAreLatin1AtTheInterface) {
    const char micro[] = "SETPOINT-VALUE [\xB5m]: ";
    ASSERT_EQ(SetCtrlVal(main, TEXTStatus, micro), 0);
    EXPECT_EQ(val<std::string>(main, TEXTStatus), micro);
    EXPECT_EQ(TestCtrlText(main, TEXTStatus), micro);
    auto* status = qobject_cast<QLineEdit*>(engine::controlWidget(main, TEXTStatus));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().contains(QChar(0x00B5))) << status->text().toStdString();
    ASSERT_EQ(ResetTextBox(calib, TEXTSensorInfo, micro), 0);
    TestFlushRepaints();
    EXPECT_EQ(TestCtrlText(calib, TEXTSensorInfo), micro);
    // A label from the resource file (UTF-8 there) reads back as Latin-1.
    EXPECT_EQ(attr<std::string>(main, NUMMeasMM, ATTR_LABEL_TEXT), "Measured [\xB5m]");
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_LABEL_TEXT, "\xB5RUN"), 0);
    EXPECT_EQ(TestCtrlText(main, BTNRun), "\xB5RUN");
}

TEST_F(EngineControls, SettersOnlyRecordAndTheWidgetsCatchUpOnce) {
    TestFlushRepaints();
    const long long before = TestPushCount();
    // A thousand frames' worth of values on two indicators are read back at
    // once, before any repaint, and reach each widget in one push.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(SetCtrlVal(main, NUMAval, i), 0);
        ASSERT_EQ(SetCtrlAttribute(main, NUMMvalue, ATTR_TEXT_BGCOLOR, i % 2 ? VAL_RED : VAL_GREEN), 0);
    }
    EXPECT_EQ(val(main, NUMAval), 999);
    EXPECT_EQ(attr(main, NUMMvalue, ATTR_TEXT_BGCOLOR), VAL_RED);
    EXPECT_EQ(TestPushCount(), before);
    TestFlushRepaints();
    EXPECT_EQ(TestPushCount(), before + 2);
    EXPECT_EQ(TestCtrlText(main, NUMAval), "999");
    EXPECT_EQ(TestCtrlColors(main, NUMMvalue).background, VAL_RED);

    // Setting what is already there changes nothing and pushes nothing.
    ASSERT_EQ(SetCtrlVal(main, NUMAval, 999), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMMvalue, ATTR_TEXT_BGCOLOR, VAL_RED), 0);
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 0), 0);
    TestFlushRepaints();
    EXPECT_EQ(TestPushCount(), before + 2);

    // Without a flush, running events brings the widgets up to date too.
    ASSERT_EQ(SetCtrlVal(main, NUMAval, 5), 0);
    EXPECT_TRUE(TestWaitFor([&] { return TestPushCount() == before + 3; }, 2000));
    EXPECT_EQ(TestCtrlText(main, NUMAval), "5");
}

TEST_F(EngineControls, TextBoxLines) {
    ASSERT_EQ(ResetTextBox(calib, TEXTSensorInfo, "one\ntwo"), 0);
    EXPECT_EQ(attr(calib, TEXTSensorInfo, ATTR_TEXT_LINES), 2);
    ASSERT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, 1, "TWO"), 0);
    // A line past the last extends the box with empty lines.
    ASSERT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, 4, "five"), 0);
    EXPECT_EQ(TestTextBoxLines(calib, TEXTSensorInfo), (std::vector<std::string>{"one", "TWO", "", "", "five"}));
    EXPECT_EQ(attr(calib, TEXTSensorInfo, ATTR_TEXT_LINES), 5);
    EXPECT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, -1, "x"), UIEBadValue);
    ASSERT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, 0, "ONE"), 0);
    EXPECT_EQ(val<std::string>(calib, TEXTSensorInfo), "ONE\nTWO\n\n\nfive");
    // SetCtrlVal on a text box replaces the whole text.
    ASSERT_EQ(SetCtrlVal(calib, TEXTSensorInfo, "new"), 0);
    EXPECT_EQ(TestTextBoxLines(calib, TEXTSensorInfo), (std::vector<std::string>{"new"}));
    ASSERT_EQ(ResetTextBox(calib, TEXTSensorInfo, ""), 0);
    EXPECT_EQ(attr(calib, TEXTSensorInfo, ATTR_TEXT_LINES), 0);
}

TEST_F(EngineControls, AttributesReachTheWidgets) {
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 1), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_VISIBLE, 0), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_TEXT_BGCOLOR, VAL_RED), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_TEXT_COLOR, VAL_WHITE), 0);
    ASSERT_EQ(SetCtrlAttribute(main, DECOTitle, ATTR_FRAME_COLOR, 0x0080FF), 0);
    EXPECT_EQ(attr(main, BTNRun, ATTR_DIMMED), 1);
    EXPECT_EQ(attr(main, NUMAval, ATTR_VISIBLE), 0);
    EXPECT_EQ(attr(main, NUMAval, ATTR_TEXT_BGCOLOR), VAL_RED);
    EXPECT_FALSE(TestCtrlEnabled(main, BTNRun));
    EXPECT_FALSE(TestCtrlShown(main, NUMAval));
    EXPECT_EQ(TestCtrlColors(main, NUMAval).background, VAL_RED);
    EXPECT_EQ(TestCtrlColors(main, NUMAval).text, VAL_WHITE);
    EXPECT_EQ(TestCtrlColors(main, DECOTitle).background, 0x0080FF);
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 0), 0);
    EXPECT_TRUE(TestCtrlEnabled(main, BTNRun));

    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_LABEL_TEXT, "Position A"), 0);
    EXPECT_EQ(attr<std::string>(main, NUMAval, ATTR_LABEL_TEXT), "Position A");
    EXPECT_EQ(attr<std::string>(main, BTNRun, ATTR_LABEL_TEXT), "RUN");

    // The strip chart's own attributes go to the chart.
    ASSERT_EQ(SetCtrlAttribute(main, STRIPRaw, ATTR_POINTS_PER_SCREEN, 250), 0);
    ASSERT_EQ(SetCtrlAttribute(main, STRIPRaw, ATTR_NUM_TRACES, 7), 0);
    EXPECT_EQ(attr(main, STRIPRaw, ATTR_POINTS_PER_SCREEN), 250);
    EXPECT_EQ(attr(main, STRIPRaw, ATTR_NUM_TRACES), 7);

    // Attributes a kind lacks, and read-only ones, are refused.
    int v = 0;
    EXPECT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_NUM_TRACES, 7), UIEBadAttr);
    EXPECT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_PRECISION, 3), UIEBadAttr);
    EXPECT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_NUM_ITEMS, 3), UIEBadAttr);
    EXPECT_EQ(GetCtrlAttribute(main, BTNRun, ATTR_TEXT_LINES, &v), UIEBadAttr);
}

TEST_F(EngineControls, GeometryMovesControlAndLabelTogether) {
    // NUMAval at (340, 300) 80x24, its label at (340, 280) 80x16.
    EXPECT_EQ(boundingRect(main, NUMAval), (std::array{280, 340, 44, 80}));
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_LEFT, 100), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_TOP, 200), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_WIDTH, 120), 0);
    EXPECT_EQ(boundingRect(main, NUMAval), (std::array{180, 100, 44, 120}));
    EXPECT_EQ(attr(main, NUMAval, ATTR_TOP), 200);
    EXPECT_EQ(attr(main, NUMAval, ATTR_WIDTH), 120);
    // A control without a label: its own rectangle.
    EXPECT_EQ(boundingRect(main, BTNRun), (std::array{300, 20, 30, 80}));
}

TEST_F(EngineControls, TextMessagesCreatedAtRunTime) {
    // As the title strip writes its lines: a label, the application font,
    // colours, size, then the text.
    const int id = NewCtrl(main, CTRL_TEXT_MSG, "", 24, 15);
    ASSERT_GT(id, 0);
    EXPECT_EQ(TestCtrlKind(main, id), KIND_TEXTMSG);
    ASSERT_EQ(SetCtrlAttribute(main, id, ATTR_TEXT_FONT, VAL_APP_META_FONT), 0);
    ASSERT_EQ(SetCtrlAttribute(main, id, ATTR_TEXT_BGCOLOR, 0x0080FF), 0);
    ASSERT_EQ(SetCtrlAttribute(main, id, ATTR_TEXT_COLOR, VAL_WHITE), 0);
    ASSERT_EQ(SetCtrlAttribute(main, id, ATTR_TEXT_POINT_SIZE, 18), 0);
    ASSERT_EQ(SetCtrlVal(main, id, "K-VOR-QX-MS-Scope"), 0);
    EXPECT_EQ(attr(main, id, ATTR_LEFT), 15);
    EXPECT_EQ(attr(main, id, ATTR_TOP), 24);
    // Sized to the text; sizes count pixels, so the title strip's 18 leaves
    // the program name room before the version text 180 px further right.
    const int width = attr(main, id, ATTR_WIDTH);
    EXPECT_GT(width, 50);
    EXPECT_LT(width, 180);
    EXPECT_EQ(attr(main, id, ATTR_TEXT_POINT_SIZE), 18);
    EXPECT_EQ(attr<std::string>(main, id, ATTR_TEXT_FONT), VAL_APP_META_FONT);
    EXPECT_EQ(TestCtrlText(main, id), "K-VOR-QX-MS-Scope");
    EXPECT_EQ(TestCtrlColors(main, id).background, 0x0080FF);
    EXPECT_EQ(TestCtrlColors(main, id).text, VAL_WHITE);
    // Each call adds a control.
    const int second = NewCtrl(main, CTRL_TEXT_MSG, "Version", 38, 480);
    EXPECT_GT(second, id);
    EXPECT_EQ(TestCtrlText(main, second), "Version");
    EXPECT_EQ(NewCtrl(main, 99, "", 0, 0), UIEBadValue);
    EXPECT_EQ(NewCtrl(9999, CTRL_TEXT_MSG, "", 0, 0), UIEBadPanel);
}

TEST_F(EngineControls, BadHandlesWrongTypesAndImageFiles) {
    int v = 0;
    double d = 0;
    std::string s;
    EXPECT_EQ(SetCtrlVal(9999, NUMAval, 1), UIEBadPanel);
    EXPECT_EQ(GetCtrlVal(9999, NUMAval, &v), UIEBadPanel);
    // A control of another panel is not on this one.
    EXPECT_EQ(SetCtrlVal(main, NUMPvalA, 1), UIEBadCtrl);
    EXPECT_EQ(GetCtrlVal(para1, NUMAval, &d), UIEBadCtrl);
    EXPECT_EQ(SetCtrlAttribute(main, 99999, ATTR_DIMMED, 1), UIEBadCtrl);
    EXPECT_EQ(GetCtrlBoundingRect(9999, NUMAval, &v, &v, &v, &v), UIEBadPanel);
    EXPECT_EQ(ResetTextBox(main, NUMAval, "x"), UIEBadCtrl);
    EXPECT_EQ(ReplaceTextBoxLine(9999, TEXTSensorInfo, 0, "x"), UIEBadPanel);
    // Values of the wrong type.
    EXPECT_EQ(SetCtrlVal(main, NUMAval, "12"), UIEBadValue);
    EXPECT_EQ(GetCtrlVal(main, NUMAval, &s), UIEBadValue);
    EXPECT_EQ(GetCtrlVal(main, TEXTStatus, &v), UIEBadValue);
    EXPECT_EQ(SetCtrlVal(main, GRAPHVideoMaster, 1), UIEBadValue);
    // The build copies zu.bmp next to the test binaries.
    EXPECT_EQ(DisplayImageFile(main, PICTLogo, "zu.bmp"), 0);
    EXPECT_EQ(DisplayImageFile(main, PICTLogo, "no-such-image.bmp"), UIEFileOpen);
    EXPECT_EQ(DisplayImageFile(main, BTNRun, "zu.bmp"), UIEBadCtrl);
}

}  // namespace
