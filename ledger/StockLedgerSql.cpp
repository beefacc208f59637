#include "ledger/StockLedgerSql.h"

#include "model/SqlText.h"

namespace ledger {

QString MovementsSql(const QString& storageCode, const QString& goodsCode)
{
    return QStringLiteral(
               "select m.ID,m.BillDate,m.BillNo,m.BillType,m.SrcBillNo,m.Remark,sum(d.GoodsCount) as GoodsCount,(")
        + StockCountSql(storageCode, goodsCode)
        + QStringLiteral(") as StockCount from Sto_GdsBillMain m inner join Sto_GdsBillDetail d on (d.BillID = m.ID)"
                         " where m.StorageCode = ")
        + model::QuotedStr(storageCode) + QStringLiteral(" and d.GoodsCode = ") + model::QuotedStr(goodsCode)
        + QStringLiteral(" and nvl(m.deleted,0) = 0 and nvl(d.deleted,0) = 0"
                         " group by m.ID,m.BillDate,m.BillNo,m.BillType,m.SrcBillNo,m.Remark"
                         " order by m.BillDate desc,m.ID desc");
}

QString StockCountSql(const QString& storageCode, const QString& goodsCode)
{
    return QStringLiteral("select nvl(sum(LeftCount),0) from Gds_StockCount where StorageCode = ")
        + model::QuotedStr(storageCode) + QStringLiteral(" and GoodsCode = ") + model::QuotedStr(goodsCode);
}

QString StorageListSql()
{
    return QStringLiteral("select StorageCode,StorageName from bas_Storage order by StorageCode");
}

QString GoodsListSql()
{
    return QStringLiteral(
        "select GoodsCode,GoodsName,Model from Bas_GoodsInfo where nvl(Deleted,0) = 0 order by GoodsCode");
}

} // namespace ledger
