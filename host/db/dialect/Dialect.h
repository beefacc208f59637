#pragma once
// Oracle text to the engines' dialects, and how bound values travel to the engines. The texts of
// dates and numbers every backend shares are in platform/core/ValueText.h.
// Translate (declared in Connection.h) rewrites token by token:
//   nvl(a,b)                    coalesce(a,b)
//   sysdate                     the server's local time to the second
//   to_date('lit','fmt')        a date constant (checked when translating); non-literal
//                               arguments are converted at run time
//   name.nextval / .currval     one value per row from the named sequence
//   ... from dual               the from clause is dropped
//   :1, :2 ...                  ?1 ... (SQLite) / $1 ... (PostgreSQL)
//   a / b                       a * 1.0 / b: Oracle's division never truncates
//   x like p                    on PostgreSQL x like p escape '' (Oracle's like has no escape
//                               character unless the statement names one)
//   mod(a, b)                   jxc_mod(a, b): a when b is 0, as in Oracle
// Everything else (joins, sub-selects, aggregates, like ... escape, substr, upper, ||) is common SQL and
// passes unchanged; unquoted identifiers stay case-insensitive on both engines.
#include "host/db/Connection.h"

namespace host::db {

// Oracle text to the engine's dialect. Bind variables :1, :2 ... become the engine's
// positional parameters. Throws EDatabaseError on text it cannot read.
QString Translate(const QString& oracleSql, Engine engine);

// Translate (cached) and run.
qint64 Execute(Connection& c, const QString& oracleSql, const QVector<QVariant>& params = {}, RowSink* sink = nullptr);


struct Translation {
    QString text;              // in the engine's dialect
    bool usesSequence = false; // draws sequence values: must run inside a writer transaction
};

// Translate through a cache keyed by the Oracle text (the copy shares the cached text).
Translation TranslateCached(const QString& oracleSql, Engine engine);

// Execute for a caller that holds the translation already (the block runner, which runs the
// same statement for every row of a cursor): nativeSql runs, errors name oracleSql.
qint64 ExecuteTranslated(Connection& c, const QString& nativeSql, const QString& oracleSql,
                         const QVector<QVariant>& params, RowSink* sink);

// How a bound parameter travels to an engine; both connections bind by this one rule.
enum class ParamKind { Null, Integer, Float, Currency, DateTime, Bytes, Text };
ParamKind KindOfParam(const QVariant& v);
// The canonical date text of a DateTime parameter (a QDate counts as its midnight).
QString ParamDateText(const QVariant& v);

} // namespace host::db
