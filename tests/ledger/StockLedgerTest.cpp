// The stock ledger's model on both engines: movements from the stock bills newest first, their
// balances worked back from the stock count, the stock at a day's end, and what is left out.
#include "ledger/StockLedger.h"
#include "tests/ledger/LedgerSeed.h"
#include "tests/support/DbTestEnv.h"

#include <gtest/gtest.h>

namespace {

using ledger::Movement;
using ledger::StockLedger;
using ledgertest::Day;

class StockLedgerTest : public jxctest::DbTest {};

QStringList BillNos(const StockLedger& l)
{
    QStringList nos;
    for (const Movement& m : l.Movements())
        nos << m.billNo;
    return nos;
}

TEST_P(StockLedgerTest, BalancesAreWorkedBackFromTheStockCountAndReadAtEachDaysEnd)
{
    ledgertest::SeedTransferHistory(Db());
    const StockLedger l = StockLedger::Read(Db(), "S01", "G01");
    // Newest first; the other storages' bills of the same transfers stay out.
    ASSERT_EQ(BillNos(l), (QStringList{"RK-3", "CK-2", "CK-1", "QC-1"}));
    const std::vector<Movement>& m = l.Movements();
    EXPECT_EQ(ledger::MovementTypeName(m[0].billType, m[0].remark), QStringLiteral("冲销入库"));
    EXPECT_EQ(ledger::MovementTypeName(m[1].billType, m[1].remark), QStringLiteral("调拨出库"));
    EXPECT_EQ(ledger::MovementTypeName(m[3].billType, m[3].remark), QStringLiteral("期初入库"));
    EXPECT_EQ(m[0].srcBillNo, "DB-1");
    EXPECT_EQ(m[1].srcBillNo, "DB-2");
    EXPECT_TRUE(m[3].srcBillNo.isEmpty());
    EXPECT_EQ(m[1].BillDate(), Day(3));
    EXPECT_DOUBLE_EQ(m[0].inCount, 3);
    EXPECT_DOUBLE_EQ(m[0].outCount, 0);
    EXPECT_DOUBLE_EQ(m[1].inCount, 0);
    EXPECT_DOUBLE_EQ(m[1].outCount, 5);
    // The newest balance is the stock count.
    EXPECT_DOUBLE_EQ(l.CurrentCount(), 95);
    EXPECT_DOUBLE_EQ(m[0].balance, 95);
    EXPECT_DOUBLE_EQ(m[1].balance, 92);
    EXPECT_DOUBLE_EQ(m[2].balance, 97);
    EXPECT_DOUBLE_EQ(m[3].balance, 100);

    EXPECT_DOUBLE_EQ(l.StockAsOf(Day(2).date()), 97);
    EXPECT_DOUBLE_EQ(l.StockAsOf(Day(3).date()), 92);
    EXPECT_DOUBLE_EQ(l.StockAsOf(Day(4).date()), 95);
    EXPECT_DOUBLE_EQ(l.StockAsOf(Day(1).date()), 100); // before the first transfer: the opening stock
    EXPECT_DOUBLE_EQ(l.StockAsOf(QDate(2026, 2, 28)), 0);
    EXPECT_DOUBLE_EQ(l.OpeningCount(), 0);
    EXPECT_DOUBLE_EQ(l.StockAsOf(QDate(2027, 1, 1)), 95);
}

TEST_P(StockLedgerTest, TheReceivingStorageSeesTheTransferInAndTheReversalOut)
{
    ledgertest::SeedTransferHistory(Db());
    const StockLedger l = StockLedger::Read(Db(), "S02", "G01");
    ASSERT_EQ(BillNos(l), (QStringList{"CK-3", "RK-1"}));
    EXPECT_EQ(ledger::MovementTypeName(l.Movements()[0].billType, l.Movements()[0].remark), QStringLiteral("冲销出库"));
    EXPECT_EQ(ledger::MovementTypeName(l.Movements()[1].billType, l.Movements()[1].remark), QStringLiteral("调拨入库"));
    EXPECT_DOUBLE_EQ(l.Movements()[1].balance, 3);
    EXPECT_DOUBLE_EQ(l.StockAsOf(Day(3).date()), 3);
    EXPECT_DOUBLE_EQ(l.StockAsOf(Day(4).date()), 0);
}

TEST_P(StockLedgerTest, TheGoodsLinesOfOneStockBillAreOneMovementAndDeletedRowsStayOut)
{
    ledgertest::AddStockBill(Db(), {20, "RK-9", "02", "S01", "DB-9", Day(5), "", {{"G01", "2"}, {"G02", "9"}, {"G01", "1.5"}, {"G01", "40", 1}}});
    ledgertest::AddStockBill(Db(), {21, "CK-9", "12", "S01", "DB-8", Day(6), "", {{"G01", "1"}}, 1});
    ledgertest::SetStockCount(Db(), 1, "S01", "G01", "3.5");
    const StockLedger l = StockLedger::Read(Db(), "S01", "G01");
    ASSERT_EQ(BillNos(l), QStringList{"RK-9"});
    EXPECT_DOUBLE_EQ(l.Movements()[0].inCount, 3.5);
    EXPECT_DOUBLE_EQ(l.Movements()[0].balance, 3.5);
    EXPECT_DOUBLE_EQ(l.OpeningCount(), 0);
}

TEST_P(StockLedgerTest, CodesWithQuotesReadTheirOwnMovements)
{
    ledgertest::SeedTransferHistory(Db(), "G'01");
    const StockLedger l = StockLedger::Read(Db(), "S01", "G'01");
    EXPECT_EQ(BillNos(l), (QStringList{"RK-3", "CK-2", "CK-1", "QC-1"}));
    EXPECT_DOUBLE_EQ(l.CurrentCount(), 95);
    // Nothing for a storage or goods without stock bills or stock.
    const StockLedger none = StockLedger::Read(Db(), "S01", "G'");
    EXPECT_TRUE(none.Movements().empty());
    EXPECT_DOUBLE_EQ(none.StockAsOf(Day(4).date()), 0);
}

JXC_INSTANTIATE_DB_TEST(StockLedgerTest);

TEST(StockLedgerModel, MovementsOfOneDayCountTogetherAndHundredthsAddUpExactly)
{
    // Same day, newest first: the day's end is after both.
    std::vector<Movement> rows(3);
    rows[0] = {Day(9, 15).date(), Day(9, 15).time(), 3, "CK-b", "12", "DB-b", "", 0, 0.1, 0};
    rows[1] = {Day(9, 9).date(), Day(9, 9).time(), 2, "RK-a", "02", "DB-a", "", 0.2, 0, 0};
    rows[2] = {Day(8).date(), Day(8).time(), 1, "QC-1", "00", "", "", 10.7, 0, 0};
    const StockLedger l(rows, 10.8);
    EXPECT_DOUBLE_EQ(l.StockAsOf(Day(9).date()), 10.8);
    EXPECT_DOUBLE_EQ(l.StockAsOf(Day(8).date()), 10.7);
    EXPECT_DOUBLE_EQ(l.Movements()[1].balance, 10.9);
    EXPECT_DOUBLE_EQ(l.OpeningCount(), 0);
    // No movements: the count holds on every day.
    EXPECT_DOUBLE_EQ(StockLedger({}, 4).StockAsOf(Day(1).date()), 4);
    EXPECT_EQ(ledger::MovementTypeName("13", ""), "13");
}

} // namespace
