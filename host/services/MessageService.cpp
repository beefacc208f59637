#include "host/services/MessageService.h"

#include "platform/Application.h"
#include "platform/core/Exception.h"

namespace host {

MessageService::MessageService(platform::TApplication* app) : app_(app) {}

platform::TApplication* MessageService::App() const { return app_ ? app_ : platform::Application(); }

void MessageService::ShowMessage(const QString& text, int)
{
    App()->MessageBox(text, App()->Title(), platform::mbOK, platform::MessageIcon::Information);
    throw platform::EAbort();
}

void MessageService::ShowError(const QString& text, int)
{
    App()->MessageBox(text, App()->Title(), platform::mbOK, platform::MessageIcon::Error);
}

} // namespace host
