#include "platform/CurrencyEdit.h"

#include "platform/FormatFloat.h"

#include <QRegularExpressionValidator>

namespace platform {

namespace {

std::optional<Currency> ParseMoney(QString text)
{
    text = text.trimmed();
    text.remove(u',');
    text.remove(QChar(0xFFE5));
    text.remove(QChar(0x00A5));
    return Currency::Parse(text);
}

} // namespace

CurrencyEdit::CurrencyEdit(QWidget* parent) : TextEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ShowValue(false);
    connect(this, &QLineEdit::textEdited, this, [this] { TakeText(); });
}

void CurrencyEdit::SetDisplayFormat(const QString& format)
{
    displayFormat_ = format;
    ShowValue(hasFocus());
}

void CurrencyEdit::SetNullString(const QString& s)
{
    nullString_ = s;
    ShowValue(hasFocus());
}

void CurrencyEdit::SetValue(Currency v)
{
    const bool changed = null_ || v != value_;
    value_ = v;
    null_ = false;
    ShowValue(hasFocus());
    if (changed)
        emit ValueChanged(value_);
}

void CurrencyEdit::Clear()
{
    null_ = true;
    value_ = Currency();
    ShowValue(hasFocus());
}

bool CurrencyEdit::IsValidEntry() const
{
    const QString t = text().trimmed();
    if (t.isEmpty() || (!hasFocus() && t == nullString_))
        return true;
    if (!hasFocus())
        return true; // showing the formatted value
    const auto c = ParseMoney(t);
    if (!c)
        return false;
    const double d = c->ToDouble();
    return d >= min_ && d <= max_;
}

void CurrencyEdit::TakeText()
{
    const QString t = text().trimmed();
    if (t.isEmpty()) {
        null_ = true;
        value_ = Currency();
        return;
    }
    if (const auto c = ParseMoney(t)) {
        const double d = c->ToDouble();
        if (d >= min_ && d <= max_) {
            const bool changed = null_ || *c != value_;
            value_ = *c;
            null_ = false;
            if (changed)
                emit ValueChanged(value_);
        }
    }
}

void CurrencyEdit::ShowValue(bool editing)
{
    if (null_)
        setText(editing ? QString() : nullString_);
    else if (editing)
        setText(value_.ToString());
    else
        setText(displayFormat_.isEmpty() ? value_.ToString() : FormatFloat(displayFormat_, value_));
}

void CurrencyEdit::focusInEvent(QFocusEvent* e)
{
    ShowValue(true);
    TextEdit::focusInEvent(e);
    selectAll();
}

void CurrencyEdit::focusOutEvent(QFocusEvent* e)
{
    TakeText();
    TextEdit::focusOutEvent(e);
    ShowValue(false);
}

} // namespace platform
