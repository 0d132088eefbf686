// The panel resource file and the logo. The program relies on the file for
// much more than looks: control names and kinds, callbacks, start values
// (read back into the parameter record at start-up), ranges (a control that
// clips a value silently changes what a later SEND carries), which controls
// start hidden, and where the shared places of the main panel are.
#include <gtest/gtest.h>

#include <QAbstractButton>
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
#include <ostream>
#include <memory>
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
                return root_->findChild<QWidget*>(QString::fromLatin1(p.name),
                                                  Qt::FindDirectChildrenOnly);
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
    static std::vector<int> ringValues(int id) {
        QComboBox* c = as<QComboBox>(id);
        std::vector<int> out;
        if (!c) return out;
        const QString prop = c->property("itemValues").toString();
        const QStringList parts = prop.split(',', Qt::SkipEmptyParts);
        for (int i = 0; i < c->count(); ++i)
            out.push_back(prop.isEmpty() ? i : (i < parts.size() ? parts[i].trimmed().toInt() : -1));
        return out;
    }
    // The value the panel binding reads from a control at start-up.
    static double startValue(int id) {
        QWidget* w = ctrl(id);
        if (auto* n = qobject_cast<CviNumeric*>(w)) return n->value();
        if (auto* s = qobject_cast<QSlider*>(w)) return s->value();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->isChecked() ? 1 : 0;
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            const auto v = ringValues(id);
            const int i = c->currentIndex();
            return i >= 0 && i < static_cast<int>(v.size()) ? v[i] : -1;
        }
        ADD_FAILURE() << def(id).name << " has no value";
        return -1;
    }
    // The control and its label, in panel coordinates.
    static QRect boundingRect(int id) {
        QWidget* w = ctrl(id);
        QRect r = w->geometry();
        if (auto* l = w->parentWidget()->findChild<QLabel*>(QString::fromLatin1(def(id).name) + "_label"))
            r = r.united(l->geometry());
        return r;
    }

    static std::unique_ptr<QWidget> root_;
};
std::unique_ptr<QWidget> UiResource::root_;

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
        QWidget* p = panel(d.panelResourceId);
        ASSERT_NE(p, nullptr);
        QWidget* w = ctrl(d.id);
        ASSERT_NE(w, nullptr) << "missing";
        // A direct child, so that its geometry is in panel coordinates (help
        // boxes and child panels are placed by those).
        EXPECT_EQ(w->parentWidget(), p);
        EXPECT_EQ(w->property("callback").toString(), QString::fromLatin1(d.callback));
        switch (d.kind) {
        case KIND_COMMAND:
            ASSERT_TRUE(qobject_cast<QPushButton*>(w));
            EXPECT_FALSE(static_cast<QPushButton*>(w)->isCheckable());
            break;
        case KIND_TOGGLE:
            ASSERT_TRUE(qobject_cast<QPushButton*>(w));
            EXPECT_TRUE(static_cast<QPushButton*>(w)->isCheckable());
            break;
        case KIND_RADIO:
            ASSERT_TRUE(qobject_cast<QRadioButton*>(w));
            EXPECT_FALSE(static_cast<QRadioButton*>(w)->autoExclusive());
            break;
        case KIND_NUMERIC:
        case KIND_INDICATOR:
            ASSERT_TRUE(qobject_cast<CviNumeric*>(w));
            EXPECT_EQ(static_cast<CviNumeric*>(w)->isIndicator(), d.kind == KIND_INDICATOR);
            break;
        case KIND_RING: EXPECT_TRUE(qobject_cast<QComboBox*>(w)); break;
        case KIND_SWITCH: EXPECT_TRUE(qobject_cast<QCheckBox*>(w)); break;
        case KIND_SLIDE:
            ASSERT_TRUE(qobject_cast<QSlider*>(w));
            EXPECT_EQ(static_cast<QSlider*>(w)->orientation(), Qt::Horizontal);
            break;
        case KIND_STRING:
            ASSERT_TRUE(qobject_cast<QLineEdit*>(w));
            EXPECT_TRUE(static_cast<QLineEdit*>(w)->isReadOnly());
            break;
        case KIND_TEXTBOX:
            ASSERT_TRUE(qobject_cast<QPlainTextEdit*>(w));
            EXPECT_TRUE(static_cast<QPlainTextEdit*>(w)->isReadOnly());
            break;
        case KIND_TEXTMSG:
        case KIND_PICTURE: EXPECT_TRUE(qobject_cast<QLabel*>(w)); break;
        case KIND_DECORATION: EXPECT_TRUE(qobject_cast<QFrame*>(w) && !qobject_cast<QLabel*>(w)); break;
        case KIND_GRAPH: EXPECT_TRUE(qobject_cast<CviGraph*>(w)); break;
        case KIND_STRIPCHART: EXPECT_TRUE(qobject_cast<CviStripChart*>(w)); break;
        case KIND_NONE: ADD_FAILURE() << "no kind"; break;
        }
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
        const QString owner = n.chopped(6);
        bool ok = false;
        for (const ControlDef& d : kControlDefs)
            if (owner == QLatin1String(d.name)) ok = ctrl(d.id) && ctrl(d.id)->parentWidget() == w->parentWidget();
        EXPECT_TRUE(ok) << qPrintable(n) << " labels no control of its panel";
    }
}

TEST_F(UiResource, StartValuesEqualTheParameterDefaults) {
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
    for (const auto& [id, v] : expected) EXPECT_EQ(startValue(id), v) << def(id).name;
    EXPECT_EQ(as<QLineEdit>(TEXTStatus)->text(), "InitVars");
    EXPECT_EQ(as<QPlainTextEdit>(TEXTRecState)->toPlainText(), "DATA-RECORDER");
    EXPECT_EQ(as<QPlainTextEdit>(TEXTRecState)->palette().color(QPalette::Base), QColor(0xE0E0E0));
}

// Every value the panel binding writes after its repairs, and every value of
// a field it never repairs, must come back unchanged from the control.
TEST_F(UiResource, RangesHoldEveryValueTheProgramMayWrite) {
    struct Range { int id; const char* type; double lo, hi; };
    const double u16 = 65535, u32 = 4294967295.0, px = 8192;
    const std::vector<Range> ranges = {
        {NUMPara0W4, "u16", 0, 2048}, {NUMToleranceLO, "u16", 0, px}, {NUMToleranceUP, "u16", 0, px},
        {NUMTrig1, "u16", 0, u16}, {NUMTrig2, "u16", 0, u16}, {NUMTrig3, "u16", 0, u16},
        {NUMTrig4, "u16", 0, u16}, {NUMSetpoint, "u32", 0, u32},
        {NUMPvalA, "u16", 0, 1000}, {NUMPvalB, "u16", 0, 1000},
        {NUMTeachA, "u16", 0, px}, {NUMTeachB, "u16", 0, px},
        {NUMPixBegA, "u16", 0, px}, {NUMPixBegB, "u16", 0, px},
        {NUMPixEndA, "u16", 0, px}, {NUMPixEndB, "u16", 0, px},
        {NUMTriggThresholdA, "u16", 0, u16}, {NUMTriggThresholdB, "u16", 0, u16},
        // a 32-bit scale / 1024 in single precision: the largest rounds up to 2^22
        {NUMScaleA, "float", 0, 4194304.0}, {NUMScaleB, "float", 0, 4194304.0},
        {NEDITRecSamples, "u16", 0, u16}, {NEDITRecTime, "u16", 0, u16},
        {NUMAval, "u16", 0, u16}, {NUMBval, "u16", 0, u16}, {NUMMvalue, "u16", 0, u16},
        {NUMAnaMax, "u16", 0, u16}, {NUMAnaMin, "u16", 0, u16},
        // micrometres of a signed 32-bit value, in mm
        {NUMMeasMM, "double", -2147483.648, 2147483.647},
        {NUMTolUpMM, "double", 0, 1.0e6}, {NUMTolLoMM, "double", 0, 1.0e6},
        {NUMRecDay, "u32", 0, 49710}, {NUMRecHour, "u32", 0, 23}, {NUMRecMin, "u32", 0, 59},
        {NUMRecSec, "u32", 0, 59}, {NUMRecCount, "u32", 0, u16},
    };
    for (const Range& r : ranges) {
        SCOPED_TRACE(def(r.id).name);
        auto* n = as<CviNumeric>(r.id);
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
    EXPECT_GE(as<CviNumeric>(NUMScaleA)->precision(), 6);
    EXPECT_GE(as<CviNumeric>(NUMScaleB)->precision(), 6);
    for (int id : {NUMMeasMM, NUMTolUpMM, NUMTolLoMM}) EXPECT_EQ(as<CviNumeric>(id)->precision(), 3);
    for (int id : {SLIDEVideoTHD_A, SLIDEVideoTHD_B}) {
        auto* s = as<QSlider>(id);
        EXPECT_LE(s->minimum(), 0);
        EXPECT_GE(s->maximum(), 255);  // a repaired video threshold may be up to 255 %
    }
}

TEST_F(UiResource, RingsOfferTheValuesTheBindingWrites) {
    auto range = [](int n, int first = 0) {
        std::vector<int> v;
        for (int i = 0; i < n; ++i) v.push_back(first + i);
        return v;
    };
    EXPECT_EQ(ringValues(DropEvalMode), range(5));
    EXPECT_EQ(ringValues(RINGTrgMode), range(4));
    EXPECT_EQ(ringValues(DROPAnaMode), range(5));
    EXPECT_EQ(ringValues(DROPHardwareMode), range(5));
    EXPECT_EQ(ringValues(DROPpmodeA), range(2));
    EXPECT_EQ(ringValues(DROPpmodeB), range(2));
    EXPECT_EQ(ringValues(RINGGainA), range(2));
    EXPECT_EQ(ringValues(RINGGainB), range(2));
    EXPECT_EQ(ringValues(DropDCom), range(8, 1));
    EXPECT_EQ(as<QComboBox>(RINGTrgMode)->itemText(3), "NOT-USED");
    for (int id : {RINGGainA, RINGGainB}) {
        EXPECT_EQ(as<QComboBox>(id)->itemText(0), "LOW GAIN");
        EXPECT_EQ(as<QComboBox>(id)->itemText(1), "HIGH GAIN");
    }
    auto* com = as<QComboBox>(DropDCom);
    EXPECT_TRUE(com->property("portList").toBool());
    for (int i = 0; i < com->count(); ++i) EXPECT_EQ(com->itemText(i), QString("COM%1").arg(i + 1));
    EXPECT_FALSE(as<QComboBox>(DropEvalMode)->property("portList").toBool());
    // A technician tells the items apart.
    for (const ControlDef& d : kControlDefs) {
        if (d.kind != KIND_RING) continue;
        auto* c = as<QComboBox>(d.id);
        QSet<QString> texts;
        for (int i = 0; i < c->count(); ++i) texts.insert(c->itemText(i));
        EXPECT_EQ(texts.size(), c->count()) << d.name;
        EXPECT_FALSE(texts.contains(QString())) << d.name;
    }
}

TEST_F(UiResource, HelpBoxesAndUploadButtonsStartHidden) {
    for (int id : {HelpText1, HelpText2}) {
        auto* box = as<QPlainTextEdit>(id);
        EXPECT_TRUE(box->isHidden()) << def(id).name;
        EXPECT_TRUE(box->property("onTop").toBool()) << def(id).name;
        EXPECT_GE(box->width(), 250);
        EXPECT_GE(box->height(), 140);
        // Set apart from the panel so that it is read at a glance.
        EXPECT_NE(box->palette().color(QPalette::Base), panel(MAINPANEL)->palette().color(QPalette::Window));
    }
    for (int id : {BTNWriteXFMA, BTNWriteXFSL}) EXPECT_TRUE(ctrl(id)->isHidden()) << def(id).name;
    // Everything else a technician needs at start is not hidden by the file.
    for (int id : {BTNRun, BTNStop, BTNVideo, BTNData, BTNGet, BTNSend, ButtonTeach, TEXTStatus,
                   GRAPHBarMaster, GRAPHBarSlave, STRIPRaw, DropDCom})
        EXPECT_FALSE(ctrl(id)->isHidden()) << def(id).name;
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

    QWidget* deco = ctrl(DECOTitle);
    EXPECT_EQ(deco->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(deco->width(), main->width());
    EXPECT_GE(deco->height(), 55);
    EXPECT_LE(deco->height(), 66);
    QWidget* logo = ctrl(PICTLogo);
    EXPECT_EQ(logo->geometry().topLeft(), QPoint(300, 8));
    EXPECT_LE(logo->geometry().bottom(), 31);  // the program's name is written from top 32
}

// Controls of one panel never cover each other, except where the display
// modes take turns at one place.
TEST_F(UiResource, ControlsStayInsideTheirPanelAndApart) {
    const QSet<int> graphArea = {STRIPRaw, GRAPHVideoMaster, GRAPHVideoSlave, GRAPHDataRaw, GRAPHDataNorm};
    auto shareAPlace = [&](int a, int b) {
        if (a == HelpText1 || a == HelpText2 || b == HelpText1 || b == HelpText2) return true;
        if (graphArea.contains(a) && graphArea.contains(b)) return true;
        const QSet<int> title = {DECOTitle, PICTLogo};
        return title.contains(a) && title.contains(b);
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
        for (int rid : {PARA0, PARA1, PARA2, CALIB, TRIGG}) {
            const int h = LoadPanel(main_, kResourceFile, rid);
            ASSERT_GT(h, 0) << rid;
            handle_[rid] = h;
        }
        handle_[POPUP] = LoadPanel(0, kResourceFile, POPUP);
        ASSERT_GT(handle_[POPUP], 0);
        handle_[MAINPANEL] = main_;
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

    static inline int main_ = 0;
    static inline std::map<int, int> handle_;
};

TEST_F(UiLoadedPanels, LoadInStartUpOrderWithDistinctHandles) {
    QSet<int> seen;
    for (const auto& [rid, handle] : handle_) {
        EXPECT_GT(handle, 0) << rid;
        seen.insert(handle);
    }
    EXPECT_EQ(seen.size(), 7);
    for (const ControlDef& d : kControlDefs) EXPECT_EQ(TestCtrlKind(h(d.id), d.id), d.kind) << d.name;
}

// What GetPanelValues reads at start-up is the record's defaults.
TEST_F(UiLoadedPanels, StartUpReadsTheDefaults) {
    auto u16 = [&](int id) {
        unsigned short v = 0xBEEF;
        EXPECT_EQ(GetCtrlVal(h(id), id, &v), 0) << kControlDefs[id - 1].name;
        return static_cast<int>(v);
    };
    EXPECT_EQ(u16(DropEvalMode), 1);
    EXPECT_EQ(u16(RINGTrgMode), 0);
    EXPECT_EQ(u16(DROPHardwareMode), 1);
    EXPECT_EQ(u16(SWITCHPara0W5), 1);
    EXPECT_EQ(u16(NUMToleranceUP), 100);
    EXPECT_EQ(u16(NUMTrig1), 10);
    EXPECT_EQ(u16(SLIDEVideoTHD_B), 50);
    EXPECT_EQ(u16(NUMPixEndA), 4096);
    EXPECT_EQ(u16(RINGGainB), 0);
    EXPECT_EQ(u16(NUMTriggThresholdA), 50);
    EXPECT_EQ(u16(RBTRam), 1);
    unsigned int setpoint = 0;
    GetCtrlVal(h(NUMSetpoint), NUMSetpoint, &setpoint);
    EXPECT_EQ(setpoint, 37000u);
    float scale = 0;
    GetCtrlVal(h(NUMScaleB), NUMScaleB, &scale);
    EXPECT_EQ(static_cast<unsigned int>(scale * 1024.0f), 1024u);  // the record's scale
    int com = 0;
    GetCtrlVal(h(DropDCom), DropDCom, &com);
    EXPECT_EQ(com, 1);
    std::string status;
    GetCtrlVal(h(TEXTStatus), TEXTStatus, &status);
    EXPECT_EQ(status, "InitVars");
}

TEST_F(UiLoadedPanels, ExtremeValuesComeBackUnchanged) {
    const unsigned int u32max = 4294967295u;
    EXPECT_EQ(SetCtrlVal(h(NUMSetpoint), NUMSetpoint, u32max), 0);
    unsigned int sp = 0;
    GetCtrlVal(h(NUMSetpoint), NUMSetpoint, &sp);
    EXPECT_EQ(sp, u32max);
    SetCtrlVal(h(NUMSetpoint), NUMSetpoint, 37000u);

    const float big = static_cast<float>(u32max / 1024.0);  // largest scale the binding shows
    const float fine = 1264 / 1024.0f;                     // 1.234375: every digit matters
    for (float f : {big, fine}) {
        SetCtrlVal(h(NUMScaleA), NUMScaleA, f);
        float back = 0;
        GetCtrlVal(h(NUMScaleA), NUMScaleA, &back);
        EXPECT_EQ(back, f);
    }
    SetCtrlVal(h(NUMScaleA), NUMScaleA, 1.0f);

    struct Top { int id; unsigned short v, start; };
    for (const Top& t : {Top{NUMTeachB, 8192, 512}, Top{NUMPixEndB, 8192, 4096}, Top{NUMToleranceLO, 8192, 100},
                         Top{NUMPvalA, 1000, 500}, Top{NUMPara0W4, 2048, 1}, Top{NUMTrig4, 65535, 0},
                         Top{NUMTriggThresholdB, 65535, 50}, Top{SLIDEVideoTHD_A, 255, 50}}) {
        EXPECT_EQ(SetCtrlVal(h(t.id), t.id, t.v), 0) << kControlDefs[t.id - 1].name;
        unsigned short back = 0;
        GetCtrlVal(h(t.id), t.id, &back);
        EXPECT_EQ(back, t.v) << kControlDefs[t.id - 1].name;
        SetCtrlVal(h(t.id), t.id, t.start);
    }
    struct RingSpan { int id, first, last, start; };
    for (const RingSpan& r : {RingSpan{DropEvalMode, 0, 4, 1}, RingSpan{RINGTrgMode, 0, 3, 0},
                              RingSpan{DROPAnaMode, 0, 4, 0}, RingSpan{DROPHardwareMode, 0, 4, 1},
                              RingSpan{DROPpmodeB, 0, 1, 1}, RingSpan{DropDCom, 1, 8, 1}}) {
        for (int v = r.first; v <= r.last; ++v) {
            EXPECT_EQ(SetCtrlVal(h(r.id), r.id, v), 0) << kControlDefs[r.id - 1].name << " " << v;
            int back = -1;
            GetCtrlVal(h(r.id), r.id, &back);
            EXPECT_EQ(back, v);
        }
        SetCtrlVal(h(r.id), r.id, r.start);
    }
}

TEST_F(UiLoadedPanels, HiddenControlsAndSharedPanelSize) {
    for (int id : {HelpText1, HelpText2, BTNWriteXFMA, BTNWriteXFSL}) {
        int visible = -1;
        EXPECT_EQ(GetCtrlAttribute(h(id), id, ATTR_VISIBLE, &visible), 0);
        EXPECT_EQ(visible, 0) << kControlDefs[id - 1].name;
    }
    int w0 = 0, h0 = 0;
    GetPanelAttribute(handle_[PARA0], ATTR_WIDTH, &w0);
    GetPanelAttribute(handle_[PARA0], ATTR_HEIGHT, &h0);
    for (int rid : {PARA1, PARA2, CALIB}) {
        int w = 0, hh = 0;
        GetPanelAttribute(handle_[rid], ATTR_WIDTH, &w);
        GetPanelAttribute(handle_[rid], ATTR_HEIGHT, &hh);
        EXPECT_EQ(w, w0) << rid;
        EXPECT_EQ(hh, h0) << rid;
    }
}

// A right-click puts a help box beside its control by fixed offsets; the
// layout must leave room for the whole box there.
TEST_F(UiLoadedPanels, HelpBoxesOpenInsideTheMainPanel) {
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
    int mainW = 0, mainH = 0;
    GetPanelAttribute(main_, ATTR_WIDTH, &mainW);
    GetPanelAttribute(main_, ATTR_HEIGHT, &mainH);
    for (const Rule& r : rules) {
        SCOPED_TRACE(kControlDefs[r.id - 1].name);
        int top = 0, left = 0, height = 0, width = 0;
        ASSERT_EQ(GetCtrlBoundingRect(h(r.id), r.id, &top, &left, &height, &width), 0);
        if (h(r.id) != main_) {
            int pl = 0, pt = 0;
            GetPanelAttribute(h(r.id), ATTR_LEFT, &pl);
            GetPanelAttribute(h(r.id), ATTR_TOP, &pt);
            left += pl;
            top += pt;
        }
        int bw = 0, bh = 0;
        GetCtrlAttribute(main_, r.box, ATTR_WIDTH, &bw);
        GetCtrlAttribute(main_, r.box, ATTR_HEIGHT, &bh);
        const int bx = left + (r.right ? width : 0) + r.dx, by = top + r.dy;
        EXPECT_GE(bx, 0);
        EXPECT_GE(by, 0);
        EXPECT_LE(bx + bw, mainW);
        EXPECT_LE(by + bh, mainH);
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
