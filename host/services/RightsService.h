#pragma once
// Rights of the logged-in operator, read from the host's rights tables on every call so that a
// change an administrator makes is seen without restarting the host.
#include "plugin/DbIntf.h"
#include "plugin/RightManagerIntf.h"

#include <QString>

namespace host {

// Where the rights live; one place, so the service and the schema agree.
struct RightsTables {
    static QString RightTable();     // operator, plug-in id, browse level, operate right
    static QString GoodsTypeTable(); // operator, goods type
};

class RightsService : public plugin::RefCounted<plugin::IRightManagerIntf> {
public:
    RightsService(plugin::IDbIntf* db, int operatorId);

    // Browse level of the operator for the plug-in; 0 when nothing is granted or the id is
    // not a decimal number (it never reaches the SQL then).
    int JXC_STDCALL CanBrowse(const QString& pluginId) override;
    // 1 when the operator may operate the plug-in, else 0.
    int JXC_STDCALL CanOperate(const QString& pluginId) override;
    // "(select ... )": a sub-select of the operator's goods types. Always valid SQL after
    // " in "; an operator without goods types gets a list that matches nothing.
    QString JXC_STDCALL GoodsTypeList(int operatorId) override;

    int OperatorId() const { return operatorId_; }

protected:
    ~RightsService() override = default;

private:
    QString ReadRight(const QString& column, const QString& pluginId);

    plugin::IntfPtr<plugin::IDbIntf> db_;
    int operatorId_;
};

// The plug-in id as a number, or -1 when the text is not a plain decimal id.
qint64 ParsePluginId(const QString& pluginId);

} // namespace host
