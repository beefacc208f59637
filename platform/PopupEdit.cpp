#include "platform/PopupEdit.h"

#include "platform/SlotGuard.h"

#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace platform {

PopupEdit::PopupEdit(QWidget* parent) : TextEdit(parent)
{
    const QIcon arrow = ButtonIcon([](QPainter& p) {
        const QPointF tri[3] = {{4, 6}, {12, 6}, {8, 11}};
        p.drawPolygon(tri, 3);
    });
    button_ = addAction(arrow, QLineEdit::TrailingPosition);
    connect(button_, &QAction::triggered, this, [this] { Guarded([&] { IsPopupVisible() ? CloseUp() : DroppedDown(); }); });
}

void PopupEdit::SetPopupControl(QWidget* control) { control_ = control; }

bool PopupEdit::IsPopupVisible() const { return popup_ && popup_->isVisible(); }

void PopupEdit::DroppedDown()
{
    if (!control_)
        return;
    if (!popup_) {
        auto* frame = new QFrame(this, Qt::Popup);
        frame->setFrameShape(QFrame::Box);
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(1, 1, 1, 1);
        popup_ = frame;
    }
    control_->setParent(popup_);
    popup_->layout()->addWidget(control_);
    control_->show();
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->resize(std::max(width(), control_->sizeHint().width()), control_->sizeHint().height() + 2);
    popup_->show();
    control_->setFocus();
    emit Popup();
}

void PopupEdit::CloseUp()
{
    if (popup_)
        popup_->hide();
    setFocus();
    emit Closed();
}

void PopupEdit::keyPressEvent(QKeyEvent* e)
{
    // Alt+Down opens the popup, as drop-downs do.
    if (e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier)) {
        DroppedDown();
        return;
    }
    TextEdit::keyPressEvent(e);
}

} // namespace platform
