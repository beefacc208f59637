#include "platform/FocusHighlight.h"

#include <QEvent>
#include <QWidget>

namespace platform {

FocusHighlight::FocusHighlight(QWidget* editor) : QObject(editor), editor_(editor)
{
    editor_->installEventFilter(this);
}

void FocusHighlight::SetColor(const QColor& c)
{
    const bool focused = editor_->hasFocus();
    if (applied_)
        Apply(false);
    color_ = c;
    if (focused)
        Apply(true);
}

void FocusHighlight::Apply(bool focused)
{
    if (focused && color_.isValid() && !applied_) {
        saved_ = editor_->palette();
        QPalette p = saved_;
        p.setColor(QPalette::Base, color_);
        editor_->setPalette(p);
        applied_ = true;
    } else if (!focused && applied_) {
        editor_->setPalette(saved_);
        applied_ = false;
    }
}

bool FocusHighlight::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_) {
        if (event->type() == QEvent::FocusIn)
            Apply(true);
        else if (event->type() == QEvent::FocusOut)
            Apply(false);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
