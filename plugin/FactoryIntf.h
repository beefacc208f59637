#pragma once
// The one interface the host hands the module in CreateWindow; every service comes from it.
// Getters never throw. Each returns a new counted reference that the caller releases (adopt it
// with IntfPtr<T>::Adopt), or null when the host does not offer the service; plugin/Host.h
// turns a null into a readable platform::Exception.
#include "plugin/DbIntf.h"
#include "plugin/DictIntf.h"
#include "plugin/IniIntf.h"
#include "plugin/Interface.h"
#include "plugin/LogIntf.h"
#include "plugin/MainIntf.h"
#include "plugin/PrinterIntf.h"
#include "plugin/RightManagerIntf.h"

#include <QString>

namespace plugin {

// The current operator, owned by the host and alive while the factory is; never null.
struct TOperator {
    int OperatorId = 0;
    QString OperatorCode;
    QString OperatorName;
};

class IFactoryIntf : public IInterface {
public:
    virtual const TOperator* JXC_STDCALL GetOperator() = 0; // 3
    JXC_RESERVED_SLOT(4)
    JXC_RESERVED_SLOT(5)
    virtual ILogIntf* JXC_STDCALL GetMessage() = 0;         // 6
    virtual IIniIntf* JXC_STDCALL GetIni() = 0;             // 7
    JXC_RESERVED_SLOT(8)
    virtual IPrinterIntf* JXC_STDCALL GetPrinter() = 0;     // 9
    virtual IMainIntf* JXC_STDCALL GetUi() = 0;             // 10
    JXC_RESERVED_SLOT(11)
    virtual IDbIntf* JXC_STDCALL GetDb() = 0;               // 12
    JXC_RESERVED_SLOT(13)
    virtual IDictIntf* JXC_STDCALL GetDict() = 0;           // 14
    virtual IRightManagerIntf* JXC_STDCALL GetRights() = 0; // 15

protected:
    ~IFactoryIntf() = default;
};

} // namespace plugin
