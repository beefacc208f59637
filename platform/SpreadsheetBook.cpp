#include "platform/SpreadsheetBook.h"

#include "platform/BookSheetModel.h"
#include "platform/core/Exception.h"

#include <QHeaderView>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <optional>

namespace platform {

namespace {

void CheckCell(int column, int row)
{
    if (column < 0 || column >= excel::kMaxColumns || row < 0 || row >= excel::kMaxRows)
        throw Exception(QStringLiteral("单元格位置超出范围：列 %1，行 %2").arg(column).arg(row));
}

} // namespace

bool SpreadsheetCellStyle::WordWrap() const
{
    const excel::BookSheet* s = book_->SheetOrNull(page_);
    const excel::BookCell* c = s ? s->Cell(column_, row_) : nullptr;
    return c && c->wordWrap;
}

void SpreadsheetCellStyle::SetWordWrap(bool on)
{
    if (WordWrap() == on)
        return;
    book_->Sheet(page_).CellAt(column_, row_).wordWrap = on;
    book_->CellChanged(page_, column_, row_);
}

SpreadsheetCellObject::SpreadsheetCellObject(SpreadsheetBook* book, int page, int column, int row)
    : book_(book), page_(page), column_(column), row_(row)
{
    CheckCell(column, row);
}

QString SpreadsheetCellObject::Text() const { return SpreadsheetPage(book_, page_).CellText(column_, row_); }

QString SpreadsheetPage::Caption() const { return book_->Sheet(index_).name; }

std::unique_ptr<SpreadsheetCellObject> SpreadsheetPage::GetCellObject(int column, int row) const
{
    book_->Sheet(index_); // throws for a page that is gone
    return std::make_unique<SpreadsheetCellObject>(book_, index_, column, row);
}

void SpreadsheetPage::SetCellText(int column, int row, const QString& text, bool asText, bool recognizeFormula)
{
    CheckCell(column, row);
    excel::BookSheet& sheet = book_->Sheet(index_);
    const excel::BookCell* old = sheet.Cell(column, row);
    const std::optional<excel::BookCell> before = old ? std::optional<excel::BookCell>(*old) : std::nullopt;
    excel::BookCell& cell = sheet.CellAt(column, row);
    cell.formula.clear();
    if (recognizeFormula && text.size() > 1 && text.startsWith(u'=')) {
        cell.formula = text.mid(1);
        cell.value = QVariant();
    } else if (text.isEmpty()) {
        cell.value = QVariant();
    } else {
        bool ok = false;
        const double d = asText ? 0 : text.trimmed().toDouble(&ok);
        cell.value = ok ? QVariant(d) : QVariant(text);
    }
    // Formulas that read the cell follow it at once under automatic recalculation.
    if (book_->AutoRecalc() && !book_->IsUpdating()) {
        try {
            excel::Recalculate(sheet);
        } catch (const Exception&) {
            // A formula refused by the recalculation is not kept: the cell is as it was.
            if (before)
                sheet.CellAt(column, row) = *before;
            else
                sheet.Remove(column, row);
            throw;
        }
        book_->UpdateControl();
        return;
    }
    book_->CellChanged(index_, column, row);
}

QString SpreadsheetPage::CellText(int column, int row) const
{
    const excel::BookSheet* s = book_->SheetOrNull(index_);
    const excel::BookCell* c = s ? s->Cell(column, row) : nullptr;
    return c ? BookSheetModel::DisplayText(*c) : QString();
}

QVariant SpreadsheetPage::CellValue(int column, int row) const
{
    const excel::BookSheet* s = book_->SheetOrNull(index_);
    const excel::BookCell* c = s ? s->Cell(column, row) : nullptr;
    return c ? c->value : QVariant();
}

QString SpreadsheetPage::CellFormula(int column, int row) const
{
    const excel::BookSheet* s = book_->SheetOrNull(index_);
    const excel::BookCell* c = s ? s->Cell(column, row) : nullptr;
    return c ? c->formula : QString();
}

SpreadsheetBook::SpreadsheetBook(QWidget* parent) : QWidget(parent)
{
    data_.sheets.resize(1);
    data_.sheets[0].name = QStringLiteral("Sheet1");
    model_ = new BookSheetModel([this] { return SheetOrNull(active_); },
                                [this](int column, int row, const QString& text) {
                                    Pages(active_).SetCellText(column, row, text);
                                },
                                this);
    const SheetView parts = AddSheetView(this, QStringLiteral("SheetView"), model_, [this](int index) {
        if (index != active_)
            SetActivePage(index);
    });
    view_ = parts.view;
    tabs_ = parts.tabs;
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    ShowTabs();
}

SpreadsheetBook::~SpreadsheetBook()
{
    // The views read data_ through the model; they go first, while it still exists.
    delete view_;
    delete tabs_;
}

void SpreadsheetBook::LoadFromFile(const QString& fileName, const excel::ReadProgress& progress)
{
    excel::BookData loaded = excel::ReadXlsx(fileName, progress); // throws before anything changes
    if (autoRecalc_) {
        try {
            for (excel::BookSheet& s : loaded.sheets)
                excel::Recalculate(s);
        } catch (const Exception& e) {
            throw Exception(QStringLiteral("文件 %1 中的").arg(fileName) + e.Message());
        }
    }
    data_ = std::move(loaded);
    active_ = 0;
    ShowTabs();
    UpdateControl();
}

void SpreadsheetBook::SaveToFile(const QString& fileName)
{
    if (autoRecalc_)
        Recalc();
    excel::WriteBook(data_, fileName);
}

SpreadsheetPage SpreadsheetBook::Pages(int index)
{
    Sheet(index);
    return SpreadsheetPage(this, index);
}

int SpreadsheetBook::AddPage(const QString& caption)
{
    excel::BookSheet sheet;
    sheet.name = caption;
    data_.sheets.push_back(std::move(sheet));
    ShowTabs();
    return PageCount() - 1;
}

void SpreadsheetBook::SetActivePage(int index)
{
    Sheet(index);
    active_ = index;
    tabs_->setCurrentIndex(index);
    model_->Reset();
}

void SpreadsheetBook::SetDefaultWordWrap(bool on)
{
    data_.defaultWordWrap = on;
    view_->setWordWrap(true);
}

void SpreadsheetBook::SetAutoRecalc(bool on)
{
    autoRecalc_ = on;
    if (on && !IsUpdating())
        Recalc();
}

void SpreadsheetBook::Recalc()
{
    for (excel::BookSheet& s : data_.sheets)
        excel::Recalculate(s);
    if (!IsUpdating())
        model_->Reset();
}

void SpreadsheetBook::EndUpdate()
{
    if (updating_ == 0 || --updating_ > 0)
        return;
    if (autoRecalc_)
        Recalc();
    UpdateControl();
}

void SpreadsheetBook::UpdateControl()
{
    dirty_ = false;
    model_->Reset();
}

excel::BookSheet& SpreadsheetBook::Sheet(int page)
{
    if (page < 0 || page >= PageCount())
        throw Exception(QStringLiteral("工作表 %1 不存在").arg(page));
    return data_.sheets[page];
}

const excel::BookSheet* SpreadsheetBook::SheetOrNull(int page) const
{
    return page >= 0 && page < PageCount() ? &data_.sheets[page] : nullptr;
}

void SpreadsheetBook::CellChanged(int page, int column, int row)
{
    if (IsUpdating()) {
        dirty_ = true;
        return;
    }
    if (page == active_)
        model_->CellChanged(column, row);
}

void SpreadsheetBook::ShowTabs()
{
    ShowSheetTabs(tabs_, data_, active_);
}

} // namespace platform
