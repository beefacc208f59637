// What a workstation role of the clerk group may do on a server, met by statements a tampered
// client would send straight to it: what it cannot reach or run, no write without an operator
// bound by a login, and the bill rules the server enforces on its own.
#include "host/admin/AdminTool.h"
#include "host/admin/Passwords.h"
#include "host/db/ServerRights.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"
#include "tests/support/PostingBlock.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QTextStream>

namespace {

using host::admin::LoginOutcome;

class ServerRights : public jxctest::DbTest {
protected:
    blocktest::Posting posting; // bill 1000 from S01 to S02, created by op1

    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Db().ExecSql(QStringLiteral("begin") + blocktest::PostingMasterData()
                     + " update Bas_GoodsInfo set GoodsType = '01';"
                       " insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (1, 'op1', '张三');"
                       " insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (2, 'op2', '李四');"
                       " insert into sys_operatorright (OperatorID, PluginID, BrowseLevel, OperateRight) values (1, 2001, 2, 1);"
                       " insert into sys_operatorright (OperatorID, PluginID, BrowseLevel, OperateRight) values (2, 2001, 2, 0);"
                       " insert into sys_operatorgoodstype (OperatorID, GoodsType) values (1, '01');"
                       " end;");
        host::admin::SetPassword(Db(), QStringLiteral("op1"), QStringLiteral("口令一"));
        host::admin::SetPassword(Db(), QStringLiteral("op2"), QStringLiteral("口令二"));
        clerk = OpenClerkService();
        if (!clerk)
            GTEST_SKIP() << "no workstation role configured (JXC_TEST_PG_CLERK)";
    }

    plugin::IntfPtr<host::db::DbService> clerk;

    // A second workstation of the same role, logged in as op.
    plugin::IntfPtr<host::db::DbService> Workstation(qint64 id, const QString& password)
    {
        auto svc = OpenClerkService();
        EXPECT_EQ(host::admin::CheckLogin(*svc, id, password, {}).outcome, LoginOutcome::Ok);
        return svc;
    }

    static QString Failure(host::db::DbService& svc, const QString& sql)
    {
        try {
            svc.ExecSql(sql);
        } catch (const platform::Exception& e) {
            return e.Message();
        }
        return QStringLiteral("(accepted)");
    }
    // Sent as it stands, past the service's dialect.
    static QString NativeFailure(host::db::DbService& svc, const QString& sql)
    {
        try {
            svc.GetConnection().ExecNative(sql, {}, nullptr);
        } catch (const platform::Exception& e) {
            return e.Message();
        }
        return QStringLiteral("(accepted)");
    }
    static QString QueryFailure(host::db::DbService& svc, const QString& sql)
    {
        try {
            svc.QueryValue(sql);
        } catch (const platform::Exception& e) {
            return e.Message();
        }
        return QStringLiteral("(answered)");
    }
    QString Owner(const QString& sql) { return Db().QueryValue(sql); }

    QString NewBill(const QString& optor) const
    {
        return QStringLiteral("begin Insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode,"
                              " GoodsCount, BillSum, BillStatus, AuditFlag, Remark, OptorCode, Create_time, modified_time,"
                              " deleted) values (1000, '%1', sysdate, 'S01', 'S02', 5, 10, 0, 0, 'r', '%2', sysdate, sysdate, 0);"
                              " Insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, GoodsPrice,"
                              " GoodsCount, PaySum, OptorCode, Create_time, modified_time, deleted) values"
                              " (seq_jxcid.nextval, 1000, '%1', 'G01', '螺丝', 2, 5, 10, '%2', sysdate, sysdate, 0); end;")
            .arg(posting.billNo, optor);
    }
    QString Audit(const QString& auditor) const
    {
        return QStringLiteral("update Sto_AdjustBillMain set AuditFlag = 1, BillStatus = 2, Auditor = '%1',"
                              " AuditDate = sysdate where ID = 1000")
            .arg(auditor);
    }
    QString PostAs(const QString& op)
    {
        blocktest::Posting p = posting;
        p.op = p.auditor = op;
        return blocktest::TransferPostingBlock(p);
    }
};

TEST_P(ServerRights, TheClerkGroupReachesNeitherPasswordsNorTheLogNorDdlNorSessionLocks)
{
    const QString denied = QStringLiteral("permission denied");
    for (const char* sql : {"select count(*) from sys_password", "select count(*) from sys_auditlog",
                            "select count(*) from sys_session", "select max(Password) from sys_operator",
                            "select pg_advisory_lock(1)", "select pg_try_advisory_xact_lock(1)",
                            "select pg_advisory_unlock_all()"})
        EXPECT_TRUE(QueryFailure(*clerk, QLatin1String(sql)).contains(denied)) << sql;
    EXPECT_EQ(clerk->QueryValue("select OperatorName from sys_operator where OperatorCode = 'op2'"), QStringLiteral("李四"));
    for (const char* sql : {"delete from Sto_AdjustBillMain", "truncate table Gds_StockCount", "drop table bas_Storage",
                            "create table jxc_mine (a integer)", "update Sto_GdsBillMain set Remark = 'x'",
                            "delete from Sto_GdsBillDetail", "update Bas_GoodsInfo set GoodsName = 'x'",
                            "update sys_operatorright set OperateRight = 1", "delete from sys_auditlog"}) {
        const QString failure = NativeFailure(*clerk, QLatin1String(sql));
        EXPECT_TRUE(failure.contains(denied) || failure.contains(QStringLiteral("must be owner"))) << sql << ": "
                                                                                                   << failure.toStdString();
    }
    // The one lock the service takes stays open, and the role's timeouts hold.
    EXPECT_EQ(clerk->QueryValue("select 1 from (select pg_advisory_xact_lock(7, 7)) x"), QStringLiteral("1"));
    EXPECT_EQ(clerk->QueryValue("select current_setting('lock_timeout')"), QStringLiteral("30s"));
    EXPECT_EQ(clerk->QueryValue("select current_setting('idle_in_transaction_session_timeout')"), QStringLiteral("1min"));
}

TEST_P(ServerRights, NoWriteWithoutALoginAndTheLoginNamesTheOperatorForGood)
{
    const QString none = QStringLiteral("没有登录的操作员");
    EXPECT_TRUE(Failure(*clerk, NewBill("op1")).contains(none));
    // Naming an operator, or a made-up binding, is no login.
    clerk->GetConnection().ExecNative("SET jxc.operator TO 'op1'", {}, nullptr);
    clerk->GetConnection().ExecNative("SET jxc.session TO 'made-up'", {}, nullptr);
    EXPECT_TRUE(Failure(*clerk, NewBill("op1")).contains(none));

    EXPECT_EQ(host::admin::CheckLogin(*clerk, 1, QStringLiteral("口令二"), {}).outcome, LoginOutcome::Wrong);
    EXPECT_TRUE(Failure(*clerk, NewBill("op1")).contains(none));
    EXPECT_EQ(host::admin::CheckLogin(*clerk, 1, QStringLiteral("口令一"), {}).outcome, LoginOutcome::Ok);
    EXPECT_TRUE(Failure(*clerk, NewBill("op2")).contains(QStringLiteral("新单的操作员必须是登录的操作员[op1]")));
    EXPECT_EQ(Failure(*clerk, NewBill("op1")), QStringLiteral("(accepted)"));
    // The trail names the bound operator, whatever the session says it is.
    clerk->GetConnection().ExecNative("SET jxc.operator TO 'op2'", {}, nullptr);
    clerk->ExecSql("update Sto_AdjustBillMain set Remark = 'again' where ID = 1000");
    EXPECT_EQ(Owner("select count(*) from sys_auditlog where TableName = 'sto_adjustbillmain' and OperatorCode = 'op1'"
                    " and DbRole = 'jxc_test_clerk'"),
              QStringLiteral("2"));
    EXPECT_EQ(Owner("select count(*) from sys_auditlog where OperatorCode = 'op2'"), QStringLiteral("0"));
}

TEST_P(ServerRights, TheBillRulesHoldAgainstATamperedClient)
{
    ASSERT_EQ(host::admin::CheckLogin(*clerk, 1, QStringLiteral("口令一"), {}).outcome, LoginOutcome::Ok);
    ASSERT_EQ(Failure(*clerk, NewBill("op1")), QStringLiteral("(accepted)"));
    auto other = Workstation(2, QStringLiteral("口令二"));

    // Audit: the operate right, then the goods types of every line, and only in one's own name.
    EXPECT_TRUE(Failure(*other, Audit("op2")).contains(QStringLiteral("没有审核调拨单的权限")));
    Db().ExecSql("update sys_operatorright set OperateRight = 1 where OperatorID = 2");
    EXPECT_TRUE(Failure(*other, Audit("op2")).contains(QStringLiteral("商品类别的权限")));
    EXPECT_TRUE(Failure(*clerk, Audit("op2")).contains(QStringLiteral("审核人必须是登录的操作员")));
    ASSERT_EQ(Failure(*clerk, Audit("op1")), QStringLiteral("(accepted)"));

    // Audited: frozen, lines included; only its auditor takes the audit back.
    EXPECT_TRUE(Failure(*clerk, "update Sto_AdjustBillMain set Remark = 'x' where ID = 1000").contains(QStringLiteral("已审核")));
    EXPECT_TRUE(Failure(*clerk, "update Sto_AdjustBillMain set DELETED = 1 where ID = 1000").contains(QStringLiteral("已审核")));
    EXPECT_TRUE(Failure(*clerk, "delete from Sto_AdjustBillDetail where BillID = 1000").contains(QStringLiteral("明细不能修改")));
    EXPECT_TRUE(Failure(*other, "update Sto_AdjustBillMain set AuditFlag = 0, BillStatus = 0, Auditor = '' where ID = 1000")
                    .contains(QStringLiteral("只能由审核人[op1]取消审核")));

    // Stock moves only inside a posting, a posting is the creator's, and one begun must finish.
    EXPECT_TRUE(Failure(*clerk, "update Gds_StockCount set LeftCount = 999").contains(QStringLiteral("只能在调拨过账时")));
    EXPECT_TRUE(Failure(*other, PostAs("op2")).contains(QStringLiteral("只能由操作员[op1]调拨")));
    blocktest::Posting half = posting;
    const QString begun = QStringLiteral("begin") + blocktest::StockHeader(half, 2002, "CK-1", "12", "S01")
        + " update Gds_StockCount set LeftCount = 0 where StorageCode = 'S01'; end;";
    EXPECT_TRUE(Failure(*clerk, begun).contains(QStringLiteral("没有完成调拨")));
    EXPECT_EQ(Owner("select LeftCount from Gds_StockCount where StorageCode = 'S01'"), QStringLiteral("10"));
    EXPECT_EQ(Owner("select count(*) from Sto_GdsBillMain"), QStringLiteral("0"));

    ASSERT_EQ(Failure(*clerk, PostAs("op1")), QStringLiteral("(accepted)"));
    EXPECT_EQ(Owner("select LeftCount from Gds_StockCount where StorageCode = 'S01' and GoodsCode = 'G01'"), QStringLiteral("5"));
    EXPECT_EQ(Owner("select LeftCount from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G01'"), QStringLiteral("5"));
    EXPECT_EQ(Owner("select BillStatus from Sto_AdjustBillMain where ID = 1000"), QStringLiteral("4"));

    // Completed: final.
    for (const char* sql : {"update Sto_AdjustBillMain set Remark = 'x' where ID = 1000",
                            "update Sto_AdjustBillMain set AuditFlag = 0, BillStatus = 0, Auditor = '' where ID = 1000"})
        EXPECT_TRUE(Failure(*clerk, QLatin1String(sql)).contains(QStringLiteral("已完成调拨"))) << sql;
    // Posted again: the stock bills a reversal would write pass, the completion does not.
    blocktest::Posting twice = posting;
    twice.inId = 2003;
    twice.outId = 2004;
    const QString again = Failure(*clerk, blocktest::TransferPostingBlock(twice));
    EXPECT_TRUE(again.contains(QStringLiteral("已完成调拨"))) << again.toStdString();
    EXPECT_EQ(Owner("select LeftCount from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G01'"), QStringLiteral("5"));
    // Marked reversed without moving the stock back: refused.
    EXPECT_TRUE(Failure(*clerk, QStringLiteral("update Sto_AdjustBillMain set BillStatus = 5 where ID = 1000"))
                    .contains(QStringLiteral("须同时写出入库单才能冲销")));
    EXPECT_EQ(Owner("select count(*) from Sto_GdsBillMain"), QStringLiteral("2"));
}

TEST_P(ServerRights, AddClerkMakesALoginRoleWithItsTimeoutsAndAPasswordTheServerNeverSawInPlain)
{
    const QString role = QStringLiteral("jxct_clerk_%1").arg(QCoreApplication::applicationPid());
    QBuffer in;
    in.setData("站点口令\n");
    in.open(QIODevice::ReadOnly);
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const QString target = qEnvironmentVariable("JXC_TEST_PG");
    ASSERT_EQ(host::admin::RunAdmin(QStringList{"--db", target, "add-clerk", role}, &in, out, err), host::admin::ExitOk)
        << errText.toStdString();
    struct Drop {
        QString target, role;
        ~Drop() { host::db::Open(target)->ExecNative(QStringLiteral("DROP ROLE IF EXISTS ") + role, {}, nullptr); }
    } drop{target, role};
    EXPECT_TRUE(outText.contains(role));
    EXPECT_EQ(Owner(QStringLiteral("select case when pg_has_role('%1', 'jxc_clerk', 'MEMBER') then 1 else 0 end").arg(role)), QStringLiteral("1"));
    EXPECT_EQ(Owner(QStringLiteral("select count(*) from pg_db_role_setting s join pg_roles r on r.oid = s.setrole"
                                   " where r.rolname = '%1' and 'lock_timeout=30s' = any (s.setconfig)"
                                   " and 'idle_in_transaction_session_timeout=60s' = any (s.setconfig)")
                      .arg(role)),
              QStringLiteral("1"));
    EXPECT_TRUE(Owner(QStringLiteral("select rolpassword from pg_authid where rolname = '%1'").arg(role))
                    .startsWith(QLatin1String("SCRAM-SHA-256$")));
    // The role logs in over verified TLS with that password, and not with another.
    const QString ca = qEnvironmentVariable("JXC_TEST_PG_CA");
    if (!ca.isEmpty()) {
        const QString tls = QStringLiteral("host=localhost dbname=jxc_test sslmode=verify-full sslrootcert=%1 user=%2 password=")
                                .arg(ca, role);
        EXPECT_NO_THROW(host::db::Open(tls + QStringLiteral("站点口令")));
        EXPECT_THROW(host::db::Open(tls + QStringLiteral("别的")), platform::EDatabaseError);
    }
}

INSTANTIATE_TEST_SUITE_P(Server, ServerRights, ::testing::Values(host::db::Engine::PostgreSQL), ::jxctest::EngineName);

} // namespace
