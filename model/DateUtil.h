#pragma once
// Date texts of the module: "yyyy-mm-dd" for list filters and to_date, "yyyy-mm-dd hh:mm" for
// the audit time a posting copies, "yyyy-mm-dd hh:mm:ss" in full, and the workstation's short
// date for dates shown in memory.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace model {

QString FormatDate(const QDate& date);                    // yyyy-mm-dd
QString FormatDate(const QDateTime& dateTime);            // yyyy-mm-dd
QString FormatDateTimeMinutes(const QDateTime& dateTime); // yyyy-mm-dd hh:mm
QString FormatDateTime(const QDateTime& dateTime);        // yyyy-mm-dd hh:mm:ss

// The workstation's date (no time part), and the same as a date-time at midnight.
QDate Today();
QDateTime TodayStart();

// The date in the workstation's short date format (date only).
QString ShortDateText(const QDate& date);

// The date-time a dataset value holds: a QDateTime or QDate as is, text in one of the forms
// above or the workstation's short date; invalid for null or unreadable text.
QDateTime DateTimeFromVariant(const QVariant& value);

} // namespace model
