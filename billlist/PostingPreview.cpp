#include "billlist/PostingPreview.h"

#include "billlist/PromisedStock.h"
#include "model/SqlText.h"
#include "platform/core/Dataset.h"

#include <algorithm>

namespace billlist {

namespace {

// The stock rows of the goods in a storage: their sum and their number.
QString StockOf(const QString& storageCode, const char* what)
{
    return QStringLiteral("(select ") + QLatin1String(what) + QStringLiteral(" from Gds_StockCount s where s.StorageCode = ")
        + model::QuotedStr(storageCode) + QStringLiteral(" and s.GoodsCode = t.GoodsCode)");
}

double Number(const platform::Dataset& rows, int row, const char* field)
{
    return rows.At(row, rows.FieldIndex(QLatin1String(field))).toDouble();
}

// The posting adds a line's quantity to every stock row of the goods there, or makes one row
// when there is none; so a storage's sum moves by the quantity times its rows, at least one.
double After(double now, double moved, double rows) { return now + moved * std::max(rows, 1.0); }

} // namespace

QString PostingPreviewSql(qint64 billId, const QString& sourceCode, const QString& destCode)
{
    // Each line moves once for every goods-list row of its code, as the posting's join does.
    const QString goods = QStringLiteral(
                              "select l.GoodsCode, max(l.GoodsName) as GoodsName, sum(l.GoodsCount) as Quantity,"
                              " (select count(*) from Bas_GoodsInfo g where g.GoodsCode = l.GoodsCode) as MasterRows"
                              " from Sto_AdjustBillDetail l where l.BillID = ")
        + QString::number(billId) + QStringLiteral(" group by l.GoodsCode");
    return QStringLiteral("select t.GoodsCode, t.GoodsName, t.Quantity, t.MasterRows, ")
        + StockOf(sourceCode, "nvl(sum(s.LeftCount),0)") + QStringLiteral(" as SourceNow, ")
        + StockOf(sourceCode, "count(*)") + QStringLiteral(" as SourceRows, ")
        + StockOf(destCode, "nvl(sum(s.LeftCount),0)") + QStringLiteral(" as DestNow, ")
        + StockOf(destCode, "count(*)") + QStringLiteral(" as DestRows, ")
        + PromisedOf(billId, sourceCode, QStringLiteral("t.GoodsCode")) + QStringLiteral(" as Promised from (") + goods
        + QStringLiteral(") t order by t.GoodsCode");
}

std::vector<PreviewRow> ReadPostingPreview(const platform::Dataset& rows)
{
    std::vector<PreviewRow> out;
    for (int r = 0; r < rows.RecordCount(); ++r) {
        PreviewRow& p = out.emplace_back();
        p.goodsCode = platform::VariantToText(rows.At(r, rows.FieldIndex(QStringLiteral("GoodsCode"))));
        p.goodsName = platform::VariantToText(rows.At(r, rows.FieldIndex(QStringLiteral("GoodsName"))));
        p.quantity = Number(rows, r, "Quantity");
        const double masterRows = Number(rows, r, "MasterRows");
        p.moved = masterRows > 0;
        const double moved = p.quantity * masterRows;
        p.sourceNow = Number(rows, r, "SourceNow");
        p.destNow = Number(rows, r, "DestNow");
        p.sourceAfter = p.moved ? After(p.sourceNow, -moved, Number(rows, r, "SourceRows")) : p.sourceNow;
        p.destAfter = p.moved ? After(p.destNow, moved, Number(rows, r, "DestRows")) : p.destNow;
        p.promised = Number(rows, r, "Promised");
    }
    return out;
}

} // namespace billlist
