// jxc-admin history: a bill's audit trail with its lines and the stock bills posted from it.
#include "AdminRun.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(AdminHistory, ABillsStoryTakesInItsLinesAndItsStockBillsAndNothingElse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("h.db"));
    ASSERT_EQ(Admin({"--db", target, "init"}).rc, 0);
    const AdminRun written = Admin(
        {"--db", target, "sql",
         "begin"
         " insert into Sto_AdjustBillMain (ID, BillNo, BillStatus, DELETED) values (9, 'DB-9', 2, 0);"
         " insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsCount) values (91, 9, 'DB-9', 'G01', 3);"
         " insert into Sto_GdsBillMain (ID, BillNo, BillType, SrcBillNo) values (92, 'CK-9', '12', 'DB-9');"
         " insert into Sto_GdsBillDetail (ID, BillID, BillNo, GoodsCode) values (93, 92, 'CK-9', 'G01');"
         " update Sto_AdjustBillMain set BillStatus = 4 where ID = 9;"
         " insert into Sto_AdjustBillMain (ID, BillNo, BillStatus, DELETED) values (10, 'DB-10', 0, 0);"
         "end;"});
    ASSERT_EQ(written.rc, 0) << written.err.toStdString();

    const AdminRun story = Admin({"--db", target, "history", "DB-9"});
    ASSERT_EQ(story.rc, 0) << story.err.toStdString();
    const QStringList lines = story.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 + 5 + 1) << story.out.toStdString(); // header, rule, five changes, the row count
    EXPECT_TRUE(lines[2].contains(QStringLiteral("sto_adjustbillmain")) && lines[2].contains(QStringLiteral("insert")));
    EXPECT_TRUE(lines[4].contains(QStringLiteral("sto_gdsbillmain")) && lines[4].contains(QStringLiteral("CK-9")));
    EXPECT_TRUE(lines[5].contains(QStringLiteral("sto_gdsbilldetail")));
    EXPECT_TRUE(lines[6].contains(QStringLiteral("update")) && lines[6].contains(QStringLiteral("\"billstatus\":4")));
    EXPECT_FALSE(story.out.contains(QStringLiteral("DB-10")));

    const AdminRun none = Admin({"--db", target, "history", "DB-404"});
    EXPECT_EQ(none.rc, 0);
    EXPECT_EQ(none.out, QStringLiteral("No change of bill DB-404 is on record\n"));
    EXPECT_EQ(Admin({"--db", target, "history"}).rc, host::admin::ExitUsage);
}

} // namespace
