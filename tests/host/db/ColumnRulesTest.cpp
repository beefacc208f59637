// Both engines keep the same column rules: what the server's column types refuse, the embedded
// engine refuses too, with the same words and nothing written; decimals round as the server rounds.
#include "host/db/Schema.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

using host::db::Engine;
using platform::EDatabaseError;

namespace {

class ColumnRulesDb : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (1, 'S1', 'G1', 10)");
        Db().ExecSql("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, BillSum, AuditFlag, Remark, DELETED) "
                     "values (1, 'DB-1', to_date('2026-12-08','YYYY-MM-DD'), 5, 0, 'r', 0)");
    }
    QString Row() { return Db().QueryValue("select LeftCount || '|' || GoodsCode from Gds_StockCount where ID = 1"); }
};

// The same bad values on both engines: each refused with the server's words, nothing written.
TEST_P(ColumnRulesDb, BadValuesAreRefusedAlikeAndWriteNothing)
{
    const QString code40(40, u'C');
    const QString remark1001(1001, QChar(0x8C03)); // 调
    const std::vector<std::pair<QString, const char*>> bad = {
        {"update Gds_StockCount set LeftCount='abc'", "invalid input syntax for type numeric"},
        {"update Gds_StockCount set LeftCount=1e17", "numeric field overflow"},
        {"update Gds_StockCount set LeftCount=9.22e18", "numeric field overflow"},
        {"update Gds_StockCount set LeftCount=-1e16", "numeric field overflow"},
        {"update Gds_StockCount set LeftCount=9999999999999999.995", "numeric field overflow"},
        {"update Gds_StockCount set GoodsCode='" + code40 + "'", "value too long for type character varying(32)"},
        {"insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (2, 'S1', '" + code40 + "', 1)",
         "value too long for type character varying(32)"},
        {"insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (2, 'S1', 'G2', 'x1')",
         "invalid input syntax for type numeric"},
        {"update Sto_AdjustBillMain set BillSum = 1e14 where ID = 1", "numeric field overflow"},
        {"update Sto_AdjustBillMain set AuditFlag = 'yes' where ID = 1", "invalid input syntax for type integer"},
        {"update Sto_AdjustBillMain set AuditFlag = 3000000000 where ID = 1", "integer out of range"},
        {"update Sto_AdjustBillMain set Remark = '" + remark1001 + "' where ID = 1",
         "value too long for type character varying(1000)"},
        {"update Sto_AdjustBillMain set BillDate = 'abc' where ID = 1", "invalid input syntax for type timestamp"},
        {"update sys_counter set CounterValue = 'many' where CounterName = 'JXC_BILLNO_DB'",
         "invalid input syntax for type bigint"},
        {"update sys_counter set CounterValue = 1e19 where CounterName = 'JXC_BILLNO_DB'", "bigint out of range"},
        // In a block, the statements before the refused one are undone with it.
        {"  begin update Gds_StockCount set LeftCount = 5 where ID = 1; update Gds_StockCount set GoodsCode = '"
             + code40 + "' where ID = 1;  end; ",
         "value too long for type character varying(32)"},
    };
    const QString row = Row();
    const QString head = Db().QueryValue("select BillNo || BillSum || AuditFlag || Remark || BillDate from Sto_AdjustBillMain");
    const QString counter = Db().QueryValue("select CounterValue from sys_counter where CounterName = 'JXC_BILLNO_DB'");
    for (const auto& [sql, words] : bad) {
        try {
            Db().ExecSql(sql);
            ADD_FAILURE() << "accepted: " << sql.left(120).toStdString();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String(words), Qt::CaseInsensitive))
                << sql.left(120).toStdString() << "\n" << e.Message().toStdString();
        }
        EXPECT_EQ(Row(), row) << sql.left(120).toStdString();
        EXPECT_EQ(Db().QueryValue("select count(*) from Gds_StockCount"), "1");
    }
    EXPECT_EQ(Db().QueryValue("select BillNo || BillSum || AuditFlag || Remark || BillDate from Sto_AdjustBillMain"), head);
    EXPECT_EQ(Db().QueryValue("select CounterValue from sys_counter where CounterName = 'JXC_BILLNO_DB'"), counter);
}

TEST_P(ColumnRulesDb, ValuesAtTheLimitsAreKeptAndDecimalsRoundAsTheServerRounds)
{
    const QString code32(32, u'C');
    const QString remark1000(1000, QChar(0x8C03));
    Db().ExecSql("update Gds_StockCount set GoodsCode = '" + code32 + "', LeftCount = 1.005 where ID = 1");
    EXPECT_EQ(Row(), "1.01|" + code32);
    Db().ExecSql("update Gds_StockCount set LeftCount = -2.675 where ID = 1");
    EXPECT_EQ(Db().QueryValue("select LeftCount from Gds_StockCount where ID = 1"), "-2.68");
    Db().ExecSql("update Gds_StockCount set LeftCount = LeftCount + 0.004 where ID = 1"); // -2.676 rounds back
    EXPECT_EQ(Db().QueryValue("select LeftCount from Gds_StockCount where ID = 1"), "-2.68");
    Db().ExecSql("update Gds_StockCount set LeftCount = 123456789012.5 where ID = 1");
    EXPECT_EQ(Db().QueryValue("select LeftCount from Gds_StockCount where ID = 1"), "123456789012.5");
    Db().ExecSql("update Sto_AdjustBillMain set BillSum = 1.00005, AuditFlag = 1.5, Remark = '" + remark1000 + "' where ID = 1");
    EXPECT_EQ(Db().QueryValue("select BillSum from Sto_AdjustBillMain where ID = 1"), "1.0001");
    EXPECT_EQ(Db().QueryValue("select AuditFlag from Sto_AdjustBillMain where ID = 1"), "2");
    EXPECT_EQ(Db().QueryValue("select length(Remark) from Sto_AdjustBillMain where ID = 1"), "1000");
    // A bound value rounds the same as a literal, on insert as on update.
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (:1, :2, :3, :4)",
                 {2, QStringLiteral("S1"), QStringLiteral("G2"), 0.125});
    EXPECT_EQ(Db().QueryValue("select LeftCount from Gds_StockCount where ID = 2"), "0.13");
    Db().ExecSql("  begin insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (3, 'S1', 'G3', "
                 "8.3325);  end; ");
    EXPECT_EQ(Db().QueryValue("select LeftCount from Gds_StockCount where ID = 3"), "8.33");
}

JXC_INSTANTIATE_DB_TEST(ColumnRulesDb);

// An embedded database made by an older program gets the rules when it is opened, once its rows
// are checked; rows that break them are named and left as they are (SQLite only: a server
// database always had its column types).
TEST(ColumnRulesUpgrade, OldSqliteRowsAreCheckedReportedAndNeverChanged)
{
    jxctest::TempSqliteDb db;
    {
        auto c = db.Open();
        // As an older program left it: the tables without their rules.
        for (const char* job : {"check", "round"})
            for (const char* op : {"insert", "update"})
                for (const char* table : {"gds_stockcount", "sto_adjustbillmain"})
                    c->ExecNative(QStringLiteral("DROP TRIGGER jxc_%1_%2_%3").arg(job, table, op), {}, nullptr);
        c->ExecNative("INSERT INTO Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) VALUES (7, 'S1', 'G1', 'abc')", {}, nullptr);
        c->ExecNative("INSERT INTO Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) VALUES (8, 'S1', 'G2', 1.005)", {}, nullptr);
    }
    auto c = db.Open();
    try {
        host::db::CreateSchema(*c);
        FAIL() << "rows that break the rules were not reported";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("Gds_StockCount row 7: LeftCount = 'abc'")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains("Gds_StockCount row 8: LeftCount = 1.005")) << e.Message().toStdString();
    }
    auto svc = db.NewService();
    EXPECT_EQ(svc->QueryValue("select LeftCount || '' from Gds_StockCount where ID = 7"), "abc");
    // Until the rows are mended, nothing is installed: the old rules hold.
    svc->ExecSql("update Gds_StockCount set LeftCount = 0 where ID = 7");
    svc->ExecSql("update Gds_StockCount set LeftCount = 1.01 where ID = 8");
    host::db::CreateSchema(*c);
    EXPECT_THROW(svc->ExecSql("update Gds_StockCount set LeftCount = 'abc' where ID = 7"), EDatabaseError);
    EXPECT_EQ(svc->QueryValue("select LeftCount from Gds_StockCount where ID = 7"), "0");
}

} // namespace
