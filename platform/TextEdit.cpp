#include "platform/TextEdit.h"

#include "platform/EditorKeys.h"
#include "platform/FocusHighlight.h"

#include <QPainter>
#include <QValidator>

namespace platform {

namespace {

// Upper-cases whatever is typed or pasted.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace

TextEdit::TextEdit(QWidget* parent) : QLineEdit(parent), focus_(new FocusHighlight(this)) {}

void TextEdit::SetUpperCase(bool on)
{
    upperCase_ = on;
    if (on) {
        setValidator(new UpperCaseValidator(this));
        setText(text().toUpper());
    } else {
        setValidator(nullptr);
    }
}

void TextEdit::SetFocusedColor(const QColor& c) { focus_->SetColor(c); }
QColor TextEdit::FocusedColor() const { return focus_->Color(); }

bool TextEdit::event(QEvent* e)
{
    if (EditorKeys::Filter(
            this, e, [this](int& key, Qt::KeyboardModifiers m) { emit KeyDown(key, m); },
            [this](QString& text) { emit KeyPress(text); }, [this](QEvent* r) { return QLineEdit::event(r); }))
        return true;
    return QLineEdit::event(e);
}

QIcon TextEdit::ButtonIcon(void (*draw)(QPainter&))
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    draw(p);
    return QIcon(pm);
}

} // namespace platform
