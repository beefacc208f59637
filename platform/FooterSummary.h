#pragma once
// One footer summary item: a sum or a count over a column's values, shown in the footer under a
// column, formatted like "0.00" or "0 条记录" (0 stands for the formatted number).
//
// Sums follow the field's type: Currency for currency fields (exact), qlonglong for integers,
// double otherwise. Counts count the rows the grid shows whose value is not null. The pending
// appended row takes part with its edit buffer, as it is shown.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

namespace platform {

class GridColumn;

class FooterSummary {
public:
    enum class Kind { Sum, Count };

    FooterSummary(Kind kind, GridColumn* column, QString format);

    Kind SummaryKind() const { return kind_; }
    void SetKind(Kind kind) { kind_ = kind; }
    // The column whose values are summed and under which the text shows.
    GridColumn* Column() const { return column_; }
    void SetColumn(GridColumn* column) { column_ = column; }
    const QString& Format() const { return format_; }
    void SetFormat(const QString& format) { format_ = format; }
    // The field summed when it differs from the column's own field (empty: the column's).
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name) { fieldName_ = name; }

    // The formatted value: FormatVariant(Format(), value).
    QString Text(const QVariant& value) const;

private:
    Kind kind_;
    QPointer<GridColumn> column_;
    QString format_;
    QString fieldName_;
};

} // namespace platform
