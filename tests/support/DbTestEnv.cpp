#include "tests/support/DbTestEnv.h"

#include "host/db/Schema.h"
#include "platform/core/Exception.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <atomic>

namespace jxctest {

using host::db::Engine;

namespace {

std::unique_ptr<host::db::Connection> OpenPgIn(const QString& target, const QString& schema)
{
    auto c = host::db::Open(target);
    c->ExecNative(QStringLiteral("SET search_path TO ") + schema, {}, nullptr);
    // Throw-away data: commits need not wait for the disk.
    c->ExecNative(QStringLiteral("SET synchronous_commit TO off"), {}, nullptr);
    return c;
}

QString NewSchemaName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("jxct_%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter)
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

} // namespace

std::string EngineName(const ::testing::TestParamInfo<Engine>& info)
{
    return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL";
}

void DbTest::SetUp()
{
    try {
        if (GetParam() == Engine::SQLite) {
            dir_ = std::make_unique<QTemporaryDir>();
            ASSERT_TRUE(dir_->isValid()) << "no temporary folder";
            sqlitePath_ = dir_->filePath(QStringLiteral("test.db"));
            auto c = host::db::Open(QStringLiteral("sqlite:") + sqlitePath_);
            host::db::CreateSchema(*c);
            db_ = new host::db::DbService(std::move(c));
            return;
        }
        pgTarget_ = qEnvironmentVariable("JXC_TEST_PG");
        if (pgTarget_.isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "JXC_TEST_PG is not set: the PostgreSQL tests cannot run";
            GTEST_SKIP() << "PostgreSQL not configured (set JXC_TEST_PG to a libpq conninfo, e.g. dbname=jxc_test)";
        }
        const QString schema = NewSchemaName();
        host::db::Open(pgTarget_)->ExecNative(QStringLiteral("CREATE SCHEMA ") + schema, {}, nullptr);
        pgSchema_ = schema;
        auto c = OpenPgIn(pgTarget_, pgSchema_);
        host::db::CreateSchema(*c);
        db_ = new host::db::DbService(std::move(c));
    } catch (const platform::Exception& e) {
        FAIL() << "database set-up failed: " << e.what();
    }
}

void DbTest::TearDown()
{
    db_.Reset();
    if (!pgSchema_.isEmpty()) {
        try {
            host::db::Open(pgTarget_)->ExecNative(QStringLiteral("DROP SCHEMA IF EXISTS ") + pgSchema_ + QStringLiteral(" CASCADE"), {}, nullptr);
        } catch (const platform::Exception& e) {
            ADD_FAILURE() << "could not drop the test schema " << pgSchema_.toStdString() << ": " << e.what();
        }
        pgSchema_.clear();
    }
    dir_.reset();
}

std::unique_ptr<host::db::Connection> DbTest::OpenAnother() const
{
    if (GetParam() == Engine::SQLite)
        return host::db::Open(QStringLiteral("sqlite:") + sqlitePath_);
    return OpenPgIn(pgTarget_, pgSchema_);
}

plugin::IntfPtr<host::db::DbService> DbTest::OpenAnotherService() const
{
    return plugin::IntfPtr<host::db::DbService>(new host::db::DbService(OpenAnother()));
}

plugin::IntfPtr<host::db::DbService> DbTest::OpenClerkService() const
{
    const QString clerk = qEnvironmentVariable("JXC_TEST_PG_CLERK");
    if (GetParam() != Engine::PostgreSQL || clerk.isEmpty()) {
        if (qEnvironmentVariableIsSet("CI") && GetParam() == Engine::PostgreSQL)
            ADD_FAILURE() << "JXC_TEST_PG_CLERK is not set: the workstation-role tests cannot run";
        return {};
    }
    auto c = host::db::Open(clerk);
    c->ExecNative(QStringLiteral("SET search_path TO ") + pgSchema_, {}, nullptr);
    return plugin::IntfPtr<host::db::DbService>(new host::db::DbService(std::move(c)));
}

QString DbTest::AdminTarget() const
{
    if (GetParam() == Engine::SQLite)
        return QStringLiteral("sqlite:") + sqlitePath_;
    return pgTarget_ + QStringLiteral(" options='-csearch_path=") + pgSchema_ + QStringLiteral("'");
}

TempSqliteDb::TempSqliteDb()
{
    if (!dir_.isValid())
        throw platform::EDatabaseError(QStringLiteral("No temporary folder for the test database"));
    path_ = dir_.filePath(QStringLiteral("jxc.db"));
    host::db::CreateSchema(*Open());
}

std::unique_ptr<host::db::Connection> TempSqliteDb::Open() const
{
    return host::db::Open(QStringLiteral("sqlite:") + path_);
}

plugin::IntfPtr<host::db::DbService> TempSqliteDb::NewService() const
{
    return plugin::IntfPtr<host::db::DbService>(new host::db::DbService(Open()));
}

} // namespace jxctest
