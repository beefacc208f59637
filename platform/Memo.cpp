#include "platform/Memo.h"

#include "platform/FocusHighlight.h"

namespace platform {

Memo::Memo(QWidget* parent) : QPlainTextEdit(parent), focus_(new FocusHighlight(this)) {}

void Memo::SetFocusedColor(const QColor& c) { focus_->SetColor(c); }
QColor Memo::FocusedColor() const { return focus_->Color(); }

} // namespace platform
