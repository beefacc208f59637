#include "billlist/PromisedStock.h"

#include "billlist/WorkWindowAuditSql.h"
#include "model/BillConst.h"
#include "model/Convert.h"
#include "model/SqlText.h"

namespace billlist {

namespace {

QString Q(const QString& text) { return model::QuotedStr(text); }

} // namespace

QString PromisedOf(qint64 billId, const QString& storageCode, const QString& goods)
{
    return QStringLiteral("(select nvl(sum(d.GoodsCount),0) from Sto_AdjustBillDetail d, Sto_AdjustBillMain m"
                          " where d.BillID = m.ID and m.Src_StorageCode = ")
        + Q(storageCode) + QStringLiteral(" and m.BillStatus = ") + QString::number(model::BillStatusApproved)
        + QStringLiteral(" and nvl(m.DELETED,0) = 0 and m.ID <> ") + QString::number(billId)
        + QStringLiteral(" and d.GoodsCode = ") + goods + QStringLiteral(")");
}

QString ShortageSql(qint64 billId, const QString& storageCode, bool movedOnly)
{
    const QString needs =
        QStringLiteral("select l.GoodsCode, max(l.GoodsName) as GoodsName, sum(l.GoodsCount) as Need,"
                       " (select nvl(sum(s.LeftCount),0) from Gds_StockCount s where s.StorageCode = ")
        + Q(storageCode) + QStringLiteral(" and s.GoodsCode = l.GoodsCode) as Stock, ")
        + PromisedOf(billId, storageCode, QStringLiteral("l.GoodsCode"))
        + QStringLiteral(" as Promised from Sto_AdjustBillDetail l where l.BillID = ") + QString::number(billId)
        + (movedOnly ? QStringLiteral(" and exists (select 1 from Bas_GoodsInfo g where g.GoodsCode = l.GoodsCode)")
                     : QString())
        + QStringLiteral(" group by l.GoodsCode");
    return QStringLiteral("select t.GoodsCode, t.GoodsName, t.Need, t.Stock, t.Promised from (") + needs
        + QStringLiteral(") t where t.Stock - t.Promised < t.Need order by t.GoodsCode");
}

QString PromisingBillsSql(qint64 billId, const QString& storageCode, const QString& goodsCode)
{
    return QStringLiteral("select m.BillNo from Sto_AdjustBillMain m where m.Src_StorageCode = ") + Q(storageCode)
        + QStringLiteral(" and m.BillStatus = ") + QString::number(model::BillStatusApproved)
        + QStringLiteral(" and nvl(m.DELETED,0) = 0 and m.ID <> ") + QString::number(billId)
        + QStringLiteral(" and exists (select 1 from Sto_AdjustBillDetail d where d.BillID = m.ID and d.GoodsCode = ")
        + Q(goodsCode) + QStringLiteral(") order by m.ID");
}

QString ShortageGuard(qint64 billId, const QString& storageCode, const QString& text, bool movedOnly)
{
    return QStringLiteral(" declare nShort integer; begin select count(*) into nShort from (")
        + ShortageSql(billId, storageCode, movedOnly)
        + QStringLiteral(") x; if nShort > 0 then raise_application_error(") + QString::number(kShortageError)
        + QStringLiteral(", ") + Q(text) + QStringLiteral("); end if; end;");
}

QString PromisedAuditBlock(qint64 billId, const QString& billNo, const QString& storageCode,
                           const QString& operatorCode)
{
    return QStringLiteral(" begin") + ShortageGuard(billId, storageCode, ShortageChangedText())
        + AuditSql(billNo, operatorCode) + QStringLiteral("; end;");
}

QString ShortageText(const QString& storageCode, const QString& goodsCode, const QString& goodsName, double stock,
                     double promised, double need, const QStringList& holders)
{
    QString text = QStringLiteral("仓库：") + storageCode + QStringLiteral("的 商品：(") + goodsCode + QStringLiteral(")")
        + goodsName + QStringLiteral(" 的可用库存不足：库存") + model::FloatToStr(stock) + QStringLiteral("，已被占用")
        + model::FloatToStr(promised);
    if (!holders.isEmpty())
        text += QStringLiteral("（已审核未调拨的单据：") + holders.join(QStringLiteral("、")) + QStringLiteral("）");
    return text + QStringLiteral("，本单需要") + model::FloatToStr(need) + QStringLiteral("，请调整！");
}

QString ShortageChangedText()
{
    return QStringLiteral("商品的库存已被其他工作站审核的单据占用，本次审核未执行，请重新审核！");
}

} // namespace billlist
