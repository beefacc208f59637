// The bill editor end to end: the way it opens, a bill typed from the keyboard alone, the quick
// entry, the grid's own entry, refusals of bad input, and the save with what the database holds
// afterwards.
#include "host/db/DbService.h"
#include "lookup/FrmQryGoodsList.h"
#include "lookup/FrmQryStorageList.h"
#include "model/DateUtil.h"
#include "platform/ButtonEdit.h"
#include "platform/core/Dataset.h"
#include "platform/CurrencyEdit.h"
#include "platform/DataController.h"
#include "platform/DateEdit.h"
#include "platform/Grid.h"
#include "platform/GridColumn.h"
#include "platform/rframebottom3.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "plugin/Host.h"
#include "tests/billedit/EditorFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace billedittest;

namespace {

const QString kChooseSource = QStringLiteral("请选择调出仓库!");
const QString kQuantityRange = QStringLiteral("对不起，数量范围在1..10000之内");
const QString kDbCounter = QStringLiteral("select CounterValue from sys_counter where CounterName = 'JXC_BILLNO_DB'");

QString TodayBillPrefix() { return QStringLiteral("DB-") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")); }

// The rect of a record's cell in the grid.
QPoint CellCenter(TBillEditFrm& f, int row, platform::GridColumn* column)
{
    QTableView* t = f.TableGoodsList->Table();
    return t->visualRect(t->model()->index(row, column->Index())).center();
}

// Focuses a cell and opens its editor, as a click does.
QWidget* EditCell(TBillEditFrm& f, int row, platform::GridColumn* column)
{
    EditorTest::Focused();
    QTableView* t = f.TableGoodsList->Table();
    t->setFocus();
    t->setCurrentIndex(t->model()->index(row, column->Index()));
    // A fresh editor, with the focus, as a click on the cell gives.
    f.TableGoodsList->HideEditor(false);
    f.TableGoodsList->ShowEditor();
    return QApplication::focusWidget();
}

class BillEditorTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        AddGoods(1, QStringLiteral("G001"), QStringLiteral("螺丝钉"), QStringLiteral("3.333"));
        AddGoods(2, QStringLiteral("G002"), QStringLiteral("螺母"), QStringLiteral("0"), QStringLiteral("1.25"));
        AddGoods(3, QStringLiteral("G003"), QStringLiteral("垫片"), QStringLiteral("2"));
        // Stocked elsewhere only: the editor never offers it for S01.
        AddGoods(4, QStringLiteral("G004"), QStringLiteral("扳手"), QStringLiteral("9"), QStringLiteral("0"),
                 QStringLiteral("S02"));
    }
    void AddStoredBill(const QString& no, const QDate& date)
    {
        Exec(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode, Des_StorageCode,"
                            " GoodsCount, BillSum, BillStatus, AuditFlag, Remark, OptorCode, DELETED) values (900, '%1',"
                            " to_date('%2','YYYY-MM-DD'), 'S01', 'S02', 3, 9, 1, 0, '旧单', '009', 0)")
                 .arg(no, model::FormatDate(date)));
        Exec(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, Model,"
                            " GoodsPrice, GoodsCount, PaySum, OptorCode, DELETED) values (901, 900, '%1', 'G003', '垫片',"
                            " '52101', 'M-G003', 3, 3, 9, '009', 0)")
                 .arg(no));
    }
};

TEST_F(BillEditorTest, ANewBillOpensOnAnEmptyPendingLineAndEscDoesNotCloseIt)
{
    TBillEditFrm& f = NewEditor();
    const int result = Run([&](TBillEditFrm& f) {
        EXPECT_EQ(f.windowTitle(), "商品调拨单");
        EXPECT_EQ(f.edtBillNo->text(), "新增订单");
        EXPECT_FALSE(f.edtBillNo->isEnabled());
        EXPECT_FALSE(f.dtpBillDate->isEnabled());
        EXPECT_EQ(f.dtpBillDate->Date(), QDate::currentDate());
        EXPECT_TRUE(f.edtStorageOut->text().isEmpty());
        EXPECT_TRUE(f.edtStorageIn->text().isEmpty());
        EXPECT_EQ(f.edtGoodsCount->text(), "1");
        EXPECT_EQ(f.cxGroupBox1->title(), "商品调拨单基本信息");
        EXPECT_EQ(f.cxGroupBox2->title(), "调拨单商品明细");
        EXPECT_EQ(f.size(), QSize(629, 483));
        // One pending line and no record yet.
        platform::DataController* dc = f.TableGoodsList->DataController();
        EXPECT_EQ(dc->RowCount(), 1);
        EXPECT_EQ(dc->RecordCount(), 0);
        QStringList captions;
        for (int i = 0; i < f.TableGoodsList->ColumnCount(); ++i)
            captions << f.TableGoodsList->Column(i)->Caption();
        EXPECT_EQ(captions.join(u','), "商品编号,商品名称,规格,单位,单价,数量(N),金额");
        EXPECT_FALSE(f.colModel->Visible());
        EXPECT_EQ(dc->FooterSummaryText(2), "0 条记录");
        // A goods-less line takes a code, not a price or a quantity.
        EXPECT_FALSE(f.colGoodsCode->Properties().ReadOnly());
        EXPECT_TRUE(f.colGoodsCount->Properties().ReadOnly());
        EXPECT_TRUE(f.colGoodsPrice->Properties().ReadOnly());
        Key(Qt::Key_Escape);
        EXPECT_TRUE(f.isVisible());
        f.Frame31->bbtnClose->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(f.Saved);
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain"), "0");
}

TEST_F(BillEditorTest, AClerkEntersAndSavesAWholeBillFromTheKeyboard)
{
    TBillEditFrm& f = NewEditor();
    Run([&](TBillEditFrm& f) {
        ASSERT_EQ(Focused(), f.edtStorageOut);
        Type(QStringLiteral("S01"));
        NextStorageByKeys();
        Key(Qt::Key_Tab); // lookup, then on to 调入仓库
        EXPECT_EQ(f.edtStorageOut->text(), "一号仓");
        ASSERT_EQ(Focused(), f.edtStorageIn);
        Type(QStringLiteral("S02"));
        NextStorageByKeys();
        Key(Qt::Key_Tab);
        EXPECT_EQ(f.edtStorageIn->text(), "二号仓");
        ASSERT_EQ(Focused(), f.edtRemark);
        Type(QStringLiteral("it's ok"));
        Key(Qt::Key_Tab);

        // Quick entry: code, Tab picks; price, Tab; quantity, Tab adds.
        ASSERT_EQ(Focused(), f.edtCondition);
        Type(QStringLiteral("G001"));
        NextGoodsAutoPick();
        Key(Qt::Key_Tab);
        EXPECT_EQ(f.edtCondition->text(), "螺丝钉");
        ASSERT_EQ(Focused(), f.edtGoodsPrice);
        Type(QStringLiteral("3.333"));
        Key(Qt::Key_Tab);
        ASSERT_EQ(Focused(), f.edtGoodsCount);
        Type(QStringLiteral("2.5"));
        Key(Qt::Key_Tab);
        ASSERT_EQ(Focused(), f.edtCondition);
        Type(QStringLiteral("G002"));
        NextGoodsAutoPick();
        Key(Qt::Key_Tab);
        Key(Qt::Key_Tab); // the default price stays
        Type(QStringLiteral("4"));
        Key(Qt::Key_Tab);

        // An empty condition: Tab goes to a new line in the grid; a code typed there picks.
        ASSERT_EQ(Focused(), f.edtCondition);
        Key(Qt::Key_Tab);
        Type(QStringLiteral("G003"));
        NextGoodsAutoPick();
        Key(Qt::Key_Tab); // picks, then on to the quantity
        Type(QStringLiteral("5"));
        Key(Qt::Key_Return); // the quantity, then on to a new line
        // The picture of the editor with lines in the docs comes from here.
        if (const QByteArray dir = qgetenv("JXC_SCREENSHOT_DIR"); !dir.isEmpty())
            f.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/editor.png"));
        Key(Qt::Key_Tab); // an empty new line: on to OK
        ASSERT_EQ(Focused(), f.Frame31->bbtnEnter);
        Key(Qt::Key_Return);
    });
    ASSERT_TRUE(f.Saved) << TakeMessages().join(u',').toStdString();
    const QString no = Value("select BillNo from Sto_AdjustBillMain");
    EXPECT_TRUE(no.startsWith(TodayBillPrefix())) << no.toStdString();
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain where Src_StorageCode = 'S01' and Des_StorageCode = 'S02'"
                    " and Remark = 'its ok' and OptorCode = '001' and BillStatus = 0 and AuditFlag = 0 and DELETED = 0"),
              "1");
    EXPECT_EQ(Value("select GoodsCount from Sto_AdjustBillMain").toDouble(), 11.5);
    // 2.5 x 3.333 + 4 x 1.25 + 5 x 2
    EXPECT_EQ(Value("select BillSum from Sto_AdjustBillMain").toDouble(), 23.3325);
    EXPECT_EQ(StoredLines(no), QStringList({"G001|螺丝钉|2.5|3.333|8.3325|001", "G002|螺母|4|1.25|5|001",
                                            "G003|垫片|5|2|10|001"}));
    EXPECT_EQ(host.Probe.Events, QStringList({"ShowProgress:正在保存数据请稍等...", "NotifySaved", "HideProgress"}));
}

TEST_F(BillEditorTest, QuickEntryMergesTheSameGoodsAndAddWithoutAPickOnlyAppendsALine)
{
    TBillEditFrm& f = NewEditor();
    Run([&](TBillEditFrm& f) {
        PickStorages(f, "S01", "S02");
        AddByQuickEntry(f, "G001", "2.5");
        EXPECT_EQ(LineTexts(f), QStringList({"G001|螺丝钉|2.5|3.333|8.3325"}));
        EXPECT_EQ(f.edtGoodsCount->text(), "1");
        EXPECT_TRUE(f.edtCondition->text().isEmpty());
        EXPECT_EQ(f.edtGoodsPrice->Value(), platform::Currency());
        // The same goods again: one line, quantities summed, the new price for the whole line.
        AddByQuickEntry(f, "G001", "1.5", "2");
        EXPECT_EQ(LineTexts(f), QStringList({"G001|螺丝钉|4|2|8"}));
        // Add again without a new pick: only an empty pending line, focused in the grid.
        f.edtCondition->setText(QStringLiteral("G001"));
        f.btnAdd->click();
        EXPECT_EQ(LineTexts(f), QStringList({"G001|螺丝钉|4|2|8"}));
        EXPECT_EQ(f.TableGoodsList->DataController()->RowCount(), 2);
        EXPECT_TRUE(f.cxGrid->isAncestorOf(f.focusWidget()));
        // Footer: quantity, amount, line count.
        platform::DataController* dc = f.TableGoodsList->DataController();
        EXPECT_EQ(dc->FooterSummaryText(0), "4.00");
        EXPECT_EQ(dc->FooterSummaryText(1), "8.00");
        f.Frame31->bbtnClose->click();
    });
    EXPECT_FALSE(f.Saved);
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail"), "0");
}

TEST_F(BillEditorTest, BadQuickEntriesAreRefusedWithTheirTextAndAddNothing)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        PickStorages(f, "S01", "S02");
        // Only digits and the point reach the quantity.
        f.edtGoodsCount->clear();
        f.edtGoodsCount->setFocus();
        Type(QStringLiteral("1a-2'"));
        EXPECT_EQ(f.edtGoodsCount->text(), "12");
        for (const char* bad : {"1.2.3", "0", "10001", "-5", ".", "0.001"}) {
            AddByQuickEntry(f, "G001", QLatin1String(bad));
            EXPECT_EQ(TakeMessages(), QStringList({kQuantityRange})) << bad;
            EXPECT_EQ(Focused(), f.edtGoodsCount) << bad;
            EXPECT_TRUE(LineTexts(f).isEmpty()) << bad;
        }
        const QStringList priceTexts = {"-1", "abc", "99999999"};
        const QStringList priceMessages = {"对不起，价格不能为负数", "请输入正确的价格!", "请输入正确的价格!"};
        for (int i = 0; i < priceTexts.size(); ++i) {
            AddByQuickEntry(f, "G001", "1", priceTexts[i]);
            EXPECT_EQ(TakeMessages(), QStringList({priceMessages[i]})) << priceTexts[i].toStdString();
            EXPECT_TRUE(LineTexts(f).isEmpty());
        }
        // A merge past the limit leaves the line as it was.
        AddByQuickEntry(f, "G001", "9000");
        AddByQuickEntry(f, "G001", "1001");
        EXPECT_EQ(TakeMessages(), QStringList({kQuantityRange}));
        EXPECT_EQ(LineTexts(f), QStringList({"G001|螺丝钉|9000|3.333|29997"}));
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(BillEditorTest, GoodsArePickedOnlyFromTheSourceStorageOnceItIsChosen)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        f.edtCondition->setText(QStringLiteral("G001"));
        f.edtCondition->setFocus();
        emit f.edtCondition->ButtonClicked(0);
        EXPECT_EQ(TakeMessages(), QStringList({kChooseSource}));
        EXPECT_EQ(Focused(), f.edtStorageOut);
        // A code typed in the grid is refused the same way.
        QWidget* cell = EditCell(f, 0, f.colGoodsCode);
        ASSERT_NE(cell, nullptr);
        Type(QStringLiteral("G001"));
        Key(Qt::Key_Tab);
        EXPECT_EQ(TakeMessages(), QStringList({kChooseSource}));
        EXPECT_TRUE(LineTexts(f).isEmpty());

        PickStorages(f, "S01", "S02");
        int listed = -1;
        f.edtCondition->setText(QStringLiteral("G004")); // stocked in S02 only
        NextGoodsCancel(&listed);
        emit f.edtCondition->ButtonClicked(0);
        EXPECT_EQ(listed, 0);
        EXPECT_TRUE(f.edtCondition->text().isEmpty());
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(BillEditorTest, ACodeTypedInTheGridPicksOnceAndNeverChangesALinesGoods)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        PickStorages(f, "S01", "S02");
        EditCell(f, 0, f.colGoodsCode);
        Type(QStringLiteral("G002"));
        NextGoodsAutoPick();
        Key(Qt::Key_Tab);
        // The default price when there is no last purchase price; quantity 1.
        EXPECT_EQ(LineTexts(f), QStringList({"G002|螺母|1|1.25|1.25"}));
        // Now the line has goods: price and quantity open, the code closed.
        EXPECT_TRUE(f.colGoodsCode->Properties().ReadOnly());
        EXPECT_FALSE(f.colGoodsCount->Properties().ReadOnly());

        // A code that matches nothing: the lookup lists nothing and the line goes.
        f.Lines()->Append();
        EditCell(f, 1, f.colGoodsCode);
        Type(QStringLiteral("NOSUCH"));
        int listed = -1;
        NextGoodsCancel(&listed);
        Key(Qt::Key_Tab);
        EXPECT_EQ(listed, 0);
        EXPECT_EQ(LineTexts(f), QStringList({"G002|螺母|1|1.25|1.25"}));

        // Goods already on the bill: nothing added, that line becomes current.
        AddByQuickEntry(f, "G001", "1");
        f.Lines()->Append();
        EditCell(f, 2, f.colGoodsCode);
        Type(QStringLiteral("G002"));
        NextGoodsAutoPick();
        Key(Qt::Key_Tab);
        EXPECT_EQ(LineTexts(f).size(), 2);
        EXPECT_EQ(f.Lines()->FieldByName(QStringLiteral("GoodsCode")).AsString(), "G002");
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(BillEditorTest, AQuantityInTheGridIsCheckedAndPricesTheLine)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        PickStorages(f, "S01", "S02");
        AddByQuickEntry(f, "G001", "1");
        for (const char* bad : {"0", "abc", "20000"}) {
            EditCell(f, 0, f.colGoodsCount);
            QTest::keyClicks(Focused(), QLatin1String(bad));
            Key(Qt::Key_Return);
            ASSERT_FALSE(app.Boxes().isEmpty());
            EXPECT_EQ(app.Boxes().last().text, kQuantityRange) << bad;
            EXPECT_EQ(LineTexts(f), QStringList({"G001|螺丝钉|1|3.333|3.333"})) << bad;
            f.TableGoodsList->HideEditor(false);
        }
        EditCell(f, 0, f.colGoodsCount);
        QTest::keyClicks(Focused(), QStringLiteral("2.5"));
        Key(Qt::Key_Return);
        EXPECT_EQ(LineTexts(f), QStringList({"G001|螺丝钉|2.5|3.333|8.3325"}));
        EXPECT_EQ(f.TableGoodsList->DataController()->FooterSummaryText(1), "8.33");
        f.TableGoodsList->HideEditor(false);
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(BillEditorTest, LinesGoByButtonAndDoubleClickWithoutAQuestion)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        PickStorages(f, "S01", "S02");
        AddByQuickEntry(f, "G001", "1");
        AddByQuickEntry(f, "G002", "1");
        AddByQuickEntry(f, "G003", "1");
        f.TableGoodsList->DataController()->SetFocusedRecordIndex(0);
        f.btnDelete->click();
        EXPECT_EQ(LineTexts(f), QStringList({"G002|螺母|1|1.25|1.25", "G003|垫片|1|2|2"}));
        QTableView* t = f.TableGoodsList->Table();
        QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, CellCenter(f, 1, f.colGoodsName));
        EXPECT_EQ(LineTexts(f), QStringList({"G002|螺母|1|1.25|1.25"}));
        f.btnDelete->click();
        EXPECT_TRUE(LineTexts(f).isEmpty());
        f.btnDelete->click(); // nothing left: nothing happens
        EXPECT_TRUE(app.Boxes().isEmpty());
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(BillEditorTest, AnApostropheTypedAnywhereIsDropped)
{
    NewEditor();
    Run([&](TBillEditFrm& f) {
        for (QLineEdit* e : std::initializer_list<QLineEdit*>{f.edtRemark, f.edtStorageOut, f.edtCondition}) {
            e->setFocus();
            Type(QStringLiteral("a'b"));
            EXPECT_EQ(e->text().toUpper(), "AB");
        }
        QWidget* cell = EditCell(f, 0, f.colGoodsCode);
        auto* line = qobject_cast<QLineEdit*>(cell);
        ASSERT_NE(line, nullptr);
        Type(QStringLiteral("x'y"));
        EXPECT_EQ(line->text(), "XY");
        f.TableGoodsList->HideEditor(false);
        f.Frame31->bbtnClose->click();
    });
}

TEST_F(BillEditorTest, TheSaveChecksInOrderWithFocusAndWritesNothingWhenRefused)
{
    const QString counter = Value(kDbCounter);
    NewEditor();
    Run([&](TBillEditFrm& f) {
        auto ok = [&] { f.Frame31->bbtnEnter->click(); };
        ok();
        EXPECT_EQ(TakeMessages(), QStringList({"调出仓不能为空，请选择!"}));
        EXPECT_EQ(Focused(), f.edtStorageOut);
        PickStorages(f, "S01", "S01");
        // Different names, same code.
        f.edtStorageIn->setText(QStringLiteral("一号仓"));
        ok();
        EXPECT_EQ(TakeMessages(), QStringList({"调入仓库不能和调出仓相同!"}));
        EXPECT_EQ(Focused(), f.edtStorageIn);
        PickStorages(f, "S01", "S02");
        // A name typed over the pick names no storage: a pick is asked for.
        f.edtStorageIn->setText(QStringLiteral("三号仓"));
        ok();
        EXPECT_EQ(TakeMessages(), QStringList({"请从仓库列表中选择调入仓库!"}));
        EXPECT_EQ(Focused(), f.edtStorageIn);
        f.edtStorageIn->clear();
        ok();
        EXPECT_EQ(TakeMessages(), QStringList({"调入仓库不能为空!"}));
        PickStorages(f, "S01", "S02");
        // Only the untouched pending line: no bill.
        ASSERT_EQ(f.TableGoodsList->DataController()->RowCount(), 1);
        ok();
        EXPECT_EQ(TakeMessages(), QStringList({"请选择需要调拨的商品信息!"}));
        EXPECT_EQ(Focused(), f.edtCondition);
        EXPECT_TRUE(f.Frame31->bbtnEnter->isEnabled());
        f.Frame31->bbtnClose->click();
    });
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain"), "0");
    EXPECT_TRUE(host.Probe.Events.isEmpty());
    // Refused checks draw no bill number.
    EXPECT_EQ(Value(kDbCounter), counter);
}

TEST_F(BillEditorTest, TheSaveKeepsTheEditorBusyAndARefusedBlockLeavesTheTablesAndTheEntries)
{
    // The database refuses every line: the header written before must go again.
    auto& svc = dynamic_cast<host::db::DbService&>(*plugin::HostDb());
    svc.GetConnection().ExecNative(QStringLiteral("CREATE TRIGGER no_lines BEFORE INSERT ON Sto_AdjustBillDetail"
                                                  " BEGIN SELECT RAISE(ABORT, 'lines are locked'); END"),
                                   {}, nullptr);
    TBillEditFrm& f = NewEditor();
    QList<bool> enabledWhileBusy;
    host.Probe.OnShowProgress = [&] {
        for (QWidget* w : std::initializer_list<QWidget*>{f.btnAdd, f.btnDelete, f.Frame31->bbtnEnter,
                                                          f.Frame31->bbtnClose, f.cxGroupBox1, f.cxGroupBox2})
            enabledWhileBusy << w->isEnabled();
    };
    QStringList numbers;
    Run([&](TBillEditFrm& f) {
        PickStorages(f, "S01", "S02");
        AddByQuickEntry(f, "G001", "2");
        f.Frame31->bbtnEnter->click();
        EXPECT_EQ(enabledWhileBusy, QList<bool>(6, false));
        ASSERT_EQ(host.Log.Errors.size(), 1);
        EXPECT_TRUE(host.Log.Errors[0].startsWith("保存数据失败\r\n"));
        EXPECT_TRUE(host.Log.Errors[0].contains("lines are locked"));
        EXPECT_EQ(host.Probe.Events, QStringList({"ShowProgress:正在保存数据请稍等...", "HideProgress", "NotifySaveFailed"}));
        // Still open, entries kept, controls back.
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(f.Saved);
        EXPECT_EQ(LineTexts(f), QStringList({"G001|螺丝钉|2|3.333|6.666"}));
        for (QWidget* w : std::initializer_list<QWidget*>{f.btnAdd, f.btnDelete, f.Frame31->bbtnEnter,
                                                          f.Frame31->bbtnClose, f.cxGroupBox1, f.cxGroupBox2})
            EXPECT_TRUE(w->isEnabled());
        EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain"), "0");
        EXPECT_EQ(Value("select count(*) from Sto_AdjustBillDetail"), "0");
        numbers << Value(kDbCounter);
        // The database takes lines again: OK once more saves, under a new number.
        svc.GetConnection().ExecNative(QStringLiteral("DROP TRIGGER no_lines"), {}, nullptr);
        f.Frame31->bbtnEnter->click();
    });
    EXPECT_TRUE(f.Saved);
    numbers << Value(kDbCounter);
    EXPECT_EQ(numbers[1].toInt(), numbers[0].toInt() + 1);
    const QString no = Value("select BillNo from Sto_AdjustBillMain");
    EXPECT_TRUE(no.endsWith(QStringLiteral("%1").arg(numbers[1].toInt(), 8, 10, QLatin1Char('0')))) << no.toStdString();
    EXPECT_EQ(StoredLines(no), QStringList({"G001|螺丝钉|2|3.333|6.666|001"}));
}

TEST_F(BillEditorTest, AnExistingBillOpensWithItsLinesAndIsSavedWholeAgain)
{
    const QDate today = QDate::currentDate();
    AddStoredBill(QStringLiteral("DB-OLD-1"), today.addDays(3));
    const QString oldLineId = Value("select ID from Sto_AdjustBillDetail");
    const QString counter = Value(kDbCounter);
    TBillEditFrm& f = EditorFor(QStringLiteral("DB-OLD-1"));
    Run([&](TBillEditFrm& f) {
        EXPECT_EQ(f.edtBillNo->text(), "DB-OLD-1");
        EXPECT_EQ(f.dtpBillDate->Date(), today.addDays(3));
        EXPECT_EQ(f.edtStorageOut->text(), "一号仓");
        EXPECT_EQ(f.edtStorageIn->text(), "二号仓");
        EXPECT_EQ(f.edtRemark->text(), "旧单");
        EXPECT_EQ(f.TableGoodsList->DataController()->RowCount(), 1); // no pending line
        EXPECT_EQ(LineTexts(f), QStringList({"G003|垫片|3|3|9"}));
        f.Frame31->bbtnEnter->click();
    });
    EXPECT_TRUE(f.Saved);
    // The header keeps its creator and state; the lines come back under new IDs and the saver.
    EXPECT_EQ(Value("select count(*) from Sto_AdjustBillMain where BillNo = 'DB-OLD-1' and OptorCode = '009'"
                    " and BillStatus = 1 and Remark = '旧单'"),
              "1");
    EXPECT_TRUE(Value("select BillDate from Sto_AdjustBillMain").startsWith(model::FormatDate(today.addDays(3))));
    EXPECT_EQ(StoredLines("DB-OLD-1"), QStringList({"G003|垫片|3|3|9|001"}));
    EXPECT_NE(Value("select ID from Sto_AdjustBillDetail"), oldLineId);
    EXPECT_EQ(Value(kDbCounter), counter); // an existing bill keeps its number
}

TEST_F(BillEditorTest, SavingAnEditedBillKeepsEveryStoredLineOnce)
{
    AddStoredBill(QStringLiteral("DB-OLD-3"), QDate::currentDate());
    // A line whose goods has left the goods master, and a goods code found twice in it.
    Exec(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, CalUnit, GoodsPrice,"
                        " GoodsCount, PaySum, DELETED) values (902, 900, 'DB-OLD-3', 'GONE', '旧货', '52101', 1, 2, 2, 0)"));
    Exec(QStringLiteral("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, UseFlag, Deleted)"
                        " values (99, 'G003', '垫片', '01', 1, 0)"));
    TBillEditFrm& f = EditorFor(QStringLiteral("DB-OLD-3"));
    Run([&](TBillEditFrm& f) {
        EXPECT_EQ(LineTexts(f), QStringList({"G003|垫片|3|3|9", "GONE|旧货|2|1|2"}));
        f.Frame31->bbtnEnter->click();
    });
    EXPECT_TRUE(f.Saved);
    EXPECT_EQ(StoredLines("DB-OLD-3"), QStringList({"G003|垫片|3|3|9|001", "GONE|旧货|2|1|2|001"}));
}

TEST_F(BillEditorTest, ABillDatedBeforeTodayIsMovedToTodayByTheFirstOk)
{
    const QDate today = QDate::currentDate();
    AddStoredBill(QStringLiteral("DB-OLD-2"), today.addDays(-5));
    TBillEditFrm& f = EditorFor(QStringLiteral("DB-OLD-2"));
    Run([&](TBillEditFrm& f) {
        f.Frame31->bbtnEnter->click();
        EXPECT_EQ(TakeMessages(), QStringList({"日期不能小于当日!"}));
        EXPECT_EQ(f.dtpBillDate->Date(), today);
        EXPECT_TRUE(Value("select BillDate from Sto_AdjustBillMain").startsWith(model::FormatDate(today.addDays(-5))));
        f.Frame31->bbtnEnter->click();
    });
    EXPECT_TRUE(f.Saved);
    // The date field at midnight.
    const QString stored = Value("select BillDate from Sto_AdjustBillMain");
    EXPECT_TRUE(stored == model::FormatDate(today) || stored == model::FormatDate(today) + QStringLiteral(" 00:00:00"))
        << stored.toStdString();
}

} // namespace
