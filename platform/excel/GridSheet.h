#pragma once
// What a table view shows, as sheet data for a writer: its visible columns in order with their
// captions and widths, each record's values as the cells show them (numbers stay numbers with
// the column's display format, image-combo cells become the names shown), and the footer.
#include "platform/workbook/SheetData.h"

namespace platform {
class TableView;
}

namespace platform::excel {

// The rows are read from the view while a writer writes them: the view must outlive that.
SheetData ViewSheet(const TableView& view);
// The same with every row copied into the sheet.
SheetData CollectSheet(const TableView& view);

} // namespace platform::excel
