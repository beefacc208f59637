#include "model/BillNo.h"

#include "model/Convert.h"
#include "plugin/DbIntf.h"

#include <QVariant>

namespace model {

QString FormatBillNo(const QString& prefix, const QDate& date, qint64 serial)
{
    return prefix + date.toString(QStringLiteral("yyyyMMdd")) + QString::asprintf("%.8lld", static_cast<long long>(serial));
}

QString NewBillNo(plugin::IDbIntf& db, const QString& prefix, const QString& counterName, QDate today)
{
    const QVariant v = db.NextCounter(counterName, 1);
    const QString text = v.isValid() && !v.isNull() ? v.toString() : QString();
    // 64-bit on purpose: a counter past the 32-bit range must not fall back to serial 1 and
    // start repeating numbers.
    return FormatBillNo(prefix, today, StrToIntDef(text, 1));
}

} // namespace model
