#pragma once
// The stock ledger of one goods in one storage: its movements read from the stock bills, newest
// first, each with the balance after it. Balances are never stored: they are worked back from
// the current stock count, so the newest balance is always that count. No UI here; reading
// throws what the database service throws (platform::EDatabaseError).
#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

namespace plugin { class IDbIntf; }

namespace ledger {

// One stock bill's movement of the goods: its lines of the goods summed.
struct Movement {
    QDate billDay; // the bill's date and time as stored (wall clock)
    QTime billTime;
    qint64 billId = 0;
    QString billNo;
    QString billType;
    QString srcBillNo; // the transfer bill that wrote it; empty for opening stock
    QString remark;
    double inCount = 0;  // goods brought in, 0 for a stock-out bill
    double outCount = 0; // goods taken out, 0 for a stock-in bill
    double balance = 0;  // the stock after this movement
    QDateTime BillDate() const { return QDateTime(billDay, billTime); }
};

// What the type column shows: 调拨入库, 调拨出库, 冲销入库, 冲销出库, 期初入库, else the code.
QString MovementTypeName(const QString& billType, const QString& remark);

class StockLedger {
public:
    StockLedger() = default;
    // Movements newest first with their counts set (balances are filled here), and the stock
    // count they lead to.
    StockLedger(std::vector<Movement> newestFirst, double currentCount);

    // The ledger of the goods in the storage, in one query for the movements and one for the
    // stock count.
    static StockLedger Read(plugin::IDbIntf& db, const QString& storageCode, const QString& goodsCode);

    const std::vector<Movement>& Movements() const { return movements_; }
    double CurrentCount() const { return current_; }
    // The stock before the oldest movement (the current count when there is none).
    double OpeningCount() const;
    // The stock at the end of the day, that day's movements included.
    double StockAsOf(const QDate& day) const;

private:
    void FillBalances();

    std::vector<Movement> movements_;
    double current_ = 0;
};

} // namespace ledger
