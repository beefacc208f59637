// OpenQuery's typed datasets and QueryValue's text forms, on each engine.
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <memory>

using platform::Currency;
using platform::Dataset;
using platform::EDatabaseError;
using platform::FieldType;

namespace {

class QueryDb : public jxctest::DbTest {
protected:
    std::unique_ptr<Dataset> Open(const QString& sql) { return std::unique_ptr<Dataset>(Db().OpenQuery(sql)); }
};

TEST_P(QueryDb, ColumnsAreTypedFromTheSchema)
{
    Db().ExecSql("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, GoodsCount, BillSum, BillStatus, AuditFlag, "
                 "Auditor, AuditDate, Remark, DELETED) values (9000000001, 'DB-2026120800000001', "
                 "to_date('2026-12-08 10:15:30','YYYY-MM-DD HH24:MI:SS'), 12.5, 12345678.9876, 2, 1, '', null, '备注', 0)");
    auto ds = Open("select * from Sto_AdjustBillMain");
    ASSERT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->RecNo(), 0);
    EXPECT_FALSE(ds->Eof());
    auto type = [&](const char* f) { return ds->FieldByName(f).Type(); };
    EXPECT_EQ(type("ID"), FieldType::Integer);
    EXPECT_EQ(type("BillNo"), FieldType::Text);
    EXPECT_EQ(type("BillDate"), FieldType::DateTime);
    EXPECT_EQ(type("GoodsCount"), FieldType::Float);
    EXPECT_EQ(type("BillSum"), FieldType::Currency);
    EXPECT_EQ(type("BillStatus"), FieldType::Integer);
    EXPECT_EQ(type("AuditDate"), FieldType::DateTime);

    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 9000000001LL);
    EXPECT_EQ(ds->FieldByName("BillDate").AsDateTime(), QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30)));
    EXPECT_DOUBLE_EQ(ds->FieldByName("GoodsCount").AsFloat(), 12.5);
    EXPECT_EQ(ds->FieldByName("BillSum").AsCurrency(), Currency::FromRaw(123456789876LL));
    EXPECT_TRUE(ds->FieldByName("AuditDate").IsNull());
    EXPECT_FALSE(ds->FieldByName("Auditor").IsNull());
    EXPECT_EQ(ds->FieldByName("Remark").AsString(), QStringLiteral("备注"));
}

TEST_P(QueryDb, MoneyStaysExactThroughArithmetic)
{
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, GoodsPrice, GoodsCount, PaySum) values (1, 0.1, 3, 0.3)");
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, GoodsPrice, GoodsCount, PaySum) values (2, 8.3325, 1, 8.3325)");
    auto ds = Open("select GoodsPrice, PaySum from Sto_AdjustBillDetail order by ID");
    ASSERT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->FieldByName("PaySum").AsCurrency(), Currency::FromRaw(3000));
    ds->Next();
    EXPECT_EQ(ds->FieldByName("GoodsPrice").AsCurrency(), Currency::FromRaw(83325));
    EXPECT_EQ(Db().QueryValue("select sum(PaySum) from Sto_AdjustBillDetail"), "8.6325");
    EXPECT_EQ(Db().QueryValue("select PaySum from Sto_AdjustBillDetail where ID = 1"), "0.3");
}

TEST_P(QueryDb, ExpressionColumnsKeepFractionsOfLaterRows)
{
    // The first row's sum is whole, the second's is not: one numeric type must hold both.
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode) values (1, 'DB-1', 'G1')");
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode) values (2, 'DB-1', 'G2')");
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (10, 'S1', 'G1', 10)");
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (11, 'S1', 'G2', 10.25)");
    auto ds = Open("select a.ID, (select nvl(sum(LeftCount),0) from gds_stockcount where GoodsCode=a.goodscode) as "
                   "StockLeftCount, (select count(*) from gds_stockcount) as n from Sto_AdjustBillDetail a order by a.ID");
    ASSERT_EQ(ds->RecordCount(), 2);
    EXPECT_DOUBLE_EQ(ds->FieldByName("StockLeftCount").AsFloat(), 10);
    EXPECT_EQ(ds->FieldByName("n").AsInteger(), 2);
    ds->Next();
    EXPECT_DOUBLE_EQ(ds->FieldByName("StockLeftCount").AsFloat(), 10.25);
}

TEST_P(QueryDb, ExpressionColumnNullOnTheFirstRowsTakesALaterType)
{
    Db().ExecSql("insert into bas_Storage (ID, StorageCode, StorageName) values (1, 'S1', '一号库')");
    for (int i = 1; i <= 3; ++i)
        Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, Src_StorageCode) values (%1, 'DB-%1', '%2')")
                         .arg(i)
                         .arg(i == 3 ? "S1" : "none"));
    auto ds = Open("select a.ID, (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as "
                   "storageName_Out, (select max(AuditDate) from Sto_AdjustBillMain where 1=2) as never from Sto_AdjustBillMain a order by a.ID");
    ASSERT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->FieldByName("storageName_Out").Type(), FieldType::Text);
    EXPECT_TRUE(ds->FieldByName("storageName_Out").IsNull());
    ds->Last();
    EXPECT_EQ(ds->FieldByName("storageName_Out").AsString(), QStringLiteral("一号库"));
    EXPECT_TRUE(ds->FieldByName("never").IsNull());
}

TEST_P(QueryDb, RepeatedColumnNamesStayReachable)
{
    Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName) values (1, 'G1', '主档名')");
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode, GoodsName) values (2, 'DB-1', 'G1', '行名')");
    auto ds = Open(" select a.*,b.GoodsName from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  where a.GoodsCode=b.GoodsCode");
    ASSERT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->FieldByName("GoodsName").AsString(), QStringLiteral("行名"));
    EXPECT_EQ(ds->FieldByName("GoodsName_1").AsString(), QStringLiteral("主档名"));
    // The empty shape the list window starts with.
    auto empty = Open(" select a.*,b.GoodsName from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  where a.GoodsCode=b.GoodsCode and 1=2");
    EXPECT_EQ(empty->RecordCount(), 0);
    EXPECT_TRUE(empty->Eof());
    EXPECT_EQ(empty->RecNo(), -1);
    EXPECT_EQ(empty->FieldCount(), ds->FieldCount());
    EXPECT_EQ(empty->FieldByName("PaySum").Type(), FieldType::Currency);
}

TEST_P(QueryDb, DatasetIsEditableInMemoryOnly)
{
    Db().ExecSql("insert into Sto_AdjustBillMain (ID, BillNo, BillStatus) values (1, 'DB-1', 0)");
    auto ds = Open("select * from Sto_AdjustBillMain");
    ds->Edit();
    ds->FieldByName("BillStatus").SetValue(4);
    ds->Post();
    EXPECT_EQ(ds->FieldByName("BillStatus").AsInteger(), 4);
    EXPECT_EQ(Db().QueryValue("select BillStatus from Sto_AdjustBillMain"), "0");
}

TEST_P(QueryDb, QueryValueForms)
{
    EXPECT_EQ(Db().QueryValue("select count(*) from  Sto_AdjustBillDetail where BillNo= 'none' "), "0");
    EXPECT_EQ(Db().QueryValue(" select AuditFlag from Sto_AdjustBillMain where BillNo ='none'"), "");
    Db().ExecSql("insert into Sto_AdjustBillMain (ID, BillNo, AuditFlag, GoodsCount, BillSum) values (1, 'DB-1', 1, 2, 100)");
    EXPECT_EQ(Db().QueryValue(" select AuditFlag from Sto_AdjustBillMain where BillNo ='DB-1'"), "1");
    EXPECT_EQ(Db().QueryValue("select BillSum from Sto_AdjustBillMain"), "100");
    EXPECT_EQ(Db().QueryValue("select GoodsCount from Sto_AdjustBillMain"), "2");
    EXPECT_EQ(Db().QueryValue("select Auditor from Sto_AdjustBillMain"), "");
    EXPECT_EQ(Db().QueryValue("select GoodsCount / 8 from Sto_AdjustBillMain"), "0.25");
    EXPECT_EQ(Db().QueryValue("select 123456789012 * 10 from dual"), "1234567890120");
    EXPECT_EQ(Db().QueryValue("select 0.1 + 0.2 from dual"), "0.3");
    EXPECT_EQ(Db().QueryValue("select BillNo from Sto_AdjustBillMain where 1=2"), "");
}

TEST_P(QueryDb, QueriesMustSelect)
{
    EXPECT_THROW(Db().OpenQuery("delete from Sto_AdjustBillMain"), EDatabaseError);
    EXPECT_THROW(Db().OpenQuery("select * from NoSuchTable"), EDatabaseError);
}

TEST_P(QueryDb, ManyRowsInOrder)
{
    Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName) values (0, 'G', 'x')");
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode, GoodsCount, PaySum) select seq_jxcid.nextval, 'DB-1', "
                 "GoodsCode, 1.5, 2.25 from Bas_GoodsInfo");
    for (int i = 0; i < 8; ++i) // doubles the lines each time: 256
        Db().ExecSql("insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode, GoodsCount, PaySum) select seq_jxcid.nextval, "
                     "BillNo, GoodsCode, GoodsCount, PaySum from Sto_AdjustBillDetail");
    auto ds = Open("select ID, PaySum from Sto_AdjustBillDetail order by ID");
    ASSERT_EQ(ds->RecordCount(), 256);
    qint64 last = 0;
    Currency total;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        EXPECT_GT(ds->FieldByName("ID").AsInteger(), last);
        last = ds->FieldByName("ID").AsInteger();
        total += ds->FieldByName("PaySum").AsCurrency();
    }
    EXPECT_EQ(total, Currency::FromInt(576));
}

TEST_P(QueryDb, RepeatedAndDifferentStampsReadBackExactly)
{
    // Rows whose stamps repeat across columns and rows, and some that differ by a second.
    QVector<QDateTime> expected;
    for (int i = 0; i < 12; ++i) {
        const QDateTime a(QDate(2026, 12, 8 + i % 3), QTime(10, 0, i % 2));
        const QDateTime b = i % 4 == 0 ? a : a.addSecs(i);
        expected << a << b;
        Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillDate, Create_time, modified_time) values (%1, "
                                    "to_date('%2','YYYY-MM-DD HH24:MI:SS'), to_date('%3','YYYY-MM-DD HH24:MI:SS'), "
                                    "to_date('%2','YYYY-MM-DD HH24:MI:SS'))")
                         .arg(i)
                         .arg(a.toString("yyyy-MM-dd HH:mm:ss"), b.toString("yyyy-MM-dd HH:mm:ss")));
    }
    auto ds = Open("select BillDate, Create_time, modified_time from Sto_AdjustBillMain order by ID");
    ASSERT_EQ(ds->RecordCount(), 12);
    for (int i = 0; i < 12; ++i, ds->Next()) {
        EXPECT_EQ(ds->FieldByName("BillDate").AsDateTime(), expected[2 * i]) << i;
        EXPECT_EQ(ds->FieldByName("Create_time").AsDateTime(), expected[2 * i + 1]) << i;
        EXPECT_EQ(ds->FieldByName("modified_time").AsDateTime(), expected[2 * i]) << i;
    }
}

TEST_P(QueryDb, AStatementRunAgainKeepsUpWithSchemaChangesAndExpressionTypes)
{
    // The same text twice: the second run may reuse what the first learnt about the columns.
    Db().ExecSql("insert into bas_Storage (ID, StorageCode, StorageName) values (1, 'S01', 'a')");
    const QString all = QStringLiteral("select * from bas_Storage where ID = 1");
    const int before = Open(all)->FieldCount();
    Db().ExecSql("alter table bas_Storage add Extra varchar(20)");
    Db().ExecSql("update bas_Storage set Extra = 'x' where ID = 1");
    auto wider = Open(all);
    EXPECT_EQ(wider->FieldCount(), before + 1);
    EXPECT_EQ(wider->FieldByName("Extra").AsString(), "x");

    // An expression's type comes from its values on each run, not from an earlier run's.
    const QString expr = QStringLiteral("select nvl(Manager, StorageName) as m, count(ID) as n from bas_Storage "
                                        "where ID = 1 group by Manager, StorageName");
    auto first = Open(expr);
    EXPECT_EQ(first->FieldByName("m").Type(), FieldType::Text);
    EXPECT_EQ(first->FieldByName("n").AsInteger(), 1);
    Db().ExecSql("update bas_Storage set StorageName = '2024-01-02 03:04:05' where ID = 1");
    auto second = Open(expr);
    if (GetEngine() == host::db::Engine::SQLite) { // SQLite knows a date text only by its form
        EXPECT_EQ(second->FieldByName("m").Type(), FieldType::DateTime);
        EXPECT_EQ(second->FieldByName("m").AsDateTime(), QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)));
    }
    Db().ExecSql("update bas_Storage set StorageName = 'plain' where ID = 1");
    EXPECT_EQ(Open(expr)->FieldByName("m").AsString(), "plain");
}

TEST_P(QueryDb, ValuesStoredAsAnotherKindComeBackAsTheirColumnsType)
{
    if (GetEngine() != host::db::Engine::SQLite)
        GTEST_SKIP() << "only SQLite keeps a value of another kind than its column's";
    Db().ExecSql("create table kinds_probe (k int, n int, t blob, d date, m decimal(18,4))");
    Db().ExecSql("insert into kinds_probe values (1, 2.7, 12, '2026/1/2 3:04:05', 8.3325)");
    Db().ExecSql("insert into kinds_probe values (2, -4, 'text', 2461043.5, 7)");
    Db().ExecSql("insert into kinds_probe values (3, null, null, '2026-01-02', null)");
    auto ds = Open("select n, t, d, m from kinds_probe order by k");
    ASSERT_EQ(ds->RecordCount(), 3);
    auto at = [&](int row, const char* f) { return ds->At(row, ds->FieldIndex(QLatin1String(f))); };
    EXPECT_EQ(at(0, "n").toLongLong(), 3);
    EXPECT_EQ(at(0, "t").toString(), "12");
    EXPECT_EQ(at(0, "d").toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    EXPECT_EQ(at(0, "m").value<Currency>(), Currency::FromRaw(83325));
    EXPECT_EQ(at(1, "n").toLongLong(), -4);
    EXPECT_EQ(at(1, "t").toString(), "text");
    EXPECT_EQ(at(1, "d").toDateTime(), QDateTime(QDate(2026, 1, 3), QTime(0, 0))); // a Julian day
    EXPECT_EQ(at(1, "m").value<Currency>(), Currency::FromRaw(70000));
    EXPECT_FALSE(at(2, "n").isValid());
    EXPECT_FALSE(at(2, "t").isValid());
    EXPECT_EQ(at(2, "d").toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(0, 0)));

    // A value its column's type cannot take is named with its column.
    Db().ExecSql("insert into kinds_probe values (4, 'many', null, null, null)");
    try {
        Open("select n from kinds_probe order by k");
        ADD_FAILURE() << "a text in an integer column was read";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("Column n holds 'many'")) << e.Message().toStdString();
    }
}

JXC_INSTANTIATE_DB_TEST(QueryDb);

} // namespace
