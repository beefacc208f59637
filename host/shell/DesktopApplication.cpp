#include "host/shell/DesktopApplication.h"

#include "platform/core/Exception.h"

#include <QDialog>
#include <QMessageBox>
#include <cstdio>

namespace host {

QString DesktopApplication::Title() const { return QStringLiteral("进销存管理系统"); }

void DesktopApplication::Log(const QString& line)
{
    log_ << line;
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

int DesktopApplication::MessageBox(const QString& text, const QString& caption, int buttons,
                                   platform::MessageIcon icon)
{
    if (!unattended_)
        return QtApplication::MessageBox(text, caption, buttons, icon);
    Log(QStringLiteral("[%1] %2").arg(caption, text));
    // The answer that changes nothing.
    if (buttons & platform::mbCancel)
        return platform::mbCancel;
    if (buttons & platform::mbNo)
        return platform::mbNo;
    return buttons & platform::mbYes ? platform::mbNo : platform::mbOK;
}

int DesktopApplication::ExecModal(QDialog& dialog)
{
    if (!unattended_)
        return QtApplication::ExecModal(dialog);
    Log(QStringLiteral("[%1] 无人值守运行，已取消对话框").arg(dialog.windowTitle()));
    return QDialog::Rejected;
}

bool DesktopApplication::ExecSaveDialog(platform::FileDialogOptions& options)
{
    if (!unattended_)
        return QtApplication::ExecSaveDialog(options);
    Log(QStringLiteral("[%1] 无人值守运行，已取消保存").arg(options.title));
    return false;
}

bool DesktopApplication::ExecOpenDialog(platform::FileDialogOptions& options)
{
    if (!unattended_)
        return QtApplication::ExecOpenDialog(options);
    Log(QStringLiteral("[%1] 无人值守运行，已取消打开").arg(options.title));
    return false;
}

HostApplication::HostApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void HostApplication::Report(const QString& text)
{
    ++caught_;
    // A report that itself fails must not recurse through notify.
    if (reporting_) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return;
    }
    reporting_ = true;
    try {
        if (report_)
            report_(text);
        else
            QMessageBox::critical(activeWindow(), QStringLiteral("进销存管理系统"), text);
    } catch (...) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
    reporting_ = false;
}

bool DeliverGuarded(const std::function<bool()>& deliver, const std::function<void(const QString&)>& report) noexcept
{
    QString text;
    try {
        return deliver();
    } catch (const platform::EAbort&) {
        return false;
    } catch (const platform::Exception& e) {
        text = e.Message();
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("未知错误");
    }
    try {
        report(text);
    } catch (...) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
    return false;
}

bool HostApplication::notify(QObject* receiver, QEvent* event)
{
    return DeliverGuarded([&] { return QApplication::notify(receiver, event); },
                          [this](const QString& text) { Report(text); });
}

} // namespace host
