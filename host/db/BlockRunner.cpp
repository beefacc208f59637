#include "host/db/BlockRunner.h"

#include "host/db/SqlTokenizer.h"
#include "platform/Exception.h"

namespace host::db {

bool IsBlock(const QString& sql)
{
    // Cheap test on the first word, so plain statements never pay for a full parse.
    int i = 0;
    const int n = sql.size();
    while (i < n && sql[i].isSpace())
        ++i;
    int j = i;
    while (j < n && (sql[j].isLetter() || sql[j] == u'_'))
        ++j;
    const QStringView word = QStringView(sql).mid(i, j - i);
    return word.compare(QLatin1String("begin"), Qt::CaseInsensitive) == 0
        || word.compare(QLatin1String("declare"), Qt::CaseInsensitive) == 0;
}

void RunBlock(Connection& c, const QString& block)
{
    throw platform::EDatabaseError(QStringLiteral("anonymous blocks are not available yet"));
}

} // namespace host::db
