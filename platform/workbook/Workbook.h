#pragma once
// A workbook as plain data: sheets of cells, each with a value, an optional formula and a style
// (word wrap, number format). What the spreadsheet book and the report sheet hold, what the
// .xlsx reader produces and the book writer takes. No UI: every function here throws
// platform::Exception with a readable text and asks nothing.
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

namespace platform::excel {

// The most cells a workbook may hold when it is read or written here. A sheet beyond it is
// refused with a clear error instead of exhausting memory on a workstation.
inline constexpr int kMaxBookCells = 500000;
// Excel's own bounds: 1,048,576 rows and 16,384 columns (A..XFD).
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;
// What the reader takes from one file at most, so that a small hostile file cannot hold the
// workstation: sheets, shared strings (no more than cells can use), cell formats (Excel's own
// limit is about 64,000), parts in the archive, and the bytes inflated from all parts together
// (a part read for two sheets counts twice).
inline constexpr int kMaxSheets = 1024;
inline constexpr int kMaxSharedStrings = kMaxBookCells;
inline constexpr int kMaxCellFormats = 65536;
inline constexpr int kMaxParts = 10000;
inline constexpr qint64 kMaxInflatedBytes = 256ll * 1024 * 1024;
// The most cell reads one recalculation (or one formula) may make: formulas over wide ranges
// in a full book would otherwise run for minutes.
inline constexpr qint64 kMaxFormulaReads = 20000000;

struct BookCell {
    // A number (double), a text (QString), a Boolean or invalid (empty). For a formula cell:
    // its last computed value.
    QVariant value;
    QString formula; // without the leading "="; empty: no formula
    bool wordWrap = false;
    QString numberFormat; // spreadsheet format code; empty: General
    bool HasFormula() const { return !formula.isEmpty(); }
};

// One sheet. Columns and rows count from 0 here; cells are kept in row order.
class BookSheet {
public:
    QString name;

    const BookCell* Cell(int column, int row) const; // nullptr when the cell was never set
    // Made empty when absent. Both throw platform::Exception for a position outside Excel's
    // bounds, which the key could not tell apart from another cell.
    BookCell& CellAt(int column, int row);
    // CellAt for cells that mostly come in row order, as a file holds them: cheap at the end.
    BookCell& AppendCell(int column, int row);
    void Remove(int column, int row);
    void Clear() { cells_.clear(); }
    int CellCount() const { return int(cells_.size()); }
    // One past the last used column and row (0 for an empty sheet).
    int ColumnCount() const;
    int RowCount() const;

    using Cells = QMap<qint64, BookCell>;
    const Cells& AllCells() const { return cells_; }
    static qint64 Key(int column, int row) { return (qint64(row) << 16) | qint64(column); }
    static int ColumnOf(qint64 key) { return int(key & 0xFFFF); }
    static int RowOf(qint64 key) { return int(key >> 16); }

private:
    Cells cells_;
};

struct BookData {
    QVector<BookSheet> sheets;
    bool defaultWordWrap = false; // the default style's word wrap: every cell wraps
    int CellCount() const;
};

// "A1" for column 0, row 0; empty outside Excel's bounds.
QString CellName(int column, int row);
// Reads "A1", "$B$7", "xfd1048576" (letters ignoring case). False for anything else.
bool ParseCellName(QStringView text, int& column, int& row);

// Told how far a read has come: bytes of the workbook's parts read so far, of the total the
// archive declares for them. Returns false to stop the read. Called often; it should be cheap.
using ReadProgress = std::function<bool(qint64 done, qint64 total)>;

// Reads an Office Open XML workbook: every sheet's values, formulas (shared formulas keep only
// their stored values), word wrap and number formats. Throws platform::Exception naming the
// file when it is missing, no workbook (not a zip, a truncated or damaged file), protected by a
// password, holds more than kMaxBookCells cells, passes another of the limits above, or places
// a cell outside Excel's rows and columns; throws platform::EAbort when progress said stop.
BookData ReadXlsx(const QString& path, const ReadProgress& progress = {});

// Writes the book as .xlsx with libxlsxwriter: numbers as numbers, texts as texts, formulas as
// live formulas with their computed value, wrap and number formats. The file takes its name
// only when complete: a failed write leaves any earlier file untouched and no partial one.
void WriteBook(const BookData& book, const QString& path);

// The value of a formula (without "=") on a sheet: numbers, texts in double quotes, cell
// references and ranges (A1, $A$1, A1:B3), + - * / & and parentheses, and the functions SUM,
// AVERAGE, MIN, MAX and COUNT. A referenced formula cell is computed first. An error gives the
// spreadsheet's error text ("#VALUE!", "#DIV/0!", "#NAME?", "#REF!" for a circular reference).
// A range is read over the cells the sheet holds, however wide it is. Throws
// platform::Exception when the formula would read more than kMaxFormulaReads cells.
QVariant EvaluateFormula(const QString& formula, const BookSheet& sheet);
// Computes every formula cell of the sheet again and stores the values. Throws
// platform::Exception, storing nothing, when the formulas together would read more than
// kMaxFormulaReads cells.
void Recalculate(BookSheet& sheet);

// A name for the workbook the export writes: Office Open XML, so it ends in .xlsx (a name with
// the dialog's ".xls" or without an extension gets ".xlsx").
QString XlsxFileName(QString name);

} // namespace platform::excel
