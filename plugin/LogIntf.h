#pragma once
#include "plugin/Interface.h"
#include <QString>

namespace plugin {

// The host's messages.
class ILogIntf : public IInterface {
public:
    JXC_RESERVED_SLOT(3)
    JXC_RESERVED_SLOT(4)
    // Shows the text and never returns: the host throws platform::EAbort, ending the command.
    virtual void JXC_STDCALL ShowMessage(const QString& text, int flags) = 0; // 5
    // Reports an error text and returns; never throws.
    virtual void JXC_STDCALL ShowError(const QString& text, int flags) = 0; // 6

protected:
    ~ILogIntf() = default;
};

} // namespace plugin
