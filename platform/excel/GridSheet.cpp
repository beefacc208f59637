#include "platform/excel/GridSheet.h"

#include "platform/core/Currency.h"
#include "platform/DataController.h"
#include "platform/core/Dataset.h"
#include "platform/TableView.h"

#include <QDateTime>
#include <QHash>

namespace platform::excel {

namespace {

// A cell's value for the sheet: the number or date itself where the cell shows one, the shown
// text otherwise (text with a format of its own).
QVariant CellValue(const QVariant& value, const QString& shown)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().ToDouble();
    if (IsNumberType(value.typeId()))
        return value;
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate)
        return value.toDateTime();
    return shown;
}

} // namespace

SheetData ViewSheet(const TableView& view)
{
    SheetData sheet;
    QVector<const GridColumn*> shown;
    for (int c = 0; c < view.ColumnCount(); ++c) {
        const GridColumn* col = view.Column(c);
        if (!col->Visible())
            continue;
        shown.push_back(col);
        SheetColumn sc;
        sc.caption = col->Caption();
        sc.widthPixels = col->Width();
        sc.alignment = col->ContentAlignment();
        sc.numberFormat = col->Properties().DisplayFormat();
        sheet.columns.push_back(sc);
    }
    const DataController* dc = view.DataController();
    const Dataset* ds = dc->DataSet();
    sheet.sourceRows = ds ? dc->RecordCount() : 0;
    // Each column's field, found once rather than by name for every cell.
    QVector<int> fields;
    for (const GridColumn* col : shown)
        fields.push_back(ds ? ds->FieldIndex(col->FieldName()) : -1);
    // Image-combo columns show few distinct names: each is looked up once per sheet.
    QVector<QHash<QString, QString>> shownNames(shown.size());
    sheet.fillRow = [shown, fields, ds, shownNames](int r, SheetRow& row) mutable {
        row.resize(shown.size());
        for (int i = 0; i < shown.size(); ++i) {
            const GridColumn* col = shown[i];
            const QVariant v = fields[i] >= 0 ? ds->DisplayValue(r, fields[i]) : QVariant();
            const ColumnProperties& p = col->Properties();
            if (p.Kind() == EditorKind::ImageCombo && v.isValid()) {
                const QString key = v.toString();
                auto at = shownNames[i].constFind(key);
                if (at == shownNames[i].constEnd())
                    at = shownNames[i].insert(key, p.DisplayText(v));
                row[i] = *at;
                continue;
            }
            // Plain text is what the cell shows; numbers and dates are written as themselves.
            const int type = v.typeId();
            if (type == QMetaType::QString && p.DisplayFormat().isEmpty()) {
                row[i] = v;
                continue;
            }
            const bool asValue = !v.isValid() || IsNumberType(type) || v.metaType() == QMetaType::fromType<Currency>()
                || type == QMetaType::QDateTime || type == QMetaType::QDate;
            row[i] = CellValue(v, asValue ? QString() : p.DisplayText(v));
        }
    };
    // The footer as the grid shows it: sums as numbers, counts as their text.
    SheetRow footer(shown.size());
    bool any = false;
    for (int i = 0; i < dc->FooterSummaryCount(); ++i) {
        const FooterSummary* s = dc->FooterSummaryItem(i);
        const int at = int(shown.indexOf(s->Column()));
        if (at < 0)
            continue;
        any = true;
        const QVariant value = dc->FooterSummaryValue(i);
        if (s->SummaryKind() == FooterSummary::Kind::Sum && value.isValid()) {
            footer[at] = value.metaType() == QMetaType::fromType<Currency>() ? QVariant(value.value<Currency>().ToDouble())
                                                                             : QVariant(value.toDouble());
            sheet.columns[at].footerNumberFormat = s->Format();
        } else {
            footer[at] = dc->FooterSummaryText(i);
        }
    }
    if (any)
        sheet.footer = std::move(footer);
    return sheet;
}

SheetData CollectSheet(const TableView& view)
{
    SheetData sheet = ViewSheet(view);
    sheet.rows.resize(sheet.sourceRows);
    for (int r = 0; r < sheet.sourceRows; ++r)
        sheet.fillRow(r, sheet.rows[r]);
    sheet.sourceRows = 0;
    sheet.fillRow = nullptr;
    return sheet;
}

} // namespace platform::excel
