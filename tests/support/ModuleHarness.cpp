#include "tests/support/ModuleHarness.h"

#include "plugin/Host.h"

namespace testsupport {

ModuleScope::ModuleScope(ScriptedApplication& app, plugin::IFactoryIntf* host)
    : previousApplication_(platform::Application()), previousScreen_(platform::Screen())
{
    platform::SetApplication(&app);
    platform::SetScreen(&app);
    plugin::SetHost(host);
}

ModuleScope::~ModuleScope()
{
    plugin::SetHost(nullptr);
    platform::SetApplication(previousApplication_);
    platform::SetScreen(previousScreen_);
}

LoadedModule::LoadedModule(const QString& path)
{
#ifdef JXC_MODULE_PATH
    library_.setFileName(path.isEmpty() ? QStringLiteral(JXC_MODULE_PATH) : path);
#else
    library_.setFileName(path);
#endif
    if (!library_.load()) {
        error_ = library_.errorString();
        return;
    }
    createWindow_ = reinterpret_cast<CreateWindowProc>(library_.resolve("CreateWindow"));
    closeWindow_ = reinterpret_cast<CloseWindowProc>(library_.resolve("CloseWindow"));
    if (!IsLoaded())
        error_ = QStringLiteral("CreateWindow or CloseWindow not exported by ") + library_.fileName();
}

LoadedModule::~LoadedModule()
{
    if (open_)
        Close();
}

plugin::TDllWindowIntf* LoadedModule::Create(platform::TApplication* app, platform::TScreen* screen,
                                             plugin::IFactoryIntf* host)
{
    if (!IsLoaded())
        return nullptr;
    open_ = true;
    return createWindow_(app, screen, host);
}

void LoadedModule::Close()
{
    if (!IsLoaded())
        return;
    open_ = false;
    closeWindow_();
}

bool LoadedModule::Unload()
{
    createWindow_ = nullptr;
    closeWindow_ = nullptr;
    open_ = false;
    return library_.isLoaded() && library_.unload();
}

} // namespace testsupport
