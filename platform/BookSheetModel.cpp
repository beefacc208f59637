#include "platform/BookSheetModel.h"

#include "platform/SlotGuard.h"
#include "platform/core/ValueText.h"

#include <QSignalBlocker>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace platform {

SheetView AddSheetView(QWidget* owner, const QString& name, BookSheetModel* model, std::function<void(int index)> choose)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* view = new QTableView(owner);
    view->setObjectName(name);
    view->setModel(model);
    view->setWordWrap(true);
    layout->addWidget(view, 1);
    auto* tabs = new QTabBar(owner);
    tabs->setShape(QTabBar::RoundedSouth);
    tabs->setExpanding(false);
    layout->addWidget(tabs);
    QObject::connect(tabs, &QTabBar::currentChanged, owner, [choose = std::move(choose)](int index) {
        if (index >= 0)
            choose(index);
    });
    return {view, tabs};
}

void ShowSheetTabs(QTabBar* tabs, const excel::BookData& book, int current)
{
    const QSignalBlocker block(tabs);
    while (tabs->count() > 0)
        tabs->removeTab(0);
    for (const excel::BookSheet& s : book.sheets)
        tabs->addTab(s.name);
    tabs->setCurrentIndex(current);
    tabs->setVisible(book.sheets.size() > 1);
}

BookSheetModel::BookSheetModel(SheetFn sheet, EditFn edit, QObject* parent)
    : QAbstractTableModel(parent), sheet_(std::move(sheet)), edit_(std::move(edit))
{
    Reset();
}

void BookSheetModel::Reset()
{
    beginResetModel();
    const excel::BookSheet* s = sheet_ ? sheet_() : nullptr;
    rows_ = s ? s->RowCount() : 0;
    columns_ = s ? s->ColumnCount() : 0;
    endResetModel();
}

void BookSheetModel::CellChanged(int column, int row)
{
    if (column >= columns_ || row >= rows_) {
        Reset();
        return;
    }
    emit dataChanged(index(row, column), index(row, column));
}

QString BookSheetModel::DisplayText(const excel::BookCell& cell)
{
    const QVariant& v = cell.value;
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return PlainNumberText(v.toDouble());
    default:
        return v.toString();
    }
}

int BookSheetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int BookSheetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant BookSheetModel::data(const QModelIndex& index, int role) const
{
    const excel::BookSheet* s = sheet_ ? sheet_() : nullptr;
    if (!s || !index.isValid())
        return {};
    const excel::BookCell* cell = s->Cell(index.column(), index.row());
    if (!cell)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return DisplayText(*cell);
    case Qt::EditRole:
        return cell->HasFormula() ? u'=' + cell->formula : DisplayText(*cell);
    case Qt::TextAlignmentRole: {
        const int t = cell->value.typeId();
        const bool number = t == QMetaType::Double || t == QMetaType::Int || t == QMetaType::LongLong;
        return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    case Qt::ToolTipRole:
        return cell->HasFormula() ? QVariant(u'=' + cell->formula) : QVariant();
    default:
        return {};
    }
}

bool BookSheetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!edit_ || role != Qt::EditRole || !index.isValid())
        return false;
    // A refused entry is reported, never thrown into the view.
    return GuardedFinished([&] { edit_(index.column(), index.row(), value.toString()); });
}

Qt::ItemFlags BookSheetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (edit_)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant BookSheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return excel::CellName(section, 0).chopped(1);
    return QString::number(section + 1);
}

} // namespace platform
