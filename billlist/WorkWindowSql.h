#pragma once
// The statements of the transfer bill list window, exact as the window sends them (blanks
// included). Text values are quoted inside; dates go as "yyyy-mm-dd" through to_date.
#include <QDate>
#include <QString>

namespace billlist {

// The bill head select every bill list of the window starts with; each use appends its tail.
QString BillHeadSelect();
// Bills dated from the day on (the window's opening list and the reload after a new bill).
QString BillsFromDateSql(const QDate& from);
// The reload after an edit: the one bill by number.
QString BillByNumberSql(const QString& billNo);

// The search bar's select. A non-empty bill number searches that bill and ignores the dates;
// otherwise the range runs from the start date to midnight at the start of the day after the
// end date, inclusive. Goods and bar-code texts narrow either form when not empty. The texts
// are used as given (the caller trims them).
QString BillSearchSql(const QString& billNo, const QDate& begin, const QDate& end, const QString& goodsCodeOrName,
                      const QString& barCode);

// An empty lines result with the lines grid's columns.
QString EmptyLinesSql();
// The lines of one bill with the goods' stock summed over all storages.
QString BillLinesSql(const QString& billNo);

// The goods-type rights check: the bill's lines in table (deleted ones counted), and those of
// them whose goods type is in goodsTypes, the host's parenthesised operand of "in" (trusted:
// it comes from the host's rights service, not from the user).
QString BillLineCountSql(const QString& table, const QString& billNo);
QString PermittedLineCountSql(const QString& table, const QString& billNo, const QString& goodsTypes);

// Items of the image-combo columns: storages, units, operators (code, name).
QString StorageItemsSql();
QString UnitItemsSql();
QString OperatorItemsSql();

} // namespace billlist
