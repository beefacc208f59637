#pragma once
// The server engine: PostgreSQL through libpq. Statements are prepared once per text and
// parameter types (from its second use); results come back as text and are typed from the column's type OID and
// numeric scale. Writer transactions are serialised by a transaction-level advisory lock.
#include "host/db/Connection.h"

#include <QHash>
#include <QSet>

struct pg_conn;
struct pg_result;

namespace host::db {

class PgConnection final : public Connection {
public:
    // conninfo: "key=value ..." or a postgresql:// URI. Throws EDatabaseError.
    explicit PgConnection(const QString& conninfo);
    ~PgConnection() override;

    Engine GetEngine() const override { return Engine::PostgreSQL; }
    qint64 ExecNative(const QString& sql, const QVector<QVariant>& params, RowSink* sink) override;
    void BeginWrite() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override { return inTransaction_; }
    qint64 NextSequenceValue(const QString& name) override;

    pg_conn* Handle() const { return conn_; }

private:
    void Simple(const char* sql);
    [[noreturn]] void Fail(pg_result* r) const;

    pg_conn* conn_ = nullptr;
    bool inTransaction_ = false;
    QHash<QByteArray, QByteArray> prepared_; // text + parameter types -> statement name
    QSet<QByteArray> seen_;                   // sent once, not prepared yet
    int nextName_ = 0;
};

} // namespace host::db
