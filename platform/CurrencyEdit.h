#pragma once
// A money edit: shows its value with a display format ("￥,0.00;￥-,0.00") when it has no focus
// and the plain number while editing. Text that is not a number, or a value outside the bounds
// when they are set, makes the entry invalid; Value() then keeps the last valid value.
#include "platform/core/Currency.h"
#include "platform/TextEdit.h"

#include <limits>

namespace platform {

class CurrencyEdit : public TextEdit {
    Q_OBJECT
public:
    explicit CurrencyEdit(QWidget* parent = nullptr);

    void SetDisplayFormat(const QString& format);
    const QString& DisplayFormat() const { return displayFormat_; }
    Currency Value() const { return value_; }
    void SetValue(Currency v);
    double AsDouble() const { return value_.ToDouble(); }
    // Text of a null value while not focused ("" unless set).
    void SetNullString(const QString& s);
    bool IsNull() const { return null_; }
    void Clear(); // null value

    void SetMinValue(double v) { min_ = v; }
    void SetMaxValue(double v) { max_ = v; }
    // Whether the current text is a valid entry.
    bool IsValidEntry() const;

signals:
    void ValueChanged(platform::Currency value);

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void ShowValue(bool editing);
    void TakeText();

    QString displayFormat_;
    QString nullString_;
    Currency value_;
    bool null_ = false;
    double min_ = -std::numeric_limits<double>::infinity();
    double max_ = std::numeric_limits<double>::infinity();
};

} // namespace platform
