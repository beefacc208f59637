#include "platform/DataController.h"

#include "platform/DataSource.h"
#include "platform/core/Dataset.h"
#include "platform/GridColumn.h"
#include "platform/TableView.h"

namespace platform {

DataController::DataController(TableView* view) : QObject(nullptr), view_(view) {}

DataController::~DataController() = default;

void DataController::SetDataSource(DataSource* source)
{
    if (source_ == source)
        return;
    if (source_)
        disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        connect(source_, &DataSource::DataChanged, this, [this] { Invalidate(); });
        connect(source_, &QObject::destroyed, this, [this] {
            source_ = nullptr;
            view_->BindModel();
            Invalidate();
        });
    }
    view_->BindModel();
    Invalidate();
}

Dataset* DataController::DataSet() const
{
    return source_ ? source_->DataSet() : nullptr;
}

int DataController::RecordCount() const
{
    const Dataset* ds = DataSet();
    return ds ? ds->RecordCount() : 0;
}

int DataController::RowCount() const
{
    return source_ ? source_->RowCount() : 0;
}

int DataController::FocusedRecordIndex() const
{
    return view_->focusedRecord_;
}

void DataController::SetFocusedRecordIndex(int recordIndex)
{
    if (recordIndex < -1 || recordIndex >= RowCount())
        return;
    view_->FocusRow(recordIndex);
}

int DataController::FieldOfItem(int itemIndex) const
{
    const GridColumn* column = view_->Column(itemIndex);
    if (!column || !source_)
        return -1;
    return source_->FieldIndex(column->FieldName());
}

QVariant DataController::Value(int recordIndex, int itemIndex) const
{
    const Dataset* ds = DataSet();
    const int field = FieldOfItem(itemIndex);
    if (!ds || field < 0 || recordIndex < 0 || recordIndex >= RowCount())
        return {};
    return ds->DisplayValue(recordIndex, field);
}

QVariant DataController::ValueByField(int recordIndex, const QString& fieldName) const
{
    const Dataset* ds = DataSet();
    const int field = ds ? ds->FieldIndex(fieldName) : -1;
    if (field < 0 || recordIndex < 0 || recordIndex >= RowCount())
        return {};
    return ds->DisplayValue(recordIndex, field);
}

void DataController::SetValue(int recordIndex, int itemIndex, const QVariant& value)
{
    const int field = FieldOfItem(itemIndex);
    if (!source_ || field < 0)
        throw Exception(QStringLiteral("Item %1 is bound to no field").arg(itemIndex));
    source_->WriteValue(recordIndex, field, value);
}

QString DataController::DisplayText(int recordIndex, int itemIndex) const
{
    const GridColumn* column = view_->Column(itemIndex);
    if (!column)
        return {};
    return column->Properties().DisplayText(Value(recordIndex, itemIndex));
}

FooterSummary* DataController::AddFooterSummary(FooterSummary::Kind kind, GridColumn* column, const QString& format)
{
    summaries_.push_back(std::make_unique<FooterSummary>(kind, column, format));
    Invalidate();
    return summaries_.back().get();
}

FooterSummary* DataController::FooterSummaryItem(int index) const
{
    return index >= 0 && index < FooterSummaryCount() ? summaries_[size_t(index)].get() : nullptr;
}

void DataController::ClearFooterSummaries()
{
    summaries_.clear();
    Invalidate();
}

QVariant DataController::FooterSummaryValue(int index) const
{
    if (index < 0 || index >= FooterSummaryCount())
        return {};
    ComputeSummaries();
    return summaryValues_[size_t(index)];
}

QString DataController::FooterSummaryText(int index) const
{
    const FooterSummary* item = FooterSummaryItem(index);
    if (!item)
        return {};
    const QVariant v = FooterSummaryValue(index);
    return v.isValid() ? item->Text(v) : QString();
}

void DataController::Invalidate()
{
    summariesDirty_ = true;
    emit DataChanged();
}

void DataController::ComputeSummaries() const
{
    if (!summariesDirty_ && summaryValues_.size() == summaries_.size())
        return;
    summaryValues_.assign(summaries_.size(), QVariant());
    const Dataset* ds = DataSet();
    const int rows = RowCount();
    for (size_t i = 0; i < summaries_.size(); ++i) {
        const FooterSummary& s = *summaries_[i];
        if (!ds)
            continue;
        QString fieldName = s.FieldName();
        if (fieldName.isEmpty() && s.Column())
            fieldName = s.Column()->FieldName();
        const int field = ds->FieldIndex(fieldName);
        if (field < 0)
            continue;
        const FieldType type = ds->FieldDefAt(field).type;
        // Browsing, the rows shown are the stored ones: a number column is summed in one pass.
        if (ds->GetState() == Dataset::State::Browse && rows == ds->RecordCount()) {
            // (A text's count also leaves out empty texts, so it reads them.)
            if (s.SummaryKind() == FooterSummary::Kind::Count && type != FieldType::Text) {
                summaryValues_[i] = qlonglong(ds->CountAt(field));
                continue;
            }
            if (type == FieldType::Currency || type == FieldType::Integer || type == FieldType::Float) {
                summaryValues_[i] = ds->SumAt(field);
                continue;
            }
        }
        if (s.SummaryKind() == FooterSummary::Kind::Count) {
            qlonglong n = 0;
            for (int r = 0; r < rows; ++r) {
                const QVariant v = ds->DisplayValue(r, field);
                if (v.isValid() && !v.isNull())
                    ++n;
            }
            summaryValues_[i] = n;
            continue;
        }
        switch (type) {
        case FieldType::Currency: {
            Currency sum;
            for (int r = 0; r < rows; ++r) {
                const QVariant v = ds->DisplayValue(r, field);
                if (v.isValid())
                    sum += v.value<Currency>();
            }
            summaryValues_[i] = QVariant::fromValue(sum);
            break;
        }
        case FieldType::Integer: {
            qlonglong sum = 0;
            for (int r = 0; r < rows; ++r) {
                const QVariant v = ds->DisplayValue(r, field);
                if (v.isValid())
                    sum += v.toLongLong();
            }
            summaryValues_[i] = sum;
            break;
        }
        case FieldType::Float:
        case FieldType::Text: {
            double sum = 0;
            for (int r = 0; r < rows; ++r) {
                const QVariant v = ds->DisplayValue(r, field);
                bool ok = false;
                const double d = v.toDouble(&ok);
                if (ok)
                    sum += d;
            }
            summaryValues_[i] = sum;
            break;
        }
        case FieldType::DateTime:
            break;
        }
    }
    summariesDirty_ = false;
}

} // namespace platform
