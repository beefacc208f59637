#include "billlist/WorkWindowSql.h"

#include "model/BillConst.h"
#include "model/DateUtil.h"
#include "model/SqlText.h"

namespace billlist {

namespace {

QString DateLiteral(const QDate& d)
{
    return QStringLiteral("to_date('") + model::FormatDate(d) + QStringLiteral("','YYYY-MM-DD')");
}

} // namespace

QString BillHeadSelect()
{
    return QStringLiteral(" select a.*, (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as "
                          "storageName_Out, (select storageName from bas_storage where StorageCode=a.Des_StorageCode) as "
                          "storageName_In  from Sto_AdjustBillMain a");
}

QString BillsFromDateSql(const QDate& from)
{
    return BillHeadSelect() + QStringLiteral(" where a.DELETED= 0 and a.billDate >=") + DateLiteral(from);
}

QString BillByNumberSql(const QString& billNo)
{
    return BillHeadSelect() + QStringLiteral(" where a.DELETED= 0 and  a.BillNo ='") + model::SqlEsc(billNo)
        + QStringLiteral("'");
}

QString BillSearchSql(const QString& billNo, const QDate& begin, const QDate& end, const QString& goodsCodeOrName,
                      const QString& barCode)
{
    QString sql = BillHeadSelect();
    if (!billNo.isEmpty())
        sql += QStringLiteral("  where  a.DELETED= 0 and a.BillNo ='") + model::SqlEsc(billNo) + QStringLiteral("'");
    else
        sql += QStringLiteral("  where a.DELETED= 0 and a.billDate >=") + DateLiteral(begin)
            + QStringLiteral(" and a.BillDate <= ") + DateLiteral(end.addDays(1));
    if (!goodsCodeOrName.isEmpty()) {
        const QString t = model::SqlEsc(goodsCodeOrName);
        sql += QStringLiteral(" and  a.id in ( select BillID from Sto_AdjustBillDetail where GoodsCode like '%") + t
            + QStringLiteral("%' or GoodsName like '%") + t + QStringLiteral("%' )");
    }
    if (!barCode.isEmpty())
        sql += QStringLiteral(" and a.id in (select billid from Sto_AdjustBillDetail where  GoodsCode in (select GoodsCode "
                              "from Bas_GoodsInfo where BarCode like '%")
            + model::SqlEsc(barCode) + QStringLiteral("%')) ");
    return sql;
}

QString EmptyLinesSql()
{
    return QStringLiteral(
        " select a.*,b.GoodsName from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  where a.GoodsCode=b.GoodsCode and 1=2");
}

QString BillLinesSql(const QString& billNo)
{
    return QStringLiteral(" select a.*,b.GoodsName, (select nvl(sum(LeftCount),0) from gds_stockcount where "
                          "GoodsCode=a.goodscode )  as StockLeftCount  from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  "
                          "where  a.DELETED= 0 and  a.GoodsCode=b.GoodsCode and a.BillNo='")
        + model::SqlEsc(billNo) + QStringLiteral("'");
}

QString BillLineCountSql(const QString& table, const QString& billNo)
{
    return QStringLiteral("select count(*) from  ") + table + QStringLiteral(" where BillNo= '") + model::SqlEsc(billNo)
        + QStringLiteral("' ");
}

QString PermittedLineCountSql(const QString& table, const QString& billNo, const QString& goodsTypes)
{
    return QStringLiteral("select count(a.GoodsCode) from ") + table + QStringLiteral(" a left join Bas_GoodsInfo b ")
        + QStringLiteral(" on (a.goodscode = b.goodscode) where a.BillNo= '") + model::SqlEsc(billNo)
        + QStringLiteral("'  and  ") + QStringLiteral(" b.GoodsType in ") + goodsTypes;
}

QString StorageItemsSql() { return QStringLiteral("select StorageCode,storageName from bas_storage "); }

QString UnitItemsSql() { return model::UnitListSql; }

QString OperatorItemsSql() { return QStringLiteral("select OperatorCode,OperatorName from sys_operator "); }

} // namespace billlist
