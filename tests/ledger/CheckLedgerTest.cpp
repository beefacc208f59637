// jxc-admin check-ledger on both engines: quiet on stock its stock bills explain, naming every
// count they do not and every stock-bill movement without a count; a fresh demo passes.
#include "host/admin/AdminTool.h"
#include "host/admin/DemoData.h"
#include "tests/host/demo/AdminRun.h"
#include "tests/ledger/LedgerSeed.h"
#include "tests/support/DbTestEnv.h"

#include <gtest/gtest.h>

namespace {

class CheckLedgerTest : public jxctest::DbTest {
protected:
    AdminRun Check() { return Admin({"--db", AdminTarget(), "check-ledger"}); }
};

// The table's data line for the storage and goods, or "" when the table has none.
QString LineOf(const QString& out, const QString& storage, const QString& goods)
{
    for (const QString& line : out.split(u'\n'))
        if (line.section(u'|', 0, 0).trimmed() == storage && line.section(u'|', 1, 1).trimmed() == goods)
            return line;
    return {};
}

TEST_P(CheckLedgerTest, StockTheBillsExplainPassesAndAChangedCountIsNamed)
{
    ledgertest::SeedTransferHistory(Db());
    AdminRun r = Check();
    EXPECT_EQ(r.rc, host::admin::ExitOk) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("全部 5 条库存数都与出入库单相符\n"));

    // A count changed behind the stock bills' back, and a deleted stock bill that no longer counts.
    Db().ExecSql("update Gds_StockCount set LeftCount = 90.5 where StorageCode = 'S01' and GoodsCode = 'G01'");
    Db().ExecSql("update Sto_GdsBillMain set deleted = 1 where BillNo = 'RK-2'");
    r = Check();
    EXPECT_EQ(r.rc, host::admin::ExitUnexplained);
    const QString s01 = LineOf(r.out, "S01", "G01");
    ASSERT_FALSE(s01.isEmpty()) << r.out.toStdString();
    EXPECT_DOUBLE_EQ(s01.section(u'|', 2, 2).toDouble(), 90.5); // the count
    EXPECT_DOUBLE_EQ(s01.section(u'|', 3, 3).toDouble(), 95);   // what the bills sum to
    EXPECT_DOUBLE_EQ(s01.section(u'|', 4, 4).toDouble(), -4.5);
    EXPECT_DOUBLE_EQ(LineOf(r.out, "S03", "G01").section(u'|', 4, 4).toDouble(), 5);
    EXPECT_TRUE(LineOf(r.out, "S02", "G01").isEmpty());
    EXPECT_TRUE(r.out.contains(QStringLiteral("(2 rows)"))) << r.out.toStdString();
}

TEST_P(CheckLedgerTest, StockBillMovementsWithoutACountAreNamed)
{
    ledgertest::SeedTransferHistory(Db());
    Db().ExecSql("delete from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G02'");
    const AdminRun r = Check();
    EXPECT_EQ(r.rc, host::admin::ExitUnexplained);
    EXPECT_TRUE(r.out.contains(QStringLiteral("没有库存数的出入库单仓库和商品"))) << r.out.toStdString();
    EXPECT_FALSE(LineOf(r.out, "S02", "G02").isEmpty()) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("出入库单不能说明的库存数")));
}

TEST_P(CheckLedgerTest, AFreshDemoIsExplainedByItsStockBills)
{
    host::db::DemoOptions o;
    o.bills = 120;
    const host::db::DemoSummary summary = host::db::SeedDemo(Conn(), o);
    EXPECT_GT(summary.openingBills, 0);
    EXPECT_EQ(Db().QueryValue("select count(*) from Sto_GdsBillMain where BillType = '00' and Remark = '期初库存'"
                              " and BillDate < (select min(BillDate) from Sto_AdjustBillMain)"),
              QString::number(summary.openingBills));
    const AdminRun r = Check();
    EXPECT_EQ(r.rc, host::admin::ExitOk) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("全部 %1 条库存数").arg(summary.stockRows))) << r.out.toStdString();
}

JXC_INSTANTIATE_DB_TEST(CheckLedgerTest);

} // namespace
