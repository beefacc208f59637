// Audit, un-audit and posting from the list window's toolbar on the test host's SQLite
// database: the checks in their order with their texts, the stock test, the statements' effect
// and the focused row changed in memory.
#include "tests/billlist/WorkWindowFixture.h"

#include "model/DateUtil.h"
#include "model/SqlText.h"
#include "platform/Component.h"
#include "platform/DataController.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"
#include "plugin/Host.h"

#include "billlist/uJXC_DBDBill.h"
#include "tests/billlist/PdfText.h"

#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace billlisttest {
namespace {

using platform::MessageIcon;
using model::QuotedStr;

const QDate kToday = model::Today();
const QString kAsk = QStringLiteral("提示 ");

class AuditTest : public WorkWindowTest {
protected:
    void SetUp() override
    {
        WorkWindowTest::SetUp();
        AddGoods(1, "A100", QStringLiteral("苹果"), "01");
        AddGoods(2, "B200", QStringLiteral("香蕉"), "01");
    }

    void GrantOperate(int right = 1)
    {
        Exec(QStringLiteral("insert into sys_operatorright (OperatorID, PluginID, BrowseLevel, OperateRight) values (%1, %2, 1, %3)")
                 .arg(host.Operator.OperatorId)
                 .arg(platform::Tag(window.get()))
                 .arg(right));
    }
    void Stock(const QString& storage, const QString& goods, const QString& count)
    {
        Exec(QStringLiteral("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
                            " values (%1, (select ID from bas_Storage where StorageCode = %2), %2,"
                            " (select ID from Bas_GoodsInfo where GoodsCode = %3), %3, %4, 0)")
                 .arg(++stockIds_)
                 .arg(QuotedStr(storage), QuotedStr(goods), count));
    }
    QString Db(const QString& sql) { return plugin::HostDb()->QueryValue(sql); }
    QString Left(const QString& storage, const QString& goods)
    {
        return Db(QStringLiteral("select sum(LeftCount) from Gds_StockCount where StorageCode = %1 and GoodsCode = %2")
                      .arg(QuotedStr(storage), QuotedStr(goods)));
    }
    int Row(const QString& billNo) { return int(ListedBills().indexOf(billNo)); }
    QString Shown(const QString& billNo, platform::GridColumn* column)
    {
        return window->TableBillInfo->DataController()->DisplayText(Row(billNo), column->Index());
    }
    // Focus moves with the keyboard, the lines shown stay those of the bill last clicked.
    void KeyTo(int record)
    {
        window->TableBillInfo->SetFocus();
        platform::DataController* dc = window->TableBillInfo->DataController();
        while (dc->FocusedRecordIndex() != record)
            QTest::keyClick(window->TableBillInfo->Table(), dc->FocusedRecordIndex() < record ? Qt::Key_Down : Qt::Key_Up);
    }
    QStringList Messages() { return host.Log.Messages; }
    QString LastBox() { return app.Boxes().isEmpty() ? QString() : app.Boxes().last().text; }

    int stockIds_ = 100;
};

TEST_F(AuditTest, AuditRefusesInOrderAndApprovesOnlyWhatTheSourceStorageCovers)
{
    Bill bill{1, "DB-0001", QDateTime(kToday, QTime(8, 0))};
    Bill done{2, "DB-0002", QDateTime(kToday, QTime(9, 0)), 2, 1};
    AddBill(bill);
    AddBill(done);
    AddLine(1, bill, "A100", "5", "2");
    AddLine(2, bill, "B200", "3", "1");
    AddLine(3, done, "A100", "1", "1");
    Stock("S01", "A100", "5"); // exactly the line: passes
    Stock("S01", "B200", "1");
    Stock("S01", "B200", "1.5"); // two rows, 2.5 together: still short of 3
    TWorkWindowForm& w = Open();

    // Without the operate right nothing else is looked at.
    w.dxBarButton5->trigger();
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("对不起，您的权限不足，请与系统管理员联系！")});
    GrantOperate();

    // An audited row is refused before the database is asked.
    w.TableBillInfo->DataController()->SetFocusedRecordIndex(Row("DB-0002"));
    w.dxBarButton5->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("订单已审核!"));

    // Audited at another workstation since the list was loaded: the database says so.
    Exec("update Sto_AdjustBillMain set AuditFlag = 1 where ID = 1");
    w.TableBillInfo->DataController()->SetFocusedRecordIndex(Row("DB-0001"));
    w.dxBarButton5->trigger();
    EXPECT_EQ(Messages().size(), 3);
    EXPECT_EQ(Messages().last(), QStringLiteral("订单已审核!"));
    EXPECT_TRUE(app.Boxes().isEmpty());
    Exec("update Sto_AdjustBillMain set AuditFlag = 0 where ID = 1");

    // No: nothing happens. Yes with no bill clicked yet: the lines are asked for.
    app.QueueAnswer(platform::mbNo);
    w.dxBarButton5->trigger();
    ASSERT_EQ(app.Boxes().size(), 1);
    EXPECT_EQ(app.Boxes()[0].text, QStringLiteral("确定对订单[DB-0001]进行审核？"));
    EXPECT_EQ(app.Boxes()[0].caption, kAsk);
    EXPECT_EQ(app.Boxes()[0].buttons, platform::mbYesNo);
    EXPECT_EQ(app.Boxes()[0].icon, MessageIcon::Question);
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton5->trigger();
    ASSERT_EQ(app.Boxes().size(), 3);
    EXPECT_EQ(app.Boxes()[2].text, QStringLiteral("请先选择需要审核的单据！"));
    EXPECT_EQ(app.Boxes()[2].caption, QStringLiteral("操作提示"));
    EXPECT_EQ(app.Boxes()[2].buttons, platform::mbOK);
    EXPECT_EQ(app.Boxes()[2].icon, MessageIcon::None);

    // The lines of another bill are shown (clicked, then a keyboard move): not this bill's stock.
    ClickBill(Row("DB-0002"));
    KeyTo(Row("DB-0001"));
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton5->trigger();
    EXPECT_EQ(LastBox(), QStringLiteral("请先选择需要审核的单据！"));
    EXPECT_EQ(Db("select AuditFlag from Sto_AdjustBillMain where ID = 1"), "0");

    // Its own lines: the first line is covered exactly, the second is short.
    ClickBill(Row("DB-0001"));
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton5->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("仓库：S01的 商品：(B200)香蕉 的库存不足 ，请调整！"));
    EXPECT_EQ(Db("select AuditFlag from Sto_AdjustBillMain where ID = 1"), "0");

    // Enough stock: approved, in the database and in the row, with no new query.
    Stock("S01", "B200", "0.5");
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton5->trigger();
    const testsupport::MessageBoxRecord& ok = app.Boxes().last();
    EXPECT_EQ(ok.text, QStringLiteral("审核成功!"));
    EXPECT_EQ(ok.caption, QStringLiteral("提示"));
    EXPECT_EQ(ok.icon, MessageIcon::Information);
    EXPECT_EQ(Db("select AuditFlag from Sto_AdjustBillMain where ID = 1"), "1");
    EXPECT_EQ(Db("select BillStatus from Sto_AdjustBillMain where ID = 1"), "2");
    EXPECT_EQ(Db("select Auditor from Sto_AdjustBillMain where ID = 1"), "001");
    EXPECT_FALSE(Db("select AuditDate from Sto_AdjustBillMain where ID = 1").isEmpty());
    EXPECT_EQ(Shown("DB-0001", w.colBillstatus), QStringLiteral("审批通过"));
    EXPECT_EQ(Shown("DB-0001", w.ableClientInfoColumn7), QStringLiteral("已审核"));
    EXPECT_EQ(Shown("DB-0001", w.ableClientInfoColumn8), QStringLiteral("001"));
    EXPECT_TRUE(Shown("DB-0001", w.colEducation).contains(QString::number(kToday.day())));
    EXPECT_TRUE(host.Log.Errors.isEmpty());
}

TEST_F(AuditTest, AFailedAuditStatementIsReportedAndTheRowKeepsItsValues)
{
    Bill bill{1, "DB-0001", QDateTime(kToday, QTime(8, 0))};
    AddBill(bill);
    AddLine(1, bill, "A100", "1", "1");
    Stock("S01", "A100", "1");
    TWorkWindowForm& w = Open();
    GrantOperate();
    ClickBill(0);
    // A column the update writes and no check reads is gone: the update fails as a lost
    // connection or a constraint would make it fail.
    Exec("alter table Sto_AdjustBillMain rename column AuditDate to AuditDateGone");
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton5->trigger();
    ASSERT_EQ(host.Log.Errors.size(), 1);
    EXPECT_TRUE(host.Log.Errors[0].startsWith(QStringLiteral("保存数据失败!"))) << host.Log.Errors[0].toStdString();
    EXPECT_TRUE(host.Log.Errors[0].contains(QStringLiteral("AuditDate"), Qt::CaseInsensitive));
    EXPECT_EQ(Shown("DB-0001", w.ableClientInfoColumn7), QStringLiteral("未审核"));
    EXPECT_EQ(app.Boxes().size(), 1); // the question only: no success notice
}

TEST_F(AuditTest, UnAuditOnlyByTheAuditorAndNeverAfterPosting)
{
    Bill mine{1, "DB-0001", QDateTime(kToday, QTime(8, 0)), 2, 1};
    Bill theirs{2, "DB-0002", QDateTime(kToday, QTime(9, 0)), 2, 1};
    Bill posted{3, "DB-0003", QDateTime(kToday, QTime(10, 0)), 4, 1};
    Bill open{4, "DB-0004", QDateTime(kToday, QTime(11, 0))};
    for (const Bill& b : {mine, theirs, posted, open})
        AddBill(b);
    Exec("update Sto_AdjustBillMain set Auditor = '001', AuditDate = sysdate where ID in (1, 3)");
    Exec("update Sto_AdjustBillMain set Auditor = 'ZHAO' where ID = 2");
    TWorkWindowForm& w = Open();
    platform::DataController* dc = w.TableBillInfo->DataController();
    w.dxBarButton6->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("对不起，您的权限不足，请与系统管理员联系！"));
    GrantOperate();

    dc->SetFocusedRecordIndex(Row("DB-0004"));
    w.dxBarButton6->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("订单未审核!"));
    // Posted: refused even though the flag is 1.
    dc->SetFocusedRecordIndex(Row("DB-0003"));
    w.dxBarButton6->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("订单已完成调拨!"));
    // Another auditor, even with the window's rights.
    dc->SetFocusedRecordIndex(Row("DB-0002"));
    w.dxBarButton6->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("该订单只能由ZHAO取消审核!"));
    // Un-audited elsewhere since the list was loaded.
    Exec("update Sto_AdjustBillMain set AuditFlag = 0 where ID = 2");
    w.dxBarButton6->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("订单未审核!"));
    EXPECT_TRUE(app.Boxes().isEmpty());

    dc->SetFocusedRecordIndex(Row("DB-0001"));
    app.QueueAnswer(platform::mbNo);
    w.dxBarButton6->trigger();
    EXPECT_EQ(app.Boxes().last().text, QStringLiteral("确定对订单[DB-0001]取消审核？"));
    EXPECT_EQ(app.Boxes().last().caption, kAsk);
    EXPECT_EQ(Db("select AuditFlag from Sto_AdjustBillMain where ID = 1"), "1");
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton6->trigger();
    EXPECT_EQ(app.Boxes().last().text, QStringLiteral("取消审核成功!"));
    EXPECT_EQ(app.Boxes().last().caption, QStringLiteral("提示"));
    EXPECT_EQ(app.Boxes().last().icon, MessageIcon::Information);
    EXPECT_EQ(Db("select AuditFlag from Sto_AdjustBillMain where ID = 1"), "0");
    EXPECT_EQ(Db("select BillStatus from Sto_AdjustBillMain where ID = 1"), "0");
    EXPECT_EQ(Db("select Auditor from Sto_AdjustBillMain where ID = 1"), "");
    EXPECT_EQ(Db("select AuditDate from Sto_AdjustBillMain where ID = 1"), "");
    EXPECT_EQ(Shown("DB-0001", w.ableClientInfoColumn7), QStringLiteral("未审核"));
    EXPECT_TRUE(Shown("DB-0001", w.ableClientInfoColumn8).isEmpty());
    EXPECT_TRUE(Shown("DB-0001", w.colEducation).isEmpty());
}

TEST_F(AuditTest, PostingRefusesInOrderDrawsNumbersOnlyAfterOkAndMovesTheStock)
{
    Bill bill{1, "DB-0001", QDateTime(kToday, QTime(8, 0)), 2, 1};
    Bill open{2, "DB-0002", QDateTime(kToday, QTime(9, 0))};
    AddBill(bill);
    AddBill(open);
    Exec("update Sto_AdjustBillMain set Auditor = '001', AuditDate = sysdate, GoodsCount = 7, BillSum = 12.5 where ID = 1");
    AddLine(1, bill, "A100", "4", "2");
    AddLine(2, bill, "B200", "3", "1.5");
    AddLine(3, open, "A100", "1", "1");
    Stock("S01", "A100", "4");
    Stock("S01", "B200", "2");
    Stock("S02", "B200", "10");
    TWorkWindowForm& w = Open();
    platform::DataController* dc = w.TableBillInfo->DataController();

    // Another creator: refused with the creator's code, whoever audited.
    Exec("update Sto_AdjustBillMain set OptorCode = 'ZHAO' where ID = 1");
    w.btnQry->click();
    dc->SetFocusedRecordIndex(Row("DB-0001"));
    w.dxBarButton4->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("该订单只能由操作员[ZHAO]操作!"));
    Exec("update Sto_AdjustBillMain set OptorCode = '001' where ID = 1");
    w.btnQry->click();

    // Not audited in the database.
    dc->SetFocusedRecordIndex(Row("DB-0002"));
    w.dxBarButton4->trigger();
    EXPECT_EQ(LastBox(), QStringLiteral("订单未审核不能库存调拨操作!"));
    EXPECT_EQ(app.Boxes().last().caption, QStringLiteral("提示"));
    EXPECT_EQ(app.Boxes().last().icon, MessageIcon::Warning);

    // Lines of another bill shown: refused as if none were.
    ClickBill(Row("DB-0002"));
    KeyTo(Row("DB-0001"));
    w.dxBarButton4->trigger();
    EXPECT_EQ(LastBox(), QStringLiteral("请先选择需要调拨的单据！"));
    EXPECT_EQ(app.Boxes().last().caption, QStringLiteral("操作提示"));

    // Its own lines, one short.
    ClickBill(Row("DB-0001"));
    w.dxBarButton4->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("仓库：S01的 商品：(B200)香蕉 的库存不足 ，请调整！"));
    Exec("update Gds_StockCount set LeftCount = 3 where StorageCode = 'S01' and GoodsCode = 'B200'");

    // Cancel: no number drawn.
    app.QueueAnswer(platform::mbCancel);
    w.dxBarButton4->trigger();
    const testsupport::MessageBoxRecord& ask = app.Boxes().last();
    EXPECT_EQ(ask.text, QStringLiteral("确定对该调拨单: DB-0001进行调拨出入库操作？\r该操作将更改商品的库存数据,是否继续？"));
    EXPECT_EQ(ask.caption, QStringLiteral("操作提示"));
    EXPECT_EQ(ask.buttons, platform::mbOKCancel);
    EXPECT_EQ(ask.icon, MessageIcon::None);
    EXPECT_EQ(Db("select count(*) from sys_counter where CounterName in ('JXC_BILLNO_RK', 'JXC_BILLNO_CK') and CounterValue > 0"), "0");

    host.Ui.Events.clear();
    app.QueueAnswer(platform::mbOK);
    w.dxBarButton4->trigger();
    EXPECT_TRUE(host.Log.Errors.isEmpty()) << host.Log.Errors.join("\n").toStdString();
    EXPECT_EQ(host.Ui.Events, (QStringList{QStringLiteral("ShowProgress:正在更新数据请稍等..."), "NotifySaved", "HideProgress"}));
    EXPECT_EQ(Shown("DB-0001", w.colBillstatus), QStringLiteral("订单完成"));
    EXPECT_EQ(Db("select BillStatus from Sto_AdjustBillMain where ID = 1"), "4");
    EXPECT_EQ(Left("S01", "A100"), "0");
    EXPECT_EQ(Left("S02", "A100"), "4"); // a new row for the destination
    EXPECT_EQ(Left("S01", "B200"), "0");
    EXPECT_EQ(Left("S02", "B200"), "13");
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    const QString out = QStringLiteral(" from Sto_GdsBillMain where BillType = '12'");
    EXPECT_EQ(Db("select BillNo" + out), QStringLiteral("CK-%1%2").arg(today, "00000001"));
    EXPECT_EQ(Db("select StorageCode" + out), "S01");
    EXPECT_EQ(Db("select GoodsCount" + out), "7");
    EXPECT_EQ(Db("select BillSum" + out), "12.5");
    const QString in = QStringLiteral(" from Sto_GdsBillMain where BillType = '02'");
    EXPECT_EQ(Db("select BillNo" + in), QStringLiteral("RK-%1%2").arg(today, "00000001"));
    EXPECT_EQ(Db("select StorageCode" + in), "S02");
    EXPECT_EQ(Db("select SrcBillNo" + in), "DB-0001");
    EXPECT_EQ(Db("select count(*) from Sto_GdsBillDetail"), "4");

    // Posted: the database check refuses a second time.
    w.dxBarButton4->trigger();
    EXPECT_EQ(LastBox(), QStringLiteral("订单已调拨出入库操作!"));
    EXPECT_EQ(app.Boxes().last().icon, MessageIcon::Warning);
}

TEST_F(AuditTest, ABlockForABillWhoseStateChangedWritesNothingAndKeepsTheNumbersUsed)
{
    Bill bill{1, "DB-0001", QDateTime(kToday, QTime(8, 0)), 2, 1};
    AddBill(bill);
    Exec("update Sto_AdjustBillMain set Auditor = '001', AuditDate = sysdate where ID = 1");
    AddLine(1, bill, "A100", "2", "1");
    Stock("S01", "A100", "5");
    TWorkWindowForm& w = Open();
    ClickBill(0);
    // Still audited, but no longer at status 2 when the block runs (a state another workstation
    // left it in): the checks let it through, the block must not.
    Exec("update Sto_AdjustBillMain set BillStatus = 3 where ID = 1");
    host.Ui.Events.clear();
    app.QueueAnswer(platform::mbOK);
    w.dxBarButton4->trigger();
    ASSERT_EQ(host.Log.Errors.size(), 1);
    const QString error = host.Log.Errors[0];
    EXPECT_TRUE(error.startsWith(QStringLiteral("更新数据失败\r\n"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("调拨单[DB-0001]的状态已被改变"))) << error.toStdString();
    EXPECT_EQ(host.Ui.Events, (QStringList{QStringLiteral("ShowProgress:正在更新数据请稍等..."), "HideProgress", "NotifySaveFailed"}));
    EXPECT_EQ(Db("select count(*) from Sto_GdsBillMain"), "0");
    EXPECT_EQ(Db("select count(*) from Sto_GdsBillDetail"), "0");
    EXPECT_EQ(Left("S01", "A100"), "5");
    EXPECT_EQ(Db("select BillStatus from Sto_AdjustBillMain where ID = 1"), "3");
    EXPECT_EQ(Shown("DB-0001", w.colBillstatus), QStringLiteral("审批通过"));
    // The counters stay advanced.
    EXPECT_EQ(Db("select CounterValue from sys_counter where CounterName = 'JXC_BILLNO_RK'"), "1");
    EXPECT_EQ(Db("select CounterValue from sys_counter where CounterName = 'JXC_BILLNO_CK'"), "1");
}

TEST_F(AuditTest, PreviewShowsAnAuditedBillAndADoubleClickOpensPreviewOrEditor)
{
    AddGoods(3, "C300", QStringLiteral("禁品"), "09"); // a goods type the operator may not handle
    Bill audited{1, "DB-0001", QDateTime(kToday, QTime(8, 0)), 2, 1};
    Bill open{2, "DB-0002", QDateTime(kToday, QTime(9, 0))};
    Bill barred{3, "DB-0003", QDateTime(kToday, QTime(10, 0)), 2, 1};
    for (const Bill& b : {audited, open, barred})
        AddBill(b);
    for (int i = 1; i <= 14; ++i)
        AddLine(i, audited, i % 2 ? "A100" : "B200", "1.5", "2");
    AddLine(20, open, "A100", "1", "1");
    AddLine(21, barred, "C300", "1", "1");
    host.Ini.Set("Print.ini", "Bill_Print", "Page_Line", "10");
    TWorkWindowForm& w = Open();
    platform::DataController* dc = w.TableBillInfo->DataController();

    dc->SetFocusedRecordIndex(Row("DB-0003"));
    w.dxBarButton7->trigger();
    EXPECT_EQ(Messages().last(), QStringLiteral("无商品操作权限!"));

    // Not audited: the editor's command instead, no preview.
    dc->SetFocusedRecordIndex(Row("DB-0002"));
    w.dxBarButton7->trigger();
    EXPECT_TRUE(app.Dialogs().isEmpty());

    // Audited: the preview of 14 lines on pages of 10, saved from the preview.
    QTemporaryDir dir;
    const QString pdf = dir.filePath("bill.pdf");
    auto previewAndSave = [&](QPrintPreviewDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("打印预览"));
        ASSERT_NE(QuickReport1, nullptr);
        EXPECT_EQ(QuickReport1->Caption("labYS"), "/ 2");
        // 1.5 fourteen times, rounded per row: each x.5 goes up to the even neighbour, 2 a row.
        EXPECT_EQ(QuickReport1->Caption("labZSL"), "28");
        EXPECT_EQ(QuickReport1->FooterHeight(), 127 + 3 * 19);
        app.QueueFileName(pdf);
        d.findChild<QAction*>(QStringLiteral("actSavePdf"))->trigger();
        d.accept();
    };
    dc->SetFocusedRecordIndex(Row("DB-0001"));
    app.OnDialog<QPrintPreviewDialog>(previewAndSave);
    w.dxBarButton7->trigger();
    ASSERT_EQ(app.Dialogs().size(), 1);
    EXPECT_EQ(QuickReport1, nullptr);
    if (pdftest::Available()) {
        EXPECT_EQ(pdftest::PageCount(pdf), 2);
        EXPECT_TRUE(pdftest::Text(pdf, 2).contains(QStringLiteral("14 条数据")));
    }

    // The double-click: the preview for an audited bill, the editor for the others.
    QTableView* table = w.TableBillInfo->Table();
    auto doubleClick = [&](const QString& billNo) {
        const QRect cell = table->visualRect(table->model()->index(Row(billNo), w.colBillNo->Index()));
        // A user's double-click: the first click focuses the row, the second arrives as a double-click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center(), QApplication::doubleClickInterval() + 50);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    };
    app.OnDialog<QPrintPreviewDialog>([](QPrintPreviewDialog& d) { d.reject(); });
    doubleClick("DB-0001");
    EXPECT_EQ(app.Dialogs().size(), 2);
    doubleClick("DB-0002");
    EXPECT_EQ(app.Dialogs().size(), 2);
    EXPECT_EQ(dc->FocusedRecordIndex(), Row("DB-0002"));
}

} // namespace
} // namespace billlisttest
