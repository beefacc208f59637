#pragma once
// One sheet of workbook data as a table model: columns A, B, ... and rows 1, 2, ... as far as
// the sheet's cells reach; a cell shows its value (a formula cell its computed value) and edits
// as its text or "=formula". Shared by the spreadsheet book and the report sheet.
#include "platform/workbook/Workbook.h"

#include <QAbstractTableModel>
#include <functional>

class QTabBar;
class QTableView;

namespace platform {

class BookSheetModel;

// A book's sheet view filling owner: a word-wrapping table view named name over model, and the
// sheet tabs at its foot; choosing another tab calls choose(index).
struct SheetView {
    QTableView* view;
    QTabBar* tabs;
};
SheetView AddSheetView(QWidget* owner, const QString& name, BookSheetModel* model, std::function<void(int index)> choose);
// The tabs anew from the book's sheets with current chosen; hidden while there is one sheet.
void ShowSheetTabs(QTabBar* tabs, const excel::BookData& book, int current);

class BookSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using SheetFn = std::function<const excel::BookSheet*()>;
    // Takes what the user typed into a cell (column, row from 0); empty: the sheet is read-only.
    using EditFn = std::function<void(int column, int row, const QString& text)>;

    BookSheetModel(SheetFn sheet, EditFn edit, QObject* parent = nullptr);

    // After the sheet changed as a whole (loaded, switched, many cells set).
    void Reset();
    // After one cell changed.
    void CellChanged(int column, int row);

    // The text a cell shows: numbers as plain decimals, Booleans as TRUE/FALSE.
    static QString DisplayText(const excel::BookCell& cell);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    SheetFn sheet_;
    EditFn edit_;
    int rows_ = 0;
    int columns_ = 0;
};

} // namespace platform
