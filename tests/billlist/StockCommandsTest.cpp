// The stock commands of the list window on the test host's SQLite database: the second toolbar
// and the bill grid's menu beside the seven commands, promised stock at audit when the option is
// on, reversal of a completed bill and a new bill copied from it.
#include "tests/billlist/WorkWindowFixture.h"

#include "billedit/FrmBillEdit.h"
#include "billlist/PostingPreviewForm.h"
#include "billlist/PromisedStock.h"
#include "billlist/uJXC_DBDBill.h"
#include "ledger/StockLedgerForm.h"
#include "model/SqlText.h"
#include "platform/Component.h"
#include "platform/DataController.h"
#include "platform/DateEdit.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "platform/rframebottom3.h"
#include "platform/core/Dataset.h"
#include "plugin/Host.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

namespace billlisttest {
namespace {

using model::QuotedStr;

constexpr int kPluginId = 2001;
const QDate kToday = QDate::currentDate();

class StockCommandsTest : public WorkWindowTest {
protected:
    void SetUp() override
    {
        WorkWindowTest::SetUp();
        AddGoods(1, "A100", QStringLiteral("苹果"), "01");
        Stock(1, "S01", "A100", "10");
    }
    TWorkWindowForm& OpenWith(int level, int operate)
    {
        Exec(QStringLiteral("insert into sys_operatorright (OperatorID, PluginID, BrowseLevel, OperateRight) values (%1, %2, %3, %4)")
                 .arg(host.Operator.OperatorId)
                 .arg(kPluginId)
                 .arg(level)
                 .arg(operate));
        TWorkWindowForm& w = Open();
        platform::SetTag(&w, kPluginId);
        return w;
    }
    void Stock(int id, const QString& storage, const QString& goods, const QString& count)
    {
        Exec(QStringLiteral("insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount, Deleted)"
                            " values (%1, (select ID from bas_Storage where StorageCode = %2), %2,"
                            " (select ID from Bas_GoodsInfo where GoodsCode = %3), %3, %4, 0)")
                 .arg(id)
                 .arg(QuotedStr(storage), QuotedStr(goods), count));
    }
    QString Value(const QString& sql) { return plugin::HostDb()->QueryValue(sql); }
    QString Left(const QString& storage)
    {
        return Value(QStringLiteral("select nvl(sum(LeftCount),0) from Gds_StockCount where StorageCode = %1").arg(QuotedStr(storage)));
    }
    int Row(const QString& billNo) { return int(ListedBills().indexOf(billNo)); }
    void Focus(const QString& billNo) { ClickBill(Row(billNo)); }
    QString Shown(const QString& billNo)
    {
        return Window().TableBillInfo->DataController()->DisplayText(Row(billNo), Window().colBillstatus->Index());
    }
    QString LastMessage() { return host.Log.Messages.isEmpty() ? QString() : host.Log.Messages.last(); }
    static QStringList Captions(const QList<QAction*>& actions)
    {
        QStringList out;
        for (QAction* a : actions)
            if (!a->isSeparator())
                out << a->text();
        return out;
    }
};

TEST_F(StockCommandsTest, TheStockCommandsStandApartFromTheSevenOfTheToolbar)
{
    TWorkWindowForm& w = Open();
    EXPECT_EQ(Captions(w.dxBarManager1Bar1->actions()),
              (QStringList{"增加", "修改", "删除", "预览", "审核", "反审核", " 调拨"}));
    EXPECT_EQ(w.dxStockBar->windowTitle(), QStringLiteral("库存"));
    const QStringList stock = {"冲销", "复制为新单", "库存台账"};
    EXPECT_EQ(Captions(w.dxStockBar->actions()), stock);
    // The bill list's menu: the seven commands, then the three.
    QStringList all = {"增加", "修改", "删除", "预览", "审核", "反审核", "调拨"};
    EXPECT_EQ(Captions(w.BillPopupMenu->actions()), all + stock);
}

TEST_F(StockCommandsTest, TheMenuShowsTheCommandsTheOperatorMayUseAndRunsThem)
{
    Bill mine{1, "DB-0001", QDateTime(kToday, QTime(8, 0))};
    AddBill(mine);
    AddLine(1, mine, "A100", "1", "1");
    TWorkWindowForm& w = OpenWith(1, 0); // may browse, not edit, not audit
    Focus("DB-0001");
    auto visible = [&] {
        emit w.BillPopupMenu->aboutToShow();
        QStringList out;
        for (QAction* a : w.BillPopupMenu->actions())
            if (!a->isSeparator() && a->isVisible())
                out << a->text();
        return out;
    };
    EXPECT_EQ(visible(), (QStringList{"预览", "调拨", "冲销", "复制为新单", "库存台账"}));
    Exec("update Sto_AdjustBillMain set OptorCode = 'ZHAO'");
    w.btnQry->click();
    Focus("DB-0001");
    EXPECT_FALSE(visible().contains(QStringLiteral("调拨")));
    Exec(QStringLiteral("update sys_operatorright set BrowseLevel = 2, OperateRight = 1"));
    EXPECT_EQ(visible(), (QStringList{"增加", "修改", "删除", "预览", "审核", "反审核", "冲销", "复制为新单", "库存台账"}));
    // A menu item runs its toolbar command, with that command's checks.
    w.findChild<QAction*>("dxBarButton4Menu")->trigger();
    EXPECT_EQ(LastMessage(), QStringLiteral("该订单只能由操作员[ZHAO]操作!"));
}

TEST_F(StockCommandsTest, EnterInASearchEditSearches)
{
    AddBill({1, "DB-0001", QDateTime(kToday, QTime(8, 0))});
    AddBill({2, "DB-0002", QDateTime(kToday, QTime(9, 0))});
    TWorkWindowForm& w = Open();
    w.show();
    ASSERT_EQ(ListedBills().size(), 2);
    w.edtBillNo->setFocus();
    w.edtBillNo->setText("DB-0002");
    QTest::keyClick(w.edtBillNo, Qt::Key_Return);
    EXPECT_EQ(ListedBills(), QStringList{"DB-0002"});
    w.edtBillNo->clear();
    w.dtBegindate->setFocus();
    QTest::keyClick(w.dtBegindate, Qt::Key_Return);
    EXPECT_EQ(ListedBills().size(), 2);
    w.hide();
}

TEST_F(StockCommandsTest, WithPromisedStockCountedAnAuditNamesTheBillsHoldingTheStock)
{
    Bill a{1, "DB-A", QDateTime(kToday, QTime(8, 0)), 2, 1};
    Bill b{2, "DB-B", QDateTime(kToday, QTime(9, 0))};
    AddBill(a);
    AddBill(b);
    AddLine(1, a, "A100", "8", "1");
    AddLine(2, b, "A100", "5", "1");
    TWorkWindowForm& w = OpenWith(1, 1);
    host.Ini.Set(billlist::kStockIni, billlist::kStockSection, billlist::kCountPromisedKey, QStringLiteral("1"));

    Focus("DB-B");
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton5->trigger();
    EXPECT_EQ(LastMessage(), billlist::ShortageText("S01", "A100", QStringLiteral("苹果"), 10, 8, 5, {"DB-A"}));
    EXPECT_EQ(Value("select AuditFlag from Sto_AdjustBillMain where ID = 2"), "0");

    // Off, the seed's audit: the stock alone.
    host.Ini.Set(billlist::kStockIni, billlist::kStockSection, billlist::kCountPromisedKey, QStringLiteral("0"));
    host.Log.Messages.clear();
    app.QueueAnswer(platform::mbYes);
    w.dxBarButton5->trigger();
    EXPECT_TRUE(host.Log.Messages.isEmpty()) << LastMessage().toStdString();
    EXPECT_EQ(Value("select AuditFlag from Sto_AdjustBillMain where ID = 2"), "1");
}

TEST_F(StockCommandsTest, AReversalMovesTheStockBackAndTheListShowsIt)
{
    Bill bill{1, "DB-0001", QDateTime(kToday, QTime(8, 0)), 2, 1};
    AddBill(bill);
    Exec("update Sto_AdjustBillMain set Auditor = '001', AuditDate = sysdate, GoodsCount = 4 where ID = 1");
    AddLine(1, bill, "A100", "4", "2");
    TWorkWindowForm& w = OpenWith(1, 1);
    Focus("DB-0001");

    // Not posted yet.
    w.actReverse->trigger();
    EXPECT_EQ(LastMessage(), QStringLiteral("订单未完成调拨，不能冲销!"));

    app.QueueAnswer(platform::mbOK);
    w.dxBarButton4->trigger();
    ASSERT_EQ(Value("select BillStatus from Sto_AdjustBillMain where ID = 1"), "4");
    EXPECT_EQ(Left("S01"), "6");
    EXPECT_EQ(Left("S02"), "4");

    // Cancelled: nothing drawn, nothing moved.
    app.QueueAnswer(platform::mbCancel);
    w.actReverse->trigger();
    EXPECT_EQ(app.Boxes().last().text,
              QStringLiteral("确定冲销调拨单: DB-0001？\r该操作将把商品从调入仓库退回调出仓库,是否继续？"));
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "2");

    app.QueueAnswer(platform::mbOK);
    w.actReverse->trigger();
    EXPECT_TRUE(host.Log.Errors.isEmpty()) << host.Log.Errors.join("\n").toStdString();
    EXPECT_EQ(Left("S01"), "10");
    EXPECT_EQ(Left("S02"), "0");
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain where SrcBillNo = 'DB-0001' and Remark = '冲销'"), "2");
    EXPECT_EQ(Shown("DB-0001"), QStringLiteral("已冲销"));
    QString title;
    app.OnDialog<QPrintPreviewDialog>([&](QPrintPreviewDialog& d) {
        if (QuickReport1)
            title = QuickReport1->Caption("QRLabel1");
        d.reject();
    });
    w.dxBarButton7->trigger();
    EXPECT_EQ(title, QStringLiteral("物资调拨单（已冲销）"));

    // Reversed: refused by every command that would change it again.
    w.actReverse->trigger();
    EXPECT_EQ(LastMessage(), QStringLiteral("订单已冲销!"));
    w.dxBarButton4->trigger();
    EXPECT_EQ(app.Boxes().last().text, QStringLiteral("订单已冲销!"));
    w.dxBarButton6->trigger();
    EXPECT_EQ(LastMessage(), QStringLiteral("订单已冲销!"));
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "4");
    EXPECT_EQ(Value("select BillStatus from Sto_AdjustBillMain where ID = 1"), "5");
}

TEST_F(StockCommandsTest, TheLedgerOpensOnTheFocusedLineAndItsLinksLeadBackToTheList)
{
    Bill bill{1, "DB-0001", QDateTime(kToday, QTime(8, 0)), 2, 1};
    Bill other{2, "DB-0002", QDateTime(kToday, QTime(9, 0))};
    AddBill(bill);
    AddBill(other);
    Exec("update Sto_AdjustBillMain set Auditor = '001', AuditDate = sysdate where ID = 1");
    AddLine(1, bill, "A100", "4", "2");
    TWorkWindowForm& w = OpenWith(1, 1);
    Focus("DB-0001");
    app.QueueAnswer(platform::mbOK);
    w.dxBarButton4->trigger();

    w.actStockLedger->trigger();
    TStockLedgerForm* ledger = w.findChild<TStockLedgerForm*>();
    ASSERT_NE(ledger, nullptr);
    EXPECT_EQ(ledger->StorageCode(), "S01");
    EXPECT_EQ(ledger->GoodsCode(), "A100");
    ASSERT_EQ(ledger->Ledger().Movements().size(), 1u);
    EXPECT_EQ(ledger->Ledger().Movements().front().balance, 6);

    Focus("DB-0002");
    emit ledger->BillLinkActivated("DB-0001");
    EXPECT_EQ(ListedBills(), QStringList{"DB-0001"});
    EXPECT_EQ(w.edtBillNo->text(), "DB-0001");
    delete ledger;
}

TEST_F(StockCommandsTest, ThePostingsPreviewStandsBesideItsQuestionWithAShortageInRed)
{
    // Each line is covered on its own, the two together are not.
    Bill bill{1, "DB-0001", QDateTime(kToday, QTime(8, 0)), 2, 1};
    AddBill(bill);
    Exec("update Sto_AdjustBillMain set Auditor = '001', AuditDate = sysdate where ID = 1");
    AddLine(1, bill, "A100", "6", "2");
    AddLine(2, bill, "A100", "6", "2");
    TWorkWindowForm& w = OpenWith(1, 1);
    Focus("DB-0001");
    QStringList seen;
    app.WhileAsking = [&](const QString&) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<TPostingPreviewForm*>(top); p && p->isVisible()) {
                platform::GridStyle* style = nullptr;
                p->colSourceAfter->OnGetContentStyle(p->TablePreview, 0, style);
                seen << p->CellText(0, p->colSourceAfter) + (style ? "/red" : "") << p->CellText(0, p->colDestAfter);
                EXPECT_FALSE(p->colPromised->Visible());
            }
    };
    app.QueueAnswer(platform::mbCancel);
    w.dxBarButton4->trigger();
    app.WhileAsking = nullptr;
    EXPECT_EQ(seen, (QStringList{"-2/red", "12"}));
    // Cancelled: the preview is gone, nothing was drawn or moved.
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<TPostingPreviewForm*>(top) && top->isVisible());
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "0");
    EXPECT_EQ(Value("select sum(CounterValue) from sys_counter"), "0");
}

TEST_F(StockCommandsTest, OnlyTheCreatorOrAnOperatorWithTheOperateRightReverses)
{
    Bill bill{1, "DB-0001", QDateTime(kToday, QTime(8, 0)), 4, 1};
    AddBill(bill);
    Exec("update Sto_AdjustBillMain set OptorCode = 'ZHAO' where ID = 1");
    AddLine(1, bill, "A100", "4", "2");
    TWorkWindowForm& w = OpenWith(1, 0);
    Focus("DB-0001");
    w.actReverse->trigger();
    EXPECT_EQ(LastMessage(), QStringLiteral("该订单只能由操作员[ZHAO]或有审核权限的操作员冲销!"));
    EXPECT_EQ(Value("select count(*) from Sto_GdsBillMain"), "0");
}

TEST_F(StockCommandsTest, CopyAsNewOpensTheEditorInAddModeWithTheBillsLines)
{
    AddGoods(2, "B200", QStringLiteral("香蕉"), "01");
    Bill bill{1, "DB-0001", QDateTime(kToday.addDays(-3), QTime(8, 0)), 5, 1};
    AddBill(bill);
    AddLine(1, bill, "A100", "4", "2");
    AddLine(2, bill, "B200", "1.5", "3");
    TWorkWindowForm& w = OpenWith(2, 0);
    w.edtBillNo->setText("DB-0001");
    w.btnQry->click();
    Focus("DB-0001");
    bool addMode = false;
    QStringList lines;
    QString source, dest, number;
    OnDialog<TBillEditFrm>([&](TBillEditFrm& f) {
        addMode = f.AddMode;
        number = f.edtBillNo->text();
        source = f.SourceStorageCode();
        dest = f.DestStorageCode();
        platform::Dataset* d = f.Lines();
        for (int r = 0; r < d->RecordCount(); ++r)
            lines << platform::VariantToText(d->At(r, d->FieldIndex("GoodsCode"))) + "x"
                    + platform::VariantToText(d->At(r, d->FieldIndex("GoodsCount")));
        f.Frame31->bbtnClose->click();
    });
    w.actCopyAsNew->trigger();
    EXPECT_TRUE(addMode);
    EXPECT_EQ(number, QStringLiteral("新增订单"));
    EXPECT_EQ(source, "S01");
    EXPECT_EQ(dest, "S02");
    EXPECT_EQ(lines, (QStringList{"A100x4", "B200x1.5"}));
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain"), "1");
}

} // namespace
} // namespace billlisttest
