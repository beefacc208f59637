#include "platform/ButtonEdit.h"

#include "platform/SlotGuard.h"

#include <QAction>
#include <QKeyEvent>
#include <QPainter>

namespace platform {

ButtonEdit::ButtonEdit(QWidget* parent) : TextEdit(parent)
{
    const QIcon ellipsis = ButtonIcon([](QPainter& p) {
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(3.5 + i * 4.5, 11.5), 1.4, 1.4);
    });
    button_ = addAction(ellipsis, QLineEdit::TrailingPosition);
    button_->setObjectName(QStringLiteral("ellipsis"));
    button_->setToolTip(QStringLiteral("..."));
    connect(button_, &QAction::triggered, this, [this] { Guarded([&] { emit ButtonClicked(0); }); });
}

void ButtonEdit::SetButtonVisible(bool on) { button_->setVisible(on); }
bool ButtonEdit::ButtonVisible() const { return button_->isVisible(); }

void ButtonEdit::keyPressEvent(QKeyEvent* e)
{
    // Ctrl+Enter presses the button from the keyboard.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && (e->modifiers() & Qt::ControlModifier)
        && button_->isVisible()) {
        Guarded([&] { emit ButtonClicked(0); });
        e->accept();
        return;
    }
    TextEdit::keyPressEvent(e);
}

} // namespace platform
