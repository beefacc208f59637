#include "host/db/engines/PgConnection.h"

#include "host/db/dialect/Dialect.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

#include <QFile>
#include <charconv>
#include <libpq-fe.h>
#include <vector>

namespace host::db {

using platform::Currency;
using platform::EDatabaseError;
using platform::FieldType;

namespace {

constexpr int MaxPrepared = 500;

// Type OIDs of the catalogue (pg_type.h); stable across server versions.
enum : Oid {
    BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, OidOid = 26,
    Float4Oid = 700, Float8Oid = 701, DateOid = 1082, TimestampOid = 1114, TimestampTzOid = 1184,
    NumericOid = 1700
};

struct Result {
    PGresult* r;
    ~Result() { PQclear(r); }
};

FieldType TypeOf(Oid oid, int mod)
{
    switch (oid) {
    case BoolOid: case Int8Oid: case Int2Oid: case Int4Oid: case OidOid:
        return FieldType::Integer;
    case Float4Oid: case Float8Oid:
        return FieldType::Float;
    case DateOid: case TimestampOid: case TimestampTzOid:
        return FieldType::DateTime;
    case NumericOid: {
        if (mod < 4)
            return FieldType::Float; // unconstrained: sums, differences, literals
        const int scale = (mod - 4) & 0xffff;
        if (scale == 4)
            return FieldType::Currency; // the money columns are numeric(18,4)
        return scale == 0 ? FieldType::Integer : FieldType::Float;
    }
    default:
        return FieldType::Text;
    }
}

// Exact decimal text with at most 4 decimals straight to a currency; longer text falls back.
std::optional<Currency> ParseCurrency(const char* s, int n)
{
    int i = 0;
    bool neg = false;
    if (i < n && (s[i] == '-' || s[i] == '+'))
        neg = s[i++] == '-';
    int64_t whole = 0;
    int digits = 0;
    for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
        if (digits > 14)
            return Currency::Parse(QString::fromLatin1(s, n));
        whole = whole * 10 + (s[i] - '0');
    }
    int64_t frac = 0;
    int fd = 0;
    if (i < n && s[i] == '.') {
        for (++i; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++fd) {
            if (fd >= 4)
                return Currency::Parse(QString::fromLatin1(s, n));
            frac = frac * 10 + (s[i] - '0');
        }
    }
    if (i != n || (digits == 0 && fd == 0))
        return Currency::Parse(QString::fromLatin1(s, n));
    for (; fd < 4; ++fd)
        frac *= 10;
    const int64_t raw = whole * Currency::Scale + frac;
    return Currency::FromRaw(neg ? -raw : raw);
}

QVariant ReadValue(const char* s, int n, FieldType type, Oid oid, const char* column, platform::DateTextCache& dates)
{
    auto bad = [&]() -> QVariant {
        throw EDatabaseError(QStringLiteral("Column %1 holds '%2', which is not a valid %3 value")
                                 .arg(QString::fromUtf8(column), QString::fromUtf8(s, n), platform::FieldTypeName(type)));
    };
    switch (type) {
    case FieldType::Integer: {
        if (oid == BoolOid)
            return qlonglong(s[0] == 't' ? 1 : 0);
        long long v = 0;
        auto r = std::from_chars(s, s + n, v);
        if (r.ec == std::errc() && r.ptr == s + n)
            return qlonglong(v);
        // numeric(p,0) beyond 64 bits, or a trailing ".0"
        double d = 0;
        auto rd = std::from_chars(s, s + n, d);
        if (rd.ec == std::errc() && rd.ptr == s + n)
            return qlonglong(std::llround(d));
        return bad();
    }
    case FieldType::Float: {
        double v = 0;
        auto r = std::from_chars(s, s + n, v);
        if (r.ec == std::errc() && r.ptr == s + n)
            return v;
        return bad();
    }
    case FieldType::Currency:
        if (auto c = ParseCurrency(s, n))
            return QVariant::fromValue(*c);
        return bad();
    case FieldType::DateTime: {
        QDateTime dt = dates.Parse(s, n);
        if (dt.isValid())
            return dt;
        // timestamptz carries its offset: show it in local time.
        QString iso = QString::fromLatin1(s, n);
        iso.replace(u' ', u'T');
        if (iso.size() > 3 && (iso[iso.size() - 3] == u'+' || iso[iso.size() - 3] == u'-'))
            iso += QStringLiteral(":00");
        dt = QDateTime::fromString(iso, Qt::ISODateWithMs);
        if (dt.isValid())
            return dt.toLocalTime();
        return {}; // infinity and the like have no date
    }
    case FieldType::Text:
        return QString::fromUtf8(s, n);
    }
    return {};
}

bool IsPreparable(const QByteArray& sql)
{
    int i = 0;
    while (i < sql.size() && (QChar::isSpace(uchar(sql[i])) || sql[i] == '('))
        ++i;
    const QByteArray head = sql.mid(i, 7).toLower();
    return head.startsWith("select") || head.startsWith("insert") || head.startsWith("update")
        || head.startsWith("delete") || head.startsWith("with") || head.startsWith("values");
}

void IgnoreNotice(void*, const char*) {}

} // namespace

namespace {

QString RefusalText()
{
    return QStringLiteral("连接其他主机上的数据库服务器须使用经过验证的 TLS 加密连接：请用 --db-ca 指定签发服务器证书的 CA "
                          "证书文件；确实要不加验证地连接时，请加 --db-insecure。");
}

bool IsLocalHost(const QString& host)
{
    const QString h = host.trimmed();
    return h.isEmpty() || h.startsWith(u'/') || h.startsWith(u'@') || h.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
        || h == QLatin1String("127.0.0.1") || h == QLatin1String("::1");
}

// The connection's keywords and values as libpq reads them, with the policy applied.
struct ConnectionParams {
    std::vector<QByteArray> keys, values;
    bool local = true;
    bool verified = false;

    QByteArray Get(const char* key) const
    {
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key)
                return values[i];
        return {};
    }
    void Set(const char* key, const QByteArray& value)
    {
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key) {
                values[i] = value;
                return;
            }
        keys.emplace_back(key);
        values.push_back(value);
    }
};

ConnectionParams ApplyPolicy(const QString& conninfo, const TransportPolicy& policy)
{
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
    if (!options) {
        const QString why = error ? QString::fromUtf8(error).trimmed() : QStringLiteral("out of memory");
        PQfreemem(error);
        throw EDatabaseError(QStringLiteral("Cannot read the connection text: ") + why);
    }
    ConnectionParams p;
    for (PQconninfoOption* o = options; o->keyword; ++o)
        if (o->val) {
            p.keys.emplace_back(o->keyword);
            p.values.emplace_back(o->val);
        }
    PQconninfoFree(options);

    // Every host a connection may try must be this machine for it to count as local.
    QByteArray hosts = p.Get("host");
    if (hosts.isEmpty() && p.Get("service").isEmpty())
        hosts = qgetenv("PGHOST");
    for (const QByteArray& h : hosts.split(','))
        p.local = p.local && IsLocalHost(QString::fromUtf8(h));
    for (const QByteArray& a : p.Get("hostaddr").split(','))
        p.local = p.local && (a.trimmed().isEmpty() || IsLocalHost(QString::fromUtf8(a)));
    const QByteArray mode = p.Get("sslmode");
    p.verified = mode == "verify-ca" || mode == "verify-full";
    if (!policy.caFile.isEmpty()) {
        p.Set("sslrootcert", QFile::encodeName(policy.caFile));
        if (mode != "verify-full")
            p.Set("sslmode", "verify-full");
        p.verified = true;
    } else if (!p.local && !p.verified && !p.Get("sslrootcert").isEmpty()) {
        p.Set("sslmode", "verify-full"); // an authority named in the connection text is used
        p.verified = true;
    }
    if (!p.local && !p.verified && !policy.insecure)
        throw EDatabaseError(RefusalText());
    return p;
}

} // namespace

PgConnection::PgConnection(const QString& conninfo, const TransportPolicy& policy)
{
    const ConnectionParams params = ApplyPolicy(conninfo, policy);
    std::vector<const char*> keys, values;
    for (size_t i = 0; i < params.keys.size(); ++i) {
        keys.push_back(params.keys[i].constData());
        values.push_back(params.values[i].constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
        const QString msg = conn_ ? QString::fromUtf8(PQerrorMessage(conn_)).trimmed() : QStringLiteral("out of memory");
        PQfinish(conn_);
        conn_ = nullptr;
        throw EDatabaseError(QStringLiteral("Cannot connect to the database server: ") + msg);
    }
    // What the connection became, a service file's settings included, decides in the end.
    bool local = params.local, verified = params.verified;
    if (PQconninfoOption* effective = PQconninfo(conn_)) {
        for (PQconninfoOption* o = effective; o->keyword; ++o) {
            const QByteArray key(o->keyword), value(o->val ? o->val : "");
            if (key == "sslmode")
                verified = value == "verify-ca" || value == "verify-full";
        }
        PQconninfoFree(effective);
    }
    if (const char* host = PQhost(conn_))
        local = local && IsLocalHost(QString::fromUtf8(host));
    verified = verified && PQsslInUse(conn_);
    if (!local && !verified && !policy.insecure) {
        PQfinish(conn_);
        conn_ = nullptr;
        throw EDatabaseError(RefusalText());
    }
    transport_ = verified ? Transport::Verified : local ? Transport::Local : Transport::Unverified;
    // "relation already exists, skipping" and the like are not for the user.
    PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
    try {
        StartSession();
    } catch (...) {
        PQfinish(conn_);
        conn_ = nullptr;
        throw;
    }
}

void PgConnection::StartSession()
{
    if (PQsetClientEncoding(conn_, "UTF8") != 0)
        throw EDatabaseError(QString::fromUtf8(PQerrorMessage(conn_)).trimmed());
    Simple("SET DateStyle = ISO");
    for (const QByteArray& set : settings_)
        Simple(set.constData());
    if (!token_.isEmpty())
        PresentToken();
}

void PgConnection::PresentToken()
{
    // As a parameter: the secret never stands in a statement's text, which the server's
    // activity view and logs may show.
    const char* values[] = {token_.constData()};
    Result r{PQexecParams(conn_, "SELECT set_config('jxc.session', $1, false)", 1, nullptr, values, nullptr, nullptr, 0)};
    if (PQresultStatus(r.r) != PGRES_TUPLES_OK)
        Fail(r.r);
}

bool PgConnection::Alive()
{
    if (PQstatus(conn_) != CONNECTION_OK)
        return false;
    // A server that shut down sent its farewell and closed the socket while the connection sat
    // idle: the first read takes the message, the second meets the end of the stream. On a live
    // connection both find nothing to read and return at once.
    for (int i = 0; i < 2; ++i) {
        if (!PQconsumeInput(conn_))
            return false;
        PQisBusy(conn_); // parses what arrived: a fatal notice from the server marks the link bad
    }
    return PQstatus(conn_) == CONNECTION_OK;
}

void PgConnection::EnsureConnected()
{
    if (Alive())
        return;
    // Everything bound to the lost session went with it; its settings are made again.
    prepared_.clear();
    seen_.clear();
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK)
        throw EDatabaseError(QStringLiteral("Cannot connect to the database server: ")
                             + QString::fromUtf8(PQerrorMessage(conn_)).trimmed());
    StartSession();
}

void PgConnection::RememberSetting(const QByteArray& sql)
{
    // "SET name TO value" / "SET name = value" for the session (not SET LOCAL, not a transaction's).
    QByteArray t = sql.trimmed();
    while (t.endsWith(';'))
        t.chop(1);
    const QList<QByteArray> words = t.simplified().split(' ');
    if (words.size() < 3 || words[0].toLower() != "set")
        return;
    const QByteArray name = words[1].toLower();
    if (name == "local" || name == "transaction" || name == "session" || name == "constraints" || name == "role")
        return;
    settings_.removeIf([&](const QByteArray& s) { return s.simplified().split(' ').value(1).toLower() == name; });
    settings_.push_back(t);
}

PgConnection::~PgConnection()
{
    if (conn_)
        PQfinish(conn_); // an open transaction ends with the session, rolled back
}

void PgConnection::Fail(PGresult* r) const
{
    QString msg, state, first, context;
    int position = 0;
    if (r) {
        const char* primary = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
        msg = primary ? QString::fromUtf8(primary) : QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        first = msg;
        if (const char* detail = PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL))
            msg += u'\n' + QString::fromUtf8(detail);
        if (const char* code = PQresultErrorField(r, PG_DIAG_SQLSTATE))
            state = QString::fromLatin1(code);
        if (const char* where = PQresultErrorField(r, PG_DIAG_CONTEXT))
            context = QString::fromUtf8(where);
        if (const char* at = PQresultErrorField(r, PG_DIAG_STATEMENT_POSITION))
            position = QByteArray(at).toInt();
    }
    if (msg.isEmpty())
        msg = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
    if (msg.isEmpty())
        msg = QStringLiteral("The database server did not answer");
    throw EServerError(msg, state, first, context, position);
}

void PgConnection::Simple(const char* sql)
{
    Result r{PQexec(conn_, sql)};
    const auto st = PQresultStatus(r.r);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
        Fail(r.r);
}

qint64 PgConnection::ExecNative(const QString& sql, const QVector<QVariant>& params, RowSink* sink)
{
    const QByteArray text = sql.toUtf8();
    if (inTransaction_) {
        if (!begun_ && Begin(text)) {
            // One round trip, as a simple query (two statements in one message); the block
            // takes the lock first.
            Result r{PQexec(conn_, QByteArray("BEGIN; ").append(text).constData())};
            if (PQresultStatus(r.r) != PGRES_COMMAND_OK)
                Fail(r.r);
            return -1;
        }
        return Exec(text, params, sink);
    }
    // Outside a transaction a lost connection (the server restarted since the last command) is
    // opened again first. A query caught by a restart in flight is asked again once: it changed
    // nothing. Any other command reports the server's message; the next one reconnects.
    EnsureConnected();
    try {
        const qint64 n = Exec(text, params, sink);
        if (sink == nullptr && text.size() > 4 && text.left(4).toLower() == "set ")
            RememberSetting(text);
        return n;
    } catch (const EDatabaseError&) {
        if (PQstatus(conn_) == CONNECTION_OK || !text.trimmed().toLower().startsWith("select"))
            throw;
    }
    EnsureConnected();
    return Exec(text, params, sink);
}

namespace {

// A statement's values as libpq takes them: text, and a type where the server should not infer one.
struct Params {
    std::vector<Oid> types;
    std::vector<QByteArray> values;
    std::vector<const char*> ptrs; // into values; null for a null value
};

Params EncodeParams(const QVector<QVariant>& params)
{
    const int n = int(params.size());
    Params p;
    p.types.assign(size_t(n), 0);
    p.values.resize(static_cast<size_t>(n));
    p.ptrs.assign(size_t(n), nullptr);
    for (int i = 0; i < n; ++i) {
        const QVariant& v = params[i];
        switch (KindOfParam(v)) {
        case ParamKind::Null:
            continue; // null, type left to the server
        case ParamKind::Currency:
            p.types[i] = NumericOid;
            p.values[i] = v.value<Currency>().ToString().toLatin1();
            break;
        case ParamKind::Integer:
            p.types[i] = Int8Oid;
            p.values[i] = QByteArray::number(v.toLongLong());
            break;
        case ParamKind::Float:
            p.types[i] = Float8Oid;
            p.values[i] = QByteArray::number(v.toDouble(), 'g', 17);
            break;
        case ParamKind::DateTime:
            p.types[i] = TimestampOid;
            p.values[i] = ParamDateText(v).toLatin1();
            break;
        case ParamKind::Bytes:
        case ParamKind::Text:
            p.values[i] = v.toString().toUtf8(); // the server infers the type from the use
            break;
        }
        p.ptrs[i] = p.values[i].constData();
    }
    return p;
}

// The rows a command changed, as its tag tells them; -1 for a command that is no DML.
qint64 ChangedRows(PGresult* r)
{
    const char* tag = PQcmdStatus(r);
    const QByteArray t(tag ? tag : "");
    if (t.startsWith("INSERT") || t.startsWith("UPDATE") || t.startsWith("DELETE") || t.startsWith("MERGE"))
        return QByteArray(PQcmdTuples(r)).toLongLong();
    return -1;
}

// One value straight into a dataset of the result's types: texts and plain timestamps without a
// QVariant, the rest as ReadValue reads them.
void LoadValue(platform::Dataset& ds, PGresult* r, int i, int c, FieldType type, Oid oid, platform::DateTextCache& dates)
{
    if (PQgetisnull(r, i, c)) {
        ds.LoadNull(c);
        return;
    }
    const char* s = PQgetvalue(r, i, c);
    const int n = PQgetlength(r, i, c);
    if (type == FieldType::Text) {
        ds.LoadText(c, s, n);
        return;
    }
    QDate date;
    int msecs = 0;
    if (type == FieldType::DateTime && platform::ParseCanonicalWallClock(s, n, date, msecs)) {
        ds.LoadDateTime(c, date, msecs);
        return;
    }
    ds.LoadValue(c, ReadValue(s, n, type, oid, PQfname(r, c), dates));
}

void LoadRows(platform::Dataset& ds, PGresult* r, const std::vector<Oid>& oids, const QVector<ResultColumn>& columns)
{
    platform::DateTextCache dates;
    const int rows = PQntuples(r), ncol = int(columns.size());
    for (int i = 0; i < rows; ++i) {
        try {
            for (int c = 0; c < ncol; ++c)
                LoadValue(ds, r, i, c, columns[c].type, oids[size_t(c)], dates);
            ds.EndRow();
        } catch (...) {
            ds.DropRow();
            throw;
        }
    }
}

// The columns and rows of a result, typed from the columns' type OIDs, until the sink wants no more.
void DeliverRows(PGresult* r, RowSink& sink)
{
    const int ncol = PQnfields(r);
    QVector<ResultColumn> columns(ncol);
    std::vector<Oid> oids(static_cast<size_t>(ncol));
    for (int c = 0; c < ncol; ++c) {
        columns[c].name = QString::fromUtf8(PQfname(r, c));
        oids[c] = PQftype(r, c);
        columns[c].type = TypeOf(oids[c], PQfmod(r, c));
    }
    sink.Columns(columns);
    const int rows = PQntuples(r);
    sink.SizeHint(rows);
    if (platform::Dataset* ds = sink.Target()) {
        LoadRows(*ds, r, oids, columns);
        return;
    }
    platform::DateTextCache dates;
    std::vector<QVariant> row(static_cast<size_t>(ncol));
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < ncol; ++c) {
            if (PQgetisnull(r, i, c))
                row[c] = QVariant();
            else
                row[c] = ReadValue(PQgetvalue(r, i, c), PQgetlength(r, i, c), columns[c].type, oids[c], PQfname(r, c), dates);
        }
        if (!sink.Row(row.data()))
            break;
    }
}

} // namespace

PGresult* PgConnection::Send(const QByteArray& text, const QVector<QVariant>& params)
{
    const int n = int(params.size());
    const Params p = EncodeParams(params);
    QByteArray key;
    if (IsPreparable(text)) {
        key = text;
        key += '\0';
        key.append(reinterpret_cast<const char*>(p.types.data()), int(p.types.size() * sizeof(Oid)));
    }
    auto it = key.isEmpty() ? prepared_.constEnd() : prepared_.constFind(key);
    if (it == prepared_.constEnd() && !key.isEmpty() && seen_.contains(key)) {
        // Prepared on the second use: most statements carry their values as literals and are
        // sent once, where preparing would only cost a round trip.
        if (prepared_.size() >= MaxPrepared && PQtransactionStatus(conn_) == PQTRANS_IDLE) {
            Simple("DEALLOCATE ALL");
            prepared_.clear();
        }
        const QByteArray name = "jxc_" + QByteArray::number(++nextName_);
        Result prep{PQprepare(conn_, name.constData(), text.constData(), n, p.types.data())};
        if (PQresultStatus(prep.r) != PGRES_COMMAND_OK)
            Fail(prep.r);
        it = prepared_.insert(key, name);
        seen_.remove(key);
    }
    if (it != prepared_.constEnd())
        return PQexecPrepared(conn_, it.value().constData(), n, p.ptrs.data(), nullptr, nullptr, 0);
    if (!key.isEmpty()) {
        if (seen_.size() >= MaxPrepared * 4)
            seen_.clear();
        seen_.insert(key);
    }
    return PQexecParams(conn_, text.constData(), n, p.types.data(), p.ptrs.data(), nullptr, nullptr, 0);
}

qint64 PgConnection::Exec(const QByteArray& text, const QVector<QVariant>& params, RowSink* sink)
{
    Result r{Send(text, params)};
    const auto status = PQresultStatus(r.r);
    if (status == PGRES_COMMAND_OK)
        return ChangedRows(r.r);
    if (status != PGRES_TUPLES_OK)
        Fail(r.r);
    if (sink)
        DeliverRows(r.r, *sink);
    return -1;
}

void PgConnection::BeginWrite()
{
    if (inTransaction_)
        throw EDatabaseError(QStringLiteral("A writer transaction is already open on this connection"));
    EnsureConnected();
    // Every writer transaction first takes one transaction-level advisory lock, so writers of
    // all workstations run one after the other and each sees what the previous one committed
    // (read committed takes a fresh snapshot per statement, after the lock). Serializable
    // isolation was not chosen: it lets the second writer run and then fails it, and the module
    // never retries; queueing is also what the embedded engine does. Readers are never blocked.
    // The key is per schema, so separate databases on one server do not wait for each other.
    // BEGIN and the lock travel with the transaction's first command (see Begun), so a
    // transaction that is one block costs the server BEGIN, the block and COMMIT.
    inTransaction_ = true;
    begun_ = false;
}

bool PgConnection::Begin(const QByteArray& first)
{
    begun_ = true;
    if (first.startsWith("DO ") && first.contains(WriterLock))
        return true; // sent as "BEGIN; DO ..." by the caller
    Result r{PQexec(conn_, QByteArray("BEGIN; SELECT ").append(WriterLock).constData())};
    const auto st = PQresultStatus(r.r);
    if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK) {
        PQclear(PQexec(conn_, "ROLLBACK"));
        inTransaction_ = false;
        Fail(r.r);
    }
    return false;
}

void PgConnection::Commit()
{
    if (!inTransaction_)
        throw EDatabaseError(QStringLiteral("No transaction to commit"));
    inTransaction_ = false;
    if (!begun_)
        return; // nothing was sent
    if (PQtransactionStatus(conn_) == PQTRANS_INERROR) {
        PQclear(PQexec(conn_, "ROLLBACK"));
        throw EDatabaseError(QStringLiteral("The transaction failed earlier and was rolled back"));
    }
    Result r{PQexec(conn_, "COMMIT")};
    if (PQresultStatus(r.r) != PGRES_COMMAND_OK)
        Fail(r.r);
    // A failed transaction answers COMMIT with ROLLBACK and no error: that is no success.
    if (qstrcmp(PQcmdStatus(r.r), "ROLLBACK") == 0)
        throw EDatabaseError(QStringLiteral("The transaction failed and was rolled back"));
}

void PgConnection::Rollback()
{
    if (!inTransaction_)
        return;
    inTransaction_ = false;
    if (begun_)
        PQclear(PQexec(conn_, "ROLLBACK"));
}

qint64 PgConnection::NextSequenceValue(const QString& name)
{
    if (!inTransaction_)
        EnsureConnected();
    else if (!begun_)
        Begin(QByteArray());
    const QByteArray n = name.trimmed().toUtf8();
    const char* values[] = {n.constData()};
    Result r{PQexecParams(conn_, "SELECT nextval($1)", 1, nullptr, values, nullptr, nullptr, 0)};
    if (PQresultStatus(r.r) != PGRES_TUPLES_OK)
        Fail(r.r);
    return QByteArray(PQgetvalue(r.r, 0, 0)).toLongLong();
}

void PgConnection::SetSessionToken(const QString& token)
{
    token_ = token.toUtf8();
    if (!inTransaction_)
        EnsureConnected();
    PresentToken();
}

void PgConnection::SetSessionOperator(const QString& operatorCode)
{
    QString quoted = operatorCode;
    quoted.replace(u'\'', QLatin1String("''")); // allowed: a setting's value written as a literal
    ExecNative(QStringLiteral("SET jxc.operator TO '%1'").arg(quoted), {}, nullptr);
}

} // namespace host::db
