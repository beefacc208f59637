#pragma once
// The posting block of the transfer command: the stock-out bill (CK) and the stock-in bill (RK)
// with copies of the transfer's lines, the stock movement line by line and the status change,
// sent as one anonymous block so the database applies all of it or none. No UI here.
#include "platform/core/Currency.h"

#include <QDateTime>
#include <QString>

namespace billlist {

// What the block is made of: the focused bill's row, the operator, and the ids and numbers
// drawn for the two stock bills.
struct TransferPosting {
    qint64 billId = 0;
    QString billNo;
    QString srcStorageCode;
    QString desStorageCode;
    double goodsCount = 0;
    platform::Currency billSum;
    QString auditor;
    QDateTime auditDate; // written to the minute
    QString remark;
    QString operatorCode;
    qint64 stockInId = 0;
    QString stockInNo;
    qint64 stockOutId = 0;
    QString stockOutNo;
};

// The text the posting checks the bill's state with, inside the block: a bill that is no longer
// audited-and-unposted when the block runs (posted or un-audited at another workstation since
// the window's checks) fails the whole block with StateChangedText, so no stock bill is written
// for a movement that never happens. Writers queue on both engines, so of two workstations
// posting the same bill at once the second sees the first one's status 4 here.
QString BillStateGuard(const TransferPosting& p);
// The message of that failure (without the engine's error code in front).
QString StateChangedText(const QString& billNo);

// Statements A to E as the command assembles them.
QString StockOutHeaderSql(const TransferPosting& p);  // A
QString StockOutLinesSql(const TransferPosting& p);   // B
QString StockInHeaderSql(const TransferPosting& p);   // C
QString StockInLinesSql(const TransferPosting& p);    // D
QString StockMovementBlock(const TransferPosting& p); // E

// " begin" + the state guard + A + B + C + D + E + " end;".
QString TransferPostingBlock(const TransferPosting& p);
// The same with the promised stock of the source re-checked after the state guard: the posting
// fails with ShortageChangedText when other audited bills now hold what this one needs.
QString PromisedPostingBlock(const TransferPosting& p);

// The reversal (冲销) of a completed bill as one block: the bill must still be completed and its
// destination must still hold the goods a posting moved (less what other audited bills of that
// storage hold), else the block fails with ReversalStateText or ReversalShortageText. Then a
// stock-out bill for the destination and a stock-in bill for the source, both of the seed's
// types and referring to the bill (remark "冲销"), the stock moved back and the bill marked
// reversed (status 5). stockOut* and stockIn* name the new bills.
QString TransferReversalBlock(const TransferPosting& p);
QString ReversalStateText(const QString& billNo);
QString ReversalShortageText(const QString& billNo);

} // namespace billlist
