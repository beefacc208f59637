#include "plugin/DllWindow.h"

#include "find/FindWindow.h"
#include "platform/Application.h"
#include "platform/BandedTableView.h"
#include "platform/ButtonEdit.h"
#include "platform/CurrencyEdit.h"
#include "platform/Grid.h"
#include "platform/ImageComboBox.h"
#include "platform/MaskEdit.h"
#include "platform/Memo.h"
#include "platform/PopupEdit.h"
#include "platform/SlotGuard.h"
#include "platform/SpinEdit.h"
#include "platform/SpreadsheetBook.h"
#include "platform/StyleRepository.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "platform/TreeList.h"
#include "platform/excel/ControlExport.h"
#include "platform/excel/Workbook.h"
#include "plugin/CELL50Lib_TLB.h"
#include "plugin/Command.h"
#include "plugin/Host.h"

#include <QApplication>
#include <QToolTip>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kPreviewTitle = QStringLiteral("打印预览");
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

// The host's sheet, fetched anew for each use: the repository belongs to the host's main window.
const platform::GridStyleSheet* HostSheet(int index)
{
    platform::StyleRepository* repository = plugin::HostUi()->StyleRepository();
    return repository ? repository->StyleSheet(index) : nullptr;
}

template <class Editor>
bool SetFocusedColor(QObject* c, const QColor& color)
{
    if (!platform::IsExactly<Editor>(c))
        return false;
    static_cast<Editor*>(c)->SetFocusedColor(color);
    return true;
}

// The editors whose focused style takes the given colour; false for anything else.
bool ApplyEditorFocus(QObject* c, const QColor& color)
{
    using namespace platform;
    return SetFocusedColor<TextEdit>(c, color) || SetFocusedColor<ButtonEdit>(c, color) ||
           SetFocusedColor<ImageComboBox>(c, color) || SetFocusedColor<SpinEdit>(c, color) ||
           SetFocusedColor<CurrencyEdit>(c, color) || SetFocusedColor<Memo>(c, color) ||
           SetFocusedColor<MaskEdit>(c, color) || SetFocusedColor<PopupEdit>(c, color);
}

} // namespace

TdxBarManager::TdxBarManager(QWidget* form, QVBoxLayout* dock) : QObject(form), form_(form), dock_(dock) {}

QToolBar* TdxBarManager::AddBar(const QString& name, const QString& caption)
{
    auto* bar = new QToolBar(caption, form_);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    // Bars take the system font, not the form's.
    bar->setFont(QApplication::font());
    dock_->addWidget(bar);
    bars_ << bar;
    return bar;
}

QToolBar* TdxBarManager::Bar(const QString& name) const
{
    for (QToolBar* b : bars_)
        if (b->objectName() == name)
            return b;
    return nullptr;
}

TDllWindowForm::TDllWindowForm(QWidget* parent) : platform::Form(parent)
{
    setObjectName(QStringLiteral("TDllWindowForm"));
    setWindowTitle(QStringLiteral("DllWindowForm"));
    resize(671, 422);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* dock = new QVBoxLayout;
    dock->setSpacing(0);
    layout->addLayout(dock);
    client_ = new QVBoxLayout;
    client_->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(client_, 1);

    dxBarToolBar = Own(new TdxBarManager(this, dock), QStringLiteral("dxBarToolBar"));
    dxBarToolBar->AddBar(QStringLiteral("dxToolBar"), QStringLiteral("插件工具栏"));
}

TDllWindowForm::~TDllWindowForm()
{
    // A host that skipped DoneWindow must not leave a timer behind.
    delete CaptionTimer;
    // The find dialog searches this window's controls; it must not outlive them (nor the
    // module's code, which CloseWindow may unload next).
    delete FindWindowForm;
}

void TDllWindowForm::SetModified(bool value)
{
    Modified = value;
    // The mark goes on the host's container; a window that is not docked has none.
    QWidget* container = parentWidget();
    if (!container || isWindow())
        return;
    container->setWindowTitle(value ? windowTitle() + QStringLiteral("*") : windowTitle());
}

bool TDllWindowForm::GetModified() { return Modified; }

void TDllWindowForm::SetHostValue(int16_t value) { HostValue = value; }

int16_t TDllWindowForm::GetHostValue() { return HostValue; }

void TDllWindowForm::RefreshData() {}

bool TDllWindowForm::SaveData()
{
    platform::Application()->MessageBox(QStringLiteral("开发人员请注意，SaveData方法需要重载！"),
                                        QStringLiteral("提示"), platform::mbOK,
                                        platform::MessageIcon::Information);
    return false;
}

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

bool TDllWindowForm::ReservedQuery() { return false; }

void TDllWindowForm::ReservedCommand1() {}

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

void TDllWindowForm::ReservedCommand2() {}

void TDllWindowForm::InitWindow()
{
    // A second set-up replaces the timer instead of leaking the first. The form is its parent
    // only so that it can be found by name; DoneWindow frees it.
    delete CaptionTimer;
    CaptionTimer = new QTimer(this);
    CaptionTimer->setObjectName(QStringLiteral("CaptionTimer"));
    CaptionTimer->setInterval(1);
    connect(CaptionTimer, &QTimer::timeout, this, platform::Guard(this, &TDllWindowForm::CaptionTimerTimer));
    ApplyHostStyles(this);
}

void TDllWindowForm::DoneWindow()
{
    delete CaptionTimer;
    CaptionTimer = nullptr;
}

void TDllWindowForm::CaptionTimerTimer()
{
    for (QWidget* w : platform::Screen()->TopLevelWindows()) {
        if (w && w->windowTitle() == kPreviewTitle) {
            w->setWindowTitle(kPreviewTitle);
            if (CaptionTimer)
                CaptionTimer->stop();
            return;
        }
    }
}

int TDllWindowForm::RightsLevel()
{
    return plugin::HostRights()->CanBrowse(QString::number(platform::Tag(this)));
}

int TDllWindowForm::OperateRight()
{
    return plugin::HostRights()->CanOperate(QString::number(platform::Tag(this)));
}

void TDllWindowForm::ApplyHostStyles(QObject* container)
{
    platform::ComponentOwner* owner = platform::AsOwner(container);
    if (!owner)
        return;
    const QColor focused = QToolTip::palette().color(QPalette::ToolTipBase);
    for (QObject* c : owner->Components()) {
        if (platform::IsExactly<platform::BandedTableView>(c)) {
            static_cast<platform::BandedTableView*>(c)->SetStyleSheet(HostSheet(platform::StyleRepository::BandedTableViewSheet));
        } else if (platform::IsExactly<platform::TableView>(c)) {
            static_cast<platform::TableView*>(c)->SetStyleSheet(HostSheet(platform::StyleRepository::TableViewSheet));
        } else if (platform::IsExactly<platform::TreeList>(c)) {
            static_cast<platform::TreeList*>(c)->SetStyleSheet(HostSheet(platform::StyleRepository::TreeListSheet));
        } else if (!ApplyEditorFocus(c, focused) &&
                   (platform::IsOrDerived<platform::Frame>(c) || platform::IsExactly<platform::TabSheet>(c) ||
                    platform::IsOrDerived<platform::Form>(c))) {
            ApplyHostStyles(c);
        }
    }
}
