#pragma once
// The server engine: PostgreSQL through libpq. Statements are prepared once per text and
// parameter types (from its second use); results come back as text and are typed from the column's type OID and
// numeric scale. Writer transactions are serialised by a transaction-level advisory lock. A
// connection the server dropped (a restart) is opened again by the next command outside a transaction.
#include "host/db/Connection.h"

#include <QHash>
#include <QSet>

struct pg_conn;
struct pg_result;

namespace host::db {

class PgConnection final : public Connection {
public:
    // conninfo: "key=value ..." or a postgresql:// URI. Throws EDatabaseError, also when the
    // policy refuses it (another host without verified TLS).
    explicit PgConnection(const QString& conninfo, const TransportPolicy& policy = {});

    // How the link to the server is secured, as the status bar tells it.
    enum class Transport { Local, Verified, Unverified };
    Transport GetTransport() const { return transport_; }
    ~PgConnection() override;

    Engine GetEngine() const override { return Engine::PostgreSQL; }
    qint64 ExecNative(const QString& sql, const QVector<QVariant>& params, RowSink* sink) override;
    void BeginWrite() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override { return inTransaction_; }
    qint64 NextSequenceValue(const QString& name) override;
    // A session setting (jxc.operator) the server's audit trigger reads; made again after a reconnect.
    void SetSessionOperator(const QString& operatorCode) override;
    void SetSessionToken(const QString& token) override;

    pg_conn* Handle() const { return conn_; }

    // The writer transaction's lock. A block that takes it as its first statement is sent with
    // BEGIN as the transaction's first command, and the lock is not taken separately.
    static constexpr const char WriterLock[] = "pg_advisory_xact_lock(1246187843, hashtext(coalesce(current_schema(), '')))";

private:
    qint64 Exec(const QByteArray& text, const QVector<QVariant>& params, RowSink* sink);
    // Sends a statement with its values, prepared from its second use; the caller clears the result.
    pg_result* Send(const QByteArray& text, const QVector<QVariant>& params);
    void Simple(const char* sql);
    // Sends BEGIN and the writer lock ahead of the transaction's first command, unless that
    // command is a block that takes the lock itself: then true, and the caller sends both.
    bool Begin(const QByteArray& first);
    void StartSession();
    bool Alive();
    // Opens the connection again when the server dropped it; throws when it cannot.
    void EnsureConnected();
    void RememberSetting(const QByteArray& sql);
    void PresentToken();
    [[noreturn]] void Fail(pg_result* r) const;

    pg_conn* conn_ = nullptr;
    bool inTransaction_ = false;
    Transport transport_ = Transport::Local;
    bool begun_ = false; // BEGIN has gone to the server for the open writer transaction
    QHash<QByteArray, QByteArray> prepared_; // text + parameter types -> statement name
    QSet<QByteArray> seen_;                   // sent once, not prepared yet
    int nextName_ = 0;
    QList<QByteArray> settings_;              // session settings, made again after a reconnect
    QByteArray token_;                        // the login's binding, presented again after a reconnect
};

} // namespace host::db
