// The workbook data, its .xlsx reader and writer, formulas, and the spreadsheet book on top.
#include "fuzz/WorkbookArchive.h"
#include "platform/SpreadsheetBook.h"
#include "platform/core/Exception.h"
#include "platform/workbook/Workbook.h"
#include "tests/support/ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// A formula summing the range `times` times over: it reads the range's cells that often.
QString RepeatedSum(const QString& range, int times)
{
    QStringList args;
    for (int i = 0; i < times; ++i)
        args << range;
    return QStringLiteral("SUM(") + args.join(u',') + u')';
}

const QString kOverLimit = QStringLiteral("公式引用的单元格过多（一次计算超过 %1 个），无法计算").arg(kMaxFormulaReads);

// A part whose inside (between the opening and the closing of wrapped's root) is head, then
// repeated `times` times, then tail.
fuzz::ArchivePart Around(const QByteArray& wrapped, const QByteArray& head, const QByteArray& repeated = {},
                         qint64 times = 0, const QByteArray& tail = {})
{
    const qsizetype at = wrapped.indexOf('\x01');
    return {{}, wrapped.left(at) + head, repeated, times, tail + wrapped.mid(at + 1)};
}
fuzz::ArchivePart Rows(const QByteArray& head, const QByteArray& repeated = {}, qint64 times = 0,
                       const QByteArray& tail = {})
{
    return Around(fuzz::SheetXml("\x01"), head, repeated, times, tail);
}

// A workbook of one sheet, written by hand.
QString HandMadeBook(const QTemporaryDir& dir, const QString& name, const fuzz::ArchivePart& sheet,
                     const fuzz::ArchivePart& strings = {}, const fuzz::ArchivePart& styles = {})
{
    const QString path = dir.filePath(name);
    fuzz::WriteArchive(path, fuzz::WorkbookParts({sheet}, strings, styles));
    return path;
}

} // namespace

TEST(WorkbookFormulas, RangesAsWideAsTheSheetCostWhatTheSheetHolds)
{
    BookSheet s;
    s.CellAt(0, 1).value = 1.0;
    s.CellAt(2, 4).value = 2.0;
    s.CellAt(kMaxColumns - 1, kMaxRows - 1).value = 4.0;
    s.CellAt(1, 0).value = QStringLiteral("text");
    s.CellAt(3, 2).formula = QStringLiteral("C5*10");
    // Seventeen billion positions; four cells.
    EXPECT_EQ(EvaluateFormula(QStringLiteral("SUM(A2:XFD1048576)"), s).toDouble(), 27.0);
    EXPECT_EQ(EvaluateFormula(QStringLiteral("COUNT(A1:XFD1048576)"), s).toDouble(), 4.0);
    // Cells left and right of a narrow range in the same rows are not counted.
    EXPECT_EQ(EvaluateFormula(QStringLiteral("SUM(C1:C1048576)"), s).toDouble(), 2.0);
    EXPECT_EQ(EvaluateFormula(QStringLiteral("SUM(B1:C4)"), s).toDouble(), 0.0);
    EXPECT_EQ(EvaluateFormula(QStringLiteral("MAX(D3:XFD1048576)"), s).toDouble(), 20.0);
    s.CellAt(5, 900000).value = QStringLiteral("#DIV/0!");
    EXPECT_EQ(EvaluateFormula(QStringLiteral("SUM(A1:XFD1048576)"), s).toString(), QStringLiteral("#DIV/0!"));

    // Wide formulas over a full sheet would run for minutes: past the limit the whole
    // recalculation is refused and no value changes.
    BookSheet full;
    for (int r = 0; r < 5000; ++r)
        full.CellAt(0, r).value = 1.0;
    const int times = int(kMaxFormulaReads / 5000) + 1;
    EXPECT_EQ(ErrorOf([&] { EvaluateFormula(RepeatedSum(QStringLiteral("A1:XFD1048576"), times), full); }), kOverLimit);
    full.CellAt(1, 0).formula = QStringLiteral("SUM(A1:A5000)");
    full.CellAt(1, 0).value = 7.0;
    full.CellAt(2, 0).formula = RepeatedSum(QStringLiteral("A1:A5000"), times);
    EXPECT_EQ(ErrorOf([&] { Recalculate(full); }), kOverLimit);
    EXPECT_EQ(full.Cell(1, 0)->value.toDouble(), 7.0);
    full.Remove(2, 0);
    Recalculate(full);
    EXPECT_EQ(full.Cell(1, 0)->value.toDouble(), 5000.0);
}

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
    // A position past the bounds would share its key with another cell.
    BookSheet s;
    EXPECT_THROW(s.CellAt(65536, 0), platform::Exception);
    EXPECT_THROW(s.AppendCell(kMaxColumns, 0), platform::Exception);
    EXPECT_THROW(s.CellAt(0, kMaxRows), platform::Exception);
    EXPECT_EQ(s.Cell(65536, 0), nullptr);
    EXPECT_EQ(s.CellCount(), 0);

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

TEST(WorkbookFiles, HostileFilesAreRefusedByTheReadersLimitsWithAClearMessage)
{
    QTemporaryDir dir;
    const auto errorOf = [&](const QString& path) { return ErrorOf([&] { ReadXlsx(path); }); };
    const auto tooMany = [](const QString& path, const char* what, qint64 limit) {
        return QStringLiteral("文件 %1 的%2超过 %3 个，无法读取").arg(path, QString::fromUtf8(what)).arg(limit);
    };

    // Megabytes of empty shared strings or styles deflate to kilobytes (52 million of them to
    // 384 KB, which took gigabytes); a count limit stops them long before memory runs out.
    const QString strings = HandMadeBook(dir, QStringLiteral("strings.xlsx"), Rows("<row><c><v>1</v></c></row>"),
                                         Around(fuzz::SharedStringsXml("\x01"), "", "<si/>", kMaxSharedStrings + 1));
    EXPECT_EQ(errorOf(strings), tooMany(strings, "共享字符串", kMaxSharedStrings));
    EXPECT_LT(QFileInfo(strings).size(), 64 * 1024);
    const QString styles = HandMadeBook(dir, QStringLiteral("styles.xlsx"), Rows("<row><c><v>1</v></c></row>"), {},
                                        Around(fuzz::StylesXml("\x01"), "<cellXfs>", "<xf/>", kMaxCellFormats + 1, "</cellXfs>"));
    EXPECT_EQ(errorOf(styles), tooMany(styles, "单元格格式", kMaxCellFormats));

    // Sheets pointing at one part: too many sheets, or too many bytes read over and over,
    // refused before the part is inflated even once.
    const QString sheets = dir.filePath(QStringLiteral("sheets.xlsx"));
    fuzz::WriteArchive(sheets, fuzz::SharedPartWorkbook(kMaxSheets + 1, Rows("<row/>")));
    EXPECT_EQ(errorOf(sheets), tooMany(sheets, "工作表", kMaxSheets));
    const QString shared = dir.filePath(QStringLiteral("shared.xlsx"));
    const QByteArray emptyRow = "<row r=\"1\"/>";
    fuzz::WriteArchive(shared, fuzz::SharedPartWorkbook(40, Rows("", emptyRow, kMaxInflatedBytes / 40 / emptyRow.size() + 1)));
    EXPECT_EQ(errorOf(shared),
              QStringLiteral("文件 %1 解压后超过 %2 MB，无法读取").arg(shared).arg(kMaxInflatedBytes / (1024 * 1024)));
    // Forty sheets on a smaller part read fine: the limit is on bytes, not on sharing.
    const QString fine = dir.filePath(QStringLiteral("fine.xlsx"));
    fuzz::WriteArchive(fine, fuzz::SharedPartWorkbook(40, Rows("<row><c><v>3</v></c></row>")));
    const BookData fineBook = ReadXlsx(fine);
    ASSERT_EQ(fineBook.sheets.size(), 40);
    EXPECT_EQ(fineBook.sheets[39].Cell(0, 0)->value.toDouble(), 3.0);

    // An archive of more parts than any workbook has.
    const QString parts = dir.filePath(QStringLiteral("parts.xlsx"));
    QVector<fuzz::ArchivePart> many = fuzz::WorkbookParts({Rows("")}, {}, {});
    for (int i = many.size(); i <= kMaxParts; ++i)
        many.push_back({QStringLiteral("xl/media/%1.bin").arg(i), "x"});
    fuzz::WriteArchive(parts, many);
    EXPECT_EQ(errorOf(parts), tooMany(parts, "部件", kMaxParts));
}

TEST(WorkbookFiles, PositionsOutsideTheFormatsRowsAndColumnsAreRefused)
{
    QTemporaryDir dir;
    const auto outside = [](const QString& path, const QString& where) {
        return QStringLiteral("文件 %1 中的%2超出Excel的范围（最多 1048576 行、16384 列），无法读取").arg(path, where);
    };
    const QString overflow = HandMadeBook(dir, QStringLiteral("overflow.xlsx"),
                                          Rows("<row r=\"2147483647\"/><row/><row><c><v>1</v></c></row>"));
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(overflow); }), outside(overflow, QStringLiteral("第 2147483647 行")));
    const QString pastLast = HandMadeBook(dir, QStringLiteral("past-last.xlsx"),
                                          Rows("<row r=\"1048576\"><c><v>1</v></c></row><row><c><v>2</v></c></row>"));
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(pastLast); }), outside(pastLast, QStringLiteral("第 1048577 行")));
    const QString hugeNumber = HandMadeBook(dir, QStringLiteral("huge-number.xlsx"), Rows("<row r=\"99999999999999999999\"/>"));
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(hugeNumber); }), outside(hugeNumber, QStringLiteral("行号 99999999999999999999")));
    const QString named = HandMadeBook(dir, QStringLiteral("named.xlsx"), Rows("<row><c r=\"XFE1\"><v>1</v></c></row>"));
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(named); }), outside(named, QStringLiteral("单元格 XFE1")));
    // Cells without their names count on from the one before; the 65,537th would land in the
    // next row's key.
    const QString wide = HandMadeBook(dir, QStringLiteral("wide.xlsx"), Rows("<row r=\"3\">", "<c><v>1</v></c>", 65537, "</row>"));
    EXPECT_EQ(ErrorOf([&] { ReadXlsx(wide); }), outside(wide, QStringLiteral("第 3 行第 16385 列")));

    // The last row and column themselves are fine.
    const QString corner = HandMadeBook(dir, QStringLiteral("corner.xlsx"),
                                        Rows("<row r=\"1048576\"><c r=\"XFD1048576\"><v>5</v></c></row>"));
    const BookData book = ReadXlsx(corner);
    ASSERT_NE(book.sheets[0].Cell(kMaxColumns - 1, kMaxRows - 1), nullptr);
    EXPECT_EQ(book.sheets[0].Cell(kMaxColumns - 1, kMaxRows - 1)->value.toDouble(), 5.0);
}

TEST(WorkbookFiles, AReadTellsItsProgressAndStopsWhenTold)
{
    QTemporaryDir dir;
    BookData big;
    big.sheets.resize(2);
    for (int i = 0; i < 20000; ++i)
        big.sheets[i % 2].CellAt(i / 2 % 20, i / 40).value = QStringLiteral("文本%1").arg(i);
    const QString path = dir.filePath(QStringLiteral("big.xlsx"));
    WriteBook(big, path);

    QVector<QPair<qint64, qint64>> told;
    const BookData back = ReadXlsx(path, [&](qint64 done, qint64 total) {
        told.push_back({done, total});
        return true;
    });
    EXPECT_EQ(back.CellCount(), 20000);
    ASSERT_GT(told.size(), 4); // strings, styles, two sheets, and steps within them
    for (int i = 1; i < told.size(); ++i) {
        EXPECT_GE(told[i].first, told[i - 1].first);
        EXPECT_EQ(told[i].second, told[0].second);
    }
    EXPECT_EQ(told.last().first, told.last().second);

    // Told to stop, the read ends silently and the book keeps what it held.
    int calls = 0;
    const auto stopAtThird = [&](qint64, qint64) { return ++calls < 3; };
    EXPECT_THROW(ReadXlsx(path, stopAtThird), platform::EAbort);
    platform::SpreadsheetBook book;
    book.Pages(0).SetCellText(0, 0, QStringLiteral("原有"));
    calls = 0;
    EXPECT_THROW(book.LoadFromFile(path, stopAtThird), platform::EAbort);
    EXPECT_EQ(book.PageCount(), 1);
    EXPECT_EQ(book.Pages(0).CellText(0, 0), QStringLiteral("原有"));
}

TEST(SpreadsheetBookTest, AWideFormulaComputesAtOnceAndOneOverTheLimitLeavesTheCellAsItWas)
{
    // As the 1.5 KB file holds it: one formula over all of the sheet's rows and columns.
    QTemporaryDir dir;
    const QString path = HandMadeBook(dir, QStringLiteral("sum.xlsx"),
                                      Rows("<row r=\"1\"><c r=\"A1\"><f>SUM(A2:XFD1048576)</f></c></row>"
                                           "<row r=\"2\"><c r=\"B2\"><v>2</v></c></row>"
                                           "<row r=\"900000\"><c r=\"XFD900000\"><v>3</v></c></row>"));
    EXPECT_LT(QFileInfo(path).size(), 2048);
    platform::SpreadsheetBook book;
    book.LoadFromFile(path);
    EXPECT_EQ(book.Pages(0).CellText(0, 0), QStringLiteral("5"));

    platform::SpreadsheetPage page = book.Pages(0);
    page.SetCellText(1, 0, QStringLiteral("=SUM(A2:XFD1048576)*2"));
    EXPECT_EQ(page.CellText(1, 0), QStringLiteral("10"));

    book.BeginUpdate();
    for (int r = 10; r < 5010; ++r)
        page.SetCellText(3, r, QStringLiteral("1"));
    book.EndUpdate();
    page.SetCellText(4, 4, QStringLiteral("原有"));
    const QString wide = QStringLiteral("=") + RepeatedSum(QStringLiteral("D1:D5010"), int(kMaxFormulaReads / 5000) + 1);
    EXPECT_EQ(ErrorOf([&] { page.SetCellText(4, 4, wide); }), kOverLimit);
    EXPECT_EQ(page.CellText(4, 4), QStringLiteral("原有"));
    EXPECT_TRUE(page.CellFormula(4, 4).isEmpty());
    EXPECT_EQ(ErrorOf([&] { page.SetCellText(4, 5, wide); }), kOverLimit);
    EXPECT_EQ(book.Data().sheets[0].Cell(4, 5), nullptr);
    EXPECT_EQ(page.CellText(0, 0), QStringLiteral("5005")); // the book computes on as before
}
