#pragma once
// The host's main window: menus and a toolbar with the host commands, the module's window
// docked in a tab of the central area with the plug-in toolbar merged into the host's toolbar
// area, and a status bar with the operator and the database.
#include "host/shell/ModuleLibrary.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QLabel;
class QTabWidget;
class QToolBar;

namespace platform { class TApplication; class TScreen; }
namespace plugin { class IFactoryIntf; class TDllWindowIntf; }

namespace host {

struct ModuleLaunch {
    QString path;
    int pluginId = 0;
    QString unitCode;
};

class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    HostWindow(platform::TApplication* app, platform::TScreen* screen, QWidget* parent = nullptr);
    ~HostWindow() override;

    // Loads the module, creates and docks its window, merges its toolbar, runs InitWindow and
    // then RefreshData. false with the reason in *error when the module cannot be used; the
    // host is then as before.
    bool OpenModule(const ModuleLaunch& launch, plugin::IFactoryIntf* factory, QString* error);
    // DoneWindow, CloseWindow, unload. Does nothing when no module is open.
    void CloseModule();

    // Docks a window (the module's, or any other implementation): sets its plug-in id and unit
    // code, puts it in a tab and merges its toolbar. Runs none of its operations.
    void Dock(plugin::TDllWindowIntf* window, int pluginId, const QString& unitCode);
    // DoneWindow, then the toolbar goes back to the form and the tab goes away. The window
    // object stays its maker's. Returns it (nullptr when none was docked).
    plugin::TDllWindowIntf* Undock();
    // Asks to save a modified window first; false when the user keeps the window open.
    bool ConfirmClose();

    plugin::TDllWindowIntf* Window() const { return window_; }
    QWidget* Container() const { return container_; }
    QTabWidget* Tabs() const { return tabs_; }
    QToolBar* HostToolBar() const { return toolBar_; }
    // The plug-in toolbar "dxToolBar" once merged, and every bar of the form merged with it.
    QToolBar* MergedToolBar() const;
    QList<QToolBar*> MergedToolBars() const;
    QAction* Command(const QString& objectName) const;

    void SetStatusInfo(const QString& operatorText, const QString& databaseText);
    // 帮助 → 关于: the program, its version and what it is for.
    static QString AboutText();
    void ShowAbout();

    // The host commands: each runs one operation of the docked window under the guard.
    void SaveCommand();
    void RefreshCommand();
    void ExportCommand();
    void ImportCommand();
    void PreviewCommand();
    void PrintCommand();
    void FindCommand();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddCommand(const QString& name, const QString& text, const QKeySequence& key, void (HostWindow::*slot)());
    void Run(const std::function<void()>& body);
    void UpdateTitle();
    void UpdateCommands();
    void MergeToolBar(QWidget* form);
    void UnmergeToolBar();

    platform::TApplication* app_;
    platform::TScreen* screen_;
    ModuleLibrary library_;
    plugin::TDllWindowIntf* window_ = nullptr;
    QPointer<QWidget> form_;
    QPointer<QWidget> container_;
    QTabWidget* tabs_;
    QToolBar* toolBar_;
    struct Merged {
        QPointer<QToolBar> bar;
        QPointer<QWidget> home;
    };
    QList<Merged> merged_;
    QList<QAction*> commands_;
    QLabel* operatorLabel_;
    QLabel* databaseLabel_;
    QLabel* versionLabel_;
};

} // namespace host
