// Grids as the forms use them: data controller counts, values and focus, footer summaries,
// content styles, image combos, formats, editing with validation and the keyboard.
#include "TestPrint.h"
#include "RecordingApp.h"

#include "platform/ButtonEdit.h"
#include "platform/Component.h"
#include "platform/DataSource.h"
#include "platform/Grid.h"
#include "platform/GridFooter.h"
#include "platform/StyleRepository.h"

#include <QApplication>

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// A bill list like the main window's: number, status, quantity, amount, audit flag.
struct BillGrid {
    QWidget window;
    Grid* grid;
    TableView* view;
    GridColumn* colBillNo;
    GridColumn* colDate;
    GridColumn* colCount;
    GridColumn* colSum;
    GridColumn* colAudit;
    GridColumn* colStatus;
    GridColumn* colHidden;
    Dataset data{{{"BillNo", FieldType::Text},
                  {"BillDate", FieldType::DateTime},
                  {"GoodsCount", FieldType::Float},
                  {"BillSum", FieldType::Currency},
                  {"AuditFlag", FieldType::Text},
                  {"BillStatus", FieldType::Integer},
                  {"Remark", FieldType::Text}}};
    DataSource source;

    BillGrid()
    {
        window.resize(900, 400);
        grid = new Grid(&window);
        grid->setGeometry(0, 0, 900, 400);
        view = grid->CreateTableView(QStringLiteral("TableBillInfo"));
        colBillNo = view->CreateColumn(QStringLiteral("colBillNo"));
        colBillNo->SetCaption(QStringLiteral("订单号"));
        colBillNo->SetFieldName(QStringLiteral("BillNo"));
        colDate = view->CreateColumn(QStringLiteral("colDate"));
        colDate->SetFieldName(QStringLiteral("BillDate"));
        colDate->SetFocusing(false);
        colCount = view->CreateColumn(QStringLiteral("colCount"));
        colCount->SetFieldName(QStringLiteral("GoodsCount"));
        colCount->Properties().SetKind(EditorKind::Currency);
        colCount->Properties().SetDisplayFormat(QStringLiteral("0.00"));
        colSum = view->CreateColumn(QStringLiteral("colSum"));
        colSum->SetFieldName(QStringLiteral("billsum")); // field names ignore case
        colSum->SetFocusing(false);
        colAudit = view->CreateColumn(QStringLiteral("colAudit"));
        colAudit->SetFieldName(QStringLiteral("AuditFlag"));
        colAudit->Properties().SetKind(EditorKind::ImageCombo);
        colAudit->Properties().AddItem(QStringLiteral("0"), QStringLiteral("未审核"));
        colAudit->Properties().AddItem(QStringLiteral("1"), QStringLiteral("已审核"));
        colAudit->SetFocusing(false);
        colStatus = view->CreateColumn(QStringLiteral("colBillstatus"));
        colStatus->SetFieldName(QStringLiteral("BillStatus"));
        colStatus->Properties().SetKind(EditorKind::ImageCombo);
        const char* statuses[] = {"编辑状态 ", "待审批", "审批通过", "审批未通过", "订单完成"};
        for (int i = 0; i < 5; ++i)
            colStatus->Properties().AddItem(i, QString::fromUtf8(statuses[i]));
        colHidden = view->CreateColumn(QStringLiteral("colRemark"));
        colHidden->SetFieldName(QStringLiteral("Remark"));
        colHidden->SetVisible(false);

        AddBill("DB-001", 2.5, 100, "0", 0);
        AddBill("DB-002", 1.25, 250.5, "1", 2);
        AddBill("DB-003", 4, 1000, "1", 4);
        data.First();
        source.SetDataSet(&data);
        view->DataController()->SetDataSource(&source);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void AddBill(const char* no, double count, double sum, const char* audit, int status)
    {
        data.Append();
        data.FieldByName("BillNo").SetValue(QString::fromLatin1(no));
        data.FieldByName("BillDate").SetValue(QStringLiteral("2024-05-01"));
        data.FieldByName("GoodsCount").SetValue(count);
        data.FieldByName("BillSum").SetValue(sum);
        data.FieldByName("AuditFlag").SetValue(QString::fromLatin1(audit));
        data.FieldByName("BillStatus").SetValue(status);
        data.FieldByName("Remark").SetValue(QStringLiteral("备注") + QString::fromLatin1(no));
        data.Post();
    }

    QTableView* table() const { return view->Table(); }
    QModelIndex cell(int row, GridColumn* c) const { return table()->model()->index(row, c->Index()); }
    QString shown(int row, GridColumn* c) const { return cell(row, c).data().toString(); }
};

} // namespace

TEST(GridStructure, LevelsViewsAndClassIdentity)
{
    Grid grid;
    EXPECT_EQ(grid.ActiveView(), nullptr);
    TableView* plain = grid.CreateTableView(QStringLiteral("v1"));
    ASSERT_EQ(grid.LevelCount(), 1);
    EXPECT_EQ(grid.ActiveView(), plain);
    BandedTableView* banded = grid.CreateBandedTableView(QStringLiteral("v2"));
    GridLevel* second = grid.CreateLevel(QStringLiteral("level2"));
    second->SetGridView(banded);
    grid.SetActiveLevel(second);
    EXPECT_EQ(grid.ActiveView(), banded);
    second->SetCaption(QStringLiteral("调拨单号：DB-1明细"));
    EXPECT_EQ(grid.ActiveLevel()->Caption(), "调拨单号：DB-1明细");

    EXPECT_TRUE(IsExactly<TableView>(plain));
    EXPECT_FALSE(IsExactly<TableView>(banded));
    EXPECT_TRUE(IsOrDerived<TableView>(banded));
    EXPECT_TRUE(IsExactly<BandedTableView>(banded));
    EXPECT_FALSE(IsOrDerived<BandedTableView>(plain));
    EXPECT_TRUE(IsExactly<Grid>(&grid));
    EXPECT_EQ(grid.findChild<TableView*>(QStringLiteral("v2")), banded);
    EXPECT_EQ(banded->AddBand(QStringLiteral("基本")), 0);
    EXPECT_EQ(banded->BandCount(), 1);
}

TEST(GridDataController, CountsValuesAndThePendingRow)
{
    BillGrid g;
    DataController* dc = g.view->DataController();
    EXPECT_EQ(dc->RecordCount(), 3);
    EXPECT_EQ(dc->RowCount(), 3);
    EXPECT_EQ(dc->Value(1, g.colBillNo->Index()).toString(), "DB-002");
    EXPECT_EQ(dc->Value(2, g.colStatus->Index()).toLongLong(), 4);
    // Hidden columns still hold their values.
    EXPECT_EQ(dc->Value(0, g.colHidden->Index()).toString(), "备注DB-001");
    EXPECT_EQ(dc->ValueByField(0, QStringLiteral("BILLNO")).toString(), "DB-001");
    EXPECT_FALSE(dc->Value(3, 0).isValid());
    EXPECT_FALSE(dc->Value(0, 99).isValid());
    EXPECT_FALSE(dc->Value(-1, 0).isValid());

    g.data.Append();
    EXPECT_EQ(dc->RecordCount(), 3);
    EXPECT_EQ(dc->RowCount(), 4);
    EXPECT_EQ(g.table()->model()->rowCount(), 4);
    EXPECT_EQ(dc->FocusedRecordIndex(), 3);
    g.data.FieldByName("BillNo").SetValue(QStringLiteral("DB-004"));
    EXPECT_EQ(dc->Value(3, g.colBillNo->Index()).toString(), "DB-004");
    g.data.Cancel();
    EXPECT_EQ(dc->RowCount(), 3);
    EXPECT_EQ(dc->FocusedRecordIndex(), 2);
}

TEST(GridDataController, FocusFollowsTheDatasetBothWays)
{
    BillGrid g;
    DataController* dc = g.view->DataController();
    QSignalSpy focus(g.view, &TableView::FocusedRecordChanged);
    EXPECT_EQ(dc->FocusedRecordIndex(), 0);
    dc->SetFocusedRecordIndex(2);
    EXPECT_EQ(g.data.RecNo(), 2);
    EXPECT_EQ(g.table()->currentIndex().row(), 2);
    ASSERT_GE(focus.count(), 1);
    EXPECT_EQ(focus.last()[1].toInt(), 2);
    g.data.SetRecNo(1);
    EXPECT_EQ(dc->FocusedRecordIndex(), 1);
    dc->SetFocusedRecordIndex(7); // out of range: ignored
    EXPECT_EQ(dc->FocusedRecordIndex(), 1);
    // The cell cursor never rests on a column that cannot take the focus.
    EXPECT_NE(g.view->FocusedColumn(), g.colDate);

    // A new dataset on the same source: the view shows it, focused on its first record.
    Dataset other(g.data.Fields());
    other.Append();
    other.FieldByName("BillNo").SetValue(QStringLiteral("X"));
    other.Post();
    other.First();
    g.source.SetDataSet(&other);
    EXPECT_EQ(dc->RecordCount(), 1);
    EXPECT_EQ(dc->FocusedRecordIndex(), 0);
    EXPECT_EQ(g.shown(0, g.colBillNo), "X");
    other.EmptyDataset();
    EXPECT_EQ(dc->FocusedRecordIndex(), -1);
    g.source.SetDataSet(&g.data);
}

TEST(GridDataController, DestroyedDatasetLeavesAnEmptyView)
{
    BillGrid g;
    auto temp = std::make_unique<Dataset>(g.data.Fields());
    temp->Append();
    temp->Post();
    g.source.SetDataSet(temp.get());
    EXPECT_EQ(g.view->DataController()->RowCount(), 1);
    temp.reset();
    EXPECT_EQ(g.view->DataController()->RowCount(), 0);
    EXPECT_EQ(g.view->DataController()->DataSet(), nullptr);
    EXPECT_EQ(g.view->DataController()->FocusedRecordIndex(), -1);
    g.table()->viewport()->repaint();
}

TEST(GridFooterSummaries, SumsCountsAndFormats)
{
    BillGrid g;
    DataController* dc = g.view->DataController();
    dc->AddFooterSummary(FooterSummary::Kind::Sum, g.colCount, QStringLiteral("0.00"));
    dc->AddFooterSummary(FooterSummary::Kind::Sum, g.colSum, QStringLiteral("￥,0.00"));
    dc->AddFooterSummary(FooterSummary::Kind::Count, g.colBillNo, QStringLiteral("0 条记录"));
    g.view->SetFooterVisible(true);

    EXPECT_DOUBLE_EQ(dc->FooterSummaryValue(0).toDouble(), 7.75);
    const QVariant sum = dc->FooterSummaryValue(1);
    ASSERT_EQ(sum.metaType(), QMetaType::fromType<Currency>()); // money sums stay exact
    EXPECT_EQ(sum.value<Currency>().Raw(), 13505000);
    EXPECT_EQ(dc->FooterSummaryText(0), "7.75");
    EXPECT_EQ(dc->FooterSummaryText(1), "￥1,350.50");
    EXPECT_EQ(dc->FooterSummaryText(2), "3 条记录");
    EXPECT_EQ(g.view->Footer()->TextUnder(g.colBillNo->Index()), "3 条记录");
    EXPECT_FALSE(dc->FooterSummaryValue(3).isValid());

    // Recomputed after changes; the pending row counts only with what it holds.
    g.data.Append();
    EXPECT_EQ(dc->FooterSummaryText(2), "3 条记录");
    g.data.FieldByName("BillNo").SetValue(QStringLiteral("DB-9"));
    g.data.FieldByName("GoodsCount").SetValue(0.25);
    EXPECT_EQ(dc->FooterSummaryText(2), "4 条记录");
    EXPECT_EQ(dc->FooterSummaryText(0), "8.00");
    g.data.Post();
    g.data.SetRecNo(0);
    g.data.Delete();
    EXPECT_EQ(dc->FooterSummaryText(0), "5.50");
    // A stored row being edited counts with its edit buffer.
    g.data.SetRecNo(0);
    g.data.Edit();
    g.data.FieldByName("GoodsCount").SetValue(1.5); // was 1.25
    EXPECT_EQ(dc->FooterSummaryText(0), "5.75");
    g.data.Cancel();
    EXPECT_EQ(dc->FooterSummaryText(0), "5.50");
    g.data.EmptyDataset();
    EXPECT_EQ(dc->FooterSummaryText(2), "0 条记录");
    EXPECT_EQ(dc->FooterSummaryText(0), "0.00");
    EXPECT_EQ(dc->FooterSummaryText(1), "￥0.00");
}

TEST(GridColumns, ImageCombosFormatsAndDisplayTexts)
{
    BillGrid g;
    EXPECT_EQ(g.shown(0, g.colAudit), "未审核");
    EXPECT_EQ(g.shown(1, g.colAudit), "已审核");
    EXPECT_EQ(g.shown(0, g.colStatus), "编辑状态 ");
    EXPECT_EQ(g.shown(2, g.colStatus), "订单完成");
    EXPECT_EQ(g.shown(0, g.colCount), "2.50");
    EXPECT_EQ(g.shown(1, g.colSum), "250.5");
    EXPECT_EQ(g.shown(0, g.colDate), "2024-05-01");
    EXPECT_EQ(g.table()->model()->headerData(0, Qt::Horizontal).toString(), "订单号");

    // Items match cell values by value, whether stored as numbers or texts.
    const ColumnProperties& p = g.colStatus->Properties();
    EXPECT_EQ(p.DisplayText(4.0), "订单完成");
    EXPECT_EQ(p.DisplayText(QStringLiteral("3")), "审批未通过");
    EXPECT_EQ(p.DisplayText(qlonglong(1)), "待审批");
    EXPECT_EQ(g.colAudit->Properties().DisplayText(qlonglong(1)), "已审核");
    // A value without an item is still shown; null shows the null text.
    EXPECT_EQ(p.DisplayText(9), "9");
    EXPECT_EQ(p.DisplayText(QVariant()), "");
    g.colCount->Properties().SetNullString(QStringLiteral("0"));
    EXPECT_EQ(g.colCount->Properties().DisplayText(QVariant()), "0");

    // Items copied from a dictionary combo: text = description, user data = value.
    QComboBox combo;
    combo.addItem(QStringLiteral("一号仓"), QStringLiteral("S01"));
    combo.addItem(QStringLiteral("二号仓"), QStringLiteral("S02"));
    ColumnProperties storages;
    storages.SetKind(EditorKind::ImageCombo);
    storages.AssignItemsFrom(&combo);
    EXPECT_EQ(storages.ItemCount(), 2);
    EXPECT_EQ(storages.DisplayText(QStringLiteral("S02")), "二号仓");
    ASSERT_NE(storages.FindItem(QStringLiteral("S01")), nullptr);
    EXPECT_EQ(storages.FindItem(QStringLiteral("S01"))->description, "一号仓");

    // Changing items repaints: the model shows the new description.
    g.colAudit->Properties().ClearItems();
    g.colAudit->Properties().AddItem(0, QStringLiteral("否"));
    EXPECT_EQ(g.shown(0, g.colAudit), "否");
}

TEST(GridStyles, ContentStyleHandlerIsAskedForItsColumnAndRecord)
{
    BillGrid g;
    StyleRepository repo;
    g.view->SetStyleSheet(repo.StyleSheet(StyleRepository::TableViewSheet));
    GridStyle completed;
    completed.SetBold(true);
    completed.SetColor(QColor(0, 166, 83));
    std::vector<int> asked;
    g.colBillNo->OnGetContentStyle = [&](TableView* view, int record, GridStyle*& style) {
        EXPECT_EQ(view, g.view);
        asked.push_back(record);
        const QVariant status = view->DataController()->Value(record, g.colStatus->Index());
        if (status.toInt() == 4)
            style = &completed;
    };
    const GridStyle normal = g.view->CellStyle(0, g.colBillNo);
    const GridStyle done = g.view->CellStyle(2, g.colBillNo);
    EXPECT_EQ(asked, (std::vector<int>{0, 2}));
    EXPECT_FALSE(normal.Font().bold());
    EXPECT_TRUE(done.Font().bold());
    EXPECT_EQ(done.Color(), QColor(0, 166, 83));
    // Other columns of the same record keep the sheet's look.
    const GridStyle other = g.view->CellStyle(2, g.colCount);
    EXPECT_FALSE(other.Font().bold());
    EXPECT_EQ(other.Color(), repo.StyleSheet(0)->Style(GridStyleSheet::ContentEven)->Color());
    EXPECT_EQ(g.view->CellStyle(1, g.colCount).Color(), repo.StyleSheet(0)->Style(GridStyleSheet::ContentOdd)->Color());

    // The handler is asked while painting, too.
    asked.clear();
    g.window.grab();
    EXPECT_FALSE(asked.empty());
    // A handler that throws does not break painting or escape.
    UseApp use;
    g.colBillNo->OnGetContentStyle = [](TableView*, int, GridStyle*&) { throw Exception(QStringLiteral("坏")); };
    EXPECT_NO_THROW(g.view->CellStyle(0, g.colBillNo));
    EXPECT_FALSE(use.app.messages.isEmpty());
}

TEST(GridStyles, OwnStylesOverrideTheSheet)
{
    BillGrid g;
    StyleRepository repo;
    g.view->SetStyleSheet(repo.StyleSheet(0));
    GridStyle odd;
    odd.SetColor(Qt::yellow);
    g.view->SetStyle(GridStyleSheet::ContentOdd, &odd);
    EXPECT_EQ(g.view->Style(GridStyleSheet::ContentOdd), &odd);
    EXPECT_EQ(g.view->CellStyle(1, g.colCount).Color(), QColor(Qt::yellow));
    g.view->SetStyle(GridStyleSheet::ContentOdd, nullptr);
    EXPECT_EQ(g.view->Style(GridStyleSheet::ContentOdd), repo.StyleSheet(0)->Style(GridStyleSheet::ContentOdd));
    g.view->SetStyleSheet(nullptr);
    EXPECT_EQ(g.view->Style(GridStyleSheet::Content), nullptr);
    EXPECT_EQ(repo.StyleSheet(4), nullptr);
    EXPECT_EQ(repo.StyleSheet(-1), nullptr);
}

TEST(GridClicks, CellClickReportsTheRecordAfterTheDatasetMoved)
{
    BillGrid g;
    int clickedRecord = -1;
    int recNoAtClick = -1;
    GridColumn* clickedColumn = nullptr;
    QObject::connect(g.view, &TableView::CellClick, [&](int record, GridColumn* column) {
        clickedRecord = record;
        clickedColumn = column;
        recNoAtClick = g.data.RecNo();
    });
    QSignalSpy dbl(g.view, &TableView::CellDblClick);
    const QRect r = g.table()->visualRect(g.cell(2, g.colSum));
    QTest::mouseClick(g.table()->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(clickedRecord, 2);
    EXPECT_EQ(clickedColumn, g.colSum);
    EXPECT_EQ(recNoAtClick, 2);
    // A click on a column that cannot take the focus moves the row, not the cell cursor there.
    EXPECT_NE(g.view->FocusedColumn(), g.colSum);
    QTest::mouseDClick(g.table()->viewport(), Qt::LeftButton, {}, g.table()->visualRect(g.cell(1, g.colBillNo)).center());
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl[0][0].toInt(), 1);
}

TEST(GridKeyboard, TabSkipsColumnsThatCannotTakeTheFocus)
{
    BillGrid g;
    g.table()->setFocus();
    g.view->DataController()->SetFocusedRecordIndex(0);
    g.view->SetFocusedColumn(g.colBillNo);
    QTest::keyClick(g.table(), Qt::Key_Tab);
    EXPECT_EQ(g.view->FocusedColumn(), g.colCount); // date is not focusable
    QTest::keyClick(g.table(), Qt::Key_Tab);       // sum, audit not focusable: status
    EXPECT_EQ(g.view->FocusedColumn(), g.colStatus);
    QTest::keyClick(g.table(), Qt::Key_Tab); // hidden remark skipped: next row's first
    EXPECT_EQ(g.view->DataController()->FocusedRecordIndex(), 1);
    EXPECT_EQ(g.view->FocusedColumn(), g.colBillNo);
    EXPECT_EQ(g.data.RecNo(), 1);
    QTest::keyClick(g.table(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(g.view->DataController()->FocusedRecordIndex(), 0);
    EXPECT_EQ(g.view->FocusedColumn(), g.colStatus);
    QTest::keyClick(g.table(), Qt::Key_Right);
    EXPECT_EQ(g.view->FocusedColumn(), g.colStatus);
    QTest::keyClick(g.table(), Qt::Key_Left);
    EXPECT_EQ(g.view->FocusedColumn(), g.colCount);
    QTest::keyClick(g.table(), Qt::Key_Down);
    EXPECT_EQ(g.data.RecNo(), 1);
    EXPECT_EQ(g.view->FocusedColumn(), g.colCount);
}

TEST(GridKeyboard, DownOnTheLastRowAppendsOnlyWhenAllowed)
{
    BillGrid g;
    g.table()->setFocus();
    g.view->DataController()->SetFocusedRecordIndex(2);
    g.view->SetAllowAppend(false);
    QTest::keyClick(g.table(), Qt::Key_Down);
    EXPECT_EQ(g.view->DataController()->RowCount(), 3);
    g.view->SetAllowAppend(true);
    g.view->SetFocusFirstCellOnNewRecord(true);
    QTest::keyClick(g.table(), Qt::Key_Down);
    EXPECT_EQ(g.view->DataController()->RowCount(), 4);
    EXPECT_EQ(g.view->DataController()->RecordCount(), 3);
    EXPECT_EQ(g.view->DataController()->FocusedRecordIndex(), 3);
    EXPECT_EQ(g.view->FocusedColumn(), g.colBillNo);
    // Again on the untouched new row: nothing more.
    QTest::keyClick(g.table(), Qt::Key_Down);
    EXPECT_EQ(g.view->DataController()->RowCount(), 4);
    // Esc drops it.
    QTest::keyClick(g.table(), Qt::Key_Escape);
    EXPECT_EQ(g.view->DataController()->RowCount(), 3);
    EXPECT_EQ(g.data.GetState(), Dataset::State::Browse);
}

TEST(GridKeyboard, KeyDownHandlersSeeAndMayConsumeKeys)
{
    BillGrid g;
    g.table()->setFocus();
    std::vector<int> keys;
    QObject::connect(g.view, &TableView::KeyDown, [&](int& key, Qt::KeyboardModifiers) {
        keys.push_back(key);
        if (key == Qt::Key_Down)
            key = 0;
    });
    QTest::keyClick(g.table(), Qt::Key_Down);
    EXPECT_EQ(keys, std::vector<int>{Qt::Key_Down});
    EXPECT_EQ(g.data.RecNo(), 0); // consumed
}

TEST(GridKeyboard, CtrlDeleteAsksAndDeletes)
{
    UseApp use;
    BillGrid g;
    g.table()->setFocus();
    g.view->DataController()->SetFocusedRecordIndex(1);
    use.app.answers = {mbNo};
    QTest::keyClick(g.table(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(g.data.RecordCount(), 3);
    use.app.answers = {mbYes};
    QTest::keyClick(g.table(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(g.data.RecordCount(), 2);
    EXPECT_EQ(g.shown(1, g.colBillNo), "DB-003");
    g.view->SetAllowDelete(false);
    QTest::keyClick(g.table(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(g.data.RecordCount(), 2);
}

TEST(GridEditing, TypingEditsAnEditableCellAndWritesTheDataset)
{
    BillGrid g;
    g.table()->setFocus();
    g.view->SetFocusedColumn(g.colCount);
    g.view->DataController()->SetFocusedRecordIndex(1);
    QTest::keyClick(g.table(), '7');
    ASSERT_TRUE(g.view->IsEditing());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, ".5");
    EXPECT_EQ(editor->text(), "7.5");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(g.view->IsEditing());
    EXPECT_DOUBLE_EQ(g.data.FieldByName("GoodsCount").AsFloat(), 7.5);
    EXPECT_EQ(g.data.GetState(), Dataset::State::Edit); // posted when the record is left
    EXPECT_EQ(g.shown(1, g.colCount), "7.50");
    QTest::keyClick(g.table(), Qt::Key_Up);
    EXPECT_EQ(g.data.GetState(), Dataset::State::Browse);
    EXPECT_DOUBLE_EQ(g.data.At(1, 2).toDouble(), 7.5);
}

TEST(GridEditing, ReadOnlyColumnsAndViewsDoNotEdit)
{
    BillGrid g;
    g.table()->setFocus();
    g.view->SetFocusedColumn(g.colBillNo);
    g.colBillNo->SetEditing(false);
    QTest::keyClicks(g.table(), "X");
    EXPECT_FALSE(g.view->IsEditing());
    EXPECT_EQ(g.data.FieldByName("BillNo").AsString(), "DB-001");
    g.colBillNo->SetEditing(true);
    g.view->SetEditing(false);
    QTest::keyClicks(g.table(), "X");
    EXPECT_FALSE(g.view->IsEditing());
    g.view->SetEditing(true);
    g.colBillNo->Properties().SetKind(EditorKind::Label);
    QTest::keyClicks(g.table(), "X");
    EXPECT_FALSE(g.view->IsEditing());
}

TEST(GridEditing, ValidationHandlerChangesRefusesOrTakesOver)
{
    UseApp use;
    BillGrid g;
    QTableView* t = g.table();
    t->setFocus();
    g.view->SetFocusedColumn(g.colCount);
    g.view->SetImmediatePost(true);
    int calls = 0;
    g.colCount->Properties().SetMinValue(1);
    g.colCount->Properties().SetMaxValue(10000);
    g.colCount->Properties().OnValidate = [&](GridColumn* column, QVariant& value, QString& errorText, bool& error) {
        ++calls;
        EXPECT_EQ(column, g.colCount);
        if (error) {
            errorText = QStringLiteral("对不起，数量范围在1..10000之内");
            value = 1;
        } else if (value.toDouble() == 3) {
            value = 30; // the handler's value is the one stored
        }
    };
    auto type = [&](const char* text) {
        QTest::keyClick(t, text[0]); // the first key opens the editor
        QWidget* editor = QApplication::focusWidget();
        QTest::keyClicks(editor, text + 1);
        QTest::keyClick(editor, Qt::Key_Return);
    };
    type("3");
    EXPECT_EQ(calls, 1);
    EXPECT_DOUBLE_EQ(g.data.At(0, 2).toDouble(), 30);
    type("0"); // below the editor's bounds: flagged, the text is shown, nothing is written
    EXPECT_EQ(calls, 2);
    ASSERT_FALSE(use.app.messages.isEmpty());
    EXPECT_EQ(use.app.messages.last(), "对不起，数量范围在1..10000之内");
    EXPECT_DOUBLE_EQ(g.data.At(0, 2).toDouble(), 30);
    type("abc"); // not a number: flagged too
    EXPECT_EQ(calls, 3);
    EXPECT_DOUBLE_EQ(g.data.At(0, 2).toDouble(), 30);

    // A handler that writes the dataset itself keeps its work: the entry is not written again.
    g.colCount->Properties().OnValidate = [&](GridColumn*, QVariant& value, QString&, bool&) {
        g.data.Edit();
        g.data.FieldByName("GoodsCount").SetValue(value.toDouble() * 2);
        g.data.FieldByName("BillSum").SetValue(99);
        g.data.Post();
    };
    type("4");
    EXPECT_DOUBLE_EQ(g.data.At(0, 2).toDouble(), 8);
    EXPECT_EQ(g.data.At(0, 3).value<Currency>(), Currency::FromInt(99));

    // A handler ending the command silently (a refusal) leaves the data as it was.
    g.colCount->Properties().OnValidate = [&](GridColumn*, QVariant&, QString&, bool&) { throw EAbort(); };
    const int before = use.app.messages.size();
    type("5");
    EXPECT_DOUBLE_EQ(g.data.At(0, 2).toDouble(), 8);
    EXPECT_EQ(use.app.messages.size(), before);
}

TEST(GridEditing, UnchangedEntriesAreNotCommitted)
{
    BillGrid g;
    int calls = 0;
    g.colBillNo->Properties().OnValidate = [&](GridColumn*, QVariant&, QString&, bool&) { ++calls; };
    g.table()->setFocus();
    g.view->SetFocusedColumn(g.colBillNo);
    QTest::keyClick(g.table(), Qt::Key_F2);
    ASSERT_TRUE(g.view->IsEditing());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(g.data.GetState(), Dataset::State::Browse);
    EXPECT_EQ(g.view->FocusedColumn(), g.colCount); // Tab in the editor moves on
}

TEST(GridEditing, EditKeyDownHandlerCanTakeTheFocusAway)
{
    BillGrid g;
    QLineEdit outside(&g.window);
    outside.show();
    g.table()->setFocus();
    g.view->SetFocusedColumn(g.colBillNo);
    QObject::connect(g.view, &TableView::EditKeyDown, [&](GridColumn*, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Tab)
            outside.setFocus();
    });
    QTest::keyClick(g.table(), Qt::Key_F2);
    ASSERT_TRUE(g.view->IsEditing());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &outside);
}

TEST(GridEditing, EnterMovesToTheNextCellWhenAsked)
{
    BillGrid g;
    g.view->SetGoToNextCellOnEnter(true);
    g.table()->setFocus();
    g.view->SetFocusedColumn(g.colBillNo);
    QTest::keyClick(g.table(), Qt::Key_Return);
    EXPECT_EQ(g.view->FocusedColumn(), g.colCount);
}

TEST(GridOptions, SelectionWidthsAndFooter)
{
    BillGrid g;
    g.view->SetCellSelect(false);
    EXPECT_EQ(g.table()->selectionBehavior(), QAbstractItemView::SelectRows);
    g.colBillNo->SetWidth(120);
    g.colBillNo->SetMinWidth(120);
    EXPECT_EQ(g.table()->horizontalHeader()->sectionSize(g.colBillNo->Index()), 120);
    EXPECT_TRUE(g.table()->isColumnHidden(g.colHidden->Index()));
    g.colHidden->SetVisible(true);
    EXPECT_FALSE(g.table()->isColumnHidden(g.colHidden->Index()));
    g.colHidden->SetVisible(false);

    g.view->SetColumnAutoWidth(true);
    QApplication::processEvents();
    int total = 0;
    for (int i = 0; i < g.view->ColumnCount(); ++i)
        if (g.view->Column(i)->Visible()) {
            const int w = g.table()->horizontalHeader()->sectionSize(i);
            EXPECT_GE(w, g.view->Column(i)->MinWidth());
            total += w;
        }
    EXPECT_EQ(total, g.table()->viewport()->width());

    g.colBillNo->SetHeaderAlignment(Qt::AlignCenter);
    EXPECT_EQ(g.table()->model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::Alignment(Qt::AlignCenter));
    EXPECT_FALSE(g.view->Footer()->isVisible());
    g.view->SetFooterVisible(true);
    EXPECT_TRUE(g.view->Footer()->isVisible());
}

TEST(GridLarge, HundredThousandRowsWithoutAWidgetPerRow)
{
    Dataset big({{"ID", FieldType::Integer}, {"Name", FieldType::Text}, {"Amount", FieldType::Currency}});
    big.Reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        big.AppendRow({qlonglong(i), QStringLiteral("商品%1").arg(i), QVariant::fromValue(Currency::FromInt(i % 100))});
    }
    big.EndLoad();
    DataSource source;
    source.SetDataSet(&big);
    Grid grid;
    grid.resize(600, 400);
    TableView* view = grid.CreateTableView();
    for (const char* f : {"ID", "Name", "Amount"})
        view->CreateColumn()->SetFieldName(QString::fromLatin1(f));
    view->DataController()->AddFooterSummary(FooterSummary::Kind::Sum, view->Column(2), QStringLiteral("0.00"));
    view->SetFooterVisible(true);
    view->DataController()->SetDataSource(&source);
    grid.show();
    EXPECT_EQ(view->Table()->model()->rowCount(), 100000);
    EXPECT_EQ(view->DataController()->RowCount(), 100000);
    EXPECT_EQ(view->DataController()->FooterSummaryText(0), "4950000.00");
    view->Table()->scrollToBottom();
    view->DataController()->SetFocusedRecordIndex(99999);
    EXPECT_EQ(big.RecNo(), 99999);
    view->Table()->viewport()->repaint();
    // Virtual: the view holds a handful of widgets, not one per row.
    EXPECT_LT(grid.findChildren<QWidget*>().size(), 60);
}

TEST(GridEditing, ButtonEditCellsUpperCaseAndReportTheirButton)
{
    BillGrid g;
    g.colBillNo->Properties().SetKind(EditorKind::ButtonEdit);
    g.colBillNo->Properties().SetUpperCase(true);
    int buttons = 0;
    g.colBillNo->Properties().OnButtonClick = [&](GridColumn* column, int index) {
        EXPECT_EQ(column, g.colBillNo);
        EXPECT_EQ(index, 0);
        ++buttons;
    };
    g.table()->setFocus();
    g.view->SetFocusedColumn(g.colBillNo);
    QTest::keyClick(g.table(), 'd');
    auto* editor = qobject_cast<ButtonEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "b-7");
    EXPECT_EQ(editor->text(), "DB-7");
    editor->ButtonAction()->trigger();
    EXPECT_EQ(buttons, 1);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(g.data.FieldByName("BillNo").AsString(), "DB-7");
}

TEST(GridEditing, AlwaysShowEditorOpensTheEditorOnTheFocusedCell)
{
    BillGrid g;
    g.view->SetAlwaysShowEditor(true);
    g.table()->setFocus();
    g.view->SetFocusedColumn(g.colBillNo);
    g.view->DataController()->SetFocusedRecordIndex(1);
    EXPECT_TRUE(g.view->IsEditing());
    g.view->HideEditor(false);
    EXPECT_FALSE(g.view->IsEditing());
    g.colCount->SetEditing(false);
    g.view->SetFocusedColumn(g.colCount);
    EXPECT_FALSE(g.view->IsEditing()); // not where editing is not allowed
}

TEST(GridEditing, AlwaysShowEditorOpensOnANewRecordInPlaceOfAnUntouchedOneAndWhenTabbedInto)
{
    BillGrid g;
    g.view->SetAlwaysShowEditor(true);
    g.view->SetFocusFirstCellOnNewRecord(true);
    auto* before = new QLineEdit(&g.window);
    QWidget::setTabOrder(before, g.table());
    before->show();
    g.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g.window));
    // An untouched new record, the cursor on another column of it.
    g.data.Append();
    g.view->SetFocusedColumn(g.colCount);
    ASSERT_EQ(g.view->DataController()->FocusedRecordIndex(), 3);
    // Another new record takes its place, on the same row: first cell, editor open.
    g.data.Append();
    g.view->SetFocus();
    EXPECT_EQ(g.view->DataController()->RowCount(), 4);
    EXPECT_EQ(g.view->FocusedColumn(), g.colBillNo);
    EXPECT_TRUE(g.view->IsEditing());
    // Tabbed into from the control before it, the grid edits its current cell.
    g.view->HideEditor(false);
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_TRUE(g.view->IsEditing());
    EXPECT_TRUE(g.table()->isAncestorOf(QApplication::focusWidget()));
}

TEST(GridEditing, HandlerReplacingThePendingLineWhileItsEditorIsOpen)
{
    // The bill editor's code column: the typed code removes the empty new line and a new,
    // complete line is appended and posted in its place.
    BillGrid g;
    g.view->SetAllowAppend(true);
    g.colBillNo->Properties().OnValidate = [&](GridColumn*, QVariant& value, QString&, bool&) {
        const QString code = value.toString();
        g.data.Delete(); // the pending line
        g.data.Append();
        g.data.FieldByName("BillNo").SetValue(code + QStringLiteral("-OK"));
        g.data.FieldByName("BillStatus").SetValue(1);
        g.data.Post();
    };
    g.table()->setFocus();
    g.data.Append();
    g.view->SetFocusedColumn(g.colBillNo);
    EXPECT_EQ(g.view->DataController()->RowCount(), 4);
    QTest::keyClick(g.table(), 'N');
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(g.view->IsEditing());
    QTest::keyClicks(editor, "EW");
    QTest::keyClick(editor, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(g.data.RecordCount(), 4);
    EXPECT_EQ(g.data.GetState(), Dataset::State::Browse);
    EXPECT_EQ(g.data.At(3, 0).toString(), "NEW-OK");
    EXPECT_EQ(g.view->DataController()->RowCount(), 4);
    EXPECT_EQ(g.view->DataController()->FocusedRecordIndex(), 3);
    EXPECT_FALSE(g.view->IsEditing());
}
