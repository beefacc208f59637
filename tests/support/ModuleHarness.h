#pragma once
// Two ways to run module code against the scripted application and the test host:
// ModuleScope makes them the module-wide objects of the code linked into the test program;
// LoadedModule loads the real library and drives it through its two exports only, as a host
// built elsewhere would.
#include "plugin/DllWindowIntf.h"
#include "tests/support/ScriptedApplication.h"
#include "tests/support/TestHost.h"

#include <QLibrary>
#include <QString>

namespace testsupport {

class ModuleScope {
public:
    ModuleScope(ScriptedApplication& app, plugin::IFactoryIntf* host);
    ~ModuleScope();
    ModuleScope(const ModuleScope&) = delete;
    ModuleScope& operator=(const ModuleScope&) = delete;

private:
    platform::TApplication* previousApplication_;
    platform::TScreen* previousScreen_;
};

class LoadedModule {
public:
    // The library the build made (JXC_MODULE_PATH) unless another path is given.
    explicit LoadedModule(const QString& path = {});
    // Calls CloseWindow when a window is still open; the library stays loaded.
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool IsLoaded() const { return createWindow_ && closeWindow_; }
    QString ErrorString() const { return error_; }
    CreateWindowProc CreateProc() const { return createWindow_; }
    CloseWindowProc CloseProc() const { return closeWindow_; }

    plugin::TDllWindowIntf* Create(platform::TApplication* app, platform::TScreen* screen, plugin::IFactoryIntf* host);
    plugin::TDllWindowIntf* Create(ScriptedApplication& app, plugin::IFactoryIntf* host)
    {
        return Create(&app, &app, host);
    }
    void Close();
    // Unloads the library (its unit finalization runs) unless another LoadedModule still holds
    // it; true when it is gone. The exports are unusable afterwards either way.
    bool Unload();

private:
    QLibrary library_;
    CreateWindowProc createWindow_ = nullptr;
    CloseWindowProc closeWindow_ = nullptr;
    bool open_ = false;
    QString error_;
};

} // namespace testsupport
