#pragma once
// A scripted application and screen for tests: message boxes take queued answers, modal
// dialogs are driven by queued actions inside their real modal loop, file dialogs take queued
// names, and everything shown is recorded. Whatever a test did not script is answered safely
// (cancel, reject) and listed in Failures(), so a forgotten question fails the test instead of
// hanging it.
#include "platform/Application.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

class QTimer;

namespace testsupport {

struct MessageBoxRecord {
    QString text;
    QString caption;
    int buttons = 0;
    platform::MessageIcon icon = platform::MessageIcon::None;
    int answer = 0;
};

struct DialogRecord {
    QString className;
    QString objectName;
    QString title;
    int result = QDialog::Rejected;
    bool scripted = false;
    bool timedOut = false;
};

struct FileDialogRecord {
    bool save = false;
    platform::FileDialogOptions options; // as the caller presented them
    bool accepted = false;
};

class ScriptedApplication : public platform::TApplication, public platform::TScreen {
public:
    using DialogAction = std::function<void(QDialog&)>;

    ScriptedApplication();
    ~ScriptedApplication() override;

    // Message boxes, answered in queue order. With nothing queued an OK-only notice gets OK;
    // a question is answered with cancel (or no) and counts as a failure.
    void QueueAnswer(int button);
    const QList<MessageBoxRecord>& Boxes() const { return boxes_; }
    // Runs while a box is up, before it is answered: what a user sees beside it.
    std::function<void(const QString& text)> WhileAsking;
    int PendingAnswers() const { return int(answers_.size()); }

    // Modal dialogs: the next queued action runs once the dialog is shown, inside its own modal
    // loop (timers fire). A dialog still open after the timeout is rejected and counted as a
    // failure; so is a dialog nobody scripted (rejected at once).
    void QueueDialog(DialogAction action);
    // The same, typed as the dialog class; another dialog is recorded as a failure.
    template <class Dialog>
    void OnDialog(std::function<void(Dialog&)> action)
    {
        QueueDialog([action = std::move(action)](QDialog& d) {
            auto* dialog = qobject_cast<Dialog*>(&d);
            if (!dialog)
                throw std::logic_error(std::string("unexpected dialog ") + d.metaObject()->className());
            action(*dialog);
        });
    }
    // Convenience actions.
    static DialogAction Accept();
    static DialogAction Reject();
    const QList<DialogRecord>& Dialogs() const { return dialogs_; }
    int PendingDialogs() const { return int(dialogActions_.size()); }
    void SetDialogTimeout(int ms) { dialogTimeoutMs_ = ms; }

    // File dialogs: a queued name accepts (the default extension is appended to a name without
    // one), a queued cancel declines.
    void QueueFileName(const QString& fileName, int filterIndex = 1);
    void QueueFileCancel();
    const QList<FileDialogRecord>& FileDialogs() const { return fileDialogs_; }

    // Screen.
    void SetPrinters(const QStringList& printers) { printers_ = printers; }
    // Replaces the real top-level window list with the given one (nullptr entries drop out).
    void SetTopLevelWindows(const QList<QWidget*>& windows);
    void UseRealTopLevelWindows() { topLevelOverride_.reset(); }
    int TopLevelQueries() const { return topLevelQueries_; }

    // Reports.
    const QStringList& HandledExceptions() const { return exceptions_; }
    const QStringList& ShownMessages() const { return shownMessages_; }
    int ProcessMessagesCount() const { return processMessages_; }
    const QStringList& Failures() const { return failures_; }
    // Everything scripted was used and nothing went wrong.
    bool Clean() const;
    void SetTitle(const QString& title) { title_ = title; }

    // TApplication
    int MessageBox(const QString& text, const QString& caption, int buttons, platform::MessageIcon icon) override;
    void ShowMessage(const QString& text) override;
    int ExecModal(QDialog& dialog) override;
    bool ExecSaveDialog(platform::FileDialogOptions& options) override;
    bool ExecOpenDialog(platform::FileDialogOptions& options) override;
    void ProcessMessages() override;
    void HandleException(const std::exception& e) override;
    QString Title() const override { return title_; }

    // TScreen
    QStringList Printers() const override { return printers_; }
    QList<QWidget*> TopLevelWindows() const override;

private:
    struct FileAnswer {
        std::optional<QString> fileName;
        int filterIndex = 1;
    };
    bool RunFileDialog(platform::FileDialogOptions& options, bool save);

    QList<int> answers_;
    QList<MessageBoxRecord> boxes_;
    QList<DialogAction> dialogActions_;
    QList<DialogRecord> dialogs_;
    QList<QTimer*> safetyTimers_; // innermost last; only the innermost dialog's clock runs
    int dialogTimeoutMs_ = 10000;
    QList<FileAnswer> fileAnswers_;
    QList<FileDialogRecord> fileDialogs_;
    QStringList printers_;
    std::optional<QList<QPointer<QWidget>>> topLevelOverride_;
    mutable int topLevelQueries_ = 0;
    QStringList exceptions_;
    QStringList shownMessages_;
    int processMessages_ = 0;
    QStringList failures_;
    QString title_ = QStringLiteral("jxc-tests");
};

} // namespace testsupport
