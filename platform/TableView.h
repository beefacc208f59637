#pragma once
// A table view of a grid: columns over a data controller, footer summaries, content styles and
// view options, painted by a QTableView (virtual: no widget per row) with a footer row under it.
// The view is a QObject of exact class identity (IsExactly<TableView>); its widget lives in the
// grid. Keys: arrows and Page keys move, Tab / Shift+Tab move between focusable cells (Enter too
// when GoToNextCellOnEnter is set), typing starts editing where allowed, F2 edits, Esc cancels
// the editor or the pending record, Down on the last row appends when appending is allowed,
// Insert inserts (appends) and Ctrl+Delete deletes when allowed.
#include "platform/DataController.h"
#include "platform/GridColumn.h"
#include "platform/GridStyle.h"
#include "platform/GridStyleSheet.h"

#include <QObject>
#include <QPointer>
#include <QVector>
#include <memory>

class QModelIndex;
class QTableView;
class QWidget;

namespace platform {

class Grid;
class GridDelegate;
class GridFooter;
class GridTableWidget;
class TableViewModel;

class TableView : public QObject {
    Q_OBJECT
public:
    explicit TableView(Grid* grid, const QString& name = {});
    ~TableView() override;

    Grid* GetGrid() const { return grid_; }
    platform::DataController* DataController() const { return controller_.get(); }

    // Columns, in view order; the index is the item index.
    GridColumn* CreateColumn(const QString& name = {});
    // A column bound to a field, with its caption and, when width > 0, its width.
    GridColumn* CreateColumn(const QString& name, const QString& caption, const QString& field, int width);
    int ColumnCount() const { return int(columns_.size()); }
    GridColumn* Column(int index) const; // nullptr outside
    GridColumn* ColumnByName(const QString& objectName) const;
    GridColumn* ColumnByFieldName(const QString& fieldName) const; // first such, ignoring case
    int VisibleColumnCount() const;
    void ClearColumns();
    // The column of the cell cursor, or nullptr.
    GridColumn* FocusedColumn() const;
    void SetFocusedColumn(GridColumn* column);

    // Styles: a style sheet (not owned, e.g. the host's sheet 0) and per-view overrides.
    void SetStyleSheet(const GridStyleSheet* sheet);
    const GridStyleSheet* StyleSheet() const { return sheet_; }
    void SetStyle(GridStyleSheet::StyleName part, const GridStyle* style); // not owned; nullptr clears
    // The view's style for a part: its own override, else the sheet's; nullptr when absent.
    const GridStyle* Style(GridStyleSheet::StyleName part) const;
    // The style a cell paints with: content, even/odd, then the column's handler.
    GridStyle CellStyle(int recordIndex, GridColumn* column) const;

    // This platform's views do not group rows.
    int GroupedItemCount() const { return 0; }

    // OptionsView
    bool ColumnAutoWidth() const { return columnAutoWidth_; }
    void SetColumnAutoWidth(bool on);
    bool FooterVisible() const { return footerVisible_; }
    void SetFooterVisible(bool on);
    bool GroupByBoxVisible() const { return false; }
    void SetGroupByBoxVisible(bool) {} // no grouping: the box never shows
    bool HeaderVisible() const { return headerVisible_; }
    void SetHeaderVisible(bool on);
    bool GridLines() const { return gridLines_; }
    void SetGridLines(bool on);
    bool CellAutoHeight() const { return cellAutoHeight_; }
    void SetCellAutoHeight(bool on);
    // OptionsSelection: cell cursor with whole-row highlight when false.
    bool CellSelect() const { return cellSelect_; }
    void SetCellSelect(bool on);
    // OptionsData
    bool AllowAppend() const { return allowAppend_; }
    void SetAllowAppend(bool on) { allowAppend_ = on; }
    bool AllowInsert() const { return allowInsert_; }
    void SetAllowInsert(bool on) { allowInsert_ = on; }
    bool AllowDelete() const { return allowDelete_; }
    void SetAllowDelete(bool on) { allowDelete_ = on; }
    bool Editing() const { return editing_; }
    void SetEditing(bool on);
    // OptionsBehavior
    bool GoToNextCellOnEnter() const { return nextCellOnEnter_; }
    void SetGoToNextCellOnEnter(bool on) { nextCellOnEnter_ = on; }
    bool AlwaysShowEditor() const { return alwaysShowEditor_; }
    void SetAlwaysShowEditor(bool on);
    bool ImmediatePost() const { return immediatePost_; }
    void SetImmediatePost(bool on) { immediatePost_ = on; }
    bool FocusFirstCellOnNewRecord() const { return focusFirstCellOnNewRecord_; }
    void SetFocusFirstCellOnNewRecord(bool on) { focusFirstCellOnNewRecord_ = on; }
    bool CellHints() const { return cellHints_; }
    void SetCellHints(bool on) { cellHints_ = on; }

    // The painted parts. Widget() holds the table and the footer.
    QWidget* Widget() const;
    QTableView* Table() const;
    GridFooter* Footer() const;
    void SetFocus();

    // Cell editor of the focused cell.
    bool IsEditing() const;
    void ShowEditor();
    void HideEditor(bool commit);

    // Internal: column and style changes.
    void ColumnChanged(GridColumn* column, bool layout);

signals:
    void CellClick(int recordIndex, platform::GridColumn* column);
    void CellDblClick(int recordIndex, platform::GridColumn* column);
    void FocusedRecordChanged(int previousRecord, int focusedRecord);
    void FocusedItemChanged(platform::GridColumn* previous, platform::GridColumn* focused);
    // After every change of the shown data (the data controller's DataChanged as well).
    void DataChanged();
    // Keys on the grid (key 0 afterwards: consumed) and in a cell editor.
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    void EditKeyDown(platform::GridColumn* column, int& key, Qt::KeyboardModifiers shift);

protected:
    // Puts a strip (band captions) above the table.
    void InsertStrip(QWidget* strip);

private:
    friend class GridDelegate;
    friend class GridTableWidget;
    friend class platform::DataController;
    void BindModel();
    void RelayoutColumns();
    void ApplyStyleSheet();
    void OnCurrentChanged(int previousRow, int currentRow, int previousColumn, int currentColumn);
    void OnSourceCurrentChanged(int row);
    void OnDataChanged();
    void SyncFromSource();
    void ShowError(const QString& text) const;
    // firstCell: on the first focusable column rather than the current one.
    void FocusRow(int row, bool firstCell = false);
    // With AlwaysShowEditor, opens the editor of the current cell while the table has the focus.
    void ShowAlwaysEditor();
    int NextFocusableColumn(int from, int step) const;
    bool ColumnFocusable(int index) const;
    // Keys the grid handles itself; true when consumed.
    bool HandleKey(int key, Qt::KeyboardModifiers mods, bool fromEditor);
    // Tab and Backtab: the next cell, else a new record at the end, else out of the grid.
    void TabKey(bool backward);
    // Enter: the next cell with GoToNextCellOnEnter, else the current cell's editor; true when consumed.
    bool EnterKey(const QModelIndex& cur, bool fromEditor);
    // PageUp and PageDown from an editor: a page of rows up or down, in the same column.
    void PageKey(bool down, const QModelIndex& cur);
    bool MoveToNextCell(bool backward);
    bool AppendRecord();
    bool DeleteRecord();
    // Commits an editor value through validation; false when refused.
    bool CommitValue(int row, int column, const QVariant& entry, bool invalid);

    Grid* grid_;
    std::unique_ptr<platform::DataController> controller_;
    QVector<GridColumn*> columns_; // owned as QObject children
    const GridStyleSheet* sheet_ = nullptr;
    const GridStyle* overrides_[16] = {};
    QPointer<QWidget> container_;
    GridTableWidget* table_ = nullptr;
    GridFooter* footer_ = nullptr;
    TableViewModel* model_ = nullptr;
    GridDelegate* delegate_ = nullptr;
    int focusedRecord_ = -1;
    int syncing_ = 0;
    bool relayouting_ = false;
    quint64 dataVersion_ = 0;
    QMetaObject::Connection sourceCurrent_;

    bool columnAutoWidth_ = false;
    bool footerVisible_ = false;
    bool headerVisible_ = true;
    bool gridLines_ = true;
    bool cellAutoHeight_ = false;
    bool cellSelect_ = true;
    bool allowAppend_ = true;
    bool allowInsert_ = true;
    bool allowDelete_ = true;
    bool editing_ = true;
    bool nextCellOnEnter_ = false;
    bool alwaysShowEditor_ = false;
    bool immediatePost_ = false;
    bool focusFirstCellOnNewRecord_ = false;
    bool cellHints_ = false;
};

} // namespace platform
