// The road of one bill through the real list window, on SQLite and on PostgreSQL: 增加 in the
// bill editor, then a click, 审核, 调拨 and 预览 (saved as PDF from the preview); afterwards the
// stock, the two stock bills and their lines are checked.
#include "billedit/FrmBillEdit.h"
#include "billlist/PromisedStock.h"
#include "billlist/uJXC_DBDBill.h"
#include "billlist/WorkWindow.h"
#include "lookup/FrmQryGoodsList.h"
#include "lookup/FrmQryStorageList.h"
#include "platform/rframebottom3.h"

#include "host/admin/Passwords.h"
#include "model/BillConst.h"
#include "model/BillNo.h"
#include "model/SqlText.h"
#include "platform/ButtonEdit.h"
#include "platform/Component.h"
#include "platform/core/Currency.h"
#include "platform/CurrencyEdit.h"
#include "platform/DataController.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "tests/billlist/PdfText.h"
#include "tests/support/DbTestEnv.h"
#include "tests/support/ModuleHarness.h"

#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

namespace {

using model::QuotedStr;

class BillRoadTest : public jxctest::DbTest {
protected:
    testsupport::ScriptedApplication app;
    testsupport::TestHost host;
    std::unique_ptr<testsupport::ModuleScope> scope;
    std::unique_ptr<TWorkWindowForm> window;

    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        host.SetDb(&Db());
        scope = std::make_unique<testsupport::ModuleScope>(app, &host);
        const QString op = QuotedStr(host.Operator.OperatorCode);
        Exec("insert into Sys_DictDetail (DictDetailCode, DictDetailName) values ('52102', '箱')");
        Exec("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (1, 0, 'S01', '一号仓', 1)");
        Exec("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (2, 0, 'S02', '二号仓', 1)");
        Exec(QStringLiteral("insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (%1, %2, '张三')")
                 .arg(host.Operator.OperatorId)
                 .arg(op));
        Exec(QStringLiteral("insert into sys_operatorgoodstype (OperatorID, GoodsType) values (%1, '01')").arg(host.Operator.OperatorId));
        Exec(QStringLiteral("insert into sys_operatorright (OperatorID, PluginID, BrowseLevel, OperateRight) values (%1, 77, 2, 1)")
                 .arg(host.Operator.OperatorId));
        Exec("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, BarCode, CalUnit, UseFlag, Deleted) values (11, 'A100', '苹果', '01', '6901', '52102', 1, 0)");
        Exec("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, BarCode, CalUnit, UseFlag, Deleted) values (12, 'B200', '香蕉', '01', '6902', '52102', 1, 0)");
        Exec("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted) values (1, 1, 'S01', 11, 'A100', 10, 0)");
        Exec("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted) values (2, 1, 'S01', 12, 'B200', 1.5, 0)");
        Exec("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted) values (3, 2, 'S02', 12, 'B200', 2, 0)");
    }

    void TearDown() override
    {
        if (window) {
            window->DoneWindow();
            window.reset();
        }
        EXPECT_TRUE(app.Clean()) << app.Failures().join("\n").toStdString();
        scope.reset();
        host.SetDb(nullptr);
        DbTest::TearDown();
    }

    void Exec(const QString& sql) { Db().ExecSql(sql); }
    QString Value(const QString& sql) { return Db().QueryValue(sql); }
    QString Left(const QString& storage, const QString& goods)
    {
        return Value(QStringLiteral("select sum(LeftCount) from Gds_StockCount where StorageCode = %1 and GoodsCode = %2")
                         .arg(QuotedStr(storage), QuotedStr(goods)));
    }

    // 增加 in the window: the bill entered in the editor as a clerk does, then saved.
    QString AddWithEditor(TWorkWindowForm& w)
    {
        app.OnDialog<TBillEditFrm>([this](TBillEditFrm& f) {
            for (auto [edit, code] : {std::pair{f.edtStorageOut, "S01"}, std::pair{f.edtStorageIn, "S02"}}) {
                edit->setText(QLatin1String(code));
                app.OnDialog<TQryStorageListFrm>([](TQryStorageListFrm& d) { d.Frame31->bbtnEnter->click(); });
                emit edit->ButtonClicked(0);
            }
            f.edtRemark->setText(QStringLiteral("road"));
            for (auto [code, price, count] : {std::tuple{"A100", "2", "5"}, std::tuple{"B200", "5.5", "1.5"}}) {
                f.edtCondition->setText(QLatin1String(code));
                app.OnDialog<TQryGoodsListFrm>([](TQryGoodsListFrm&) {}); // its single match is taken
                emit f.edtCondition->ButtonClicked(0);
                f.edtGoodsPrice->SetValue(*platform::Currency::Parse(QLatin1String(price)));
                f.edtGoodsCount->setText(QLatin1String(count));
                f.btnAdd->click();
            }
            f.Frame31->bbtnEnter->click();
        });
        w.dxBarButton1->trigger();
        EXPECT_TRUE(host.Log.Errors.isEmpty()) << host.Log.Errors.join("\n").toStdString();
        EXPECT_TRUE(host.Log.Messages.isEmpty()) << host.Log.Messages.join("\n").toStdString();
        EXPECT_TRUE(app.Failures().isEmpty()) << app.Failures().join("\n").toStdString();
        return Value("select BillNo from Sto_AdjustBillMain");
    }

    TWorkWindowForm& Open()
    {
        window = std::make_unique<TWorkWindowForm>();
        platform::SetTag(window.get(), 77); // the plug-in's id, which the rights above name
        window->InitWindow();
        window->RefreshData();
        window->resize(1000, 600);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }
    void Road();
    void Click(int record)
    {
        QTableView* table = window->TableBillInfo->Table();
        const QRect cell = table->visualRect(table->model()->index(record, window->colBillNo->Index()));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

void BillRoadTest::Road()
{
    // Promised stock counted: audit and posting go as the blocks that re-check it.
    host.Ini.Set(billlist::kStockIni, billlist::kStockSection, billlist::kCountPromisedKey, QStringLiteral("1"));
    TWorkWindowForm& w = Open();
    const QString no = AddWithEditor(w);
    ASSERT_TRUE(no.startsWith(QStringLiteral("DB-"))) << no.toStdString();
    platform::DataController* bills = w.TableBillInfo->DataController();
    ASSERT_EQ(bills->RecordCount(), 1);
    EXPECT_EQ(bills->DisplayText(0, w.colBillNo->Index()), no);

    Click(0);
    ASSERT_EQ(w.TableGoodsList->DataController()->RecordCount(), 2);

    app.QueueAnswer(platform::mbYes);
    w.dxBarButton5->trigger();
    EXPECT_EQ(app.Boxes().last().text, QStringLiteral("审核成功!"));
    EXPECT_EQ(Value("select BillStatus from Sto_AdjustBillMain where BillNo = " + QuotedStr(no)), "2");

    app.QueueAnswer(platform::mbOK);
    w.dxBarButton4->trigger();
    EXPECT_TRUE(host.Log.Errors.isEmpty()) << host.Log.Errors.join("\n").toStdString();
    EXPECT_TRUE(host.Log.Messages.isEmpty()) << host.Log.Messages.join("\n").toStdString();
    EXPECT_EQ(bills->DisplayText(0, w.colBillstatus->Index()), QStringLiteral("订单完成"));

    // The transfer bill, the stock and the two stock bills as posting leaves them.
    const QString bill = QStringLiteral(" from Sto_AdjustBillMain where BillNo = ") + QuotedStr(no);
    EXPECT_EQ(Value("select BillStatus" + bill), "4");
    EXPECT_EQ(Value("select AuditFlag" + bill), "1");
    EXPECT_EQ(Value("select Auditor" + bill), host.Operator.OperatorCode);
    EXPECT_EQ(Left("S01", "A100"), "5");
    EXPECT_EQ(Left("S02", "A100"), "5");
    EXPECT_EQ(Left("S01", "B200"), "0");
    EXPECT_EQ(Left("S02", "B200"), "3.5");
    EXPECT_EQ(Value("select GoodsID from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'A100'"), "11");
    EXPECT_EQ(Value("select StorageID from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'A100'"), "2");
    EXPECT_EQ(Value("select count(*) from Gds_StockCount"), "4");

    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    struct Side {
        QString type, prefix, storage;
    };
    for (const Side& s : {Side{"12", "CK-", "S01"}, Side{"02", "RK-", "S02"}}) {
        SCOPED_TRACE(s.prefix.toStdString());
        const QString head = QStringLiteral(" from Sto_GdsBillMain where BillType = ") + QuotedStr(s.type);
        EXPECT_EQ(Value("select count(*)" + head), "1");
        EXPECT_EQ(Value("select BillNo" + head), s.prefix + today + "00000001");
        EXPECT_EQ(Value("select StorageCode" + head), s.storage);
        EXPECT_EQ(Value("select SrcBillNo" + head), no);
        EXPECT_EQ(Value("select SrcBillType" + head), "4");
        EXPECT_EQ(Value("select GoodsCount" + head), "6.5");
        EXPECT_EQ(Value("select BillSum" + head), "18.25");
        EXPECT_EQ(Value("select BillStatus" + head), "4");
        EXPECT_EQ(Value("select AuditFlag" + head), "1");
        EXPECT_EQ(Value("select Auditor" + head), host.Operator.OperatorCode);
        EXPECT_EQ(Value("select OptorCode" + head), host.Operator.OperatorCode);
        EXPECT_EQ(Value("select Remark" + head), "road");
        EXPECT_EQ(Value("select deleted" + head), "0");
        const QString lines = QStringLiteral(" from Sto_GdsBillDetail where BillID = (select ID") + head + ")";
        EXPECT_EQ(Value("select count(*)" + lines), "2");
        EXPECT_EQ(Value("select count(*)" + lines + " and BillType = " + QuotedStr(s.type) + " and BillNo = "
                        + QuotedStr(s.prefix + today + "00000001")),
                  "2");
        EXPECT_EQ(Value("select GoodsCount" + lines + " and GoodsCode = 'A100'"), "5");
        EXPECT_EQ(Value("select GoodsCount" + lines + " and GoodsCode = 'B200'"), "1.5");
        EXPECT_EQ(Value("select PaySum" + lines + " and GoodsCode = 'B200'"), "8.25");
        EXPECT_EQ(Value("select GoodsPrice" + lines + " and GoodsCode = 'B200'"), "5.5");
        EXPECT_EQ(Value("select CalUnit" + lines + " and GoodsCode = 'B200'"), "52102");
    }

    // 预览 of the posted bill: the preview, and its pages saved through the save dialog.
    QTemporaryDir dir;
    const QString pdf = dir.filePath("road");
    int previewPages = 0;
    bool reportHeld = false;
    app.OnDialog<QPrintPreviewDialog>([&](QPrintPreviewDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("打印预览"));
        reportHeld = QuickReport1 != nullptr;
        if (auto* pages = d.findChild<QPrintPreviewWidget*>())
            previewPages = pages->pageCount();
        app.QueueFileName(pdf);
        auto* save = d.findChild<QAction*>(QStringLiteral("actSavePdf"));
        ASSERT_NE(save, nullptr);
        save->trigger();
        d.reject();
    });
    w.dxBarButton7->trigger();
    EXPECT_TRUE(reportHeld);
    EXPECT_EQ(QuickReport1, nullptr);
    EXPECT_EQ(previewPages, 1);
    ASSERT_EQ(app.FileDialogs().size(), 1);
    EXPECT_EQ(app.FileDialogs()[0].options.filter, QStringLiteral("PDF文件(*.pdf)|*.pdf"));
    ASSERT_TRUE(QFile::exists(pdf + ".pdf"));
    if (pdftest::Available()) {
        EXPECT_EQ(pdftest::PageCount(pdf + ".pdf"), 1);
        const QString text = pdftest::Text(pdf + ".pdf", 1);
        EXPECT_TRUE(text.contains(no)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("一号仓")));
        EXPECT_TRUE(text.contains(QStringLiteral("二号仓")));
        EXPECT_TRUE(text.contains(QStringLiteral("香蕉")));
        EXPECT_TRUE(text.contains("6902"));
        EXPECT_TRUE(text.contains(QStringLiteral("2 条数据")));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("合计：.*\\b6\\b")).match(text).hasMatch()) << text.toStdString();
    }

    // 冲销: the stock counts back where they were before the posting, the bill marked.
    app.QueueAnswer(platform::mbOK);
    w.actReverse->trigger();
    EXPECT_TRUE(host.Log.Errors.isEmpty()) << host.Log.Errors.join("\n").toStdString();
    EXPECT_TRUE(host.Log.Messages.isEmpty()) << host.Log.Messages.join("\n").toStdString();
    EXPECT_EQ(Value("select BillStatus" + bill), "5");
    EXPECT_EQ(bills->DisplayText(0, w.colBillstatus->Index()), QStringLiteral("已冲销"));
    EXPECT_EQ(Left("S01", "A100"), "10");
    EXPECT_EQ(Left("S02", "A100"), "0");
    EXPECT_EQ(Left("S01", "B200"), "1.5");
    EXPECT_EQ(Left("S02", "B200"), "2");
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain where SrcBillNo = " + QuotedStr(no)), "4");
    // A second reversal is refused by the window, and the block itself would refuse it.
    w.actReverse->trigger();
    EXPECT_EQ(host.Log.Messages.value(0), QStringLiteral("订单已冲销!"));
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "4");
}

TEST_P(BillRoadTest, AddClickAuditPostAndPreviewOneBill)
{
    Road();
}

// The same road on a server through a workstation role of the clerk group, logged in: what it is
// granted is enough for every step, and the server's own rules let the module's steps through.
TEST_P(BillRoadTest, AsAWorkstationRoleOnTheServer)
{
    if (GetEngine() == host::db::Engine::SQLite)
        GTEST_SKIP() << "a database file has no login roles";
    auto clerk = OpenClerkService();
    if (!clerk)
        GTEST_SKIP() << "no workstation role configured (JXC_TEST_PG_CLERK)";
    const int id = host.Operator.OperatorId;
    Exec(QStringLiteral("insert into sys_operatorright (OperatorID, PluginID, BrowseLevel, OperateRight) values (%1, 2001, 2, 1)")
             .arg(id));
    host::admin::SetPassword(Db(), host.Operator.OperatorCode, QStringLiteral("口令"));
    ASSERT_EQ(host::admin::CheckLogin(*clerk, id, QStringLiteral("口令"), {}).outcome, host::admin::LoginOutcome::Ok);
    host.SetDb(clerk.Get());
    Road();
}

JXC_INSTANTIATE_DB_TEST(BillRoadTest);

} // namespace
