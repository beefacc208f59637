#include "tests/support/ScriptedApplication.h"

#include "platform/core/Exception.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

namespace testsupport {

namespace {

QString ButtonsText(int buttons)
{
    QStringList out;
    if (buttons & platform::mbOK) out << QStringLiteral("OK");
    if (buttons & platform::mbCancel) out << QStringLiteral("Cancel");
    if (buttons & platform::mbYes) out << QStringLiteral("Yes");
    if (buttons & platform::mbNo) out << QStringLiteral("No");
    return out.join(u'|');
}

QString ExceptionText(const std::exception& e)
{
    if (const auto* ex = dynamic_cast<const platform::Exception*>(&e))
        return ex->Message();
    return QString::fromUtf8(e.what());
}

} // namespace

ScriptedApplication::ScriptedApplication() = default;
ScriptedApplication::~ScriptedApplication() = default;

void ScriptedApplication::QueueAnswer(int button) { answers_ << button; }

void ScriptedApplication::QueueDialog(DialogAction action) { dialogActions_ << std::move(action); }

ScriptedApplication::DialogAction ScriptedApplication::Accept()
{
    return [](QDialog& d) { d.accept(); };
}

ScriptedApplication::DialogAction ScriptedApplication::Reject()
{
    return [](QDialog& d) { d.reject(); };
}

void ScriptedApplication::QueueFileName(const QString& fileName, int filterIndex)
{
    fileAnswers_ << FileAnswer{fileName, filterIndex};
}

void ScriptedApplication::QueueFileCancel() { fileAnswers_ << FileAnswer{std::nullopt, 1}; }

void ScriptedApplication::SetTopLevelWindows(const QList<QWidget*>& windows)
{
    QList<QPointer<QWidget>> list;
    for (QWidget* w : windows)
        list << QPointer<QWidget>(w);
    topLevelOverride_ = list;
}

bool ScriptedApplication::Clean() const
{
    return failures_.isEmpty() && answers_.isEmpty() && dialogActions_.isEmpty() && fileAnswers_.isEmpty();
}

int ScriptedApplication::MessageBox(const QString& text, const QString& caption, int buttons,
                                    platform::MessageIcon icon)
{
    const int offered = buttons == platform::mbNone ? int(platform::mbOK) : buttons;
    if (WhileAsking)
        WhileAsking(text);
    int answer;
    if (!answers_.isEmpty()) {
        answer = answers_.takeFirst();
        if (!(answer & offered) || (answer & (answer - 1)))
            failures_ << QStringLiteral("answer %1 is not one button of the box \"%2\" (%3)")
                             .arg(answer).arg(text, ButtonsText(offered));
    } else if (offered == platform::mbOK) {
        answer = platform::mbOK;
    } else {
        answer = (offered & platform::mbCancel) ? int(platform::mbCancel)
                 : (offered & platform::mbNo)   ? int(platform::mbNo)
                                                : int(platform::mbOK);
        failures_ << QStringLiteral("unanswered message box \"%1\" (%2)").arg(text, ButtonsText(offered));
    }
    boxes_ << MessageBoxRecord{text, caption, buttons, icon, answer};
    return answer;
}

void ScriptedApplication::ShowMessage(const QString& text) { shownMessages_ << text; }

int ScriptedApplication::ExecModal(QDialog& dialog)
{
    const int index = int(dialogs_.size());
    dialogs_ << DialogRecord{QString::fromLatin1(dialog.metaObject()->className()), dialog.objectName(),
                             dialog.windowTitle(), QDialog::Rejected, !dialogActions_.isEmpty(), false};
    QPointer<QDialog> guard(&dialog);
    const QString who = QStringLiteral("%1 \"%2\"").arg(dialogs_[index].className, dialogs_[index].title);

    // Runs inside the dialog's loop, so nothing thrown may leave it.
    auto runAction = [this, guard, who](DialogAction action) {
        try {
            if (guard)
                action(*guard);
        } catch (const std::exception& e) {
            failures_ << QStringLiteral("dialog action of %1 threw: %2").arg(who, ExceptionText(e));
            if (guard)
                guard->reject();
        } catch (...) {
            failures_ << QStringLiteral("dialog action of %1 threw").arg(who);
            if (guard)
                guard->reject();
        }
    };
    if (!dialogActions_.isEmpty()) {
        DialogAction action = dialogActions_.takeFirst();
        QTimer::singleShot(0, &dialog, [runAction, action] { runAction(action); });
    } else {
        failures_ << QStringLiteral("unscripted dialog %1").arg(who);
        QTimer::singleShot(0, &dialog, [guard] { if (guard) guard->reject(); });
    }

    QTimer safety;
    safety.setSingleShot(true);
    safety.setInterval(dialogTimeoutMs_);
    bool timedOut = false;
    QObject::connect(&safety, &QTimer::timeout, &dialog, [&timedOut, guard] {
        timedOut = true;
        if (guard)
            guard->reject();
    });
    if (!safetyTimers_.isEmpty())
        safetyTimers_.last()->stop();
    safetyTimers_ << &safety;
    safety.start();

    const int result = dialog.exec();

    safetyTimers_.removeLast();
    if (!safetyTimers_.isEmpty())
        safetyTimers_.last()->start();
    dialogs_[index].result = result;
    dialogs_[index].timedOut = timedOut;
    if (timedOut)
        failures_ << QStringLiteral("dialog %1 was still open after %2 ms and was rejected").arg(who).arg(dialogTimeoutMs_);
    return result;
}

bool ScriptedApplication::RunFileDialog(platform::FileDialogOptions& options, bool save)
{
    FileDialogRecord rec{save, options, false};
    bool accepted = false;
    if (fileAnswers_.isEmpty()) {
        failures_ << QStringLiteral("unscripted %1 dialog \"%2\"").arg(save ? "save" : "open", options.title);
    } else {
        const FileAnswer a = fileAnswers_.takeFirst();
        if (a.fileName) {
            QString name = *a.fileName;
            if (!options.defaultExt.isEmpty() && !name.isEmpty() && QFileInfo(name).suffix().isEmpty())
                name += u'.' + options.defaultExt;
            options.fileName = name;
            options.filterIndex = a.filterIndex;
            accepted = true;
        }
    }
    rec.accepted = accepted;
    fileDialogs_ << rec;
    return accepted;
}

bool ScriptedApplication::ExecSaveDialog(platform::FileDialogOptions& options) { return RunFileDialog(options, true); }

bool ScriptedApplication::ExecOpenDialog(platform::FileDialogOptions& options) { return RunFileDialog(options, false); }

void ScriptedApplication::ProcessMessages()
{
    ++processMessages_;
    QCoreApplication::processEvents();
}

void ScriptedApplication::HandleException(const std::exception& e) { exceptions_ << ExceptionText(e); }

QList<QWidget*> ScriptedApplication::TopLevelWindows() const
{
    ++topLevelQueries_;
    QList<QWidget*> out;
    if (topLevelOverride_) {
        for (const QPointer<QWidget>& w : *topLevelOverride_)
            if (w)
                out << w.data();
        return out;
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            out << w;
    return out;
}

} // namespace testsupport
