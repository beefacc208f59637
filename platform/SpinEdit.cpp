#include "platform/SpinEdit.h"

#include "platform/FocusHighlight.h"

namespace platform {

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent), focus_(new FocusHighlight(this))
{
    setRange(-2147483647, 2147483647);
}

void SpinEdit::SetFocusedColor(const QColor& c) { focus_->SetColor(c); }
QColor SpinEdit::FocusedColor() const { return focus_->Color(); }

} // namespace platform
