#pragma once
// The data side of a table view: which data source it shows, record counts, the focused record,
// values by record and item index, and the footer summaries.
//
// Two counts, on purpose:
//   RecordCount() - the dataset's records (the pending appended record is not one yet);
//   RowCount()    - the rows the grid shows: RecordCount() plus 1 while a record is pending.
// Record indexes are dataset row indexes; the pending record has index RecordCount().
#include "platform/DataSource.h"
#include "platform/FooterSummary.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <memory>
#include <vector>

namespace platform {

class DataSource;
class Dataset;
class TableView;

class DataController : public QObject {
    Q_OBJECT
public:
    explicit DataController(TableView* view);
    ~DataController() override;

    TableView* View() const { return view_; }
    void SetDataSource(DataSource* source); // not owned; nullptr unbinds
    DataSource* GetDataSource() const { return source_; }
    Dataset* DataSet() const; // the source's dataset, or nullptr

    int RecordCount() const;
    int RowCount() const;

    // -1 when no record has the focus.
    int FocusedRecordIndex() const;
    // Focuses a record (moving the dataset there); -1 clears the focus. Out of range: ignored.
    void SetFocusedRecordIndex(int recordIndex);

    // The value shown for a record at an item index (the column's Index()); null outside.
    QVariant Value(int recordIndex, int itemIndex) const;
    // The same by field name (ignoring case), independent of columns.
    QVariant ValueByField(int recordIndex, const QString& fieldName) const;
    // Writes through the dataset (edit state, conversion); throws on conversion errors.
    void SetValue(int recordIndex, int itemIndex, const QVariant& value);
    // The text the cell shows.
    QString DisplayText(int recordIndex, int itemIndex) const;

    // Footer summaries, by index in the order added.
    FooterSummary* AddFooterSummary(FooterSummary::Kind kind, GridColumn* column, const QString& format);
    int FooterSummaryCount() const { return int(summaries_.size()); }
    FooterSummary* FooterSummaryItem(int index) const;
    // Current value (recomputed after data changes); null for an unknown index.
    QVariant FooterSummaryValue(int index) const;
    QString FooterSummaryText(int index) const;
    void ClearFooterSummaries();

signals:
    // After every change of the shown data (values, rows, rebinding).
    void DataChanged();
    void FocusedRecordChanged(int previousRecord, int focusedRecord);

private:
    friend class TableView;
    void Invalidate();
    void ComputeSummaries() const;
    int FieldOfItem(int itemIndex) const;

    TableView* view_;
    QPointer<DataSource> source_;
    std::vector<std::unique_ptr<FooterSummary>> summaries_;
    mutable std::vector<QVariant> summaryValues_;
    mutable bool summariesDirty_ = true;
};

} // namespace platform
