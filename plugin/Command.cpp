#include "plugin/Command.h"

#include "platform/Application.h"
#include "platform/core/Exception.h"
#include "plugin/Host.h"

namespace plugin {

void Refuse(const QString& text)
{
    HostMessage()->ShowMessage(text, 0);
    throw platform::EAbort();
}

QString MessageOf(const std::exception& e)
{
    if (const auto* p = dynamic_cast<const platform::Exception*>(&e))
        return p->Message();
    return QString::fromUtf8(e.what());
}

bool RunCommand(const CommandReport& report, const std::function<void()>& work)
{
    const bool hint = !report.progress.isEmpty();
    if (hint) {
        HostUi()->ShowProgress(report.progress);
        platform::Application()->ProcessMessages();
    }
    try {
        work();
    } catch (const platform::EAbort&) {
        if (hint)
            HostUi()->HideProgress();
        throw;
    } catch (const std::exception& e) {
        if (hint)
            HostUi()->HideProgress();
        if (report.notify)
            HostUi()->NotifySaveFailed();
        HostMessage()->ShowError(report.failure + MessageOf(e), 0);
        return false;
    }
    if (hint && report.hideBeforeSaved)
        HostUi()->HideProgress();
    if (report.notify)
        HostUi()->NotifySaved();
    if (hint && !report.hideBeforeSaved)
        HostUi()->HideProgress();
    return true;
}

} // namespace plugin
