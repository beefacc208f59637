#pragma once
// Oracle text to the engines' dialects, and the value conventions every backend shares.
// Translate (declared in Connection.h) rewrites token by token:
//   nvl(a,b)                    coalesce(a,b)
//   sysdate                     the server's local time to the second
//   to_date('lit','fmt')        a date constant (checked when translating); non-literal
//                               arguments are converted at run time
//   name.nextval / .currval     one value per row from the named sequence
//   ... from dual               the from clause is dropped
//   :1, :2 ...                  ?1 ... (SQLite) / $1 ... (PostgreSQL)
//   a / b                       a * 1.0 / b: Oracle's division never truncates
// Everything else (joins, sub-selects, aggregates, like, substr, upper, ||) is common SQL and
// passes unchanged; unquoted identifiers stay case-insensitive on both engines.
#include "host/db/Connection.h"

#include <QDateTime>
#include <optional>

namespace host::db {

struct Translation {
    QString text;              // in the engine's dialect
    bool usesSequence = false; // draws sequence values: must run inside a writer transaction
};

// Translate through a cache keyed by the Oracle text (the copy shares the cached text).
Translation TranslateCached(const QString& oracleSql, Engine engine);

// Oracle's to_date for the formats the module sends: YYYY, MM, DD, HH24 (or HH), MI, SS with
// any separators. Input shorter than the format leaves the missing fields at their start
// (day 1, time 0). nullopt when the text does not fit the format or names no real date.
std::optional<QDateTime> ParseOracleDate(const QString& text, const QString& format);

// The canonical text form of dates on engines without a date type: "YYYY-MM-DD HH:MM:SS",
// which sorts and compares like the date itself.
QString CanonicalDateText(const QDateTime& dt);

// How a bound parameter travels to an engine; both connections bind by this one rule.
enum class ParamKind { Null, Integer, Float, Currency, DateTime, Bytes, Text };
ParamKind KindOfParam(const QVariant& v);
// The canonical date text of a DateTime parameter (a QDate counts as its midnight).
QString ParamDateText(const QVariant& v);
// Reads the canonical form and the shorter or longer forms engines produce
// ("YYYY-MM-DD", "YYYY-MM-DDTHH:MM:SS", fractional seconds). Invalid when not a date.
QDateTime ParseCanonicalDate(const char* text, int length);

// Called by the connections before they read dates. On Unix the C library re-reads the zone
// file on every local-time conversion unless TZ is set, which made reading 100,000 dates
// spend most of its time in stat(); naming the same zone file in TZ keeps the zone and drops
// the re-reads. Does nothing when TZ is set already or elsewhere.
void KeepLocalZoneLoaded();

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

// Plain decimal text of a number: no exponent, no trailing zeros, "0" for zero.
QString PlainNumberText(double value);
// Plain decimal text of an exact decimal string ("12.5000" -> "12.5", "-0.00" -> "0").
QString TrimDecimalText(QString text);

} // namespace host::db
