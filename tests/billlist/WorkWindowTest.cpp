// The transfer bill list window: set-up, the search, the line display, the goods-type rights,
// the highlight and the goods picker, on the test host's SQLite database.
#include "tests/billlist/WorkWindowFixture.h"

#include "lookup/FrmQryGoodsList.h"
#include "model/DateUtil.h"
#include "platform/ButtonEdit.h"
#include "platform/DataController.h"
#include "platform/core/Dataset.h"
#include "platform/DateEdit.h"
#include "platform/GridColumn.h"
#include "platform/GridLevel.h"
#include "platform/GridStyle.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "platform/core/Exception.h"

#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace billlisttest {
namespace {

const QDate kToday = model::Today();
QDateTime At(const QDate& d, int h, int m, int s = 0) { return QDateTime(d, QTime(h, m, s)); }

TEST_F(WorkWindowTest, SetUpReadsThePageLinesListsTodaysBillsAndFillsTheCombos)
{
    AddBill({1, "DB-TODAY", At(kToday, 0, 0), 2, 1});
    AddBill({2, "DB-YESTERDAY", At(kToday.addDays(-1), 23, 59)});
    AddBill({3, "DB-GONE", At(kToday, 9, 0), 0, 0, "S01", "S02", 1});
    TWorkWindowForm& w = Open();
    // No Page_Line in Print.ini: 13, written back.
    EXPECT_EQ(w.PageLineCount, 13);
    EXPECT_EQ(host.Ini.Value("Print.ini", "Bill_Print", "Page_Line"), "13");
    EXPECT_EQ(ListedBills(), QStringList{"DB-TODAY"});
    EXPECT_EQ(w.dtBegindate->Date(), kToday);
    EXPECT_EQ(w.dtEndDate->Date(), kToday);
    platform::DataController* dc = w.TableBillInfo->DataController();
    EXPECT_EQ(dc->DisplayText(0, w.colSrc_StorageCode->Index()), QStringLiteral("一号仓"));
    EXPECT_EQ(dc->DisplayText(0, w.colDes_StorageCode->Index()), QStringLiteral("二号仓"));
    EXPECT_EQ(dc->DisplayText(0, w.ableClientInfoColumn7->Index()), QStringLiteral("已审核"));
    EXPECT_EQ(dc->DisplayText(0, w.colBillstatus->Index()), QStringLiteral("审批通过"));
    EXPECT_EQ(dc->DisplayText(0, w.ableEmployeeInfoColumn3->Index()), QStringLiteral("张三"));
    EXPECT_EQ(dc->FooterSummaryText(0), "0.00");
    EXPECT_EQ(LinesFooter(), QStringLiteral("0 条记录"));
    // The initial load ran under the wait hint.
    EXPECT_TRUE(host.Ui.Events.contains(QStringLiteral("ShowProgress:正在读取数据，请稍候...")));
    EXPECT_EQ(host.Ui.Events.last(), QStringLiteral("HideProgress"));
    // Every named control answers to its name.
    for (const char* name : {"dtBegindate", "dtEndDate", "edtBillNo", "edtGoodsCodeOrName", "edtBarCode", "btnQry",
                             "TableBillInfo", "TableGoodsList", "colBillNo", "colBillstatus", "colStockLeftCount",
                             "PopupMenu1", "N1", "cxGridLevel", "dxBarButton4"})
        EXPECT_NE(w.findChild<QObject*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("调拨单"));
}

TEST_F(WorkWindowTest, PageLinesOfTheIniFileAreKeptAndNonsenseEndsTheSetUp)
{
    host.Ini.Set("Print.ini", "Bill_Print", "Page_Line", "10");
    TWorkWindowForm& w = Open();
    EXPECT_EQ(w.PageLineCount, 10);
    EXPECT_EQ(host.Ini.Writes, 0);
    w.DoneWindow();
    window.reset();

    host.Ini.Set("Print.ini", "Bill_Print", "Page_Line", "0");
    Open();
    EXPECT_EQ(window->PageLineCount, 13);
    EXPECT_EQ(host.Ini.Value("Print.ini", "Bill_Print", "Page_Line"), "13");
    window->DoneWindow();
    window.reset();

    host.Ini.Set("Print.ini", "Bill_Print", "Page_Line", "many");
    TWorkWindowForm bad;
    EXPECT_THROW(bad.InitWindow(), platform::EConvertError);
    bad.DoneWindow();
}

TEST_F(WorkWindowTest, TheDateRangeRunsToMidnightOfTheDayAfterTheEndDate)
{
    const QDate day(2024, 3, 10);
    AddBill({1, "DB-START", At(day, 0, 0)});
    AddBill({2, "DB-LATE", At(day, 23, 59, 59)});
    AddBill({3, "DB-MIDNIGHT", At(day.addDays(1), 0, 0)});
    AddBill({4, "DB-AFTER", At(day.addDays(1), 0, 0, 1)});
    AddBill({5, "DB-BEFORE", At(day.addDays(-1), 23, 59, 59)});
    TWorkWindowForm& w = Open();
    w.dtBegindate->SetDate(day);
    w.dtEndDate->SetDate(day);
    w.btnQry->click();
    QStringList listed = ListedBills();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"DB-LATE", "DB-MIDNIGHT", "DB-START"}));
}

TEST_F(WorkWindowTest, BillNumberGoodsAndBarCodeNarrowTheSearch)
{
    const QDate old(2020, 1, 1);
    AddGoods(1, "A100", QStringLiteral("苹果"), "01", "690001");
    AddGoods(2, "B200", QStringLiteral("香蕉"), "01", "690002");
    Bill apple{1, "DB-0001", At(old, 10, 0)};
    Bill banana{2, "DB-0002", At(kToday, 10, 0)};
    AddBill(apple);
    AddBill(banana);
    AddLine(1, apple, "A100", "1", "2");
    AddLine(2, banana, "B200", "1", "2", 1); // a deleted line still matches the goods conditions
    TWorkWindowForm& w = Open();

    // A number with blanks around it finds the bill whatever the dates.
    w.edtBillNo->setText("  DB-0001 ");
    w.btnQry->click();
    EXPECT_EQ(ListedBills(), QStringList{"DB-0001"});
    // ... and still combines with the goods condition.
    w.edtGoodsCodeOrName->setText("B200");
    w.btnQry->click();
    EXPECT_TRUE(ListedBills().isEmpty());

    w.edtBillNo->clear();
    w.dtBegindate->SetDate(old);
    w.edtGoodsCodeOrName->setText(QStringLiteral(" 香 "));
    w.btnQry->click();
    EXPECT_EQ(ListedBills(), QStringList{"DB-0002"});
    w.edtGoodsCodeOrName->setText("0");
    w.btnQry->click();
    EXPECT_EQ(ListedBills().size(), 2);
    w.edtGoodsCodeOrName->clear();
    w.edtBarCode->setText("90001");
    w.btnQry->click();
    EXPECT_EQ(ListedBills(), QStringList{"DB-0001"});

    // A quote typed into any box is searched for, never part of the statement.
    w.edtBarCode->clear();
    w.edtBillNo->setText("x' or '1'='1");
    w.btnQry->click();
    EXPECT_TRUE(ListedBills().isEmpty());
    w.edtBillNo->clear();
    w.edtGoodsCodeOrName->setText("' or 1=1 --");
    w.btnQry->click();
    EXPECT_TRUE(ListedBills().isEmpty());
    EXPECT_TRUE(host.Log.Errors.isEmpty());
}

TEST_F(WorkWindowTest, AClickShowsTheBillsLinesAndAKeyboardMoveDoesNot)
{
    AddGoods(1, "A100", QStringLiteral("苹果"), "01");
    AddGoods(2, "B200", QStringLiteral("香蕉"), "01");
    Bill first{1, "DB-0001", At(kToday, 8, 0)};
    Bill second{2, "DB-0002", At(kToday, 9, 0)};
    Bill empty{3, "DB-0003", At(kToday, 10, 0)};
    AddBill(first);
    AddBill(second);
    AddBill(empty);
    AddLine(1, first, "A100", "2.5", "3.333");
    AddLine(2, first, "B200", "1", "4");
    AddLine(3, first, "A100", "9", "9", 1); // deleted: not shown
    AddLine(4, second, "B200", "7", "1");
    Exec("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (1, 'S01', 'A100', 5)");
    Exec("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (2, 'S09', 'A100', 1.5)");
    TWorkWindowForm& w = Open();
    ASSERT_EQ(ListedBills().size(), 3);
    const int firstRow = int(ListedBills().indexOf("DB-0001"));
    const int secondRow = int(ListedBills().indexOf("DB-0002"));

    host.Ui.Events.clear();
    ClickBill(firstRow);
    platform::DataController* lines = w.TableGoodsList->DataController();
    ASSERT_EQ(lines->RecordCount(), 2);
    EXPECT_EQ(w.cxGridLevel->Caption(), QStringLiteral("调拨单号：DB-0001明细"));
    EXPECT_EQ(LinesFooter(), QStringLiteral("2 条记录"));
    EXPECT_EQ(lines->FooterSummaryText(0), "3.50");
    EXPECT_EQ(host.Ui.Events, (QStringList{QStringLiteral("ShowProgress:正在读取数据，请稍候..."), "HideProgress"}));
    // The stock is summed over every storage.
    const int appleRow = lines->DisplayText(0, w.colGoodsCode->Index()) == "A100" ? 0 : 1;
    EXPECT_EQ(lines->Value(appleRow, w.colStockLeftCount->Index()).toDouble(), 6.5);
    EXPECT_EQ(lines->DisplayText(appleRow, w.colCalUnit->Index()), QStringLiteral("箱"));

    // Moving to another bill with the keyboard leaves the lines alone.
    w.TableBillInfo->SetFocus();
    QTest::keyClick(w.TableBillInfo->Table(), secondRow > firstRow ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_NE(w.TableBillInfo->DataController()->FocusedRecordIndex(), firstRow);
    EXPECT_EQ(w.cxGridLevel->Caption(), QStringLiteral("调拨单号：DB-0001明细"));
    EXPECT_EQ(lines->RecordCount(), 2);

    // A bill without lines shows an empty grid.
    ClickBill(int(ListedBills().indexOf("DB-0003")));
    EXPECT_EQ(lines->RecordCount(), 0);
    EXPECT_EQ(LinesFooter(), QStringLiteral("0 条记录"));

    // A new search replaces the list, and the lines of its old bills go with it.
    ClickBill(secondRow);
    EXPECT_EQ(lines->RecordCount(), 1);
    w.btnQry->click();
    EXPECT_EQ(lines->RecordCount(), 0);
    EXPECT_TRUE(w.cxGridLevel->Caption().isEmpty());
}

TEST_F(WorkWindowTest, GoodsTypeRightsDecideWhoSeesTheLines)
{
    AddGoods(1, "A100", QStringLiteral("苹果"), "01");
    AddGoods(2, "F900", QStringLiteral("外来"), "09");
    Bill own{1, "DB-OWN", At(kToday, 8, 0)};
    Bill foreign{2, "DB-FOREIGN", At(kToday, 9, 0)};
    Bill mixed{3, "DB-MIXED", At(kToday, 10, 0)};
    Bill none{4, "DB-NONE", At(kToday, 11, 0)};
    AddBill(own);
    AddBill(foreign);
    AddBill(mixed);
    AddBill(none);
    AddLine(1, own, "A100", "1", "1");
    AddLine(2, foreign, "F900", "1", "1");
    AddLine(3, mixed, "F900", "1", "1");
    AddLine(4, mixed, "A100", "1", "1", 1); // a deleted line of a permitted type is enough
    TWorkWindowForm& w = Open();
    EXPECT_TRUE(w.CheckGoodsRight("DB-OWN", "Sto_AdjustBillDetail"));
    EXPECT_FALSE(w.CheckGoodsRight("DB-FOREIGN", "Sto_AdjustBillDetail"));
    EXPECT_TRUE(w.CheckGoodsRight("DB-MIXED", "Sto_AdjustBillDetail"));
    EXPECT_TRUE(w.CheckGoodsRight("DB-NONE", "Sto_AdjustBillDetail"));
    EXPECT_TRUE(w.CheckGoodsRight("it's", "Sto_AdjustBillDetail"));

    ClickBill(int(ListedBills().indexOf("DB-OWN")));
    ASSERT_EQ(w.TableGoodsList->DataController()->RecordCount(), 1);
    ClickBill(int(ListedBills().indexOf("DB-FOREIGN")));
    EXPECT_EQ(host.Log.Messages, QStringList{QStringLiteral("无商品操作权限!")});
    // The refused click leaves the lines of the bill shown before.
    EXPECT_EQ(w.cxGridLevel->Caption(), QStringLiteral("调拨单号：DB-OWN明细"));
    EXPECT_EQ(w.TableGoodsList->DataController()->RecordCount(), 1);
}

TEST_F(WorkWindowTest, CompletedAndApprovedBillsAreHighlightedInNumberAndStatusOnly)
{
    AddBill({1, "DB-EDIT", At(kToday, 8, 0), 0});
    AddBill({2, "DB-OK", At(kToday, 9, 0), 2, 1});
    AddBill({3, "DB-DONE", At(kToday, 10, 0), 4, 1});
    AddBill({4, "DB-NO", At(kToday, 11, 0), 3});
    TWorkWindowForm& w = Open();
    platform::TableView* v = w.TableBillInfo;
    const QStringList bills = ListedBills();
    auto style = [&](const char* bill, platform::GridColumn* column) {
        return v->CellStyle(int(bills.indexOf(QLatin1String(bill))), column);
    };
    for (platform::GridColumn* c : {w.colBillNo, w.colBillstatus}) {
        EXPECT_TRUE(style("DB-DONE", c).Font().bold());
        EXPECT_EQ(style("DB-DONE", c).Color(), QColor(0, 166, 83));
        EXPECT_TRUE(style("DB-OK", c).Font().bold());
        EXPECT_EQ(style("DB-OK", c).Color(), QColor(247, 204, 204));
        EXPECT_FALSE(style("DB-EDIT", c).Font().bold());
        EXPECT_FALSE(style("DB-NO", c).Font().bold());
    }
    // The other columns of a completed row keep the sheet's look.
    EXPECT_FALSE(style("DB-DONE", w.colTitles).Font().bold());
    EXPECT_NE(style("DB-DONE", w.colTitles).Color(), QColor(0, 166, 83));
    // The highlight keeps the sheet's font family.
    EXPECT_EQ(style("DB-DONE", w.colBillNo).Font().family(), style("DB-DONE", w.colTitles).Font().family());
}

TEST_F(WorkWindowTest, TheGoodsPickerPutsThePickedCodeIntoTheBoxWithoutSearching)
{
    AddGoods(1, "A100", QStringLiteral("苹果"), "01");
    AddBill({1, "DB-0001", At(kToday, 8, 0)});
    TWorkWindowForm& w = Open();
    w.edtGoodsCodeOrName->setText(QStringLiteral(" A10 "));
    OnDialog<TQryGoodsListFrm>([](TQryGoodsListFrm& d) {
        ASSERT_EQ(d.Data()->RecordCount(), 1);
        d.Frame31bbtnEnterClick();
    });
    const QStringList before = ListedBills();
    w.edtGoodsCodeOrName->ButtonAction()->trigger();
    EXPECT_EQ(w.edtGoodsCodeOrName->text(), "A100");
    EXPECT_EQ(ListedBills(), before);

    // Cancelled: the box keeps what was typed.
    w.edtGoodsCodeOrName->setText("A1000");
    OnDialog<TQryGoodsListFrm>([](TQryGoodsListFrm& d) { d.Frame31bbtnCloseClick(); });
    w.edtGoodsCodeOrName->ButtonAction()->trigger();
    EXPECT_EQ(w.edtGoodsCodeOrName->text(), "A1000");
}

TEST_F(WorkWindowTest, ADatabaseErrorInTheInitialLoadIsReportedAndTheWindowStays)
{
    AddBill({1, "DB-0001", At(kToday, 8, 0)});
    TWorkWindowForm& w = Open();
    ASSERT_EQ(ListedBills().size(), 1);
    host.Ui.Events.clear();
    Exec("drop table Sto_AdjustBillMain");
    w.RefreshData();
    ASSERT_EQ(host.Log.Errors.size(), 1);
    EXPECT_TRUE(host.Log.Errors[0].contains("Sto_AdjustBillMain", Qt::CaseInsensitive)) << host.Log.Errors[0].toStdString();
    EXPECT_EQ(host.Ui.Events.last(), "HideProgress");
    EXPECT_EQ(ListedBills().size(), 1);
}

} // namespace
} // namespace billlisttest
