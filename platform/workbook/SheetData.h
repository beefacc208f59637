#pragma once
// One worksheet as plain data, the way a grid shows it: column captions, widths and alignment,
// the cells of each row as typed values, and a footer row. What the export writes; free of UI.
#include "platform/core/ValueText.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

namespace platform::excel {

struct SheetColumn {
    QString caption;
    int widthPixels = 64;
    Qt::Alignment alignment = Qt::AlignLeft;
    // The number format of the column's numbers, in the grid's display-format syntax ("0.00");
    // empty: numbers as they are.
    QString numberFormat;
    // The same for the footer's number under the column (a sum's "0.00"); empty: numberFormat.
    QString footerNumberFormat;
};

// A cell: a number (int, qlonglong, double) is written as a number, a QDateTime as a date, a
// QString as text, an invalid QVariant as an empty cell.
using SheetRow = QVector<QVariant>;

struct SheetData {
    QString sheetName; // empty: "Sheet1"
    QVector<SheetColumn> columns;
    QVector<SheetRow> rows;
    // Rows made while they are written, after `rows`: sourceRows of them, each filled into one
    // row the writer reuses, so a large grid is not copied before it is written.
    int sourceRows = 0;
    std::function<void(int row, SheetRow& cells)> fillRow;
    SheetRow footer; // empty: no footer row
};

} // namespace platform::excel
