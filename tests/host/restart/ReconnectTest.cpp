// A workstation on the shared server outlives a restart of the server: the first command after
// it reconnects by itself, and a posting caught by it reports the server's message and leaves
// nothing half-written. The server is restarted with the command JXC_TEST_PG_RESTART names (the
// test script names its own server's); without one, the workstation's sessions are ended from
// another session, which is what a restart does to them.
#include "host/admin/Passwords.h"
#include "tests/support/DbTestEnv.h"
#include "tests/support/PostingBlock.h"

#include "platform/core/Exception.h"

#include <QThread>
#include <cstdlib>
#include <thread>

namespace {

using host::db::Engine;

class ServerRestart : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Db().ExecSql(QStringLiteral("begin") + blocktest::PostingMasterData() + QStringLiteral(
            " insert into Gds_StockCount(ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
            "   values (501, 1, 'S01', 102, 'G02', 10, 0);"
            " insert into Sto_AdjustBillMain(ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode, GoodsCount, BillSum,"
            "   BillStatus, AuditFlag, Auditor, Remark, OptorCode, DELETED)"
            "   values (1000, 'DB-2024010200000001', sysdate, 'S01', 'S02', 5.5, 123.4567, 2, 1, 'op1', '', 'op1', 0);"
            " insert into Sto_AdjustBillDetail(ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, GoodsPrice, GoodsCount,"
            "   PaySum, Remark, DELETED) values (10001, 1000, 'DB-2024010200000001', 'G01', '螺丝', '52101', 2.5, 3, 7.5, '', 0);"
            " insert into Sto_AdjustBillDetail(ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, GoodsPrice, GoodsCount,"
            "   PaySum, Remark, DELETED) values (10002, 1000, 'DB-2024010200000001', 'G02', '螺母', '52101', 2.5, 2.5, 6.25, '', 0);"
            "end;"));
    }

    QString Value(host::db::DbService& db, const QString& sql) { return db.QueryValue(sql); }
    QString Value(const QString& sql) { return Db().QueryValue(sql); }

    // Restarts the server, or ends the given sessions where no restart command is named.
    void Restart(const QStringList& pids)
    {
        const QByteArray command = qgetenv("JXC_TEST_PG_RESTART");
        if (!command.isEmpty()) {
            ASSERT_EQ(std::system(command.constData()), 0) << "the server did not restart: " << command.constData();
            return;
        }
        auto admin = OpenAnotherService();
        for (const QString& pid : pids)
            admin->QueryValue(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
        // Ended sessions leave the server's list once their backends have gone.
        for (int i = 0; i < 200; ++i) {
            if (admin->QueryValue(QStringLiteral("select count(*) from pg_stat_activity where pid in (%1)").arg(pids.join(u',')))
                == QStringLiteral("0")) {
                // A backend leaves the list just before its process ends and closes the socket.
                QThread::msleep(250);
                return;
            }
            QThread::msleep(25);
        }
        FAIL() << "the ended sessions did not go away";
    }
};

TEST_P(ServerRestart, TheFirstCommandAfterARestartReconnectsAndSucceeds)
{
    // Asked twice, the query is prepared on the server; the search path and the operator the
    // audit trail names are session settings.
    Conn().SetSessionOperator(QStringLiteral("007"));
    const QString stock = QStringLiteral("select LeftCount from Gds_StockCount where ID = 500");
    EXPECT_EQ(Value(stock).toDouble(), 10.0);
    EXPECT_EQ(Value(stock).toDouble(), 10.0);
    const QString before = Value(QStringLiteral("select pg_backend_pid()"));

    Restart({before});
    // A read first: the session, its settings and its prepared statement are there again.
    EXPECT_EQ(Value(stock).toDouble(), 10.0);
    EXPECT_NE(Value(QStringLiteral("select pg_backend_pid()")), before);

    Restart({Value(QStringLiteral("select pg_backend_pid()"))});
    // A write first: the writer transaction opens on the new session.
    ASSERT_NO_THROW(Db().ExecSql(QStringLiteral("update Gds_StockCount set LeftCount = 12 where ID = 500")));
    EXPECT_EQ(Value(stock).toDouble(), 12.0);
    EXPECT_EQ(Value(QStringLiteral("select OperatorCode from sys_auditlog where TableName = 'gds_stockcount'"
                                   " and Action = 'update'")),
              QStringLiteral("007"));

    Restart({Value(QStringLiteral("select pg_backend_pid()"))});
    // A sequence first.
    EXPECT_GT(Db().NextSequence(QStringLiteral("seq_jxcid")).toLongLong(), 0);
}

TEST_P(ServerRestart, APostingCaughtByARestartReportsTheServersMessageAndLeavesNothingHalfWritten)
{
    blocktest::Posting p;
    p.remark.clear();
    const QString posting = blocktest::TransferPostingBlock(p);

    // Another session holds the source row of G02: the posting writes both stock bills and the
    // first movement, then waits on that row until the restart ends it.
    auto holder = OpenAnother();
    holder->ExecNative(QStringLiteral("BEGIN"), {}, nullptr);
    holder->ExecNative(QStringLiteral("select LeftCount from Gds_StockCount where ID = 501 for update"), {}, nullptr);
    const QString holderPid = Value(QStringLiteral("select pid from pg_stat_activity where datname = current_database()"
                                                   " and query like '%ID = 501 for update'"));
    ASSERT_FALSE(holderPid.isEmpty());
    auto station = OpenAnotherService();
    const QString stationPid = Value(*station, QStringLiteral("select pg_backend_pid()"));
    ASSERT_NE(stationPid, holderPid);

    QString error = QStringLiteral("<no error>");
    std::thread worker([&] {
        try {
            station->ExecSql(posting);
        } catch (const platform::EDatabaseError& e) {
            error = e.Message();
        }
    });
    bool waiting = false;
    for (int i = 0; i < 400 && !waiting; ++i) {
        waiting = Value(QStringLiteral("select count(*) from pg_stat_activity where pid = %1 and wait_event_type = 'Lock'")
                            .arg(stationPid))
            == QStringLiteral("1");
        if (!waiting)
            QThread::msleep(25);
    }
    EXPECT_TRUE(waiting) << "the posting never waited on the held row";
    Restart({stationPid, holderPid, Value(QStringLiteral("select pg_backend_pid()"))});
    worker.join();

    // The server's own words, and none of the posting's rows.
    EXPECT_NE(error, QStringLiteral("<no error>"));
    EXPECT_TRUE(error.contains(QLatin1String("terminat")) || error.contains(QLatin1String("connection")))
        << error.toStdString();
    EXPECT_EQ(Value(QStringLiteral("select BillStatus from Sto_AdjustBillMain where ID = 1000")), QStringLiteral("2"));
    EXPECT_EQ(Value(QStringLiteral("select count(*) from Sto_GdsBillMain")), QStringLiteral("0"));
    EXPECT_EQ(Value(QStringLiteral("select count(*) from Sto_GdsBillDetail")), QStringLiteral("0"));
    EXPECT_EQ(Value(QStringLiteral("select count(*) from Gds_StockCount where StorageCode = 'S02'")), QStringLiteral("0"));
    EXPECT_EQ(Value(QStringLiteral("select LeftCount from Gds_StockCount where ID = 500")).toDouble(), 10.0);

    // The same workstation posts again on its new session, once.
    ASSERT_NO_THROW(station->ExecSql(posting));
    EXPECT_EQ(Value(QStringLiteral("select BillStatus from Sto_AdjustBillMain where ID = 1000")), QStringLiteral("4"));
    EXPECT_EQ(Value(QStringLiteral("select count(*) from Sto_GdsBillMain")), QStringLiteral("2"));
    EXPECT_EQ(Value(QStringLiteral("select LeftCount from Gds_StockCount where ID = 500")).toDouble(), 7.0);
    EXPECT_EQ(Value(QStringLiteral("select LeftCount from Gds_StockCount where ID = 501")).toDouble(), 7.5);
    EXPECT_EQ(Value(QStringLiteral("select sum(LeftCount) from Gds_StockCount where StorageCode = 'S02'")).toDouble(), 5.5);
}

// A workstation role's login binds its session on the server; after a restart the new session is
// bound again by the same login, without asking for the password.
TEST_P(ServerRestart, AWorkstationRolesLoginOutlivesARestart)
{
    if (GetEngine() == Engine::SQLite)
        GTEST_SKIP() << "a database file has no login roles";
    auto clerk = OpenClerkService();
    if (!clerk)
        GTEST_SKIP() << "no workstation role configured (JXC_TEST_PG_CLERK)";
    Db().ExecSql("insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (1, 'op1', '张三')");
    host::admin::SetPassword(Db(), QStringLiteral("op1"), QStringLiteral("口令"));
    ASSERT_EQ(host::admin::CheckLogin(*clerk, 1, QStringLiteral("口令"), {}).outcome, host::admin::LoginOutcome::Ok);

    Restart({Value(*clerk, QStringLiteral("select pg_backend_pid()")), Value(QStringLiteral("select pg_backend_pid()"))});
    EXPECT_NO_THROW(clerk->ExecSql(
        "Insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode, GoodsCount, BillSum,"
        " BillStatus, AuditFlag, Remark, OptorCode, Create_time, modified_time, deleted) values"
        " (2000, 'DB-2024010200000002', sysdate, 'S01', 'S02', 0, 0, 0, 0, '', 'op1', sysdate, sysdate, 0)"));
    EXPECT_EQ(Value("select OperatorCode from sys_auditlog where BillNo = 'DB-2024010200000002'"), QStringLiteral("op1"));
}

INSTANTIATE_TEST_SUITE_P(Server, ServerRestart, ::testing::Values(Engine::PostgreSQL), ::jxctest::EngineName);

} // namespace
