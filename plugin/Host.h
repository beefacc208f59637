#pragma once
// The module-wide host reference: the IFactoryIntf of the last CreateWindow, one counted
// reference held. Module code fetches a service for one use and lets the IntfPtr release it:
//     plugin::HostDb()->ExecSql(sql);
// Every helper throws platform::Exception when there is no host or the host lacks the service,
// so a missing service is a readable error instead of a null call.
#include "plugin/FactoryIntf.h"

namespace plugin {

IFactoryIntf* Host(); // nullptr outside CreateWindow ... CloseWindow
// Holds a reference to the new factory (nullptr clears), then releases the previous one.
void SetHost(IFactoryIntf* factory);

IntfPtr<IDbIntf> HostDb();
IntfPtr<ILogIntf> HostMessage();
IntfPtr<IMainIntf> HostUi();
IntfPtr<IIniIntf> HostIni();
IntfPtr<IDictIntf> HostDict();
IntfPtr<IRightManagerIntf> HostRights();
IntfPtr<IPrinterIntf> HostPrinter();
// The host-owned current operator; never null.
const TOperator& HostOperator();

} // namespace plugin
