// The window base's host commands: the shared walk and FindReportControl, print and preview
// through the host's printer service or the report sheet, find, Excel export and import.
#include "tests/find/FindFixture.h"

#include "platform/ReportSheet.h"
#include "platform/SpreadsheetBook.h"
#include "platform/core/Exception.h"
#include "platform/workbook/Workbook.h"
#include "plugin/CELL50Lib_TLB.h"
#include "tests/support/XlsxReadBack.h"
#include "tests/support/ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <xlsxwriter.h>

using namespace findtest;

namespace {

// A report control that records each call by dispatch id and answers from a table.
class RecordingControl : public platform::DispatchControl {
public:
    struct Call {
        int id;
        QVariantList args;
        bool captionTimerActive;
    };
    QList<Call> calls;
    QTimer* watched = nullptr;
    std::function<QVariant(int, const QVariantList&)> answer = [](int, const QVariantList&) { return QVariant(0); };

    QVariant Invoke(int dispId, const QVariantList& args) override
    {
        calls << Call{dispId, args, watched && watched->isActive()};
        return answer(dispId, args);
    }
    QWidget* Widget() override { return nullptr; }
    QList<int> Ids() const
    {
        QList<int> ids;
        for (const Call& c : calls)
            ids << c.id;
        return ids;
    }
};

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

class CommandsTest : public WindowTest {
protected:
    GoodsData goods;
    QTemporaryDir dir;

    RecordingControl* AddCell(const QString& name, TCell** cell = nullptr)
    {
        auto control = std::make_unique<RecordingControl>();
        RecordingControl* raw = control.get();
        raw->watched = window->CaptionTimer;
        TCell* c = Own(new TCell(std::move(control), window.get()), name);
        if (cell)
            *cell = c;
        return raw;
    }
    QStringList PrinterCalls() const
    {
        QStringList out;
        for (const auto& c : host.Printer.Calls)
            out << c.operation + u':' + (c.component ? c.component->objectName() : QStringLiteral("-")) + u':' +
                       QString::number(c.flags) + u':' + c.unitCode + u':' + c.formName;
        return out;
    }
};

} // namespace

TEST_F(CommandsTest, FindReportControlLooksIntoContainersOnly)
{
    auto* outer = Own(new platform::Frame(window.get()), QStringLiteral("outer"));
    auto* inner = outer->Own(new platform::Frame(outer), QStringLiteral("inner"));
    auto* banded = inner->Own(MakeGrid(inner, goods), QStringLiteral("banded"));
    outer->Own(new platform::Frame(outer), QStringLiteral("empty")); // after it, holding nothing
    auto* plain = Own(MakeGrid(window.get(), goods, false), QStringLiteral("plain"));
    auto* sheet = new platform::TabSheet(window.get());
    Own(sheet, QStringLiteral("sheet"));
    auto* book = sheet->Own(new platform::SpreadsheetBook(sheet), QStringLiteral("book"));

    // A control found in a later container replaces one found in an earlier container.
    EXPECT_EQ(window->FindReportControl(window.get()), book);
    // An empty frame after the one holding the grid does not lose the grid.
    EXPECT_EQ(window->FindReportControl(outer), banded);
    EXPECT_EQ(window->FindReportControl(sheet), book);
    EXPECT_EQ(window->FindReportControl(plain), nullptr); // not a container
    EXPECT_EQ(window->FindReportControl(nullptr), nullptr);
    // A report control owned directly wins at once, before any later container.
    auto* direct = Own(new platform::SpreadsheetBook(window.get()), QStringLiteral("direct"));
    window->Disown(sheet);
    window->Own(sheet, QStringLiteral("sheet"));
    EXPECT_EQ(window->FindReportControl(window.get()), direct);
    window->Disown(direct);
    window->Disown(sheet);
    window->Own(sheet, QStringLiteral("sheet"));

    // The walk offers what a container holds before the container itself, in component order.
    QList<QObject*> offered;
    EXPECT_FALSE(window->RunCommandWalk([&](QObject* c) {
        offered << c;
        return false;
    }));
    EXPECT_EQ(offered, (QList<QObject*>{nullptr, window->dxBarToolBar, banded, outer, nullptr, plain, book, sheet}));
    offered.clear();
    EXPECT_TRUE(window->RunCommandWalk([&](QObject* c) {
        offered << c;
        return c == plain;
    }));
    EXPECT_EQ(offered.last(), plain);
}

TEST_F(CommandsTest, PrintGoesToTheFirstGridOrBookThroughTheHostPrinter)
{
    auto* skipped = Own(MakeGrid(window.get(), goods), QStringLiteral("skipped"));
    platform::SetTag(skipped, 9999);
    auto* book = Own(new platform::SpreadsheetBook(window.get()), QStringLiteral("book"));
    Own(MakeGrid(window.get(), goods, false), QStringLiteral("later"));
    window->PrintPreview();
    window->PrintData();
    EXPECT_EQ(PrinterCalls(), (QStringList{QStringLiteral("PreviewComponent:book:0:JXC_TEST:FormName"),
                                           QStringLiteral("PrintComponent:book:0:JXC_TEST:FormName")}));
    platform::SetTag(book, 9999);
    window->PrintData();
    EXPECT_EQ(PrinterCalls().last(), QStringLiteral("PrintComponent:later:0:JXC_TEST:FormName"));
    EXPECT_TRUE(host.Log.Errors.isEmpty());
}

TEST_F(CommandsTest, AReportSheetPrintsOnlyWithAPrinterUnderTheCaptionTimer)
{
    RecordingControl* control = AddCell(QStringLiteral("Cell"));
    control->answer = [](int id, const QVariantList&) { return id == CELL50Lib::DISPID_GetCurSheet ? QVariant(2) : QVariant(); };

    // No printer: nothing printed, nothing reported, and the walk goes on past the sheet.
    app.SetPrinters({});
    window->PrintPreview();
    window->PrintData();
    EXPECT_TRUE(control->calls.isEmpty());
    EXPECT_TRUE(host.Log.Errors.isEmpty());
    auto* grid = Own(MakeGrid(window.get(), goods, false), QStringLiteral("grid"));
    window->PrintData();
    EXPECT_EQ(PrinterCalls(), QStringList{QStringLiteral("PrintComponent:grid:0:JXC_TEST:FormName")});
    delete grid;

    app.SetPrinters({QStringLiteral("HP LaserJet")});
    window->PrintPreview();
    window->PrintData();
    ASSERT_EQ(control->Ids(), (QList<int>{111, 133, 111, 132}));
    EXPECT_EQ(control->calls[1].args, (QVariantList{1, 2}));
    EXPECT_EQ(control->calls[3].args, (QVariantList{1, 2}));
    EXPECT_TRUE(control->calls[1].captionTimerActive);
    EXPECT_TRUE(control->calls[3].captionTimerActive);
    EXPECT_FALSE(window->CaptionTimer->isActive());

    // A failing print call is reported with the preview's text by both commands; the timer stops.
    control->answer = [](int id, const QVariantList&) -> QVariant {
        if (id == CELL50Lib::DISPID_PrintSheet || id == CELL50Lib::DISPID_PreviewSheet)
            throw platform::Exception(QStringLiteral("打印机脱机"));
        return 0;
    };
    window->PrintData();
    window->PrintPreview();
    EXPECT_EQ(host.Log.Errors, (QStringList{QStringLiteral("PrintPreview|执行打印预览PrintPreview发生异常错误|打印机脱机"),
                                            QStringLiteral("PrintPreview|执行打印预览PrintPreview发生异常错误|打印机脱机")}));
    EXPECT_FALSE(window->CaptionTimer->isActive());

    // A report sheet that is excluded is not printed even with printers.
    control->calls.clear();
    platform::SetTag(window->findChild<TCell*>(), 9999);
    window->PrintPreview();
    EXPECT_TRUE(control->calls.isEmpty());
}

TEST_F(CommandsTest, FindOffersBandedGridsFrom21RowsTreeListsAndReportSheets)
{
    // 20 rows do not qualify; the tree list after the grid is offered instead.
    goods.AddNumbered(20);
    auto* grid = Own(MakeGrid(window.get(), goods), QStringLiteral("grid"));
    auto* tree = Own(MakeTree(window.get()), QStringLiteral("tree"));
    EXPECT_TRUE(window->FindData());
    ASSERT_NE(FindWindowForm, nullptr);
    EXPECT_EQ(FindWindowForm->SearchMode, 1);
    EXPECT_EQ(FindWindowForm->SearchTreeList.data(), tree);
    goods.Add(QStringLiteral("G021"), QStringLiteral("商品21"));
    EXPECT_TRUE(window->FindData());
    EXPECT_EQ(FindWindowForm->SearchMode, 0);
    EXPECT_EQ(FindWindowForm->SearchGrid.data(), grid);
    FindWindowForm->close();

    // A tree list before a qualifying grid wins.
    window->Disown(grid);
    window->Own(grid, QStringLiteral("grid"));
    EXPECT_TRUE(window->FindData());
    EXPECT_EQ(FindWindowForm->SearchMode, 1);
    FindWindowForm->close();

    // Excluded tree list and grid: the report sheet gets the find call.
    platform::SetTag(tree, 9999);
    platform::SetTag(grid, 9999);
    RecordingControl* control = AddCell(QStringLiteral("Cell"));
    EXPECT_TRUE(window->FindData());
    EXPECT_EQ(FindWindowForm, nullptr);
    ASSERT_EQ(control->Ids(), QList<int>{221});
    EXPECT_EQ(control->calls[0].args, QVariantList{0});

    // Nothing to search: false and no dialog.
    platform::SetTag(window->findChild<TCell*>(), 9999);
    EXPECT_FALSE(window->FindData());
    EXPECT_EQ(FindWindowForm, nullptr);
}

TEST_F(CommandsTest, ExportWithoutAnEligibleControlShowsNoDialog)
{
    Own(new platform::Frame(window.get()), QStringLiteral("frame"));
    EXPECT_TRUE(window->SaveToExcel());
    EXPECT_TRUE(app.FileDialogs().isEmpty());
    EXPECT_TRUE(window->ImportData());
    EXPECT_TRUE(app.FileDialogs().isEmpty());
}

TEST_F(CommandsTest, AGridExportsUnderItsLevelCaptionAndACancelEndsTheWalk)
{
    goods.Add(QStringLiteral("G1"), QStringLiteral("苹果"), 3, 2.5);
    goods.Add(QStringLiteral("G2"), QStringLiteral("香蕉"), 1.25, 10);
    auto* excluded = Own(MakeGrid(window.get(), goods), QStringLiteral("excluded"));
    platform::SetTag(excluded, 9999);
    auto* grid = Own(MakeGrid(window.get(), goods, false), QStringLiteral("grid"));
    grid->ActiveLevel()->SetCaption(QStringLiteral("调拨单号：DB-1明细"));
    Own(MakeTree(window.get()), QStringLiteral("tree"));

    app.QueueFileCancel();
    EXPECT_TRUE(window->SaveToExcel());
    ASSERT_EQ(app.FileDialogs().size(), 1); // the tree list after it is not offered
    const platform::FileDialogOptions& asked = app.FileDialogs()[0].options;
    EXPECT_TRUE(app.FileDialogs()[0].save);
    EXPECT_EQ(asked.title, QStringLiteral("另存为Excel"));
    EXPECT_EQ(asked.filter, QStringLiteral("Mircrosoft Excel工作簿(*.xls)|*.xls"));
    EXPECT_EQ(asked.defaultExt, QStringLiteral("xls"));
    EXPECT_EQ(asked.fileName, QStringLiteral("调拨单号：DB-1明细"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    app.QueueFileName(dir.filePath(QStringLiteral("明细")));
    EXPECT_TRUE(window->SaveToExcel());
    const auto cells = testsupport::ReadFirstSheet(dir.filePath(QStringLiteral("明细.xlsx")));
    EXPECT_EQ(cells.value(QStringLiteral("A1")).text, QStringLiteral("Code"));
    EXPECT_EQ(cells.value(QStringLiteral("B3")).text, QStringLiteral("香蕉"));
    EXPECT_DOUBLE_EQ(cells.value(QStringLiteral("C2")).text.toDouble(), 3.0);
    EXPECT_TRUE(cells.value(QStringLiteral("D3")).number);
    EXPECT_FALSE(cells.contains(QStringLiteral("F1"))); // the hidden column stays out
    EXPECT_EQ(host.Ui.Events, (QStringList{QStringLiteral("ShowProgress:正在导出Excel文件..."), QStringLiteral("HideProgress")}));
}

TEST_F(CommandsTest, TreeListsAndBooksExportThemselves)
{
    Own(MakeTree(window.get()), QStringLiteral("tree"));
    app.QueueFileName(dir.filePath(QStringLiteral("tree.xls")));
    EXPECT_TRUE(window->SaveToExcel());
    EXPECT_TRUE(app.FileDialogs()[0].options.fileName.isEmpty()); // no preset name for a tree list
    auto cells = testsupport::ReadFirstSheet(dir.filePath(QStringLiteral("tree.xlsx")));
    EXPECT_EQ(cells.value(QStringLiteral("B1")).text, QStringLiteral("名称"));
    EXPECT_EQ(cells.value(QStringLiteral("A3")).text, QStringLiteral("  S0101")); // nested one level
    EXPECT_FALSE(cells.contains(QStringLiteral("C2")));                         // the hidden id

    auto* sheet = Own(new platform::TabSheet(window.get()), QStringLiteral("sheet"));
    auto* book = sheet->Own(new platform::SpreadsheetBook(sheet), QStringLiteral("book"));
    window->Disown(sheet);
    window->Disown(window->findChild<platform::TreeList*>());
    window->Own(sheet, QStringLiteral("sheet"));
    book->Pages(0).SetCellText(0, 0, QStringLiteral("5"));
    book->Pages(0).SetCellText(0, 1, QStringLiteral("=A1*3"));
    app.QueueFileName(dir.filePath(QStringLiteral("book.xlsx")));
    EXPECT_TRUE(window->SaveToExcel());
    const platform::excel::BookData back = platform::excel::ReadXlsx(dir.filePath(QStringLiteral("book.xlsx")));
    EXPECT_EQ(back.sheets[0].Cell(0, 1)->formula, QStringLiteral("A1*3"));
    EXPECT_EQ(back.sheets[0].Cell(0, 1)->value.toDouble(), 15.0);
}

TEST_F(CommandsTest, AReportSheetsFormulasSurviveAsLiveFormulas)
{
    TCell* cell = Own(new TCell(window.get()), QStringLiteral("Cell"));
    platform::ReportSheet* report = cell->ReportSheet();
    ASSERT_NE(report, nullptr);
    report->SetSheetCount(2);
    report->SetCellValue(1, 1, 0, 1.0);
    report->SetCellValue(1, 2, 0, 2.0);
    report->SetCellValue(1, 3, 0, 3.0);
    report->SetFormula(1, 4, 0, QStringLiteral("SUM(A1:A3)"));
    report->SetCellValue(2, 1, 0, QStringLiteral("合计"));
    report->SetCellValue(1, 1, 1, QStringLiteral("第二页"));
    report->SetFormula(2, 2, 1, QStringLiteral("10/4"));
    ASSERT_EQ(report->CellText(1, 4, 0), QStringLiteral("6"));

    const QString path = dir.filePath(QStringLiteral("report.xlsx"));
    app.QueueFileName(path);
    EXPECT_TRUE(window->SaveToExcel());
    EXPECT_EQ(host.Ui.Events, (QStringList{QStringLiteral("ShowProgress:正在导出Excel文件..."),
                                          QStringLiteral("ShowProgress:正在设置Excel公式..."),
                                          QStringLiteral("HideProgress")}));
    const platform::excel::BookData back = platform::excel::ReadXlsx(path);
    ASSERT_EQ(back.sheets.size(), 2);
    const platform::excel::BookCell* sum = back.sheets[0].Cell(0, 3);
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->formula, QStringLiteral("SUM(A1:A3)"));
    EXPECT_EQ(sum->value.toDouble(), 6.0);
    EXPECT_TRUE(sum->wordWrap);
    EXPECT_TRUE(back.sheets[0].Cell(0, 0)->formula.isEmpty()); // values stay values
    EXPECT_EQ(back.sheets[0].Cell(1, 0)->value.toString(), QStringLiteral("合计"));
    EXPECT_EQ(back.sheets[1].Cell(1, 1)->formula, QStringLiteral("10/4"));
    EXPECT_EQ(back.sheets[1].Cell(1, 1)->value.toDouble(), 2.5);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".part")));

    // The test support reads the same file as the host's users would see it.
    EXPECT_EQ(testsupport::ReadFirstSheet(path).value(QStringLiteral("A4")).text, QStringLiteral("6"));
}

TEST_F(CommandsTest, AnExportIntoAReadOnlyFolderIsReportedAndWritesNothing)
{
    const QString folder = jxctest::ReadOnlyFolder(dir);
    goods.Add(QStringLiteral("G1"), QStringLiteral("苹果"));
    Own(MakeGrid(window.get(), goods), QStringLiteral("grid"));
    app.QueueFileName(folder + QStringLiteral("/grid.xlsx"));
    EXPECT_FALSE(window->SaveToExcel());
    ASSERT_EQ(host.Log.Errors.size(), 1);
    EXPECT_TRUE(host.Log.Errors[0].startsWith(QStringLiteral("SaveToExcel|导出Excel数据发生异常错误|无法")))
        << host.Log.Errors[0].toStdString();
    EXPECT_TRUE(host.Log.Errors[0].contains(folder + QStringLiteral("/grid.xlsx")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/grid.xlsx")));
    EXPECT_EQ(host.Ui.Events.last(), QStringLiteral("HideProgress"));

    // The report sheet: the hint is hidden once, nothing is left behind.
    window->Disown(window->findChild<platform::Grid*>());
    TCell* cell = Own(new TCell(window.get()), QStringLiteral("Cell"));
    cell->ReportSheet()->SetFormula(1, 1, 0, QStringLiteral("1+1"));
    host.Ui.Events.clear();
    app.QueueFileName(folder + QStringLiteral("/report.xlsx"));
    EXPECT_FALSE(window->SaveToExcel());
    EXPECT_EQ(host.Ui.Events, (QStringList{QStringLiteral("ShowProgress:正在导出Excel文件..."), QStringLiteral("HideProgress")}));
    EXPECT_TRUE(host.Log.Errors[1].startsWith(QStringLiteral("SaveToExcel|导出Excel数据发生异常错误|")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/report.xlsx")));

    // Still usable: the next export into a writable folder works.
    app.QueueFileName(dir.filePath(QStringLiteral("ok.xlsx")));
    EXPECT_TRUE(window->SaveToExcel());
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("ok.xlsx"))));
}

TEST_F(CommandsTest, AFailingReportControlEndsTheConversionWithTheHintHidden)
{
    RecordingControl* control = AddCell(QStringLiteral("Cell"));
    const QString path = dir.filePath(QStringLiteral("r.xlsx"));
    control->answer = [&](int id, const QVariantList& args) -> QVariant {
        if (id == CELL50Lib::DISPID_ExportExcelFile) {
            platform::excel::BookData book;
            book.sheets.resize(1);
            book.sheets[0].CellAt(0, 0).value = 7.0;
            platform::excel::WriteBook(book, args[0].toString());
            return 1;
        }
        if (id == CELL50Lib::DISPID_GetTotalSheets)
            return 1;
        if (id == CELL50Lib::DISPID_GetCols)
            throw platform::Exception(QStringLiteral("调用失败"));
        return 0;
    };
    app.QueueFileName(path);
    EXPECT_FALSE(window->SaveToExcel());
    EXPECT_EQ(host.Log.Errors, QStringList{QStringLiteral("SaveToExcel|导出Excel数据发生异常错误|调用失败")});
    EXPECT_EQ(host.Ui.Events.count(QStringLiteral("HideProgress")), 1);
    EXPECT_EQ(host.Ui.Events.last(), QStringLiteral("HideProgress"));
    // The control's own workbook stays where it wrote it.
    EXPECT_EQ(testsupport::ReadFirstSheet(path).value(QStringLiteral("A1")).text, QStringLiteral("7"));
    EXPECT_EQ(control->Ids(), (QList<int>{129, 228, 38}));
}

TEST_F(CommandsTest, ImportOffersEachBookUntilOneIsLoaded)
{
    auto* first = Own(new platform::SpreadsheetBook(window.get()), QStringLiteral("first"));
    auto* excluded = Own(new platform::SpreadsheetBook(window.get()), QStringLiteral("excluded"));
    platform::SetTag(excluded, 9999);
    auto* second = Own(new platform::SpreadsheetBook(window.get()), QStringLiteral("second"));
    platform::excel::BookData data;
    data.sheets.resize(1);
    data.sheets[0].name = QStringLiteral("导入");
    data.sheets[0].CellAt(1, 1).value = QStringLiteral("来自文件");
    const QString path = dir.filePath(QStringLiteral("in.xlsx"));
    platform::excel::WriteBook(data, path);

    app.QueueFileCancel();
    app.QueueFileName(QStringLiteral("  ") + path + QStringLiteral("  ")); // blanks around: not found as typed
    EXPECT_FALSE(window->ImportData());
    ASSERT_EQ(app.FileDialogs().size(), 2); // the excluded book is not offered
    EXPECT_FALSE(app.FileDialogs()[0].save);
    EXPECT_EQ(app.FileDialogs()[0].options.title, QStringLiteral("导入Excel"));
    EXPECT_EQ(app.FileDialogs()[0].options.filter, QStringLiteral("Mircrosoft Excel工作簿(*.xls)|*.xls"));
    EXPECT_EQ(host.Log.Errors.size(), 1);
    EXPECT_TRUE(host.Log.Errors[0].startsWith(QStringLiteral("ImportData|导入Excel数据发生异常错误|文件 ")));

    app.QueueFileCancel();
    app.QueueFileName(path);
    EXPECT_TRUE(window->ImportData());
    EXPECT_EQ(second->Pages(0).CellText(1, 1), QStringLiteral("来自文件"));
    EXPECT_EQ(second->Pages(0).Caption(), QStringLiteral("导入"));
    EXPECT_TRUE(first->Pages(0).CellText(1, 1).isEmpty());
    EXPECT_TRUE(excluded->Pages(0).CellText(1, 1).isEmpty());

    // An empty name counts as a cancel.
    app.QueueFileName(QStringLiteral("   "));
    app.QueueFileCancel();
    EXPECT_TRUE(window->ImportData());
}

TEST_F(CommandsTest, AnImportStoppedWithEscLeavesTheBookAsItWasAndReportsNothing)
{
    auto* book = Own(new platform::SpreadsheetBook(window.get()), QStringLiteral("book"));
    book->Pages(0).SetCellText(0, 0, QStringLiteral("原有"));
    platform::excel::BookData data;
    data.sheets.resize(1);
    data.sheets[0].CellAt(0, 0).value = QStringLiteral("来自文件");
    const QString path = dir.filePath(QStringLiteral("in.xlsx"));
    platform::excel::WriteBook(data, path);

    // Pressed while the import runs: the hint lets pending events through before reading.
    app.QueueFileName(path);
    QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(window->ImportData());
    EXPECT_EQ(book->Pages(0).CellText(0, 0), QStringLiteral("原有"));
    EXPECT_TRUE(host.Log.Errors.isEmpty());
    EXPECT_EQ(host.Ui.Events, (QStringList{QStringLiteral("ShowProgress:正在导入Excel文件...（按Esc键取消）"),
                                          QStringLiteral("HideProgress")}));

    // Another key does not stop it: the next import runs to its end.
    QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
    app.QueueFileName(path);
    EXPECT_TRUE(window->ImportData());
    EXPECT_EQ(book->Pages(0).CellText(0, 0), QStringLiteral("来自文件"));
}

TEST_F(CommandsTest, BadWorkbooksAreReportedAndTheBookKeepsItsData)
{
    auto* book = Own(new platform::SpreadsheetBook(window.get()), QStringLiteral("book"));
    book->Pages(0).SetCellText(0, 0, QStringLiteral("原有"));
    QStringList files;
    files << WriteFile(dir, QStringLiteral("text.xlsx"), "not a workbook at all");
    files << WriteFile(dir, QStringLiteral("locked.xlsx"), QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(1024, '\0'));
    {
        platform::excel::BookData data;
        data.sheets.resize(1);
        for (int i = 0; i < 200; ++i)
            data.sheets[0].CellAt(i % 10, i / 10).value = QStringLiteral("单元格%1").arg(i);
        const QString whole = dir.filePath(QStringLiteral("whole.xlsx"));
        platform::excel::WriteBook(data, whole);
        QFile f(whole);
        f.open(QIODevice::ReadOnly);
        files << WriteFile(dir, QStringLiteral("truncated.xlsx"), f.read(f.size() / 2));
    }
    {
        // A sheet of a million cells, as another program may write one.
        const QString huge = dir.filePath(QStringLiteral("huge.xlsx"));
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* wb = workbook_new_opt(QFile::encodeName(huge).constData(), &options);
        lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
        for (int r = 0; r < 1000; ++r)
            for (int c = 0; c < 1000; ++c)
                worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), r * 1000 + c, nullptr);
        ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
        files << huge;
    }
    const QStringList reasons{QStringLiteral("不是有效的Excel工作簿"), QStringLiteral("有密码保护"),
                              QStringLiteral("不是有效的Excel工作簿"), QStringLiteral("单元格超过")};
    for (int i = 0; i < files.size(); ++i) {
        app.QueueFileName(files[i]);
        EXPECT_FALSE(window->ImportData()) << files[i].toStdString();
        ASSERT_EQ(host.Log.Errors.size(), i + 1);
        EXPECT_TRUE(host.Log.Errors[i].startsWith(QStringLiteral("ImportData|导入Excel数据发生异常错误|文件 ") + files[i]));
        EXPECT_TRUE(host.Log.Errors[i].contains(reasons[i])) << host.Log.Errors[i].toStdString();
        EXPECT_EQ(book->Pages(0).CellText(0, 0), QStringLiteral("原有"));
        EXPECT_EQ(host.Ui.Events.last(), QStringLiteral("HideProgress"));
    }
}
