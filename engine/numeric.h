// The numeric editor and indicator of the resource file (class CviNumeric).
// It keeps exactly the value set or typed, as a double, so every 32-bit
// integer and every float survives a round trip; the number of digits shown
// is a separate setting and never rounds the value kept.
#pragma once

#include <QAbstractSpinBox>
#include <QString>

class CviNumeric : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(double minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(double maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(int precision READ precision WRITE setPrecision)
    Q_PROPERTY(QString dataType READ dataTypeName WRITE setDataTypeName)
    Q_PROPERTY(bool indicator READ isIndicator WRITE setIndicator)
    Q_PROPERTY(double increment READ increment WRITE setIncrement)

public:
    enum DataType { U16, U32, I16, I32, Double, Float };

    // The value a control of `type` holds for `v` with the range [min, max]:
    // integers round to the nearest whole number, floats to single
    // precision, and everything is clamped into the range and the type's.
    static double coerce(double v, double min, double max, DataType type);
    static bool isIntegerType(DataType t) { return t != Double && t != Float; }
    static double typeMin(DataType t);
    static double typeMax(DataType t);
    // How `v` is shown with `precision` digits after the point.
    static QString format(double v, int precision, DataType type);

    explicit CviNumeric(QWidget* parent = nullptr);

    double minimum() const { return min_; }
    double maximum() const { return max_; }
    double value() const { return value_; }
    int precision() const { return precision_; }
    DataType dataType() const { return type_; }
    QString dataTypeName() const;
    bool isIndicator() const { return indicator_; }
    double increment() const { return increment_; }

    void setMinimum(double v);
    void setMaximum(double v);
    void setRange(double min, double max);
    void setValue(double v);
    void setPrecision(int digits);
    void setDataType(DataType t);
    void setDataTypeName(const QString& name);  // "u16", "u32", "i16", "i32", "double", "float"
    void setIndicator(bool on);
    void setIncrement(double step);

    // The loader sets properties in file order (a value may come before its
    // range); until this is called the value given is kept as it came and
    // coerced against the final range here.
    void finishLoading();

    // Where the up or down arrow sits, and the text field (test support
    // clicks and types there).
    QRect arrowRect(bool up) const;
    QLineEdit* editor() const { return lineEdit(); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

signals:
    // The user completed an entry (Enter or focus-out after typing) or
    // stepped with an arrow. Never emitted for changes made by code.
    void userChanged();

protected:
    StepEnabled stepEnabled() const override;

private:
    void takeTypedText();
    void refreshText();
    void recoerce();

    double min_;
    double max_;
    double value_ = 0.0;
    double given_ = 0.0;  // the value as the file gave it, while loading
    int precision_ = 2;
    DataType type_ = Double;
    bool indicator_ = false;
    bool loading_ = true;
    bool typed_ = false;  // the user typed since the last entry
    double increment_ = 1.0;
};
