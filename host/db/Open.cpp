#include "host/db/Connection.h"

#include "host/db/engines/PgConnection.h"
#include "host/db/engines/SqliteConnection.h"
#include "platform/core/Exception.h"

#include <QRegularExpression>

namespace host::db {

std::unique_ptr<Connection> Open(const QString& target, const TransportPolicy& policy)
{
    const QString t = target.trimmed();
    if (t.isEmpty())
        throw platform::EDatabaseError(QStringLiteral("No database given"));
    if (t.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive)) {
        QString path = t.mid(7);
        if (path.startsWith(QLatin1String("//")))
            path = path.mid(2);
        return std::make_unique<SqliteConnection>(path);
    }
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return std::make_unique<PgConnection>(t, policy);
    // libpq's "key=value ..." form; anything else is a file path.
    static const QRegularExpression keyValue(QStringLiteral("^[A-Za-z_]+\\s*="));
    if (keyValue.match(t).hasMatch())
        return std::make_unique<PgConnection>(t, policy);
    return std::make_unique<SqliteConnection>(target);
}

} // namespace host::db
