#include "tests/support/XlsxReadBack.h"

#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"
#include "platform/workbook/Workbook.h"

namespace testsupport {

QMap<QString, ReadCell> ReadFirstSheet(const QString& path)
{
    QMap<QString, ReadCell> cells;
    platform::excel::BookData book;
    try {
        book = platform::excel::ReadXlsx(path);
    } catch (const platform::Exception&) {
        return cells;
    }
    if (book.sheets.isEmpty())
        return cells;
    const platform::excel::BookSheet::Cells& all = book.sheets.first().AllCells();
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const platform::excel::BookCell& cell = it.value();
        if (!cell.value.isValid())
            continue;
        ReadCell c;
        c.number = cell.value.typeId() == QMetaType::Double;
        c.text = c.number ? platform::PlainNumberText(cell.value.toDouble()) : cell.value.toString();
        c.numberFormat = cell.numberFormat.isEmpty() ? QStringLiteral("General") : cell.numberFormat;
        cells[platform::excel::CellName(platform::excel::BookSheet::ColumnOf(it.key()),
                                        platform::excel::BookSheet::RowOf(it.key()))] = c;
    }
    return cells;
}

} // namespace testsupport
