#include "plugin/Entry.h"

#include "platform/Application.h"
#include "plugin/FactoryIntf.h"
#include "plugin/Host.h"

#include <QPointer>

namespace plugin {

namespace {

platform::TApplication* g_savedApplication = nullptr;
platform::TScreen* g_savedScreen = nullptr;
// A guarded pointer: a host that destroyed the docked window itself must not see it freed twice.
QPointer<TDllWindowForm> g_mainWindow;

} // namespace

TDllWindowIntf* EnterCreateWindow(platform::TApplication* application, platform::TScreen* screen,
                                  IFactoryIntf* factory, WindowMaker makeWindow)
{
    const IntfPtr<IFactoryIntf> hold(factory);
    if (!g_savedApplication)
        g_savedApplication = platform::Application();
    platform::SetApplication(application);
    if (!g_savedScreen)
        g_savedScreen = platform::Screen();
    platform::SetScreen(screen);
    SetHost(factory);
    TDllWindowForm* window = makeWindow();
    g_mainWindow = window;
    return window;
}

void EnterCloseWindow() noexcept
{
    if (g_savedApplication) {
        platform::SetApplication(g_savedApplication);
        g_savedApplication = nullptr;
    }
    if (g_savedScreen) {
        platform::SetScreen(g_savedScreen);
        g_savedScreen = nullptr;
    }
    SetHost(nullptr);
    if (TDllWindowForm* w = g_mainWindow.data()) {
        g_mainWindow = nullptr;
        delete w;
    }
}

TDllWindowForm* MainWindow() { return g_mainWindow.data(); }
platform::TApplication* SavedApplication() { return g_savedApplication; }
platform::TScreen* SavedScreen() { return g_savedScreen; }

} // namespace plugin
