#include "platform/DataSource.h"

namespace platform {

DataSource::DataSource(QObject* parent) : QAbstractTableModel(parent) {}

DataSource::~DataSource()
{
    if (dataset_)
        dataset_->RemoveObserver(this);
}

int DataSource::CountRows() const
{
    if (!dataset_)
        return 0;
    return dataset_->RecordCount() + (dataset_->PendingRow() >= 0 ? 1 : 0);
}

void DataSource::SetDataSet(Dataset* dataset)
{
    if (dataset == dataset_)
        return;
    beginResetModel();
    if (dataset_)
        dataset_->RemoveObserver(this);
    dataset_ = dataset;
    if (dataset_)
        dataset_->AddObserver(this);
    rows_ = CountRows();
    columns_ = dataset_ ? dataset_->FieldCount() : 0;
    endResetModel();
    emit DataSetChanged();
    emit DataChanged();
    emit CurrentChanged(dataset_ ? dataset_->RecNo() : -1);
}

int DataSource::FieldIndex(const QString& name) const
{
    return dataset_ ? dataset_->FieldIndex(name) : -1;
}

void DataSource::WriteValue(int row, int field, const QVariant& value)
{
    if (!dataset_)
        throw Exception(QStringLiteral("No dataset to write to"));
    if (field < 0 || field >= dataset_->FieldCount() || row < 0 || row >= rows_)
        throw Exception(QStringLiteral("No such cell to write to"));
    if (row != dataset_->RecNo()) {
        if (row >= dataset_->RecordCount())
            throw Exception(QStringLiteral("No such record to write to"));
        dataset_->SetRecNo(row);
    }
    if (dataset_->GetState() == Dataset::State::Browse)
        dataset_->Edit();
    dataset_->FieldAt(field).SetValue(value);
}

int DataSource::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int DataSource::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns_;
}

QVariant DataSource::data(const QModelIndex& index, int role) const
{
    if (!dataset_ || !index.isValid() || index.row() >= rows_ || index.column() >= columns_)
        return {};
    if (role == Qt::DisplayRole)
        return VariantToText(dataset_->DisplayValue(index.row(), index.column()));
    if (role == Qt::EditRole)
        return dataset_->DisplayValue(index.row(), index.column());
    return {};
}

QVariant DataSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && dataset_ && section >= 0 && section < columns_)
        return dataset_->FieldDefAt(section).name;
    if (orientation == Qt::Vertical)
        return section + 1;
    return {};
}

void DataSource::DatasetChanged(Dataset& ds, Change change, int row)
{
    // The dataset tells after the fact; the row count the model announced is kept apart so
    // that views always see begin/end pairs that match.
    switch (change) {
    case Change::Reset:
        beginResetModel();
        rows_ = CountRows();
        columns_ = ds.FieldCount();
        endResetModel();
        emit DataChanged();
        break;
    case Change::RowInserted: {
        const int target = CountRows();
        if (target > rows_) {
            const int first = std::clamp(row, 0, rows_);
            beginInsertRows({}, first, first + (target - rows_) - 1);
            rows_ = target;
            endInsertRows();
        }
        emit DataChanged();
        break;
    }
    case Change::RowAboutToBeRemoved:
        if (row >= 0 && row < rows_ && removing_ < 0) {
            removing_ = row;
            beginRemoveRows({}, row, row);
        }
        break;
    case Change::RowRemoved: {
        const int target = CountRows();
        if (removing_ >= 0) {
            rows_ = target;
            removing_ = -1;
            endRemoveRows();
        } else if (target < rows_) {
            const int first = std::clamp(row, 0, rows_ - 1);
            const int last = std::min(rows_ - 1, first + (rows_ - target) - 1);
            beginRemoveRows({}, first, last);
            rows_ = target;
            endRemoveRows();
        }
        emit DataChanged();
        break;
    }
    case Change::RowChanged:
        if (row >= 0 && row < rows_ && columns_ > 0)
            emit dataChanged(index(row, 0), index(row, columns_ - 1));
        emit DataChanged();
        break;
    case Change::CurrentChanged:
        emit CurrentChanged(ds.RecNo());
        break;
    case Change::StateChanged:
        emit StateChanged();
        break;
    case Change::Destroyed:
        beginResetModel();
        dataset_ = nullptr;
        rows_ = 0;
        columns_ = 0;
        endResetModel();
        emit DataSetChanged();
        emit DataChanged();
        emit CurrentChanged(-1);
        break;
    }
}

} // namespace platform
