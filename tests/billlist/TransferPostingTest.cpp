// The posting block on both engines: what it writes per line, and that a bill whose state
// changed after the window's checks is refused as a whole, also when two workstations post the
// same bill at the same moment.
#include "billlist/TransferPosting.h"

#include "host/db/blocks/BlockParser.h"
#include "model/SqlText.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QDateTime>
#include <atomic>
#include <gtest/gtest.h>
#include <latch>
#include <thread>

namespace {

using model::QuotedStr;

class TransferPostingTest : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Exec("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (1, 0, 'S01', '一号仓', 1)");
        Exec("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (2, 0, 'S02', '二号仓', 1)");
        Exec("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, CalUnit, UseFlag, Deleted) values (11, 'A100', '苹果', '01', '52101', 1, 0)");
        Exec("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, CalUnit, UseFlag, Deleted) values (12, 'B200', '香蕉', '01', '52101', 1, 0)");
        Exec("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode, GoodsCount, BillSum,"
             " BillStatus, AuditFlag, Auditor, AuditDate, Remark, OptorCode, DELETED) values (1000, 'DB-0001', sysdate, 'S01',"
             " 'S02', 9, 20.5, 2, 1, '001', sysdate, 'r', '001', 0)");
        Line(1, "A100", "2");
        Line(2, "A100", "2");     // the same goods twice: moved twice
        Line(3, "B200", "3");
        Line(4, "Z999", "1");     // no goods row: copied into both bills, no stock moved
        Stock(1, "S01", 11, "A100", "10");
        Stock(2, "S02", 12, "B200", "5"); // S02 has no A100 row, S01 no B200 row
    }

    void Exec(const QString& sql) { Db().ExecSql(sql); }
    QString Value(const QString& sql) { return Db().QueryValue(sql); }
    void Line(int id, const QString& goods, const QString& count)
    {
        Exec(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, Model, Brand,"
                            " GoodsPrice, GoodsCount, PaySum, Remark, DELETED) values (%1, 1000, 'DB-0001', %2, 'n', '52101',"
                            " 'm', 'b', 2, %3, 2 * %3, 'line''s', 0)")
                 .arg(id)
                 .arg(QuotedStr(goods), count));
    }
    void Stock(int id, const QString& storage, int goodsId, const QString& goods, const QString& count)
    {
        Exec(QStringLiteral("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
                            " values (%1, %2, %3, %4, %5, %6, 0)")
                 .arg(id)
                 .arg(storage == "S01" ? 1 : 2)
                 .arg(QuotedStr(storage))
                 .arg(goodsId)
                 .arg(QuotedStr(goods), count));
    }
    QString Left(const QString& storage, const QString& goods)
    {
        return Value(QStringLiteral("select sum(LeftCount) from Gds_StockCount where StorageCode = %1 and GoodsCode = %2")
                         .arg(QuotedStr(storage), QuotedStr(goods)));
    }
    static billlist::TransferPosting Posting(int serial)
    {
        billlist::TransferPosting p;
        p.billId = 1000;
        p.billNo = QStringLiteral("DB-0001");
        p.srcStorageCode = QStringLiteral("S01");
        p.desStorageCode = QStringLiteral("S02");
        p.goodsCount = 9;
        p.billSum = platform::Currency::FromDouble(20.5);
        p.auditor = QStringLiteral("001");
        p.auditDate = QDateTime(QDate(2024, 1, 2), QTime(10, 30, 45));
        p.remark = QStringLiteral("备注 it's");
        p.operatorCode = QStringLiteral("001");
        p.stockInId = 5000 + 2 * serial;
        p.stockInNo = QStringLiteral("RK-2024010200000%1").arg(serial, 3, 10, QLatin1Char('0'));
        p.stockOutId = 5001 + 2 * serial;
        p.stockOutNo = QStringLiteral("CK-2024010200000%1").arg(serial, 3, 10, QLatin1Char('0'));
        return p;
    }
    QString Error(host::db::DbService& db, const QString& block)
    {
        try {
            db.ExecSql(block);
        } catch (const platform::EDatabaseError& e) {
            return e.Message();
        }
        return {};
    }
    void ExpectNothingPosted()
    {
        EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "0");
        EXPECT_EQ(Value("select count(*) from Sto_GdsBillDetail"), "0");
        EXPECT_EQ(Value("select count(*) from Gds_StockCount"), "2");
        EXPECT_EQ(Left("S01", "A100"), "10");
        EXPECT_EQ(Left("S02", "B200"), "5");
    }
};

TEST_P(TransferPostingTest, TheBlockWritesBothStockBillsMovesEachLineAndCompletesTheBill)
{
    const QString block = billlist::TransferPostingBlock(Posting(1));
    EXPECT_NO_THROW(host::db::plsql::ParseBlock(block));
    EXPECT_TRUE(block.startsWith(QStringLiteral(" begin")));
    EXPECT_TRUE(block.endsWith(QStringLiteral(" end;")));
    Exec(block);

    EXPECT_EQ(Value("select BillStatus from Sto_AdjustBillMain where ID = 1000"), "4");
    // Destination first: a missing row is made by the first A100 line and added to by the second.
    EXPECT_EQ(Left("S02", "A100"), "4");
    EXPECT_EQ(Value("select StorageID from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'A100'"), "2");
    EXPECT_EQ(Value("select GoodsID from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'A100'"), "11");
    EXPECT_EQ(Left("S01", "A100"), "6");
    // A source without a row gets the negated quantity.
    EXPECT_EQ(Left("S01", "B200"), "-3");
    EXPECT_EQ(Left("S02", "B200"), "8");
    EXPECT_EQ(Value("select count(*) from Gds_StockCount where GoodsCode = 'Z999'"), "0");

    const QString out = QStringLiteral(" from Sto_GdsBillMain where ID = 5003");
    EXPECT_EQ(Value("select BillNo" + out), "CK-2024010200000001");
    EXPECT_EQ(Value("select BillType" + out), "12");
    EXPECT_EQ(Value("select StorageCode" + out), "S01");
    EXPECT_EQ(Value("select SrcBillNo" + out), "DB-0001");
    EXPECT_EQ(Value("select SrcBillType" + out), "4");
    EXPECT_EQ(Value("select BillStatus" + out), "4");
    EXPECT_EQ(Value("select AuditFlag" + out), "1");
    EXPECT_EQ(Value("select Remark" + out), QStringLiteral("备注 it's"));
    EXPECT_EQ(Value("select BillSum" + out), "20.5");
    // The audit date goes to the minute: the seconds become 0.
    EXPECT_EQ(Value("select AuditDate" + out), "2024-01-02 10:30:00");
    const QString in = QStringLiteral(" from Sto_GdsBillMain where ID = 5002");
    EXPECT_EQ(Value("select BillNo" + in), "RK-2024010200000001");
    EXPECT_EQ(Value("select BillType" + in), "02");
    EXPECT_EQ(Value("select StorageCode" + in), "S02");
    // Every line in both bills, quantities unchanged, the missing goods too.
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillDetail where BillID = 5003 and BillNo = 'CK-2024010200000001' and BillType = '12'"), "4");
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillDetail where BillID = 5002 and BillNo = 'RK-2024010200000001' and BillType = '02'"), "4");
    EXPECT_EQ(Value("select sum(GoodsCount) from Sto_GdsBillDetail where BillID = 5002"), "8");
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillDetail where GoodsCode = 'Z999'"), "2");
    EXPECT_EQ(Value("select min(Remark) from Sto_GdsBillDetail"), QStringLiteral("line's"));
}

TEST_P(TransferPostingTest, ABillPostedOrUnauditedSinceTheChecksFailsTheWholeBlock)
{
    for (const char* state : {"BillStatus = 4", "AuditFlag = 0, BillStatus = 0", "BillStatus = 3"}) {
        SCOPED_TRACE(state);
        Exec(QStringLiteral("update Sto_AdjustBillMain set %1 where ID = 1000").arg(QLatin1String(state)));
        const QString error = Error(Db(), billlist::TransferPostingBlock(Posting(1)));
        EXPECT_TRUE(error.startsWith(QStringLiteral("ORA-20001: ") + billlist::StateChangedText("DB-0001")))
            << error.toStdString();
        ExpectNothingPosted();
        Exec("update Sto_AdjustBillMain set AuditFlag = 1, BillStatus = 2 where ID = 1000");
    }
    // The same text goes through once the bill is back at status 2.
    Exec(billlist::TransferPostingBlock(Posting(1)));
    EXPECT_EQ(Left("S01", "A100"), "6");
}

TEST_P(TransferPostingTest, TwoWorkstationsPostingTheSameBillAtOnceMoveTheStockOnce)
{
    plugin::IntfPtr<host::db::DbService> other = OpenAnotherService();
    // Each workstation drew its own numbers after its own checks, which both passed.
    const QString first = billlist::TransferPostingBlock(Posting(1));
    const QString second = billlist::TransferPostingBlock(Posting(2));
    std::latch start(2);
    QString errors[2];
    auto post = [&](host::db::DbService* db, const QString& block, QString* error) {
        start.arrive_and_wait();
        *error = Error(*db, block);
    };
    std::thread a(post, &Db(), first, &errors[0]);
    std::thread b(post, other.Get(), second, &errors[1]);
    a.join();
    b.join();

    const int failed = int(!errors[0].isEmpty()) + int(!errors[1].isEmpty());
    EXPECT_EQ(failed, 1) << errors[0].toStdString() << " / " << errors[1].toStdString();
    for (const QString& e : errors) {
        if (!e.isEmpty()) {
            EXPECT_TRUE(e.contains(billlist::StateChangedText("DB-0001"))) << e.toStdString();
        }
    }
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain where SrcBillNo = 'DB-0001'"), "2");
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillDetail"), "8");
    EXPECT_EQ(Left("S01", "A100"), "6");
    EXPECT_EQ(Left("S02", "A100"), "4");
    EXPECT_EQ(Left("S02", "B200"), "8");
    EXPECT_EQ(Value("select BillStatus from Sto_AdjustBillMain where ID = 1000"), "4");
}

JXC_INSTANTIATE_DB_TEST(TransferPostingTest);

} // namespace
