#pragma once
// The one interface the host hands the module. It keeps one reference to each service for its
// own lifetime and gives a new reference on every getter, which the caller releases.
#include "plugin/FactoryIntf.h"

namespace host {

struct FactoryServices {
    plugin::IntfPtr<plugin::ILogIntf> log;
    plugin::IntfPtr<plugin::IIniIntf> ini;
    plugin::IntfPtr<plugin::IPrinterIntf> printer;
    plugin::IntfPtr<plugin::IMainIntf> ui;
    plugin::IntfPtr<plugin::IDbIntf> db;
    plugin::IntfPtr<plugin::IDictIntf> dict;
    plugin::IntfPtr<plugin::IRightManagerIntf> rights;
};

class Factory : public plugin::RefCounted<plugin::IFactoryIntf> {
public:
    Factory(plugin::TOperator op, FactoryServices services);

    const plugin::TOperator* JXC_STDCALL GetOperator() override { return &operator_; }
    // Each returns a new reference (nullptr for a service the host was built without).
    plugin::ILogIntf* JXC_STDCALL GetMessage() override { return Give(services_.log); }
    plugin::IIniIntf* JXC_STDCALL GetIni() override { return Give(services_.ini); }
    plugin::IPrinterIntf* JXC_STDCALL GetPrinter() override { return Give(services_.printer); }
    plugin::IMainIntf* JXC_STDCALL GetUi() override { return Give(services_.ui); }
    plugin::IDbIntf* JXC_STDCALL GetDb() override { return Give(services_.db); }
    plugin::IDictIntf* JXC_STDCALL GetDict() override { return Give(services_.dict); }
    plugin::IRightManagerIntf* JXC_STDCALL GetRights() override { return Give(services_.rights); }

    const FactoryServices& Services() const { return services_; }

protected:
    ~Factory() override = default;

private:
    template <class T>
    static T* Give(const plugin::IntfPtr<T>& p)
    {
        if (p)
            p->AddRef();
        return p.Get();
    }

    plugin::TOperator operator_;
    FactoryServices services_;
};

} // namespace host
