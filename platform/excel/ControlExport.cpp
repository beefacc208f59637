#include "platform/excel/ControlExport.h"

#include "platform/Grid.h"
#include "platform/TreeList.h"
#include "platform/core/Currency.h"
#include "platform/core/Exception.h"
#include "platform/excel/GridSheet.h"
#include "platform/workbook/XlsxWriter.h"

#include <QDateTime>

namespace platform::excel {

namespace {

QVariant TreeCell(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().ToDouble();
    if (IsNumberType(v.typeId()))
        return v;
    if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate)
        return v.toDateTime();
    return v.toString();
}

} // namespace

SheetData CollectTreeSheet(const TreeList& tree)
{
    SheetData sheet;
    QVector<int> shown;
    for (int c = 0; c < tree.ColumnCount(); ++c) {
        const TreeListColumn* col = tree.Column(c);
        if (!col->Visible())
            continue;
        shown << c;
        SheetColumn sc;
        sc.caption = col->Caption();
        sc.widthPixels = col->Width();
        sheet.columns << sc;
    }
    const int count = tree.AbsoluteCount();
    sheet.rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const TreeListNode* node = tree.AbsoluteItem(i);
        SheetRow row;
        row.reserve(shown.size());
        for (int k = 0; k < shown.size(); ++k) {
            QVariant v = TreeCell(node->Values(shown[k]));
            if (k == 0 && node->Level() > 0 && v.typeId() == QMetaType::QString)
                v = QString(node->Level() * 2, u' ') + v.toString();
            row << v;
        }
        sheet.rows << row;
    }
    return sheet;
}

void ExportGrid4ToExcel(const QString& fileName, const Grid& grid, bool, bool, bool, const QString&, const QString&,
                        bool)
{
    const TableView* view = grid.ActiveView();
    if (!view)
        throw Exception(QStringLiteral("表格没有可导出的视图"));
    WriteXlsx(CollectSheet(*view), fileName);
}

void cxExportTL4ToExcel(const QString& fileName, const TreeList& tree, bool, bool, bool, const QString&)
{
    WriteXlsx(CollectTreeSheet(tree), fileName);
}

} // namespace platform::excel
