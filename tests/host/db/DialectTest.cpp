// The Oracle text the module sends, run on each engine: the rewrites must give Oracle's answers.
#include "host/db/dialect/Dialect.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QSet>
#include <memory>

using host::db::Engine;
using platform::Dataset;
using platform::EDatabaseError;

namespace {

class DialectDb : public jxctest::DbTest {
protected:
    std::unique_ptr<Dataset> Open(const QString& sql) { return std::unique_ptr<Dataset>(Db().OpenQuery(sql)); }
    void AddBill(int id, const QString& no, const QString& date)
    {
        Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, DELETED) values (%1, '%2', "
                                    "to_date('%3','YYYY-MM-DD HH24:MI:SS'), 0)")
                         .arg(id)
                         .arg(no, date));
    }
};

TEST_P(DialectDb, LiteralsKeepQuotesAndCommentMarkers)
{
    const QString remark = QStringLiteral("it's \"quoted\" -- not a comment /* nor this */ ; 调拨");
    QString literal = remark;
    literal.replace(u'\'', QLatin1String("''")); // allowed: the literal itself is under test
    Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, Remark) -- the header\n"
                                "values (1, 'DB-1', /* remark: */ '%1')").arg(literal));
    EXPECT_EQ(Db().QueryValue("select Remark from Sto_AdjustBillMain where BillNo = 'DB-1' -- trailing"), remark);
    EXPECT_EQ(Db().QueryValue(QStringLiteral("select count(*) from Sto_AdjustBillMain where Remark = '%1'").arg(literal)), "1");
}

TEST_P(DialectDb, IdentifiersIgnoreCase)
{
    Db().ExecSql("insert into STO_ADJUSTBILLMAIN (id, BILLNO, deleted) values (7, 'DB-7', 0)");
    auto ds = Open("select a.BillNO, a.billno as Second from sto_adjustbillmain a where a.DELETED= 0 and a.Deleted = 0");
    ASSERT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->FieldByName("billno").AsString(), "DB-7");
    EXPECT_EQ(ds->FieldByName("SECOND").AsString(), "DB-7");
}

TEST_P(DialectDb, NvlSubstrUpperAndDual)
{
    EXPECT_EQ(Db().QueryValue("select nvl(sum(LeftCount),0) from gds_stockcount where GoodsCode='none'"), "0");
    EXPECT_EQ(Db().QueryValue("select nvl(null, 'x') from dual"), "x");
    EXPECT_EQ(Db().QueryValue("select upper('abc') || substr('52101', 1, 3) from dual"), "ABC521");
    Db().ExecSql("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52101', '个')");
    Db().ExecSql("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52202', '箱')");
    auto ds = Open("select DictDetailCode,DictDetailName from Sys_DictDetail where substr(dictdetailCode,1,3)='521'");
    ASSERT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->FieldByName("DictDetailName").AsString(), QStringLiteral("个"));
}

TEST_P(DialectDb, LikeTellsCaseApart)
{
    Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName) values (1, 'abc1', 'lower')");
    Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName) values (2, 'ABC2', 'UPPER')");
    EXPECT_EQ(Db().QueryValue("select count(*) from Bas_GoodsInfo where GoodsCode like '%AB%'"), "1");
    EXPECT_EQ(Db().QueryValue("select GoodsCode from Bas_GoodsInfo where GoodsCode like 'ab%'"), "abc1");
    EXPECT_EQ(Db().QueryValue("select count(*) from Bas_GoodsInfo where upper(GoodsCode) like '%AB%'"), "2");
}

TEST_P(DialectDb, ToDateFormsAndShortInput)
{
    auto ds = Open("select to_date('2026-12-08','YYYY-MM-DD') as d1, "
                   "to_date('2026-12-08 10:15','YYYY-MM-DD HH24:MI:SS') as d2, "
                   "to_date('2026-12-08 10:15:42','YYYY-MM-DD HH24:MI:SS') as d3, "
                   "to_date('2026-12-08','YYYY-MM-DD HH24:MI:SS') as d4 from dual");
    ASSERT_EQ(ds->RecordCount(), 1);
    const QDate day(2026, 12, 8);
    EXPECT_EQ(ds->FieldByName("d1").AsDateTime(), QDateTime(day, QTime(0, 0)));
    EXPECT_EQ(ds->FieldByName("d2").AsDateTime(), QDateTime(day, QTime(10, 15, 0)));
    EXPECT_EQ(ds->FieldByName("d3").AsDateTime(), QDateTime(day, QTime(10, 15, 42)));
    EXPECT_EQ(ds->FieldByName("d4").AsDateTime(), QDateTime(day, QTime(0, 0)));
    EXPECT_EQ(ds->FieldByName("d2").Type(), platform::FieldType::DateTime);

    EXPECT_THROW(Db().QueryValue("select to_date('2026-02-30','YYYY-MM-DD') from dual"), EDatabaseError);
    EXPECT_THROW(Db().QueryValue("select to_date('2026-12-08 10:15','YYYY-MM-DD') from dual"), EDatabaseError);
}

TEST_P(DialectDb, ToDateOfNonLiteralConvertsAtRunTime)
{
    Db().ExecSql("insert into Sto_AdjustBillMain (ID, BillNo, Remark) values (1, 'DB-1', '2026-12-08 10:15')");
    auto ds = Open("select to_date(Remark, 'YYYY-MM-DD HH24:MI:SS') as d from Sto_AdjustBillMain");
    ASSERT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->FieldByName("d").AsDateTime(), QDateTime(QDate(2026, 12, 8), QTime(10, 15)));
}

TEST_P(DialectDb, DateRangeIncludesMidnightOfTheNextDay)
{
    AddBill(1, "DB-1", "2026-12-07 23:59:59");
    AddBill(2, "DB-2", "2026-12-08 00:00:00");
    AddBill(3, "DB-3", "2026-12-08 23:59:59");
    AddBill(4, "DB-4", "2026-12-09 00:00:00");
    AddBill(5, "DB-5", "2026-12-09 00:00:01");
    // The list window's filter for the single day 2026-12-08.
    auto ds = Open(" select a.*, (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as storageName_Out, "
                   "(select storageName from bas_storage where StorageCode=a.Des_StorageCode) as storageName_In  from "
                   "Sto_AdjustBillMain a  where a.DELETED= 0 and a.billDate >=to_date('2026-12-08','YYYY-MM-DD') and "
                   "a.BillDate <= to_date('2026-12-09','YYYY-MM-DD')");
    QSet<QString> numbers;
    for (ds->First(); !ds->Eof(); ds->Next())
        numbers.insert(ds->FieldByName("BillNo").AsString());
    EXPECT_EQ(numbers, (QSet<QString>{"DB-2", "DB-3", "DB-4"}));
}

TEST_P(DialectDb, SysdateIsServerTimeToTheSecond)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    Db().ExecSql("insert into Sto_AdjustBillMain (ID, BillNo, Create_time) values (1, 'DB-1', sysdate)");
    auto ds = Open("select Create_time, sysdate as now from Sto_AdjustBillMain");
    const QDateTime stored = ds->FieldByName("Create_time").AsDateTime();
    const QDateTime after = QDateTime::currentDateTime().addSecs(2);
    EXPECT_TRUE(stored >= before && stored <= after) << stored.toString().toStdString();
    EXPECT_EQ(stored.time().msec(), 0);
    EXPECT_EQ(ds->FieldByName("now").Type(), platform::FieldType::DateTime);
    // Dates compare as dates: a stamp of today is later than midnight and earlier than tomorrow.
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    const QString tomorrow = QDate::currentDate().addDays(1).toString("yyyy-MM-dd");
    EXPECT_EQ(Db().QueryValue(QStringLiteral("select count(*) from Sto_AdjustBillMain where Create_time >= "
                                             "to_date('%1','YYYY-MM-DD') and Create_time < to_date('%2','YYYY-MM-DD') "
                                             "and Create_time <= sysdate")
                                  .arg(today, tomorrow)),
              "1");
}

TEST_P(DialectDb, NextvalGivesOneValuePerRowInInsertSelect)
{
    for (int i = 1; i <= 3; ++i)
        Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsCount, PaySum) "
                                    "values (seq_jxcid.nextval, 100, 'DB-1', 'G%1', %1, %1.25)").arg(i));
    // The posting's copy of the lines, with both spellings of the sequence.
    Db().ExecSql(" Insert into Sto_GdsBillDetail(ID,BillID,BillNo,BillType,GoodsCode,GoodsCount,PaySum,deleted)  select "
                 "SEQ_JXCID.NEXTVAL,200,'CK-1','12',GoodsCode,GoodsCount,PaySum,0 from Sto_AdjustBillDetail  where BillID=100;");
    auto ds = Open("select ID from Sto_GdsBillDetail");
    ASSERT_EQ(ds->RecordCount(), 3);
    QSet<qint64> ids;
    for (ds->First(); !ds->Eof(); ds->Next())
        ids.insert(ds->FieldByName("ID").AsInteger());
    EXPECT_EQ(ids.size(), 3);
    for (qint64 id : ids)
        EXPECT_TRUE(id >= 4 && id <= 6) << id;
    EXPECT_EQ(Db().NextSequence("SEQ_JXCID"), "7");
    EXPECT_EQ(Db().QueryValue("select seq_jxcid.nextval from dual"), "8");
    EXPECT_EQ(Db().QueryValue("select sum(PaySum) from Sto_GdsBillDetail"), "6.75");
}

TEST_P(DialectDb, JoinsSubSelectsAndIn)
{
    Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, BarCode, UseFlag, Deleted) values (1, 'G1', '苹果', '01', '690001', 1, 0)");
    Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, BarCode, UseFlag, Deleted) values (2, 'G2', '香蕉', '02', '690002', 1, 0)");
    Db().ExecSql("insert into Sto_AdjustBillMain (ID, BillNo, DELETED) values (10, 'DB-10', 0)");
    Db().ExecSql("insert into Sto_AdjustBillMain (ID, BillNo, DELETED) values (11, 'DB-11', 0)");
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, DELETED) values (20, 10, 'DB-10', 'G1', '苹果', 0)");
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, DELETED) values (21, 11, 'DB-11', 'G2', '香蕉', 0)");
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, DELETED) values (22, 11, 'DB-11', 'GX', 'missing', 0)");
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (30, 'S1', 'G1', 10)");
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (31, 'S2', 'G1', 2.5)");

    const QString head = " select a.*, (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as "
                         "storageName_Out, (select storageName from bas_storage where StorageCode=a.Des_StorageCode) as "
                         "storageName_In  from Sto_AdjustBillMain a";
    auto byGoods = Open(head + "  where  a.DELETED= 0 and a.BillNo ='DB-10' and  a.id in ( select BillID from "
                               "Sto_AdjustBillDetail where GoodsCode like '%苹%' or GoodsName like '%苹%' )");
    EXPECT_EQ(byGoods->RecordCount(), 1);
    auto byBarCode = Open(head + "  where  a.DELETED= 0 and a.id in (select billid from Sto_AdjustBillDetail where  GoodsCode in "
                                 "(select GoodsCode from Bas_GoodsInfo where BarCode like '%0002%')) ");
    ASSERT_EQ(byBarCode->RecordCount(), 1);
    EXPECT_EQ(byBarCode->FieldByName("BillNo").AsString(), "DB-11");
    EXPECT_TRUE(byBarCode->FieldByName("storageName_Out").IsNull());

    // The goods-type rights check: a left join counted over the permitted types.
    EXPECT_EQ(Db().QueryValue("select count(a.GoodsCode) from Sto_AdjustBillDetail a left join Bas_GoodsInfo b  on "
                              "(a.goodscode = b.goodscode) where a.BillNo= 'DB-11'  and   b.GoodsType in ('01')"),
              "0");
    EXPECT_EQ(Db().QueryValue("select count(a.GoodsCode) from Sto_AdjustBillDetail a left join Bas_GoodsInfo b  on "
                              "(a.goodscode = b.goodscode) where a.BillNo= 'DB-11'  and   b.GoodsType in ('01','02')"),
              "1");

    // The lines with the goods' total stock; the line without a goods row is left out.
    auto lines = Open(" select a.*,b.GoodsName, (select nvl(sum(LeftCount),0) from gds_stockcount where "
                      "GoodsCode=a.goodscode )  as StockLeftCount  from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  where  "
                      "a.DELETED= 0 and  a.GoodsCode=b.GoodsCode and a.BillNo='DB-10'");
    ASSERT_EQ(lines->RecordCount(), 1);
    EXPECT_DOUBLE_EQ(lines->FieldByName("StockLeftCount").AsFloat(), 12.5);

    // Stock of one goods in one storage minus a line quantity: the shortage test.
    EXPECT_EQ(Db().QueryValue("select (nvl(sum(LeftCount),0) - 10) from Gds_StockCount where StorageCode='S1'  and  GoodsCode = 'G1' "), "0");
    EXPECT_EQ(Db().QueryValue("select (nvl(sum(LeftCount),0) - 3) from Gds_StockCount where StorageCode='S2'  and  GoodsCode = 'G1' "), "-0.5");
    EXPECT_EQ(Db().QueryValue("select (nvl(sum(LeftCount),0) - 1) from Gds_StockCount where StorageCode='S9'  and  GoodsCode = 'G1' "), "-1");
}

TEST_P(DialectDb, GoodsLookupQueries)
{
    Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, PyCode, GoodsType, UseFlag, Deleted) values (1, 'A100', '铅笔', 'QB', '01', 1, 0)");
    Db().ExecSql("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, PyCode, GoodsType, UseFlag, Deleted) values (2, 'A200', '钢笔', 'GB', '01', 0, 0)");
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (30, 'S1', 'A100', 4)");
    auto inStorage = Open(" select a.*,b.LeftCount as GdsLeftCount  from Bas_GoodsInfo a inner join gds_stockcount b  on "
                          "(a.GoodsCode = b.GoodsCode and b.storageCode ='S1') where (upper(a.GoodsCode) like '%A1%' or "
                          "upper(a.GoodsName) like '%A1%' or upper(a.PyCode) like '%A1%') and a.UseFlag = 1 and "
                          "(a.Deleted=0) and a.GoodsType in ('01')");
    ASSERT_EQ(inStorage->RecordCount(), 1);
    EXPECT_DOUBLE_EQ(inStorage->FieldByName("GdsLeftCount").AsFloat(), 4);
    auto all = Open(" select a.*,(select nvl(Sum(LeftCount),0) from gds_stockcount  where GoodsCode=a.GoodsCode) as "
                    "GdsLeftCount from Bas_GoodsInfo a  where (upper(a.GoodsCode) like '%B%' or upper(a.GoodsName) like "
                    "'%B%' or upper(a.PyCode) like '%B%') and (a.Deleted=0) and a.UseFlag = 1 and a.GoodsType in ('01')");
    ASSERT_EQ(all->RecordCount(), 1);
    EXPECT_EQ(all->FieldByName("GoodsName").AsString(), QStringLiteral("铅笔"));
    auto none = Open(" select a.*, (select nvl(Sum(LeftCount),0) from gds_stockcount where GoodsCode=a.GoodsCode) as "
                     "GdsLeftCount from Bas_GoodsInfo a  where 1=2");
    EXPECT_EQ(none->RecordCount(), 0);
    EXPECT_GE(none->FieldIndex("GdsLeftCount"), 0);
}

TEST_P(DialectDb, BindVariables)
{
    host::db::Execute(Conn(), "insert into bas_Storage (ID, StorageCode, StorageName, UseFlag) values (:1, :2, :3, :4)",
                      {qlonglong(5), QStringLiteral("S'5"), QStringLiteral("五号库"), 1});
    EXPECT_EQ(Db().QueryValue("select StorageName from bas_Storage where StorageCode = :1", {QStringLiteral("S'5")}),
              QStringLiteral("五号库"));
    EXPECT_EQ(Db().QueryValue("select count(*) from bas_Storage where ID = :2 and StorageCode = :1",
                              {QStringLiteral("S'5"), qlonglong(5)}),
              "1");
    // The same text again and again (sent once, then prepared and reused) with new values.
    for (int i = 6; i <= 9; ++i)
        Db().ExecSql("insert into bas_Storage (ID, StorageCode, UseFlag) values (:1, :2, 1)", {qlonglong(i), QString("S%1").arg(i)});
    for (int i = 6; i <= 9; ++i)
        EXPECT_EQ(Db().QueryValue("select StorageCode from bas_Storage where ID = :1", {qlonglong(i)}), QString("S%1").arg(i));
    EXPECT_EQ(Db().QueryValue("select count(*) from bas_Storage where UseFlag = 1"), "5");
    EXPECT_THROW(Db().QueryValue("select :1 || :2 from dual", {QStringLiteral("x")}), EDatabaseError);
    EXPECT_THROW(Db().QueryValue("select :name from dual", {QStringLiteral("x")}), EDatabaseError);
}

TEST_P(DialectDb, BadTextIsAReadableError)
{
    try {
        Db().QueryValue("select 'open from dual");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("unterminated")) << e.what();
    }
    try {
        Db().QueryValue("select nosuchcolumn from Sto_AdjustBillMain");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("nosuchcolumn")) << e.what();
        EXPECT_TRUE(e.Message().contains("SQL: select nosuchcolumn from Sto_AdjustBillMain")) << e.what();
    }
    EXPECT_THROW(Db().ExecSql("delete from bas_Storage; delete from Bas_GoodsInfo"), EDatabaseError);
}

TEST_P(DialectDb, LikeHasNoEscapeCharacterUnlessTheStatementNamesOne)
{
    int id = 0;
    for (const char* name : {"a\\b", "a%b", "a_b", "axb", "a\\"})
        Db().ExecSql(QStringLiteral("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName) values (%1, 'G%1', '%2')")
                         .arg(++id)
                         .arg(QString::fromLatin1(name)));
    auto names = [&](const QString& where) {
        auto ds = Open("select GoodsName from Bas_GoodsInfo where " + where + " order by ID");
        QStringList out;
        for (ds->First(); !ds->Eof(); ds->Next())
            out << ds->FieldByName("GoodsName").AsString();
        return out.join(u' ');
    };
    EXPECT_EQ(names("GoodsName like '%\\%'"), "a\\b a\\");
    EXPECT_EQ(names("GoodsName like '%\\%%'"), "a\\b a\\"); // the backslash escapes nothing
    EXPECT_EQ(names("GoodsName like '%\\_%'"), "a\\b");
    EXPECT_EQ(names("GoodsName like 'a\\b'"), "a\\b");
    EXPECT_EQ(names("GoodsName not like '%\\%' and GoodsCode like 'G%'"), "a%b a_b axb");
    EXPECT_EQ(names("GoodsName like '%' || '\\' || '%' and ID < 5"), "a\\b");
    EXPECT_EQ(names("case when GoodsName like 'a\\_' then 1 else 0 end = 1"), "a\\b");
    EXPECT_EQ(names("GoodsName like (select max(GoodsName) from Bas_GoodsInfo where ID = 1)"), "a\\b");
    EXPECT_EQ(Db().QueryValue("select count(*) from Bas_GoodsInfo where GoodsName like :1", {QStringLiteral("%\\%")}), "2");
    // An escape the statement names is the one used.
    EXPECT_EQ(names("GoodsName like 'a!%b' escape '!'"), "a%b");
    EXPECT_EQ(names("GoodsName like 'a\\_b' escape '\\'"), "a_b");
    // Inside a block the statements mean the same.
    Db().ExecSql("  begin update Bas_GoodsInfo set Remark = 'hit' where GoodsName like '%\\%'; end; ");
    EXPECT_EQ(Db().QueryValue("select count(*) from Bas_GoodsInfo where Remark = 'hit'"), "2");
}

TEST_P(DialectDb, ModByZeroIsTheDividendInStatementsAndBlocks)
{
    Db().ExecSql("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (1, 'S1', 'G1', 10)");
    EXPECT_EQ(Db().QueryValue("select mod(7, 0) from dual"), "7");
    EXPECT_EQ(Db().QueryValue("select mod(LeftCount, 0) from Gds_StockCount"), "10");
    EXPECT_EQ(Db().QueryValue("select mod(7.5, 0) from dual"), "7.5");
    EXPECT_EQ(Db().QueryValue("select mod(LeftCount, 4) from Gds_StockCount"), "2");
    EXPECT_EQ(Db().QueryValue("select mod(-7, 2) from dual"), "-1");
    EXPECT_EQ(Db().QueryValue("select nvl(mod(7, null), -1) from dual"), "-1");
    Db().ExecSql("  begin update Gds_StockCount set LeftCount = mod(LeftCount, 0) + mod(LeftCount, ID - ID); end; ");
    EXPECT_EQ(Db().QueryValue("select LeftCount from Gds_StockCount"), "20");
}

JXC_INSTANTIATE_DB_TEST(DialectDb);

// Engine-free pieces.
TEST(DialectText, PostgresLikeGetsNoEscapeWhereTheStatementNamesNone)
{
    EXPECT_EQ(host::db::Translate("select * from t where a like '%x%' and b not like :1 || '%' escape '!' order by a",
                                  Engine::PostgreSQL),
              "select * from t where a like '%x%' escape '' and b not like $1 || '%' escape '!' order by a");
    EXPECT_EQ(host::db::Translate("select case when a like nvl(b, 'c') then 1 end, (a like 'x') from t", Engine::PostgreSQL),
              "select case when a like coalesce(b, 'c') escape '' then 1 end, (a like 'x' escape '') from t");
    EXPECT_EQ(host::db::Translate("select * from t where a like '%x%' and b like 'y'", Engine::SQLite),
              "select * from t where a like '%x%' and b like 'y'");
}

TEST(DialectText, RewritesOnlyOutsideLiterals)
{
    const QString pg = host::db::Translate("select nvl(x, 'nvl(sysdate)') from dual where y = :1 --sysdate", Engine::PostgreSQL);
    EXPECT_EQ(pg, "select coalesce(x, 'nvl(sysdate)') where y = $1");
    const QString lite = host::db::Translate("select seq_jxcid.nextval, a.sysdate_col from t a where b ^= :2", Engine::SQLite);
    EXPECT_EQ(lite, "select jxc_nextval('SEQ_JXCID'), a.sysdate_col from t a where b <> ?2");
}

TEST(DialectText, DivisorsAreCheckedOnSqliteAndDeepNestingIsRefused)
{
    EXPECT_EQ(host::db::Translate("select a / -b.c * 2, mod(a, 3) / (a + 1) from t", Engine::SQLite),
              "select a * 1.0 / jxc_divisor(-b.c) * 2, jxc_mod(a, 3) * 1.0 / jxc_divisor((a + 1)) from t");
    EXPECT_EQ(host::db::Translate("select a / -b.c * 2, mod(a, 3) from t", Engine::PostgreSQL),
              "select a * 1.0 / -b.c * 2, jxc_mod(a, 3) from t");
    auto nested = [](int levels) { return "select " + QString("1/(").repeated(levels) + "1" + QString(")").repeated(levels); };
    EXPECT_NO_THROW(host::db::Translate(nested(100), Engine::SQLite));
    // Deeper than any real statement: a readable refusal, not an exhausted stack.
    EXPECT_THROW(host::db::Translate(nested(100000), Engine::SQLite), platform::EDatabaseError);
}

} // namespace
