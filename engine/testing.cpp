#include "engine/testing.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include "engine/internal.h"
#include "engine/numeric.h"
#include "engine/uistate.h"

using namespace engine;

namespace {

// The control's widget with the program's latest state on it, or nullptr.
QWidget* userTarget(int panel, int ctrl) {
    flushAll();
    CtrlState* s = ctrlState(panel, ctrl);
    return s ? s->widget.data() : nullptr;
}

int badHandle(int panel) { return panelWidget(panel) ? UIEBadCtrl : UIEBadPanel; }

// Presses and/or releases at the centre, on the innermost widget there
// (where a real click lands).
int mouseOn(int panel, int ctrl, Qt::MouseButton button, bool press, bool release) {
    QWidget* w = userTarget(panel, ctrl);
    if (!w) return badHandle(panel);
    QPoint pos = w->rect().center();
    if (QWidget* inner = w->childAt(pos)) pos = inner->mapFrom(w, pos), w = inner;
    if (press) QTest::mousePress(w, button, Qt::NoModifier, pos);
    if (release) QTest::mouseRelease(w, button, Qt::NoModifier, pos);
    return 0;
}

// QSlider's own style option is protected; this fills the same fields so
// the style says where the handle is drawn.
QStyleOptionSlider sliderOption(const QSlider* sl) {
    QStyleOptionSlider opt;
    opt.initFrom(sl);
    opt.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    opt.orientation = sl->orientation();
    opt.maximum = sl->maximum();
    opt.minimum = sl->minimum();
    opt.tickPosition = sl->tickPosition();
    opt.upsideDown = (sl->orientation() == Qt::Horizontal) == sl->invertedAppearance();
    opt.direction = Qt::LeftToRight;
    opt.sliderPosition = sl->sliderPosition();
    if (sl->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
    return opt;
}

QString shownText(QWidget* w) {  // "" for none
    if (auto* n = qobject_cast<CviNumeric*>(w)) return n->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    return {};
}

}  // namespace

int TestPress(int panel, int ctrl) { return mouseOn(panel, ctrl, Qt::LeftButton, true, false); }
int TestRelease(int panel, int ctrl) { return mouseOn(panel, ctrl, Qt::LeftButton, false, true); }
int TestClick(int panel, int ctrl) { return mouseOn(panel, ctrl, Qt::LeftButton, true, true); }
int TestRightClick(int panel, int ctrl) { return mouseOn(panel, ctrl, Qt::RightButton, true, true); }

static int typeInto(int panel, int ctrl, const std::string& text, bool leave) {
    auto* n = qobject_cast<CviNumeric*>(userTarget(panel, ctrl));
    if (!n) return badHandle(panel);
    if (!n->isEnabled() || n->isReadOnly()) return 0;
    n->editor()->selectAll();
    QTest::keyClicks(n, QString::fromLatin1(text.c_str()));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);  // the focus moving away
    leave ? (void)QApplication::sendEvent(n, &out) : QTest::keyClick(n, Qt::Key_Return);
    return 0;
}

int TestTypeValue(int panel, int ctrl, const std::string& text) { return typeInto(panel, ctrl, text, false); }
int TestTypeAndLeave(int panel, int ctrl, const std::string& text) { return typeInto(panel, ctrl, text, true); }

int TestArrowStep(int panel, int ctrl, bool up) {
    auto* n = qobject_cast<CviNumeric*>(userTarget(panel, ctrl));
    if (!n) return badHandle(panel);
    QTest::mouseClick(n, Qt::LeftButton, Qt::NoModifier, n->arrowRect(up).center());
    return 0;
}

int TestChooseItem(int panel, int ctrl, int index) {
    auto* c = qobject_cast<QComboBox*>(userTarget(panel, ctrl));
    if (!c) return badHandle(panel);
    if (index < 0 || index >= c->count()) return UIEBadValue;
    if (!c->isEnabled()) return 0;
    c->showPopup();
    QAbstractItemView* view = c->view();
    // The highlighted item of the open list, taken with Enter.
    view->setCurrentIndex(view->model()->index(index, c->modelColumn(), view->rootIndex()));
    QTest::keyClick(view, Qt::Key_Return);
    if (view->isVisible()) c->hidePopup();
    return 0;
}

int TestDragSlide(int panel, int ctrl, const std::vector<int>& values) {
    auto* sl = qobject_cast<QSlider*>(userTarget(panel, ctrl));
    if (!sl) return badHandle(panel);
    if (!sl->isEnabled()) return 0;
    const QStyleOptionSlider opt = sliderOption(sl);
    const QPoint handle =
        sl->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, sl).center();
    QTest::mousePress(sl, Qt::LeftButton, Qt::NoModifier, handle);
    // Where the pointer moves to is a pixel; the slider turns it into a
    // position. Set the positions directly so each value is exact.
    for (int v : values) sl->setSliderPosition(v);
    QTest::mouseRelease(sl, Qt::LeftButton, Qt::NoModifier, handle);
    return 0;
}

int TestClosePanel(int panel) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    flushAll();
    w->close();
    return 0;
}

std::vector<std::pair<std::string, int>> TestListItems(int panel, int ctrl) {
    std::vector<std::pair<std::string, int>> out;
    auto* c = qobject_cast<QComboBox*>(userTarget(panel, ctrl));
    CtrlState* s = ctrlState(panel, ctrl);
    if (!c || !s) return out;
    for (int i = 0; i < c->count() && i < s->items.size(); ++i)
        out.emplace_back(toProgram(c->itemText(i)).toStdString(), s->items[i].value);
    return out;
}

std::vector<std::string> TestTextBoxLines(int panel, int ctrl) {
    std::vector<std::string> out;
    auto* e = qobject_cast<QPlainTextEdit*>(userTarget(panel, ctrl));
    if (!e) return out;
    QStringList lines = e->toPlainText().split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (const QString& l : lines) out.push_back(toProgram(l).toStdString());
    return out;
}

bool TestPanelDisplayed(int panel) { return panelWidget(panel) && !panelWidget(panel)->isHidden(); }

std::string TestCtrlText(int panel, int ctrl) { return toProgram(shownText(userTarget(panel, ctrl))).toStdString(); }

void TestFlushRepaints() { flushAll(); }

long long TestPushCount() { return pushCount(); }

bool TestGrabPanel(int panel, const std::string& pngPath) {
    QWidget* w = panelWidget(panel);
    if (!w) return false;
    flushAll();
    return w->grab().save(QString::fromLocal8Bit(pngPath.c_str()), "PNG");
}
