#pragma once
// The model a table view's QTableView shows: one column per view column (hidden ones too, so
// the model column is the item index), rows from the data source. Display texts come from the
// column properties; styles are painted by the view's delegate.
#include "platform/DataSource.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <vector>

namespace platform {

class DataSource;
class TableView;

class TableViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TableViewModel(TableView* view);

    void SetSource(DataSource* source);
    DataSource* Source() const { return source_; }
    // Columns were added or removed, or a field name changed.
    void ColumnsChanged(bool structure);
    void HeaderChanged();
    // True between a begin and an end of a row or reset change of the source.
    bool InStructureChange() const { return inChange_ > 0; }
    int FieldOf(int column) const;
    QVariant Value(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // After rows were added or removed or the model was reset.
    void StructureChanged();

private:
    void Connect();
    void RefreshFields() const;

    TableView* view_;
    QPointer<DataSource> source_;
    int columns_ = 0;
    int inChange_ = 0;
    mutable std::vector<int> fields_;
    mutable bool fieldsDirty_ = true;
};

} // namespace platform
