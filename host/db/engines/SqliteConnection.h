#pragma once
// The embedded engine: one SQLite file in WAL mode. Writer transactions are BEGIN IMMEDIATE
// with a busy timeout, so two workstations' writers queue instead of interleaving. Sequences
// live in the table sys_sequence and are advanced inside the writer's transaction.
#include "host/db/Connection.h"

#include <QHash>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_context;
struct sqlite3_value;

namespace host::db {

class SqliteConnection final : public Connection {
public:
    // Opens or creates the file. Throws EDatabaseError.
    explicit SqliteConnection(const QString& path, int busyTimeoutMs = 30000);
    ~SqliteConnection() override;

    Engine GetEngine() const override { return Engine::SQLite; }
    qint64 ExecNative(const QString& sql, const QVector<QVariant>& params, RowSink* sink) override;
    void BeginWrite() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override { return inTransaction_; }
    qint64 NextSequenceValue(const QString& name) override;
    void SetSessionOperator(const QString& operatorCode) override { operator_ = operatorCode.toUtf8(); }

    const QString& Path() const { return path_; }
    sqlite3* Handle() const { return db_; }

    // Used by the SQL functions registered on the handle.
    qint64 SequenceStep(const QString& name);
    qint64 SequenceCurrent(const QString& name) const;

private:
    static void OperatorFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv);

    struct Statement {
        sqlite3_stmt* stmt = nullptr;
        bool isDml = false;
        bool busy = false; // stepping now: a nested call with the same text gets its own
        // The result columns, read once: names, and the types their declarations give
        // (declared[c] 0 for expressions, whose type comes from their values on each run).
        bool described = false;
        QVector<ResultColumn> columns;
        std::vector<char> declared;
        int undeclared = 0;
        QVector<ResultColumn> settled; // the columns with the expression types of the last run
    };
    static void Describe(Statement& st);
    // Steps a statement whose rows nobody reads to its end, and marks the cached statements for
    // describing again after a schema change. The rows changed by DML, else -1.
    qint64 StepToEnd(Statement& st, int rc, int ncol);
    // Types the expression columns from the first row when each has a value there. Returns how
    // many columns still wait for their type; known then marks those that do not.
    static int SettleOnFirstRow(Statement& st, bool onRow, QVector<ResultColumn>& columns,
                                std::vector<char>& known);
    // Hands the rows, from the one the first step gave (rc), to the sink. Returns -1.
    qint64 ReadRows(Statement& st, int rc, int ncol, RowSink& sink);
    Statement* Prepare(const QString& sql, bool& temporary);
    void Remember(const QString& sql, Statement* st);
    void Simple(const char* sql);
    [[noreturn]] void Fail(const QString& context) const;

    sqlite3* db_ = nullptr;
    QString path_;
    QByteArray operator_; // the logged-in operator, for the audit triggers (jxc_operator())
    bool inTransaction_ = false;
    QHash<QString, Statement*> cache_;
    Statement* last_ = nullptr; // the statement of the last Prepare, and the caller's text of it
    QString lastText_;
    sqlite3_stmt* sequenceStmt_ = nullptr;
    QHash<QString, qint64> current_; // currval per sequence, as Oracle keeps it per session
};

} // namespace host::db
