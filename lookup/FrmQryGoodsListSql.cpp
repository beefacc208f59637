#include "lookup/FrmQryGoodsListSql.h"

#include "model/SqlText.h"

namespace lookup {

QString UnitListSql()
{
    return QStringLiteral("select DictDetailCode,DictDetailName from Sys_DictDetail where substr(dictdetailCode,1,3)='521'");
}

QString EmptyGoodsListSql()
{
    return QStringLiteral(" select a.*, (select nvl(Sum(LeftCount),0) from gds_stockcount where GoodsCode=a.GoodsCode)"
                          " as GdsLeftCount from Bas_GoodsInfo a  where 1=2");
}

QString GoodsSearchSql(const QString& condition, const QString& storageCode, const QString& goodsTypes)
{
    if (condition.isEmpty() && storageCode.isEmpty())
        return EmptyGoodsListSql();
    const QString c = model::SqlEsc(condition);
    const QString matches = QStringLiteral("(upper(a.GoodsCode) like '%") + c + QStringLiteral("%'")
                            + QStringLiteral(" or upper(a.GoodsName) like '%") + c + QStringLiteral("%'")
                            + QStringLiteral(" or upper(a.PyCode) like '%") + c + QStringLiteral("%')");
    const QString types = QStringLiteral(" and a.GoodsType in ") + goodsTypes;
    if (storageCode.isEmpty())
        return QStringLiteral(" select a.*,(select nvl(Sum(LeftCount),0) from gds_stockcount  where GoodsCode=a.GoodsCode)"
                              " as GdsLeftCount from Bas_GoodsInfo a  where ")
               + matches + QStringLiteral(" and (a.Deleted=0) and a.UseFlag = 1") + types;
    return QStringLiteral(" select a.*,b.LeftCount as GdsLeftCount  from Bas_GoodsInfo a inner join gds_stockcount b "
                          " on (a.GoodsCode = b.GoodsCode and b.storageCode =")
           + model::QuotedStr(storageCode) + QStringLiteral(") where ")
           + (condition.isEmpty() ? QStringLiteral("1=2 ") : matches)
           + QStringLiteral(" and a.UseFlag = 1 and (a.Deleted=0)") + types;
}

} // namespace lookup
