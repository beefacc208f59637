#include "model/Convert.h"

#include "platform/core/Exception.h"

#include <charconv>
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

QString CurrToStr(Currency value)
{
    return value.ToString();
}

QString FormatCurr(Currency value, int decimals)
{
    return value.ToFixed(decimals);
}

Currency StrToCurrDef(const QString& text, Currency def)
{
    if (auto c = Currency::Parse(text))
        return *c;
    return def;
}

Currency CurrFromVariant(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return Currency();
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return Currency::FromDouble(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return Currency::FromInt(value.toLongLong());
    default:
        break;
    }
    const QString text = value.toString();
    if (text.trimmed().isEmpty())
        return Currency();
    if (auto c = Currency::Parse(text))
        return *c;
    throw platform::EConvertError(QStringLiteral("'%1' is not a valid currency value").arg(text));
}

QString FloatToStr(double value)
{
    if (!std::isfinite(value))
        throw platform::EConvertError(QStringLiteral("Invalid floating point value"));
    if (value == 0)
        return QStringLiteral("0"); // no "-0"
    // Quantities and sums of everyday size: the shortest text that reads back as the value is,
    // when it has at most 15 significant digits, what 15-digit rounding gives too, and it costs
    // a fraction of the general conversion.
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
        if (r.ec == std::errc()) {
            int significant = 0;
            bool leading = true;
            for (const char* c = buf; c != r.ptr; ++c) {
                if (*c < '0' || *c > '9' || (leading && *c == '0'))
                    continue;
                leading = false;
                ++significant;
            }
            if (significant <= 15)
                return QString::fromLatin1(buf, r.ptr - buf);
        }
    }
    return QString::number(value, 'g', 15);
}

} // namespace model
