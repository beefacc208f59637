// The save block on both engines: what a new bill and an edited bill leave in the tables, text
// values with quotes, and a block the database refuses halfway leaving nothing behind.
#include "billedit/FrmBillEditSql.h"
#include "host/db/blocks/BlockParser.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

using billedit::SaveHeader;
using billedit::SaveLine;
using platform::Currency;

class SaveBlockTest : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Db().ExecSql(QStringLiteral("begin insert into Bas_GoodsInfo(ID, GoodsCode, GoodsName) values (101, 'G01', '螺丝');"
                                    " insert into Bas_GoodsInfo(ID, GoodsCode, GoodsName) values (102, 'G02', '螺母'); end;"));
    }
    QString Value(const QString& sql) { return Db().QueryValue(sql); }

    static SaveHeader Head(const QString& id, const QString& no)
    {
        SaveHeader h;
        h.id = id;
        h.billNo = no;
        h.billDate = QDate::currentDate();
        h.srcStorageCode = QStringLiteral("S01");
        h.desStorageCode = QStringLiteral("S02");
        h.remark = QStringLiteral("急件");
        h.operatorCode = QStringLiteral("001");
        return h;
    }
    static SaveLine Line(const QString& code, const QString& name, const char* price, double count)
    {
        SaveLine l;
        l.goodsCode = code;
        l.goodsName = name;
        l.calUnit = QStringLiteral("52101");
        l.goodsPrice = *Currency::Parse(QLatin1String(price));
        l.goodsCount = count;
        l.paySum = l.goodsPrice * Currency::FromDouble(count);
        return l;
    }
};

TEST_P(SaveBlockTest, ANewBillWritesItsHeaderAndLinesInOneBlock)
{
    SaveHeader h = Head(QStringLiteral("500"), QStringLiteral("DB-2024010500000001"));
    const QVector<SaveLine> lines = {Line("G01", "螺丝", "3.333", 2.5), Line("G02", "螺母", "1", 4)};
    h.goodsCount = 6.5;
    h.billSum = lines[0].paySum + lines[1].paySum;
    const QString block = billedit::SaveBlockSql(true, h, lines);
    ASSERT_NO_THROW(host::db::plsql::ParseBlock(block));
    Db().ExecSql(block);

    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain where ID = 500 and BillNo = 'DB-2024010500000001'"
                    " and Src_StorageCode = 'S01' and Des_StorageCode = 'S02' and BillStatus = 0 and AuditFlag = 0"
                    " and deleted = 0 and OptorCode = '001' and Remark = '急件'"),
              "1");
    EXPECT_EQ(Value("select BillSum from Sto_AdjustBillMain where ID = 500").toDouble(), 12.3325);
    EXPECT_EQ(Value("select GoodsCount from Sto_AdjustBillMain where ID = 500").toDouble(), 6.5);
    // The server dated the bill: today, not left empty.
    EXPECT_FALSE(Value("select BillDate from Sto_AdjustBillMain where ID = 500").isEmpty());
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where BillID = 500 and BillNo = 'DB-2024010500000001'"
                    " and OptorCode = '001' and deleted = 0"),
              "2");
    EXPECT_EQ(Value("select PaySum from Sto_AdjustBillDetail where GoodsCode = 'G01'").toDouble(), 8.3325);
    EXPECT_EQ(Value("select GoodsCount from Sto_AdjustBillDetail where GoodsCode = 'G01'").toDouble(), 2.5);
    // Every line has an identifier of its own from the sequence.
    EXPECT_EQ(Value("select count(distinct ID) from Sto_AdjustBillDetail"), "2");
}

TEST_P(SaveBlockTest, AnEditedBillReplacesItsLinesAndKeepsItsCreatorAndState)
{
    SaveHeader h = Head(QStringLiteral("600"), QStringLiteral("DB-2024010500000002"));
    h.operatorCode = QStringLiteral("007");
    Db().ExecSql(billedit::SaveBlockSql(true, h, {Line("G01", "螺丝", "2", 1), Line("G02", "螺母", "2", 1)}));
    Db().ExecSql(QStringLiteral("update Sto_AdjustBillMain set BillStatus = 1 where ID = 600"));
    const QString oldIds = Value("select min(ID) from Sto_AdjustBillDetail");

    SaveHeader edit = Head(QStringLiteral("600"), QStringLiteral("DB-2024010500000002"));
    edit.billDate = QDate(2031, 3, 4);
    edit.srcStorageCode = QStringLiteral("S03");
    edit.remark = QStringLiteral("改过");
    edit.goodsCount = 3;
    edit.billSum = Currency::FromInt(15);
    Db().ExecSql(billedit::SaveBlockSql(false, edit, {Line("G02", "螺母", "5", 3)}));

    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain where ID = 600 and Src_StorageCode = 'S03'"
                    " and Remark = '改过' and OptorCode = '007' and BillStatus = 1"),
              "1");
    EXPECT_TRUE(Value("select BillDate from Sto_AdjustBillMain where ID = 600").startsWith("2031-03-04"));
    EXPECT_EQ(Value("select BillSum from Sto_AdjustBillMain where ID = 600").toDouble(), 15.0);
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where BillNo = 'DB-2024010500000002'"), "1");
    // The line is written anew, under a new identifier and the saving operator.
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail where GoodsCode = 'G02' and OptorCode = '001'"), "1");
    EXPECT_GT(Value("select ID from Sto_AdjustBillDetail").toLongLong(), oldIds.toLongLong());
}

TEST_P(SaveBlockTest, QuotesInTextsAreStoredAsTyped)
{
    SaveHeader h = Head(QStringLiteral("700"), QStringLiteral("DB-O'NEIL"));
    h.remark = QStringLiteral("it's'); drop table Sto_AdjustBillMain; --");
    Db().ExecSql(billedit::SaveBlockSql(true, h, {Line("G'01", "螺'丝", "1", 1)}));
    EXPECT_EQ(Value("select Remark from Sto_AdjustBillMain where BillNo = 'DB-O''NEIL'"), h.remark);
    EXPECT_EQ(Value("select GoodsName from Sto_AdjustBillDetail where GoodsCode = 'G''01'"), "螺'丝");
}

TEST_P(SaveBlockTest, ABlockRefusedHalfwayLeavesBothTablesUntouched)
{
    // The second line's identifier is already taken: the header and the first line were written
    // by then and must go again.
    const qint64 next = Db().NextSequence(QStringLiteral("SEQ_JXCID")).toLongLong();
    Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillNo, GoodsCode, deleted) values (%1, 'OTHER', 'X', 0)")
                     .arg(next + 2));
    const QString block = billedit::SaveBlockSql(true, Head(QStringLiteral("800"), QStringLiteral("DB-X")),
                                                 {Line("G01", "螺丝", "1", 1), Line("G02", "螺母", "1", 1)});
    EXPECT_THROW(Db().ExecSql(block), platform::EDatabaseError);
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain"), "0");
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail"), "1");
}

TEST(SaveBlockText, AnIdThatIsNoWholeNumberNeverReachesTheStatement)
{
    for (const char* id : {"", "1 or 1=1", "12;", " 7", "-3", "1e3"}) {
        SaveHeader h;
        h.id = QLatin1String(id);
        h.billNo = QStringLiteral("DB-1");
        EXPECT_THROW(billedit::SaveBlockSql(true, h, {}), platform::EConvertError) << id;
        EXPECT_THROW(billedit::SaveBlockSql(false, h, {SaveLine()}), platform::EConvertError) << id;
    }
}

TEST(SaveBlockText, TheBlockIsSentWordForWordWithItsPaddedColumnLists)
{
    SaveHeader h;
    h.id = QStringLiteral("7");
    h.billNo = QStringLiteral("DB-1");
    h.billDate = QDate(2031, 3, 4);
    h.srcStorageCode = QStringLiteral("S01");
    h.desStorageCode = QStringLiteral("S02");
    h.goodsCount = 2.5;
    h.billSum = *Currency::Parse(QStringLiteral("8.3325"));
    h.remark = QStringLiteral("it's");
    h.operatorCode = QStringLiteral("001");
    SaveLine l;
    l.goodsCode = QStringLiteral("G1");
    l.goodsName = QStringLiteral("N1");
    l.calUnit = QStringLiteral("52101");
    l.model = QStringLiteral("M");
    l.goodsPrice = *Currency::Parse(QStringLiteral("3.333"));
    l.goodsCount = 2.5;
    l.paySum = *Currency::Parse(QStringLiteral("8.3325"));
    const QString newBill = QStringLiteral(
        "  begin  Insert into Sto_AdjustBillMain ( ID              , BillNo          , BillDate        , Src_"
        "StorageCode , Des_StorageCode , GoodsCount      , BillSum         , BillStatus      , AuditFlag     "
        "  , Remark          , OptorCode       , Create_time     , modified_time   , deleted         ) values"
        " (7,'DB-1',sysdate,'S01','S02',2.5,8.3325,0,0,'it''s','001',sysdate,sysdate,0); Insert into Sto_Adju"
        "stBillDetail( ID            , BillID        , BillNo        , GoodsCode     , GoodsName     , CalUni"
        "t       , Model         , Brand         , GoodsPrice    , GoodsCount    , PaySum        , Remark    "
        "    , OptorCode     , Create_time   , modified_time , deleted) values ( seq_jxcid.nextval,7,'DB-1','"
        "G1','N1','52101','M','',3.333,2.5,8.3325,'','001',sysdate,sysdate,0);  end; ");
    EXPECT_EQ(billedit::SaveBlockSql(true, h, {l}).toStdString(), newBill.toStdString());
    // An existing bill: its header updated, its lines removed, then written again.
    const QString update = QStringLiteral(
        " Update Sto_AdjustBillMain set  BillDate = to_date('2031-03-04','YYYY-MM-DD HH24:MI:SS'), BillSum = "
        "8.3325, GoodsCount = 2.5, Src_StorageCode ='S01', Des_StorageCode = 'S02', Remark ='it''s' where Bil"
        "lNo='DB-1'; delete from Sto_AdjustBillDetail where BillNo='DB-1';");
    const QString edited = billedit::SaveBlockSql(false, h, {l});
    EXPECT_TRUE(edited.startsWith(QStringLiteral("  begin ") + update)) << edited.toStdString();
    EXPECT_TRUE(edited.endsWith(newBill.mid(newBill.indexOf(QStringLiteral(" Insert into Sto_AdjustBillDetail")))));
    // Quotes doubled and NULs dropped in every text of a line, as in the header's.
    SaveLine q = l;
    q.goodsCode = QStringLiteral("G'1");
    q.goodsName = QStringLiteral("螺'丝") + QChar(u'\0') + QStringLiteral("''");
    q.brand = QStringLiteral("'");
    EXPECT_TRUE(billedit::SaveBlockSql(true, h, {q}).contains(
        QStringLiteral("seq_jxcid.nextval,7,'DB-1','G''1','螺''丝''''','52101','M','''',3.333,")));
}

JXC_INSTANTIATE_DB_TEST(SaveBlockTest);

} // namespace
