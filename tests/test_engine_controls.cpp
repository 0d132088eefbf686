// Control values and attributes through the engine calls, checked against
// both what the engine answers and what the widgets show.
#include <QLineEdit>

#include <array>
#include <string>
#include <tuple>

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

QColor shownColor(int panel, int ctrl, QPalette::ColorRole role) {
    TestFlushRepaints();
    return engine::controlWidget(panel, ctrl)->palette().color(role);
}

// Values are kept exactly as set, coerced into the control's range and
// kind, and read back as int by truncating and keeping the low bits.
TEST_F(EngineControls, ValuesAreKeptCoercedAndReadBackPerKind) {
    struct Row { int panel, ctrl; const char* type; double set, kept; int asInt; const char* shown; };
    const Row rows[] = {
        // NUMPvalA is 0..1000 in whole numbers; NUMScaleB shows 6 digits.
        {calib, NUMScaleB, "double", 1.234375, 1.234375, 1, "1.234375"},
        {calib, NUMSetpoint, "u32", 4294967295.0, 4294967295.0, -1, "4294967295"},
        {para1, NUMPvalA, "u16", 5000, 1000, 1000, "1000"},
        {para1, NUMPvalA, "u16", -3, 0, 0, "0"},
        {para1, NUMPvalA, "u16", 12.6, 13, 13, "13"},
        {main, NUMMeasMM, "double", -2.75, -2.75, -2, "-2.750"},
        {calib, NUMScaleA, "float", 2.5, 2.5, 2, "2.500000"},
        {main, SWITCHRawEval, nullptr, 7, 1, 1, "Raw/Eval"},
        {main, TOGGBTN_Para0, nullptr, 1, 1, 1, nullptr},
        {para1, SLIDEVideoTHD_A, nullptr, 999, 255, 255, nullptr},
        {para1, SLIDEVideoTHD_A, nullptr, 199.6, 200, 200, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.set);
        if (r.type) { EXPECT_EQ(engine::controlWidget(r.panel, r.ctrl)->property("dataType"), r.type); }
        ASSERT_EQ(SetCtrlVal(r.panel, r.ctrl, r.set), 0);
        EXPECT_EQ(val<double>(r.panel, r.ctrl), r.kept);
        EXPECT_EQ(val(r.panel, r.ctrl), r.asInt);
        if (r.shown) { EXPECT_EQ(TestCtrlText(r.panel, r.ctrl), r.shown); }
    }
    // Each of the program's integer and float widths.
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 70000u), 0);
    EXPECT_EQ(std::tuple(val<unsigned short>(calib, NUMSetpoint), val<short>(calib, NUMSetpoint),
                         val<unsigned>(calib, NUMSetpoint)), std::tuple(70000 - 65536, 70000 - 65536, 70000u));
    ASSERT_EQ(SetCtrlVal(calib, NUMScaleA, 1.2345f), 0);
    EXPECT_EQ(val<float>(calib, NUMScaleA), 1.2345f);
    // A fewer-digit display does not round what is kept; a narrower range pulls it in.
    ASSERT_EQ(SetCtrlAttribute(calib, NUMScaleB, ATTR_PRECISION, 2), 0);
    EXPECT_EQ(TestCtrlText(calib, NUMScaleB), "1.23");
    EXPECT_EQ(val<double>(calib, NUMScaleB), 1.234375);
    ASSERT_EQ(SetCtrlAttribute(para1, NUMPvalA, ATTR_MAX_VALUE, 5.0), 0);
    EXPECT_EQ(val(para1, NUMPvalA), 5);
    EXPECT_EQ(attr<double>(para1, NUMPvalA, ATTR_MAX_VALUE), 5.0);
    // Radios are not exclusive: the program clears the others itself.
    ASSERT_EQ(SetCtrlVal(main, RBTEeprom, 1), 0);
    EXPECT_EQ(val(main, RBTRam), 1);
}

TEST_F(EngineControls, RingsSelectByValue) {
    // DROPpmodeA items: off=0, on=1, fast=5.
    ASSERT_EQ(SetCtrlVal(para1, DROPpmodeA, 5), 0);
    EXPECT_EQ(attr(para1, DROPpmodeA, ATTR_CTRL_INDEX), 2);
    // A value no item holds leaves the ring as it was.
    EXPECT_EQ(SetCtrlVal(para1, DROPpmodeA, 2), UIEBadValue);
    EXPECT_EQ(val(para1, DROPpmodeA), 5);
    ASSERT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 1), 0);
    EXPECT_EQ(val(para1, DROPpmodeA), 1);
    EXPECT_EQ(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 3), UIEBadValue);
    EXPECT_EQ(attr(para1, DROPpmodeA, ATTR_NUM_ITEMS), 3);
    // Replacing the selected item's value selects by the new value.
    ASSERT_EQ(ReplaceListItem(para1, DROPpmodeA, 1, "slow", 7), 0);
    EXPECT_EQ(val(para1, DROPpmodeA), 7);
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
    EXPECT_EQ(shownColor(main, NUMMvalue, QPalette::Base), QColor(Qt::red));

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
    // A line past the last extends the box with empty lines.
    ASSERT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, 4, "five"), 0);
    ASSERT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, 1, "TWO"), 0);
    EXPECT_EQ(TestTextBoxLines(calib, TEXTSensorInfo), (std::vector<std::string>{"one", "TWO", "", "", "five"}));
    EXPECT_EQ(attr(calib, TEXTSensorInfo, ATTR_TEXT_LINES), 5);
    EXPECT_EQ(ReplaceTextBoxLine(calib, TEXTSensorInfo, -1, "x"), UIEBadValue);
    ASSERT_EQ(SetCtrlVal(calib, TEXTSensorInfo, ""), 0);  // replaces the whole text
    EXPECT_EQ(attr(calib, TEXTSensorInfo, ATTR_TEXT_LINES), 0);
}

TEST_F(EngineControls, AttributesReachTheWidgets) {
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 1), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_VISIBLE, 0), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_TEXT_BGCOLOR, VAL_RED), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_TEXT_COLOR, VAL_WHITE), 0);
    ASSERT_EQ(SetCtrlAttribute(main, DECOTitle, ATTR_FRAME_COLOR, 0x0080FF), 0);
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_LABEL_TEXT, "Position A"), 0);
    EXPECT_EQ(std::tuple(attr(main, BTNRun, ATTR_DIMMED), attr(main, NUMAval, ATTR_VISIBLE),
                         attr<std::string>(main, NUMAval, ATTR_LABEL_TEXT)), std::tuple(1, 0, "Position A"));
    TestFlushRepaints();
    EXPECT_EQ(std::pair(engine::controlWidget(main, BTNRun)->isEnabled(), engine::controlWidget(main, NUMAval)->isHidden()),
              std::pair(false, true));
    EXPECT_EQ(shownColor(main, NUMAval, QPalette::Base), QColor(Qt::red));
    EXPECT_EQ(shownColor(main, NUMAval, QPalette::Text), QColor(Qt::white));
    EXPECT_EQ(shownColor(main, DECOTitle, QPalette::Window), QColor(0x0080FF));

    // The strip chart's own attributes go to the chart; attributes a kind
    // lacks, and read-only ones, are refused.
    ASSERT_EQ(SetCtrlAttribute(main, STRIPRaw, ATTR_POINTS_PER_SCREEN, 250), 0);
    EXPECT_EQ(attr(main, STRIPRaw, ATTR_POINTS_PER_SCREEN), 250);
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
}

// As the title strip writes its lines: a label, the application font,
// colours, size, then the text.
TEST_F(EngineControls, TextMessagesCreatedAtRunTime) {
    const int id = NewCtrl(main, CTRL_TEXT_MSG, "", 24, 15);
    ASSERT_GT(id, 0);
    ASSERT_EQ(SetCtrlAttribute(main, id, ATTR_TEXT_FONT, VAL_APP_META_FONT), 0);
    ASSERT_EQ(SetCtrlAttribute(main, id, ATTR_TEXT_BGCOLOR, 0x0080FF), 0);
    ASSERT_EQ(SetCtrlAttribute(main, id, ATTR_TEXT_POINT_SIZE, 18), 0);
    ASSERT_EQ(SetCtrlVal(main, id, "K-VOR-QX-MS-Scope"), 0);
    EXPECT_EQ(std::tuple(attr(main, id, ATTR_LEFT), attr(main, id, ATTR_TOP)), std::tuple(15, 24));
    // Sized to the text; sizes count pixels, so the title strip's 18 leaves
    // the program name room before the version text 180 px further right.
    const int width = attr(main, id, ATTR_WIDTH);
    EXPECT_TRUE(width > 50 && width < 180) << width;
    EXPECT_EQ(attr(main, id, ATTR_TEXT_POINT_SIZE), 18);
    EXPECT_EQ(attr<std::string>(main, id, ATTR_TEXT_FONT), VAL_APP_META_FONT);
    EXPECT_EQ(TestCtrlText(main, id), "K-VOR-QX-MS-Scope");
    EXPECT_EQ(shownColor(main, id, QPalette::Window), QColor(0x0080FF));
    EXPECT_GT(NewCtrl(main, CTRL_TEXT_MSG, "Version", 38, 480), id);
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
