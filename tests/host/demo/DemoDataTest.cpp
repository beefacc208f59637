// The demo data: consistent with itself, with the numbering rule and with the rights it
// promises, usable by the module's own statements, and the same every time.
#include "bench/PostingBlock.h"
#include "host/admin/DemoData.h"
#include "host/db/Schema.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSet>
#include <gtest/gtest.h>
#include <memory>

namespace {

using host::db::DemoOptions;
using host::db::DemoSummary;

class DemoDataTest : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        DemoOptions o;
        o.bills = 90;
        o.linesPerBill = 4;
        o.todayBills = 12;
        summary = host::db::SeedDemo(Conn(), o);
    }

    qint64 Int(const QString& sql) { return Db().QueryValue(sql).toLongLong(); }
    std::unique_ptr<platform::Dataset> Rows(const QString& sql) { return std::unique_ptr<platform::Dataset>(Db().OpenQuery(sql)); }

    DemoSummary summary;
};

TEST_P(DemoDataTest, SummaryMatchesTheRows)
{
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain"), summary.bills);
    EXPECT_EQ(summary.bills, 90);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillDetail"), summary.lines);
    EXPECT_EQ(Int("select count(*) from Sto_GdsBillMain"), summary.stockBills + summary.openingBills);
    EXPECT_EQ(Int("select count(*) from Sto_GdsBillDetail"), summary.stockBillLines + summary.openingBillLines);
    EXPECT_EQ(Int("select count(*) from bas_Storage"), summary.storages);
    EXPECT_EQ(Int("select count(*) from Bas_GoodsInfo"), summary.goods);
    EXPECT_EQ(Int("select count(*) from Gds_StockCount"), summary.stockRows);
    EXPECT_EQ(Int("select count(*) from sys_operator"), 3);
    // Average of four lines: a bill gets one to seven.
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain a where not exists (select 1 from Sto_AdjustBillDetail d where d.BillID = a.ID)"), 0);
    EXPECT_LE(Int("select max(n) from (select count(*) as n from Sto_AdjustBillDetail group by BillID) t"), 7);
}

TEST_P(DemoDataTest, LinesBelongToTheirBillsAndAddUp)
{
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillDetail d where not exists (select 1 from Sto_AdjustBillMain a where a.ID = d.BillID)"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillDetail d, Sto_AdjustBillMain a where a.ID = d.BillID and "
                  "(a.BillNo <> d.BillNo or a.DELETED <> d.DELETED or a.OptorCode <> d.OptorCode)"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain a where abs(a.GoodsCount - (select sum(GoodsCount) from "
                  "Sto_AdjustBillDetail where BillID = a.ID)) > 0.001"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain a where abs(a.BillSum - (select sum(PaySum) from "
                  "Sto_AdjustBillDetail where BillID = a.ID)) > 0.00001"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillDetail where abs(PaySum - GoodsPrice * GoodsCount) > 0.0001 or GoodsCount <= 0"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain where Src_StorageCode = Des_StorageCode"), 0);
    // Lines name real, usable goods and copy their name, unit and model.
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillDetail d left join Bas_GoodsInfo g on g.GoodsCode = d.GoodsCode "
                  "where g.ID is null or g.UseFlag <> 1 or g.Deleted <> 0 or g.GoodsName <> d.GoodsName "
                  "or g.CalUnit <> d.CalUnit or g.Model <> d.Model"), 0);
    // The editor never fills these: empty text, not null.
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillDetail where Brand is null or Remark is null"), 0);
}

TEST_P(DemoDataTest, BillNumbersFollowTheRuleAndCountersStandPastThem)
{
    auto bills = Rows("select BillNo, BillDate from Sto_AdjustBillMain order by BillNo");
    QSet<qint64> serials;
    static const QRegularExpression rule(QStringLiteral("^DB-(\\d{8})(\\d{8,})$"));
    for (bills->First(); !bills->Eof(); bills->Next()) {
        const QString no = bills->FieldByName("BillNo").AsString();
        const auto m = rule.match(no);
        ASSERT_TRUE(m.hasMatch()) << no.toStdString();
        EXPECT_EQ(m.captured(1), bills->FieldByName("BillDate").AsDateTime().date().toString("yyyyMMdd")) << no.toStdString();
        serials.insert(m.captured(2).toLongLong());
    }
    EXPECT_EQ(serials.size(), summary.bills); // no number twice
    EXPECT_EQ(*std::max_element(serials.begin(), serials.end()), summary.lastTransferSerial);

    // The next number drawn is a new one, for transfers and for both stock bills.
    const qint64 nextDb = Db().NextCounter("JXC_BILLNO_DB", 1).toLongLong();
    EXPECT_EQ(nextDb, summary.lastTransferSerial + 1);
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Sto_AdjustBillMain where BillNo like '%%1'").arg(nextDb, 8, 10, QLatin1Char('0'))), 0);
    for (const char* kind : {"RK", "CK"}) {
        const qint64 used = Int(QStringLiteral("select max(substr(BillNo, 12)) from Sto_GdsBillMain where BillNo like '%1-%'").arg(kind));
        EXPECT_EQ(used, kind[0] == 'R' ? summary.lastStockInSerial : summary.lastStockOutSerial);
        EXPECT_GT(Db().NextCounter(QStringLiteral("JXC_BILLNO_%1").arg(kind), 1).toLongLong(), used);
    }
}

TEST_P(DemoDataTest, StatusesAndAuditFieldsAgree)
{
    for (int status = 0; status <= 4; ++status)
        EXPECT_GT(Int(QStringLiteral("select count(*) from Sto_AdjustBillMain where DELETED = 0 and BillStatus = %1").arg(status)), 0)
            << "status " << status;
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain where AuditFlag = 1 and BillStatus not in (2, 4)"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain where AuditFlag = 0 and BillStatus in (2, 4)"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain where AuditFlag = 1 and (Auditor = '' or Auditor is null or AuditDate is null "
                  "or AuditDate < Create_time)"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain where AuditFlag = 0 and (Auditor <> '' or AuditDate is not null)"), 0);
    // Only never-audited bills can have been deleted; posted ones were changed after creation.
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain where DELETED = 1 and BillStatus <> 0"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain where BillStatus = 4 and modified_time < AuditDate"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain where BillStatus <> 4 and modified_time <> Create_time"), 0);
}

TEST_P(DemoDataTest, PostedBillsHaveTheirStockBills)
{
    EXPECT_EQ(summary.stockBills, 2 * Int("select count(*) from Sto_AdjustBillMain where BillStatus = 4"));
    // One stock-out for the source, one stock-in for the destination, each copying every line.
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain a where a.BillStatus = 4 and 1 <> (select count(*) from "
                  "Sto_GdsBillMain g where g.SrcBillNo = a.BillNo and g.BillType = '12' and g.StorageCode = a.Src_StorageCode)"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain a where a.BillStatus = 4 and 1 <> (select count(*) from "
                  "Sto_GdsBillMain g where g.SrcBillNo = a.BillNo and g.BillType = '02' and g.StorageCode = a.Des_StorageCode)"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_GdsBillMain g, Sto_AdjustBillMain a where g.SrcBillNo = a.BillNo and "
                  "(a.BillStatus <> 4 or g.SrcBillType <> 4 or g.BillStatus <> 4 or g.AuditFlag <> 1 or g.Auditor <> a.Auditor "
                  "or abs(g.GoodsCount - a.GoodsCount) > 0.001 or g.BillSum <> a.BillSum or g.BillNo not like "
                  "(case when g.BillType = '12' then 'CK-%' else 'RK-%' end))"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_GdsBillMain g where g.BillType <> '00' and (select count(*) from Sto_GdsBillDetail d where d.BillID = g.ID "
                  "and d.BillNo = g.BillNo and d.BillType = g.BillType) <> (select count(*) from Sto_AdjustBillDetail t, "
                  "Sto_AdjustBillMain a where t.BillID = a.ID and a.BillNo = g.SrcBillNo)"), 0);
}

TEST_P(DemoDataTest, TodaysBillsShowInTheListsFirstQuery)
{
    // The list window's start-up query, as it sends it.
    const QString sql = QStringLiteral(
        " select a.*, (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as storageName_Out, "
        "(select storageName from bas_storage where StorageCode=a.Des_StorageCode) as storageName_In  from Sto_AdjustBillMain a"
        " where a.DELETED= 0 and a.billDate >=to_date('%1','YYYY-MM-DD')").arg(QDate::currentDate().toString("yyyy-MM-dd"));
    auto list = Rows(sql);
    EXPECT_EQ(list->RecordCount(), 12);
    QSet<qint64> statuses;
    for (list->First(); !list->Eof(); list->Next()) {
        EXPECT_FALSE(list->FieldByName("storageName_Out").AsString().isEmpty());
        EXPECT_FALSE(list->FieldByName("storageName_In").AsString().isEmpty());
        statuses.insert(list->FieldByName("BillStatus").AsInteger());
    }
    EXPECT_EQ(statuses.size(), 5); // every status and its colour on the first screen
}

TEST_P(DemoDataTest, StorageTreeParentsComeFirst)
{
    EXPECT_EQ(Int("select count(*) from bas_Storage where StoragePID = 0"), 1);
    EXPECT_EQ(Int("select count(*) from bas_Storage s where s.StoragePID <> 0 and not exists "
                  "(select 1 from bas_Storage p where p.ID = s.StoragePID and p.ID < s.ID)"), 0);
    EXPECT_GT(Int("select count(*) from bas_Storage s where exists (select 1 from bas_Storage c where c.StoragePID = s.ID) and s.StoragePID <> 0"), 0)
        << "the tree should be deeper than one level";
    EXPECT_EQ(Int("select count(*) from bas_Storage where UseFlag = 0"), 1);
    EXPECT_EQ(Int("select count(distinct StorageCode) from bas_Storage"), summary.storages);
    // Bills move goods only between storages in use.
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain a where not exists (select 1 from bas_Storage s where "
                  "s.StorageCode = a.Src_StorageCode and s.UseFlag = 1) or not exists (select 1 from bas_Storage s where "
                  "s.StorageCode = a.Des_StorageCode and s.UseFlag = 1)"), 0);
    // The storage lookup's query lists every storage in use.
    EXPECT_EQ(Rows(" select * from bas_Storage where useflag = 1 and  (upper(storageCode) like '%%' "
                   " or upper(StorageName) like '%%') order by ID")->RecordCount(), summary.storages - 1);
}

TEST_P(DemoDataTest, GoodsMasterCarriesUnitsTypesCodes)
{
    EXPECT_EQ(Int("select count(*) from Bas_GoodsInfo g where not exists (select 1 from Sys_DictDetail d where "
                  "d.DictDetailCode = g.CalUnit and substr(d.DictDetailCode,1,3)='521')"), 0);
    EXPECT_EQ(Int("select count(*) from Bas_GoodsInfo g where not exists (select 1 from bas_goodstype t where t.GoodsTypeCode = g.GoodsType)"), 0);
    EXPECT_GE(Int("select count(distinct GoodsType) from Bas_GoodsInfo"), 3);
    EXPECT_GT(Int("select count(*) from Bas_GoodsInfo where UseFlag = 0"), 0);
    EXPECT_GT(Int("select count(*) from Bas_GoodsInfo where Deleted = 1"), 0);
    EXPECT_EQ(Int("select count(distinct GoodsCode) from Bas_GoodsInfo"), summary.goods);
    EXPECT_EQ(Int("select count(distinct BarCode) from Bas_GoodsInfo"), summary.goods);

    // The unit list holds only the "521" group, though the dictionary has others.
    EXPECT_GT(Int("select count(*) from Sys_DictDetail where substr(DictDetailCode,1,3) <> '521'"), 0);
    auto units = Rows("select DictDetailCode,DictDetailName from Sys_DictDetail where substr(dictdetailCode,1,3)='521'");
    ASSERT_GE(units->RecordCount(), 3);
    ASSERT_TRUE(units->Locate("DictDetailCode", "521001"));
    EXPECT_EQ(units->FieldByName("DictDetailName").AsString(), QStringLiteral("个"));

    auto goods = Rows("select GoodsName, PyCode, BarCode from Bas_GoodsInfo");
    static const QRegularExpression py(QStringLiteral("^[A-Z0-9]+$"));
    for (goods->First(); !goods->Eof(); goods->Next()) {
        const QString name = goods->FieldByName("GoodsName").AsString();
        EXPECT_TRUE(py.match(goods->FieldByName("PyCode").AsString()).hasMatch()) << name.toStdString();
        const QString bar = goods->FieldByName("BarCode").AsString();
        ASSERT_EQ(bar.size(), 13) << name.toStdString();
        int sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += bar[i].digitValue() * (i % 2 ? 3 : 1);
        EXPECT_EQ(bar[12].digitValue(), (10 - sum % 10) % 10) << bar.toStdString();
    }

    // The goods lookup's query (condition typed, no storage) finds goods by their pinyin initials.
    auto found = Rows(" select a.*,(select nvl(Sum(LeftCount),0) from gds_stockcount  where GoodsCode=a.GoodsCode) as GdsLeftCount "
                      "from Bas_GoodsInfo a  where (upper(a.GoodsCode) like '%KSF%' or upper(a.GoodsName) like '%KSF%' or "
                      "upper(a.PyCode) like '%KSF%') and (a.Deleted=0) and a.UseFlag = 1 and a.GoodsType in "
                      "(select GoodsType from sys_operatorgoodstype where OperatorID=(select OperatorID from sys_operator where OperatorCode='001'))");
    EXPECT_GE(found->RecordCount(), 2);
    for (found->First(); !found->Eof(); found->Next())
        EXPECT_TRUE(found->FieldByName("GoodsName").AsString().startsWith(QStringLiteral("康师傅")));
}

TEST_P(DemoDataTest, OperatorsHaveTheRightsStated)
{
    auto rights = Rows(QStringLiteral("select o.OperatorCode, r.BrowseLevel, r.OperateRight, (select count(*) from sys_operatorgoodstype t "
                                      "where t.OperatorID = o.OperatorID) as Types from sys_operator o left join sys_operatorright r "
                                      "on r.OperatorID = o.OperatorID and r.PluginID = %1 order by o.OperatorCode")
                           .arg(host::db::TransferPluginId));
    ASSERT_EQ(rights->RecordCount(), 3);
    const qint64 allTypes = Int("select count(*) from bas_goodstype");
    struct Expect {
        const char* code;
        int browse, operate;
        qint64 types;
    } expected[] = {{"001", 3, 1, allTypes}, {"002", 3, 1, 2}, {"003", 1, 0, allTypes}};
    rights->First();
    for (const Expect& e : expected) {
        EXPECT_EQ(rights->FieldByName("OperatorCode").AsString(), e.code);
        EXPECT_EQ(rights->FieldByName("BrowseLevel").AsInteger(), e.browse) << e.code;
        EXPECT_EQ(rights->FieldByName("OperateRight").AsInteger(), e.operate) << e.code;
        EXPECT_EQ(rights->FieldByName("Types").AsInteger(), e.types) << e.code;
        rights->Next();
    }
    // 002 handles food and daily goods only, on the bills it made and on those it audited.
    EXPECT_EQ(Int("select count(*) from sys_operatorgoodstype t, sys_operator o where t.OperatorID = o.OperatorID and "
                  "o.OperatorCode = '002' and t.GoodsType not in ('01', '03')"), 0);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillDetail d, Sto_AdjustBillMain a, Bas_GoodsInfo g where d.BillID = a.ID and "
                  "g.GoodsCode = d.GoodsCode and (a.OptorCode = '002' or a.Auditor = '002') and g.GoodsType not in ('01', '03')"), 0);
    // Every code on a bill names an operator.
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain a where not exists (select 1 from sys_operator o where o.OperatorCode = a.OptorCode)"), 0);
}

TEST_P(DemoDataTest, IdsAreUniqueAndBehindTheSequence)
{
    const QString all = QStringLiteral(
        "select ID from Sto_AdjustBillMain union all select ID from Sto_AdjustBillDetail union all select ID from Sto_GdsBillMain "
        "union all select ID from Sto_GdsBillDetail union all select ID from Gds_StockCount union all select ID from Bas_GoodsInfo "
        "union all select ID from bas_Storage union all select OperatorID from sys_operator");
    const qint64 total = Int("select count(*) from (" + all + ") t");
    EXPECT_EQ(Int("select count(distinct ID) from (" + all + ") t"), total);
    const qint64 maxId = Int("select max(ID) from (" + all + ") t");
    EXPECT_GT(Db().NextSequence("SEQ_JXCID").toLongLong(), maxId);
}

TEST_P(DemoDataTest, StockRowsPointAtTheirMasters)
{
    EXPECT_EQ(Int("select count(*) from Gds_StockCount k left join bas_Storage s on s.ID = k.StorageID left join Bas_GoodsInfo g on "
                  "g.ID = k.GoodsID where s.StorageCode is null or s.StorageCode <> k.StorageCode or g.GoodsCode is null or "
                  "g.GoodsCode <> k.GoodsCode"), 0);
    // One row per storage and goods, as posting keeps it.
    EXPECT_EQ(Int("select count(*) from (select StorageCode, GoodsCode from Gds_StockCount group by StorageCode, GoodsCode having count(*) > 1) t"), 0);
    EXPECT_GE(Int("select count(distinct StorageCode) from Gds_StockCount"), 5);
    // Lines take goods the source storage holds, as the editor's lookup offers them.
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillDetail d, Sto_AdjustBillMain a where d.BillID = a.ID and not exists "
                  "(select 1 from Gds_StockCount k where k.StorageCode = a.Src_StorageCode and k.GoodsCode = d.GoodsCode)"), 0);
}

TEST_P(DemoDataTest, AnAuditedBillCanBePosted)
{
    auto bill = Rows("select * from Sto_AdjustBillMain where BillStatus = 2 and DELETED = 0 order by ID");
    ASSERT_FALSE(bill->IsEmpty());
    const qint64 id = bill->FieldByName("ID").AsInteger();
    jxcbench::PostingInput p;
    p.billId = id;
    p.billNo = bill->FieldByName("BillNo").AsString();
    p.srcStorage = bill->FieldByName("Src_StorageCode").AsString();
    p.desStorage = bill->FieldByName("Des_StorageCode").AsString();
    p.auditor = bill->FieldByName("Auditor").AsString();
    p.remark = bill->FieldByName("Remark").AsString();
    p.operatorCode = bill->FieldByName("OptorCode").AsString();
    p.goodsCount = bill->FieldByName("GoodsCount").AsFloat();
    p.billSum = bill->FieldByName("BillSum").AsCurrency();
    p.auditDate = bill->FieldByName("AuditDate").AsDateTime();
    p.inId = Db().NextSequence("SEQ_JXCID").toLongLong();
    p.inNo = "RK-20240101" + QString::number(Db().NextCounter("JXC_BILLNO_RK", 1).toLongLong()).rightJustified(8, '0');
    p.outId = Db().NextSequence("SEQ_JXCID").toLongLong();
    p.outNo = "CK-20240101" + QString::number(Db().NextCounter("JXC_BILLNO_CK", 1).toLongLong()).rightJustified(8, '0');

    const QString stockOf = QStringLiteral("select nvl(sum(LeftCount),0) from Gds_StockCount where StorageCode='%1' and GoodsCode='%2'");
    auto lines = Rows(QStringLiteral("select GoodsCode, sum(GoodsCount) as Qty from Sto_AdjustBillDetail where BillID=%1 group by GoodsCode").arg(id));
    struct Before {
        QString goods;
        double qty, src, des;
    };
    std::vector<Before> before;
    for (lines->First(); !lines->Eof(); lines->Next()) {
        const QString g = lines->FieldByName("GoodsCode").AsString();
        before.push_back({g, lines->FieldByName("Qty").AsFloat(), Db().QueryValue(stockOf.arg(p.srcStorage, g)).toDouble(),
                          Db().QueryValue(stockOf.arg(p.desStorage, g)).toDouble()});
    }

    ASSERT_NO_THROW(Db().ExecSql(jxcbench::PostingBlock(p)));
    EXPECT_EQ(Int(QStringLiteral("select BillStatus from Sto_AdjustBillMain where ID=%1").arg(id)), 4);
    for (const Before& b : before) {
        EXPECT_NEAR(Db().QueryValue(stockOf.arg(p.srcStorage, b.goods)).toDouble(), b.src - b.qty, 0.001) << b.goods.toStdString();
        EXPECT_NEAR(Db().QueryValue(stockOf.arg(p.desStorage, b.goods)).toDouble(), b.des + b.qty, 0.001) << b.goods.toStdString();
    }
    EXPECT_EQ(Int(QStringLiteral("select count(*) from Sto_GdsBillDetail where BillID in (%1, %2)").arg(p.inId).arg(p.outId)),
              2 * Int(QStringLiteral("select count(*) from Sto_AdjustBillDetail where BillID=%1").arg(id)));
}

TEST_P(DemoDataTest, RefusesADatabaseThatHoldsData)
{
    const qint64 bills = Int("select count(*) from Sto_AdjustBillMain");
    const qint64 goods = Int("select count(*) from Bas_GoodsInfo");
    const QString seq = Db().QueryValue("select max(ID) from Sto_AdjustBillDetail");
    EXPECT_THROW(host::db::SeedDemo(Conn(), {}), platform::EDatabaseError);
    EXPECT_EQ(Int("select count(*) from Sto_AdjustBillMain"), bills);
    EXPECT_EQ(Int("select count(*) from Bas_GoodsInfo"), goods);
    EXPECT_EQ(Db().QueryValue("select max(ID) from Sto_AdjustBillDetail"), seq);
    EXPECT_FALSE(Conn().InTransaction());
}

JXC_INSTANTIATE_DB_TEST(DemoDataTest);

// ----- determinism and sizes (SQLite files of their own) -----

QString Dump(host::db::DbService& db)
{
    QString out;
    for (const QString& table : host::db::SchemaTables(host::db::Engine::SQLite)) {
        std::unique_ptr<platform::Dataset> ds(db.OpenQuery("select * from " + table + " order by 1, 2"));
        out += table + u'\n';
        for (ds->First(); !ds->Eof(); ds->Next()) {
            for (int c = 0; c < ds->FieldCount(); ++c) {
                // The audit trail notes when each row was written: the clock, not the demo.
                if (ds->Fields()[c].name.compare(QLatin1String("ChangedAt"), Qt::CaseInsensitive) == 0)
                    continue;
                out += platform::VariantToText(ds->FieldAt(c).Value()) + u'|';
            }
            out += u'\n';
        }
    }
    return out;
}

QString SeedAndDump(const DemoOptions& o)
{
    jxctest::TempSqliteDb file;
    auto svc = file.NewService();
    host::db::SeedDemo(svc->GetConnection(), o);
    return Dump(*svc);
}

TEST(DemoDataDeterminism, SameOptionsSameRows)
{
    DemoOptions o;
    o.bills = 40;
    o.today = QDate(2024, 6, 1);
    const QString a = SeedAndDump(o);
    const QString b = SeedAndDump(o);
    EXPECT_GT(a.size(), 10000);
    EXPECT_EQ(a, b);

    DemoOptions other = o;
    other.seed = o.seed + 1;
    EXPECT_NE(SeedAndDump(other), a);
}

TEST(DemoDataDeterminism, GivenDayDecidesTheDates)
{
    jxctest::TempSqliteDb file;
    auto svc = file.NewService();
    DemoOptions o;
    o.bills = 30;
    o.todayBills = 5;
    o.days = 10;
    o.today = QDate(2024, 2, 29);
    host::db::SeedDemo(svc->GetConnection(), o);
    EXPECT_EQ(svc->QueryValue("select count(*) from Sto_AdjustBillMain where BillDate >= to_date('2024-02-29','YYYY-MM-DD')"), "5");
    EXPECT_EQ(svc->QueryValue("select count(*) from Sto_AdjustBillMain where BillDate < to_date('2024-02-19','YYYY-MM-DD')"), "0");
    EXPECT_EQ(svc->QueryValue("select count(*) from Sto_AdjustBillMain where BillNo like 'DB-20240229%'"), "5");
}

TEST(DemoDataSizes, EmptyAndRejectedSizes)
{
    jxctest::TempSqliteDb file;
    auto svc = file.NewService();
    DemoOptions none;
    none.bills = 0;
    const DemoSummary s = host::db::SeedDemo(svc->GetConnection(), none);
    EXPECT_EQ(s.bills, 0);
    EXPECT_GT(s.goods, 0); // master data without bills
    EXPECT_EQ(svc->NextCounter("JXC_BILLNO_DB", 1).toLongLong(), 1);

    jxctest::TempSqliteDb other;
    auto svc2 = other.NewService();
    DemoOptions tooMany;
    tooMany.bills = 2000000;
    EXPECT_THROW(host::db::SeedDemo(svc2->GetConnection(), tooMany), platform::EDatabaseError);
    EXPECT_EQ(svc2->QueryValue("select count(*) from Bas_GoodsInfo"), "0");
}

TEST(DemoDataPaths, DefaultFileIsSharedByHostAndAdmin)
{
    QStandardPaths::setTestModeEnabled(true); // keep the user's real data folder out of it
    const QString path = host::db::DefaultDatabasePath();
    EXPECT_TRUE(path.endsWith("/jxc/jxc-demo.sqlite")) << path.toStdString();
    EXPECT_TRUE(QFileInfo(path).dir().exists());
    // Independent of the running program's name.
    QCoreApplication::setApplicationName("some-other-tool");
    EXPECT_EQ(host::db::DefaultDatabasePath(), path);
    QCoreApplication::setApplicationName("jxc-tests");
    QStandardPaths::setTestModeEnabled(false);
}

} // namespace
