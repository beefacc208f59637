// The library's two exports. Everything else the library holds stays hidden (exports.map).
#include "billlist/WorkWindow.h"
#include "plugin/Entry.h"

namespace {

TDllWindowForm* MakeMainWindow() { return new TWorkWindowForm; }

} // namespace

JXC_EXPORT plugin::TDllWindowIntf* JXC_STDCALL CreateWindow(platform::TApplication* application,
                                                            platform::TScreen* screen,
                                                            plugin::IFactoryIntf* factory)
{
    return plugin::EnterCreateWindow(application, screen, factory, &MakeMainWindow);
}

JXC_EXPORT void JXC_STDCALL CloseWindow()
{
    plugin::EnterCloseWindow();
}
