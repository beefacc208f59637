#include "model/DateUtil.h"

#include "platform/core/ValueText.h"

#include <QLocale>

namespace model {

QString FormatDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString FormatDate(const QDateTime& dateTime)
{
    return FormatDate(dateTime.date());
}

QString FormatDateTimeMinutes(const QDateTime& dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString FormatDateTime(const QDateTime& dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDate Today()
{
    return QDate::currentDate();
}

QDateTime TodayStart()
{
    return QDateTime(Today(), QTime(0, 0));
}

QString ShortDateText(const QDate& date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QDateTime DateTimeFromVariant(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QDateTime();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    return platform::ParseDateText(value.toString(), platform::DateForm::Iso | platform::DateForm::ShortDate);
}

} // namespace model
