#pragma once
// The grid library's and the tree-list library's Excel exports: what a grid's active view or a
// tree list shows, written as an .xlsx workbook (visible columns with their captions, every
// record or node, the grid's footer). Throws platform::Exception when the file cannot be written.
// The option arguments are the exports' given vocabulary; the workbook is always .xlsx, with
// the rows the control holds, and the unit code is not part of it.
#include "platform/workbook/SheetData.h"

#include <QString>

namespace platform {
class Grid;
class TreeList;
} // namespace platform

namespace platform::excel {

// A tree list's visible columns and all its nodes, each parent before its children; the first
// column's text is indented two blanks per level so the nesting stays visible.
SheetData CollectTreeSheet(const TreeList& tree);

void ExportGrid4ToExcel(const QString& fileName, const Grid& grid, bool expand, bool saveAll, bool useNativeFormat,
                        const QString& unitCode, const QString& extension, bool multipleSheets);
void cxExportTL4ToExcel(const QString& fileName, const TreeList& tree, bool expand, bool saveAll,
                        bool useNativeFormat, const QString& unitCode);

} // namespace platform::excel
