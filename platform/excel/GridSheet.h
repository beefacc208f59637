#pragma once
// What a table view shows, as sheet data for a writer: its visible columns in order with their
// captions and widths, each record's values as the cells show them (numbers stay numbers with
// the column's display format, image-combo cells become the names shown), and the footer.
#include "platform/excel/SheetData.h"

namespace platform {
class TableView;
}

namespace platform::excel {

SheetData CollectSheet(const TableView& view);

} // namespace platform::excel
