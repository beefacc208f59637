#include "platform/TableViewModel.h"

#include "platform/DataSource.h"
#include "platform/core/Dataset.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"

namespace platform {

TableViewModel::TableViewModel(TableView* view) : QAbstractTableModel(view), view_(view) {}

void TableViewModel::SetSource(DataSource* source)
{
    beginResetModel();
    ++inChange_;
    if (source_)
        disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_)
        Connect();
    columns_ = view_->ColumnCount();
    fieldsDirty_ = true;
    endResetModel();
    --inChange_;
    emit StructureChanged();
}

void TableViewModel::Connect()
{
    DataSource* s = source_;
    connect(s, &QAbstractItemModel::rowsAboutToBeInserted, this, [this](const QModelIndex&, int first, int last) {
        ++inChange_;
        beginInsertRows({}, first, last);
    });
    connect(s, &QAbstractItemModel::rowsInserted, this, [this] {
        endInsertRows();
        --inChange_;
        emit StructureChanged();
    });
    connect(s, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex&, int first, int last) {
        ++inChange_;
        beginRemoveRows({}, first, last);
    });
    connect(s, &QAbstractItemModel::rowsRemoved, this, [this] {
        endRemoveRows();
        --inChange_;
        emit StructureChanged();
    });
    connect(s, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        ++inChange_;
        beginResetModel();
    });
    connect(s, &QAbstractItemModel::modelReset, this, [this] {
        fieldsDirty_ = true;
        endResetModel();
        --inChange_;
        emit StructureChanged();
    });
    connect(s, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& tl, const QModelIndex& br) {
        if (columns_ > 0)
            emit dataChanged(index(tl.row(), 0), index(br.row(), columns_ - 1));
    });
}

void TableViewModel::ColumnsChanged(bool structure)
{
    fieldsDirty_ = true;
    if (structure || columns_ != view_->ColumnCount()) {
        beginResetModel();
        ++inChange_;
        columns_ = view_->ColumnCount();
        endResetModel();
        --inChange_;
        emit StructureChanged();
        return;
    }
    const int rows = rowCount();
    if (rows > 0 && columns_ > 0)
        emit dataChanged(index(0, 0), index(rows - 1, columns_ - 1));
}

void TableViewModel::HeaderChanged()
{
    if (columns_ > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

void TableViewModel::RefreshFields() const
{
    fields_.assign(size_t(columns_), -1);
    if (source_)
        for (int c = 0; c < columns_; ++c)
            if (const GridColumn* col = view_->Column(c))
                fields_[size_t(c)] = source_->FieldIndex(col->FieldName());
    fieldsDirty_ = false;
}

int TableViewModel::FieldOf(int column) const
{
    if (fieldsDirty_ || fields_.size() != size_t(columns_))
        RefreshFields();
    return column >= 0 && column < columns_ ? fields_[size_t(column)] : -1;
}

QVariant TableViewModel::Value(int row, int column) const
{
    const int field = FieldOf(column);
    if (!source_ || field < 0 || !source_->DataSet())
        return {};
    return source_->DataSet()->DisplayValue(row, field);
}

int TableViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !source_ ? 0 : source_->RowCount();
}

int TableViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns_;
}

QVariant TableViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const GridColumn* column = view_->Column(index.column());
    if (!column)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return column->Properties().DisplayText(Value(index.row(), index.column()));
    case Qt::EditRole:
        return Value(index.row(), index.column());
    case Qt::ToolTipRole:
        if (view_->CellHints())
            return column->Properties().DisplayText(Value(index.row(), index.column()));
        return {};
    case Qt::TextAlignmentRole: {
        if (column->ContentAlignment())
            return QVariant::fromValue(column->ContentAlignment());
        const EditorKind kind = column->Properties().Kind();
        if (kind == EditorKind::Currency)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        if (kind == EditorKind::Text || kind == EditorKind::Label) {
            const QVariant v = Value(index.row(), index.column());
            const int t = v.metaType().id();
            if (t == QMetaType::Double || t == QMetaType::LongLong || t == QMetaType::Int
                || v.metaType() == QMetaType::fromType<Currency>())
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        }
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    default:
        return {};
    }
}

QVariant TableViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    const GridColumn* column = view_->Column(section);
    if (!column)
        return {};
    if (role == Qt::DisplayRole)
        return column->Caption();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column->HeaderAlignment());
    return {};
}

Qt::ItemFlags TableViewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridColumn* column = view_->Column(index.column());
    if (column && column->IsEditable() && FieldOf(index.column()) >= 0)
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace platform
