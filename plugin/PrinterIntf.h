#pragma once
#include "plugin/Interface.h"
#include <QString>

class QWidget;

namespace plugin {

// Printing of a grid or spreadsheet component; the host renders what the component shows.
// component is the caller's and is only read. Both throw platform::Exception when there is
// nothing to print (a null component) or the printer cannot be opened; a user who cancels the
// preview or the print dialog is no error.
class IPrinterIntf : public IInterface {
public:
    virtual void JXC_STDCALL PreviewComponent(QWidget* component, int flags, const QString& unitCode,
                                              const QString& formName) = 0; // 3
    virtual void JXC_STDCALL PrintComponent(QWidget* component, int flags, const QString& unitCode,
                                            const QString& formName) = 0; // 4

protected:
    ~IPrinterIntf() = default;
};

} // namespace plugin
