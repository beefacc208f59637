#include "model/Convert.h"

#include <cmath>

namespace model {

qint64 StrToIntDef(const QString& text, qint64 def)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return def;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, 10);
    return ok ? v : def;
}

double StrToFloatDef(const QString& text, double def)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return def;
    // Only plain decimal notation: toDouble alone would also take "inf" and "nan".
    for (const QChar c : t) {
        if (!(c.isDigit() || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E'))
            return def;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok && std::isfinite(v) ? v : def;
}

} // namespace model
