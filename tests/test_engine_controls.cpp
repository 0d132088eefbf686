// Control values and attributes through the engine calls, checked against
// both what the engine answers and what the widgets show.
#include <QLineEdit>

#include <cmath>
#include <string>

#include "engine/internal.h"
#include "support/engine_panels_fixture.h"

using fixture::EnginePanels;

namespace {

class EngineControls : public EnginePanels {};

TEST_F(EngineControls, NumericsKeepExactlyTheValueSet) {
    // A real shown with fewer digits than it has is still kept whole.
    ASSERT_EQ(SetCtrlVal(calib, NUMScaleB, 1.234375), 0);
    double d = 0;
    ASSERT_EQ(GetCtrlVal(calib, NUMScaleB, &d), 0);
    EXPECT_EQ(d, 1.234375);
    ASSERT_EQ(SetCtrlAttribute(calib, NUMScaleB, ATTR_PRECISION, 2), 0);
    ASSERT_EQ(GetCtrlVal(calib, NUMScaleB, &d), 0);
    EXPECT_EQ(d, 1.234375);
    EXPECT_EQ(TestCtrlText(calib, NUMScaleB), "1.23");

    // The whole unsigned 32-bit range.
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 4000000000u), 0);
    unsigned int u = 0;
    ASSERT_EQ(GetCtrlVal(calib, NUMSetpoint, &u), 0);
    EXPECT_EQ(u, 4000000000u);
    EXPECT_EQ(TestCtrlText(calib, NUMSetpoint), "4000000000");
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 4294967295u), 0);
    ASSERT_EQ(GetCtrlVal(calib, NUMSetpoint, &u), 0);
    EXPECT_EQ(u, 4294967295u);

    // A float control holds what a float can, shown with its precision.
    ASSERT_EQ(SetCtrlVal(calib, NUMScaleA, 1.2345f), 0);
    float f = 0;
    ASSERT_EQ(GetCtrlVal(calib, NUMScaleA, &f), 0);
    EXPECT_EQ(f, 1.2345f);
    EXPECT_EQ(TestCtrlText(calib, NUMScaleA), "1.234500");
}

TEST_F(EngineControls, NumericsAreCoercedIntoTheirRange) {
    // NUMPvalA is u16 0..1000.
    ASSERT_EQ(SetCtrlVal(para1, NUMPvalA, 5000), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlVal(para1, NUMPvalA, &v), 0);
    EXPECT_EQ(v, 1000);
    ASSERT_EQ(SetCtrlVal(para1, NUMPvalA, -3), 0);
    ASSERT_EQ(GetCtrlVal(para1, NUMPvalA, &v), 0);
    EXPECT_EQ(v, 0);
    // An integer control takes whole numbers only.
    ASSERT_EQ(SetCtrlVal(para1, NUMPvalA, 12.6), 0);
    ASSERT_EQ(GetCtrlVal(para1, NUMPvalA, &v), 0);
    EXPECT_EQ(v, 13);
    // Narrowing the range pulls the value in with it.
    ASSERT_EQ(SetCtrlVal(para1, NUMPvalA, 900), 0);
    ASSERT_EQ(SetCtrlAttribute(para1, NUMPvalA, ATTR_MAX_VALUE, 500.0), 0);
    ASSERT_EQ(GetCtrlVal(para1, NUMPvalA, &v), 0);
    EXPECT_EQ(v, 500);
    double max = 0;
    ASSERT_EQ(GetCtrlAttribute(para1, NUMPvalA, ATTR_MAX_VALUE, &max), 0);
    EXPECT_EQ(max, 500.0);
    EXPECT_EQ(TestCtrlText(para1, NUMPvalA), "500");
}

TEST_F(EngineControls, IntegerReadsTruncateAndKeepTheLowBits) {
    ASSERT_EQ(SetCtrlVal(main, NUMMeasMM, -2.75), 0);
    int i = 0;
    ASSERT_EQ(GetCtrlVal(main, NUMMeasMM, &i), 0);
    EXPECT_EQ(i, -2);
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 4000000000u), 0);
    ASSERT_EQ(GetCtrlVal(calib, NUMSetpoint, &i), 0);
    EXPECT_EQ(i, static_cast<int>(4000000000u - 4294967296ll));
    unsigned short us = 0;
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 70000), 0);
    ASSERT_EQ(GetCtrlVal(calib, NUMSetpoint, &us), 0);
    EXPECT_EQ(us, 70000 - 65536);
}

TEST_F(EngineControls, ButtonsSwitchesSlidesRoundTrip) {
    int v = -1;
    ASSERT_EQ(SetCtrlVal(main, TOGGBTN_Para0, 1), 0);
    ASSERT_EQ(GetCtrlVal(main, TOGGBTN_Para0, &v), 0);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(SetCtrlVal(main, RBTRam, 0), 0);
    ASSERT_EQ(SetCtrlVal(main, RBTEeprom, 1), 0);
    ASSERT_EQ(GetCtrlVal(main, RBTRam, &v), 0);
    EXPECT_EQ(v, 0);  // no automatic exclusivity between radios
    ASSERT_EQ(GetCtrlVal(main, RBTEeprom, &v), 0);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(SetCtrlVal(main, SWITCHRawEval, 7), 0);
    ASSERT_EQ(GetCtrlVal(main, SWITCHRawEval, &v), 0);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(SetCtrlVal(para1, SLIDEVideoTHD_A, 200), 0);
    ASSERT_EQ(GetCtrlVal(para1, SLIDEVideoTHD_A, &v), 0);
    EXPECT_EQ(v, 200);
    ASSERT_EQ(SetCtrlVal(para1, SLIDEVideoTHD_A, 999), 0);
    ASSERT_EQ(GetCtrlVal(para1, SLIDEVideoTHD_A, &v), 0);
    EXPECT_EQ(v, 255);

    TestFlushRepaints();
    // The widgets show it once pushed.
    EXPECT_EQ(TestCtrlText(main, SWITCHRawEval), "Raw/Eval");
}

TEST_F(EngineControls, RingsSelectByValue) {
    // DROPpmodeA items: off=0, on=1, fast=5.
    ASSERT_EQ(SetCtrlVal(para1, DROPpmodeA, 5), 0);
    int v = -1, index = -1;
    ASSERT_EQ(GetCtrlVal(para1, DROPpmodeA, &v), 0);
    EXPECT_EQ(v, 5);
    ASSERT_EQ(GetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, &index), 0);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(TestCtrlText(para1, DROPpmodeA), "fast");

    // A value no item holds leaves the ring as it was.
    EXPECT_EQ(SetCtrlVal(para1, DROPpmodeA, 2), UIEBadValue);
    ASSERT_EQ(GetCtrlVal(para1, DROPpmodeA, &v), 0);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(TestCtrlText(para1, DROPpmodeA), "fast");

    ASSERT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 1), 0);
    ASSERT_EQ(GetCtrlVal(para1, DROPpmodeA, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 3), UIEBadValue);
    int count = 0;
    ASSERT_EQ(GetCtrlAttribute(para1, DROPpmodeA, ATTR_NUM_ITEMS, &count), 0);
    EXPECT_EQ(count, 3);

    // Replacing an item changes both its label and its value.
    ASSERT_EQ(ReplaceListItem(para1, DROPpmodeA, 1, "slow", 7), 0);
    ASSERT_EQ(GetCtrlVal(para1, DROPpmodeA, &v), 0);
    EXPECT_EQ(v, 7);
    const auto items = TestListItems(para1, DROPpmodeA);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1], std::make_pair(std::string("slow"), 7));
    EXPECT_EQ(ReplaceListItem(para1, DROPpmodeA, 3, "x", 1), UIEBadValue);
}

TEST_F(EngineControls, PortListShowsDevicesButKeepsPortNumbers) {
    const auto items = TestListItems(main, DropDCom);
    ASSERT_EQ(items.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].second, i + 1);
        EXPECT_EQ(items[i].first, ComPortDescription(i + 1));
    }
    ASSERT_EQ(SetCtrlVal(main, DropDCom, 2), 0);
    int port = 0;
    ASSERT_EQ(GetCtrlVal(main, DropDCom, &port), 0);
    EXPECT_EQ(port, 2);
}

TEST_F(EngineControls, TextsAreLatin1AtTheInterface) {
    const char micro[] = "SETPOINT-VALUE [\xB5m]: ";
    ASSERT_EQ(SetCtrlVal(main, TEXTStatus, micro), 0);
    std::string back;
    ASSERT_EQ(GetCtrlVal(main, TEXTStatus, &back), 0);
    EXPECT_EQ(back, micro);
    EXPECT_EQ(TestCtrlText(main, TEXTStatus), micro);
    auto* status = qobject_cast<QLineEdit*>(engine::controlWidget(main, TEXTStatus));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().contains(QChar(0x00B5))) << status->text().toStdString();
    ASSERT_EQ(ResetTextBox(calib, TEXTSensorInfo, micro), 0);
    // On screen the byte is the micro sign.
    TestFlushRepaints();
    std::string shown = TestCtrlText(calib, TEXTSensorInfo);
    EXPECT_EQ(shown, micro);
    // A label from the resource file (UTF-8 there) reads back as Latin-1.
    std::string label;
    ASSERT_EQ(GetCtrlAttribute(main, NUMMeasMM, ATTR_LABEL_TEXT, &label), 0);
    EXPECT_EQ(label, "Measured [\xB5m]");
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_LABEL_TEXT, "\xB5RUN"), 0);
    EXPECT_EQ(TestCtrlText(main, BTNRun), "\xB5RUN");
}

TEST_F(EngineControls, SettersOnlyRecordAndTheWidgetsCatchUpOnce) {
    TestFlushRepaints();
    const long long before = TestPushCount();
    // A thousand frames' worth of values on two indicators ...
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(SetCtrlVal(main, NUMAval, i), 0);
        ASSERT_EQ(SetCtrlAttribute(main, NUMMvalue, ATTR_TEXT_BGCOLOR, i % 2 ? VAL_RED : VAL_GREEN), 0);
    }
    // ... are read back at once, before any repaint ...
    int v = 0, color = 0;
    ASSERT_EQ(GetCtrlVal(main, NUMAval, &v), 0);
    ASSERT_EQ(GetCtrlAttribute(main, NUMMvalue, ATTR_TEXT_BGCOLOR, &color), 0);
    EXPECT_EQ(v, 999);
    EXPECT_EQ(color, VAL_RED);
    EXPECT_EQ(TestPushCount(), before);
    // ... and reach each widget in one push.
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
    int lines = 0;
    ASSERT_EQ(GetCtrlAttribute(calib, TEXTSensorInfo, ATTR_TEXT_LINES, &lines), 0);
    EXPECT_EQ(lines, 2);
    ASSERT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, 1, "TWO"), 0);
    // A line past the last extends the box with empty lines.
    ASSERT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, 4, "five"), 0);
    EXPECT_EQ(TestTextBoxLines(calib, TEXTSensorInfo),
              (std::vector<std::string>{"one", "TWO", "", "", "five"}));
    ASSERT_EQ(GetCtrlAttribute(calib, TEXTSensorInfo, ATTR_TEXT_LINES, &lines), 0);
    EXPECT_EQ(lines, 5);
    EXPECT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, -1, "x"), UIEBadValue);
    ASSERT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, 0, "ONE"), 0);
    std::string text;
    ASSERT_EQ(GetCtrlVal(calib, TEXTSensorInfo, &text), 0);
    EXPECT_EQ(text, "ONE\nTWO\n\n\nfive");
    // SetCtrlVal on a text box replaces the whole text.
    ASSERT_EQ(SetCtrlVal(calib, TEXTSensorInfo, "new"), 0);
    EXPECT_EQ(TestTextBoxLines(calib, TEXTSensorInfo), (std::vector<std::string>{"new"}));
    ASSERT_EQ(ResetTextBox(calib, TEXTSensorInfo, ""), 0);
    ASSERT_EQ(GetCtrlAttribute(calib, TEXTSensorInfo, ATTR_TEXT_LINES, &lines), 0);
    EXPECT_EQ(lines, 0);
}

TEST_F(EngineControls, AttributesReachTheWidgets) {
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 1), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_VISIBLE, 0), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_TEXT_BGCOLOR, VAL_RED), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_TEXT_COLOR, VAL_WHITE), 0);
    ASSERT_EQ(SetCtrlAttribute(main, DECOTitle, ATTR_FRAME_COLOR, 0x0080FF), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlAttribute(main, BTNRun, ATTR_DIMMED, &v), 0);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(GetCtrlAttribute(main, NUMAval, ATTR_VISIBLE, &v), 0);
    EXPECT_EQ(v, 0);
    ASSERT_EQ(GetCtrlAttribute(main, NUMAval, ATTR_TEXT_BGCOLOR, &v), 0);
    EXPECT_EQ(v, VAL_RED);

    EXPECT_FALSE(TestCtrlEnabled(main, BTNRun));
    EXPECT_FALSE(TestCtrlShown(main, NUMAval));
    EXPECT_EQ(TestCtrlColors(main, NUMAval).background, VAL_RED);
    EXPECT_EQ(TestCtrlColors(main, NUMAval).text, VAL_WHITE);
    EXPECT_EQ(TestCtrlColors(main, DECOTitle).background, 0x0080FF);

    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 0), 0);
    EXPECT_TRUE(TestCtrlEnabled(main, BTNRun));
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_LABEL_TEXT, "Position A"), 0);
    std::string label;
    ASSERT_EQ(GetCtrlAttribute(main, NUMAval, ATTR_LABEL_TEXT, &label), 0);
    EXPECT_EQ(label, "Position A");
    ASSERT_EQ(GetCtrlAttribute(main, BTNRun, ATTR_LABEL_TEXT, &label), 0);
    EXPECT_EQ(label, "RUN");

    // Unsupported attributes and read-only ones are refused.
    EXPECT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_PRECISION, 3), UIEBadAttr);
    EXPECT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_NUM_ITEMS, 3), UIEBadAttr);
    EXPECT_EQ(GetCtrlAttribute(main, BTNRun, ATTR_TEXT_LINES, &v), UIEBadAttr);
}

TEST_F(EngineControls, GeometryMovesControlAndLabelTogether) {
    int top = 0, left = 0, height = 0, width = 0;
    // NUMAval at (340, 300) 80x24, its label at (340, 280) 80x16.
    ASSERT_EQ(GetCtrlBoundingRect(main, NUMAval, &top, &left, &height, &width), 0);
    EXPECT_EQ(top, 280);
    EXPECT_EQ(left, 340);
    EXPECT_EQ(height, 44);
    EXPECT_EQ(width, 80);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_LEFT, 100), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_TOP, 200), 0);
    ASSERT_EQ(GetCtrlBoundingRect(main, NUMAval, &top, &left, &height, &width), 0);
    EXPECT_EQ(top, 180);
    EXPECT_EQ(left, 100);
    int v = 0;
    ASSERT_EQ(GetCtrlAttribute(main, NUMAval, ATTR_TOP, &v), 0);
    EXPECT_EQ(v, 200);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_WIDTH, 120), 0);
    ASSERT_EQ(GetCtrlAttribute(main, NUMAval, ATTR_WIDTH, &v), 0);
    EXPECT_EQ(v, 120);
    // A control without a label: its own rectangle.
    ASSERT_EQ(GetCtrlBoundingRect(main, BTNRun, &top, &left, &height, &width), 0);
    EXPECT_EQ(top, 300);
    EXPECT_EQ(left, 20);
    EXPECT_EQ(height, 30);
    EXPECT_EQ(width, 80);
}

TEST_F(EngineControls, StripChartAttributesGoToTheChart) {
    ASSERT_EQ(SetCtrlAttribute(main, STRIPRaw, ATTR_POINTS_PER_SCREEN, 250), 0);
    ASSERT_EQ(SetCtrlAttribute(main, STRIPRaw, ATTR_NUM_TRACES, 7), 0);
    int v = 0;
    ASSERT_EQ(GetCtrlAttribute(main, STRIPRaw, ATTR_POINTS_PER_SCREEN, &v), 0);
    EXPECT_EQ(v, 250);
    ASSERT_EQ(GetCtrlAttribute(main, STRIPRaw, ATTR_NUM_TRACES, &v), 0);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_NUM_TRACES, 7), UIEBadAttr);
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
    int left = 0, top = 0, width = 0;
    ASSERT_EQ(GetCtrlAttribute(main, id, ATTR_LEFT, &left), 0);
    ASSERT_EQ(GetCtrlAttribute(main, id, ATTR_TOP, &top), 0);
    ASSERT_EQ(GetCtrlAttribute(main, id, ATTR_WIDTH, &width), 0);
    EXPECT_EQ(left, 15);
    EXPECT_EQ(top, 24);
    EXPECT_GT(width, 50);  // sized to the text
    // Sizes count pixels: the title strip's 18 leaves the program name room
    // before the version text 180 px further right.
    EXPECT_LT(width, 180);
    int size = 0;
    ASSERT_EQ(GetCtrlAttribute(main, id, ATTR_TEXT_POINT_SIZE, &size), 0);
    EXPECT_EQ(size, 18);
    EXPECT_EQ(TestCtrlText(main, id), "K-VOR-QX-MS-Scope");
    EXPECT_EQ(TestCtrlColors(main, id).background, 0x0080FF);
    EXPECT_EQ(TestCtrlColors(main, id).text, VAL_WHITE);
    std::string font;
    ASSERT_EQ(GetCtrlAttribute(main, id, ATTR_TEXT_FONT, &font), 0);
    EXPECT_EQ(font, VAL_APP_META_FONT);
    // Each call adds a control.
    const int second = NewCtrl(main, CTRL_TEXT_MSG, "Version", 38, 480);
    EXPECT_GT(second, id);
    EXPECT_EQ(TestCtrlText(main, second), "Version");
    EXPECT_EQ(NewCtrl(main, 99, "", 0, 0), UIEBadValue);
    EXPECT_EQ(NewCtrl(9999, CTRL_TEXT_MSG, "", 0, 0), UIEBadPanel);
}

TEST_F(EngineControls, ImageFiles) {
    // The build copies zu.bmp next to the test binaries.
    EXPECT_EQ(DisplayImageFile(main, PICTLogo, "zu.bmp"), 0);
    EXPECT_EQ(DisplayImageFile(main, PICTLogo, "no-such-image.bmp"), UIEFileOpen);
    EXPECT_EQ(DisplayImageFile(main, BTNRun, "zu.bmp"), UIEBadCtrl);
}

TEST_F(EngineControls, BadHandlesAndWrongTypes) {
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
}

}  // namespace
