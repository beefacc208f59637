// Promised stock and reversal on both engines, through the blocks the window sends: an audit
// that would rely on stock other audited bills hold is refused and writes nothing, two
// workstations auditing against the same stock at once never both pass, and a reversal moves
// the stock counts back exactly once.
#include "billlist/PostingPreview.h"
#include "billlist/PromisedStock.h"
#include "billlist/TransferPosting.h"
#include "billlist/WorkWindowAuditSql.h"

#include "host/db/blocks/BlockParser.h"
#include "ledger/StockLedger.h"
#include "model/SqlText.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <latch>
#include <thread>

namespace {

using model::QuotedStr;

class StockRulesTest : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Exec("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (1, 0, 'S01', '一号仓', 1)");
        Exec("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (2, 0, 'S02', '二号仓', 1)");
        Exec("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, CalUnit, UseFlag, Deleted) values (11, 'A100', '苹果', '01', '52101', 1, 0)");
        Exec("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
             " values (1, 1, 'S01', 11, 'A100', 10, 0)");
    }

    void Exec(const QString& sql) { Db().ExecSql(sql); }
    QString Value(const QString& sql) { return Db().QueryValue(sql); }
    // A bill from S01 to S02 with one line of A100 per count, at status 0.
    void Bill(int id, std::initializer_list<const char*> counts)
    {
        Exec(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode,"
                            " GoodsCount, BillSum, BillStatus, AuditFlag, Auditor, Remark, OptorCode, DELETED) values"
                            " (%1, %2, sysdate, 'S01', 'S02', 0, 0, 0, 0, '', 'r', '001', 0)")
                 .arg(id)
                 .arg(QuotedStr(No(id))));
        int line = id * 10;
        for (const char* count : counts)
            Exec(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit,"
                                " GoodsPrice, GoodsCount, PaySum, DELETED) values (%1, %2, %3, 'A100', '苹果', '52101', 1,"
                                " %4, %4, 0)")
                     .arg(++line)
                     .arg(id)
                     .arg(QuotedStr(No(id)), QLatin1String(count)));
    }
    static QString No(int id) { return QStringLiteral("DB-%1").arg(id); }
    QString Audit(host::db::DbService& db, int id)
    {
        return Error(db, billlist::PromisedAuditBlock(id, No(id), QStringLiteral("S01"), QStringLiteral("001")));
    }
    static QString Error(host::db::DbService& db, const QString& block)
    {
        try {
            db.ExecSql(block);
        } catch (const platform::EDatabaseError& e) {
            return e.Message();
        }
        return {};
    }
    QString Left(const QString& storage)
    {
        return Value(QStringLiteral("select nvl(sum(LeftCount),0) from Gds_StockCount where StorageCode = %1 and"
                                    " GoodsCode = 'A100'")
                         .arg(QuotedStr(storage)));
    }
    QString Status(int id) { return Value(QStringLiteral("select BillStatus from Sto_AdjustBillMain where ID = %1").arg(id)); }
    static billlist::TransferPosting Posting(int id, int serial)
    {
        billlist::TransferPosting p;
        p.billId = id;
        p.billNo = No(id);
        p.srcStorageCode = QStringLiteral("S01");
        p.desStorageCode = QStringLiteral("S02");
        p.auditor = QStringLiteral("001");
        p.auditDate = QDateTime(QDate(2024, 1, 2), QTime(10, 30));
        p.operatorCode = QStringLiteral("001");
        p.stockInId = 5000 + 2 * serial;
        p.stockInNo = QStringLiteral("RK-%1").arg(serial);
        p.stockOutId = 5001 + 2 * serial;
        p.stockOutNo = QStringLiteral("CK-%1").arg(serial);
        return p;
    }
};

TEST_P(StockRulesTest, AnAuditReliesOnlyOnStockNoOtherAuditedBillHolds)
{
    Bill(1, {"8"});
    Bill(2, {"5"});
    EXPECT_NO_THROW(host::db::plsql::ParseBlock(billlist::PromisedAuditBlock(1, No(1), "S01", "001")));
    EXPECT_EQ(Audit(Db(), 1), QString());
    EXPECT_EQ(Status(1), "2");

    // B needs 5 of 10, of which A holds 8: refused, nothing written, and the read names A.
    const QString error = Audit(Db(), 2);
    EXPECT_TRUE(error.contains(billlist::ShortageChangedText())) << error.toStdString();
    EXPECT_EQ(Value("select AuditFlag from Sto_AdjustBillMain where ID = 2"), "0");
    EXPECT_EQ(Status(2), "0");
    std::unique_ptr<platform::Dataset> rows(Db().OpenQuery(billlist::ShortageSql(2, "S01")));
    ASSERT_EQ(rows->RecordCount(), 1);
    EXPECT_EQ(rows->FieldByName("GoodsCode").AsString(), "A100");
    EXPECT_EQ(rows->FieldByName("Stock").AsFloat(), 10);
    EXPECT_EQ(rows->FieldByName("Promised").AsFloat(), 8);
    EXPECT_EQ(rows->FieldByName("Need").AsFloat(), 5);
    EXPECT_EQ(Db().QueryValue(billlist::PromisingBillsSql(2, "S01", "A100")), No(1));
    const QString text = billlist::ShortageText("S01", "A100", "苹果", 10, 8, 5, {No(1)});
    EXPECT_TRUE(text.contains(QStringLiteral("库存10")) && text.contains(QStringLiteral("已被占用8"))
                && text.contains(No(1)) && text.contains(QStringLiteral("本单需要5")))
        << text.toStdString();

    // Once A is un-audited, or posted, B is judged by the stock alone.
    Exec(billlist::UnAuditSql(No(1)));
    EXPECT_EQ(Audit(Db(), 2), QString());
    EXPECT_EQ(Status(2), "2");
    // A deleted bill holds nothing either.
    Exec("update Sto_AdjustBillMain set DELETED = 1 where ID = 2");
    EXPECT_EQ(Audit(Db(), 1), QString());
}

TEST_P(StockRulesTest, LinesOfOneGoodsAreSummedBeforeTheTest)
{
    Bill(1, {"6", "6"});
    EXPECT_TRUE(Audit(Db(), 1).contains(billlist::ShortageChangedText()));
    EXPECT_EQ(Status(1), "0");
    std::unique_ptr<platform::Dataset> rows(Db().OpenQuery(billlist::ShortageSql(1, "S01")));
    ASSERT_EQ(rows->RecordCount(), 1);
    EXPECT_EQ(rows->FieldByName("Need").AsFloat(), 12);
}

TEST_P(StockRulesTest, PostingReChecksWhatOtherBillsHold)
{
    Bill(1, {"8"});
    Bill(2, {"5"});
    // A was audited with promised stock counted; B while it was not counted.
    EXPECT_EQ(Audit(Db(), 1), QString());
    Exec(billlist::AuditSql(No(2), "001"));
    EXPECT_TRUE(Error(Db(), billlist::PromisedPostingBlock(Posting(2, 1))).contains(billlist::ShortageChangedText()));
    EXPECT_EQ(Status(2), "2");
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "0");
    EXPECT_EQ(Left("S01"), "10");
    // With B un-audited A posts: its own promise is no obstacle.
    Exec(billlist::UnAuditSql(No(2)));
    EXPECT_EQ(Error(Db(), billlist::PromisedPostingBlock(Posting(1, 2))), QString());
    EXPECT_EQ(Left("S01"), "2");
    EXPECT_EQ(Left("S02"), "8");
}

TEST_P(StockRulesTest, TwoWorkstationsAuditingAgainstTheSameStockNeverBothPass)
{
    Bill(1, {"8"});
    Bill(2, {"8"});
    plugin::IntfPtr<host::db::DbService> other = OpenAnotherService();
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        std::latch start(2);
        QString errors[2];
        auto audit = [&](host::db::DbService* db, int id, QString* error) {
            start.arrive_and_wait();
            *error = Audit(*db, id);
        };
        std::thread a(audit, &Db(), 1, &errors[0]);
        std::thread b(audit, other.Get(), 2, &errors[1]);
        a.join();
        b.join();
        const int passed = int(errors[0].isEmpty()) + int(errors[1].isEmpty());
        ASSERT_EQ(passed, 1) << errors[0].toStdString() << " / " << errors[1].toStdString();
        EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain where AuditFlag = 1"), "1");
        Exec("update Sto_AdjustBillMain set AuditFlag = 0, BillStatus = 0, Auditor = ''");
    }
}

TEST_P(StockRulesTest, AReversalMovesTheStockBackOnce)
{
    Exec("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
         " values (2, 2, 'S02', 11, 'A100', 1, 0)");
    Bill(1, {"2", "1"});
    // Not yet completed: refused, nothing written.
    Exec(billlist::AuditSql(No(1), "001"));
    const QString early = Error(Db(), billlist::TransferReversalBlock(Posting(1, 2)));
    EXPECT_TRUE(early.contains(billlist::ReversalStateText(No(1)))) << early.toStdString();
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "0");

    Exec(billlist::TransferPostingBlock(Posting(1, 1)));
    EXPECT_EQ(Left("S01"), "7");
    EXPECT_EQ(Left("S02"), "4");
    const QString block = billlist::TransferReversalBlock(Posting(1, 2));
    EXPECT_NO_THROW(host::db::plsql::ParseBlock(block));
    EXPECT_EQ(Error(Db(), block), QString());
    EXPECT_EQ(Left("S01"), "10");
    EXPECT_EQ(Left("S02"), "1");
    EXPECT_EQ(Status(1), "5");
    // A stock-out of the destination and a stock-in of the source, referring to the bill.
    const QString reversal = QStringLiteral(" from Sto_GdsBillMain where Remark = '冲销' and SrcBillNo = 'DB-1'");
    EXPECT_EQ(Value("select count(*)" + reversal), "2");
    EXPECT_EQ(Value("select StorageCode" + reversal + " and BillType = '12'"), "S02");
    EXPECT_EQ(Value("select StorageCode" + reversal + " and BillType = '02'"), "S01");
    EXPECT_EQ(Value("select sum(GoodsCount) from Sto_GdsBillDetail where BillID = 5005"), "3");

    // A second reversal: refused, nothing written.
    const QString again = Error(Db(), billlist::TransferReversalBlock(Posting(1, 3)));
    EXPECT_TRUE(again.contains(billlist::ReversalStateText(No(1)))) << again.toStdString();
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "4");
    EXPECT_EQ(Left("S01"), "10");
    EXPECT_EQ(Left("S02"), "1");
}

TEST_P(StockRulesTest, AReversalNeedsTheGoodsStillInTheDestinationLessWhatIsPromisedThere)
{
    Bill(1, {"3"});
    Exec(billlist::AuditSql(No(1), "001"));
    Exec(billlist::TransferPostingBlock(Posting(1, 1)));
    // S02 now holds 3; a bill from S02 audited for 2 leaves 1 to take back.
    Exec("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode, GoodsCount, BillSum,"
         " BillStatus, AuditFlag, Auditor, Remark, OptorCode, DELETED) values (7, 'DB-7', sysdate, 'S02', 'S01', 2, 0, 2,"
         " 1, '001', '', '001', 0)");
    Exec("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, GoodsPrice, GoodsCount,"
         " PaySum, DELETED) values (71, 7, 'DB-7', 'A100', '苹果', '52101', 1, 2, 2, 0)");
    const QString error = Error(Db(), billlist::TransferReversalBlock(Posting(1, 2)));
    EXPECT_TRUE(error.contains(billlist::ReversalShortageText(No(1)))) << error.toStdString();
    EXPECT_EQ(Status(1), "4");
    EXPECT_EQ(Left("S02"), "3");
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "2");
    std::unique_ptr<platform::Dataset> rows(Db().OpenQuery(billlist::ShortageSql(1, "S02", true)));
    ASSERT_EQ(rows->RecordCount(), 1);
    EXPECT_EQ(rows->FieldByName("Promised").AsFloat(), 2);

    Exec("update Sto_AdjustBillMain set AuditFlag = 0, BillStatus = 0 where ID = 7");
    EXPECT_EQ(Error(Db(), billlist::TransferReversalBlock(Posting(1, 2))), QString());
    EXPECT_EQ(Left("S02"), "0");
    EXPECT_EQ(Left("S01"), "10");
}

TEST_P(StockRulesTest, ThePostingPreviewsAfterValuesAreWhatThePostingLeaves)
{
    // A100 on two lines; B200 short in the source and without a row in the destination; C300
    // with two stock rows in the destination; Z999 not in the goods list.
    Exec("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, CalUnit, UseFlag, Deleted) values (12, 'B200',"
         " '香蕉', '01', '52101', 1, 0)");
    Exec("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, CalUnit, UseFlag, Deleted) values (13, 'C300',"
         " '橙子', '01', '52101', 1, 0)");
    Exec("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted) values (2, 1,"
         " 'S01', 12, 'B200', 1, 0)");
    Exec("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted) values (3, 2,"
         " 'S02', 13, 'C300', 4, 0)");
    Exec("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted) values (4, 2,"
         " 'S02', 13, 'C300', 6, 0)");
    Bill(1, {"2.5", "3"});
    auto line = [&](int id, const char* goods, const char* count) {
        Exec(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit,"
                            " GoodsPrice, GoodsCount, PaySum, DELETED) values (%1, 1, 'DB-1', '%2', 'n', '52101', 1,"
                            " %3, %3, 0)")
                 .arg(id)
                 .arg(QLatin1String(goods), QLatin1String(count)));
    };
    line(50, "B200", "4");
    line(51, "C300", "1");
    line(52, "Z999", "7");
    Bill(2, {"1"}); // holds 1 of A100 in S01
    Exec(billlist::AuditSql(No(2), "001"));
    Exec(billlist::AuditSql(No(1), "001"));

    const QString sql = billlist::PostingPreviewSql(1, "S01", "S02");
    EXPECT_FALSE(sql.contains(QStringLiteral("nextval"), Qt::CaseInsensitive));
    const QString counters = Value("select sum(CounterValue) from sys_counter");
    std::unique_ptr<platform::Dataset> rows(Db().OpenQuery(sql));
    const std::vector<billlist::PreviewRow> preview = billlist::ReadPostingPreview(*rows);
    EXPECT_EQ(Value("select sum(CounterValue) from sys_counter"), counters);
    ASSERT_EQ(preview.size(), 4u);
    EXPECT_EQ(preview[0].goodsCode, "A100");
    EXPECT_EQ(preview[0].quantity, 5.5);
    EXPECT_EQ(preview[0].promised, 1);
    EXPECT_LT(preview[1].sourceAfter, 0); // B200: the shortage
    EXPECT_FALSE(preview[3].moved);       // Z999

    Exec(billlist::TransferPostingBlock(Posting(1, 1)));
    auto left = [&](const char* storage, const QString& goods) {
        return Value(QStringLiteral("select nvl(sum(LeftCount),0) from Gds_StockCount where StorageCode = '%1' and"
                                    " GoodsCode = %2")
                         .arg(QLatin1String(storage), QuotedStr(goods)))
            .toDouble();
    };
    for (const billlist::PreviewRow& r : preview) {
        SCOPED_TRACE(r.goodsCode.toStdString());
        EXPECT_DOUBLE_EQ(r.sourceAfter, left("S01", r.goodsCode));
        EXPECT_DOUBLE_EQ(r.destAfter, left("S02", r.goodsCode));
    }
}

TEST_P(StockRulesTest, TheLedgerExplainsPostingsAndAReversalDayByDay)
{
    // Opening stock 100 by an opening bill; 3 posted on day one, 5 on day two, the first
    // reversed on day three.
    const QDate day1(2026, 3, 2);
    Exec("update Gds_StockCount set LeftCount = 100");
    Exec("insert into Sto_GdsBillMain (ID, BillNo, BillDate, BillType, StorageCode, SrcBillNo, SrcBillType, BillStatus,"
         " AuditFlag, Remark, OptorCode, deleted) values (4000, 'QC-1', to_date('2026-03-01 08:00:00','YYYY-MM-DD"
         " HH24:MI:SS'), '00', 'S01', '', 0, 4, 1, '期初库存', '001', 0)");
    Exec("insert into Sto_GdsBillDetail (ID, BillID, BillNo, BillType, GoodsCode, GoodsCount, deleted) values (4001,"
         " 4000, 'QC-1', '00', 'A100', 100, 0)");
    auto dated = [&](int serial, const QDate& day) {
        Exec(QStringLiteral("update Sto_GdsBillMain set BillDate = to_date('%1 10:00:00','YYYY-MM-DD HH24:MI:SS')"
                            " where ID in (%2, %3)")
                 .arg(day.toString(Qt::ISODate))
                 .arg(5000 + 2 * serial)
                 .arg(5001 + 2 * serial));
    };
    Bill(1, {"3"});
    Bill(2, {"5"});
    for (int id : {1, 2}) {
        ASSERT_EQ(Audit(Db(), id), QString());
        ASSERT_EQ(Error(Db(), billlist::PromisedPostingBlock(Posting(id, id))), QString());
        dated(id, day1.addDays(id - 1));
    }
    ASSERT_EQ(Error(Db(), billlist::TransferReversalBlock(Posting(1, 3))), QString());
    dated(3, day1.addDays(2));

    const ledger::StockLedger source = ledger::StockLedger::Read(Db(), "S01", "A100");
    EXPECT_EQ(source.OpeningCount(), 0);
    EXPECT_EQ(source.StockAsOf(day1.addDays(-1)), 100);
    EXPECT_EQ(source.StockAsOf(day1), 97);
    EXPECT_EQ(source.StockAsOf(day1.addDays(1)), 92);
    EXPECT_EQ(source.StockAsOf(day1.addDays(2)), 95);
    ASSERT_EQ(source.Movements().size(), 4u);
    EXPECT_EQ(source.Movements().front().balance, 95);
    EXPECT_EQ(Left("S01"), "95");
    const ledger::StockLedger dest = ledger::StockLedger::Read(Db(), "S02", "A100");
    EXPECT_EQ(dest.StockAsOf(day1.addDays(2)), 5);
    EXPECT_EQ(dest.Movements().front().balance, dest.CurrentCount());
    EXPECT_EQ(Left("S02"), "5");
}

JXC_INSTANTIATE_DB_TEST(StockRulesTest);

} // namespace
