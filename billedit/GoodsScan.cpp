#include "billedit/GoodsScan.h"

#include "model/Convert.h"
#include "model/SqlText.h"
#include "platform/core/Dataset.h"

namespace billedit {

namespace {

QString Named(const platform::Dataset& rows, int row)
{
    return QStringLiteral("[") + platform::VariantToText(rows.At(row, rows.FieldIndex(QStringLiteral("GoodsCode"))))
        + QStringLiteral("]") + platform::VariantToText(rows.At(row, rows.FieldIndex(QStringLiteral("GoodsName"))));
}

bool Flag(const platform::Dataset& rows, int row, const char* field)
{
    return rows.At(row, rows.FieldIndex(QLatin1String(field))).toLongLong() != 0;
}

platform::Currency Money(const platform::Dataset& rows, int row, const char* field)
{
    const QVariant v = rows.At(row, rows.FieldIndex(QLatin1String(field)));
    return v.canConvert<platform::Currency>() ? v.value<platform::Currency>() : platform::Currency::FromDouble(v.toDouble());
}

} // namespace

QString ScanGoodsSql(const QString& barCode, const QString& storageCode, const QString& goodsTypes)
{
    return QStringLiteral("select a.GoodsCode,a.GoodsName,a.Model,a.CalUnit,a.LastInPrice,a.DefaultInPrice,"
                          " case when a.UseFlag = 1 and a.Deleted = 0 then 1 else 0 end as InUse,"
                          " case when a.GoodsType in ")
        + goodsTypes
        + QStringLiteral(" then 1 else 0 end as Permitted,"
                         " (select count(*) from gds_stockcount s where s.GoodsCode = a.GoodsCode and s.StorageCode = ")
        + model::QuotedStr(storageCode) + QStringLiteral(") as Stocked from Bas_GoodsInfo a where a.BarCode = ")
        + model::QuotedStr(barCode) + QStringLiteral(" order by a.GoodsCode");
}

ScannedGoods ReadScan(const platform::Dataset& rows, const QString& barCode)
{
    ScannedGoods out;
    const int n = rows.RecordCount();
    auto text = [&rows](int row, const char* field) {
        return platform::VariantToText(rows.At(row, rows.FieldIndex(QLatin1String(field))));
    };
    for (int r = 0; r < n; ++r) {
        if (Flag(rows, r, "InUse") && Flag(rows, r, "Permitted") && Flag(rows, r, "Stocked")) {
            out.goods = model::LineGoods{text(r, "GoodsCode"), text(r, "GoodsName"), text(r, "Model"), text(r, "CalUnit")};
            const platform::Currency last = Money(rows, r, "LastInPrice");
            out.price = last > platform::Currency() ? last : Money(rows, r, "DefaultInPrice");
            return out;
        }
    }
    // The nearest miss: a goods in use before one that is not, a permitted one before the rest.
    auto first = [&](auto&& test) {
        for (int r = 0; r < n; ++r)
            if (test(r))
                return r;
        return -1;
    };
    const int inUse = first([&](int r) { return Flag(rows, r, "InUse"); });
    const int permitted = first([&](int r) { return Flag(rows, r, "InUse") && Flag(rows, r, "Permitted"); });
    if (n == 0)
        out.refusal = QStringLiteral("条形码[") + barCode + QStringLiteral("]没有对应的商品");
    else if (inUse < 0)
        out.refusal = QStringLiteral("商品") + Named(rows, 0) + QStringLiteral("已停用或已删除");
    else if (permitted < 0)
        out.refusal = QStringLiteral("没有商品") + Named(rows, inUse) + QStringLiteral("所属类别的操作权限");
    else
        out.refusal = QStringLiteral("调出仓库没有商品") + Named(rows, permitted) + QStringLiteral("的库存");
    return out;
}

QString ScannedText(const model::LineGoods& goods, double lineQuantity)
{
    return QStringLiteral("已扫描：[") + goods.code + QStringLiteral("]") + goods.name + QStringLiteral("，数量")
        + model::FloatToStr(lineQuantity);
}

} // namespace billedit
