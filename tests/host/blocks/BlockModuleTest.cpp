// The module's three blocks (posting, save, delete), assembled here from their exact text
// pieces, run through the database service on both engines.
#include "BlockTestUtil.h"
#include "tests/support/PostingBlock.h"

#include "host/db/blocks/BlockInterpreter.h"
#include "host/db/blocks/BlockParser.h"
#include "host/db/blocks/BlockRunner.h"
#include "host/db/Transaction.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QDate>

#include <QStringList>
#include <gtest/gtest.h>

namespace {

using namespace blocktest;

struct Line {
    QString goodsCode, goodsName, calUnit, model, price, count, paySum;
};

const QString kOperator = QStringLiteral("op1");

QString SaveLines(qint64 id, const QString& number, const std::vector<Line>& lines)
{
    QString l;
    for (const Line& ln : lines)
        l += QStringLiteral(" Insert into Sto_AdjustBillDetail(") + QStringLiteral(" ID            ,")
            + QStringLiteral(" BillID        ,") + QStringLiteral(" BillNo        ,") + QStringLiteral(" GoodsCode     ,")
            + QStringLiteral(" GoodsName     ,") + QStringLiteral(" CalUnit       ,") + QStringLiteral(" Model         ,")
            + QStringLiteral(" Brand         ,") + QStringLiteral(" GoodsPrice    ,") + QStringLiteral(" GoodsCount    ,")
            + QStringLiteral(" PaySum        ,") + QStringLiteral(" Remark        ,") + QStringLiteral(" OptorCode     ,")
            + QStringLiteral(" Create_time   ,") + QStringLiteral(" modified_time ,") + QStringLiteral(" deleted) values (")
            + QStringLiteral(" seq_jxcid.nextval,") + QString::number(id) + QStringLiteral(",'") + number
            + QStringLiteral("','") + ln.goodsCode + QStringLiteral("','") + ln.goodsName + QStringLiteral("','")
            + ln.calUnit + QStringLiteral("','") + ln.model + QStringLiteral("','") + QString() + QStringLiteral("',")
            + ln.price + QStringLiteral(",") + ln.count + QStringLiteral(",") + ln.paySum + QStringLiteral(",'")
            + QString() + QStringLiteral("','") + kOperator + QStringLiteral("',") + QStringLiteral("sysdate,")
            + QStringLiteral("sysdate,") + QStringLiteral("0);");
    return l;
}

// Text values inside the save block are already quoted-doubled by the caller (Q without quotes).
QString D(QString s) { return s.replace(u'\'', QLatin1String("''")); } // allowed: as PostingBlock.h's Q

QString NewBillBlock(qint64 id, const QString& number, const QString& src, const QString& des, const QString& qty,
                     const QString& amount, const QString& remark, const std::vector<Line>& lines)
{
    const QString h =
        QStringLiteral(" Insert into Sto_AdjustBillMain ( ID              , BillNo          , BillDate        , "
                       "Src_StorageCode , Des_StorageCode , GoodsCount      , BillSum         , BillStatus      , "
                       "AuditFlag       , Remark          , OptorCode       , Create_time     , modified_time   , "
                       "deleted         ) values (")
        + QString::number(id) + QStringLiteral(",'") + number + QStringLiteral("',") + QStringLiteral("sysdate,'") + src
        + QStringLiteral("','") + des + QStringLiteral("',") + qty + QStringLiteral(",") + amount + QStringLiteral(",")
        + QStringLiteral("0,") + QStringLiteral("0,'") + remark + QStringLiteral("','") + kOperator + QStringLiteral("',")
        + QStringLiteral("sysdate,") + QStringLiteral("sysdate,") + QStringLiteral("0);");
    return QStringLiteral("  begin ") + h + SaveLines(id, number, lines) + QStringLiteral("  end; ");
}

QString ModifyBillBlock(qint64 id, const QString& number, const QString& date, const QString& src, const QString& des,
                        const QString& qty, const QString& amount, const QString& remark, const std::vector<Line>& lines)
{
    const QString h = QStringLiteral(" Update Sto_AdjustBillMain set  BillDate = to_date('") + date
        + QStringLiteral("','YYYY-MM-DD HH24:MI:SS')") + QStringLiteral(",") + QStringLiteral(" BillSum = ") + amount
        + QStringLiteral(",") + QStringLiteral(" GoodsCount = ") + qty + QStringLiteral(",")
        + QStringLiteral(" Src_StorageCode ='") + src + QStringLiteral("',") + QStringLiteral(" Des_StorageCode = '") + des
        + QStringLiteral("',") + QStringLiteral(" Remark ='") + remark + QStringLiteral("'")
        + QStringLiteral(" where BillNo='") + number + QStringLiteral("';");
    const QString l = QStringLiteral(" delete from Sto_AdjustBillDetail where BillNo='") + number + QStringLiteral("';")
        + SaveLines(id, number, lines);
    return QStringLiteral("  begin ") + h + l + QStringLiteral("  end; ");
}

QString DeleteBlock(const QString& billNo)
{
    return QStringLiteral("  begin ")
        + QStringLiteral(" update Sto_AdjustBillMain  set DELETED= 1  where BillNo = '") + billNo + QStringLiteral("';")
        + QStringLiteral(" update Sto_AdjustBillDetail set  DELETED= 1 where BillNo = '") + billNo + QStringLiteral("';")
        + QStringLiteral("  end;");
}

class ModuleBlocks : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Exec(QStringLiteral("begin") + PostingMasterData() + QStringLiteral("end;"));
    }

    void Exec(const QString& sql) { Db().ExecSql(sql); }
    QString Value(const QString& sql) { return Db().QueryValue(sql); }
    int Count(const QString& sql) { return Value(QStringLiteral("select count(*) from ") + sql).toInt(); }
    QString Error(const QString& block)
    {
        try {
            Db().ExecSql(block);
        } catch (const platform::EDatabaseError& e) {
            return e.Message();
        }
        return QStringLiteral("<no error>");
    }

    // A transfer bill with the given status and lines (goods code, quantity).
    void AddBill(const Posting& p, int status, const std::vector<std::pair<QString, QString>>& lines)
    {
        Exec(QStringLiteral("insert into Sto_AdjustBillMain(ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode, GoodsCount,"
                            " BillSum, BillStatus, AuditFlag, Auditor, Remark, OptorCode, DELETED) values (%1, '%2', sysdate,"
                            " '%3', '%4', %5, %6, %7, 1, '%8', %9, '%10', 0)")
                 .arg(p.billId)
                 .arg(p.billNo, p.src, p.des, p.goodsCount, p.billSum)
                 .arg(status)
                 .arg(p.auditor, Q(p.remark), p.op));
        int k = 0;
        for (const auto& [code, qty] : lines) {
            ++k;
            Exec(QStringLiteral("insert into Sto_AdjustBillDetail(ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, Model, Brand,"
                                " GoodsPrice, GoodsCount, PaySum, Remark, DELETED) values (%1, %2, '%3', '%4', '名%5', '52101',"
                                " 'M''%5', '', 2.5, %6, %7, '', 0)")
                     .arg(p.billId * 10 + k)
                     .arg(p.billId)
                     .arg(p.billNo, code)
                     .arg(k)
                     .arg(qty)
                     .arg(qty.toDouble() * 2.5));
        }
    }

    double Stock(const QString& storage, const QString& goods)
    {
        return Value(QStringLiteral("select nvl(sum(LeftCount),0) from Gds_StockCount where StorageCode = '%1' and GoodsCode = '%2'")
                         .arg(storage, goods))
            .toDouble();
    }
    int StockRows(const QString& storage, const QString& goods)
    {
        return Count(QStringLiteral("Gds_StockCount where StorageCode = '%1' and GoodsCode = '%2'").arg(storage, goods));
    }
    QString Status(qint64 billId)
    {
        return Value(QStringLiteral("select BillStatus from Sto_AdjustBillMain where ID = %1").arg(billId));
    }
};

TEST_P(ModuleBlocks, PostingWritesBothStockBillsAndMovesTheStock)
{
    for (const QString& sep : {QStringLiteral(" "), QStringLiteral("\r\n  ")}) {
        SCOPED_TRACE(sep == u" " ? "pieces joined by blanks" : "pieces on their own lines");
        Posting p;
        p.sep = sep;
        if (sep != u" ") { // a second bill, posted onto the stock the first one left
            p.billId = 1001;
            p.billNo = QStringLiteral("DB-2024010200000002");
            p.inId = 2003;
            p.outId = 2004;
            p.rkNo = QStringLiteral("RK-2024010200000008");
            p.ckNo = QStringLiteral("CK-2024010200000010");
        }
        AddBill(p, 2, {{QStringLiteral("G01"), QStringLiteral("3")}, {QStringLiteral("G02"), QStringLiteral("2.5")}});
        ASSERT_NO_THROW(Exec(TransferPostingBlock(p)));
        EXPECT_EQ(Status(p.billId), QStringLiteral("4"));
        EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillMain where ID = %1 and modified_time is not null").arg(p.billId)), 1);

        // The stock-out bill books the source storage, the stock-in bill the destination.
        EXPECT_EQ(Value(QStringLiteral("select BillNo from Sto_GdsBillMain where ID = %1 and BillType = '12' and StorageCode = 'S01'"
                                       " and SrcBillNo = '%2' and SrcBillType = 4 and BillStatus = 4 and AuditFlag = 1")
                            .arg(p.outId)
                            .arg(p.billNo)),
                  p.ckNo);
        EXPECT_EQ(Value(QStringLiteral("select BillNo from Sto_GdsBillMain where ID = %1 and BillType = '02' and StorageCode = 'S02'")
                            .arg(p.inId)),
                  p.rkNo);
        EXPECT_EQ(Value(QStringLiteral("select Remark from Sto_GdsBillMain where ID = %1").arg(p.inId)), p.remark);
        EXPECT_EQ(Value(QStringLiteral("select BillSum from Sto_GdsBillMain where ID = %1").arg(p.outId)), p.billSum);
        EXPECT_EQ(Count(QStringLiteral("Sto_GdsBillMain where ID = %1 and AuditDate = to_date('2024-01-02 10:30:00','YYYY-MM-DD HH24:MI:SS')")
                            .arg(p.outId)),
                  1);
        // Every line copied into each bill, quantities positive in both.
        EXPECT_EQ(Count(QStringLiteral("Sto_GdsBillDetail where BillID = %1 and BillType = '12' and BillNo = '%2'").arg(p.outId).arg(p.ckNo)), 2);
        EXPECT_EQ(Count(QStringLiteral("Sto_GdsBillDetail where BillID = %1 and BillType = '02' and GoodsCount > 0").arg(p.inId)), 2);
        EXPECT_EQ(Value(QStringLiteral("select Model from Sto_GdsBillDetail where BillID = %1 and GoodsCode = 'G02'").arg(p.inId)),
                  QStringLiteral("M'2"));
    }
    // Two postings of G01 3 and G02 2.5: the source had 10 of G01 and nothing of G02.
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S01"), QStringLiteral("G01")), 4.0);
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S02"), QStringLiteral("G01")), 6.0);
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S01"), QStringLiteral("G02")), -5.0);
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S02"), QStringLiteral("G02")), 5.0);
    for (const char* s : {"S01", "S02"})
        for (const char* g : {"G01", "G02"})
            EXPECT_EQ(StockRows(QString::fromLatin1(s), QString::fromLatin1(g)), 1) << s << " " << g;
    // Rows created by posting take the storage's and the goods' IDs.
    EXPECT_EQ(Value(QStringLiteral("select StorageID from Gds_StockCount where StorageCode = 'S01' and GoodsCode = 'G02'")), QStringLiteral("1"));
    EXPECT_EQ(Value(QStringLiteral("select GoodsID from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G02'")), QStringLiteral("102"));
    EXPECT_EQ(Value(QStringLiteral("select StorageID from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G01'")), QStringLiteral("2"));
}

TEST_P(ModuleBlocks, PostingSkipsGoodsMissingFromTheMasterButCopiesTheirLines)
{
    Posting p;
    AddBill(p, 2, {{QStringLiteral("G99"), QStringLiteral("4")}, {QStringLiteral("G01"), QStringLiteral("1")}});
    Exec(TransferPostingBlock(p));
    EXPECT_EQ(Count(QStringLiteral("Sto_GdsBillDetail where GoodsCode = 'G99'")), 2);
    EXPECT_EQ(Count(QStringLiteral("Gds_StockCount where GoodsCode = 'G99'")), 0);
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S01"), QStringLiteral("G01")), 9.0);
    EXPECT_EQ(Status(p.billId), QStringLiteral("4"));
}

TEST_P(ModuleBlocks, PostingABillNotAtStatusTwoMovesNothingButCompletesIt)
{
    Posting p;
    AddBill(p, 0, {{QStringLiteral("G01"), QStringLiteral("3")}});
    Exec(TransferPostingBlock(p));
    EXPECT_EQ(Count(QStringLiteral("Sto_GdsBillMain")), 2);
    EXPECT_EQ(Count(QStringLiteral("Sto_GdsBillDetail")), 2);
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S01"), QStringLiteral("G01")), 10.0);
    EXPECT_EQ(StockRows(QStringLiteral("S02"), QStringLiteral("G01")), 0);
    EXPECT_EQ(Status(p.billId), QStringLiteral("4"));
}

TEST_P(ModuleBlocks, TwoLinesOfOneGoodsMoveTwice)
{
    Posting p;
    AddBill(p, 2, {{QStringLiteral("G01"), QStringLiteral("1.25")}, {QStringLiteral("G01"), QStringLiteral("2.5")}});
    Exec(TransferPostingBlock(p));
    // The first line creates the destination row, the second updates it.
    EXPECT_EQ(StockRows(QStringLiteral("S02"), QStringLiteral("G01")), 1);
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S02"), QStringLiteral("G01")), 3.75);
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S01"), QStringLiteral("G01")), 6.25);
}

TEST_P(ModuleBlocks, QuantitiesAreHeldAsDecimalTenTwo)
{
    Posting p;
    AddBill(p, 2, {{QStringLiteral("G02"), QStringLiteral("0.1")}, {QStringLiteral("G02"), QStringLiteral("0.2")}});
    Exec(TransferPostingBlock(p));
    EXPECT_EQ(Value(QStringLiteral("select LeftCount from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G02'")),
              QStringLiteral("0.3"));
    EXPECT_EQ(Value(QStringLiteral("select LeftCount from Gds_StockCount where StorageCode = 'S01' and GoodsCode = 'G02'")),
              QStringLiteral("-0.3"));
}

TEST_P(ModuleBlocks, AStorageWithoutMasterRowFailsTheWholePosting)
{
    Posting p;
    p.des = QStringLiteral("S09");
    AddBill(p, 2, {{QStringLiteral("G01"), QStringLiteral("3")}});
    const QString msg = Error(TransferPostingBlock(p));
    EXPECT_TRUE(msg.startsWith(QStringLiteral("ORA-01403: no data found"))) << msg.toStdString();
    EXPECT_TRUE(msg.contains(QStringLiteral("select ID into nStorageID from bas_Storage where StorageCode = sDes_StorageCode")))
        << msg.toStdString();
    EXPECT_EQ(Count(QStringLiteral("Sto_GdsBillMain")), 0);
    EXPECT_EQ(Count(QStringLiteral("Sto_GdsBillDetail")), 0);
    EXPECT_EQ(Count(QStringLiteral("Gds_StockCount")), 1);
    EXPECT_DOUBLE_EQ(Stock(QStringLiteral("S01"), QStringLiteral("G01")), 10.0);
    EXPECT_EQ(Status(p.billId), QStringLiteral("2"));

    // The source side fails the same way, after the destination was already booked.
    Posting q;
    q.billId = 1001;
    q.billNo = QStringLiteral("DB-2024010200000002");
    q.src = QStringLiteral("S08");
    AddBill(q, 2, {{QStringLiteral("G01"), QStringLiteral("3")}});
    EXPECT_TRUE(Error(TransferPostingBlock(q)).startsWith(QStringLiteral("ORA-01403")));
    EXPECT_EQ(StockRows(QStringLiteral("S02"), QStringLiteral("G01")), 0);
    EXPECT_EQ(Status(q.billId), QStringLiteral("2"));
}

TEST_P(ModuleBlocks, SaveOfANewBill)
{
    const std::vector<Line> lines = {
        {QStringLiteral("G01"), QStringLiteral("螺丝"), QStringLiteral("52101"), D(QStringLiteral("M6'x20")),
         QStringLiteral("2.5"), QStringLiteral("4"), QStringLiteral("10")},
        {QStringLiteral("G02"), D(QStringLiteral("螺母 'A'")), QStringLiteral("52102"), QString(),
         QStringLiteral("0.1234"), QStringLiteral("1.5"), QStringLiteral("0.1851")},
    };
    Exec(NewBillBlock(3000, QStringLiteral("DB-2024010200000003"), QStringLiteral("S01"), QStringLiteral("S02"),
                      QStringLiteral("5.5"), QStringLiteral("10.1851"), D(QStringLiteral("急 it's")), lines));
    EXPECT_EQ(Value(QStringLiteral("select BillNo from Sto_AdjustBillMain where ID = 3000 and BillStatus = 0 and AuditFlag = 0"
                                   " and DELETED = 0 and OptorCode = 'op1' and BillDate is not null and Create_time is not null")),
              QStringLiteral("DB-2024010200000003"));
    EXPECT_EQ(Value(QStringLiteral("select Remark from Sto_AdjustBillMain where ID = 3000")), QStringLiteral("急 it's"));
    EXPECT_EQ(Value(QStringLiteral("select BillSum from Sto_AdjustBillMain where ID = 3000")), QStringLiteral("10.1851"));
    EXPECT_EQ(Value(QStringLiteral("select GoodsCount from Sto_AdjustBillMain where ID = 3000")), QStringLiteral("5.5"));
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillDetail where BillID = 3000 and BillNo = 'DB-2024010200000003'")), 2);
    EXPECT_EQ(Value(QStringLiteral("select Model from Sto_AdjustBillDetail where GoodsCode = 'G01'")), QStringLiteral("M6'x20"));
    EXPECT_EQ(Value(QStringLiteral("select GoodsName from Sto_AdjustBillDetail where GoodsCode = 'G02'")), QStringLiteral("螺母 'A'"));
    EXPECT_EQ(Value(QStringLiteral("select GoodsPrice from Sto_AdjustBillDetail where GoodsCode = 'G02'")), QStringLiteral("0.1234"));
    // Line IDs come from the sequence, one each.
    EXPECT_EQ(Value(QStringLiteral("select count(distinct ID) from Sto_AdjustBillDetail")), QStringLiteral("2"));
}

TEST_P(ModuleBlocks, SaveOfAModifiedBillReplacesItsLines)
{
    const QString no = QStringLiteral("DB-2024010200000004");
    Exec(NewBillBlock(3001, no, QStringLiteral("S01"), QStringLiteral("S02"), QStringLiteral("3"), QStringLiteral("7.5"),
                      QString(), {{QStringLiteral("G01"), QStringLiteral("螺丝"), QStringLiteral("52101"), QString(),
                                   QStringLiteral("2.5"), QStringLiteral("3"), QStringLiteral("7.5")}}));
    const QString oldLineId = Value(QStringLiteral("select ID from Sto_AdjustBillDetail where BillNo = '%1'").arg(no));

    Exec(ModifyBillBlock(3001, no, QStringLiteral("2030-05-06"), QStringLiteral("S02"), QStringLiteral("S01"),
                         QStringLiteral("3"), QStringLiteral("7.5"), D(QStringLiteral("改 'x'")),
                         {{QStringLiteral("G01"), QStringLiteral("螺丝"), QStringLiteral("52101"), QString(), QStringLiteral("2.5"),
                           QStringLiteral("1"), QStringLiteral("2.5")},
                          {QStringLiteral("G02"), QStringLiteral("螺母"), QStringLiteral("52101"), QString(), QStringLiteral("1"),
                           QStringLiteral("2"), QStringLiteral("2")}}));
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillMain where ID = 3001 and Src_StorageCode = 'S02' and Des_StorageCode = 'S01'"
                                   " and BillDate = to_date('2030-05-06','YYYY-MM-DD') and OptorCode = 'op1'")),
              1);
    EXPECT_EQ(Value(QStringLiteral("select Remark from Sto_AdjustBillMain where ID = 3001")), QStringLiteral("改 'x'"));
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillDetail where BillNo = '%1'").arg(no)), 2);
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillDetail where ID = %1").arg(oldLineId)), 0);

    // A line the database rejects leaves header and lines as they were.
    const QString msg = Error(ModifyBillBlock(3001, no, QStringLiteral("2030-05-07"), QStringLiteral("S01"), QStringLiteral("S02"),
                                              QStringLiteral("1"), QStringLiteral("1"), QString(),
                                              {{QStringLiteral("G01"), QStringLiteral("x"), QString(), QString(),
                                                QStringLiteral("1x"), QStringLiteral("1"), QStringLiteral("1")}}));
    EXPECT_TRUE(msg.contains(QStringLiteral("ORA-06512"))) << msg.toStdString();
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillDetail where BillNo = '%1'").arg(no)), 2);
    EXPECT_EQ(Value(QStringLiteral("select Src_StorageCode from Sto_AdjustBillMain where ID = 3001")), QStringLiteral("S02"));
}

TEST_P(ModuleBlocks, DeleteMarksTheBillAndItsLines)
{
    Posting a, b;
    b.billId = 1001;
    b.billNo = QStringLiteral("DB-2024010200000002");
    AddBill(a, 0, {{QStringLiteral("G01"), QStringLiteral("1")}, {QStringLiteral("G02"), QStringLiteral("1")}});
    AddBill(b, 0, {{QStringLiteral("G01"), QStringLiteral("1")}});
    Exec(DeleteBlock(a.billNo));
    EXPECT_EQ(Value(QStringLiteral("select DELETED from Sto_AdjustBillMain where BillNo = '%1'").arg(a.billNo)), QStringLiteral("1"));
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillDetail where BillNo = '%1' and DELETED = 1").arg(a.billNo)), 2);
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillMain where DELETED = 0")), 1);
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillDetail where DELETED = 0")), 1);
    // A bill number holding a quote, doubled by the quoting helper, still finds only its bill.
    EXPECT_NO_THROW(Exec(DeleteBlock(D(QStringLiteral("x' or '1'='1")))));
    EXPECT_EQ(Count(QStringLiteral("Sto_AdjustBillMain where DELETED = 0")), 1);
}

// Rows of the tables the module's blocks write, as text; stamps of today (sysdate, which differs
// from run to run) shown as such.
class TableText : public host::db::RowSink {
public:
    void Columns(const QVector<host::db::ResultColumn>& columns) override { columns_ = int(columns.size()); }
    bool Row(QVariant* values) override
    {
        QStringList row;
        for (int k = 0; k < columns_; ++k) {
            const QVariant& v = values[k];
            if (v.typeId() == QMetaType::QDateTime && v.toDateTime().date() == QDate::currentDate())
                row << QStringLiteral("<today>");
            else
                row << (v.isValid() ? v.toString() : QStringLiteral("<null>"));
        }
        text += row.join(u'|') + u'\n';
        return true;
    }
    QString text;

private:
    int columns_ = 0;
};

// The rows a block leaves, run by the in-process runner or as the server's DO block; undone after.
QString RowsAfter(host::db::Connection& c, const QString& block, bool server)
{
    host::db::WriteTransaction tx(c);
    c.ExecNative(QStringLiteral("select setval('seq_jxcid', 90000)"), {}, nullptr); // the same ids on both paths
    if (server)
        host::db::RunBlock(c, block);
    else
        host::db::plsql::RunProgram(c, *host::db::plsql::ParseBlock(block));
    TableText rows;
    for (const char* table : {"Sto_AdjustBillMain", "Sto_AdjustBillDetail", "Sto_GdsBillMain", "Sto_GdsBillDetail",
                              "Gds_StockCount"}) {
        rows.text += QString::fromLatin1(table) + u'\n';
        c.ExecNative(QStringLiteral("select * from %1 order by ID").arg(QString::fromLatin1(table)), {}, &rows);
    }
    return rows.text;
}

TEST_P(ModuleBlocks, OnTheServerSaveDeleteAndPostingLeaveTheRowsTheRunnerLeaves)
{
    if (GetEngine() != host::db::Engine::PostgreSQL)
        GTEST_SKIP() << "the DO block is PostgreSQL's back end";
    Posting p;
    AddBill(p, 2, {{QStringLiteral("G01"), QStringLiteral("3")}, {QStringLiteral("G02"), QStringLiteral("2.5")},
                   {QStringLiteral("G01"), QStringLiteral("1.125")}});
    Posting other;
    other.billId = 1001;
    other.billNo = QStringLiteral("DB-2024010200000002");
    AddBill(other, 0, {{QStringLiteral("G02"), QStringLiteral("4")}});
    const std::vector<Line> lines = {
        {QStringLiteral("G01"), QStringLiteral("螺丝"), QStringLiteral("52101"), QString(), QStringLiteral("2.5"),
         QStringLiteral("3"), QStringLiteral("7.5")},
        {QStringLiteral("G02"), QStringLiteral("螺母 'x'"), QStringLiteral("52101"), QStringLiteral("M8"), QStringLiteral("1.005"),
         QStringLiteral("2"), QStringLiteral("2.01")}};
    std::vector<Line> quoted = lines;
    quoted[1].goodsName = D(quoted[1].goodsName);
    const QString blocks[] = {
        TransferPostingBlock(p),
        NewBillBlock(3000, QStringLiteral("DB-2024010200000003"), QStringLiteral("S01"), QStringLiteral("S02"),
                     QStringLiteral("5"), QStringLiteral("9.51"), D(QStringLiteral("备注 'r'")), quoted),
        ModifyBillBlock(1001, other.billNo, QStringLiteral("2030-05-06"), QStringLiteral("S02"), QStringLiteral("S01"),
                        QStringLiteral("5"), QStringLiteral("9.51"), QString(), quoted),
        DeleteBlock(other.billNo),
    };
    for (const QString& block : blocks) {
        const QString runner = RowsAfter(Conn(), block, false);
        EXPECT_EQ(RowsAfter(Conn(), block, true), runner) << block.toStdString();
    }
}

JXC_INSTANTIATE_DB_TEST(ModuleBlocks);

} // namespace
