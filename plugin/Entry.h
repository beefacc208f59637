#pragma once
// What CreateWindow and CloseWindow do, kept apart from the two exports so that the window the
// library makes is a parameter: the library passes its main window, tests may pass others.
#include "plugin/DllWindow.h"

namespace platform { class TApplication; class TScreen; }

namespace plugin {

class IFactoryIntf;

using WindowMaker = TDllWindowForm* (*)();

// Swaps in the host's application and screen objects (saving the module's own on the first
// call), stores the host reference and returns a new window. Exceptions from the window's
// construction reach the caller; the swap stays in place until CloseWindow.
TDllWindowIntf* EnterCreateWindow(platform::TApplication* application, platform::TScreen* screen,
                                  IFactoryIntf* factory, WindowMaker makeWindow);
// Puts back the saved objects, releases the host reference and frees the last window.
// Safe without EnterCreateWindow and when called again.
void EnterCloseWindow() noexcept;

// The module-wide references, for tests and diagnostics.
TDllWindowForm* MainWindow();
platform::TApplication* SavedApplication();
platform::TScreen* SavedScreen();

} // namespace plugin
