#pragma once
// The statements of the stock ledger, one function each. Text values are quoted inside.
#include <QString>

namespace ledger {

// The movements of one goods in one storage: every stock bill of the storage that is not
// deleted, its lines of the goods summed into one count, newest first (BillDate, then ID).
// Columns: ID, BillDate, BillNo, BillType, SrcBillNo, Remark, GoodsCount.
QString MovementsSql(const QString& storageCode, const QString& goodsCode);
// The stock count of the goods in the storage; no row reads as 0.
QString StockCountSql(const QString& storageCode, const QString& goodsCode);
// The storages to choose from: StorageCode, StorageName, in code order.
QString StorageListSql();
// The goods to choose from: GoodsCode, GoodsName, Model, in code order; deleted goods left out.
QString GoodsListSql();

} // namespace ledger
