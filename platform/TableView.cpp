#include "platform/TableView.h"

#include "platform/Application.h"
#include "platform/DataController.h"
#include "platform/DataSource.h"
#include "platform/core/Dataset.h"
#include "platform/Grid.h"
#include "platform/GridDelegate.h"
#include "platform/GridFooter.h"
#include "platform/GridTableWidget.h"
#include "platform/SlotGuard.h"
#include "platform/TableViewModel.h"

#include <algorithm>
#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace platform {

TableView::TableView(Grid* grid, const QString& name) : QObject(grid), grid_(grid)
{
    if (!name.isEmpty())
        setObjectName(name);
    controller_ = std::make_unique<platform::DataController>(this);

    container_ = new QWidget(grid);
    auto* layout = new QVBoxLayout(container_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    table_ = new GridTableWidget(this, container_);
    footer_ = new GridFooter(this, container_);
    layout->addWidget(table_, 1);
    layout->addWidget(footer_);
    footer_->setVisible(false);

    model_ = new TableViewModel(this);
    delegate_ = new GridDelegate(this);
    table_->setModel(model_);
    table_->setItemDelegate(delegate_);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setMinimumSectionSize(8);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->horizontalHeader()->setSectionsMovable(false);
    table_->horizontalHeader()->setMinimumSectionSize(0);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    table_->setWordWrap(false);
    table_->setTabKeyNavigation(true);
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    table_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);

    connect(model_, &TableViewModel::StructureChanged, this, [this] { SyncFromSource(); });
    connect(controller_.get(), &DataController::DataChanged, this, [this] { OnDataChanged(); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (relayouting_ || columnAutoWidth_)
            return;
        if (GridColumn* c = Column(logical)) {
            relayouting_ = true;
            c->SetWidth(size);
            relayouting_ = false;
        }
        footer_->update();
    });
    connect(table_->horizontalScrollBar(), &QScrollBar::valueChanged, footer_, qOverload<>(&QWidget::update));
}

TableView::~TableView()
{
    if (container_)
        delete container_.data();
}

QWidget* TableView::Widget() const { return container_; }
QTableView* TableView::Table() const { return table_; }
GridFooter* TableView::Footer() const { return footer_; }
void TableView::SetFocus()
{
    table_->setFocus();
    ShowAlwaysEditor();
}

void TableView::ShowAlwaysEditor()
{
    // The cursor may already sit on the cell (a new record in place of an untouched one), so no
    // change of the current cell opens the editor.
    if (!alwaysShowEditor_ || IsEditing() || !table_->hasFocus())
        return;
    const QModelIndex cur = table_->currentIndex();
    if (cur.isValid() && (model_->flags(cur) & Qt::ItemIsEditable))
        table_->edit(cur);
}

void TableView::InsertStrip(QWidget* strip)
{
    strip->setParent(container_);
    static_cast<QVBoxLayout*>(container_->layout())->insertWidget(0, strip);
}

// ---- columns -------------------------------------------------------------------------------

GridColumn* TableView::CreateColumn(const QString& name)
{
    auto* column = new GridColumn(this, name);
    columns_.push_back(column);
    connect(column, &QObject::destroyed, this, [this, column] {
        if (columns_.removeOne(column)) {
            model_->ColumnsChanged(true);
            RelayoutColumns();
        }
    });
    model_->ColumnsChanged(true);
    RelayoutColumns();
    return column;
}

GridColumn* TableView::CreateColumn(const QString& name, const QString& caption, const QString& field, int width)
{
    GridColumn* column = CreateColumn(name);
    column->SetCaption(caption);
    column->SetFieldName(field);
    if (width > 0)
        column->SetWidth(width);
    return column;
}

GridColumn* TableView::Column(int index) const
{
    return index >= 0 && index < columns_.size() ? columns_[index] : nullptr;
}

GridColumn* TableView::ColumnByName(const QString& objectName) const
{
    for (GridColumn* c : columns_)
        if (c->objectName() == objectName)
            return c;
    return nullptr;
}

GridColumn* TableView::ColumnByFieldName(const QString& fieldName) const
{
    for (GridColumn* c : columns_)
        if (c->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

int TableView::VisibleColumnCount() const
{
    return int(std::count_if(columns_.begin(), columns_.end(), [](const GridColumn* c) { return c->Visible(); }));
}

void TableView::ClearColumns()
{
    const auto old = columns_;
    columns_.clear();
    for (GridColumn* c : old)
        delete c;
    model_->ColumnsChanged(true);
}

GridColumn* TableView::FocusedColumn() const
{
    const QModelIndex cur = table_->currentIndex();
    return cur.isValid() ? Column(cur.column()) : nullptr;
}

void TableView::SetFocusedColumn(GridColumn* column)
{
    if (!column || column->View() != this)
        return;
    const QModelIndex cur = table_->currentIndex();
    const int row = cur.isValid() ? cur.row() : (model_->rowCount() > 0 ? 0 : -1);
    if (row >= 0)
        table_->setCurrentIndex(model_->index(row, column->Index()));
}

void TableView::ColumnChanged(GridColumn* column, bool layout)
{
    model_->HeaderChanged();
    model_->ColumnsChanged(false);
    if (layout)
        RelayoutColumns();
    footer_->update();
}

bool TableView::ColumnFocusable(int index) const
{
    const GridColumn* c = Column(index);
    return c && c->Visible() && c->Focusing();
}

int TableView::NextFocusableColumn(int from, int step) const
{
    for (int c = from + step; c >= 0 && c < columns_.size(); c += step)
        if (ColumnFocusable(c))
            return c;
    return -1;
}

void TableView::RelayoutColumns()
{
    if (relayouting_)
        return;
    relayouting_ = true;
    QHeaderView* header = table_->horizontalHeader();
    for (int i = 0; i < columns_.size(); ++i)
        table_->setColumnHidden(i, !columns_[i]->Visible());
    const int available = table_->viewport()->width();
    int total = 0;
    for (const GridColumn* c : columns_)
        if (c->Visible())
            total += std::max(c->Width(), c->MinWidth());
    if (columnAutoWidth_ && available > 0 && total > 0) {
        // Columns share the width in proportion to their own widths, none below its minimum.
        int used = 0;
        int lastVisible = -1;
        for (int i = 0; i < columns_.size(); ++i)
            if (columns_[i]->Visible())
                lastVisible = i;
        for (int i = 0; i < columns_.size(); ++i) {
            const GridColumn* c = columns_[i];
            if (!c->Visible())
                continue;
            int w = int(std::floor(double(std::max(c->Width(), c->MinWidth())) * available / total));
            if (i == lastVisible)
                w = available - used;
            w = std::max(w, c->MinWidth());
            header->resizeSection(i, w);
            used += w;
        }
    } else {
        for (int i = 0; i < columns_.size(); ++i)
            if (columns_[i]->Visible())
                header->resizeSection(i, std::max(columns_[i]->Width(), columns_[i]->MinWidth()));
    }
    table_->setHorizontalScrollBarPolicy(columnAutoWidth_ ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    relayouting_ = false;
    footer_->update();
    for (QWidget* w : container_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w != table_ && w != footer_)
            w->update();
}

// ---- styles --------------------------------------------------------------------------------

void TableView::SetStyleSheet(const GridStyleSheet* sheet)
{
    sheet_ = sheet;
    ApplyStyleSheet();
}

void TableView::SetStyle(GridStyleSheet::StyleName part, const GridStyle* style)
{
    if (int(part) >= 0 && int(part) < int(std::size(overrides_)))
        overrides_[int(part)] = style;
    ApplyStyleSheet();
}

const GridStyle* TableView::Style(GridStyleSheet::StyleName part) const
{
    if (int(part) >= 0 && int(part) < int(std::size(overrides_)) && overrides_[int(part)])
        return overrides_[int(part)];
    return sheet_ ? sheet_->Style(part) : nullptr;
}

GridStyle TableView::CellStyle(int recordIndex, GridColumn* column) const
{
    GridStyle s;
    if (const GridStyle* content = Style(GridStyleSheet::Content))
        content->MergeOnto(s);
    if (const GridStyle* parity = Style(recordIndex % 2 == 0 ? GridStyleSheet::ContentEven : GridStyleSheet::ContentOdd))
        parity->MergeOnto(s);
    if (column && column->OnGetContentStyle) {
        GridStyle* handed = nullptr;
        Guarded([&] { column->OnGetContentStyle(const_cast<TableView*>(this), recordIndex, handed); });
        if (handed)
            handed->MergeOnto(s);
    }
    return s;
}

void TableView::ApplyStyleSheet()
{
    ApplyViewStyles(table_, container_->font(), Style(GridStyleSheet::Content), Style(GridStyleSheet::Selection),
                    Style(GridStyleSheet::Inactive));
    QHeaderView* header = table_->horizontalHeader();
    if (const GridStyle* h = Style(GridStyleSheet::Header)) {
        QString css;
        if (h->IsAssigned(GridStyle::svColor))
            css += QStringLiteral("background-color: %1;").arg(h->Color().name());
        const QColor text = h->EffectiveTextColor();
        if (text.isValid())
            css += QStringLiteral("color: %1;").arg(text.name());
        header->setStyleSheet(css.isEmpty() ? QString()
                                            : QStringLiteral("QHeaderView::section { %1 padding: 2px 4px;"
                                                             " border: 0px; border-right: 1px solid #a0a0a0;"
                                                             " border-bottom: 1px solid #a0a0a0; }")
                                                  .arg(css));
        if (h->IsAssigned(GridStyle::svFont))
            header->setFont(h->Font().resolve(container_->font()));
    } else {
        header->setStyleSheet(QString());
    }
    if (const GridStyle* f = Style(GridStyleSheet::Footer); f && f->IsAssigned(GridStyle::svFont))
        footer_->setFont(f->Font().resolve(container_->font()));
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->viewport()->update();
    footer_->updateGeometry();
    footer_->update();
}

// ---- options -------------------------------------------------------------------------------

void TableView::SetColumnAutoWidth(bool on)
{
    columnAutoWidth_ = on;
    RelayoutColumns();
}

void TableView::SetFooterVisible(bool on)
{
    footerVisible_ = on;
    footer_->setVisible(on);
}

void TableView::SetHeaderVisible(bool on)
{
    headerVisible_ = on;
    table_->horizontalHeader()->setVisible(on);
}

void TableView::SetGridLines(bool on)
{
    gridLines_ = on;
    table_->setShowGrid(on);
}

void TableView::SetCellAutoHeight(bool on)
{
    cellAutoHeight_ = on;
    table_->setWordWrap(on);
}

void TableView::SetCellSelect(bool on)
{
    cellSelect_ = on;
    table_->setSelectionBehavior(on ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
}

void TableView::SetEditing(bool on)
{
    editing_ = on;
    model_->ColumnsChanged(false);
}

void TableView::SetAlwaysShowEditor(bool on)
{
    alwaysShowEditor_ = on;
    QAbstractItemView::EditTriggers t = QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                                        | QAbstractItemView::AnyKeyPressed;
    if (on)
        t |= QAbstractItemView::CurrentChanged;
    table_->setEditTriggers(t);
}

// ---- editing -------------------------------------------------------------------------------

bool TableView::IsEditing() const
{
    return delegate_->OpenEditor() != nullptr;
}

void TableView::ShowEditor()
{
    const QModelIndex cur = table_->currentIndex();
    if (cur.isValid())
        table_->edit(cur);
}

void TableView::HideEditor(bool commit)
{
    QWidget* editor = delegate_->OpenEditor();
    if (!editor)
        return;
    if (commit)
        emit delegate_->commitData(editor);
    if (delegate_->OpenEditor() == editor)
        emit delegate_->closeEditor(editor, commit ? QAbstractItemDelegate::NoHint
                                                   : QAbstractItemDelegate::RevertModelCache);
}

void TableView::ShowError(const QString& text) const
{
    Application()->MessageBox(text, Application()->Title(), mbOK, MessageIcon::Warning);
}

bool TableView::CommitValue(int row, int column, const QVariant& entry, bool invalid)
{
    GridColumn* col = Column(column);
    Dataset* ds = controller_->DataSet();
    if (!col || !ds)
        return false;
    bool parseInvalid = false;
    QVariant value = col->Properties().ParseEntry(entry, parseInvalid);
    bool error = invalid || parseInvalid;
    QString errorText;
    if (col->Properties().OnValidate) {
        const quint64 before = dataVersion_;
        if (!GuardedFinished([&] { col->Properties().OnValidate(col, value, errorText, error); }))
            return false;
        if (dataVersion_ != before) {
            // The handler wrote the data itself; writing the entry again could undo its work.
            if (error)
                ShowError(errorText.isEmpty() ? QStringLiteral("输入的值无效") : errorText);
            return !error;
        }
    }
    if (error) {
        ShowError(errorText.isEmpty() ? QStringLiteral("输入的值无效") : errorText);
        return false;
    }
    if (row < 0 || row >= controller_->RowCount())
        return false;
    // A value the dataset refuses is shown at the cell, as a refused entry is.
    return GuardedFinished(
        [&] {
            controller_->SetValue(row, column, value);
            if (immediatePost_)
                ds->Post();
        },
        [this](const QString& message) { ShowError(message); });
}

// ---- focus and data ------------------------------------------------------------------------

void TableView::BindModel()
{
    if (sourceCurrent_)
        disconnect(sourceCurrent_);
    DataSource* source = controller_->GetDataSource();
    model_->SetSource(source);
    if (source)
        sourceCurrent_ = connect(source, &DataSource::CurrentChanged, this, [this](int row) { OnSourceCurrentChanged(row); });
}

void TableView::SyncFromSource()
{
    const Dataset* ds = controller_->DataSet();
    const int row = ds ? ds->RecNo() : -1;
    ++syncing_;
    FocusRow(row < model_->rowCount() ? row : -1);
    --syncing_;
    RelayoutColumns();
}

void TableView::OnSourceCurrentChanged(int row)
{
    const Dataset* ds = controller_->DataSet();
    if (focusFirstCellOnNewRecord_ && ds && row >= 0 && row == ds->PendingRow() && !ds->Modified()) {
        // A new record starts on its first cell, also where it took the place of another.
        ++syncing_;
        FocusRow(row, true);
        --syncing_;
        ShowAlwaysEditor();
        return;
    }
    if (row == focusedRecord_ && (row < 0 || table_->currentIndex().isValid()))
        return;
    ++syncing_;
    FocusRow(row);
    --syncing_;
}

void TableView::FocusRow(int row, bool firstCell)
{
    QItemSelectionModel* sel = table_->selectionModel();
    if (row < 0 || row >= model_->rowCount()) {
        sel->clear();
        if (focusedRecord_ != -1)
            OnCurrentChanged(focusedRecord_, -1, -1, -1);
        return;
    }
    const QModelIndex cur = table_->currentIndex();
    int col = !firstCell && cur.isValid() && ColumnFocusable(cur.column()) ? cur.column() : NextFocusableColumn(-1, 1);
    if (col < 0) {
        for (int c = 0; c < columns_.size() && col < 0; ++c)
            if (columns_[c]->Visible())
                col = c;
    }
    if (col < 0)
        col = 0;
    const QModelIndex idx = model_->index(row, col);
    if (!idx.isValid()) {
        // No columns: nothing can show the focus, but the record still has it.
        const int old = focusedRecord_;
        focusedRecord_ = row;
        if (old != row)
            Guarded([&] { emit FocusedRecordChanged(old, row); });
        return;
    }
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (!cellSelect_)
        flags |= QItemSelectionModel::Rows;
    sel->setCurrentIndex(idx, flags);
    table_->scrollTo(idx);
}

void TableView::OnCurrentChanged(int previousRow, int currentRow, int previousColumn, int currentColumn)
{
    const int old = focusedRecord_;
    focusedRecord_ = currentRow;
    if (!syncing_ && !model_->InStructureChange() && currentRow >= 0) {
        Dataset* ds = controller_->DataSet();
        if (ds && currentRow != ds->RecNo() && currentRow < ds->RecordCount()) {
            // The dataset follows the grid; leaving an edited record posts it.
            Guarded([&] { ds->SetRecNo(currentRow); });
        }
    }
    if (old != focusedRecord_)
        Guarded([&] { emit FocusedRecordChanged(old, focusedRecord_); });
    if (previousColumn != currentColumn)
        Guarded([&] { emit FocusedItemChanged(Column(previousColumn), Column(currentColumn)); });
}

void TableView::OnDataChanged()
{
    ++dataVersion_;
    footer_->update();
    Guarded([&] { emit DataChanged(); });
}

// ---- keys ----------------------------------------------------------------------------------

bool TableView::MoveToNextCell(bool backward)
{
    const int step = backward ? -1 : 1;
    const QModelIndex cur = table_->currentIndex();
    if (!cur.isValid()) {
        if (model_->rowCount() == 0)
            return false;
        FocusRow(0);
        return true;
    }
    int col = NextFocusableColumn(cur.column(), step);
    if (col >= 0) {
        table_->setCurrentIndex(model_->index(cur.row(), col));
        return true;
    }
    const int row = cur.row() + step;
    if (row < 0 || row >= model_->rowCount())
        return false;
    col = backward ? NextFocusableColumn(int(columns_.size()), -1) : NextFocusableColumn(-1, 1);
    if (col < 0)
        return false;
    table_->setCurrentIndex(model_->index(row, col));
    return true;
}

bool TableView::AppendRecord()
{
    Dataset* ds = controller_->DataSet();
    if (!ds || !editing_)
        return false;
    // An untouched new record is already there.
    if (ds->GetState() == Dataset::State::Insert && !ds->Modified())
        return false;
    bool ok = false;
    Guarded([&] {
        ds->Append();
        ok = true;
    });
    if (!ok)
        return false;
    const int pending = ds->PendingRow();
    if (pending >= 0 && focusFirstCellOnNewRecord_) {
        const int col = NextFocusableColumn(-1, 1);
        if (col >= 0)
            table_->setCurrentIndex(model_->index(pending, col));
    }
    return true;
}

bool TableView::DeleteRecord()
{
    Dataset* ds = controller_->DataSet();
    if (!ds || controller_->RowCount() == 0 || !editing_)
        return false;
    const int answer = Application()->MessageBox(QStringLiteral("删除当前记录吗？"), Application()->Title(), mbYesNo,
                                                 MessageIcon::Question);
    if (answer != mbYes)
        return false;
    bool ok = false;
    Guarded([&] {
        ds->Delete();
        ok = true;
    });
    return ok;
}

void TableView::TabKey(bool backward)
{
    if (MoveToNextCell(backward))
        return;
    if (!backward && allowAppend_ && AppendRecord())
        return;
    table_->LeaveGrid(!backward);
}

bool TableView::EnterKey(const QModelIndex& cur, bool fromEditor)
{
    if (nextCellOnEnter_) {
        if (!MoveToNextCell(false) && allowAppend_)
            AppendRecord();
        return true;
    }
    if (fromEditor)
        return true;
    if (cur.isValid() && (model_->flags(cur) & Qt::ItemIsEditable)) {
        table_->edit(cur);
        return true;
    }
    return false;
}

void TableView::PageKey(bool down, const QModelIndex& cur)
{
    const int page = std::max(1, table_->viewport()->height() / std::max(1, table_->rowHeight(cur.row())));
    const int row = std::clamp(cur.row() + (down ? page : -page), 0, model_->rowCount() - 1);
    table_->setCurrentIndex(model_->index(row, cur.column()));
}

bool TableView::HandleKey(int key, Qt::KeyboardModifiers mods, bool fromEditor)
{
    Dataset* ds = controller_->DataSet();
    const QModelIndex cur = table_->currentIndex();
    const int rows = model_->rowCount();
    const bool plain = !(mods & (Qt::ControlModifier | Qt::AltModifier));
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!plain)
            return false;
        TabKey(key == Qt::Key_Backtab || (mods & Qt::ShiftModifier));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return plain && EnterKey(cur, fromEditor);
    case Qt::Key_Down:
        if (!plain)
            return false;
        if (cur.isValid() && cur.row() == rows - 1 && allowAppend_ && ds) {
            AppendRecord();
            return true;
        }
        if (fromEditor && cur.isValid() && cur.row() + 1 < rows) {
            table_->setCurrentIndex(model_->index(cur.row() + 1, cur.column()));
            return true;
        }
        return false;
    case Qt::Key_Up:
        if (fromEditor && cur.isValid() && cur.row() > 0) {
            table_->setCurrentIndex(model_->index(cur.row() - 1, cur.column()));
            return true;
        }
        return false;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (fromEditor && cur.isValid() && rows > 0) {
            PageKey(key == Qt::Key_PageDown, cur);
            return true;
        }
        return false;
    case Qt::Key_Escape:
        if (!fromEditor && ds && ds->GetState() != Dataset::State::Browse) {
            Guarded([&] { ds->Cancel(); });
            return true;
        }
        return false;
    case Qt::Key_Insert:
        if (plain && (allowInsert_ || allowAppend_) && !fromEditor) {
            AppendRecord();
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if ((mods & Qt::ControlModifier) && allowDelete_ && !fromEditor) {
            DeleteRecord();
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace platform
