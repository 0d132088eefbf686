// The panel resource file and the logo. The program relies on the file for
// much more than looks: control names and kinds, callbacks, start values
// (read back into the parameter record at start-up), ranges (a control that
// clips a value silently changes what a later SEND carries), which controls
// start hidden, and where the shared places of the main panel are.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QUiLoader>
#include <QWidget>

#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/callbacks.h"
#include "engine/cvi.h"
#include "engine/graph.h"
#include "engine/numeric.h"
#include "engine/testing.h"
#include "ui/controls.h"

// Readable failure messages for Qt strings.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const char* kResourceFile = "K-VOR-QX-MS-ScopeV305.uir";

QString binFile(const char* name) {
    return QCoreApplication::applicationDirPath() + "/" + QString::fromLatin1(name);
}

// Builds the file's custom classes so that their properties land in the real
// widgets, as the engine's own loader does.
class Loader : public QUiLoader {
public:
    QWidget* createWidget(const QString& cls, QWidget* parent, const QString& name) override {
        QWidget* w = nullptr;
        if (cls == "CviNumeric") w = new CviNumeric(parent);
        else if (cls == "CviGraph") w = new CviGraph(parent);
        else if (cls == "CviStripChart") w = new CviStripChart(parent);
        else return QUiLoader::createWidget(cls, parent, name);
        w->setObjectName(name);
        return w;
    }
};

class UiResource : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        QFile f(binFile(kResourceFile));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(f.fileName());
        Loader loader;
        root_.reset(loader.load(&f));
        ASSERT_NE(root_, nullptr) << qPrintable(loader.errorString());
        for (auto* n : root_->findChildren<CviNumeric*>()) n->finishLoading();
    }
    static void TearDownTestSuite() { root_.reset(); }

    static QWidget* panel(int resourceId) {
        for (const PanelDef& p : kPanelDefs)
            if (p.resourceId == resourceId)
                return root_->findChild<QWidget*>(QString::fromLatin1(p.name), Qt::FindDirectChildrenOnly);
        return nullptr;
    }
    static const ControlDef& def(int id) { return kControlDefs[id - 1]; }
    static QWidget* ctrl(int id) {
        QWidget* p = panel(def(id).panelResourceId);
        return p ? p->findChild<QWidget*>(QString::fromLatin1(def(id).name)) : nullptr;
    }
    template <class T>
    static T* as(int id) {
        T* w = qobject_cast<T*>(ctrl(id));
        EXPECT_NE(w, nullptr) << def(id).name;
        return w;
    }
    // The control and its label, in panel coordinates.
    static QRect boundingRect(int id) {
        QWidget* w = ctrl(id);
        QRect r = w->geometry();
        if (auto* l = w->parentWidget()->findChild<QLabel*>(QString::fromLatin1(def(id).name) + "_label"))
            r = r.united(l->geometry());
        return r;
    }

    static inline std::unique_ptr<QWidget> root_;
};

TEST_F(UiResource, HoldsTheSevenPanelsWithResourceIdsAndCallbacks) {
    int found = 0;
    for (QObject* o : root_->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w) continue;
        ++found;
        bool known = false;
        for (const PanelDef& p : kPanelDefs) {
            if (w->objectName() != QLatin1String(p.name)) continue;
            known = true;
            EXPECT_EQ(w->property("resourceId").toInt(), p.resourceId) << p.name;
            EXPECT_EQ(w->property("callback").toString(), QString::fromLatin1(p.callback)) << p.name;
            EXPECT_FALSE(w->windowTitle().isEmpty()) << p.name;
        }
        EXPECT_TRUE(known) << "unexpected panel " << qPrintable(w->objectName());
    }
    EXPECT_EQ(found, static_cast<int>(std::size(kPanelDefs)));
    EXPECT_EQ(panel(MAINPANEL)->windowTitle(), "K-VOR-QX-MS-Scope");
}

TEST_F(UiResource, EveryControlSitsOnItsPanelWithAClassFittingItsKind) {
    for (const ControlDef& d : kControlDefs) {
        SCOPED_TRACE(d.name);
        QWidget* w = ctrl(d.id);
        ASSERT_NE(w, nullptr) << "missing";
        // A direct child, so that its geometry is in panel coordinates (help
        // boxes and child panels are placed by those).
        EXPECT_EQ(w->parentWidget(), panel(d.panelResourceId));
        EXPECT_EQ(w->property("callback").toString(), QString::fromLatin1(d.callback));
        bool fits = false;
        switch (d.kind) {
        case KIND_COMMAND:
        case KIND_TOGGLE: {
            auto* b = qobject_cast<QPushButton*>(w);
            fits = b && b->isCheckable() == (d.kind == KIND_TOGGLE);
            break;
        }
        case KIND_RADIO: fits = qobject_cast<QRadioButton*>(w) && !static_cast<QRadioButton*>(w)->autoExclusive(); break;
        case KIND_NUMERIC:
        case KIND_INDICATOR: {
            auto* n = qobject_cast<CviNumeric*>(w);
            fits = n && n->isIndicator() == (d.kind == KIND_INDICATOR);
            break;
        }
        case KIND_RING: fits = qobject_cast<QComboBox*>(w); break;
        case KIND_SWITCH: fits = qobject_cast<QCheckBox*>(w); break;
        case KIND_SLIDE: fits = qobject_cast<QSlider*>(w) && static_cast<QSlider*>(w)->orientation() == Qt::Horizontal; break;
        case KIND_STRING: fits = qobject_cast<QLineEdit*>(w) && static_cast<QLineEdit*>(w)->isReadOnly(); break;
        case KIND_TEXTBOX: fits = qobject_cast<QPlainTextEdit*>(w) && static_cast<QPlainTextEdit*>(w)->isReadOnly(); break;
        case KIND_TEXTMSG:
        case KIND_PICTURE: fits = qobject_cast<QLabel*>(w); break;
        case KIND_DECORATION: fits = qobject_cast<QFrame*>(w) && !qobject_cast<QLabel*>(w); break;
        case KIND_GRAPH: fits = qobject_cast<CviGraph*>(w); break;
        case KIND_STRIPCHART: fits = qobject_cast<CviStripChart*>(w); break;
        case KIND_NONE: break;
        }
        EXPECT_TRUE(fits) << "class " << w->metaObject()->className() << " for kind " << d.kind;
    }
}

TEST_F(UiResource, NamesAreUniqueAndLabelsBelongToAControlOfTheirPanel) {
    QSet<QString> seen;
    for (QWidget* w : root_->findChildren<QWidget*>()) {
        const QString n = w->objectName();
        if (n.isEmpty() || n.startsWith("qt_")) continue;  // widgets Qt makes inside others
        EXPECT_FALSE(seen.contains(n)) << qPrintable(n) << " named twice";
        seen.insert(n);
        if (!n.endsWith("_label")) continue;
        bool ok = false;
        for (const ControlDef& d : kControlDefs)
            if (n.chopped(6) == QLatin1String(d.name)) ok = ctrl(d.id) && ctrl(d.id)->parentWidget() == w->parentWidget();
        EXPECT_TRUE(ok) << qPrintable(n) << " labels no control of its panel";
    }
}

// Every value the panel binding writes after its repairs, and every value of
// a field it never repairs, must come back unchanged from the control.
TEST_F(UiResource, RangesHoldEveryValueTheProgramMayWrite) {
    struct Range { std::vector<int> ids; const char* type; double lo, hi; };
    const double u16 = 65535, px = 8192;
    const Range ranges[] = {
        {{NUMToleranceLO, NUMToleranceUP, NUMTeachA, NUMTeachB, NUMPixBegA, NUMPixBegB, NUMPixEndA, NUMPixEndB},
         "u16", 0, px},
        {{NUMTrig1, NUMTrig2, NUMTrig3, NUMTrig4, NUMTriggThresholdA, NUMTriggThresholdB, NEDITRecSamples,
          NEDITRecTime, NUMAval, NUMBval, NUMMvalue, NUMAnaMax, NUMAnaMin},
         "u16", 0, u16},
        {{NUMPara0W4}, "u16", 0, 2048}, {{NUMPvalA, NUMPvalB}, "u16", 0, 1000},
        {{NUMSetpoint}, "u32", 0, 4294967295.0}, {{NUMRecCount}, "u32", 0, u16}, {{NUMRecDay}, "u32", 0, 49710},
        {{NUMRecHour}, "u32", 0, 23}, {{NUMRecMin, NUMRecSec}, "u32", 0, 59},
        // a 32-bit scale / 1024 in single precision: the largest rounds up to 2^22
        {{NUMScaleA, NUMScaleB}, "float", 0, 4194304.0},
        // micrometres of a signed 32-bit value, in mm
        {{NUMMeasMM}, "double", -2147483.648, 2147483.647}, {{NUMTolUpMM, NUMTolLoMM}, "double", 0, 1.0e6},
    };
    for (const Range& r : ranges)
        for (int id : r.ids) {
            SCOPED_TRACE(def(id).name);
            auto* n = as<CviNumeric>(id);
            if (!n) continue;
            EXPECT_EQ(n->dataTypeName(), r.type);
            const double start = n->value();
            for (double v : {r.lo, r.hi}) {
                n->setValue(v);
                EXPECT_EQ(n->value(), v);
            }
            n->setValue(start);
        }
    // A fractional scale keeps its digits on screen; millimetres show microns.
    for (int id : {NUMScaleA, NUMScaleB}) EXPECT_GE(as<CviNumeric>(id)->precision(), 6);
    for (int id : {NUMMeasMM, NUMTolUpMM, NUMTolLoMM}) EXPECT_EQ(as<CviNumeric>(id)->precision(), 3);
    for (int id : {SLIDEVideoTHD_A, SLIDEVideoTHD_B}) {
        EXPECT_LE(as<QSlider>(id)->minimum(), 0);
        EXPECT_GE(as<QSlider>(id)->maximum(), 255);  // a repaired video threshold may be up to 255 %
    }
}

TEST_F(UiResource, HiddenAndSetApartControls) {
    for (int id : {HelpText1, HelpText2}) {
        SCOPED_TRACE(def(id).name);
        auto* box = as<QPlainTextEdit>(id);
        EXPECT_TRUE(box->property("onTop").toBool());
        EXPECT_GE(box->width(), 250);
        EXPECT_GE(box->height(), 140);
        // Set apart from the panel so that it is read at a glance.
        EXPECT_NE(box->palette().color(QPalette::Base), panel(MAINPANEL)->palette().color(QPalette::Window));
    }
    // Help boxes and upload buttons start hidden (checked through the engine
    // below); everything else a technician needs at start is not.
    for (int id : {BTNRun, BTNStop, BTNVideo, BTNData, BTNGet, BTNSend, ButtonTeach, TEXTStatus,
                   GRAPHBarMaster, GRAPHBarSlave, STRIPRaw, DropDCom})
        EXPECT_FALSE(ctrl(id)->isHidden()) << def(id).name;
    EXPECT_EQ(as<QPlainTextEdit>(TEXTRecState)->toPlainText(), "DATA-RECORDER");
    EXPECT_EQ(as<QPlainTextEdit>(TEXTRecState)->palette().color(QPalette::Base), QColor(0xE0E0E0));
    // Only the port drop-down lists the machine's serial ports.
    EXPECT_TRUE(as<QComboBox>(DropDCom)->property("portList").toBool());
    EXPECT_FALSE(as<QComboBox>(DropEvalMode)->property("portList").toBool());
}

TEST_F(UiResource, SharedPlacesAndTitleStripFitTheMainPanel) {
    QWidget* main = panel(MAINPANEL);
    EXPECT_LE(main->width(), 1280);
    EXPECT_LE(main->height(), 800);
    // The four settings panels take turns at one place.
    const QSize page = panel(PARA0)->size();
    for (int rid : {PARA1, PARA2, CALIB}) EXPECT_EQ(panel(rid)->size(), page) << rid;
    const QRect pageRect(QPoint(8, 98), page);
    const QRect triggRect(QPoint(590, 70), panel(TRIGG)->size());
    EXPECT_TRUE(main->rect().contains(pageRect));
    EXPECT_TRUE(main->rect().contains(triggRect));
    for (const ControlDef& d : kControlDefs) {
        if (d.panelResourceId != MAINPANEL || d.id == HelpText1 || d.id == HelpText2) continue;
        EXPECT_FALSE(boundingRect(d.id).intersects(pageRect)) << d.name << " under the settings panels";
    }
    // The trigger panel comes up with the DATA view: it may cover the bar
    // graphs but not the data graphs or their switch.
    for (int id : {GRAPHDataRaw, GRAPHDataNorm, SWITCHDataView, STRIPRaw, TEXTStatus})
        EXPECT_FALSE(boundingRect(id).intersects(triggRect)) << def(id).name;
    for (int id : {GRAPHBarMaster, GRAPHBarSlave}) EXPECT_TRUE(triggRect.intersects(ctrl(id)->geometry()));

    const QRect deco = ctrl(DECOTitle)->geometry();
    EXPECT_EQ(deco.topLeft(), QPoint(0, 0));
    EXPECT_EQ(deco.width(), main->width());
    EXPECT_GE(deco.height(), 55);
    EXPECT_LE(deco.height(), 66);
    const QRect logo = ctrl(PICTLogo)->geometry();
    EXPECT_EQ(logo.topLeft(), QPoint(300, 8));
    EXPECT_LE(logo.bottom(), 31);  // the program's name is written from top 32
}

// Controls of one panel never cover each other, except where the display
// modes take turns at one place.
TEST_F(UiResource, ControlsStayInsideTheirPanelAndApart) {
    const QSet<int> graphArea = {STRIPRaw, GRAPHVideoMaster, GRAPHVideoSlave, GRAPHDataRaw, GRAPHDataNorm};
    const QSet<int> title = {DECOTitle, PICTLogo};
    auto shareAPlace = [&](int a, int b) {
        if (a == HelpText1 || a == HelpText2 || b == HelpText1 || b == HelpText2) return true;
        return (graphArea.contains(a) && graphArea.contains(b)) || (title.contains(a) && title.contains(b));
    };
    for (const ControlDef& a : kControlDefs) {
        const QRect ra = boundingRect(a.id);
        EXPECT_TRUE(panel(a.panelResourceId)->rect().contains(ra)) << a.name << " outside its panel";
        for (const ControlDef& b : kControlDefs) {
            if (b.id <= a.id || b.panelResourceId != a.panelResourceId || shareAPlace(a.id, b.id)) continue;
            EXPECT_FALSE(ra.intersects(boundingRect(b.id))) << a.name << " overlaps " << b.name;
        }
    }
}

// The same file through the engine, loaded as start-up loads it.
class UiLoadedPanels : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterProgramCallbacks();
        main_ = LoadPanel(0, kResourceFile, MAINPANEL);
        ASSERT_GT(main_, 0);
        handle_[MAINPANEL] = main_;
        for (int rid : {PARA0, PARA1, PARA2, CALIB, TRIGG}) {
            handle_[rid] = LoadPanel(main_, kResourceFile, rid);
            ASSERT_GT(handle_[rid], 0) << rid;
        }
        handle_[POPUP] = LoadPanel(0, kResourceFile, POPUP);
        ASSERT_GT(handle_[POPUP], 0);
        for (int rid : {PARA0, PARA1, PARA2, CALIB}) SetPanelPos(handle_[rid], 98, 8);
        SetPanelPos(handle_[TRIGG], 70, 590);
    }
    static void TearDownTestSuite() {
        if (handle_.count(POPUP)) DiscardPanel(handle_[POPUP]);
        if (main_ > 0) DiscardPanel(main_);  // its child panels go with it
        handle_.clear();
        main_ = 0;
    }
    static int h(int id) { return handle_.at(kControlDefs[id - 1].panelResourceId); }
    static const char* name(int id) { return kControlDefs[id - 1].name; }
    template <class T = double>
    static T val(int id) {
        T v{};
        EXPECT_EQ(GetCtrlVal(h(id), id, &v), 0) << name(id);
        return v;
    }

    static inline int main_ = 0;
    static inline std::map<int, int> handle_;
};

TEST_F(UiLoadedPanels, LoadInStartUpOrderWithDistinctHandles) {
    QSet<int> seen;
    for (const auto& [rid, handle] : handle_) seen.insert(handle);
    EXPECT_EQ(seen.size(), 7);
    for (const ControlDef& d : kControlDefs) EXPECT_EQ(TestCtrlKind(h(d.id), d.id), d.kind) << d.name;
}

// What GetPanelValues reads at start-up is the record's defaults.
TEST_F(UiLoadedPanels, StartUpReadsTheDefaults) {
    const std::map<int, double> expected = {
        {DropEvalMode, 1}, {RINGTrgMode, 0}, {DROPAnaMode, 0}, {DROPHardwareMode, 1},
        {NUMPara0W4, 1}, {SWITCHPara0W5, 1}, {NUMToleranceLO, 100}, {NUMToleranceUP, 100},
        {NUMTrig1, 10}, {NUMTrig2, 0}, {NUMTrig3, 0}, {NUMTrig4, 0}, {NUMSetpoint, 37000},
        {NUMPvalA, 500}, {NUMPvalB, 500}, {DROPpmodeA, 1}, {DROPpmodeB, 1},
        {SLIDEVideoTHD_A, 50}, {SLIDEVideoTHD_B, 50}, {NUMTeachA, 512}, {NUMTeachB, 512},
        {NUMPixBegA, 1}, {NUMPixBegB, 1}, {NUMPixEndA, 4096}, {NUMPixEndB, 4096},
        {RINGGainA, 0}, {RINGGainB, 0}, {NUMTriggThresholdA, 50}, {NUMTriggThresholdB, 50},
        {NUMScaleA, 1.0}, {NUMScaleB, 1.0},
        // the parameter target starts at sensor RAM
        {RBTRam, 1}, {RBTEeprom, 0}, {RBTFile, 0},
        // page 0 is the page shown at start; the recorder pop-up is not
        {TOGGBTN_Para0, 1}, {TOGGBTN_Para1, 0}, {TOGGBTN_Para2, 0}, {TOGGBTN_Calib, 0},
        {TOGGBTN_Recorder, 0}, {TOGBTN_Trigg, 0},
        {NEDITRecSamples, 100}, {NEDITRecTime, 1}, {DropDCom, 1},
    };
    for (const auto& [id, v] : expected) EXPECT_EQ(val(id), v) << name(id);
    EXPECT_EQ(val<std::string>(TEXTStatus), "InitVars");
}

TEST_F(UiLoadedPanels, RingsOfferTheValuesTheBindingWritesWithTextsToTellApart) {
    struct Span { int first, count; std::vector<std::string> texts; };
    const std::map<int, Span> spans = {
        {DropEvalMode, {0, 5, {}}}, {RINGTrgMode, {0, 4, {"", "", "", "NOT-USED"}}},
        {DROPAnaMode, {0, 5, {}}}, {DROPHardwareMode, {0, 5, {}}},
        {DROPpmodeA, {0, 2, {}}}, {DROPpmodeB, {0, 2, {}}},
        {RINGGainA, {0, 2, {"LOW GAIN", "HIGH GAIN"}}}, {RINGGainB, {0, 2, {"LOW GAIN", "HIGH GAIN"}}},
        {DropDCom, {1, 8, {}}},
    };
    for (const ControlDef& d : kControlDefs) {
        if (d.kind != KIND_RING) continue;
        SCOPED_TRACE(d.name);
        ASSERT_TRUE(spans.count(d.id)) << "no values listed";
        const Span& s = spans.at(d.id);
        const double start = val(d.id);
        const auto items = TestListItems(h(d.id), d.id);
        ASSERT_EQ(items.size(), static_cast<size_t>(s.count));
        std::set<std::string> texts;
        for (int i = 0; i < s.count; ++i) {
            EXPECT_EQ(items[i].second, s.first + i);
            EXPECT_FALSE(items[i].first.empty());
            const std::string want = d.id == DropDCom ? ComPortDescription(i + 1)
                                     : i < static_cast<int>(s.texts.size()) ? s.texts[i] : std::string();
            if (!want.empty()) { EXPECT_EQ(items[i].first, want); }
            texts.insert(items[i].first);
            EXPECT_EQ(SetCtrlVal(h(d.id), d.id, s.first + i), 0);
            EXPECT_EQ(val<int>(d.id), s.first + i);
        }
        EXPECT_EQ(texts.size(), items.size());
        SetCtrlVal(h(d.id), d.id, start);
    }
}

TEST_F(UiLoadedPanels, ExtremeValuesComeBackUnchanged) {
    ASSERT_EQ(SetCtrlVal(h(NUMSetpoint), NUMSetpoint, 4294967295u), 0);
    EXPECT_EQ(val<unsigned int>(NUMSetpoint), 4294967295u);
    SetCtrlVal(h(NUMSetpoint), NUMSetpoint, 37000u);
    const float big = static_cast<float>(4294967295u / 1024.0);  // largest scale the binding shows
    const float fine = 1264 / 1024.0f;                           // 1.234375: every digit matters
    for (float f : {big, fine}) {
        SetCtrlVal(h(NUMScaleA), NUMScaleA, f);
        EXPECT_EQ(val<float>(NUMScaleA), f);
    }
    SetCtrlVal(h(NUMScaleA), NUMScaleA, 1.0f);
}

// A right-click puts a help box beside its control by fixed offsets; the
// layout must leave room for the whole box there.
TEST_F(UiLoadedPanels, HelpBoxesStartHiddenAndOpenInsideTheMainPanel) {
    struct Rule { int id, box, dx, dy; bool right; };  // right: left edge is L + W + dx
    const std::vector<Rule> rules = {
        {BTNRun, HelpText1, 10, -20, true}, {BTNStop, HelpText1, 10, -20, true},
        {BTNVideo, HelpText1, 10, -20, true}, {BTNData, HelpText1, 10, -20, true},
        {BTNGet, HelpText1, 20, -25, true}, {BTNSend, HelpText1, 20, -25, true},
        {ButtonTeach, HelpText1, -200, -20, false}, {ButtonReset, HelpText1, 10, -60, true},
        {TOGGBTN_Recorder, HelpText1, 10, -50, true}, {DropDCom, HelpText2, 20, -120, true},
        {GRAPHVideoMaster, HelpText2, 40, 30, false}, {GRAPHVideoSlave, HelpText2, 60, 30, false},
        {GRAPHDataRaw, HelpText2, 40, 30, false}, {GRAPHDataNorm, HelpText2, 40, 30, false},
        {NUMToleranceUP, HelpText1, 20, -10, true}, {NUMToleranceLO, HelpText1, 20, -10, true},
        {NUMTriggThresholdA, HelpText1, 30, -10, true}, {NUMTriggThresholdB, HelpText1, 30, -10, true},
    };
    auto get = [](int panel, int ctrl, int attribute) {
        int v = -1;
        EXPECT_EQ(ctrl ? GetCtrlAttribute(panel, ctrl, attribute, &v) : GetPanelAttribute(panel, attribute, &v), 0);
        return v;
    };
    for (int id : {HelpText1, HelpText2, BTNWriteXFMA, BTNWriteXFSL}) EXPECT_EQ(get(h(id), id, ATTR_VISIBLE), 0) << name(id);
    const int mainW = get(main_, 0, ATTR_WIDTH), mainH = get(main_, 0, ATTR_HEIGHT);
    for (const Rule& r : rules) {
        SCOPED_TRACE(name(r.id));
        int top = 0, left = 0, height = 0, width = 0;
        ASSERT_EQ(GetCtrlBoundingRect(h(r.id), r.id, &top, &left, &height, &width), 0);
        if (h(r.id) != main_) {
            left += get(h(r.id), 0, ATTR_LEFT);
            top += get(h(r.id), 0, ATTR_TOP);
        }
        const int bx = left + (r.right ? width : 0) + r.dx, by = top + r.dy;
        EXPECT_GE(bx, 0);
        EXPECT_GE(by, 0);
        EXPECT_LE(bx + get(main_, r.box, ATTR_WIDTH), mainW);
        EXPECT_LE(by + get(main_, r.box, ATTR_HEIGHT), mainH);
    }
}

TEST(UiLogo, LoadsAsASmallBannerImage) {
    QImage img(binFile("zu.bmp"));
    ASSERT_FALSE(img.isNull());
    EXPECT_GE(img.width(), 150);
    EXPECT_LE(img.width(), 190);
    EXPECT_GE(img.height(), 18);
    EXPECT_LE(img.height(), 24);
    // Not a blank rectangle: it carries a mark and lettering.
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) colours.insert(img.pixel(x, y));
    EXPECT_GT(colours.size(), 3);
}

}  // namespace
