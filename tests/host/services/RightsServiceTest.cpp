// Rights of an operator from the host tables, on every engine.
#include "host/services/RightsService.h"
#include "platform/core/Dataset.h"
#include "tests/support/DbTestEnv.h"

#include <memory>

namespace {

using plugin::IntfPtr;

class RightsServiceTest : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        jxctest::DbTest::SetUp();
        if (IsSkipped() || HasFailure())
            return;
        for (const char* sql : {
                 "insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (1, '001', '张三')",
                 "insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (2, '002', '李四')",
                 "insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (3, '003', '王五')",
                 "insert into sys_operatorright values (1, 2001, 3, 1)",
                 "insert into sys_operatorright values (1, 2002, 1, 0)",
                 "insert into sys_operatorright values (2, 2001, 1, 0)",
                 "insert into sys_operatorgoodstype values (1, '01')",
                 "insert into sys_operatorgoodstype values (1, '03')",
                 "insert into sys_operatorgoodstype values (2, '02')",
                 "insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType) values (11, 'G1', '大米', '01')",
                 "insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType) values (12, 'G2', '电视', '02')",
                 "insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType) values (13, 'G3', '毛巾', '03')",
                 "insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode, DELETED) values (21, 'DB-1', 'G1', 0)",
                 "insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode, DELETED) values (22, 'DB-1', 'G3', 1)",
                 "insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode, DELETED) values (23, 'DB-2', 'G2', 0)",
             })
            Db().ExecSql(QString::fromUtf8(sql));
    }

    IntfPtr<host::RightsService> For(int operatorId) { return IntfPtr<host::RightsService>(new host::RightsService(&Db(), operatorId)); }

    // The goods-type check of a bill, as the list window runs it.
    QString PermittedLines(const QString& billNo, int operatorId)
    {
        const QString list = For(operatorId)->GoodsTypeList(operatorId);
        return Db().QueryValue(QStringLiteral("select count(a.GoodsCode) from Sto_AdjustBillDetail a left join Bas_GoodsInfo b "
                                              " on (a.goodscode = b.goodscode) where a.BillNo= '%1'  and  "
                                              " b.GoodsType in %2")
                                   .arg(billNo, list));
    }
};

TEST_P(RightsServiceTest, LevelsArePerOperatorAndPlugin)
{
    EXPECT_EQ(For(1)->CanBrowse(QStringLiteral("2001")), 3);
    EXPECT_EQ(For(1)->CanOperate(QStringLiteral("2001")), 1);
    EXPECT_EQ(For(1)->CanBrowse(QStringLiteral("2002")), 1);
    EXPECT_EQ(For(1)->CanOperate(QStringLiteral("2002")), 0);
    EXPECT_EQ(For(2)->CanBrowse(QStringLiteral("2001")), 1);
    EXPECT_EQ(For(2)->CanOperate(QStringLiteral("2001")), 0);
    // No row: no rights.
    EXPECT_EQ(For(3)->CanBrowse(QStringLiteral("2001")), 0);
    EXPECT_EQ(For(3)->CanOperate(QStringLiteral("2001")), 0);
    EXPECT_EQ(For(1)->CanBrowse(QStringLiteral("9999")), 0);
}

TEST_P(RightsServiceTest, ChangesAreSeenWithoutANewService)
{
    auto rights = For(2);
    EXPECT_EQ(rights->CanOperate(QStringLiteral("2001")), 0);
    Db().ExecSql(QStringLiteral("update sys_operatorright set OperateRight=1, BrowseLevel=2 where OperatorID=2"));
    EXPECT_EQ(rights->CanOperate(QStringLiteral("2001")), 1);
    EXPECT_EQ(rights->CanBrowse(QStringLiteral("2001")), 2);
}

TEST_P(RightsServiceTest, IdsThatAreNotNumbersGetNoRightsAndNeverReachTheSql)
{
    auto rights = For(1);
    for (const QString& bad : {QStringLiteral(""), QStringLiteral("abc"), QStringLiteral("2001 or 1=1"),
                               QStringLiteral("2001;drop table sys_operatorright"), QStringLiteral("-2001"),
                               QStringLiteral("20.01")}) {
        EXPECT_EQ(rights->CanBrowse(bad), 0) << bad.toStdString();
        EXPECT_EQ(rights->CanOperate(bad), 0) << bad.toStdString();
    }
    EXPECT_EQ(rights->CanBrowse(QStringLiteral(" 2001 ")), 3) << "blanks around a number are fine";
    EXPECT_EQ(Db().QueryValue(QStringLiteral("select count(*) from sys_operatorright")), QStringLiteral("3"));
}

TEST_P(RightsServiceTest, GoodsTypeListIsNeverEmptyAndAlwaysValidSql)
{
    for (int op : {1, 2, 3, 99}) {
        const QString list = For(1)->GoodsTypeList(op);
        EXPECT_FALSE(list.trimmed().isEmpty());
        EXPECT_TRUE(list.trimmed().startsWith(u'(') && list.trimmed().endsWith(u')')) << list.toStdString();
    }
    // Operator 1 handles types 01 and 03: DB-1 passes (deleted lines count too), DB-2 does not.
    EXPECT_EQ(PermittedLines(QStringLiteral("DB-1"), 1), QStringLiteral("2"));
    EXPECT_EQ(PermittedLines(QStringLiteral("DB-2"), 1), QStringLiteral("0"));
    EXPECT_EQ(PermittedLines(QStringLiteral("DB-2"), 2), QStringLiteral("1"));
    // No goods types at all: the statement still runs and matches nothing.
    EXPECT_EQ(PermittedLines(QStringLiteral("DB-1"), 3), QStringLiteral("0"));
    EXPECT_EQ(PermittedLines(QStringLiteral("DB-1"), 99), QStringLiteral("0"));
}

TEST_P(RightsServiceTest, GoodsTypeListNamesTheOperatorAskedFor)
{
    // The list is for the operator passed, not the one the service was made for.
    auto rights = For(1);
    std::unique_ptr<platform::Dataset> ds(Db().OpenQuery(
        QStringLiteral("select GoodsTypeCode from (select '02' as GoodsTypeCode) x where GoodsTypeCode in ") +
        rights->GoodsTypeList(2)));
    ASSERT_TRUE(ds);
    EXPECT_EQ(ds->RecordCount(), 1);
}

JXC_INSTANTIATE_DB_TEST(RightsServiceTest);

} // namespace
