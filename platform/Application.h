#pragma once
// The application and screen objects of the platform. Every message box, modal loop, file
// dialog and printer query of the module goes through the module-wide pointers below, so the
// host can put its own objects in place (CreateWindow) and tests can script the answers.
#include <QString>
#include <QStringList>
#include <exception>

class QDialog;
class QWidget;

namespace platform {

// Buttons of a message box, combinable; also the answers.
enum MessageButton : int {
    mbNone = 0,
    mbOK = 0x1,
    mbCancel = 0x2,
    mbYes = 0x4,
    mbNo = 0x8,
    mbOKCancel = mbOK | mbCancel,
    mbYesNo = mbYes | mbNo,
};

enum class MessageIcon { None, Information, Warning, Question, Error };

struct FileDialogOptions {
    QString title;
    QString filter;     // "desc|*.ext|desc2|*.ext2", as the forms write it
    int filterIndex = 1; // 1-based, as chosen
    QString defaultExt; // without the dot; appended when the name has no extension
    QString fileName;   // preset name in, chosen name out
};

class TApplication {
public:
    virtual ~TApplication() = default;
    // A modal message box; returns the button pressed (mbCancel when closed otherwise).
    virtual int MessageBox(const QString& text, const QString& caption, int buttons, MessageIcon icon) = 0;
    // The plain message of the platform: the text, an OK button, the application's title.
    virtual void ShowMessage(const QString& text) = 0;
    // Runs the dialog's modal loop and returns its result (QDialog::Accepted / Rejected).
    virtual int ExecModal(QDialog& dialog) = 0;
    virtual bool ExecSaveDialog(FileDialogOptions& options) = 0;
    virtual bool ExecOpenDialog(FileDialogOptions& options) = 0;
    // Lets pending window messages be processed once (a wait hint paints).
    virtual void ProcessMessages() = 0;
    // The default error report for an exception nobody handled.
    virtual void HandleException(const std::exception& e) = 0;
    virtual QString Title() const = 0;
};

class TScreen {
public:
    virtual ~TScreen() = default;
    virtual QStringList Printers() const = 0;
    // Top-level windows now shown, for searches by title.
    virtual QList<QWidget*> TopLevelWindows() const = 0;
};

// The module-wide objects. Never null: until something else is set, the platform's own
// Qt-backed objects serve.
TApplication* Application();
TScreen* Screen();
void SetApplication(TApplication* app); // nullptr restores the platform's own
void SetScreen(TScreen* screen);
TApplication* OwnApplication();
TScreen* OwnScreen();

// Qt-backed implementations: the platform's own objects, also used by the host.
class QtApplication : public TApplication {
public:
    int MessageBox(const QString& text, const QString& caption, int buttons, MessageIcon icon) override;
    void ShowMessage(const QString& text) override;
    int ExecModal(QDialog& dialog) override;
    bool ExecSaveDialog(FileDialogOptions& options) override;
    bool ExecOpenDialog(FileDialogOptions& options) override;
    void ProcessMessages() override;
    void HandleException(const std::exception& e) override;
    QString Title() const override;
};

class QtScreen : public TScreen {
public:
    QStringList Printers() const override;
    QList<QWidget*> TopLevelWindows() const override;
};

// Converts "desc|*.a|desc2|*.b" to Qt's "desc (*.a);;desc2 (*.b)".
QString QtFileFilter(const QString& delphiFilter);

} // namespace platform
