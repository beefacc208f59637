#include "host/services/MainService.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>

namespace host {

MainService::MainService(platform::StyleRepository* styles, QWidget* hostWindow)
    : styles_(styles), hostWindow_(hostWindow)
{
}

MainService::~MainService()
{
    HideProgress();
    delete hint_.data();
}

void MainService::SetHostWindow(QWidget* window) { hostWindow_ = window; }

QWidget* MainService::HostWindow() const { return hostWindow_; }

QLabel* MainService::WaitHint() const { return hint_; }

void MainService::Notice(const QString& text)
{
    lastNotice_ = text;
    if (auto* main = qobject_cast<QMainWindow*>(hostWindow_.data()))
        main->statusBar()->showMessage(text, 5000);
}

void MainService::NotifySaved() { Notice(QStringLiteral("数据保存成功")); }

void MainService::NotifySaveFailed() { Notice(QStringLiteral("数据保存失败")); }

void MainService::ShowProgress(const QString& text)
{
    if (!hint_) {
        hint_ = new QLabel;
        hint_->setObjectName(QStringLiteral("WaitHint"));
        hint_->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        hint_->setAttribute(Qt::WA_ShowWithoutActivating);
        hint_->setAlignment(Qt::AlignCenter);
        hint_->setMinimumSize(260, 64);
        hint_->setStyleSheet(QStringLiteral(
            "QLabel#WaitHint { background: #FFFDE7; color: #33302A; border: 1px solid #B8A96A;"
            " padding: 14px 28px; font-size: 10.5pt; }"));
    }
    hint_->setText(text);
    hint_->adjustSize();
    QRect area;
    if (hostWindow_ && hostWindow_->isVisible())
        area = hostWindow_->window()->frameGeometry();
    else if (QScreen* s = QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    if (area.isValid())
        hint_->move(area.center() - hint_->rect().center());
    hint_->show();
    hint_->raise();
    if (!cursorSet_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        cursorSet_ = true;
    }
    // Paint now: the caller is about to block the event loop with database work.
    hint_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainService::HideProgress()
{
    if (hint_)
        hint_->hide();
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
}

bool MainService::ProgressVisible() const { return hint_ && hint_->isVisible(); }

} // namespace host
