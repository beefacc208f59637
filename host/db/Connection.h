#pragma once
// The engine seam of the database service. Nothing above host/db knows which engine runs:
// the service takes Oracle-dialect text, translates it once per engine (dialect/) or runs it as
// a block (blocks/), and sends it here. The engines live in engines/.
// No UI in this layer; every failure throws platform::EDatabaseError. Dates are read as local
// time; reading many is fast only in a program whose main pinned the zone
// (platform/core/LocalZone.h).
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

namespace host::db {

// The text in memory of its own. Caches that outlive the call keep their texts this way: a
// module's literal points into the module, which may be unloaded while the cache lives on.
inline QString OwnedText(const QString& text) { return QString(text.constData(), text.size()); }

enum class Engine { SQLite, PostgreSQL };

// An error the server reported, with what a caller needs to place it: the SQLSTATE, the
// primary message alone, and the context lines ("PL/pgSQL function ... line N at ...") of a
// server-side block. Message() is what any other database error shows.
class EServerError : public platform::EDatabaseError {
public:
    EServerError(QString message, QString sqlState, QString primary, QString context, int position)
        : EDatabaseError(std::move(message)), sqlState_(std::move(sqlState)), primary_(std::move(primary)),
          context_(std::move(context)), position_(position)
    {
    }
    const QString& SqlState() const { return sqlState_; }
    const QString& Primary() const { return primary_; }
    const QString& Context() const { return context_; }
    // Where in the statement text the server stopped reading (characters, from 1); 0 unknown.
    int Position() const { return position_; }

private:
    QString sqlState_, primary_, context_;
    int position_ = 0;
};

struct ResultColumn {
    QString name;
    platform::FieldType type = platform::FieldType::Text;
};

// Receives the rows of one statement. Values arrive typed as the columns say (qlonglong,
// double, platform::Currency, QString, QDateTime; invalid QVariant for null).
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void Columns(const QVector<ResultColumn>& columns) = 0;
    // false stops the statement early.
    virtual bool Row(QVariant* values) = 0;
    // The number of rows to come, when the engine knows it before the first (after Columns).
    virtual void SizeHint(qint64 rows) {}
    // A sink that keeps every row in a dataset of the columns' types names it (after Columns):
    // an engine may then load the values straight into it instead of calling Row.
    virtual platform::Dataset* Target() { return nullptr; }
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual Engine GetEngine() const = 0;
    // One statement in the engine's own dialect with positional parameters (?1.. / $1..).
    // Returns the rows affected for DML, -1 otherwise. Prepared statements are cached by text.
    virtual qint64 ExecNative(const QString& sql, const QVector<QVariant>& params, RowSink* sink) = 0;
    // A writer transaction: two workstations' writer transactions never interleave.
    virtual void BeginWrite() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual bool InTransaction() const = 0;
    // The next value of a database sequence (SEQ_JXCID).
    virtual qint64 NextSequenceValue(const QString& name) = 0;
    // The operator logged in on this workstation, whom the audit trail names for every change
    // made through the connection from now on (also after a reconnect).
    virtual void SetSessionOperator(const QString& operatorCode) { (void)operatorCode; }
    // The secret a server's login handed out, which binds the session to its operator; held for
    // the connection's life and presented again after a reconnect.
    virtual void SetSessionToken(const QString& token) { (void)token; }
};

// How a connection to a database server must be secured. A server on another host is reached
// only over TLS with its certificate verified against a certificate authority (libpq's
// verify-full), unless insecure says otherwise; a server on this machine (a socket folder,
// localhost, 127.0.0.1, ::1) may be reached without. SQLite files are local.
struct TransportPolicy {
    QString caFile;        // the authority's certificate file; verify-full against it wherever given
    bool insecure = false; // a server on another host without verified TLS is allowed
};

// Opens "sqlite:PATH", a bare file path, or "postgresql://..." / "postgres://..." / a libpq
// "key=value" string. Throws EDatabaseError, also when the policy refuses the connection.
std::unique_ptr<Connection> Open(const QString& target, const TransportPolicy& policy = {});

} // namespace host::db
