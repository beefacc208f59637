#pragma once
// The host's database service over one connection (owned). Takes the module's Oracle text
// unchanged; no UI; every failure raises platform::EDatabaseError with the engine's message
// and the statement, and a failed ExecSql or NextCounter leaves nothing written.
#include "host/db/Connection.h"
#include "plugin/DbIntf.h"

#include <memory>

namespace host::db {

class DbService : public plugin::RefCounted<plugin::IDbIntf> {
public:
    explicit DbService(std::unique_ptr<Connection> connection);

    Connection& GetConnection() { return *conn_; }

    // A new dataset, typed fields named as the engine returns them (a repeated name gets
    // "_1", "_2" ...), on its first row.
    platform::Dataset* JXC_STDCALL OpenQuery(const QString& sql) override;
    // A statement or an anonymous block, in one writer transaction.
    void JXC_STDCALL ExecSql(const QString& sql) override;
    QString JXC_STDCALL NextSequence(const QString& name) override;
    // Adds step to the named counter (created at 0 on first use) and returns the new value
    // (qlonglong); atomic across workstations.
    QVariant JXC_STDCALL NextCounter(const QString& name, int step) override;
    QString JXC_STDCALL QueryValue(const QString& sql) override;
    plugin::ObjectList* JXC_STDCALL LoadObjects(const QMetaObject* recordClass, const QString& sql) override;

    // The same with bind variables :1, :2 ... (for the host's own services).
    platform::Dataset* OpenQuery(const QString& sql, const QVector<QVariant>& params);
    void ExecSql(const QString& sql, const QVector<QVariant>& params);
    QString QueryValue(const QString& sql, const QVector<QVariant>& params);

    // QueryValue's text form of one value.
    static QString ValueText(const QVariant& v);

protected:
    ~DbService() override;

private:
    // Runs a query; statements that draw sequence values run in a writer transaction.
    void Query(const QString& sql, const QVector<QVariant>& params, RowSink& sink);

    std::unique_ptr<Connection> conn_;
};

} // namespace host::db
