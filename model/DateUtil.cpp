#include "model/DateUtil.h"

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
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return QDateTime();
    static const char* const formats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd",
                                          "yyyy-MM-ddTHH:mm:ss"};
    for (const char* f : formats) {
        const QDateTime dt = QDateTime::fromString(text, QString::fromLatin1(f));
        if (dt.isValid())
            return dt;
    }
    const QDate shortDate = QLocale::system().toDate(text, QLocale::ShortFormat);
    if (shortDate.isValid())
        return QDateTime(shortDate, QTime(0, 0));
    return QDateTime();
}

} // namespace model
