#pragma once
// Promised stock: what audited bills not yet posted still need from their source storage. It is
// never stored; every check computes it from the bills as they stand, so it cannot drift. When
// the option Stock/CountPromised is on, an audit counts as available only a storage's stock less
// what other bills have promised, and re-checks that inside its own writer transaction, so two
// workstations auditing against the same stock at once cannot both pass. No UI here.
#include <QString>
#include <QStringList>

namespace billlist {

// The ini option: file, section and key ("1" on; anything else, or none, off).
inline const QString kStockIni = QStringLiteral("Host.ini");
inline const QString kStockSection = QStringLiteral("Stock");
inline const QString kCountPromisedKey = QStringLiteral("CountPromised");

// The engine error a block raises when a check inside it fails (Oracle reserves -20000 ..
// -20999 for the application's own).
constexpr int kShortageError = -20002;
constexpr int kReversalStateError = -20003;

// A parenthesised select of what the other audited, unposted, not deleted bills with the storage
// as their source need of the goods the expression `goods` names (a column of the outer select).
QString PromisedOf(qint64 billId, const QString& storageCode, const QString& goods);

// The goods of a bill that the storage cannot give, one row each: GoodsCode, GoodsName, Need (the
// bill's lines of the goods summed), Stock (the storage's stock rows summed) and Promised (what
// other audited, unposted, not deleted bills with this storage as their source need of it).
// Empty when the storage covers the whole bill. movedOnly: only the goods a posting moves (those
// in the goods list), as a reversal takes back.
QString ShortageSql(qint64 billId, const QString& storageCode, bool movedOnly = false);
// The numbers of those other bills that hold the goods in the storage, oldest first.
QString PromisingBillsSql(qint64 billId, const QString& storageCode, const QString& goodsCode);

// A block piece that fails the block with kShortageError and `text` when ShortageSql finds a row.
QString ShortageGuard(qint64 billId, const QString& storageCode, const QString& text, bool movedOnly = false);

// The audit as one block: the shortage re-checked, then the audit's own statement.
QString PromisedAuditBlock(qint64 billId, const QString& billNo, const QString& storageCode,
                           const QString& operatorCode);

// The refusal of one short goods, naming the stock, the promised quantity and the bills holding it.
QString ShortageText(const QString& storageCode, const QString& goodsCode, const QString& goodsName, double stock,
                     double promised, double need, const QStringList& holders);
// The text a block's shortage failure carries when another workstation took the stock between
// the window's check and the block; the window reads the shortage again to name it.
QString ShortageChangedText();

} // namespace billlist
