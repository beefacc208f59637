#pragma once
// Binds a Dataset to views. The data source is the table model over the dataset: one column per
// field, one row per stored record plus the pending appended record while the dataset is in
// Insert state (views show it as the last row). Nothing is created per row; data() reads
// Dataset::DisplayValue, so the edit buffer shows while a record is edited.
//
// The dataset is not owned. When it is destroyed the source lets go of it and shows nothing;
// SetDataSet with another dataset rebinds every view on this source.
#include "platform/core/Dataset.h"

#include <QAbstractTableModel>

namespace platform {

class DataSource : public QAbstractTableModel, private DatasetObserver {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);
    ~DataSource() override;

    void SetDataSet(Dataset* dataset); // nullptr unbinds
    Dataset* DataSet() const { return dataset_; }

    // Rows views show: records plus the pending one.
    int RowCount() const { return rows_; }
    // Field index of a name, -1 when absent or unbound.
    int FieldIndex(const QString& name) const;

    // Writes a value typed by a user into a row: moves the dataset there (posting what was
    // being edited), starts editing and sets the field. Throws on conversion errors.
    void WriteValue(int row, int field, const QVariant& value);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // Any change of the values shown (rows added, removed, changed, reset).
    void DataChanged();
    // The dataset's current record moved (row index, -1 for none).
    void CurrentChanged(int row);
    // Browse / edit / insert changed.
    void StateChanged();
    // The dataset was rebound, unbound or destroyed.
    void DataSetChanged();

private:
    void DatasetChanged(Dataset& ds, Change change, int row) override;
    int CountRows() const;

    Dataset* dataset_ = nullptr;
    int rows_ = 0; // the row count the model has announced
    int removing_ = -1; // row between RowAboutToBeRemoved and RowRemoved
    int columns_ = 0;
};

} // namespace platform
