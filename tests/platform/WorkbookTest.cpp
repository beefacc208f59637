// The workbook data, its .xlsx reader and writer, formulas, and the spreadsheet book on top.
#include "platform/SpreadsheetBook.h"
#include "platform/core/Exception.h"
#include "platform/excel/Workbook.h"
#include "tests/support/ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

using namespace platform::excel;

namespace {

QString ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const platform::Exception& e) {
        return e.Message();
    }
    return {};
}

BookData SampleBook()
{
    BookData book;
    book.sheets.resize(2);
    BookSheet& s = book.sheets[0];
    s.name = QStringLiteral("调拨");
    s.CellAt(0, 0).value = QStringLiteral("数量");
    s.CellAt(0, 1).value = 1.5;
    s.CellAt(0, 2).value = 2.0;
    s.CellAt(0, 3).value = 3.25;
    s.CellAt(0, 4).formula = QStringLiteral("SUM(A2:A4)");
    s.CellAt(1, 0).value = QStringLiteral("a long text that wraps");
    s.CellAt(1, 0).wordWrap = true;
    s.CellAt(1, 1).value = 0.5;
    s.CellAt(1, 1).numberFormat = QStringLiteral("0.00");
    Recalculate(s);
    book.sheets[1].name = QStringLiteral("Second");
    book.sheets[1].CellAt(2, 6).value = QStringLiteral("C7");
    return book;
}

} // namespace

TEST(WorkbookFormulas, ComputeReferencesRangesAndFunctions)
{
    BookSheet s;
    s.CellAt(0, 0).value = 1.0;
    s.CellAt(0, 1).value = 2.0;
    s.CellAt(0, 2).value = 3.0;
    s.CellAt(1, 0).value = QStringLiteral("text");
    s.CellAt(1, 1).formula = QStringLiteral("A1*10"); // B2 = 10, computed on demand below
    EXPECT_EQ(EvaluateFormula(QStringLiteral("SUM(A1:A3)"), s).toDouble(), 6.0);
    EXPECT_EQ(EvaluateFormula(QStringLiteral("=sum($A$1:A3, 4) / 2"), s).toDouble(), 5.0);
    EXPECT_EQ(EvaluateFormula(QStringLiteral("AVERAGE(A1:A3)+MAX(A1:B3)-MIN(A2:A3)+COUNT(A1:B3)"), s).toDouble(),
              2.0 + 10.0 - 2.0 + 4.0); // the text in B1 is no number and is not counted
    EXPECT_EQ(EvaluateFormula(QStringLiteral("-(A1+A2)*A3"), s).toDouble(), -9.0);
    EXPECT_EQ(EvaluateFormula(QStringLiteral("B1&\"-\"&A3"), s).toString(), QStringLiteral("text-3"));
    EXPECT_EQ(EvaluateFormula(QStringLiteral("A1/0"), s).toString(), QStringLiteral("#DIV/0!"));
    EXPECT_EQ(EvaluateFormula(QStringLiteral("B1+1"), s).toString(), QStringLiteral("#VALUE!"));
    EXPECT_EQ(EvaluateFormula(QStringLiteral("NOSUCH(A1)"), s).toString(), QStringLiteral("#NAME?"));
    EXPECT_EQ(EvaluateFormula(QStringLiteral("SUM(A1:A3"), s).toString(), QStringLiteral("#NAME?"));
    EXPECT_EQ(EvaluateFormula(QStringLiteral("Z99"), s).toDouble(), 0.0); // an empty cell counts 0
    // Nesting no spreadsheet writes is refused, not followed down the stack.
    EXPECT_EQ(EvaluateFormula(QString(100000, u'(') + u'1' + QString(100000, u')'), s).toString(), QStringLiteral("#VALUE!"));
    EXPECT_EQ(EvaluateFormula(QString(100000, u'-') + u'1', s).toString(), QStringLiteral("#VALUE!"));
    EXPECT_EQ(EvaluateFormula(QString(60, u'(') + u'2' + QString(60, u')'), s).toDouble(), 2.0);

    // A circular reference is an error, not endless recursion; the error spreads to readers.
    s.CellAt(3, 0).formula = QStringLiteral("D2+1");
    s.CellAt(3, 1).formula = QStringLiteral("D1+1");
    s.CellAt(3, 2).formula = QStringLiteral("SUM(D1:D2)");
    Recalculate(s);
    EXPECT_EQ(s.Cell(3, 0)->value.toString(), QStringLiteral("#REF!"));
    EXPECT_EQ(s.Cell(3, 2)->value.toString(), QStringLiteral("#REF!"));
    EXPECT_EQ(s.Cell(1, 1)->value.toDouble(), 10.0);
}

TEST(WorkbookFormulas, LongChainsComputeWithoutExhaustingTheStack)
{
    // Each cell reads the one below it, so computing A1 first nests 20,000 deep.
    BookSheet s;
    const int n = 20000;
    for (int r = 0; r < n - 1; ++r)
        s.CellAt(0, r).formula = QStringLiteral("A%1+1").arg(r + 2);
    s.CellAt(0, n - 1).value = 1.0;
    EXPECT_EQ(EvaluateFormula(QStringLiteral("A1*2"), s).toDouble(), 2.0 * n);
    Recalculate(s);
    EXPECT_EQ(s.Cell(0, 0)->value.toDouble(), double(n));
    EXPECT_EQ(s.Cell(0, n / 2)->value.toDouble(), double(n - n / 2));

    // A circle longer than the nesting allowed is still a circular reference.
    BookSheet circle;
    for (int r = 0; r < 1000; ++r)
        circle.CellAt(1, r).formula = QStringLiteral("B%1+1").arg((r + 1) % 1000 + 1);
    Recalculate(circle);
    EXPECT_EQ(circle.Cell(1, 0)->value.toString(), QStringLiteral("#REF!"));
    EXPECT_EQ(circle.Cell(1, 999)->value.toString(), QStringLiteral("#REF!"));
}

TEST(WorkbookCells, NamesReadAndWriteBothWays)
{
    EXPECT_EQ(CellName(0, 0), QStringLiteral("A1"));
    EXPECT_EQ(CellName(25, 9), QStringLiteral("Z10"));
    EXPECT_EQ(CellName(26, 0), QStringLiteral("AA1"));
    EXPECT_EQ(CellName(kMaxColumns - 1, kMaxRows - 1), QStringLiteral("XFD1048576"));
    EXPECT_EQ(CellName(kMaxColumns, 0), QString());
    int c = -1, r = -1;
    ASSERT_TRUE(ParseCellName(u"$ab$12", c, r));
    EXPECT_EQ(c, 27);
    EXPECT_EQ(r, 11);
    for (const char* bad : {"A0", "1A", "A", "XFE1", "A1048577", "A1B", ""})
        EXPECT_FALSE(ParseCellName(QString::fromLatin1(bad), c, r)) << bad;
    EXPECT_EQ(XlsxFileName(QStringLiteral("/t/明细.xls")), QStringLiteral("/t/明细.xlsx"));
    EXPECT_EQ(XlsxFileName(QStringLiteral("/t/a.XLSX")), QStringLiteral("/t/a.XLSX"));
    EXPECT_EQ(XlsxFileName(QStringLiteral("/t/a")), QStringLiteral("/t/a.xlsx"));
}

TEST(WorkbookFiles, WrittenBookReadsBackWithFormulasWrapAndSheets)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    WriteBook(SampleBook(), path);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".part")));

    const BookData back = ReadXlsx(path);
    ASSERT_EQ(back.sheets.size(), 2);
    const BookSheet& s = back.sheets[0];
    EXPECT_EQ(s.name, QStringLiteral("调拨"));
    EXPECT_EQ(s.Cell(0, 0)->value.toString(), QStringLiteral("数量"));
    EXPECT_EQ(s.Cell(0, 3)->value.toDouble(), 3.25);
    ASSERT_NE(s.Cell(0, 4), nullptr);
    EXPECT_EQ(s.Cell(0, 4)->formula, QStringLiteral("SUM(A2:A4)"));
    EXPECT_EQ(s.Cell(0, 4)->value.toDouble(), 6.75); // the computed value travels with it
    EXPECT_TRUE(s.Cell(1, 0)->wordWrap);
    EXPECT_FALSE(s.Cell(0, 1)->wordWrap);
    EXPECT_EQ(s.Cell(1, 1)->numberFormat, QStringLiteral("0.00"));
    EXPECT_EQ(back.sheets[1].name, QStringLiteral("Second"));
    EXPECT_EQ(back.sheets[1].Cell(2, 6)->value.toString(), QStringLiteral("C7"));
    EXPECT_EQ(back.sheets[1].RowCount(), 7);
    EXPECT_EQ(back.sheets[1].ColumnCount(), 3);
}

TEST(WorkbookFiles, BadFilesGiveAClearErrorNamingTheFile)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.xlsx"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("这不是工作簿\n");
    }
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(text); }),
              QStringLiteral("文件 %1 不是有效的Excel工作簿（文件可能已损坏或不完整）").arg(text));

    // A workbook cut off in the middle of its transfer.
    const QString whole = dir.filePath(QStringLiteral("whole.xlsx"));
    WriteBook(SampleBook(), whole);
    const QString cut = dir.filePath(QStringLiteral("cut.xlsx"));
    {
        QFile in(whole);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QFile out(cut);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(in.read(in.size() * 2 / 3));
    }
    EXPECT_TRUE(ErrorOf([&] { ReadXlsx(cut); }).contains(QStringLiteral("不是有效的Excel工作簿")));

    // Password protection turns a workbook into an encrypted compound document.
    const QString locked = dir.filePath(QStringLiteral("locked.xlsx"));
    {
        QFile f(locked);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(504, '\0'));
    }
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(locked); }),
              QStringLiteral("文件 %1 有密码保护或是旧版Excel格式（.xls），无法读取").arg(locked));

    const QString missing = dir.filePath(QStringLiteral("missing.xlsx"));
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(missing); }), QStringLiteral("文件 %1 不存在").arg(missing));
}

TEST(WorkbookFiles, AMillionCellsAreRefusedOnReadAndWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.xlsx"));
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
        for (int r = 0; r < 1000; ++r)
            for (int c = 0; c < 1000; ++c)
                worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), r + c, nullptr);
        ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    }
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(path); }),
              QStringLiteral("文件 %1 的单元格超过 %2 个，无法读取").arg(path).arg(kMaxBookCells));

    BookData big;
    big.sheets.resize(1);
    for (int i = 0; i <= kMaxBookCells; ++i)
        big.sheets[0].CellAt(i % 1000, i / 1000).value = 1.0;
    const QString target = dir.filePath(QStringLiteral("big.xlsx"));
    EXPECT_TRUE(ErrorOf([&] { WriteBook(big, target); }).startsWith(QStringLiteral("工作簿的单元格超过")));
    EXPECT_FALSE(QFile::exists(target));
}

TEST(WorkbookFiles, AFailedWriteLeavesNoFileAndKeepsAnOldOne)
{
    QTemporaryDir dir;
    const QString folder = jxctest::ReadOnlyFolder(dir);
    const QString path = folder + QStringLiteral("/out.xlsx");
    const QString error = ErrorOf([&] { WriteBook(SampleBook(), path); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法写入文件 ") + path)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".part")));

    // A sheet name the spreadsheet forbids is made acceptable rather than failing the write.
    BookData odd = SampleBook();
    odd.sheets[0].name = QStringLiteral("a/b:c*d?[e]且这是一个超过三十一个字符的很长很长很长的工作表名称");
    odd.sheets[1].name = odd.sheets[0].name;
    const QString ok = dir.filePath(QStringLiteral("odd.xlsx"));
    WriteBook(odd, ok);
    const BookData back = ReadXlsx(ok);
    ASSERT_EQ(back.sheets.size(), 2);
    EXPECT_NE(back.sheets[0].name, back.sheets[1].name);
    EXPECT_LE(back.sheets[1].name.size(), 31);
}

TEST(SpreadsheetBookTest, PagesCellsFormulasAndRecalculation)
{
    platform::SpreadsheetBook book;
    EXPECT_EQ(book.PageCount(), 1);
    platform::SpreadsheetPage page = book.Pages(0);
    page.SetCellText(0, 0, QStringLiteral("2"));
    page.SetCellText(0, 1, QStringLiteral("3"));
    page.SetCellText(0, 2, QStringLiteral("=SUM(A1:A2)"), false, true);
    EXPECT_EQ(page.CellFormula(0, 2), QStringLiteral("SUM(A1:A2)"));
    EXPECT_EQ(page.CellText(0, 2), QStringLiteral("5"));
    page.SetCellText(0, 0, QStringLiteral("7")); // readers follow under automatic recalculation
    EXPECT_EQ(page.CellText(0, 2), QStringLiteral("10"));

    book.SetAutoRecalc(false);
    page.SetCellText(0, 1, QStringLiteral("4"));
    EXPECT_EQ(page.CellText(0, 2), QStringLiteral("10"));
    book.SetAutoRecalc(true);
    EXPECT_EQ(page.CellText(0, 2), QStringLiteral("11"));

    // A text stays text, "=" alone is text, and a formula needs recognizeFormula.
    page.SetCellText(1, 0, QStringLiteral("=A1"), false, false);
    EXPECT_TRUE(page.CellFormula(1, 0).isEmpty());
    EXPECT_EQ(page.CellText(1, 0), QStringLiteral("=A1"));
    page.SetCellText(1, 1, QStringLiteral("12"), true);
    EXPECT_EQ(page.CellValue(1, 1).typeId(), QMetaType::QString);

    // Inside an update the view is told once, at its end.
    book.BeginUpdate();
    page.SetCellText(2, 5, QStringLiteral("x"));
    EXPECT_EQ(book.View()->model()->rowCount(), 3);
    book.EndUpdate();
    EXPECT_EQ(book.View()->model()->rowCount(), 6);
    EXPECT_EQ(book.View()->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("C"));

    page.GetCellObject(3, 3)->Style().SetWordWrap(true);
    EXPECT_TRUE(page.GetCellObject(3, 3)->Style().WordWrap());
    EXPECT_THROW(book.Pages(1), platform::Exception);
    EXPECT_THROW(page.SetCellText(-1, 0, QStringLiteral("x")), platform::Exception);
}

TEST(SpreadsheetBookTest, SavesLoadsAndKeepsItsContentWhenALoadFails)
{
    QTemporaryDir dir;
    platform::SpreadsheetBook book;
    book.AddPage(QStringLiteral("第二页"));
    book.Pages(0).SetCellText(0, 0, QStringLiteral("1"));
    book.Pages(0).SetCellText(0, 1, QStringLiteral("=A1*2"));
    book.Pages(1).SetCellText(1, 1, QStringLiteral("中文"));
    book.SetDefaultWordWrap(true);
    const QString path = dir.filePath(QStringLiteral("b.xlsx"));
    book.SaveToFile(path);

    platform::SpreadsheetBook other;
    other.LoadFromFile(path);
    ASSERT_EQ(other.PageCount(), 2);
    EXPECT_EQ(other.Pages(1).Caption(), QStringLiteral("第二页"));
    EXPECT_EQ(other.Pages(0).CellFormula(0, 1), QStringLiteral("A1*2"));
    EXPECT_EQ(other.Pages(0).CellText(0, 1), QStringLiteral("2"));
    EXPECT_EQ(other.Pages(1).CellText(1, 1), QStringLiteral("中文"));
    EXPECT_TRUE(other.Pages(0).GetCellObject(0, 0)->Style().WordWrap()); // the default style wrapped all

    const QString junk = dir.filePath(QStringLiteral("junk.xlsx"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("PK\x03\x04 truncated");
    f.close();
    EXPECT_THROW(other.LoadFromFile(junk), platform::Exception);
    EXPECT_EQ(other.PageCount(), 2);
    EXPECT_EQ(other.Pages(1).CellText(1, 1), QStringLiteral("中文"));
}
