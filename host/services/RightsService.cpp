#include "host/services/RightsService.h"

#include "platform/core/Exception.h"

namespace host {

QString RightsTables::RightTable() { return QStringLiteral("sys_operatorright"); }
QString RightsTables::GoodsTypeTable() { return QStringLiteral("sys_operatorgoodstype"); }

qint64 ParsePluginId(const QString& pluginId)
{
    const QString t = pluginId.trimmed();
    if (t.isEmpty() || t.size() > 18)
        return -1;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return -1;
    return t.toLongLong();
}

RightsService::RightsService(plugin::IDbIntf* db, int operatorId) : db_(db), operatorId_(operatorId) {}

QString RightsService::ReadRight(const QString& column, const QString& pluginId)
{
    const qint64 id = ParsePluginId(pluginId);
    if (id < 0 || !db_)
        return {};
    return db_->QueryValue(QStringLiteral("select max(%1) from %2 where OperatorID=%3 and PluginID=%4")
                               .arg(column, RightsTables::RightTable())
                               .arg(operatorId_)
                               .arg(id));
}

int RightsService::CanBrowse(const QString& pluginId)
{
    bool ok = false;
    const int level = int(ReadRight(QStringLiteral("BrowseLevel"), pluginId).toDouble(&ok));
    return ok && level > 0 ? level : 0;
}

int RightsService::CanOperate(const QString& pluginId)
{
    bool ok = false;
    const double flag = ReadRight(QStringLiteral("OperateRight"), pluginId).toDouble(&ok);
    return ok && flag != 0 ? 1 : 0;
}

QString RightsService::GoodsTypeList(int operatorId)
{
    // A sub-select keeps the operand's type that of the goods-type column, whatever it is, and
    // an operator without rows simply matches nothing.
    return QStringLiteral("(select GoodsType from %1 where OperatorID=%2)")
        .arg(RightsTables::GoodsTypeTable())
        .arg(operatorId);
}

} // namespace host
