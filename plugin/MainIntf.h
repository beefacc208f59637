#pragma once
#include "plugin/Interface.h"
#include <QString>

namespace platform { class StyleRepository; }

namespace plugin {

// The host's main window: wait hint, save notifications, shared styles. None of these throws;
// a wait hint shown twice shows the newer text, and hiding one that is not shown does nothing.
class IMainIntf : public IInterface {
public:
    JXC_RESERVED_SLOT(3)
    virtual void JXC_STDCALL NotifySaved() = 0;                        // 4
    virtual void JXC_STDCALL NotifySaveFailed() = 0;                   // 5
    virtual void JXC_STDCALL ShowProgress(const QString& text) = 0;    // 6
    virtual void JXC_STDCALL HideProgress() = 0;                       // 7
    JXC_RESERVED_SLOT(8)
    JXC_RESERVED_SLOT(9)
    JXC_RESERVED_SLOT(10)
    JXC_RESERVED_SLOT(11)
    JXC_RESERVED_SLOT(12)
    // Never null; owned by the host and alive while the host is: the caller neither frees nor keeps it
    // past CloseWindow. Sheets 0 table views, 1 tree lists, 2 banded table views, 3 vertical grids.
    virtual platform::StyleRepository* JXC_STDCALL StyleRepository() = 0; // 13

protected:
    ~IMainIntf() = default;
};

} // namespace plugin
