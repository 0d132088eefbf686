// Control calls. Every call reads or changes the per-control state only;
// the widgets catch up from a coalescing timer (uistate.cpp), so the live
// loop can set a dozen indicators per frame thousands of times a second
// without painting once per call.
#include <QFontInfo>
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <algorithm>
#include <climits>
#include <cmath>
#include <type_traits>

#include "engine/cvi.h"
#include "engine/graph.h"
#include "engine/internal.h"
#include "engine/numeric.h"
#include "engine/uistate.h"

namespace engine {
namespace {

// The application's meta font: the application font, a little condensed, as
// narrow as the texts the program places at fixed positions expect (the title
// strip's program name has 180 px before the version text starts).
QFont appMetaFont() {
    QFont f = QApplication::font();
    f.setStretch(QFont::SemiCondensed);
    return f;
}

int errorFor(int panel) { return panelWidget(panel) ? UIEBadCtrl : UIEBadPanel; }

template <class T>
T truncToWidth(double v) {
    if (!std::isfinite(v)) return 0;
    const double t = std::trunc(v);
    long long ll;
    if (t >= 9.2e18) ll = LLONG_MAX;
    else if (t <= -9.2e18) ll = LLONG_MIN;
    else ll = static_cast<long long>(t);
    // Keep the low bits of the target width (two's complement).
    return static_cast<T>(static_cast<std::make_unsigned_t<T>>(static_cast<unsigned long long>(ll)));
}

int readNumber(CtrlState* s, double* out) {
    switch (s->kind) {
    case KIND_NUMERIC:
    case KIND_INDICATOR:
    case KIND_SLIDE:
    case KIND_TOGGLE:
    case KIND_RADIO:
    case KIND_SWITCH: *out = s->num; return 0;
    case KIND_RING:
        if (s->ringIndex < 0 || s->ringIndex >= s->items.size()) return UIEBadValue;
        *out = s->items[s->ringIndex].value;
        return 0;
    default: return UIEBadValue;
    }
}

int setNumber(int panel, int control, double v) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    double nv = v;
    switch (s->kind) {
    case KIND_NUMERIC:
    case KIND_INDICATOR: nv = CviNumeric::coerce(v, s->min, s->max, s->dataType); break;
    case KIND_SLIDE:
        if (std::isnan(v)) return UIEBadValue;
        nv = std::clamp(std::round(v), s->min, s->max);
        break;
    case KIND_TOGGLE:
    case KIND_RADIO:
    case KIND_SWITCH: nv = v != 0.0 ? 1.0 : 0.0; break;
    case KIND_RING: {
        int found = -1;
        for (int i = 0; i < s->items.size(); ++i)
            if (static_cast<double>(s->items[i].value) == v) {
                found = i;
                break;
            }
        if (found < 0) return UIEBadValue;
        if (found == s->ringIndex) return 0;
        s->ringIndex = found;
        markDirty(s, kDirtyValue);
        return 0;
    }
    default: return UIEBadValue;
    }
    if (nv == s->num) return 0;
    s->num = nv;
    markDirty(s, kDirtyValue);
    return 0;
}

template <class T>
int getInteger(int panel, int control, T* value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (!value) return UIEBadValue;
    double v = 0;
    if (int r = readNumber(s, &v); r < 0) return r;
    *value = truncToWidth<T>(v);
    return 0;
}

QStringList textLines(const QString& text) {
    if (text.isEmpty()) return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

bool isTextKind(CtrlKind k) { return k == KIND_STRING || k == KIND_TEXTBOX || k == KIND_TEXTMSG; }

void setText(CtrlState* s, const QString& t) {
    if (s->text == t) return;
    s->text = t;
    if (s->kind == KIND_TEXTMSG) s->labelText = t;
    markDirty(s, kDirtyValue);
}

int setRangeEnd(CtrlState* s, int attribute, double v) {
    if (s->kind != KIND_NUMERIC && s->kind != KIND_INDICATOR && s->kind != KIND_SLIDE) return UIEBadAttr;
    if (std::isnan(v)) return UIEBadValue;
    double& end = attribute == ATTR_MIN_VALUE ? s->min : s->max;
    if (end == v) return 0;
    end = v;
    const double before = s->num;
    if (s->kind == KIND_SLIDE) {
        if (s->min <= s->max) s->num = std::clamp(s->num, s->min, s->max);
    } else {
        s->num = CviNumeric::coerce(s->num, s->min, s->max, s->dataType);
    }
    markDirty(s, kDirtyRange | (s->num != before ? kDirtyValue : 0u));
    return 0;
}

int getRangeEnd(CtrlState* s, int attribute, double* v) {
    if (s->kind != KIND_NUMERIC && s->kind != KIND_INDICATOR && s->kind != KIND_SLIDE) return UIEBadAttr;
    *v = attribute == ATTR_MIN_VALUE ? s->min : s->max;
    return 0;
}

int setColor(CtrlState* s, int& field, int rgb) {
    rgb &= 0xFFFFFF;
    if (field == rgb) return 0;
    field = rgb;
    markDirty(s, kDirtyColors);
    return 0;
}

}  // namespace

}  // namespace engine

using namespace engine;

// ---------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------

int SetCtrlVal(int panel, int control, int value) { return setNumber(panel, control, value); }
int SetCtrlVal(int panel, int control, unsigned int value) { return setNumber(panel, control, value); }
int SetCtrlVal(int panel, int control, short value) { return setNumber(panel, control, value); }
int SetCtrlVal(int panel, int control, unsigned short value) { return setNumber(panel, control, value); }
int SetCtrlVal(int panel, int control, long long value) {
    return setNumber(panel, control, static_cast<double>(value));
}
int SetCtrlVal(int panel, int control, double value) { return setNumber(panel, control, value); }
int SetCtrlVal(int panel, int control, float value) { return setNumber(panel, control, value); }

int SetCtrlVal(int panel, int control, const char* value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (!isTextKind(s->kind)) return UIEBadValue;
    setText(s, fromProgram(value));
    return 0;
}

int GetCtrlVal(int panel, int control, int* value) { return getInteger(panel, control, value); }
int GetCtrlVal(int panel, int control, unsigned int* value) { return getInteger(panel, control, value); }
int GetCtrlVal(int panel, int control, short* value) { return getInteger(panel, control, value); }
int GetCtrlVal(int panel, int control, unsigned short* value) { return getInteger(panel, control, value); }

int GetCtrlVal(int panel, int control, double* value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (!value) return UIEBadValue;
    return readNumber(s, value);
}

int GetCtrlVal(int panel, int control, float* value) {
    if (!value) return UIEBadValue;
    double v = 0;
    const int r = GetCtrlVal(panel, control, &v);
    if (r == 0) *value = static_cast<float>(v);
    return r;
}

int GetCtrlVal(int panel, int control, std::string* value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (!value || !isTextKind(s->kind)) return UIEBadValue;
    *value = toProgram(s->text).toStdString();
    return 0;
}

// ---------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    switch (attribute) {
    case ATTR_DIMMED: {
        const bool on = value != 0;
        if (s->dimmed != on) {
            s->dimmed = on;
            markDirty(s, kDirtyDimmed);
        }
        return 0;
    }
    case ATTR_VISIBLE: {
        const bool on = value != 0;
        if (s->visible != on) {
            s->visible = on;
            markDirty(s, kDirtyVisible);
        }
        return 0;
    }
    case ATTR_LEFT:
    case ATTR_TOP: {
        const int cur = attribute == ATTR_LEFT ? s->geom.left() : s->geom.top();
        if (cur == value) return 0;
        const QPoint delta = attribute == ATTR_LEFT ? QPoint(value - cur, 0) : QPoint(0, value - cur);
        s->geom.translate(delta);
        s->labelGeom.translate(delta);
        markDirty(s, kDirtyGeometry);
        return 0;
    }
    case ATTR_WIDTH:
    case ATTR_HEIGHT: {
        if (value < 0) return UIEBadValue;
        const int cur = attribute == ATTR_WIDTH ? s->geom.width() : s->geom.height();
        if (cur == value) return 0;
        if (attribute == ATTR_WIDTH) s->geom.setWidth(value);
        else s->geom.setHeight(value);
        s->autoSize = false;
        markDirty(s, kDirtyGeometry);
        return 0;
    }
    case ATTR_TEXT_COLOR: return setColor(s, s->textColor, value);
    case ATTR_TEXT_BGCOLOR: return setColor(s, s->bgColor, value);
    case ATTR_FRAME_COLOR:
        if (s->kind != KIND_DECORATION && s->kind != KIND_TEXTMSG && s->kind != KIND_PICTURE) return UIEBadAttr;
        return setColor(s, s->bgColor, value);
    case ATTR_TEXT_POINT_SIZE:
        // The engine's text size counts screen pixels (a 13 is the usual
        // control text), which keeps texts placed at fixed positions from
        // running into each other whatever the screen's dots per inch.
        if (value <= 0) return UIEBadValue;
        if (s->font.pixelSize() == value) return 0;
        s->font.setPixelSize(value);
        markDirty(s, kDirtyFont | (s->autoSize ? kDirtyValue : 0u));
        return 0;
    case ATTR_MIN_VALUE:
    case ATTR_MAX_VALUE: return setRangeEnd(s, attribute, value);
    case ATTR_PRECISION:
        if (s->kind != KIND_NUMERIC && s->kind != KIND_INDICATOR) return UIEBadAttr;
        if (value < 0 || value > 15) return UIEBadValue;
        if (s->precision != value) {
            s->precision = value;
            markDirty(s, kDirtyRange);
        }
        return 0;
    case ATTR_POINTS_PER_SCREEN:
    case ATTR_NUM_TRACES: {
        auto* chart = qobject_cast<CviStripChart*>(s->widget.data());
        if (!chart) return UIEBadAttr;
        return chart->setIntAttribute(attribute, value) ? 0 : UIEBadValue;
    }
    case ATTR_CTRL_INDEX:
        if (s->kind != KIND_RING) return UIEBadAttr;
        if (value < 0 || value >= s->items.size()) return UIEBadValue;
        if (s->ringIndex != value) {
            s->ringIndex = value;
            markDirty(s, kDirtyValue);
        }
        return 0;
    default: return UIEBadAttr;
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, double value) {
    if (attribute == ATTR_MIN_VALUE || attribute == ATTR_MAX_VALUE) {
        CtrlState* s = ctrlState(panel, control);
        if (!s) return errorFor(panel);
        return setRangeEnd(s, attribute, value);
    }
    if (std::isnan(value)) return UIEBadValue;
    return SetCtrlAttribute(panel, control, attribute, static_cast<int>(std::lround(value)));
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    const QString v = fromProgram(value);
    switch (attribute) {
    case ATTR_LABEL_TEXT:
        if (s->kind == KIND_TEXTMSG) {
            setText(s, v);
            return 0;
        }
        if (s->labelText != v) {
            s->labelText = v;
            markDirty(s, kDirtyLabel);
        }
        return 0;
    case ATTR_TEXT_FONT: {
        QFont f = v == QLatin1String(VAL_APP_META_FONT) ? appMetaFont() : QFont(v);
        f.setPixelSize(QFontInfo(s->font).pixelSize());
        if (s->fontName == v && s->font == f) return 0;
        s->fontName = v;
        s->font = f;
        markDirty(s, kDirtyFont | (s->autoSize ? kDirtyValue : 0u));
        return 0;
    }
    default: return UIEBadAttr;
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (!value) return UIEBadValue;
    switch (attribute) {
    case ATTR_DIMMED: *value = s->dimmed; return 0;
    case ATTR_VISIBLE: *value = s->visible; return 0;
    case ATTR_LEFT:
    case ATTR_TOP:
    case ATTR_WIDTH:
    case ATTR_HEIGHT:
        if (s->autoSize) flushOne(s);  // a text message sizes itself to its text
        *value = attribute == ATTR_LEFT ? s->geom.left()
               : attribute == ATTR_TOP  ? s->geom.top()
               : attribute == ATTR_WIDTH ? s->geom.width()
                                         : s->geom.height();
        return 0;
    case ATTR_TEXT_COLOR: *value = s->textColor; return 0;
    case ATTR_TEXT_BGCOLOR: *value = s->bgColor; return 0;
    case ATTR_FRAME_COLOR:
        if (s->kind != KIND_DECORATION && s->kind != KIND_TEXTMSG && s->kind != KIND_PICTURE) return UIEBadAttr;
        *value = s->bgColor;
        return 0;
    case ATTR_TEXT_POINT_SIZE: *value = QFontInfo(s->font).pixelSize(); return 0;
    case ATTR_MIN_VALUE:
    case ATTR_MAX_VALUE: {
        double d = 0;
        if (int r = getRangeEnd(s, attribute, &d); r < 0) return r;
        *value = truncToWidth<int>(d);
        return 0;
    }
    case ATTR_PRECISION:
        if (s->kind != KIND_NUMERIC && s->kind != KIND_INDICATOR) return UIEBadAttr;
        *value = s->precision;
        return 0;
    case ATTR_POINTS_PER_SCREEN:
    case ATTR_NUM_TRACES: {
        auto* chart = qobject_cast<CviStripChart*>(s->widget.data());
        if (!chart) return UIEBadAttr;
        return chart->getIntAttribute(attribute, value) ? 0 : UIEBadAttr;
    }
    case ATTR_CTRL_INDEX:
        if (s->kind != KIND_RING) return UIEBadAttr;
        *value = s->ringIndex;
        return 0;
    case ATTR_NUM_ITEMS:
        if (s->kind != KIND_RING) return UIEBadAttr;
        *value = s->items.size();
        return 0;
    case ATTR_TEXT_LINES:
        if (s->kind != KIND_TEXTBOX) return UIEBadAttr;
        *value = textLines(s->text).size();
        return 0;
    default: return UIEBadAttr;
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, double* value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (!value) return UIEBadValue;
    if (attribute == ATTR_MIN_VALUE || attribute == ATTR_MAX_VALUE) return getRangeEnd(s, attribute, value);
    int v = 0;
    const int r = GetCtrlAttribute(panel, control, attribute, &v);
    if (r == 0) *value = v;
    return r;
}

int GetCtrlAttribute(int panel, int control, int attribute, std::string* value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (!value) return UIEBadValue;
    switch (attribute) {
    case ATTR_LABEL_TEXT: *value = toProgram(s->kind == KIND_TEXTMSG ? s->text : s->labelText).toStdString(); return 0;
    case ATTR_TEXT_FONT:
        *value = s->fontName.isEmpty() ? s->font.family().toLatin1().toStdString()
                                       : toProgram(s->fontName).toStdString();
        return 0;
    default: return UIEBadAttr;
    }
}

int GetCtrlBoundingRect(int panel, int control, int* top, int* left, int* height, int* width) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (s->autoSize) flushOne(s);
    QRect r = s->geom;
    if (s->label && s->visible && !s->label->isHidden()) r = r.united(s->labelGeom);
    if (top) *top = r.top();
    if (left) *left = r.left();
    if (height) *height = r.height();
    if (width) *width = r.width();
    return 0;
}

// ---------------------------------------------------------------------------
// Creating controls, text boxes, lists, pictures
// ---------------------------------------------------------------------------

int NewCtrl(int panel, int style, const char* label, int top, int left) {
    QWidget* pw = panelWidget(panel);
    if (!pw) return UIEBadPanel;
    if (style != CTRL_TEXT_MSG) return UIEBadValue;
    auto* l = new QLabel(fromProgram(label), pw);
    l->move(left, top);
    l->adjustSize();
    l->show();
    const int id = adoptControl(panel, l);
    if (id < 0) {
        delete l;
        return UIEBadPanel;
    }
    CtrlState* s = attachControl(panel, id);
    s->autoSize = true;
    raiseOnTopControls(panel);
    return id;
}

int ResetTextBox(int panel, int control, const char* text) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (s->kind != KIND_TEXTBOX) return UIEBadCtrl;
    setText(s, fromProgram(text));
    return 0;
}

int ReplaceTextBoxLine(int panel, int control, int line, const char* text) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (s->kind != KIND_TEXTBOX) return UIEBadCtrl;
    if (line < 0) return UIEBadValue;
    const bool endsWithBreak = s->text.endsWith(QLatin1Char('\n'));
    QStringList lines = textLines(s->text);
    while (lines.size() <= line) lines.append(QString());
    lines[line] = fromProgram(text);
    QString joined = lines.join(QLatin1Char('\n'));
    if (endsWithBreak) joined += QLatin1Char('\n');
    setText(s, joined);
    return 0;
}

int ReplaceListItem(int panel, int control, int index, const char* label, int value) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    if (s->kind != KIND_RING) return UIEBadCtrl;
    if (index < 0 || index >= s->items.size()) return UIEBadValue;
    RingItem& it = s->items[index];
    const QString l = fromProgram(label);
    if (it.label == l && it.value == value) return 0;
    it.label = l;
    it.value = value;
    markDirty(s, kDirtyItems);
    return 0;
}

int DisplayImageFile(int panel, int control, const char* fileName) {
    CtrlState* s = ctrlState(panel, control);
    if (!s) return errorFor(panel);
    auto* l = qobject_cast<QLabel*>(s->widget.data());
    if (!l || !fileName) return UIEBadCtrl;
    QPixmap pm;
    if (!pm.load(resolveProgramFile(fileName))) return UIEFileOpen;
    l->setPixmap(pm);
    return 0;
}
