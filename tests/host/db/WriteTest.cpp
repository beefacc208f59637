// Writes through the service: all or nothing, counters and sequences across workstations,
// writers of two connections never interleaving, and a schema that can be created twice.
#include "host/db/Schema.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"
#include "host/db/dialect/Dialect.h"

#include <QSet>
#include <atomic>
#include <memory>
#include <thread>

using platform::EDatabaseError;

namespace {

class WriteDb : public jxctest::DbTest {
protected:
    QString Count(const QString& table) { return Db().QueryValue("select count(*) from " + table); }
};

TEST_P(WriteDb, FailingStatementWritesNothing)
{
    // A multi-row insert whose second row breaks the key: the first must not stay.
    Db().ExecSql("insert into bas_Storage (ID, StorageCode) values (1, 'S1')");
    EXPECT_THROW(Db().ExecSql("insert into bas_Storage (ID, StorageCode) select ID + 1, 'S2' from bas_Storage union all "
                              "select 1, 'S3' from dual"),
                 EDatabaseError);
    EXPECT_EQ(Count("bas_Storage"), "1");
    // The connection is still usable afterwards.
    Db().ExecSql("insert into bas_Storage (ID, StorageCode) values (2, 'S2')");
    EXPECT_EQ(Count("bas_Storage"), "2");
}

TEST_P(WriteDb, FailingBlockWritesNothing)
{
    try {
        Db().ExecSql("  begin  update Sto_AdjustBillMain  set DELETED= 1  where BillNo = 'x'; insert into bas_Storage (ID, "
                     "StorageCode) values (1, 'S1'); insert into bas_Storage (ID, StorageCode) values (1, 'dup');  end;");
        FAIL() << "the block should fail";
    } catch (const EDatabaseError& e) {
        EXPECT_FALSE(e.Message().isEmpty());
    }
    EXPECT_EQ(Count("bas_Storage"), "0");
    Db().ExecSql("  begin insert into bas_Storage (ID, StorageCode) values (1, 'S1'); insert into bas_Storage (ID, "
                 "StorageCode) values (2, 'S2');  end; ");
    EXPECT_EQ(Count("bas_Storage"), "2");
}

TEST_P(WriteDb, DivisionByZeroIsRefusedAndWritesNothing)
{
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (1, 'S1', 'G1', 10)");
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (2, 'S1', 'G2', 0)");
    for (const char* sql : {"update Gds_StockCount set LeftCount = LeftCount / 0",
                            "update Gds_StockCount set LeftCount = LeftCount / (ID - ID)",
                            "update Gds_StockCount set LeftCount = 100 / LeftCount", // the second row's stock is 0
                            "update Gds_StockCount set LeftCount = 1 / -0.0 + LeftCount",
                            "update Gds_StockCount set LeftCount = LeftCount / nvl(null, '0')"}) {
        EXPECT_THROW(Db().ExecSql(sql), EDatabaseError) << sql;
        EXPECT_EQ(Db().QueryValue("select LeftCount from Gds_StockCount where ID = 1"), "10") << sql;
    }
    EXPECT_THROW(Db().QueryValue("select 1 / 0 from dual"), EDatabaseError);
    // Oracle's mod by zero is no division: it gives the dividend.
    Db().ExecSql("update Gds_StockCount set LeftCount = mod(LeftCount, 0)");
    EXPECT_EQ(Db().QueryValue("select LeftCount from Gds_StockCount where ID = 1"), "10");
    // Divisions that are allowed still divide exactly, and a null divisor gives null.
    EXPECT_EQ(Db().QueryValue("select 7 / 2 from dual"), "3.5");
    EXPECT_EQ(Db().QueryValue("select -LeftCount / -4 * 2 from Gds_StockCount where ID = 1"), "5");
    EXPECT_EQ(Db().QueryValue("select LeftCount / (select count(*) from Gds_StockCount) from Gds_StockCount where ID = 1"), "5");
    EXPECT_EQ(Db().QueryValue("select LeftCount / case when ID = 1 then 4 else 0 end from Gds_StockCount where ID = 1"), "2.5");
    EXPECT_EQ(Db().QueryValue("select mod(LeftCount, 3) from Gds_StockCount where ID = 1"), "1");
    EXPECT_EQ(Db().QueryValue("select nvl(LeftCount / null, -1) from Gds_StockCount where ID = 1"), "-1");
}

TEST_P(WriteDb, ErrorNamesTheEngineMessageAndStatement)
{
    try {
        Db().ExecSql(" Update Sto_AdjustBillMain set NoSuchColumn = 1 where BillNo = 'DB-1'");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("nosuchcolumn", Qt::CaseInsensitive)) << e.what();
        EXPECT_TRUE(e.Message().contains("Update Sto_AdjustBillMain set NoSuchColumn")) << e.what();
    }
    EXPECT_FALSE(Conn().InTransaction());
}

TEST_P(WriteDb, TextWithQuotesIsStoredAsTyped)
{
    const QString name = QStringLiteral("O'Brien's \"库\" ''");
    QString literal = name;
    literal.replace(u'\'', QLatin1String("''")); // allowed: the literal itself is under test
    Db().ExecSql(QStringLiteral("insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (1, '001', '%1')").arg(literal));
    std::unique_ptr<platform::Dataset> ds(Db().OpenQuery("select OperatorCode,OperatorName from sys_operator "));
    EXPECT_EQ(ds->FieldByName("OperatorName").AsString(), name);
}

TEST_P(WriteDb, CountersStartAtOneAndAreSharedAcrossWorkstations)
{
    auto other = OpenAnotherService();
    EXPECT_EQ(Db().NextCounter(QStringLiteral("JXC_BILLNO_DB"), 1).toLongLong(), 1);
    EXPECT_EQ(other->NextCounter(QStringLiteral("JXC_BILLNO_DB"), 1).toLongLong(), 2);
    EXPECT_EQ(Db().NextCounter(QStringLiteral("JXC_BILLNO_RK"), 1).toLongLong(), 1);
    EXPECT_EQ(other->NextCounter(QStringLiteral("NEW_COUNTER"), 5).toLongLong(), 5);
    EXPECT_EQ(Db().NextCounter(QStringLiteral("NEW_COUNTER"), 1).toLongLong(), 6);
    EXPECT_THROW(Db().NextCounter(QString(), 1), EDatabaseError);
}

TEST_P(WriteDb, ConcurrentCountersAndSequencesGiveNoDuplicates)
{
    constexpr int PerThread = 25;
    std::vector<qlonglong> counters[2];
    std::vector<qlonglong> ids[2];
    std::string errors[2];
    auto work = [&](int k, plugin::IntfPtr<host::db::DbService> db) {
        try {
            for (int i = 0; i < PerThread; ++i) {
                counters[k].push_back(db->NextCounter(QStringLiteral("JXC_BILLNO_CK"), 1).toLongLong());
                ids[k].push_back(db->NextSequence(QStringLiteral("SEQ_JXCID")).toLongLong());
            }
        } catch (const std::exception& e) {
            errors[k] = e.what();
        }
    };
    std::thread a(work, 0, OpenAnotherService());
    std::thread b(work, 1, OpenAnotherService());
    a.join();
    b.join();
    ASSERT_EQ(errors[0], "");
    ASSERT_EQ(errors[1], "");
    QSet<qlonglong> allCounters, allIds;
    for (int k = 0; k < 2; ++k) {
        for (qlonglong v : counters[k])
            allCounters.insert(v);
        for (qlonglong v : ids[k])
            allIds.insert(v);
    }
    EXPECT_EQ(allCounters.size(), 2 * PerThread);
    EXPECT_EQ(allIds.size(), 2 * PerThread);
    EXPECT_EQ(*std::max_element(allCounters.begin(), allCounters.end()), 2 * PerThread);
}

TEST_P(WriteDb, WriterTransactionsDoNotInterleave)
{
    auto second = OpenAnother();
    std::atomic<bool> firstCommitted{false};
    std::atomic<bool> secondSawCommit{false};
    std::string error;
    Conn().BeginWrite();
    host::db::Execute(Conn(), "insert into bas_Storage (ID, StorageCode) values (1, 'S1')");
    std::thread t([&] {
        try {
            // Waits for the first writer: the embedded engine at BEGIN, the server at the
            // transaction's first statement (BEGIN and the lock travel with it).
            second->BeginWrite();
            host::db::Execute(*second, "update bas_Storage set StorageName = 'second' where ID = 1");
            secondSawCommit = firstCommitted.load();
            second->Commit();
        } catch (const std::exception& e) {
            error = e.what();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    firstCommitted = true;
    Conn().Commit();
    t.join();
    ASSERT_EQ(error, "");
    EXPECT_TRUE(secondSawCommit);
    // The second writer ran after the first and saw its row.
    EXPECT_EQ(Db().QueryValue("select StorageName from bas_Storage where ID = 1"), "second");
}

TEST_P(WriteDb, ReadersAreNotBlockedByAWriter)
{
    Db().ExecSql("insert into bas_Storage (ID, StorageCode) values (1, 'S1')");
    auto reader = OpenAnotherService();
    Conn().BeginWrite();
    host::db::Execute(Conn(), "insert into bas_Storage (ID, StorageCode) values (2, 'S2')");
    EXPECT_EQ(reader->QueryValue("select count(*) from bas_Storage"), "1"); // committed data only
    Conn().Rollback();
    EXPECT_EQ(reader->QueryValue("select count(*) from bas_Storage"), "1");
}

TEST_P(WriteDb, SchemaCreationIsIdempotent)
{
    Db().ExecSql("insert into bas_Storage (ID, StorageCode) values (1, 'S1')");
    Db().NextCounter(QStringLiteral("JXC_BILLNO_DB"), 1);
    Db().NextSequence(QStringLiteral("SEQ_JXCID"));
    host::db::CreateSchema(Conn());
    EXPECT_EQ(Count("bas_Storage"), "1");
    EXPECT_EQ(Db().NextCounter(QStringLiteral("JXC_BILLNO_DB"), 1).toLongLong(), 2);
    EXPECT_EQ(Db().NextSequence(QStringLiteral("SEQ_JXCID")), "2");
    for (const QString& table : host::db::SchemaTables(GetEngine()))
        EXPECT_NO_THROW(Count(table)) << table.toStdString();
}

TEST_P(WriteDb, SequenceCurrvalFollowsNextval)
{
    EXPECT_THROW(Db().QueryValue("select seq_jxcid.currval from dual"), EDatabaseError);
    const QString next = Db().QueryValue("select seq_jxcid.nextval from dual");
    EXPECT_EQ(Db().QueryValue("select seq_jxcid.currval from dual"), next);
    EXPECT_THROW(Db().NextSequence(QStringLiteral("NO_SUCH_SEQ")), EDatabaseError);
}

JXC_INSTANTIATE_DB_TEST(WriteDb);

} // namespace
