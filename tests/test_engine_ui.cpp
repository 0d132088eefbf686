// Panels, controls and events through the engine calls, on the small
// resource file tests/data/engine_panels.uir (main panel with two child
// panels, a top-level pop-up), checked against what the engine answers, what
// the widgets show and which callbacks real mouse and key events reach; and
// the program's own resource file as start-up loads it.
#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/callbacks.h"
#include "engine/cvi.h"
#include "engine/internal.h"
#include "engine/testing.h"
#include "engine/uistate.h"

using namespace std::string_literals;

namespace {

struct Event {
    int panel, control, event;  // control 0 for a panel event
    bool operator==(const Event&) const = default;
};
std::vector<Event> g_events;

int recordCtrl(int panel, int control, int event, void*, int, int) {
    g_events.push_back({panel, control, event});
    return 0;
}
int recordPanel(int panel, int event, void* data, int d1, int d2) { return recordCtrl(panel, 0, event, data, d1, d2); }

// Every name the test file uses except "CC_NoSuchCallback".
const CallbackEntry kCallbacks[] = {
    {"CC_PANEL", nullptr, recordPanel}, {"CC_POPUP", nullptr, recordPanel}, {"CC_BTNRun", recordCtrl, nullptr},
    {"CC_BTNStop", recordCtrl, nullptr}, {"CC_TOGGBTN_Para0", recordCtrl, nullptr}, {"CC_RBTRam", recordCtrl, nullptr},
    {"CC_RBTEeprom", recordCtrl, nullptr}, {"CC_DropDCom", recordCtrl, nullptr}, {"CC_SWITCHDataView", recordCtrl, nullptr},
    {"CC_HelpText1", recordCtrl, nullptr}, {"CC_GRAPHVideoMaster", recordCtrl, nullptr}, {"CC_NUMPvalA", recordCtrl, nullptr},
    {"CC_DROPpmodeA", recordCtrl, nullptr}, {"CC_SLIDEVideoTHD_A", recordCtrl, nullptr}, {"CC_NUMTeachA", recordCtrl, nullptr},
    {"CC_NUMTriggThresholdA", recordCtrl, nullptr}, {"CC_BTNStartRecord", recordCtrl, nullptr},
};
constexpr const char* kFile = "engine_panels.uir";

// A control's value / attribute as the engine answers it; the call must succeed.
template <class T = int>
T val(int panel, int ctrl) {
    T v{};
    EXPECT_EQ(GetCtrlVal(panel, ctrl, &v), 0) << "control " << ctrl;
    return v;
}
template <class T = int>
T attr(int panel, int ctrl, int attribute) {
    T v{};
    EXPECT_EQ(GetCtrlAttribute(panel, ctrl, attribute, &v), 0) << "control " << ctrl << " attribute " << attribute;
    return v;
}
int panelAttr(int panel, int attribute) {
    int v = -1;
    EXPECT_EQ(GetPanelAttribute(panel, attribute, &v), 0) << "attribute " << attribute;
    return v;
}
QColor shownColor(int panel, int ctrl, QPalette::ColorRole role) {
    TestFlushRepaints();
    return engine::controlWidget(panel, ctrl)->palette().color(role);
}

class EngineUi : public ::testing::Test {
protected:
    // The first load in this process, which reports the unknown callback name.
    static void SetUpTestSuite() {
        testing::internal::CaptureStderr();
        DiscardPanel(LoadPanel(0, kFile, MAINPANEL));
        firstLoadErrors = testing::internal::GetCapturedStderr();
    }
    static inline std::string firstLoadErrors;
    void SetUp() override {
        RegisterCallbacks(kCallbacks, std::size(kCallbacks));
        main = LoadPanel(0, kFile, MAINPANEL);
        ASSERT_GT(main, 0);
        para1 = LoadPanel(main, kFile, PARA1);
        calib = LoadPanel(main, kFile, CALIB);
        popup = LoadPanel(0, kFile, POPUP);
        ASSERT_TRUE(para1 > 0 && calib > 0 && popup > 0);
        ASSERT_EQ(DisplayPanel(main) | DisplayPanel(para1), 0);
        g_events.clear();
    }
    void TearDown() override {
        if (popup > 0) DiscardPanel(popup);
        DiscardPanel(main);
    }
    // Events delivered to one control, in order.
    std::vector<int> eventsOf(int panel, int control) const {
        std::vector<int> out;
        for (const Event& e : g_events)
            if (e.panel == panel && e.control == control) out.push_back(e.event);
        return out;
    }
    int main = 0, para1 = 0, calib = 0, popup = 0;
};

// Also on a discarded panel and its children.
TEST_F(EngineUi, BadHandlesKindsAndArgumentsFail) {
    const int gone = LoadPanel(0, kFile, MAINPANEL), goneChild = LoadPanel(gone, kFile, PARA1);
    ASSERT_GT(goneChild, 0);
    ASSERT_EQ(DiscardPanel(gone), 0);
    int v = 0;
    double d = 0;
    std::string s;
    const int M = main, P1 = para1, BP = UIEBadPanel, BC = UIEBadCtrl, BV = UIEBadValue, BA = UIEBadAttr,
              NF = UIEResourceNotFound;
    EXPECT_CALLS(
        TEST_CALL(LoadPanel(0, "no-such-file.uir", MAINPANEL), NF), TEST_CALL(LoadPanel(0, nullptr, MAINPANEL), NF),
        TEST_CALL(LoadPanel(0, kFile, TRIGG), NF),  // not in this file
        TEST_CALL(LoadPanel(9999, kFile, PARA1), BP), TEST_CALL(LoadPanel(0, "zu.bmp", MAINPANEL), NF),  // not XML
        TEST_CALL(DiscardPanel(gone), BP), TEST_CALL(DisplayPanel(goneChild), BP),
        TEST_CALL(SetCtrlVal(gone, NUMAval, 1), BP), TEST_CALL(SetCtrlVal(goneChild, NUMPvalA, 1), BP),
        TEST_CALL(SetActivePanel(9999), BP), TEST_CALL(HidePanel(-1), BP), TEST_CALL(SetPanelPos(9999, 0, 0), BP),
        TEST_CALL(GetActiveCtrl(9999), BP), TEST_CALL(GetPanelAttribute(9999, ATTR_TOP, &v), BP),
        TEST_CALL(SetPanelAttribute(9999, ATTR_TITLE, "x"), BP), TEST_CALL(GetCtrlVal(9999, NUMAval, &v), BP),
        TEST_CALL(GetCtrlBoundingRect(9999, NUMAval, &v, &v, &v, &v), BP),
        TEST_CALL(ReplaceTextBoxLine(9999, TEXTSensorInfo, 0, "x"), BP), TEST_CALL(TestGrabPanel(9999, "x.png"), false),
        TEST_CALL(ReplaceTextBoxLine(calib, TEXTSensorInfo, -1, "x"), BV),
        // A control of another panel is not on this one.
        TEST_CALL(SetActiveCtrl(M, NUMPvalA), BC), TEST_CALL(SetCtrlVal(M, NUMPvalA, 1), BC),
        TEST_CALL(GetCtrlVal(P1, NUMAval, &d), BC), TEST_CALL(SetCtrlAttribute(M, 99999, ATTR_DIMMED, 1), BC),
        TEST_CALL(ResetTextBox(M, NUMAval, "x"), BC),
        // Values of the wrong type.
        TEST_CALL(SetCtrlVal(M, NUMAval, "12"), BV), TEST_CALL(GetCtrlVal(M, NUMAval, &s), BV),
        TEST_CALL(GetCtrlVal(M, TEXTStatus, &v), BV), TEST_CALL(SetCtrlVal(M, GRAPHVideoMaster, 1), BV),
        // Rings: DROPpmodeA has three items.
        TEST_CALL(SetCtrlAttribute(P1, DROPpmodeA, ATTR_CTRL_INDEX, 3), BV),
        TEST_CALL(ReplaceListItem(P1, DROPpmodeA, 3, "x", 1), BV),
        // Attributes a kind lacks, and read-only ones.
        TEST_CALL(SetPanelAttribute(popup, ATTR_PRECISION, 1), BA),
        TEST_CALL(SetCtrlAttribute(M, NUMAval, ATTR_NUM_TRACES, 7), BA),
        TEST_CALL(SetCtrlAttribute(M, BTNRun, ATTR_PRECISION, 3), BA),
        TEST_CALL(SetCtrlAttribute(P1, DROPpmodeA, ATTR_NUM_ITEMS, 3), BA),
        TEST_CALL(GetCtrlAttribute(M, BTNRun, ATTR_TEXT_LINES, &v), BA),
        TEST_CALL(NewCtrl(M, 99, "", 0, 0), BV), TEST_CALL(NewCtrl(9999, CTRL_TEXT_MSG, "", 0, 0), BP),
        // The build copies zu.bmp next to the test binaries.
        TEST_CALL(DisplayImageFile(M, PICTLogo, "zu.bmp"), 0), TEST_CALL(DisplayImageFile(M, BTNRun, "zu.bmp"), BC),
        TEST_CALL(DisplayImageFile(M, PICTLogo, "no-such-image.bmp"), UIEFileOpen));
    TestRunEvents(40);  // a pending repaint must not touch the discarded widgets
    EXPECT_EQ(SetCtrlVal(para1, NUMPvalA, 1), 0);
}

TEST_F(EngineUi, PanelsNestShowLoadAfreshAndLeaveUnknownCallbacksUnbound) {
    QWidget* paraW = engine::panelWidget(para1);
    ASSERT_NE(paraW, nullptr);
    EXPECT_EQ(std::pair(paraW->parentWidget(), paraW->isWindow()), std::pair(engine::panelWidget(main), false));
    ASSERT_EQ(SetPanelPos(para1, 98, 8), 0);
    EXPECT_EQ(paraW->geometry(), QRect(8, 98, panelAttr(para1, ATTR_WIDTH), panelAttr(para1, ATTR_HEIGHT)));
    EXPECT_EQ(std::pair(panelAttr(para1, ATTR_TOP), panelAttr(para1, ATTR_LEFT)), std::pair(98, 8));
    // Shown and hidden on their own; a child is not shown at load.
    EXPECT_FALSE(TestPanelDisplayed(calib));
    EXPECT_CALLS(TEST_CALL(HidePanel(para1), 0), TEST_CALL(DisplayPanel(calib), 0));
    EXPECT_EQ(std::tuple(TestPanelDisplayed(para1), TestPanelDisplayed(calib), panelAttr(para1, ATTR_VISIBLE)),
              std::tuple(false, true, 0));
    // HelpText1 is marked onTop: a settings page shown later does not cover
    // it, while a control without the mark stays below the pages.
    ASSERT_EQ(SetCtrlAttribute(main, HelpText1, ATTR_VISIBLE, 1), 0);
    TestFlushRepaints();
    EXPECT_CALLS(TEST_CALL(DisplayPanel(calib), 0), TEST_CALL(DisplayPanel(para1), 0));
    const QObjectList& order = engine::panelWidget(main)->children();  // back to front
    const int help = order.indexOf(engine::controlWidget(main, HelpText1));
    EXPECT_GT(help, std::max(order.indexOf(paraW), order.indexOf(engine::panelWidget(calib))));
    EXPECT_LT(order.indexOf(engine::controlWidget(main, BTNRun)), order.indexOf(paraW));

    QWidget* w = engine::panelWidget(popup);
    EXPECT_EQ(std::pair(w->isWindow(), TestPanelDisplayed(popup)), std::pair(true, false));
    ASSERT_EQ(SetPanelAttribute(popup, ATTR_TITLE, "Rec \xB5"), 0);
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Rec \xC2\xB5"));
    // Each load is a new panel with its own controls. The unknown callback
    // name was reported at the first load only; its control calls nothing.
    EXPECT_NE(firstLoadErrors.find("CC_NoSuchCallback"), std::string::npos) << firstLoadErrors;
    testing::internal::CaptureStderr();
    const int extra = LoadPanel(0, kFile, MAINPANEL);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("CC_NoSuchCallback"), std::string::npos) << err;
    ASSERT_EQ(DisplayPanel(extra), 0);
    ASSERT_EQ(TestClick(extra, ButtonTeach) | TestClick(extra, BTNRun), 0);
    EXPECT_EQ(g_events, (std::vector<Event>{{extra, BTNRun, EVENT_LEFT_CLICK}, {extra, BTNRun, EVENT_COMMIT}}));
    EXPECT_CALLS(TEST_CALL(SetCtrlVal(extra, NUMAval, 7), 0), TEST_CALL(val(main, NUMAval), 0),
                 TEST_CALL(DiscardPanel(extra), 0));

    EXPECT_CALLS(TEST_CALL(SetActivePanel(main), 0), TEST_CALL(SetActiveCtrl(main, BTNStop), 0));
    EXPECT_EQ(std::pair(GetActivePanel(), GetActiveCtrl(main)), std::pair(main, +BTNStop));
    QTemporaryDir dir;
    EXPECT_TRUE(TestGrabPanel(main, dir.filePath("main.png").toStdString()) && QFile::exists(dir.filePath("main.png")));
}

// Read back as int, a value is truncated and keeps its low bits.
TEST_F(EngineUi, ValuesAreKeptCoercedAndReadBackPerKind) {
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
        {para1, SLIDEVideoTHD_A, nullptr, 999, 255, 255, nullptr},
        {para1, SLIDEVideoTHD_A, nullptr, 199.6, 200, 200, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.set);
        if (r.type) { EXPECT_EQ(engine::controlWidget(r.panel, r.ctrl)->property("dataType"), r.type); }
        ASSERT_EQ(SetCtrlVal(r.panel, r.ctrl, r.set), 0);
        EXPECT_EQ(std::pair(val<double>(r.panel, r.ctrl), val(r.panel, r.ctrl)), std::pair(r.kept, r.asInt));
        if (r.shown) { EXPECT_EQ(TestCtrlText(r.panel, r.ctrl), r.shown); }
    }
    // Each of the program's integer and float widths; a fewer-digit display
    // does not round what is kept; a narrower range pulls it in.
    ASSERT_EQ(SetCtrlVal(calib, NUMSetpoint, 70000u), 0);
    EXPECT_EQ(std::tuple(val<unsigned short>(calib, NUMSetpoint), val<short>(calib, NUMSetpoint),
                         val<unsigned>(calib, NUMSetpoint)), std::tuple(70000 - 65536, 70000 - 65536, 70000u));
    ASSERT_EQ(SetCtrlVal(calib, NUMScaleA, 1.2345f), 0);
    EXPECT_EQ(val<float>(calib, NUMScaleA), 1.2345f);
    ASSERT_EQ(SetCtrlAttribute(calib, NUMScaleB, ATTR_PRECISION, 2), 0);
    EXPECT_EQ(std::pair(TestCtrlText(calib, NUMScaleB), val<double>(calib, NUMScaleB)), std::pair("1.23"s, 1.234375));
    ASSERT_EQ(SetCtrlAttribute(para1, NUMPvalA, ATTR_MAX_VALUE, 5.0), 0);
    EXPECT_EQ(std::pair(val(para1, NUMPvalA), attr<double>(para1, NUMPvalA, ATTR_MAX_VALUE)), std::pair(5, 5.0));
    const int P1 = para1, T = TEXTSensorInfo;
    EXPECT_CALLS(
        // Radios are not exclusive: the program clears the others itself.
        TEST_CALL(SetCtrlVal(main, RBTEeprom, 1), 0), TEST_CALL(val(main, RBTRam), 1),
        // Rings select by value (DROPpmodeA items: off=0, on=1, fast=5); a value
        // no item holds leaves the ring as it was; a replaced item is selected by its new value.
        TEST_CALL(SetCtrlVal(P1, DROPpmodeA, 5), 0), TEST_CALL(SetCtrlVal(P1, DROPpmodeA, 2), UIEBadValue),
        TEST_CALL(val(P1, DROPpmodeA), 5), TEST_CALL(attr(P1, DROPpmodeA, ATTR_CTRL_INDEX), 2),
        TEST_CALL(attr(P1, DROPpmodeA, ATTR_NUM_ITEMS), 3), TEST_CALL(SetCtrlAttribute(P1, DROPpmodeA, ATTR_CTRL_INDEX, 1), 0),
        TEST_CALL(val(P1, DROPpmodeA), 1), TEST_CALL(ReplaceListItem(P1, DROPpmodeA, 1, "slow", 7), 0),
        TEST_CALL(val(P1, DROPpmodeA), 7),
        // Text boxes: a line past the last extends the box with empty lines; a value replaces the whole text.
        TEST_CALL(ResetTextBox(calib, T, "one\ntwo"), 0), TEST_CALL(ReplaceTextBoxLine(calib, T, 4, "five"), 0),
        TEST_CALL(ReplaceTextBoxLine(calib, T, 1, "TWO"), 0), TEST_CALL(attr(calib, T, ATTR_TEXT_LINES), 5));
    EXPECT_EQ(TestTextBoxLines(calib, T), (std::vector<std::string>{"one", "TWO", "", "", "five"}));
    EXPECT_CALLS(TEST_CALL(SetCtrlVal(calib, T, ""), 0), TEST_CALL(attr(calib, T, ATTR_TEXT_LINES), 0));
}

// Setters only record; the widgets catch up in one push.
TEST_F(EngineUi, SettersFireNothingOnlyRecordAndTheWidgetsCatchUpOnce) {
    TestFlushRepaints();
    const long long before = TestPushCount();
    // A thousand frames' worth of values on two indicators are read back at
    // once, before any repaint, and reach each widget in one push.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(SetCtrlVal(main, NUMAval, i), 0);
        ASSERT_EQ(SetCtrlAttribute(main, NUMMvalue, ATTR_TEXT_BGCOLOR, i % 2 ? VAL_RED : VAL_GREEN), 0);
    }
    EXPECT_EQ(std::tuple(val(main, NUMAval), attr(main, NUMMvalue, ATTR_TEXT_BGCOLOR), TestPushCount()),
              std::tuple(999, VAL_RED, before));
    TestFlushRepaints();
    EXPECT_EQ(std::pair(TestPushCount(), TestCtrlText(main, NUMAval)), std::pair(before + 2, "999"s));
    EXPECT_EQ(shownColor(main, NUMMvalue, QPalette::Base), QColor(Qt::red));
    // Setting what is already there changes nothing and pushes nothing.
    ASSERT_EQ(SetCtrlVal(main, NUMAval, 999) | SetCtrlAttribute(main, NUMMvalue, ATTR_TEXT_BGCOLOR, VAL_RED) |
                  SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 0), 0);
    TestFlushRepaints();
    EXPECT_EQ(TestPushCount(), before + 2);
    // Without a flush, running events brings the widgets up to date too.
    ASSERT_EQ(SetCtrlVal(main, NUMAval, 5), 0);
    EXPECT_TRUE(TestWaitFor([&] { return TestPushCount() == before + 3; }, 2000));
    EXPECT_EQ(TestCtrlText(main, NUMAval), "5");
    // None of it, nor any other setter, fires an event, while the widgets do show it.
    EXPECT_CALLS(TEST_CALL(SetCtrlVal(main, SWITCHDataView, 1), 0), TEST_CALL(SetCtrlVal(para1, NUMTeachA, 99), 0),
                 TEST_CALL(SetCtrlVal(para1, SLIDEVideoTHD_A, 17), 0),
                 TEST_CALL(SetCtrlAttribute(para1, DROPpmodeA, ATTR_CTRL_INDEX, 2), 0),
                 TEST_CALL(SetCtrlAttribute(para1, NUMTeachA, ATTR_MAX_VALUE, 50.0), 0),
                 TEST_CALL(SetCtrlAttribute(para1, SLIDEVideoTHD_A, ATTR_MAX_VALUE, 10), 0),
                 TEST_CALL(HidePanel(para1), 0), TEST_CALL(DisplayPanel(para1), 0));
    TestFlushRepaints();
    TestRunEvents(50);
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(std::pair(TestCtrlText(para1, NUMTeachA), TestCtrlText(para1, DROPpmodeA)), std::pair("50"s, "fast"s));
}

TEST_F(EngineUi, AttributesTextsGeometryAndNewTextMessagesReachTheWidgets) {
    // Geometry moves control and label together: NUMAval at (340, 300)
    // 80x24, its label at (340, 280) 80x16.
    std::array<int, 4> r{};  // top, left, height, width
    ASSERT_EQ(GetCtrlBoundingRect(main, NUMAval, &r[0], &r[1], &r[2], &r[3]), 0);
    EXPECT_EQ(r, (std::array{280, 340, 44, 80}));
    ASSERT_EQ(SetCtrlAttribute(main, NUMAval, ATTR_LEFT, 100) | SetCtrlAttribute(main, NUMAval, ATTR_TOP, 200) |
                  SetCtrlAttribute(main, NUMAval, ATTR_WIDTH, 120), 0);
    ASSERT_EQ(GetCtrlBoundingRect(main, NUMAval, &r[0], &r[1], &r[2], &r[3]), 0);
    EXPECT_EQ(r, (std::array{180, 100, 44, 120}));
    EXPECT_EQ(attr(main, NUMAval, ATTR_TOP), 200);
    EXPECT_CALLS(TEST_CALL(SetCtrlAttribute(main, BTNRun, ATTR_DIMMED, 1), 0),
                 TEST_CALL(SetCtrlAttribute(main, NUMAval, ATTR_VISIBLE, 0), 0),
                 TEST_CALL(SetCtrlAttribute(main, NUMAval, ATTR_TEXT_BGCOLOR, VAL_RED), 0),
                 TEST_CALL(SetCtrlAttribute(main, NUMAval, ATTR_TEXT_COLOR, VAL_WHITE), 0),
                 TEST_CALL(SetCtrlAttribute(main, DECOTitle, ATTR_FRAME_COLOR, 0x0080FF), 0),
                 TEST_CALL(SetCtrlAttribute(main, NUMAval, ATTR_LABEL_TEXT, "Position A"), 0),
                 TEST_CALL(SetCtrlAttribute(main, STRIPRaw, ATTR_POINTS_PER_SCREEN, 250), 0));  // goes to the chart
    EXPECT_EQ(std::tuple(attr(main, BTNRun, ATTR_DIMMED), attr(main, NUMAval, ATTR_VISIBLE),
                         attr<std::string>(main, NUMAval, ATTR_LABEL_TEXT), attr(main, STRIPRaw, ATTR_POINTS_PER_SCREEN)),
              std::tuple(1, 0, "Position A", 250));
    TestFlushRepaints();
    EXPECT_EQ(std::pair(engine::controlWidget(main, BTNRun)->isEnabled(), engine::controlWidget(main, NUMAval)->isHidden()),
              std::pair(false, true));
    EXPECT_EQ(std::tuple(shownColor(main, NUMAval, QPalette::Base), shownColor(main, NUMAval, QPalette::Text),
                         shownColor(main, DECOTitle, QPalette::Window)),
              std::tuple(QColor(Qt::red), QColor(Qt::white), QColor(0x0080FF)));

    // Texts are Latin-1 at the interface; a label from the resource file
    // (UTF-8 there) reads back as Latin-1.
    const char micro[] = "SETPOINT-VALUE [\xB5m]: ";
    ASSERT_EQ(SetCtrlVal(main, TEXTStatus, micro), 0);
    EXPECT_EQ(std::pair(val<std::string>(main, TEXTStatus), TestCtrlText(main, TEXTStatus)), std::pair(micro + ""s, micro + ""s));
    EXPECT_TRUE(qobject_cast<QLineEdit*>(engine::controlWidget(main, TEXTStatus))->text().contains(QChar(0x00B5)));
    EXPECT_EQ(attr<std::string>(main, NUMMeasMM, ATTR_LABEL_TEXT), "Measured [\xB5m]");
    ASSERT_EQ(SetCtrlAttribute(main, BTNRun, ATTR_LABEL_TEXT, "\xB5RUN"), 0);
    EXPECT_EQ(TestCtrlText(main, BTNRun), "\xB5RUN");

    // A text message made at run time, as the title strip writes its lines:
    // a label, the application font, colours, size, then the text.
    const int id = NewCtrl(main, CTRL_TEXT_MSG, "", 24, 15);
    ASSERT_GT(id, 0);
    EXPECT_CALLS(TEST_CALL(SetCtrlAttribute(main, id, ATTR_TEXT_FONT, VAL_APP_META_FONT), 0),
                 TEST_CALL(SetCtrlAttribute(main, id, ATTR_TEXT_BGCOLOR, 0x0080FF), 0),
                 TEST_CALL(SetCtrlAttribute(main, id, ATTR_TEXT_POINT_SIZE, 18), 0),
                 TEST_CALL(SetCtrlVal(main, id, "K-VOR-QX-MS-Scope"), 0));
    EXPECT_EQ(std::tuple(attr(main, id, ATTR_LEFT), attr(main, id, ATTR_TOP), attr(main, id, ATTR_TEXT_POINT_SIZE)),
              std::tuple(15, 24, 18));
    // Sized to the text; sizes count pixels, so the title strip's 18 leaves
    // the program name room before the version text 180 px further right.
    const int width = attr(main, id, ATTR_WIDTH);
    EXPECT_TRUE(width > 50 && width < 180) << width;
    EXPECT_EQ(attr<std::string>(main, id, ATTR_TEXT_FONT), VAL_APP_META_FONT);
    EXPECT_EQ(TestCtrlText(main, id), "K-VOR-QX-MS-Scope");
    EXPECT_EQ(shownColor(main, id, QPalette::Window), QColor(0x0080FF));
    EXPECT_GT(NewCtrl(main, CTRL_TEXT_MSG, "Version", 38, 480), id);
}

int discardOwnPanel(int panel, int control, int event, void* data, int d1, int d2) {
    if (event == EVENT_COMMIT) DiscardPanel(panel);
    return recordCtrl(panel, control, event, data, d1, d2);
}

using Seq = std::vector<int>;
constexpr int L = EVENT_LEFT_CLICK, V = EVENT_VAL_CHANGED, C = EVENT_COMMIT, R = EVENT_RIGHT_CLICK;

// Real mouse and key events; the rows run in order on one set of panels.
TEST_F(EngineUi, EachKindOfActionDeliversItsEventsInOrder) {
    using Act = std::function<int(int, int)>;
    auto arrow = [](bool up) { return [up](int p, int c) { return TestArrowStep(p, c, up); }; };
    auto type = [](const char* t) { return [t](int p, int c) { return TestTypeValue(p, c, t); }; };
    auto choose = [](int i) { return [i](int p, int c) { return TestChooseItem(p, c, i); }; };
    struct Row { const char* what; int panel, ctrl; Act act; Seq seq; std::optional<int> value; };
    const Row rows[] = {
        // A command is seen at the press (STOP acts on it) and commits on the
        // release; a toggle changes on the release.
        {"command pressed", main, BTNStop, TestPress, {L}, std::nullopt},
        {"command released", main, BTNStop, TestRelease, {C}, std::nullopt},
        {"toggle pressed", main, TOGGBTN_Para0, TestPress, {L}, 0},
        {"toggle released", main, TOGGBTN_Para0, TestRelease, {V, C}, 1},
        // Radios are not exclusive (the program clears the others); a click switches one off.
        {"radio on", main, RBTEeprom, TestClick, {L, V, C}, 1},
        {"radio off", main, RBTRam, TestClick, {L, V, C}, 0},
        {"switch", main, SWITCHDataView, TestClick, {L, V, C}, 1},
        // The program turns the switch off; before that is painted, the user
        // clicks it (no test-support flush first): it goes on.
        {"click on what the program set", main, SWITCHDataView,
         [](int p, int c) {
             const int set = SetCtrlVal(p, c, 0);
             QWidget* w = engine::controlWidget(p, c);
             QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
             return set;
         }, {L, V, C}, 1},
        // A dimmed control ignores the user.
        {"dimmed button", main, BTNRun,
         [](int p, int c) {
             const int r = SetCtrlAttribute(p, c, ATTR_DIMMED, 1) ? -1 : TestClick(p, c) | TestRightClick(p, c);
             return r ? r : SetCtrlAttribute(p, c, ATTR_DIMMED, 0);
         }, {}, std::nullopt},
        // NUMTriggThresholdA: 10, increment 5, range 0..255.
        {"arrow up", para1, NUMTriggThresholdA, arrow(true), {L, V, C}, 15},
        {"arrow down", para1, NUMTriggThresholdA, arrow(false), {L, V, C}, 10},
        // Typed entries: one change and one commit for the whole number, not
        // one per keystroke; the focus leaving afterwards adds nothing.
        {"typed, Enter", para1, NUMTeachA, type("1234"), {V, C}, 1234},
        {"typed, focus leaves", para1, NUMTeachA, [](int p, int c) { return TestTypeAndLeave(p, c, "77"); }, {V, C}, 77},
        {"typed out of range", para1, NUMTriggThresholdA, type("300"), {V, C}, 255},
        {"slide dragged", para1, SLIDEVideoTHD_A,
         [](int p, int c) { return TestDragSlide(p, c, {110, 120, 130}); }, {L, V, V, V, C}, 130},
        // DROPpmodeA items: off=0, on=1, fast=5; the current item chosen
        // again still changes and commits.
        {"ring", para1, DROPpmodeA, choose(2), {V, C}, 5},
        {"ring, same item", para1, DROPpmodeA, choose(2), {V, C}, 5},
        {"port list keeps port numbers", main, DropDCom, choose(1), {V, C}, 2},
        {"indicator ignores typing", main, NUMAval, type("7"), {}, 0},
        // A right-click on any control is only a right-click.
        {"right click text box", main, HelpText1, TestRightClick, {R}, std::nullopt},
        {"right click numeric", para1, NUMTriggThresholdA, TestRightClick, {R}, 255},
        // The window's close button only reports; closing is the program's.
        {"close button", main, 0, [](int p, int) { return TestClosePanel(p); }, {EVENT_CLOSE}, std::nullopt},
        // A callback may discard its own panel.
        {"discarding callback", popup, BTNStartRecord,
         [](int p, int c) {
             static const CallbackEntry discarding{"CC_BTNStartRecord", discardOwnPanel, nullptr};
             RegisterCallbacks(&discarding, 1);
             return DisplayPanel(p) ? -1 : TestClick(p, c);
         }, {L, C}, std::nullopt},
    };
    ASSERT_EQ(SetCtrlAttribute(main, HelpText1, ATTR_VISIBLE, 1), 0);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        g_events.clear();
        ASSERT_EQ(r.act(r.panel, r.ctrl), 0);
        EXPECT_EQ(g_events.size(), r.seq.size());
        EXPECT_EQ(eventsOf(r.panel, r.ctrl), r.seq);
        if (r.value) { EXPECT_EQ(val(r.panel, r.ctrl), *r.value); }
    }
    TestRunEvents(50);
    EXPECT_EQ(DisplayPanel(popup), UIEBadPanel);
    popup = 0;
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(engine::controlWidget(main, SWITCHDataView))->isChecked());
    EXPECT_EQ(std::tuple(val(main, SWITCHDataView), val(main, RBTEeprom), TestPanelDisplayed(main)), std::tuple(1, 1, true));
    EXPECT_EQ(std::pair(TestCtrlText(para1, NUMTeachA), TestCtrlText(para1, NUMTriggThresholdA)), std::pair("77"s, "255"s));
}

// As start-up loads it; what must wait for its moment starts hidden.
TEST(UiResource, EveryPanelAndControlComesUpWithItsKindAndCallback) {
    const char* file = "K-VOR-QX-MS-ScopeV305.uir";
    RegisterProgramCallbacks();
    std::map<int, int> handle{{MAINPANEL, LoadPanel(0, file, MAINPANEL)}};
    ASSERT_GT(handle[MAINPANEL], 0);
    for (const PanelDef& p : kPanelDefs) {
        if (p.resourceId != MAINPANEL)
            handle[p.resourceId] = LoadPanel(p.resourceId == POPUP ? 0 : handle[MAINPANEL], file, p.resourceId);
        const engine::PanelState* ps = engine::panelState(handle[p.resourceId]);
        ASSERT_NE(ps, nullptr) << p.name;
        EXPECT_EQ(ps->callbackName, QByteArray(p.callback)) << p.name;
    }
    for (const ControlDef& d : kControlDefs) {
        const engine::CtrlState* s = engine::ctrlState(handle[d.panelResourceId], d.id);
        ASSERT_NE(s, nullptr) << d.name << " is missing from its panel";
        // A class the loader does not know comes up as a plain widget.
        EXPECT_STRNE(s->widget->metaObject()->className(), "QWidget") << d.name;
        EXPECT_EQ(s->kind, d.kind) << d.name;
        EXPECT_EQ(s->callbackName, QByteArray(d.callback)) << d.name;
    }
    for (int id : {HelpText1, HelpText2, BTNWriteXFMA, BTNWriteXFSL})
        EXPECT_EQ(attr(handle[kControlDefs[id - 1].panelResourceId], id, ATTR_VISIBLE), 0) << kControlDefs[id - 1].name;
    DiscardPanel(handle[POPUP]);
    DiscardPanel(handle[MAINPANEL]);  // its child panels go with it
}

}  // namespace
