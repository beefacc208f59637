#pragma once
// Reads back what the export wrote: the first worksheet of an .xlsx as cells by reference
// ("A1"), each with its value text, whether it is a number, and its number format.
#include <QMap>
#include <QString>

namespace testsupport {

struct ReadCell {
    QString text;
    bool number = false;
    QString numberFormat; // the format code of the cell's style ("General" when none)
};

// Empty when the file is no workbook. Reads through the product's own reader (ReadXlsx).
QMap<QString, ReadCell> ReadFirstSheet(const QString& path);

} // namespace testsupport
