#pragma once
// The spreadsheet book: a widget showing the pages (sheets) of a workbook, one at a time, with
// tabs for the pages below. It loads and saves .xlsx files, gives cell objects with a style
// (word wrap), stores texts, numbers and formulas through its pages, computes formulas when
// automatic recalculation is on, and brackets bulk changes with BeginUpdate / EndUpdate.
// Exact class identity: IsExactly<SpreadsheetBook>. Columns and rows count from 0.
#include "platform/workbook/Workbook.h"

#include <QWidget>
#include <memory>

class QTabBar;
class QTableView;

namespace platform {

class BookSheetModel;
class SpreadsheetBook;

// A cell's style, written through to the book.
class SpreadsheetCellStyle {
public:
    bool WordWrap() const;
    void SetWordWrap(bool on);

private:
    friend class SpreadsheetCellObject;
    SpreadsheetCellStyle(SpreadsheetBook* book, int page, int column, int row)
        : book_(book), page_(page), column_(column), row_(row) {}
    SpreadsheetBook* book_;
    int page_, column_, row_;
};

// The object for one cell of a page; the caller frees it.
class SpreadsheetCellObject {
public:
    SpreadsheetCellObject(SpreadsheetBook* book, int page, int column, int row);
    SpreadsheetCellStyle Style() const { return SpreadsheetCellStyle(book_, page_, column_, row_); }
    QString Text() const;
    int Column() const { return column_; }
    int Row() const { return row_; }

private:
    SpreadsheetBook* book_;
    int page_, column_, row_;
};

// A handle on one page of a book; valid while the book has the page.
class SpreadsheetPage {
public:
    SpreadsheetPage(SpreadsheetBook* book, int index) : book_(book), index_(index) {}
    int Index() const { return index_; }
    QString Caption() const;
    std::unique_ptr<SpreadsheetCellObject> GetCellObject(int column, int row) const;
    // Stores what a user would type: with recognizeFormula a text starting with "=" becomes the
    // formula (computed at once under automatic recalculation); unless asText, a number text
    // becomes a number; anything else is text. An empty text empties the cell's value. When the
    // recalculation refuses (platform::Exception), the cell keeps what it held.
    void SetCellText(int column, int row, const QString& text, bool asText = false, bool recognizeFormula = true);
    // What the cell shows, its value and its formula (without "="; empty when none).
    QString CellText(int column, int row) const;
    QVariant CellValue(int column, int row) const;
    QString CellFormula(int column, int row) const;

private:
    SpreadsheetBook* book_;
    int index_;
};

class SpreadsheetBook : public QWidget {
    Q_OBJECT
public:
    explicit SpreadsheetBook(QWidget* parent = nullptr);
    ~SpreadsheetBook() override;

    // Replaces the book with the workbook in the file. Throws platform::Exception (the book
    // keeps what it held) when the file is no readable workbook or its formulas pass the
    // recalculation's limit, platform::EAbort (the same) when progress said stop.
    void LoadFromFile(const QString& fileName, const excel::ReadProgress& progress = {});
    // Writes the book to the file as .xlsx; throws platform::Exception when it cannot.
    void SaveToFile(const QString& fileName);

    int PageCount() const { return int(data_.sheets.size()); }
    SpreadsheetPage Pages(int index); // throws platform::Exception outside the range
    int AddPage(const QString& caption); // returns the new page's index
    int ActivePage() const { return active_; }
    void SetActivePage(int index);

    // The default style: its word wrap applies to every cell.
    bool DefaultWordWrap() const { return data_.defaultWordWrap; }
    void SetDefaultWordWrap(bool on);

    bool AutoRecalc() const { return autoRecalc_; }
    void SetAutoRecalc(bool on);
    // Computes every formula of every page again.
    void Recalc();

    void BeginUpdate() { ++updating_; }
    // Ends one BeginUpdate; the outermost one computes formulas (automatic recalculation) and
    // shows the changes.
    void EndUpdate();
    bool IsUpdating() const { return updating_ > 0; }
    // Shows the book's data anew.
    void UpdateControl();

    const excel::BookData& Data() const { return data_; }
    QTableView* View() const { return view_; }

    // Internal: the pages' access to the data.
    excel::BookSheet& Sheet(int page);
    const excel::BookSheet* SheetOrNull(int page) const;
    void CellChanged(int page, int column, int row);

private:
    void ShowTabs();

    excel::BookData data_;
    int active_ = 0;
    bool autoRecalc_ = true;
    int updating_ = 0;
    bool dirty_ = false;
    QTableView* view_;
    QTabBar* tabs_;
    BookSheetModel* model_;
};

} // namespace platform
