// The printed transfer bill: paging by the page-line count with blank rows, the footer heights,
// the page label, the rounded total, and the pages as they come out in a PDF file.
#include "billlist/uJXC_DBDBill.h"

#include "platform/core/Dataset.h"
#include "tests/billlist/PdfText.h"
#include "tests/support/BarcodeScan.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The print query's fields, one row per bill line.
// Lines listed in noGoods have a goods code without a master row: no bar code, no unit.
std::unique_ptr<platform::Dataset> BillRows(const QList<double>& counts, const QList<int>& noGoods = {})
{
    auto ds = std::make_unique<platform::Dataset>(QVector<platform::FieldDef>{
        {"BillNO", platform::FieldType::Text},
        {"BillDate", platform::FieldType::DateTime},
        {"OptorCode", platform::FieldType::Text},
        {"barcode", platform::FieldType::Text},
        {"OptorCodeN", platform::FieldType::Text},
        {"storageName_Out", platform::FieldType::Text},
        {"storageName_In", platform::FieldType::Text},
        {"Unit", platform::FieldType::Text},
        {"GoodsCode", platform::FieldType::Text},
        {"GoodsName", platform::FieldType::Text},
        {"GoodsCount", platform::FieldType::Float},
    });
    for (int i = 0; i < counts.size(); ++i) {
        ds->Append();
        ds->FieldByName("BillNO").SetValue(QStringLiteral("DB-2024010500000042"));
        ds->FieldByName("BillDate").SetValue(QDateTime(QDate(2024, 1, 5), QTime(9, 41)));
        ds->FieldByName("OptorCode").SetValue(QStringLiteral("001"));
        ds->FieldByName("OptorCodeN").SetValue(QStringLiteral("张三"));
        ds->FieldByName("storageName_Out").SetValue(QStringLiteral("一号仓"));
        ds->FieldByName("storageName_In").SetValue(QStringLiteral("二号仓"));
        ds->FieldByName("GoodsCode").SetValue(QStringLiteral("G%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        ds->FieldByName("GoodsName").SetValue(QStringLiteral("商品%1").arg(i + 1));
        if (!noGoods.contains(i)) {
            ds->FieldByName("barcode").SetValue(QStringLiteral("69%1").arg(i + 1, 5, 10, QLatin1Char('0')));
            ds->FieldByName("Unit").SetValue(QStringLiteral("箱"));
        }
        ds->FieldByName("GoodsCount").SetValue(counts[i]);
        ds->Post();
    }
    ds->First();
    return ds;
}

QList<double> Ones(int n) { return QList<double>(n, 1.0); }

std::unique_ptr<TQuickReport1> Prepared(int pageLines, const QList<double>& counts, const QList<int>& noGoods = {},
                                        const QString& billNo = QStringLiteral("DB-2024010500000042"))
{
    auto report = std::make_unique<TQuickReport1>(pageLines);
    report->Prepare(BillRows(counts, noGoods), billNo, QDateTime(QDate(2024, 1, 6), QTime(14, 5, 9)));
    return report;
}

TEST(PrintedBill, PagesHoldThePageLineCountAndTheLastIsFilledWithBlankRows)
{
    struct Case {
        int pageLines, lines, rows;
        const char* pages;
        qreal footer;
    };
    const Case cases[] = {
        {13, 5, 5, "/ 1", 276},       // one page: the footer takes the room of 8 missing rows
        {13, 13, 13, "/ 1", 124},
        {13, 14, 26, "/ 2", 127},     // 12 blank rows fill the second page
        {13, 26, 26, "/ 2", 127},     // already full: no blank rows
        {10, 13, 20, "/ 2", 184},     // 127 + 3 x 19
        {10, 10, 10, "/ 1", 181},
        {10, 31, 40, "/ 4", 184},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "L=" << c.pageLines << " n=" << c.lines);
        std::unique_ptr<TQuickReport1> r = Prepared(c.pageLines, Ones(c.lines));
        EXPECT_EQ(r->Rows()->RecordCount(), c.rows);
        EXPECT_EQ(r->Caption("labYS"), QLatin1String(c.pages));
        EXPECT_EQ(r->Caption("labZHS"), QString::number(c.lines) + QStringLiteral(" 条数据")); // blank rows not counted
        EXPECT_EQ(r->FooterHeight(), c.footer);
        // Blank rows are empty to the last field.
        for (int row = c.lines; row < c.rows; ++row)
            EXPECT_TRUE(platform::VariantToText(r->Rows()->At(row, r->Rows()->FieldIndex("GoodsCode"))).isEmpty());
    }
}

TEST(PrintedBill, PageLineCountsBeyondWhatThePageHoldsPrintThirteenRows)
{
    // 20 rows would run off a 140 mm page below the head and above the footer.
    std::unique_ptr<TQuickReport1> r = Prepared(20, Ones(15));
    EXPECT_EQ(r->PageLines(), 13);
    EXPECT_EQ(r->Caption("labYS"), "/ 2");
    EXPECT_GE(r->FooterHeight(), TQuickReport1::FooterContentHeight);
    EXPECT_EQ(TQuickReport1(0).PageLines(), 1);
}

TEST(PrintedBill, TheTotalIsRoundedToAWholeNumberAfterEveryRowHalvesToEven)
{
    EXPECT_EQ(Prepared(13, {1.5, 1.5})->Caption("labZSL"), "4"); // 2 after the first row, 3.5 -> 4
    EXPECT_EQ(Prepared(13, {0.5, 0.5})->Caption("labZSL"), "0"); // 0.5 -> 0 twice
    EXPECT_EQ(Prepared(13, {2.5})->Caption("labZSL"), "2");
    EXPECT_EQ(Prepared(13, {0.4, 0.4, 0.4})->Caption("labZSL"), "0"); // rounded per row, not at the end
    EXPECT_EQ(Prepared(13, {-1.5, 3})->Caption("labZSL"), "1");
}

TEST(PrintedBill, TheHeadAndFooterLabelsComeFromTheFirstRow)
{
    std::unique_ptr<TQuickReport1> r = Prepared(13, {2, 3});
    EXPECT_EQ(r->Caption("labTZD"), "DB-2024010500000042");
    EXPECT_EQ(r->Caption("labDJRQ"), "2024-01-05");
    EXPECT_EQ(r->Caption("labCK"), QStringLiteral("一号仓"));
    EXPECT_EQ(r->Caption("labRK"), QStringLiteral("二号仓"));
    EXPECT_EQ(r->Caption("labZDR"), QStringLiteral("张三"));
    EXPECT_EQ(r->Caption("labDYSJ"), "2024-01-06 14:05:09");
    EXPECT_EQ(r->Caption("labRemark1"),
              QStringLiteral("注：本单一式五联，白（存档），红（财务），蓝（需求），绿（经办），黄（备用）"));
}

TEST(PrintedBill, ThePdfHasOnePagePerPageLineCountOfRowsWithHeadAndFooterOnEach)
{
    if (!pdftest::Available())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    const QString file = pdftest::OutputDir(dir) + "/printed-bill.pdf";
    std::unique_ptr<TQuickReport1> r = Prepared(13, Ones(14), {13});
    EXPECT_EQ(r->WritePdf(file), 2);
    EXPECT_EQ(pdftest::PageCount(file), 2);
    EXPECT_EQ(pdftest::PageSizeMm(file), QSizeF(206, 140));
    const QString first = pdftest::Text(file, 1);
    const QString second = pdftest::Text(file, 2);
    for (const QString& page : {first, second}) {
        EXPECT_TRUE(page.contains(QStringLiteral("物资调拨单"))) << page.toStdString();
        EXPECT_TRUE(page.contains("DB-2024010500000042"));
        EXPECT_TRUE(page.contains(QStringLiteral("14 条数据")));
        EXPECT_TRUE(page.contains(QStringLiteral("黄（备用）")));
        EXPECT_TRUE(page.contains(QStringLiteral("张三")));
        EXPECT_TRUE(page.contains("2024-01-06 14:05:09"));
    }
    // Rows 1 to 13 on the first page, 14 on the second; the page number before "/ 2".
    EXPECT_TRUE(first.contains("G013"));
    EXPECT_FALSE(first.contains("G014"));
    EXPECT_TRUE(second.contains("G014"));
    EXPECT_FALSE(second.contains("G001"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("页数：\\s*1\\s*/ 2")).match(first).hasMatch()) << first.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("页数：\\s*2\\s*/ 2")).match(second).hasMatch()) << second.toStdString();
    // The bar code and unit of the goods master; goods without a master row print neither.
    EXPECT_TRUE(first.contains("6900013"));
    EXPECT_TRUE(first.contains(QStringLiteral("箱")));
    EXPECT_FALSE(second.contains("6900014"));
    EXPECT_FALSE(second.contains(QStringLiteral("箱")));
}

TEST(PrintedBill, TheHeadsBarCodeIsTheBillNumberClearOfEveryTextAndAtLeast8mmHigh)
{
    std::unique_ptr<TQuickReport1> r = Prepared(13, Ones(3), {}, QStringLiteral("DB-2026120900000001"));
    EXPECT_EQ(r->BarcodeText("barBillNo"), "DB-2026120900000001");
    EXPECT_EQ(r->Caption("labTZD"), "DB-2026120900000001"); // still readable by eye
    platform::report::Band& head = r->Report().columnHeader;
    ASSERT_EQ(head.barcodes.size(), 1u);
    const QRectF bars = head.barcodes[0].rect;
    EXPECT_GE(bars.height(), 8 * platform::report::PixelsPerMm);
    EXPECT_GE(bars.top(), 0);
    EXPECT_LE(bars.bottom(), head.height);
    EXPECT_LE(bars.right(), r->Report().PrintableSize().width());
    for (const platform::report::ReportText& t : head.texts)
        EXPECT_FALSE(t.rect.intersects(bars)) << t.name.toStdString() << " " << t.text.toStdString();
    for (const QRectF& frame : head.frames)
        EXPECT_FALSE(frame.intersects(bars));
    // Room for a number of 19 characters in code set B at 0.254 mm a module, with quiet zones.
    EXPECT_GE(bars.width(), (11 * (19 + 3) + 2 + 2 * 10 + 1) * head.barcodes[0].moduleMm * platform::report::PixelsPerMm);
}

TEST(PrintedBill, AScannerReadsTheBillNumberFromTheHeadOfEveryPageAt300Dpi)
{
    JXC_REQUIRE_PROGRAMS("pdftoppm", "zbarimg");
    QTemporaryDir dir;
    const QString out = pdftest::OutputDir(dir);
    struct Case {
        const char* billNo;
        int lines;
        bool reversed; // the longest title beside the bars
        int pages;
    };
    const Case cases[] = {
        {"DB-2026120900000001", 5, false, 1},
        {"DB-2026120900000001", 14, true, 2},
        {"DB-20261209-A/7", 2, false, 1}, // no long digit run: all in code set B
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.billNo << " lines=" << c.lines);
        std::unique_ptr<TQuickReport1> r = Prepared(13, Ones(c.lines), {}, QLatin1String(c.billNo));
        if (c.reversed)
            r->MarkReversed();
        const QString file = out + QStringLiteral("/scanned-bill-%1.pdf").arg(++n);
        ASSERT_EQ(r->WritePdf(file), c.pages);
        for (int page = 1; page <= c.pages; ++page)
            EXPECT_EQ(scantest::DecodePdfPage(file, page, file + QStringLiteral("-page%1").arg(page)),
                      QStringList{QLatin1String(c.billNo)})
                << "page " << page;
    }
}

TEST(PrintedBill, AFileThatCannotBeWrittenIsAnError)
{
    std::unique_ptr<TQuickReport1> r = Prepared(13, Ones(2));
    EXPECT_THROW(r->WritePdf("/nonexistent-folder/bill.pdf"), platform::Exception);
}

} // namespace
