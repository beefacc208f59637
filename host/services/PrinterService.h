#pragma once
// Printing of a module's grid or spreadsheet: the host prints what the component shows, through
// a preview titled "打印预览" or the print dialog. Dialogs run through the host's application
// object.
#include "plugin/PrinterIntf.h"

#include <functional>

class QPrinter;
class QWidget;

namespace platform { class TApplication; }

namespace host {

struct PrintTable;

class PrinterService : public plugin::RefCounted<plugin::IPrinterIntf> {
public:
    explicit PrinterService(platform::TApplication* app = nullptr);

    void JXC_STDCALL PreviewComponent(QWidget* component, int flags, const QString& unitCode,
                                      const QString& formName) override;
    void JXC_STDCALL PrintComponent(QWidget* component, int flags, const QString& unitCode,
                                    const QString& formName) override;

    // Pages rendered by the last preview or print (0 before any); for the host's status bar.
    int LastPageCount() const { return lastPages_; }

protected:
    ~PrinterService() override = default;

private:
    platform::TApplication* App() const;
    // Renders the component onto the printer; a component without an item view prints as it
    // looks on screen.
    int RenderComponent(QWidget* component, const QString& unitCode, QPrinter& printer);

    platform::TApplication* app_;
    int lastPages_ = 0;
};

} // namespace host
