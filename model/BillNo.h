#pragma once
// The one bill-number rule: prefix + workstation date "yyyymmdd" + counter serial of at least
// eight digits. The serial comes from the host's named counter and never restarts by day here.
#include <QDate>
#include <QString>

namespace plugin { class IDbIntf; }

namespace model {

// Asks NextCounter(counterName, 1); a result that is empty or not a whole number counts as 1.
// "DB-2024010500000042" for prefix "DB-", 5 Jan 2024 and serial 42; a serial of more than
// eight digits is written whole. Errors of the database service propagate.
QString NewBillNo(plugin::IDbIntf& db, const QString& prefix, const QString& counterName,
                  QDate today = QDate::currentDate());

// The text form alone, for callers that already hold the serial.
QString FormatBillNo(const QString& prefix, const QDate& date, qint64 serial);

} // namespace model
