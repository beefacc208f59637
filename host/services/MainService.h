#pragma once
// The host window's side of the module: the wait hint, the save notices in the status bar and
// the shared style repository.
#include "plugin/MainIntf.h"

#include <QPointer>
#include <QString>

class QLabel;
class QWidget;

namespace host {

class MainService : public plugin::RefCounted<plugin::IMainIntf> {
public:
    // styles: the host's repository, not owned; it must outlive the service's users.
    explicit MainService(platform::StyleRepository* styles = nullptr, QWidget* hostWindow = nullptr);

    void SetHostWindow(QWidget* window);
    QWidget* HostWindow() const;

    void JXC_STDCALL NotifySaved() override;
    void JXC_STDCALL NotifySaveFailed() override;
    // Shows (or re-texts) the hint at once, painted before the caller goes on working.
    void JXC_STDCALL ShowProgress(const QString& text) override;
    void JXC_STDCALL HideProgress() override;
    platform::StyleRepository* JXC_STDCALL StyleRepository() override { return styles_; }

    // The hint window (nullptr before the first ShowProgress) and the last status notice.
    QLabel* WaitHint() const;
    bool ProgressVisible() const;
    const QString& LastNotice() const { return lastNotice_; }

protected:
    ~MainService() override;

private:
    void Notice(const QString& text);

    platform::StyleRepository* styles_;
    QPointer<QWidget> hostWindow_;
    QPointer<QLabel> hint_;
    bool cursorSet_ = false;
    QString lastNotice_;
};

} // namespace host
