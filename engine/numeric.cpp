#include "engine/numeric.h"

#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <cfloat>
#include <cmath>

double CviNumeric::typeMin(DataType t) {
    switch (t) {
    case U16:
    case U32: return 0.0;
    case I16: return -32768.0;
    case I32: return -2147483648.0;
    case Float: return -static_cast<double>(FLT_MAX);
    case Double: break;
    }
    return -DBL_MAX;
}

double CviNumeric::typeMax(DataType t) {
    switch (t) {
    case U16: return 65535.0;
    case U32: return 4294967295.0;
    case I16: return 32767.0;
    case I32: return 2147483647.0;
    case Float: return static_cast<double>(FLT_MAX);
    case Double: break;
    }
    return DBL_MAX;
}

double CviNumeric::coerce(double v, double min, double max, DataType type) {
    if (std::isnan(v)) v = 0.0;
    const double lo = std::max(min, typeMin(type));
    const double hi = std::min(max, typeMax(type));
    if (isIntegerType(type)) v = std::round(v);
    if (lo <= hi) v = std::clamp(v, lo, hi);
    if (type == Float) v = static_cast<double>(static_cast<float>(v));
    return v;
}

QString CviNumeric::format(double v, int precision, DataType type) {
    if (isIntegerType(type)) return QString::number(static_cast<qint64>(v));
    return QString::number(v, 'f', std::clamp(precision, 0, 15));
}

CviNumeric::CviNumeric(QWidget* parent)
    : QAbstractSpinBox(parent), min_(-DBL_MAX), max_(DBL_MAX) {
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(false);
    // Filled with the panel's colour: a new value repaints this box alone,
    // not the frame or panel beneath it.
    setAutoFillBackground(true);
    // Numbers need no shaping; a new value then costs no shaper run.
    QFont f;
    f.setStyleStrategy(QFont::PreferNoShaping);
    setFont(f);
    // Enter and focus-out after typing both end here; an arrow step does not.
    // textEdited comes from the user's typing only; the line edit's own
    // "modified" flag is cleared by Enter before we see it.
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { typed_ = true; });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        if (!typed_ || isReadOnly()) return;
        takeTypedText();
        emit userChanged();
    });
    refreshText();
}

QString CviNumeric::dataTypeName() const {
    switch (type_) {
    case U16: return QStringLiteral("u16");
    case U32: return QStringLiteral("u32");
    case I16: return QStringLiteral("i16");
    case I32: return QStringLiteral("i32");
    case Float: return QStringLiteral("float");
    case Double: break;
    }
    return QStringLiteral("double");
}

void CviNumeric::setDataTypeName(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("u16")) setDataType(U16);
    else if (n == QLatin1String("u32")) setDataType(U32);
    else if (n == QLatin1String("i16")) setDataType(I16);
    else if (n == QLatin1String("i32")) setDataType(I32);
    else if (n == QLatin1String("float")) setDataType(Float);
    else setDataType(Double);
}

void CviNumeric::recoerce() {
    value_ = coerce(loading_ ? given_ : value_, min_, max_, type_);
    refreshText();
}

void CviNumeric::setMinimum(double v) {
    min_ = v;
    recoerce();
}

void CviNumeric::setMaximum(double v) {
    max_ = v;
    recoerce();
}

void CviNumeric::setRange(double min, double max) {
    min_ = min;
    max_ = max;
    recoerce();
}

void CviNumeric::setValue(double v) {
    given_ = v;
    value_ = coerce(v, min_, max_, type_);
    refreshText();
}

void CviNumeric::setPrecision(int digits) {
    precision_ = std::clamp(digits, 0, 15);
    refreshText();
}

void CviNumeric::setDataType(DataType t) {
    type_ = t;
    recoerce();
}

void CviNumeric::setIndicator(bool on) {
    indicator_ = on;
    setReadOnly(on);
    setButtonSymbols(on ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
    setFocusPolicy(on ? Qt::NoFocus : Qt::WheelFocus);
}

void CviNumeric::setIncrement(double step) { increment_ = step; }

void CviNumeric::finishLoading() {
    if (!loading_) return;
    value_ = coerce(given_, min_, max_, type_);
    loading_ = false;
    refreshText();
}

void CviNumeric::refreshText() {
    const QString t = format(value_, precision_, type_);
    // Text set by code replaces anything typed and not yet entered.
    typed_ = false;
    if (lineEdit()->text() != t) lineEdit()->setText(t);
}

void CviNumeric::takeTypedText() {
    QString t = lineEdit()->text().trimmed();
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (ok) value_ = coerce(v, min_, max_, type_);
    given_ = value_;
    refreshText();
}

void CviNumeric::stepBy(int steps) {
    if (isReadOnly() || steps == 0) return;
    const bool typed = typed_;
    const double before = value_;
    if (typed) takeTypedText();
    value_ = coerce(value_ + steps * increment_, min_, max_, type_);
    given_ = value_;
    refreshText();
    if (typed || value_ != before) emit userChanged();
}

QAbstractSpinBox::StepEnabled CviNumeric::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    StepEnabled e = StepNone;
    const double lo = std::max(min_, typeMin(type_));
    const double hi = std::min(max_, typeMax(type_));
    if (value_ < hi) e |= StepUpEnabled;
    if (value_ > lo) e |= StepDownEnabled;
    return e;
}

QValidator::State CviNumeric::validate(QString& input, int&) const {
    const QString t = input.trimmed();
    if (t.isEmpty() || t == QLatin1String("-") || t == QLatin1String("+")) return QValidator::Intermediate;
    bool ok = false;
    if (isIntegerType(type_)) {
        t.toLongLong(&ok);
        if (ok) return QValidator::Acceptable;
        // Allow the sign only where the type has negatives.
        return QValidator::Invalid;
    }
    QLocale::c().toDouble(t, &ok);
    if (ok) return QValidator::Acceptable;
    // A number still being typed: "1e", "1.", "-.".
    static const QString partial = QStringLiteral("0123456789+-.eE");
    for (QChar c : t)
        if (!partial.contains(c)) return QValidator::Invalid;
    return QValidator::Intermediate;
}

void CviNumeric::fixup(QString& input) const { input = format(value_, precision_, type_); }

QRect CviNumeric::arrowRect(bool up) const {
    QStyleOptionSpinBox opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_SpinBox, &opt,
                                   up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown, this);
}
