#pragma once
// The statements of the list window's audit, un-audit, posting and preview commands, exact as
// the window sends them (blanks included). Text values are quoted inside.
#include <QString>

namespace billlist {

// The bill's audit flag, status, and both, read again before a command changes anything.
QString AuditFlagSql(const QString& billNo);
QString BillStatusSql(const QString& billNo);
QString AuditStateSql(const QString& billNo);

// The source storage's stock of the goods (all its stock rows, 0 without any) minus count.
// count is the line quantity as text.
QString StockLeftAfterSql(const QString& storageCode, const QString& goodsCode, const QString& count);

// Audit by the operator; un-audit.
QString AuditSql(const QString& billNo, const QString& operatorCode);
QString UnAuditSql(const QString& billNo);

// The printed bill: one row per line, each with the head's values, the goods' bar code and the
// unit's dictionary name.
QString PrintBillSql(const QString& billNo);

} // namespace billlist
