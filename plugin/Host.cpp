#include "plugin/Host.h"

#include "platform/core/Exception.h"

namespace plugin {

namespace {

// Released by its destructor when the library is unloaded while a reference is still held.
IntfPtr<IFactoryIntf>& HostRef()
{
    static IntfPtr<IFactoryIntf> ref;
    return ref;
}

IFactoryIntf& RequireHost()
{
    IFactoryIntf* host = HostRef().Get();
    if (!host)
        throw platform::Exception(QStringLiteral("插件尚未连接到宿主程序"));
    return *host;
}

template <class T>
IntfPtr<T> Require(T* service, const char* name)
{
    if (!service)
        throw platform::Exception(QStringLiteral("宿主程序未提供服务：%1").arg(QLatin1String(name)));
    return IntfPtr<T>::Adopt(service);
}

} // namespace

IFactoryIntf* Host() { return HostRef().Get(); }

void SetHost(IFactoryIntf* factory)
{
    // The assignment takes the new reference before it drops the old one, so setting the
    // same factory again keeps it alive.
    HostRef() = IntfPtr<IFactoryIntf>(factory);
}

IntfPtr<IDbIntf> HostDb() { return Require(RequireHost().GetDb(), "GetDb"); }
IntfPtr<ILogIntf> HostMessage() { return Require(RequireHost().GetMessage(), "GetMessage"); }
IntfPtr<IMainIntf> HostUi() { return Require(RequireHost().GetUi(), "GetUi"); }
IntfPtr<IIniIntf> HostIni() { return Require(RequireHost().GetIni(), "GetIni"); }
IntfPtr<IDictIntf> HostDict() { return Require(RequireHost().GetDict(), "GetDict"); }
IntfPtr<IRightManagerIntf> HostRights() { return Require(RequireHost().GetRights(), "GetRights"); }
IntfPtr<IPrinterIntf> HostPrinter() { return Require(RequireHost().GetPrinter(), "GetPrinter"); }

const TOperator& HostOperator()
{
    const TOperator* op = RequireHost().GetOperator();
    if (!op)
        throw platform::Exception(QStringLiteral("宿主程序未提供当前操作员"));
    return *op;
}

} // namespace plugin
