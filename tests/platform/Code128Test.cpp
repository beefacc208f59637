// Code 128: the symbol values and checksums of known texts worked out by hand, the code set
// choice for digit runs, the pattern table, and the bars as the band report paints them: whole
// dots per module, quiet zones, and read back by a real decoder (zbarimg).
#include "TestPrint.h"

#include "platform/report/BandReport.h"
#include "platform/report/Code128.h"
#include "tests/support/BarcodeScan.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <numeric>
#include <set>

using namespace platform::report;

namespace {

std::vector<int> WithoutCheck(std::vector<int> symbols)
{
    if (symbols.size() >= 2)
        symbols.resize(symbols.size() - 2);
    return symbols;
}

TEST(Code128, KnownTextsGiveTheirSymbolsAndChecksums)
{
    // D=68-32, B=66-32, '-'=45-32, '1'=49-32; check (104 + 36 + 2*34 + 3*13 + 4*17) % 103 = 315 % 103.
    EXPECT_EQ(Code128Symbols("DB-1"), (std::vector<int>{104, 36, 34, 13, 17, 6, 106}));
    // W i k i p e d i a; (104 + 55 + 2*73 + 3*75 + 4*73 + 5*80 + 6*69 + 7*68 + 8*73 + 9*65) % 103 = 3281 % 103.
    EXPECT_EQ(Code128Symbols("Wikipedia"), (std::vector<int>{104, 55, 73, 75, 73, 80, 69, 68, 73, 65, 88, 106}));
    // A bill number: "DB-" in set B, then Code C (99) and eight digit pairs;
    // 104 + 36 + 68 + 39 + 4*99 + 5*20 + 6*26 + 7*12 + 8*9 + 12*1 = 1067, 1067 % 103 = 37.
    EXPECT_EQ(Code128Symbols("DB-2026120900000001"),
              (std::vector<int>{104, 36, 34, 13, 99, 20, 26, 12, 9, 0, 0, 0, 1, 37, 106}));
    // Digits only start in set C: (105 + 12 + 2*34 + 3*56) % 103 = 353 % 103.
    EXPECT_EQ(Code128Symbols("123456"), (std::vector<int>{105, 12, 34, 56, 44, 106}));
}

TEST(Code128, SetCIsUsedOnlyForEvenDigitRunsThatSaveSymbols)
{
    EXPECT_EQ(WithoutCheck(Code128Symbols("12")), (std::vector<int>{104, 17, 18}));
    // An odd run prints its first digit in set B.
    EXPECT_EQ(WithoutCheck(Code128Symbols("12345")), (std::vector<int>{104, 17, 99, 23, 45}));
    // Four digits in the middle would cost as much in set C as in set B; six save one.
    EXPECT_EQ(WithoutCheck(Code128Symbols("A1234B")), (std::vector<int>{104, 33, 17, 18, 19, 20, 34}));
    EXPECT_EQ(WithoutCheck(Code128Symbols("A123456B")), (std::vector<int>{104, 33, 99, 12, 34, 56, 100, 34}));
    // Four at either end save one.
    EXPECT_EQ(WithoutCheck(Code128Symbols("A1234")), (std::vector<int>{104, 33, 99, 12, 34}));
    EXPECT_EQ(WithoutCheck(Code128Symbols("1234A")), (std::vector<int>{105, 12, 34, 100, 33}));
}

TEST(Code128, TextsItCannotPrintGiveNoSymbols)
{
    EXPECT_TRUE(Code128Symbols("").empty());
    EXPECT_TRUE(Code128Symbols(QStringLiteral("调拨单1")).empty());
    EXPECT_TRUE(Code128Symbols("A\tB").empty());
    EXPECT_TRUE(Code128Symbols(QString(QChar(0x7f))).empty());
    EXPECT_FALSE(Code128Symbols(" ~").empty());
    EXPECT_TRUE(Code128Widths({-1, 107}).empty());
}

TEST(Code128, WidthsRunFromTheStartPatternToTheStopPattern)
{
    const std::vector<int> symbols = Code128Symbols("DB-1");
    const std::vector<int> widths = Code128Widths(symbols);
    ASSERT_EQ(widths.size(), 6 * 6 + 7u);
    EXPECT_EQ(std::vector<int>(widths.begin(), widths.begin() + 6), (std::vector<int>{2, 1, 1, 2, 1, 4}));
    EXPECT_EQ(std::vector<int>(widths.end() - 7, widths.end()), (std::vector<int>{2, 3, 3, 1, 1, 1, 2}));
    // Four data symbols: 11 modules for each symbol but the stop, which has 13.
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), 11 * (4 + 3) + 2);
    EXPECT_EQ(Code128Widths({105}), (std::vector<int>{2, 1, 1, 2, 3, 2}));
    EXPECT_EQ(Code128Widths({0}), (std::vector<int>{2, 1, 2, 2, 2, 2}));

    // Every symbol: three bars and three spaces of 1 to 4 modules, 11 in all, the bars an even
    // number of modules (the parity a scanner checks), no two symbols alike.
    std::set<std::vector<int>> seen;
    for (int value = 0; value <= 105; ++value) {
        const std::vector<int> w = Code128Widths({value});
        ASSERT_EQ(w.size(), 6u) << value;
        EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), 11) << value;
        EXPECT_EQ((w[0] + w[2] + w[4]) % 2, 0) << value;
        for (int m : w)
            EXPECT_TRUE(m >= 1 && m <= 4) << value;
        EXPECT_TRUE(seen.insert(w).second) << value;
    }
}

// A report with one bar code in its head, painted at 300 dpi onto a white picture.
QImage PaintAt300Dpi(const QString& text, const QRectF& rect, QSize reportSize)
{
    BandReport report;
    report.columnHeader.height = reportSize.height();
    report.columnHeader.barcodes.push_back(ReportBarcode{QStringLiteral("bar"), text, rect});
    const qreal scale = 300 / PixelsPerInch;
    QImage image(reportSize * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(scale, scale);
    report.Render(painter, [] {});
    return image;
}

struct Row {
    int firstBlack = -1;
    std::vector<int> runs; // black, white, black, ... from the first black dot to the last
    bool grey = false;
};

Row ReadRow(const QImage& image, int y)
{
    Row row;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        const int level = qGray(image.pixel(x, y));
        row.grey = row.grey || (level != 0 && level != 255);
        if (level != 0)
            continue;
        if (row.firstBlack < 0)
            row.firstBlack = x;
        last = x;
    }
    bool black = true;
    int run = 0;
    for (int x = row.firstBlack; row.firstBlack >= 0 && x <= last; ++x) {
        if ((qGray(image.pixel(x, y)) == 0) != black) {
            row.runs.push_back(run);
            black = !black;
            run = 0;
        }
        ++run;
    }
    if (run > 0)
        row.runs.push_back(run);
    return row;
}

std::vector<int> Times(std::vector<int> widths, int dots)
{
    for (int& w : widths)
        w *= dots;
    return widths;
}

TEST(Code128, BarsArePaintedInWholeDotsWithQuietZonesAndFillTheRectsHeight)
{
    const QRectF rect(20, 5, 300, 30); // 62.5 .. 1000 and 15.6 .. 109.4 dots at 300 dpi
    const QImage image = PaintAt300Dpi("DB-1", rect, QSize(360, 40));
    const std::vector<int> widths = Code128Widths(Code128Symbols("DB-1"));
    const Row row = ReadRow(image, 60);
    EXPECT_FALSE(row.grey);
    // 0.254 mm a module is 3 dots, on a multiple of 3 from the picture's corner.
    EXPECT_EQ(row.runs, Times(widths, 3));
    EXPECT_EQ(row.firstBlack % 3, 0);
    EXPECT_GE(row.firstBlack, 62.5 + 10 * 3);
    const int right = row.firstBlack + 79 * 3;
    EXPECT_LE(right, 1000 - 10 * 3);
    // Centred in the rect, within a module.
    EXPECT_NEAR(row.firstBlack - 62.5, 1000 - right, 3);
    // From the rect's top to its bottom, to the nearest dot.
    EXPECT_EQ(qGray(image.pixel(row.firstBlack, 16)), 0);
    EXPECT_EQ(qGray(image.pixel(row.firstBlack, 15)), 255);
    EXPECT_EQ(qGray(image.pixel(row.firstBlack, 108)), 0);
    EXPECT_EQ(qGray(image.pixel(row.firstBlack, 110)), 255);
}

TEST(Code128, AShortRectNarrowsTheModuleAndOneTooShortOrAnUnprintableTextPrintsNothing)
{
    // 79 modules and 21 of quiet zones at 3 dots need 300 dots; 250 leave room for 2.
    const QImage narrow = PaintAt300Dpi("DB-1", QRectF(0, 0, 80, 20), QSize(100, 20));
    const Row row = ReadRow(narrow, 30);
    EXPECT_EQ(row.runs, Times(Code128Widths(Code128Symbols("DB-1")), 2));

    for (const QString& text : {QStringLiteral("DB-1"), QStringLiteral("调拨单")}) {
        const QImage none = PaintAt300Dpi(text, QRectF(0, 0, text == "DB-1" ? 30 : 300, 20), QSize(320, 20));
        EXPECT_EQ(ReadRow(none, 30).firstBlack, -1) << text.toStdString();
    }
}

TEST(Code128, AScannerReadsEveryCharacterAndDigitPairBack)
{
    JXC_REQUIRE_PROGRAMS("zbarimg");
    QString ascii;
    for (char c = ' '; c <= '~'; ++c)
        ascii += QLatin1Char(c);
    QString pairs;
    for (int v = 0; v < 100; ++v)
        pairs += QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    QTemporaryDir dir;
    int n = 0;
    for (const QString& text : {ascii, pairs, QStringLiteral("A123456B12345"), QStringLiteral("DB-2026120900000001")}) {
        const QString file = dir.filePath(QStringLiteral("code%1.png").arg(++n));
        ASSERT_TRUE(PaintAt300Dpi(text, QRectF(10, 10, 1150, 40), QSize(1170, 60)).save(file));
        EXPECT_EQ(scantest::Decode(file), QStringList{text});
    }
}

} // namespace
