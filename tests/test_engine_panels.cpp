// Panels: loading from the resource file, placing child panels, windows,
// closing, discarding, callbacks bound by name.
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "engine/internal.h"
#include "support/engine_panels_fixture.h"

using fixture::EnginePanels;
using fixture::events;
using fixture::kFile;

namespace {

class EnginePanelsTest : public EnginePanels {};

int panelAttr(int panel, int attribute) {
    int v = -1;
    EXPECT_EQ(GetPanelAttribute(panel, attribute, &v), 0) << "attribute " << attribute;
    return v;
}

std::string writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    QFile f(dir.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName().toStdString();
}

TEST_F(EnginePanelsTest, LoadFailuresAreNegative) {
    EXPECT_LT(LoadPanel(0, "no-such-file.uir", MAINPANEL), 0);
    EXPECT_EQ(LoadPanel(0, kFile, TRIGG), UIEResourceNotFound);  // not in this file
    EXPECT_EQ(LoadPanel(0, kFile, 99), UIEResourceNotFound);
    EXPECT_EQ(LoadPanel(9999, kFile, PARA1), UIEBadPanel);
    EXPECT_LT(LoadPanel(0, nullptr, MAINPANEL), 0);
    QTemporaryDir dir;
    EXPECT_LT(LoadPanel(0, writeFile(dir, "junk.uir", "not xml at all").c_str(), MAINPANEL), 0);
}

TEST_F(EnginePanelsTest, ChildPanelsSitInsideTheirParentWhereTheyArePut) {
    QWidget* paraW = engine::panelWidget(para1);
    ASSERT_NE(paraW, nullptr);
    EXPECT_EQ(std::pair(paraW->parentWidget(), paraW->isWindow()), std::pair(engine::panelWidget(main), false));
    ASSERT_EQ(SetPanelPos(para1, 98, 8), 0);
    EXPECT_EQ(std::pair(panelAttr(para1, ATTR_TOP), panelAttr(para1, ATTR_LEFT)), std::pair(98, 8));
    EXPECT_EQ(paraW->geometry(), QRect(8, 98, panelAttr(para1, ATTR_WIDTH), panelAttr(para1, ATTR_HEIGHT)));
    // Shown and hidden on their own; a child is not shown at load.
    EXPECT_FALSE(TestPanelDisplayed(calib));
    ASSERT_EQ(HidePanel(para1), 0);
    ASSERT_EQ(DisplayPanel(calib), 0);
    EXPECT_EQ(std::pair(TestPanelDisplayed(para1), TestPanelDisplayed(calib)), std::pair(false, true));
    EXPECT_EQ(panelAttr(para1, ATTR_VISIBLE), 0);
}

TEST_F(EnginePanelsTest, TopLevelPanelsAreWindowsShownWhenAsked) {
    QWidget* w = engine::panelWidget(popup);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(std::pair(w->isWindow(), TestPanelDisplayed(popup)), std::pair(true, false));
    ASSERT_EQ(SetPanelAttribute(popup, ATTR_TITLE, "Rec \xB5"), 0);
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Rec \xC2\xB5"));
    EXPECT_EQ(SetPanelAttribute(popup, ATTR_PRECISION, 1), UIEBadAttr);
}

TEST_F(EnginePanelsTest, OnTopControlsStayAboveChildPanels) {
    // HelpText1 is marked onTop; showing a settings page must not cover it,
    // while a control without the mark stays below the pages.
    ASSERT_EQ(SetCtrlAttribute(main, HelpText1, ATTR_VISIBLE, 1), 0);
    TestFlushRepaints();
    ASSERT_EQ(DisplayPanel(calib), 0);
    ASSERT_EQ(DisplayPanel(para1), 0);
    const QObjectList& order = engine::panelWidget(main)->children();  // back to front
    const int help = order.indexOf(engine::controlWidget(main, HelpText1));
    EXPECT_GT(help, order.indexOf(engine::panelWidget(para1)));
    EXPECT_GT(help, order.indexOf(engine::panelWidget(calib)));
    EXPECT_LT(order.indexOf(engine::controlWidget(main, BTNRun)), order.indexOf(engine::panelWidget(para1)));
}

// Each load is a new panel with its own controls; discarding it forgets its
// children and controls and leaves the others alone.
TEST_F(EnginePanelsTest, EachLoadIsANewPanelAndDiscardForgetsItsChildren) {
    const int extraMain = LoadPanel(0, kFile, MAINPANEL);
    const int extraChild = LoadPanel(extraMain, kFile, PARA1);
    ASSERT_GT(extraChild, 0);
    ASSERT_EQ(SetCtrlVal(extraMain, NUMAval, 7), 0);
    EXPECT_EQ(fixture::val(main, NUMAval), 0);
    ASSERT_EQ(DiscardPanel(extraMain), 0);
    EXPECT_EQ(DiscardPanel(extraMain), UIEBadPanel);
    EXPECT_EQ(DisplayPanel(extraChild), UIEBadPanel);
    EXPECT_EQ(SetCtrlVal(extraMain, NUMAval, 1), UIEBadPanel);
    EXPECT_EQ(SetCtrlVal(extraChild, NUMPvalA, 1), UIEBadPanel);
    TestRunEvents(40);  // a pending repaint must not touch the discarded widgets
    EXPECT_EQ(SetCtrlVal(para1, NUMPvalA, 1), 0);
}

int discardOwnPanel(int panel, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) DiscardPanel(panel);
    events().push_back({panel, 0, event});
    return 0;
}

TEST_F(EnginePanelsTest, ACallbackMayDiscardItsOwnPanel) {
    static const CallbackEntry table[] = {{"CC_BTNStartRecord", discardOwnPanel, nullptr}};
    RegisterCallbacks(table, 1);
    ASSERT_EQ(DisplayPanel(popup), 0);
    ASSERT_EQ(TestClick(popup, BTNStartRecord), 0);
    TestRunEvents(20);
    EXPECT_EQ(DisplayPanel(popup), UIEBadPanel);
    popup = 0;
    RegisterCallbacks(fixture::kCallbacks, std::size(fixture::kCallbacks));
}

TEST_F(EnginePanelsTest, UnknownCallbackNamesAreReportedOnceAndLeftUnbound) {
    // A copy of the test file whose unknown name is new to this process.
    char dirBuf[MAX_PATHNAME_LEN] = {};
    ASSERT_EQ(GetProjectDir(dirBuf), 0);
    QFile src(QString::fromLocal8Bit(dirBuf) + "/" + kFile);
    ASSERT_TRUE(src.open(QIODevice::ReadOnly));
    QTemporaryDir dir;
    const std::string path = writeFile(dir, "copy.uir", src.readAll().replace("CC_NoSuchCallback", "CC_UnknownInThisCopy"));

    testing::internal::CaptureStderr();
    const int a = LoadPanel(0, path.c_str(), MAINPANEL);
    const int b = LoadPanel(0, path.c_str(), MAINPANEL);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    const size_t first = err.find("CC_UnknownInThisCopy");
    EXPECT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("CC_UnknownInThisCopy", first + 1), std::string::npos) << err;
    // Its controls work, they just call nothing; known names are bound.
    ASSERT_EQ(DisplayPanel(a), 0);
    ASSERT_EQ(TestClick(a, ButtonTeach), 0);
    ASSERT_EQ(TestClick(a, BTNRun), 0);
    EXPECT_EQ(events(), (std::vector<fixture::Event>{{a, BTNRun, EVENT_LEFT_CLICK}, {a, BTNRun, EVENT_COMMIT}}));
    DiscardPanel(a);
    DiscardPanel(b);
}

TEST_F(EnginePanelsTest, ActivePanelAndControlBadHandlesAndScreenshots) {
    ASSERT_EQ(SetActivePanel(main), 0);
    EXPECT_EQ(GetActivePanel(), main);
    ASSERT_EQ(SetActiveCtrl(main, BTNStop), 0);
    EXPECT_EQ(GetActiveCtrl(main), BTNStop);
    EXPECT_EQ(SetActiveCtrl(main, NUMPvalA), UIEBadCtrl);
    EXPECT_EQ(SetActivePanel(9999), UIEBadPanel);
    int v = 0;
    EXPECT_EQ(DisplayPanel(9999), UIEBadPanel);
    EXPECT_EQ(HidePanel(-1), UIEBadPanel);
    EXPECT_EQ(DiscardPanel(0), UIEBadPanel);
    EXPECT_EQ(SetPanelPos(9999, 0, 0), UIEBadPanel);
    EXPECT_EQ(GetPanelAttribute(9999, ATTR_TOP, &v), UIEBadPanel);
    EXPECT_EQ(SetPanelAttribute(9999, ATTR_TITLE, "x"), UIEBadPanel);
    EXPECT_EQ(GetActiveCtrl(9999), UIEBadPanel);
    QTemporaryDir dir;
    const std::string png = dir.filePath("main.png").toStdString();
    ASSERT_TRUE(TestGrabPanel(main, png));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(png)));
    EXPECT_FALSE(TestGrabPanel(9999, png));
}

}  // namespace
