#include "model/Currency.h"

#include "platform/core/Exception.h"

#include <cmath>

namespace model {

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
    return QString::number(value, 'g', 15);
}

} // namespace model
