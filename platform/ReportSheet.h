#pragma once
// The built-in report-sheet control: sheets of cells holding values and formulas, shown one
// sheet at a time, that exports itself as a workbook, previews and prints a sheet modally
// (preview titled "打印预览") and finds a text among the shown cells. It answers the dispatch
// ids of the report control's operations the windows use. Sheets count from 0, columns and
// rows from 1, as the control's callers count them.
#include "platform/DispatchControl.h"
#include "platform/workbook/Workbook.h"

#include <QWidget>

class QPagedPaintDevice;
class QTabBar;
class QTableView;

namespace platform {

class BookSheetModel;

class ReportSheet : public QWidget, public DispatchControl {
    Q_OBJECT
public:
    // The dispatch ids this control answers.
    enum DispId : int {
        GetCols = 38,
        GetRows = 40,
        GetCurSheet = 111,
        IsFormulaCell = 121,
        ExportExcelFile = 129,
        PrintSheet = 132,
        PreviewSheet = 133,
        FindCell = 221,
        GetTotalSheets = 228,
        GetFormula = 327,
    };

    explicit ReportSheet(QWidget* parent = nullptr);
    ~ReportSheet() override;

    QVariant Invoke(int dispId, const QVariantList& args) override;
    QWidget* Widget() override { return this; }

    // Content, for the windows that fill a report.
    int SheetCount() const { return int(data_.sheets.size()); }
    void SetSheetCount(int count); // at least 1
    int CurSheet() const { return current_; }
    void SetCurSheet(int sheet);
    void SetSheetName(int sheet, const QString& name);
    void SetCellValue(int column, int row, int sheet, const QVariant& value);
    // The formula without "="; computed at once.
    void SetFormula(int column, int row, int sheet, const QString& formula);
    QVariant CellValue(int column, int row, int sheet) const;
    QString CellText(int column, int row, int sheet) const;
    // Brackets filling many cells: formulas are computed and the view shown once, at the end
    // of the outermost bracket, instead of after every cell.
    void BeginUpdate() { ++updating_; }
    void EndUpdate();
    // The cell with the cursor (column, row from 1); (0, 0) when none.
    QPoint CurrentCell() const;
    void SetCurrentCell(int column, int row);

    // The operations behind the dispatch ids.
    int Cols(int sheet) const;
    int Rows(int sheet) const;
    bool IsFormula(int column, int row, int sheet) const;
    QString Formula(int column, int row, int sheet) const;
    // Writes every sheet with its values (formula cells as their computed values).
    void ExportExcel(const QString& fileName) const;
    void Preview(int sheet);
    void Print(int sheet);
    void Find();
    // Draws the sheet's used cells as a ruled table, page after page; returns the page count.
    int Render(int sheet, QPagedPaintDevice& device) const;

    QTableView* View() const { return view_; }

private:
    const excel::BookSheet& SheetAt(int sheet) const; // throws outside the range
    static void CheckCell(int column, int row);
    void Changed();
    void ShowTabs();

    excel::BookData data_;
    int current_ = 0;
    int updating_ = 0;
    QTableView* view_;
    QTabBar* tabs_;
    BookSheetModel* model_;
};

} // namespace platform
