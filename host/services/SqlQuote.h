#pragma once
// The host's own text-to-SQL quoting: host code never links the module's folders.
#include <QString>

namespace host {

// 'text' with every single quote doubled, so the value can never end the literal early.
inline QString QuoteSql(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

} // namespace host
