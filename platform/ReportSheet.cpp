#include "platform/ReportSheet.h"

#include "platform/Application.h"
#include "platform/BookSheetModel.h"
#include "platform/core/Exception.h"

#include <QHeaderView>
#include <QInputDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace platform {

namespace {

int IntArg(const QVariantList& args, int i, int dispId)
{
    bool ok = false;
    const int v = args.value(i).toInt(&ok);
    if (i >= args.size() || !ok)
        throw Exception(QStringLiteral("报表控件调用 %1 的第 %2 个参数无效").arg(dispId).arg(i + 1));
    return v;
}

} // namespace

ReportSheet::ReportSheet(QWidget* parent) : QWidget(parent)
{
    data_.sheets.resize(1);
    data_.sheets[0].name = QStringLiteral("Sheet1");
    model_ = new BookSheetModel([this] { return &data_.sheets[current_]; }, {}, this);
    const SheetView parts = AddSheetView(this, QStringLiteral("ReportView"), model_, [this](int index) {
        if (index != current_)
            SetCurSheet(index);
    });
    view_ = parts.view;
    tabs_ = parts.tabs;
    ShowTabs();
}

ReportSheet::~ReportSheet()
{
    // The views read data_ through the model; they go first, while it still exists.
    delete view_;
    delete tabs_;
}

QVariant ReportSheet::Invoke(int dispId, const QVariantList& args)
{
    switch (dispId) {
    case GetCurSheet:
        return current_;
    case PreviewSheet:
        Preview(IntArg(args, 1, dispId));
        return {};
    case PrintSheet:
        Print(IntArg(args, 1, dispId));
        return {};
    case FindCell:
        Find();
        return {};
    case ExportExcelFile:
        if (args.isEmpty())
            throw Exception(QStringLiteral("报表控件调用 %1 缺少文件名").arg(dispId));
        ExportExcel(args.first().toString());
        return 1;
    case GetTotalSheets:
        return SheetCount();
    case GetCols:
        return Cols(IntArg(args, 0, dispId));
    case GetRows:
        return Rows(IntArg(args, 0, dispId));
    case IsFormulaCell:
        return IsFormula(IntArg(args, 0, dispId), IntArg(args, 1, dispId), IntArg(args, 2, dispId)) ? 1 : 0;
    case GetFormula:
        return Formula(IntArg(args, 0, dispId), IntArg(args, 1, dispId), IntArg(args, 2, dispId));
    default:
        throw Exception(QStringLiteral("报表控件不支持调度号 %1 的操作").arg(dispId));
    }
}

void ReportSheet::SetSheetCount(int count)
{
    const int n = std::max(1, count);
    const int old = SheetCount();
    data_.sheets.resize(n);
    for (int i = old; i < n; ++i)
        data_.sheets[i].name = QStringLiteral("Sheet%1").arg(i + 1);
    if (current_ >= n)
        current_ = n - 1;
    ShowTabs();
    Changed();
}

void ReportSheet::SetCurSheet(int sheet)
{
    SheetAt(sheet);
    current_ = sheet;
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(sheet);
    model_->Reset();
}

void ReportSheet::SetSheetName(int sheet, const QString& name)
{
    SheetAt(sheet);
    data_.sheets[sheet].name = name;
    ShowTabs();
}

void ReportSheet::CheckCell(int column, int row)
{
    if (column < 1 || column > excel::kMaxColumns || row < 1 || row > excel::kMaxRows)
        throw Exception(QStringLiteral("单元格位置超出范围：列 %1，行 %2").arg(column).arg(row));
}

void ReportSheet::SetCellValue(int column, int row, int sheet, const QVariant& value)
{
    SheetAt(sheet);
    CheckCell(column, row);
    excel::BookCell& cell = data_.sheets[sheet].CellAt(column - 1, row - 1);
    cell.formula.clear();
    cell.value = value;
    Changed();
}

void ReportSheet::SetFormula(int column, int row, int sheet, const QString& formula)
{
    SheetAt(sheet);
    CheckCell(column, row);
    QString f = formula.trimmed();
    if (f.startsWith(u'='))
        f.remove(0, 1);
    data_.sheets[sheet].CellAt(column - 1, row - 1).formula = f;
    Changed();
}

void ReportSheet::EndUpdate()
{
    if (updating_ == 0 || --updating_ > 0)
        return;
    Changed();
}

QVariant ReportSheet::CellValue(int column, int row, int sheet) const
{
    const excel::BookCell* c = SheetAt(sheet).Cell(column - 1, row - 1);
    return c ? c->value : QVariant();
}

QString ReportSheet::CellText(int column, int row, int sheet) const
{
    const excel::BookCell* c = SheetAt(sheet).Cell(column - 1, row - 1);
    return c ? BookSheetModel::DisplayText(*c) : QString();
}

QPoint ReportSheet::CurrentCell() const
{
    const QModelIndex i = view_->currentIndex();
    return i.isValid() ? QPoint(i.column() + 1, i.row() + 1) : QPoint(0, 0);
}

void ReportSheet::SetCurrentCell(int column, int row) { view_->setCurrentIndex(model_->index(row - 1, column - 1)); }

int ReportSheet::Cols(int sheet) const { return SheetAt(sheet).ColumnCount(); }

int ReportSheet::Rows(int sheet) const { return SheetAt(sheet).RowCount(); }

bool ReportSheet::IsFormula(int column, int row, int sheet) const
{
    const excel::BookCell* c = SheetAt(sheet).Cell(column - 1, row - 1);
    return c && c->HasFormula();
}

QString ReportSheet::Formula(int column, int row, int sheet) const
{
    const excel::BookCell* c = SheetAt(sheet).Cell(column - 1, row - 1);
    return c ? c->formula : QString();
}

void ReportSheet::ExportExcel(const QString& fileName) const
{
    // The workbook holds what the sheets show: a formula cell as its computed value.
    excel::BookData values = data_;
    for (excel::BookSheet& s : values.sheets) {
        QVector<qint64> formulas;
        for (auto it = s.AllCells().cbegin(); it != s.AllCells().cend(); ++it)
            if (it.value().HasFormula())
                formulas << it.key();
        for (qint64 key : formulas)
            s.CellAt(excel::BookSheet::ColumnOf(key), excel::BookSheet::RowOf(key)).formula.clear();
    }
    excel::WriteBook(values, fileName);
}

void ReportSheet::Preview(int sheet)
{
    SheetAt(sheet);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    dialog.resize(900, 700);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this, sheet](QPrinter* p) { Render(sheet, *p); });
    Application()->ExecModal(dialog);
}

void ReportSheet::Print(int sheet)
{
    SheetAt(sheet);
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印"));
    if (Application()->ExecModal(dialog) != QDialog::Accepted)
        return;
    if (Render(sheet, printer) == 0)
        throw Exception(QStringLiteral("打印失败：无法打开打印机 %1").arg(printer.printerName()));
}

void ReportSheet::Find()
{
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("FindCellDialog"));
    dialog.setWindowTitle(QStringLiteral("查找"));
    dialog.setLabelText(QStringLiteral("查找内容："));
    if (Application()->ExecModal(dialog) != QDialog::Accepted || dialog.textValue().isEmpty())
        return;
    const QString text = dialog.textValue();
    // From the cell after the cursor, row by row; no wrap at the end, as the grids' find.
    const QPoint at = CurrentCell();
    const qint64 from = at.x() > 0 ? excel::BookSheet::Key(at.x() - 1, at.y() - 1) : -1;
    const excel::BookSheet::Cells& cells = data_.sheets[current_].AllCells();
    for (auto it = cells.upperBound(from); it != cells.cend(); ++it) {
        if (BookSheetModel::DisplayText(it.value()).contains(text)) {
            SetCurrentCell(excel::BookSheet::ColumnOf(it.key()) + 1, excel::BookSheet::RowOf(it.key()) + 1);
            return;
        }
    }
    Application()->ShowMessage(QStringLiteral("查找不到要搜索的数据"));
}

int ReportSheet::Render(int sheet, QPagedPaintDevice& device) const
{
    const excel::BookSheet& s = SheetAt(sheet);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    QFont font(QString::fromUtf8("宋体")); // heap text: font caches outlive an unloaded module
    font.setPointSize(9);
    painter.setFont(font);
    const QRectF page(QPointF(0, 0), QSizeF(device.width(), device.height()));
    const int columns = std::max(1, s.ColumnCount());
    const int rows = s.RowCount();
    const qreal rowHeight = painter.fontMetrics().height() * 1.6;
    const qreal columnWidth = page.width() / columns;
    const int perPage = std::max(1, int(page.height() / rowHeight));
    int pages = 1;
    for (int r = 0; r < rows; ++r) {
        const int onPage = r % perPage;
        if (r > 0 && onPage == 0) {
            device.newPage();
            ++pages;
        }
        for (int c = 0; c < columns; ++c) {
            const QRectF box(c * columnWidth, onPage * rowHeight, columnWidth, rowHeight);
            painter.drawRect(box);
            if (const excel::BookCell* cell = s.Cell(c, r)) {
                const int t = cell->value.typeId();
                const bool number = t == QMetaType::Double || t == QMetaType::Int || t == QMetaType::LongLong;
                painter.drawText(box.adjusted(3, 0, -3, 0),
                                 int(number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextWordWrap,
                                 BookSheetModel::DisplayText(*cell));
            }
        }
    }
    painter.end();
    return pages;
}

const excel::BookSheet& ReportSheet::SheetAt(int sheet) const
{
    if (sheet < 0 || sheet >= SheetCount())
        throw Exception(QStringLiteral("报表没有第 %1 页").arg(sheet));
    return data_.sheets[sheet];
}

void ReportSheet::Changed()
{
    if (updating_ > 0)
        return;
    // Formulas that read a changed cell follow it.
    for (excel::BookSheet& s : data_.sheets)
        excel::Recalculate(s);
    model_->Reset();
}

void ReportSheet::ShowTabs()
{
    ShowSheetTabs(tabs_, data_, current_);
}

} // namespace platform
