#include "host/db/engines/SqliteConnection.h"

#include "host/db/dialect/Dialect.h"
#include "platform/core/CheckedInt.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

#include <QFile>
#include <QSysInfo>
#include <charconv>
#include <cmath>
#include <sqlite3.h>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace host::db {

using platform::Currency;
using platform::EDatabaseError;
using platform::FieldType;

namespace {

// Rows read ahead to learn the type of columns without a declared type (expressions).
constexpr int MaxLookahead = 64;
constexpr int MaxCachedStatements = 300;

// The field type a declared column type stands for; nullopt when it says nothing.
std::optional<FieldType> TypeFromDecl(const char* decl)
{
    if (!decl || !*decl)
        return std::nullopt;
    const QByteArray d = QByteArray(decl).toUpper();
    if (d.contains("INT") || d.contains("BOOL"))
        return FieldType::Integer;
    if (d.contains("DATE") || d.contains("TIME"))
        return FieldType::DateTime;
    if (d.contains("CHAR") || d.contains("CLOB") || d.contains("TEXT") || d.contains("BLOB"))
        return FieldType::Text;
    if (d.contains("REAL") || d.contains("FLOA") || d.contains("DOUB"))
        return FieldType::Float;
    if (d.contains("MONEY"))
        return FieldType::Currency;
    if (d.contains("DEC") || d.contains("NUMERIC") || d.contains("NUMBER")) {
        // Money is DECIMAL(p,4); other scales are quantities or whole numbers.
        const int open = d.indexOf('(');
        if (open < 0)
            return FieldType::Float;
        const int comma = d.indexOf(',', open);
        if (comma < 0)
            return FieldType::Integer;
        const int scale = d.mid(comma + 1, d.indexOf(')', comma) - comma - 1).trimmed().toInt();
        if (scale == 4)
            return FieldType::Currency;
        return scale == 0 ? FieldType::Integer : FieldType::Float;
    }
    return std::nullopt;
}

// Money stored as a double: the scaled value rounds straight to the nearest 0.0001 while the
// double is precise enough; near ties and huge values take the exact decimal route.
Currency MoneyFromDouble(double v)
{
    const double scaled = v * double(Currency::Scale);
    if (std::fabs(scaled) < 1e13) {
        const double frac = std::fabs(scaled - std::trunc(scaled));
        if (std::fabs(frac - 0.5) > 1e-3)
            return Currency::FromRaw(std::llround(scaled));
    }
    return Currency::FromDouble(v);
}

bool LooksLikeDate(const unsigned char* s, int n)
{
    // Only the full canonical form: shorter texts are too often something else.
    if (n != 19)
        return false;
    for (int i = 0; i < 19; ++i) {
        const char c = char(s[i]);
        const bool digit = c >= '0' && c <= '9';
        switch (i) {
        case 4: case 7: if (c != '-') return false; break;
        case 10: if (c != ' ') return false; break;
        case 13: case 16: if (c != ':') return false; break;
        default: if (!digit) return false;
        }
    }
    return true;
}

[[noreturn]] void BadValue(sqlite3_stmt* s, int c, FieldType type)
{
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)), sqlite3_column_bytes(s, c));
    throw EDatabaseError(QStringLiteral("Column %1 holds '%2', which is not a valid %3 value")
                             .arg(QString::fromUtf8(sqlite3_column_name(s, c)), value, platform::FieldTypeName(type)));
}

QVariant ReadValue(sqlite3_stmt* s, int c, FieldType type, platform::DateTextCache& dates)
{
    const int storage = sqlite3_column_type(s, c);
    if (storage == SQLITE_NULL)
        return {};
    switch (type) {
    case FieldType::Integer:
        if (storage == SQLITE_INTEGER)
            return qlonglong(sqlite3_column_int64(s, c));
        if (storage == SQLITE_FLOAT)
            return qlonglong(std::llround(sqlite3_column_double(s, c)));
        {
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            const int n = sqlite3_column_bytes(s, c);
            long long v = 0;
            auto r = std::from_chars(t, t + n, v);
            if (r.ec == std::errc() && r.ptr == t + n)
                return qlonglong(v);
            BadValue(s, c, type);
        }
    case FieldType::Float:
        if (storage == SQLITE_INTEGER)
            return double(sqlite3_column_int64(s, c));
        if (storage == SQLITE_FLOAT)
            return sqlite3_column_double(s, c);
        {
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            const int n = sqlite3_column_bytes(s, c);
            double v = 0;
            auto r = std::from_chars(t, t + n, v);
            if (r.ec == std::errc() && r.ptr == t + n)
                return v;
            BadValue(s, c, type);
        }
    case FieldType::Currency:
        if (storage == SQLITE_INTEGER)
            return QVariant::fromValue(Currency::FromInt(sqlite3_column_int64(s, c)));
        if (storage == SQLITE_FLOAT)
            return QVariant::fromValue(MoneyFromDouble(sqlite3_column_double(s, c)));
        if (auto v = Currency::Parse(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                                                         sqlite3_column_bytes(s, c))))
            return QVariant::fromValue(*v);
        BadValue(s, c, type);
    case FieldType::Text:
        if (storage == SQLITE_INTEGER)
            return QString::number(sqlite3_column_int64(s, c));
        if (storage == SQLITE_FLOAT)
            return platform::PlainNumberText(sqlite3_column_double(s, c));
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)), sqlite3_column_bytes(s, c));
    case FieldType::DateTime: {
        if (storage == SQLITE_INTEGER) // unix time, as SQLite's own date functions read it
            return QDateTime::fromSecsSinceEpoch(sqlite3_column_int64(s, c));
        if (storage == SQLITE_FLOAT) { // Julian day
            const double jd = sqlite3_column_double(s, c);
            const QDateTime utc = QDateTime::fromMSecsSinceEpoch(qint64(std::llround((jd - 2440587.5) * 86400000.0)), Qt::UTC);
            return QDateTime(utc.date(), utc.time());
        }
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
        const int n = sqlite3_column_bytes(s, c);
        QDateTime dt = dates.Parse(t, n);
        if (dt.isValid())
            return dt;
        try {
            QVariant v = platform::ConvertToFieldType(QString::fromUtf8(t, n), FieldType::DateTime);
            if (v.isValid())
                return v;
        } catch (const platform::EConvertError&) {
        }
        BadValue(s, c, type);
    }
    }
    return {};
}

// The value of column c loaded into field c of a dataset, without a QVariant for the values
// read every day (texts, numbers, canonical dates); the rest goes through ReadValue.
void LoadValue(platform::Dataset& ds, sqlite3_stmt* s, int c, FieldType type, platform::DateTextCache& dates)
{
    const int storage = sqlite3_column_type(s, c);
    if (storage == SQLITE_NULL) {
        ds.LoadNull(c);
        return;
    }
    switch (type) {
    case FieldType::Text:
        if (storage == SQLITE_TEXT || storage == SQLITE_BLOB) {
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            ds.LoadText(c, t, sqlite3_column_bytes(s, c));
            return;
        }
        break;
    case FieldType::Integer:
        if (storage == SQLITE_INTEGER) {
            ds.LoadInteger(c, sqlite3_column_int64(s, c));
            return;
        }
        break;
    case FieldType::Float:
        if (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER) {
            ds.LoadFloat(c, storage == SQLITE_FLOAT ? sqlite3_column_double(s, c) : double(sqlite3_column_int64(s, c)));
            return;
        }
        break;
    case FieldType::Currency:
        if (storage == SQLITE_INTEGER) {
            ds.LoadCurrency(c, Currency::FromInt(sqlite3_column_int64(s, c)));
            return;
        }
        if (storage == SQLITE_FLOAT) {
            ds.LoadCurrency(c, MoneyFromDouble(sqlite3_column_double(s, c)));
            return;
        }
        break;
    case FieldType::DateTime:
        if (storage == SQLITE_TEXT) {
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            QDate date;
            int msecs = 0;
            if (platform::ParseCanonicalWallClock(t, sqlite3_column_bytes(s, c), date, msecs)) {
                ds.LoadDateTime(c, date, msecs);
                return;
            }
        }
        break;
    }
    ds.LoadValue(c, ReadValue(s, c, type, dates));
}

// A value by its storage class, for columns whose type is not known yet.
QVariant ReadRaw(sqlite3_stmt* s, int c)
{
    switch (sqlite3_column_type(s, c)) {
    case SQLITE_INTEGER: return qlonglong(sqlite3_column_int64(s, c));
    case SQLITE_FLOAT: return sqlite3_column_double(s, c);
    case SQLITE_NULL: return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)), sqlite3_column_bytes(s, c));
    }
}

FieldType TypeFromValue(sqlite3_stmt* s, int c)
{
    switch (sqlite3_column_type(s, c)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        // An expression may give whole numbers on one row and fractions on the next.
        return FieldType::Float;
    case SQLITE_TEXT:
        return LooksLikeDate(sqlite3_column_text(s, c), sqlite3_column_bytes(s, c)) ? FieldType::DateTime : FieldType::Text;
    default:
        return FieldType::Text;
    }
}

// Returns the bytes a text or blob value holds (0 for the others).
qsizetype BindValue(sqlite3_stmt* s, int idx, const QVariant& v)
{
    int rc = SQLITE_OK;
    qsizetype bytes = 0;
    const ParamKind kind = KindOfParam(v);
    switch (kind) {
    case ParamKind::Null:
        rc = sqlite3_bind_null(s, idx);
        break;
    case ParamKind::Currency:
        rc = sqlite3_bind_double(s, idx, v.value<Currency>().ToDouble());
        break;
    case ParamKind::Integer:
        rc = sqlite3_bind_int64(s, idx, v.toLongLong());
        break;
    case ParamKind::Float:
        rc = sqlite3_bind_double(s, idx, v.toDouble());
        break;
    case ParamKind::Bytes: {
        const QByteArray b = v.toByteArray();
        rc = sqlite3_bind_blob(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        bytes = b.size();
        break;
    }
    case ParamKind::DateTime:
    case ParamKind::Text: {
        QByteArray t;
        if (kind == ParamKind::DateTime)
            t = ParamDateText(v).toUtf8();
        else if (v.metaType().id() == QMetaType::QString)
            t = static_cast<const QString*>(v.constData())->toUtf8(); // no copy of the text first
        else
            t = v.toString().toUtf8();
        rc = sqlite3_bind_text(s, idx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        bytes = t.size();
        break;
    }
    }
    if (rc != SQLITE_OK)
        throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(s))));
    return bytes;
}

// Values bound with more bytes than this are let go when the statement is done; smaller ones
// stay until the next run binds over them, which spares a clear on every statement.
constexpr qsizetype MaxKeptBindingBytes = 64 * 1024;

bool IsDmlText(const QString& sql)
{
    const QString head = sql.trimmed().left(8).toLower();
    return head.startsWith(QLatin1String("insert")) || head.startsWith(QLatin1String("update"))
        || head.startsWith(QLatin1String("delete")) || head.startsWith(QLatin1String("replace"));
}

QString ArgText(sqlite3_value* v)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
}

void NextvalFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* c = static_cast<SqliteConnection*>(sqlite3_user_data(ctx));
    try {
        sqlite3_result_int64(ctx, c->SequenceStep(ArgText(argv[0])));
    } catch (const platform::Exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

void CurrvalFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* c = static_cast<SqliteConnection*>(sqlite3_user_data(ctx));
    try {
        sqlite3_result_int64(ctx, c->SequenceCurrent(ArgText(argv[0])));
    } catch (const platform::Exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

void ToDateFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString text = ArgText(argv[0]);
    const QString format = argc > 1 ? ArgText(argv[1]) : QStringLiteral("YYYY-MM-DD HH24:MI:SS");
    if (text.trimmed().isEmpty()) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto dt = platform::ParseOracleDate(text, format);
    if (!dt) {
        const QByteArray msg = QStringLiteral("to_date: '%1' is not a valid date for the format '%2'").arg(text, format).toUtf8();
        sqlite3_result_error(ctx, msg.constData(), int(msg.size()));
        return;
    }
    const QByteArray out = platform::CanonicalDateText(*dt).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

// Oracle and PostgreSQL refuse a zero divisor where SQLite would quietly give null (and an update
// would write it). The translator wraps every divisor in jxc_divisor and renames mod to jxc_mod,
// which gives Oracle's answer for a zero divisor: the dividend.
constexpr char kDivisorIsZero[] = "ORA-01476: divisor is equal to zero";

bool IsZero(sqlite3_value* v)
{
    switch (sqlite3_value_numeric_type(v)) {
    case SQLITE_INTEGER:
        return sqlite3_value_int64(v) == 0;
    case SQLITE_FLOAT:
        return sqlite3_value_double(v) == 0.0;
    default:
        return false;
    }
}

void DivisorFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (IsZero(argv[0]))
        sqlite3_result_error(ctx, kDivisorIsZero, -1);
    else
        sqlite3_result_value(ctx, argv[0]);
}

void ModFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (IsZero(argv[1])) {
        sqlite3_result_value(ctx, argv[0]); // Oracle's mod(x, 0) is x
        return;
    }
    if (sqlite3_value_numeric_type(argv[0]) == SQLITE_INTEGER && sqlite3_value_numeric_type(argv[1]) == SQLITE_INTEGER)
        sqlite3_result_int64(ctx, platform::checked::Rem(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1])));
    else
        sqlite3_result_double(ctx, std::fmod(sqlite3_value_double(argv[0]), sqlite3_value_double(argv[1])));
}

} // namespace

void SqliteConnection::OperatorFunction(sqlite3_context* ctx, int, sqlite3_value**)
{
    const auto* self = static_cast<const SqliteConnection*>(sqlite3_user_data(ctx));
    sqlite3_result_text(ctx, self->operator_.constData(), int(self->operator_.size()), SQLITE_TRANSIENT);
}

namespace {

// The user the workstation runs as, and its machine: what the server's role and address are.
void RoleFunction(sqlite3_context* ctx, int, sqlite3_value**)
{
    static const QByteArray user = [] {
        QByteArray u = qgetenv("USER");
        if (u.isEmpty())
            u = qgetenv("USERNAME");
#ifndef _WIN32
        if (u.isEmpty())
            if (const passwd* pw = getpwuid(geteuid()))
                u = pw->pw_name;
#endif
        return u.isEmpty() ? QByteArray("?") : u;
    }();
    sqlite3_result_text(ctx, user.constData(), int(user.size()), SQLITE_STATIC);
}

void AddressFunction(sqlite3_context* ctx, int, sqlite3_value**)
{
    static const QByteArray host = QSysInfo::machineHostName().toUtf8();
    sqlite3_result_text(ctx, host.constData(), int(host.size()), SQLITE_STATIC);
}

} // namespace

SqliteConnection::SqliteConnection(const QString& path, int busyTimeoutMs) : path_(path)
{
#ifndef _WIN32
    // A new database file is its owner's alone: it holds the operators' password hashes.
    // SQLite gives its journal and WAL files the database file's permissions.
    if (!path.isEmpty() && path != u":memory:" && !path.startsWith(u"file:")) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
#endif
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        throw EDatabaseError(QStringLiteral("Cannot open the database %1: %2").arg(path, msg));
    }
    try {
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, busyTimeoutMs);
        Simple("PRAGMA journal_mode=WAL");
        Simple("PRAGMA synchronous=NORMAL");
        // Oracle's like tells upper from lower case.
        Simple("PRAGMA case_sensitive_like=ON");
        sqlite3_create_function_v2(db_, "jxc_nextval", 1, SQLITE_UTF8, this, NextvalFunction, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db_, "jxc_currval", 1, SQLITE_UTF8, this, CurrvalFunction, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db_, "jxc_to_date", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, ToDateFunction,
                                   nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db_, "jxc_to_date", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, ToDateFunction,
                                   nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db_, "jxc_divisor", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, DivisorFunction,
                                   nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db_, "jxc_mod", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, ModFunction, nullptr,
                                   nullptr, nullptr);
        // Who and where, for the audit trail's triggers.
        sqlite3_create_function_v2(db_, "jxc_operator", 0, SQLITE_UTF8, this, OperatorFunction, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db_, "jxc_session_role", 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, RoleFunction,
                                   nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db_, "jxc_session_address", 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   AddressFunction, nullptr, nullptr, nullptr);
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SqliteConnection::~SqliteConnection()
{
    if (inTransaction_)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    for (Statement* st : std::as_const(cache_)) {
        sqlite3_finalize(st->stmt);
        delete st;
    }
    sqlite3_finalize(sequenceStmt_);
    sqlite3_close_v2(db_);
}

void SqliteConnection::Fail(const QString& context) const
{
    QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    throw EDatabaseError(msg);
}

void SqliteConnection::Simple(const char* sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_free(err);
        throw EDatabaseError(msg);
    }
}

SqliteConnection::Statement* SqliteConnection::Prepare(const QString& sql, bool& temporary)
{
    temporary = false;
    // The same text as the last call (the lines of one bill): known without hashing it.
    if (last_ && !last_->busy && sql.size() == lastText_.size() && sql.constData() == lastText_.constData()
        && sql.data_ptr().isSharedWith(lastText_.data_ptr()))
        return last_;
    auto it = cache_.find(sql);
    if (it != cache_.end() && !it.value()->busy) {
        Remember(sql, it.value());
        return it.value();
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v3(db_, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &stmt, &tail) != SQLITE_OK)
        Fail({});
    if (!stmt)
        throw EDatabaseError(QStringLiteral("Empty SQL statement"));
    for (const char* p = tail; p && *p; ++p) {
        if (!QChar::isSpace(uchar(*p)) && *p != ';') {
            sqlite3_finalize(stmt);
            throw EDatabaseError(QStringLiteral("Only one statement can be sent at a time"));
        }
    }
    auto* st = new Statement;
    st->stmt = stmt;
    st->isDml = IsDmlText(sql);
    if (it != cache_.end()) {
        // The cached one is running (a statement issued while reading another's rows).
        temporary = true;
        return st;
    }
    if (cache_.size() >= MaxCachedStatements) {
        last_ = nullptr;
        lastText_.clear();
        for (auto i = cache_.begin(); i != cache_.end();) {
            if (i.value()->busy) {
                ++i;
                continue;
            }
            sqlite3_finalize(i.value()->stmt);
            delete i.value();
            i = cache_.erase(i);
        }
    }
    cache_.insert(OwnedText(sql), st);
    Remember(sql, st);
    return st;
}

void SqliteConnection::Remember(const QString& sql, Statement* st)
{
    // Only a text in memory of its own: holding it keeps its address from being reused for
    // another text, which a module's literal does not promise.
    if (!sql.data_ptr().isMutable())
        return;
    last_ = st;
    lastText_ = sql;
}

void SqliteConnection::Describe(Statement& st)
{
    const int ncol = sqlite3_column_count(st.stmt);
    st.columns = QVector<ResultColumn>(ncol);
    st.declared.assign(size_t(ncol), 0);
    st.undeclared = 0;
    st.settled.clear();
    for (int c = 0; c < ncol; ++c) {
        st.columns[c].name = QString::fromUtf8(sqlite3_column_name(st.stmt, c));
        if (auto t = TypeFromDecl(sqlite3_column_decltype(st.stmt, c))) {
            st.columns[c].type = *t;
            st.declared[c] = 1;
        } else {
            ++st.undeclared;
        }
    }
    st.described = true;
}

namespace {

// Rows read while expression columns still wait for their first value; raw[r][c] marks a value
// read before its column's type was known.
struct Lookahead {
    std::vector<std::vector<QVariant>> rows;
    std::vector<std::vector<char>> raw;
};

// Expression columns take the type of their first value; rows read meanwhile wait here.
Lookahead ReadAhead(sqlite3_stmt* s, int& rc, QVector<ResultColumn>& columns, int unknown, std::vector<char>& known,
                    platform::DateTextCache& dates)
{
    const int ncol = int(columns.size());
    Lookahead ahead;
    while (unknown > 0 && rc == SQLITE_ROW && int(ahead.rows.size()) < MaxLookahead) {
        std::vector<QVariant> row(static_cast<size_t>(ncol));
        std::vector<char> raw(size_t(ncol), 0);
        for (int c = 0; c < ncol; ++c) {
            if (known[c]) {
                row[c] = ReadValue(s, c, columns[c].type, dates);
                continue;
            }
            raw[c] = 1;
            row[c] = ReadRaw(s, c);
            if (sqlite3_column_type(s, c) != SQLITE_NULL) {
                columns[c].type = TypeFromValue(s, c);
                known[c] = 1;
                --unknown;
            }
        }
        ahead.rows.push_back(std::move(row));
        ahead.raw.push_back(std::move(raw));
        rc = sqlite3_step(s);
    }
    return ahead;
}

// Hands the rows read ahead to the sink, their raw values now of their column's type. False
// when the sink wants no more rows.
bool DeliverAhead(Lookahead& ahead, const QVector<ResultColumn>& columns, RowSink& sink)
{
    const int ncol = int(columns.size());
    for (size_t r = 0; r < ahead.rows.size(); ++r) {
        std::vector<QVariant>& row = ahead.rows[r];
        for (int c = 0; c < ncol; ++c) {
            if (!ahead.raw[r][c] || !row[c].isValid())
                continue;
            try {
                row[c] = platform::ConvertToFieldType(row[c], columns[c].type);
            } catch (const platform::EConvertError& e) {
                throw EDatabaseError(QStringLiteral("Column %1: %2").arg(columns[c].name, e.Message()));
            }
        }
        if (!sink.Row(row.data()))
            return false;
    }
    return true;
}

// The remaining rows straight into a dataset; rc is left at the step that ended them.
void LoadRows(platform::Dataset& ds, sqlite3_stmt* s, int& rc, const QVector<ResultColumn>& columns,
              platform::DateTextCache& dates)
{
    const int ncol = int(columns.size());
    while (rc == SQLITE_ROW) {
        try {
            for (int c = 0; c < ncol; ++c)
                LoadValue(ds, s, c, columns[c].type, dates);
            ds.EndRow();
        } catch (...) {
            ds.DropRow();
            throw;
        }
        rc = sqlite3_step(s);
    }
}

// The remaining rows to the sink, one at a time; rc is left at the step that ended them. False
// when the sink wants no more rows.
bool SinkRows(RowSink& sink, sqlite3_stmt* s, int& rc, const QVector<ResultColumn>& columns,
              platform::DateTextCache& dates)
{
    const int ncol = int(columns.size());
    // A row of a few columns lives on the stack.
    constexpr int StackColumns = 8;
    QVariant stackRow[StackColumns];
    std::vector<QVariant> heapRow(ncol > StackColumns ? size_t(ncol) : 0);
    QVariant* row = ncol > StackColumns ? heapRow.data() : stackRow;
    while (rc == SQLITE_ROW) {
        for (int c = 0; c < ncol; ++c)
            row[c] = ReadValue(s, c, columns[c].type, dates);
        if (!sink.Row(row))
            return false;
        rc = sqlite3_step(s);
    }
    return true;
}

} // namespace

qint64 SqliteConnection::StepToEnd(Statement& st, int rc, int ncol)
{
    sqlite3_stmt* s = st.stmt;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(s);
    if (rc != SQLITE_DONE)
        Fail({});
    // A schema change (create, alter, drop) may give cached statements other columns.
    if (ncol == 0 && !st.isDml && !sqlite3_stmt_readonly(s))
        for (Statement* cached : std::as_const(cache_))
            cached->described = false;
    return ncol == 0 && st.isDml ? qint64(sqlite3_changes64(db_)) : -1;
}

int SqliteConnection::SettleOnFirstRow(Statement& st, bool onRow, QVector<ResultColumn>& columns,
                                       std::vector<char>& known)
{
    sqlite3_stmt* s = st.stmt;
    const int ncol = int(columns.size());
    if (st.undeclared == 0)
        return 0;
    // Most expressions (counts, sums, nvl) have a value on the first row: their types come
    // from it and no row has to wait.
    bool settled = onRow;
    for (int c = 0; settled && c < ncol; ++c)
        settled = st.declared[c]
            || (sqlite3_column_type(s, c) != SQLITE_NULL && TypeFromValue(s, c) != FieldType::DateTime);
    if (!settled) {
        known = st.declared;
        return st.undeclared;
    }
    // The same types as on the statement's last run share that run's column list.
    bool same = int(st.settled.size()) == ncol;
    for (int c = 0; same && c < ncol; ++c)
        same = st.declared[c] || st.settled[c].type == TypeFromValue(s, c);
    if (!same) {
        st.settled = st.columns;
        for (int c = 0; c < ncol; ++c)
            if (!st.declared[c])
                st.settled[c].type = TypeFromValue(s, c);
    }
    columns = st.settled;
    return 0;
}

qint64 SqliteConnection::ReadRows(Statement& st, int rc, int ncol, RowSink& sink)
{
    sqlite3_stmt* s = st.stmt;
    // A schema change recompiles the statement: its columns are read again when their count moved.
    if (!st.described || int(st.columns.size()) != ncol)
        Describe(st);
    QVector<ResultColumn> columns = st.columns; // shared until an expression's type is learnt
    std::vector<char> known;
    const int unknown = SettleOnFirstRow(st, rc == SQLITE_ROW, columns, known);
    platform::DateTextCache dates;
    Lookahead ahead = ReadAhead(s, rc, columns, unknown, known, dates);
    sink.Columns(columns);
    if (!DeliverAhead(ahead, columns, sink))
        return -1;
    if (platform::Dataset* ds = sink.Target())
        LoadRows(*ds, s, rc, columns, dates);
    else if (!SinkRows(sink, s, rc, columns, dates))
        return -1;
    if (rc != SQLITE_DONE)
        Fail({});
    return -1;
}

qint64 SqliteConnection::ExecNative(const QString& sql, const QVector<QVariant>& params, RowSink* sink)
{
    bool temporary = false;
    Statement* st = Prepare(sql, temporary);
    sqlite3_stmt* s = st->stmt;
    st->busy = true;
    struct Done {
        Statement* st;
        bool temporary;
        qsizetype boundBytes = 0;
        ~Done()
        {
            sqlite3_reset(st->stmt);
            if (boundBytes > MaxKeptBindingBytes)
                sqlite3_clear_bindings(st->stmt);
            st->busy = false;
            if (temporary) {
                sqlite3_finalize(st->stmt);
                delete st;
            }
        }
    } done{st, temporary};

    const int expected = sqlite3_bind_parameter_count(s);
    if (expected != params.size())
        throw EDatabaseError(QStringLiteral("The statement takes %1 parameters, %2 given").arg(expected).arg(params.size()));
    for (int i = 0; i < params.size(); ++i)
        done.boundBytes += BindValue(s, i + 1, params[i]);

    const int rc = sqlite3_step(s);
    const int ncol = sqlite3_column_count(s);
    if (ncol == 0 || !sink)
        return StepToEnd(*st, rc, ncol);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        Fail({});
    return ReadRows(*st, rc, ncol, *sink);
}

void SqliteConnection::BeginWrite()
{
    if (inTransaction_)
        throw EDatabaseError(QStringLiteral("A writer transaction is already open on this connection"));
    // IMMEDIATE takes the write lock now; a second workstation waits (busy timeout) here
    // instead of failing later in the middle of its work.
    Simple("BEGIN IMMEDIATE");
    inTransaction_ = true;
}

void SqliteConnection::Commit()
{
    if (!inTransaction_)
        throw EDatabaseError(QStringLiteral("No transaction to commit"));
    char* err = nullptr;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_free(err);
        if (!sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        inTransaction_ = false;
        throw EDatabaseError(QStringLiteral("The changes could not be committed: ") + msg);
    }
    inTransaction_ = false;
}

void SqliteConnection::Rollback()
{
    if (!inTransaction_)
        return;
    inTransaction_ = false;
    if (!sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

qint64 SqliteConnection::SequenceStep(const QString& name)
{
    const QString key = name.trimmed().toUpper();
    if (!sequenceStmt_) {
        const char* sql = "UPDATE sys_sequence SET SequenceValue = SequenceValue + 1 WHERE SequenceName = ?1 RETURNING SequenceValue";
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &sequenceStmt_, nullptr) != SQLITE_OK) {
            sequenceStmt_ = nullptr;
            Fail(QStringLiteral("Sequence %1").arg(key));
        }
    }
    sqlite3_stmt* s = sequenceStmt_;
    struct Reset {
        sqlite3_stmt* s;
        ~Reset() { sqlite3_reset(s); }
    } reset{s};
    const QByteArray k = key.toUtf8();
    sqlite3_bind_text(s, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
    int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE)
        throw EDatabaseError(QStringLiteral("Sequence %1 does not exist").arg(key));
    if (rc != SQLITE_ROW)
        Fail(QStringLiteral("Sequence %1").arg(key));
    const qint64 v = sqlite3_column_int64(s, 0);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(s);
    if (rc != SQLITE_DONE)
        Fail(QStringLiteral("Sequence %1").arg(key));
    current_[key] = v;
    return v;
}

qint64 SqliteConnection::SequenceCurrent(const QString& name) const
{
    const QString key = name.trimmed().toUpper();
    auto it = current_.find(key);
    if (it == current_.end())
        throw EDatabaseError(QStringLiteral("Sequence %1: currval is not yet defined in this session").arg(key));
    return it.value();
}

qint64 SqliteConnection::NextSequenceValue(const QString& name)
{
    if (inTransaction_)
        return SequenceStep(name);
    BeginWrite();
    try {
        const qint64 v = SequenceStep(name);
        Commit();
        return v;
    } catch (...) {
        Rollback();
        throw;
    }
}

} // namespace host::db
