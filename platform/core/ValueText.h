#pragma once
// Values as text, read and written the same way by every layer: dates as the engines, the
// module and the user write them, numbers as the engines and Oracle print them. Where two
// callers differ on purpose the difference is a named function or form here, not a second copy.
// Nothing here throws; a text that is not a value gives an invalid date or nullopt.
#include <QDateTime>
#include <QFlags>
#include <QMetaType>
#include <QString>
#include <optional>

namespace platform {

// ---- dates ---------------------------------------------------------------------------------

// The written forms a date reader accepts.
enum class DateForm {
    Iso = 0x1,          // yyyy-MM-dd, yyyy-MM-dd HH:mm, yyyy-MM-dd HH:mm:ss, yyyy-MM-ddTHH:mm:ss
    Milliseconds = 0x2, // yyyy-MM-dd HH:mm:ss.zzz
    Slashes = 0x4,      // yyyy/M/d, yyyy/M/d H:mm:ss
    ShortDate = 0x8,    // the workstation's short date (a date alone), tried after the others
};
Q_DECLARE_FLAGS(DateForms, DateForm)
Q_DECLARE_OPERATORS_FOR_FLAGS(DateForms)

// The local date-time a text in one of the forms names; blanks around it do not count.
// Invalid for empty text, text in no accepted form, and dates that do not exist.
QDateTime ParseDateText(const QString& text, DateForms forms);

// The canonical text of dates on engines without a date type: "YYYY-MM-DD HH:MM:SS", which
// sorts and compares like the date itself.
QString CanonicalDateText(const QDateTime& dt);

// Reads the canonical form and the shorter or longer forms engines produce ("YYYY-MM-DD",
// "YYYY-MM-DD HH:MM", a 'T' for the blank, fractional seconds), digit for digit and without
// blanks: it reads every date of a result set, so it stays a plain scan. Invalid when not a date.
QDateTime ParseCanonicalDate(const char* text, int length);
// The same, as the date and the milliseconds since its midnight that the text writes: no local
// date-time is made (a dataset keeps dates as written). false when not a date.
bool ParseCanonicalWallClock(const char* text, int length, QDate& date, int& msecsOfDay);

// ParseCanonicalDate remembering the last few texts: the dates of one row are often the same
// stamp (a bill's BillDate, Create_time and modified_time), and making a local date-time is
// the dearest part of reading a row. One per reading loop; not shared between threads.
class DateTextCache {
public:
    QDateTime Parse(const char* text, int length);

private:
    struct Entry {
        char text[32];
        int length = -1;
        QDateTime value;
    };
    Entry entries_[4];
    int next_ = 0;
};

// Oracle's to_date for the formats the module sends: YYYY, MM, DD, HH24 (or HH), MI, SS with
// any separators. Input shorter than the format leaves the missing fields at their start
// (day 1, time 0). nullopt when the text does not fit the format or names no real date.
std::optional<QDateTime> ParseOracleDate(const QString& text, const QString& format);

// ---- numbers -------------------------------------------------------------------------------

// The value types that hold a plain number (a cell written as a number, a number searched for).
inline bool IsNumberType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// Fractions stop at the 15th significant digit (what a double holds reliably, so 0.1 + 0.2
// reads 0.3), with no trailing zeros; whole numbers below a bound are written exactly.

// Plain decimal text, as the database service hands numbers over as text: no exponent, "0" for
// zero of either sign, whole numbers exact below 1e18. Empty for infinities and NaN.
QString PlainNumberText(double value);
// An exact decimal text as an engine returns it, trimmed the same way ("12.5000" -> "12.5",
// "-0.00" -> "0"); text with an exponent is read and written as PlainNumberText.
QString TrimDecimalText(QString text);
// Oracle's text of a number, as TO_CHAR and a varchar assignment give it: no exponent, no zero
// before the point (0.5 -> ".5"), whole numbers exact below 1e15; "~" and "-~" for infinities.
QString OracleNumberText(double value);
// A dataset field's text of a number: whole numbers exact below 1e15, others in the shorter of
// fixed and exponent notation ("1e+20", "1e-05").
QString FieldNumberText(double value);

} // namespace platform
