#pragma once
// Writes a SheetData as an Office Open XML workbook (.xlsx) with libxlsxwriter: captions in a
// bold header row, numbers as numbers with their column's format, dates as dates, the footer
// row in bold. No UI: throws platform::Exception with libxlsxwriter's own error text, and a
// failed write leaves no partial file behind.
#include "platform/workbook/SheetData.h"

namespace platform::excel {

void WriteXlsx(const SheetData& sheet, const QString& path);

// The grid's display format in the spreadsheet's number-format syntax (the two agree on 0, #,
// ".", "," and literal text; a format the spreadsheet would read differently is quoted).
QString SpreadsheetNumberFormat(const QString& displayFormat);

} // namespace platform::excel
