#pragma once
// The host's application and screen objects, handed to the module in CreateWindow. Unattended
// (the screenshot run) nothing may wait for a user: message boxes go to the error output and
// take the safe answer, modal dialogs are declined.
#include "platform/Application.h"

#include <QApplication>
#include <QStringList>
#include <functional>

namespace host {

class DesktopApplication : public platform::QtApplication {
public:
    QString Title() const override;
    int MessageBox(const QString& text, const QString& caption, int buttons, platform::MessageIcon icon) override;
    int ExecModal(QDialog& dialog) override;
    bool ExecSaveDialog(platform::FileDialogOptions& options) override;
    bool ExecOpenDialog(platform::FileDialogOptions& options) override;

    void SetUnattended(bool on) { unattended_ = on; }
    bool Unattended() const { return unattended_; }
    // What an unattended run declined or reported, in order.
    const QStringList& UnattendedLog() const { return log_; }

private:
    void Log(const QString& line);
    bool unattended_ = false;
    QStringList log_;
};

class DesktopScreen : public platform::QtScreen {};

// Runs one delivery; an exception is reported (EAbort silently) and the event counts as not
// handled. What HostApplication::notify does around every event.
bool DeliverGuarded(const std::function<bool()>& deliver, const std::function<void(const QString&)>& report) noexcept;

// The last-resort guard: no exception leaves an event handler into Qt. EAbort ends the event
// silently; anything else goes to the report (a message box by default).
class HostApplication : public QApplication {
public:
    HostApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    void SetReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }
    int CaughtCount() const { return caught_; }

private:
    void Report(const QString& text);
    std::function<void(const QString&)> report_;
    int caught_ = 0;
    bool reporting_ = false;
};

} // namespace host
