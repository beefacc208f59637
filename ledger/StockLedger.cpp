#include "ledger/StockLedger.h"

#include "ledger/StockLedgerSql.h"
#include "model/BillConst.h"
#include "platform/core/Currency.h"
#include "platform/core/Dataset.h"
#include "plugin/DbIntf.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace ledger {

namespace {

// Counts are kept to two decimals: balances are worked out in hundredths, so that 100,000
// movements add up exactly.
qint64 Hundredths(double count) { return std::llround(count * 100.0); }
double FromHundredths(qint64 h) { return double(h) / 100.0; }

// A number column as the engine typed it (a sum is an integer, a float or a decimal).
double NumberAt(const platform::Dataset& ds, int row, int field)
{
    if (ds.IsNullAt(row, field))
        return 0;
    const QVariant v = ds.At(row, field);
    if (ds.FieldDefAt(field).type == platform::FieldType::Currency)
        return v.value<platform::Currency>().ToDouble();
    return v.toDouble();
}

// A text column whose rows mostly repeat the one before (types, remarks): one string for a run.
class RepeatedText {
public:
    RepeatedText(const platform::Dataset& ds, int field) : ds_(ds), field_(field) {}
    QString At(int row)
    {
        const QByteArrayView bytes = ds_.TextBytesAt(row, field_);
        if (row == 0 || bytes != last_) {
            last_ = bytes;
            text_ = QString::fromUtf8(bytes);
        }
        return text_;
    }

private:
    const platform::Dataset& ds_;
    int field_;
    QByteArrayView last_;
    QString text_;
};

int Field(const platform::Dataset& ds, const char* name)
{
    const int index = ds.FieldIndex(QLatin1String(name));
    if (index < 0)
        throw platform::Exception(QStringLiteral("库存台账查询缺少字段 ") + QLatin1String(name));
    return index;
}

std::vector<Movement> ReadMovements(const platform::Dataset& ds)
{
    const int id = Field(ds, "ID"), date = Field(ds, "BillDate"), no = Field(ds, "BillNo"),
              type = Field(ds, "BillType"), src = Field(ds, "SrcBillNo"), remark = Field(ds, "Remark"),
              count = Field(ds, "GoodsCount");
    std::vector<Movement> rows;
    rows.reserve(size_t(ds.RecordCount()));
    RepeatedText types(ds, type), remarks(ds, remark);
    for (int r = 0; r < ds.RecordCount(); ++r) {
        Movement& m = rows.emplace_back();
        m.billId = ds.IsNullAt(r, id) ? 0 : ds.At(r, id).toLongLong();
        m.billDay = ds.DateAt(r, date);
        m.billTime = ds.TimeAt(r, date);
        m.billNo = QString::fromUtf8(ds.TextBytesAt(r, no));
        m.billType = types.At(r);
        m.srcBillNo = QString::fromUtf8(ds.TextBytesAt(r, src));
        m.remark = remarks.At(r);
        (model::StockBillTypeIsIn(m.billType) ? m.inCount : m.outCount) = NumberAt(ds, r, count);
    }
    return rows;
}

} // namespace

QString MovementTypeName(const QString& billType, const QString& remark)
{
    const bool reversal = remark == model::ReversalRemark;
    if (billType == model::BillTypeOpening)
        return QStringLiteral("期初入库");
    if (billType == model::BillTypeStockIn)
        return reversal ? QStringLiteral("冲销入库") : QStringLiteral("调拨入库");
    if (billType == model::BillTypeStockOut)
        return reversal ? QStringLiteral("冲销出库") : QStringLiteral("调拨出库");
    return billType;
}

StockLedger::StockLedger(std::vector<Movement> newestFirst, double currentCount)
    : movements_(std::move(newestFirst)), current_(currentCount)
{
    FillBalances();
}

void StockLedger::FillBalances()
{
    // The newest balance is the stock count; each older one is the next newer balance less
    // that newer movement.
    qint64 balance = Hundredths(current_);
    for (Movement& m : movements_) {
        m.balance = FromHundredths(balance);
        balance -= Hundredths(m.inCount) - Hundredths(m.outCount);
    }
}

StockLedger StockLedger::Read(plugin::IDbIntf& db, const QString& storageCode, const QString& goodsCode)
{
    // The stock count comes with the movements, from the same statement: a posting committed
    // between two reads would otherwise leave the balances off by its movement.
    const std::unique_ptr<platform::Dataset> ds(db.OpenQuery(MovementsSql(storageCode, goodsCode)));
    if (!ds || ds->IsEmpty())
        return StockLedger({}, db.QueryValue(StockCountSql(storageCode, goodsCode)).toDouble());
    return StockLedger(ReadMovements(*ds), NumberAt(*ds, 0, Field(*ds, "StockCount")));
}

double StockLedger::OpeningCount() const
{
    if (movements_.empty())
        return current_;
    const Movement& oldest = movements_.back();
    return FromHundredths(Hundredths(oldest.balance) - Hundredths(oldest.inCount) + Hundredths(oldest.outCount));
}

double StockLedger::StockAsOf(const QDate& day) const
{
    // Newest first: the movements after the day come first; the first one on or before it
    // holds the stock at the day's end.
    const auto first = std::partition_point(movements_.begin(), movements_.end(),
                                            [&day](const Movement& m) { return m.billDay > day; });
    return first == movements_.end() ? OpeningCount() : first->balance;
}

} // namespace ledger
