#include "platform/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

void FixDialogSize(QWidget* form, int width, int height)
{
    form->setFixedSize(width, height);
    form->setWindowFlags((form->windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::Dialog
                         | Qt::MSWindowsFixedSizeDialogHint);
}

void CentreOnScreen(QWidget* form)
{
    QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = form->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    form->move(frame.topLeft());
}

} // namespace platform
