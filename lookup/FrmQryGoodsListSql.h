#pragma once
// The statements of the goods lookup, exactly as the database has always been sent them.
#include <QString>

namespace lookup {

// The units of measure (dictionary group 521) for the unit column.
QString UnitListSql();

// The result's columns and no rows: what the lookup shows before anything is searched.
QString EmptyGoodsListSql();

// Goods in use and not deleted whose code, name or phonetic initials hold condition (as given,
// quoted inside), of the operator's goods types. With a storage code, only goods with a stock
// row there, GdsLeftCount being that storage's stock, and no rows without a condition; without
// one, GdsLeftCount sums the stock of all storages. goodsTypes is the host's GoodsTypeList
// operand, trusted and placed as given. Both condition and storage empty: EmptyGoodsListSql.
QString GoodsSearchSql(const QString& condition, const QString& storageCode, const QString& goodsTypes);

} // namespace lookup
