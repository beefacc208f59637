// The window base's host commands: export to a workbook, import one, print and preview, and
// find, each walking the window's controls for the ones it serves.
#include "plugin/DllWindow.h"

#include "find/FindWindow.h"
#include "platform/Application.h"
#include "platform/Grid.h"
#include "platform/SpreadsheetBook.h"
#include "platform/TableView.h"
#include "platform/TreeList.h"
#include "platform/excel/ControlExport.h"
#include "platform/workbook/Workbook.h"
#include "plugin/CELL50Lib_TLB.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

#include <QTimer>

namespace {

// Components with this Tag take no part in print, export, import and find.
constexpr int kExcludedTag = 9999;
const QString kExcelFilter = QStringLiteral("Mircrosoft Excel工作簿(*.xls)|*.xls");
const QString kExportingHint = QStringLiteral("正在导出Excel文件...");

bool IsContainer(const QObject* c)
{
    return platform::IsExactly<platform::TabSheet>(c) || platform::IsOrDerived<platform::Frame>(c) ||
           platform::IsOrDerived<platform::Form>(c);
}

bool Excluded(const QObject* c) { return platform::Tag(c) == kExcludedTag; }

// Runs the caption timer around a report control's print call, stopping it however the call
// ends. A window before InitWindow or after DoneWindow has no timer and prints without it.
class CaptionWatch {
public:
    explicit CaptionWatch(QTimer* timer) : timer_(timer)
    {
        if (timer_)
            timer_->start();
    }
    ~CaptionWatch()
    {
        if (timer_)
            timer_->stop();
    }
    CaptionWatch(const CaptionWatch&) = delete;
    CaptionWatch& operator=(const CaptionWatch&) = delete;

private:
    QTimer* timer_;
};

} // namespace

bool TDllWindowForm::SaveToExcel()
{
    // One dialog for the whole command; the walk shows it at most once, since every control
    // that shows it reports handled.
    platform::FileDialogOptions dialog;
    dialog.title = QStringLiteral("另存为Excel");
    dialog.filter = kExcelFilter;
    dialog.defaultExt = QStringLiteral("xls");
    return plugin::RunCommand({.failure = QStringLiteral("SaveToExcel|导出Excel数据发生异常错误|"), .notify = false},
                              [&] { RunCommandWalk([&](QObject* c) { return ExportControl(c, dialog); }); });
}

bool TDllWindowForm::ExportControl(QObject* c, platform::FileDialogOptions& dialog)
{
    if (!c || Excluded(c))
        return false;
    const bool grid = platform::IsExactly<platform::Grid>(c);
    if (!grid && !platform::IsExactly<platform::TreeList>(c) && !platform::IsExactly<platform::SpreadsheetBook>(c) &&
        !platform::IsExactly<TCell>(c))
        return false;
    if (grid) {
        platform::GridLevel* level = static_cast<platform::Grid*>(c)->ActiveLevel();
        dialog.fileName = level ? level->Caption() : QString();
    }
    // A cancelled dialog, or no name, ends the command with nothing written.
    if (!platform::Application()->ExecSaveDialog(dialog) || dialog.fileName.trimmed().isEmpty())
        return true;
    // The workbook is Office Open XML whatever the dialog's filter says: the name says so too.
    const QString fileName = platform::excel::XlsxFileName(dialog.fileName);
    if (platform::IsExactly<TCell>(c)) {
        ExportReportSheet(*static_cast<TCell*>(c), fileName);
        return true;
    }
    plugin::WaitHint wait(kExportingHint);
    platform::Application()->ProcessMessages();
    if (grid)
        platform::excel::ExportGrid4ToExcel(fileName, *static_cast<platform::Grid*>(c), true, true, true, GetUnitCode(),
                                            QStringLiteral("xls"), false);
    else if (platform::IsExactly<platform::TreeList>(c))
        platform::excel::cxExportTL4ToExcel(fileName, *static_cast<platform::TreeList*>(c), true, true, true,
                                            GetUnitCode());
    else
        static_cast<platform::SpreadsheetBook*>(c)->SaveToFile(fileName);
    return true;
}

void TDllWindowForm::ExportReportSheet(TCell& cell, const QString& fileName)
{
    // Hidden once, however the conversion ends; the second hint replaces the first.
    plugin::WaitHint wait(kExportingHint);
    platform::Application()->ProcessMessages();
    cell.ExportExcelFile(fileName); // its result says nothing the load below does not
    platform::SpreadsheetBook book;
    book.LoadFromFile(fileName);
    book.SetAutoRecalc(false);
    book.BeginUpdate();
    plugin::HostUi()->ShowProgress(QStringLiteral("正在设置Excel公式..."));
    platform::Application()->ProcessMessages();
    {
        // The update ends and the book is refreshed also when a step below fails.
        struct EndUpdate {
            platform::SpreadsheetBook& book;
            ~EndUpdate()
            {
                book.EndUpdate();
                book.UpdateControl();
            }
        } endUpdate{book};
        const int sheets = cell.GetTotalSheets();
        for (int s = 0; s < sheets; ++s) {
            platform::SpreadsheetPage page = book.Pages(s);
            const int columns = cell.GetCols(s);
            for (int c = 1; c <= columns; ++c) {
                const int rows = cell.GetRows(s);
                for (int r = 1; r <= rows; ++r) {
                    page.GetCellObject(c - 1, r - 1)->Style().SetWordWrap(true);
                    if (cell.IsFormulaCell(c, r, s) > 0)
                        page.SetCellText(c - 1, r - 1, QStringLiteral("=") + cell.GetFormula(c, r, s), false, true);
                }
            }
        }
        book.SetDefaultWordWrap(true);
    }
    book.SetAutoRecalc(true);
    book.SaveToFile(fileName);
}

bool TDllWindowForm::ImportData()
{
    platform::FileDialogOptions dialog;
    dialog.title = QStringLiteral("导入Excel");
    dialog.filter = kExcelFilter;
    return plugin::RunCommand({.failure = QStringLiteral("ImportData|导入Excel数据发生异常错误|"), .notify = false}, [&] {
        // Only the books the window itself owns; a cancelled dialog offers the next book.
        for (QObject* c : Components()) {
            // A book the commands exclude is not offered at all: a file picked for it would
            // be dropped without a word.
            if (!platform::IsExactly<platform::SpreadsheetBook>(c) || Excluded(c))
                continue;
            if (!platform::Application()->ExecOpenDialog(dialog) || dialog.fileName.trimmed().isEmpty())
                continue;
            // A large book takes a while: the hint shows how far it has come, and Esc stops it
            // with the book as it was.
            plugin::CancellableWait wait(QStringLiteral("正在导入Excel文件..."));
            platform::Application()->ProcessMessages();
            try {
                static_cast<platform::SpreadsheetBook*>(c)->LoadFromFile(
                    dialog.fileName, [&wait](qint64 done, qint64 total) { return wait.Step(done, total); });
            } catch (const platform::Exception&) {
                if (!wait.Cancelled())
                    throw;
            }
            break;
        }
    });
}

void TDllWindowForm::PrintPreview() { PrintCommand(true); }

void TDllWindowForm::PrintData() { PrintCommand(false); }

void TDllWindowForm::PrintCommand(bool preview)
{
    // One text for both commands.
    plugin::RunCommand({.failure = QStringLiteral("PrintPreview|执行打印预览PrintPreview发生异常错误|"), .notify = false},
                       [&] { RunCommandWalk([&](QObject* c) { return PrintControl(c, preview); }); });
}

bool TDllWindowForm::PrintControl(QObject* c, bool preview)
{
    if (!c || Excluded(c))
        return false;
    if (platform::IsExactly<platform::Grid>(c) || platform::IsExactly<platform::SpreadsheetBook>(c)) {
        auto* widget = static_cast<QWidget*>(c);
        if (preview)
            plugin::HostPrinter()->PreviewComponent(widget, 0, GetUnitCode(), QStringLiteral("FormName"));
        else
            plugin::HostPrinter()->PrintComponent(widget, 0, GetUnitCode(), QStringLiteral("FormName"));
        return true;
    }
    if (platform::IsExactly<TCell>(c)) {
        // Without a printer the report sheet is passed over and the walk goes on.
        if (platform::Screen()->Printers().isEmpty())
            return false;
        auto* cell = static_cast<TCell*>(c);
        CaptionWatch watch(CaptionTimer);
        if (preview)
            cell->PreviewSheet(1, cell->GetCurSheet());
        else
            cell->PrintSheet(1, cell->GetCurSheet());
        return true;
    }
    return false;
}

bool TDllWindowForm::FindData()
{
    return RunCommandWalk([this](QObject* c) { return FindControl(c); });
}

bool TDllWindowForm::FindControl(QObject* c)
{
    if (!c)
        return false;
    if (platform::IsExactly<platform::Grid>(c)) {
        auto* grid = static_cast<platform::Grid*>(c);
        platform::TableView* view = grid->ActiveView();
        // A grid is worth a find dialog from 21 rows on, and only with a banded view.
        if (!view || view->DataController()->RowCount() <= 20 || !platform::IsOrDerived<platform::BandedTableView>(view) ||
            Excluded(c))
            return false;
        const bool created = !FindWindowForm;
        if (created)
            FindWindowForm = new TFindWindowForm;
        FindWindowForm->SearchGrid = grid;
        FindWindowForm->SearchMode = 0;
        if (created)
            FindWindowForm->CentreOn(this);
        FindWindowForm->show();
        FindWindowForm->raise();
        return true;
    }
    if (platform::IsExactly<platform::TreeList>(c) && !Excluded(c)) {
        const bool created = !FindWindowForm;
        if (created)
            FindWindowForm = new TFindWindowForm;
        FindWindowForm->SearchTreeList = static_cast<platform::TreeList*>(c);
        FindWindowForm->SearchMode = 1;
        if (created)
            FindWindowForm->CentreOn(this);
        FindWindowForm->show();
        FindWindowForm->raise();
        return true;
    }
    if (platform::IsExactly<TCell>(c) && !Excluded(c)) {
        static_cast<TCell*>(c)->FindCell(0);
        return true;
    }
    return false;
}

QObject* TDllWindowForm::FindReportControl(QObject* container)
{
    if (!IsContainer(container))
        return nullptr;
    platform::ComponentOwner* owner = platform::AsOwner(container);
    if (!owner)
        return nullptr;
    QObject* kept = nullptr;
    for (QObject* c : owner->Components()) {
        if (IsContainer(c)) {
            // A later container with nothing inside does not lose what an earlier one held.
            if (QObject* found = FindReportControl(c))
                kept = found;
            continue;
        }
        if (platform::IsExactly<platform::Grid>(c)) {
            if (platform::IsOrDerived<platform::BandedTableView>(static_cast<platform::Grid*>(c)->ActiveView()))
                return c;
        } else if (platform::IsExactly<platform::SpreadsheetBook>(c) || platform::IsExactly<TCell>(c)) {
            return c;
        }
    }
    return kept;
}

bool TDllWindowForm::RunCommandWalk(const ControlAction& action)
{
    bool handled = false;
    for (QObject* c : Components()) {
        handled = action(FindReportControl(c));
        if (handled)
            break;
        handled = action(c);
        if (handled)
            break;
    }
    return handled;
}
