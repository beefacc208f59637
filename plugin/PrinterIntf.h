#pragma once
#include "plugin/Interface.h"
#include <QString>

class QWidget;

namespace plugin {

// Printing of a grid or spreadsheet component; the host renders what the component shows.
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
