// A workstation opening a database runs no DDL when its tables are current; an older database
// is brought up to date, and a new one is made.
#include "host/db/Schema.h"
#include "host/db/dialect/Dialect.h"
#include "tests/support/DbTestEnv.h"

#include <gtest/gtest.h>

namespace {

class SchemaVersionDb : public jxctest::DbTest {};

TEST_P(SchemaVersionDb, OpeningACurrentDatabaseChangesNothingAnOlderOneIsUpgraded)
{
    EXPECT_EQ(host::db::StoredSchemaVersion(Conn()), host::db::SchemaVersion);
    // A table gone from a current database stays gone: opening it runs no DDL.
    Db().ExecSql(QStringLiteral("drop table bas_goodstype"));
    host::db::OpenSchema(Conn());
    EXPECT_ANY_THROW(Db().QueryValue(QStringLiteral("select count(*) from bas_goodstype")));
    // A database that records an older version (or none) is brought up to date.
    Db().ExecSql(QStringLiteral("delete from sys_setting where SettingName = 'SchemaVersion'"));
    EXPECT_EQ(host::db::StoredSchemaVersion(Conn()), 0);
    host::db::OpenSchema(Conn());
    EXPECT_EQ(Db().QueryValue(QStringLiteral("select count(*) from bas_goodstype")), QStringLiteral("0"));
    EXPECT_EQ(host::db::StoredSchemaVersion(Conn()), host::db::SchemaVersion);
}

TEST_P(SchemaVersionDb, ADatabaseWithoutTablesRecordsNoVersion)
{
    auto other = OpenAnother();
    other->ExecNative(GetEngine() == host::db::Engine::SQLite ? QStringLiteral("drop table sys_setting")
                                                               : QStringLiteral("DROP TABLE sys_setting"),
                      {}, nullptr);
    EXPECT_EQ(host::db::StoredSchemaVersion(*other), 0);
    host::db::OpenSchema(*other);
    EXPECT_EQ(host::db::StoredSchemaVersion(*other), host::db::SchemaVersion);
}

JXC_INSTANTIATE_DB_TEST(SchemaVersionDb);

} // namespace

namespace {

// The column rules' triggers an older program wrote on SQLite are written again as this one
// writes them, and keep refusing what they refused.
TEST(SqliteRules, TriggersAnOlderProgramWroteAreWrittenAgain)
{
    jxctest::TempSqliteDb file;
    auto c = file.Open();
    auto triggerSql = [&] {
        plugin::IntfPtr<host::db::DbService> db(file.NewService());
        return db->QueryValue(QStringLiteral("select sql from sqlite_master where name = 'jxc_check_gds_stockcount_insert'"));
    };
    host::db::Execute(*c, QStringLiteral("drop trigger jxc_check_gds_stockcount_insert"));
    c->ExecNative(QStringLiteral("CREATE TRIGGER jxc_check_gds_stockcount_insert AFTER INSERT ON Gds_StockCount"
                                 " BEGIN SELECT 1; END"),
                  {}, nullptr);
    host::db::Execute(*c, QStringLiteral("delete from sys_setting where SettingName = 'SchemaVersion'"));
    host::db::OpenSchema(*c);
    const QString renewed = triggerSql();
    EXPECT_TRUE(renewed.contains(QStringLiteral("typeof(NEW.LeftCount) = 'blob'"))) << renewed.toStdString();
    EXPECT_FALSE(renewed.contains(QStringLiteral("NOT IN")));
    EXPECT_ANY_THROW(host::db::Execute(*c, QStringLiteral("insert into Gds_StockCount (ID, LeftCount) values (1, 'abc')")));
    // Opened again, nothing is written a second time.
    host::db::Execute(*c, QStringLiteral("delete from sys_setting where SettingName = 'SchemaVersion'"));
    host::db::OpenSchema(*c);
    EXPECT_EQ(triggerSql(), renewed);
}

} // namespace
