#pragma once
// Database fixtures. DbTest runs each test body once per engine on a fresh database with the
// schema created: SQLite on a file in a temporary folder, PostgreSQL in a schema of its own
// inside the database named by JXC_TEST_PG (dropped afterwards, so test processes may run in
// parallel). Without JXC_TEST_PG the PostgreSQL run is skipped, or fails when CI is set.
//
//   class MyDbTest : public jxctest::DbTest {};
//   TEST_P(MyDbTest, Something) { Db().ExecSql(...); Conn()...; }
//   JXC_INSTANTIATE_DB_TEST(MyDbTest);
#include "host/db/Connection.h"
#include "host/db/DbService.h"
#include "plugin/Interface.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include <ostream>

namespace host::db {
// Readable parameter values in test output.
inline void PrintTo(Engine e, std::ostream* os) { *os << (e == Engine::SQLite ? "SQLite" : "PostgreSQL"); }
} // namespace host::db

namespace jxctest {

class DbTest : public ::testing::TestWithParam<host::db::Engine> {
protected:
    void SetUp() override;
    void TearDown() override;

    host::db::Engine GetEngine() const { return GetParam(); }
    host::db::Connection& Conn() { return db_->GetConnection(); }
    host::db::DbService& Db() { return *db_; }
    // A second workstation on the same database (its own connection).
    std::unique_ptr<host::db::Connection> OpenAnother() const;
    // A second workstation's database service.
    plugin::IntfPtr<host::db::DbService> OpenAnotherService() const;
    // PostgreSQL only: a workstation's service logged in as the workstation role JXC_TEST_PG_CLERK
    // names (a member of the clerk group), in this test's schema; not yet bound to an operator.
    // Skips the test (fails it under CI) when no such role is configured.
    plugin::IntfPtr<host::db::DbService> OpenClerkService() const;
    // The database as jxc-admin's --db names it (PostgreSQL: this test's schema on the path).
    QString AdminTarget() const;

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString sqlitePath_;
    QString pgTarget_;
    QString pgSchema_;
    plugin::IntfPtr<host::db::DbService> db_;
};

// Parameter names for test names: "SQLite", "PostgreSQL".
std::string EngineName(const ::testing::TestParamInfo<host::db::Engine>& info);

// A SQLite database with the schema in a temporary folder, removed with the object.
class TempSqliteDb {
public:
    TempSqliteDb();
    const QString& Path() const { return path_; }
    std::unique_ptr<host::db::Connection> Open() const;
    // A new service over its own connection (reference held by the pointer).
    plugin::IntfPtr<host::db::DbService> NewService() const;

private:
    QTemporaryDir dir_;
    QString path_;
};

} // namespace jxctest

#define JXC_INSTANTIATE_DB_TEST(Fixture)                                                                   \
    INSTANTIATE_TEST_SUITE_P(Engines, Fixture,                                                             \
                             ::testing::Values(host::db::Engine::SQLite, host::db::Engine::PostgreSQL), \
                             ::jxctest::EngineName)
