#pragma once
// The host's messages, shown through the host's application object so that a scripted
// application can answer them in tests.
#include "plugin/LogIntf.h"

namespace platform { class TApplication; }

namespace host {

class MessageService : public plugin::RefCounted<plugin::ILogIntf> {
public:
    // app: the host's application object; nullptr uses the platform's current one.
    explicit MessageService(platform::TApplication* app = nullptr);

    // Shows the text, then throws platform::EAbort: the command that asked ends there.
    void JXC_STDCALL ShowMessage(const QString& text, int flags) override;
    // Shows the text with an error icon and returns.
    void JXC_STDCALL ShowError(const QString& text, int flags) override;

protected:
    ~MessageService() override = default;

private:
    platform::TApplication* App() const;
    platform::TApplication* app_;
};

} // namespace host
