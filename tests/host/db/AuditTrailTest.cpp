// The audit trail: every change to bills, their lines, stock and stock bills is written by the
// database's own triggers with the session's operator, the database role, the address, and the
// row before and after.
#include "platform/core/Dataset.h"
#include "tests/support/DbTestEnv.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

namespace {

class AuditTrailDb : public jxctest::DbTest {
protected:
    struct Entry {
        QString op, role, address, table, action, billNo;
        QJsonObject before, after;
    };
    std::vector<Entry> Entries()
    {
        std::unique_ptr<platform::Dataset> ds(Db().OpenQuery(QStringLiteral(
            "select OperatorCode, DbRole, ClientAddr, TableName, Action, BillNo, OldValues, NewValues from sys_auditlog order by ID")));
        std::vector<Entry> out;
        for (ds->First(); !ds->Eof(); ds->Next()) {
            auto text = [&](int i) { return ds->FieldAt(i).AsString(); };
            out.push_back({text(0), text(1), text(2), text(3), text(4), text(5),
                           QJsonDocument::fromJson(text(6).toUtf8()).object(), QJsonDocument::fromJson(text(7).toUtf8()).object()});
        }
        return out;
    }
};

TEST_P(AuditTrailDb, EveryChangeIsLoggedWithTheOperatorAndTheRowBeforeAndAfter)
{
    Conn().SetSessionOperator(QStringLiteral("001"));
    Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, BillStatus, Remark, DELETED) values (7, 'DB-7', 0, '备注', 0)"));
    Db().ExecSql(QStringLiteral("begin insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsCount) values"
                                " (71, 7, 'DB-7', 'G01', 2.5); update Sto_AdjustBillMain set BillStatus = 2 where ID = 7; end;"));
    Conn().SetSessionOperator(QStringLiteral("002"));
    Db().ExecSql(QStringLiteral("delete from Sto_AdjustBillDetail where ID = 71"));
    // Tables outside the trail are not logged.
    Db().ExecSql(QStringLiteral("insert into bas_goodstype (GoodsTypeCode, GoodsTypeName) values ('01', '食品')"));

    const auto e = Entries();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].table, QStringLiteral("sto_adjustbillmain"));
    EXPECT_EQ(e[0].action, QStringLiteral("insert"));
    EXPECT_EQ(e[0].op, QStringLiteral("001"));
    EXPECT_EQ(e[0].billNo, QStringLiteral("DB-7"));
    EXPECT_TRUE(e[0].before.isEmpty());
    EXPECT_EQ(e[0].after.value(QStringLiteral("remark")).toString(), QStringLiteral("备注"));
    EXPECT_FALSE(e[0].role.isEmpty());
    EXPECT_FALSE(e[0].address.isEmpty());

    EXPECT_EQ(e[1].table, QStringLiteral("sto_adjustbilldetail"));
    EXPECT_DOUBLE_EQ(e[1].after.value(QStringLiteral("goodscount")).toDouble(), 2.5);

    EXPECT_EQ(e[2].action, QStringLiteral("update"));
    EXPECT_EQ(e[2].before.value(QStringLiteral("billstatus")).toInt(), 0);
    EXPECT_EQ(e[2].after.value(QStringLiteral("billstatus")).toInt(), 2);

    EXPECT_EQ(e[3].action, QStringLiteral("delete"));
    EXPECT_EQ(e[3].op, QStringLiteral("002"));
    EXPECT_EQ(e[3].billNo, QStringLiteral("DB-7"));
    EXPECT_EQ(e[3].before.value(QStringLiteral("goodscode")).toString(), QStringLiteral("G01"));
    EXPECT_TRUE(e[3].after.isEmpty());
}

TEST_P(AuditTrailDb, AFailedWriteLeavesNoEntryAndNoOperatorIsLoggedAsNone)
{
    Db().ExecSql(QStringLiteral("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (1, 'S01', 'G01', 5)"));
    EXPECT_ANY_THROW(Db().ExecSql(QStringLiteral(
        "begin update Gds_StockCount set LeftCount = 6 where ID = 1; insert into Gds_StockCount (ID) values (1); end;")));
    const auto e = Entries();
    ASSERT_EQ(e.size(), 1u) << "the undone update is not on record";
    EXPECT_TRUE(e[0].op.isEmpty());
    EXPECT_EQ(e[0].table, QStringLiteral("gds_stockcount"));
}

JXC_INSTANTIATE_DB_TEST(AuditTrailDb);

} // namespace
