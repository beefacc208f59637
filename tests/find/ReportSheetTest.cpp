// The report-sheet wrapper and the built-in control behind it: forwarding by dispatch id, the
// sheet operations, the workbook it writes, its modal preview and its find.
#include "tests/find/FindFixture.h"

#include "platform/ReportSheet.h"
#include "platform/core/Exception.h"
#include "platform/workbook/Workbook.h"
#include "plugin/CELL50Lib_TLB.h"

#include <QInputDialog>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QTableView>
#include <QTemporaryDir>

using namespace findtest;

namespace {

class ReportSheetTest : public WindowTest {
protected:
    TCell* cell = nullptr;
    platform::ReportSheet* report = nullptr;

    void SetUp() override
    {
        WindowTest::SetUp();
        cell = Own(new TCell(window.get()), QStringLiteral("Cell"));
        report = cell->ReportSheet();
        ASSERT_NE(report, nullptr);
        report->SetSheetCount(2);
        report->SetCellValue(1, 1, 0, QStringLiteral("品名"));
        report->SetCellValue(2, 1, 0, QStringLiteral("数量"));
        report->SetCellValue(1, 2, 0, QStringLiteral("苹果"));
        report->SetCellValue(2, 2, 0, 3.0);
        report->SetCellValue(1, 3, 0, QStringLiteral("香蕉"));
        report->SetCellValue(2, 3, 0, 4.5);
        report->SetCellValue(1, 4, 0, QStringLiteral("合计"));
        report->SetFormula(2, 4, 0, QStringLiteral("SUM(B2:B3)"));
    }
};

} // namespace

TEST_F(ReportSheetTest, TheWrapperForwardsEachOperationToTheControl)
{
    EXPECT_EQ(cell->GetTotalSheets(), 2);
    EXPECT_EQ(cell->GetCols(0), 2);
    EXPECT_EQ(cell->GetRows(0), 4);
    EXPECT_EQ(cell->GetCols(1), 0);
    EXPECT_EQ(cell->IsFormulaCell(2, 4, 0), 1);
    EXPECT_EQ(cell->IsFormulaCell(2, 3, 0), 0);
    EXPECT_EQ(cell->GetFormula(2, 4, 0), QStringLiteral("SUM(B2:B3)"));
    EXPECT_EQ(report->CellText(2, 4, 0), QStringLiteral("7.5"));
    report->SetCurSheet(1);
    EXPECT_EQ(cell->GetCurSheet(), 1);
    EXPECT_EQ(&cell->DefaultInterface(), static_cast<platform::DispatchControl*>(report));

    // Errors of the control reach the caller as exceptions.
    EXPECT_THROW(cell->GetCols(5), platform::Exception);
    EXPECT_THROW(report->Invoke(999, {}), platform::Exception);
    EXPECT_THROW(report->Invoke(CELL50Lib::DISPID_GetFormula, {1}), platform::Exception);
    TCell empty(std::unique_ptr<platform::DispatchControl>{});
    EXPECT_THROW(empty.GetTotalSheets(), platform::Exception);
    EXPECT_EQ(empty.ReportSheet(), nullptr);
}

TEST_F(ReportSheetTest, ItsWorkbookHoldsTheValuesItShows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.xlsx"));
    EXPECT_EQ(cell->ExportExcelFile(path), 1);
    const platform::excel::BookData back = platform::excel::ReadXlsx(path);
    ASSERT_EQ(back.sheets.size(), 2);
    const platform::excel::BookCell* total = back.sheets[0].Cell(1, 3);
    ASSERT_NE(total, nullptr);
    EXPECT_TRUE(total->formula.isEmpty());
    EXPECT_EQ(total->value.toDouble(), 7.5);
    EXPECT_EQ(back.sheets[0].Cell(0, 1)->value.toString(), QStringLiteral("苹果"));
}

TEST_F(ReportSheetTest, PreviewIsModalAndTitledForTheCaptionWatch)
{
    app.OnDialog<QPrintPreviewDialog>([](QPrintPreviewDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("打印预览"));
        d.reject();
    });
    cell->PreviewSheet(1, 0);
    ASSERT_EQ(app.Dialogs().size(), 1);
    EXPECT_EQ(app.Dialogs()[0].title, QStringLiteral("打印预览"));

    app.OnDialog<QPrintDialog>([](QPrintDialog& d) { d.reject(); });
    cell->PrintSheet(1, 0);
    EXPECT_EQ(app.Dialogs().size(), 2);
    EXPECT_THROW(cell->PreviewSheet(1, 7), platform::Exception);

    // The rendering itself: a long sheet runs over several pages. Filled inside an update,
    // formulas follow once, at its end.
    report->BeginUpdate();
    for (int r = 5; r <= 200; ++r)
        report->SetCellValue(1, r, 0, QStringLiteral("行%1").arg(r));
    report->SetCellValue(2, 2, 0, 10.0);
    EXPECT_EQ(report->CellText(2, 4, 0), QStringLiteral("7.5"));
    EXPECT_EQ(report->View()->model()->rowCount(), 4);
    report->EndUpdate();
    EXPECT_EQ(report->CellText(2, 4, 0), QStringLiteral("14.5"));
    EXPECT_EQ(report->View()->model()->rowCount(), 200);
    QTemporaryDir dir;
    QPdfWriter pdf(dir.filePath(QStringLiteral("r.pdf")));
    EXPECT_GT(report->Render(0, pdf), 1);
}

TEST_F(ReportSheetTest, FindMovesToTheNextCellHoldingTheText)
{
    auto answer = [this](const QString& text) {
        app.OnDialog<QInputDialog>([text](QInputDialog& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("查找"));
            d.setTextValue(text);
            d.accept();
        });
    };
    answer(QStringLiteral("蕉"));
    cell->FindCell(0);
    EXPECT_EQ(report->CurrentCell(), QPoint(1, 3));
    answer(QStringLiteral("7.5"));
    cell->FindCell(0);
    EXPECT_EQ(report->CurrentCell(), QPoint(2, 4));
    answer(QStringLiteral("苹果")); // before the cursor: not found, no wrap
    cell->FindCell(0);
    EXPECT_EQ(report->CurrentCell(), QPoint(2, 4));
    EXPECT_EQ(app.ShownMessages(), QStringList{QStringLiteral("查找不到要搜索的数据")});

    // Through the window's find command.
    report->SetCurrentCell(1, 1);
    answer(QStringLiteral("苹果"));
    EXPECT_TRUE(window->FindData());
    EXPECT_EQ(report->CurrentCell(), QPoint(1, 2));
}
