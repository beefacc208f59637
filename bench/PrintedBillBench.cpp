// The printed transfer bill of 1,000 lines written to a PDF file (77 pages of 13 rows), against
// a raw baseline: the same pages painted straight onto a QPdfWriter with QPainter (the same
// texts, boxes and rules at the same places), without the report's bands and hooks.
#include "bench/BenchSupport.h"
#include "billlist/uJXC_DBDBill.h"

#include "platform/core/Dataset.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

namespace {

using jxcbench::Ratios;

constexpr int Lines = 1000;
constexpr int PageLines = 13;

std::unique_ptr<platform::Dataset> Rows()
{
    auto ds = std::make_unique<platform::Dataset>(QVector<platform::FieldDef>{
        {"BillNO", platform::FieldType::Text},      {"BillDate", platform::FieldType::DateTime},
        {"OptorCodeN", platform::FieldType::Text},  {"storageName_Out", platform::FieldType::Text},
        {"storageName_In", platform::FieldType::Text}, {"barcode", platform::FieldType::Text},
        {"Unit", platform::FieldType::Text},        {"GoodsCode", platform::FieldType::Text},
        {"GoodsName", platform::FieldType::Text},   {"GoodsCount", platform::FieldType::Float}});
    for (int i = 0; i < Lines; ++i) {
        ds->Append();
        ds->FieldByName("BillNO").SetValue(QStringLiteral("DB-2024010500000042"));
        ds->FieldByName("BillDate").SetValue(QDateTime(QDate(2024, 1, 5), QTime(9, 41)));
        ds->FieldByName("OptorCodeN").SetValue(QStringLiteral("张三"));
        ds->FieldByName("storageName_Out").SetValue(QStringLiteral("一号仓"));
        ds->FieldByName("storageName_In").SetValue(QStringLiteral("二号仓"));
        ds->FieldByName("barcode").SetValue(QStringLiteral("69%1").arg(i, 5, 10, QLatin1Char('0')));
        ds->FieldByName("Unit").SetValue(QStringLiteral("箱"));
        ds->FieldByName("GoodsCode").SetValue(QStringLiteral("G%1").arg(i, 4, 10, QLatin1Char('0')));
        ds->FieldByName("GoodsName").SetValue(QStringLiteral("商品名称%1").arg(i));
        ds->FieldByName("GoodsCount").SetValue(1.5 + i % 7);
        ds->Post();
    }
    return ds;
}

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

int pages = 0;

void BM_PrintedBill_Report(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        TQuickReport1 report(PageLines);
        report.Prepare(Rows(), QStringLiteral("DB-2024010500000042"), QDateTime::currentDateTime());
        state.ResumeTiming();
        clock.Start();
        pages = report.WritePdf(Dir().filePath("report.pdf"));
        clock.Stop();
    }
    Ratios::Record("pdf_report", clock);
    Ratios::Counters(state, clock, "pdf_raw");
    state.counters["pages"] = pages;
    state.counters["ms_per_page"] = clock.Mean() * 1e3 / std::max(1, pages);
}

// The same pages by hand.
void PaintRaw(const platform::Dataset& rows, const QString& file)
{
    QPdfWriter writer(file);
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(206, 140), QPageSize::Millimeter), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));
    QPainter p(&writer);
    const qreal px = 96 / 25.4;
    p.scale(600 / 96.0, 600 / 96.0);
    p.translate(20 * px, 10 * px);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    QFont bold = font;
    bold.setBold(true);
    QFont title = bold;
    title.setPixelSize(20);
    const qreal widths[] = {62, 159, 85, 106, 60, 42, 94};
    const char* fields[] = {"GoodsCode", "GoodsName", "barcode", "GoodsType1", "GoodsCount", "Unit", "Remark"};
    int index[7];
    for (int c = 0; c < 7; ++c)
        index[c] = rows.FieldIndex(QLatin1String(fields[c]));
    const int n = rows.RecordCount();
    for (int first = 0; first < n; first += PageLines) {
        if (first > 0)
            writer.newPage();
        p.setFont(title);
        p.drawText(QRectF(0, 0, 608, 28), Qt::AlignCenter, QStringLiteral("物资调拨单"));
        p.setFont(bold);
        p.drawText(QRectF(0, 32, 62, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("单据编号："));
        p.drawText(QRectF(218, 32, 62, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("单据日期："));
        p.drawText(QRectF(358, 32, 62, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("调出仓库："));
        p.drawText(QRectF(492, 32, 62, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("调入仓库："));
        p.setFont(font);
        p.drawText(QRectF(62, 32, 154, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("DB-2024010500000042"));
        p.drawText(QRectF(280, 32, 76, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("2024-01-05"));
        p.drawText(QRectF(420, 32, 70, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("一号仓"));
        p.drawText(QRectF(554, 32, 112, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("二号仓"));
        p.drawRect(QRectF(0, 56, 608, 25));
        qreal y = 81;
        for (int r = first; r < std::min(n, first + PageLines); ++r, y += 19) {
            qreal x = 0;
            for (int c = 0; c < 7; ++c) {
                if (index[c] >= 0) {
                    const QString text = platform::VariantToText(rows.At(r, index[c]));
                    if (!text.isEmpty())
                        p.drawText(QRectF(x + 2, y, widths[c] - 4, 19), Qt::AlignCenter, text);
                }
                p.drawLine(QLineF(x, y, x, y + 19));
                x += widths[c];
            }
            p.drawLine(QLineF(x, y, x, y + 19));
            p.drawLine(QLineF(0, y + 19, x, y + 19));
        }
        p.drawRect(QRectF(0, y, 608, 20));
        p.drawText(QRectF(6, y, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("合计："));
        p.drawText(QRectF(0, y + 50, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("总行数：1000 条数据"));
        p.drawText(QRectF(0, y + 76, 666, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("注：本单一式五联，白（存档），红（财务），蓝（需求），绿（经办），黄（备用）"));
    }
}

void BM_PrintedBill_RawPainter(benchmark::State& state)
{
    const std::unique_ptr<platform::Dataset> rows = Rows();
    jxcbench::IterationClock clock;
    for (auto _ : state) {
        clock.Start();
        PaintRaw(*rows, Dir().filePath("raw.pdf"));
        clock.Stop();
    }
    Ratios::Record("pdf_raw", clock);
}

// Both in turn: one report and one hand-painted file a pair.
void BM_PrintedBill_Paired(benchmark::State& state)
{
    const std::unique_ptr<platform::Dataset> rows = Rows();
    for (auto _ : state)
        jxcbench::RunPairs(
            "pdf", jxcbench::PairCount(),
            [](jxcbench::IterationClock& clock) {
                TQuickReport1 report(PageLines);
                report.Prepare(Rows(), QStringLiteral("DB-2024010500000042"), QDateTime::currentDateTime());
                clock.Start();
                pages = report.WritePdf(Dir().filePath("report.pdf"));
                clock.Stop();
            },
            [&](jxcbench::IterationClock& clock) {
                clock.Start();
                PaintRaw(*rows, Dir().filePath("raw.pdf"));
                clock.Stop();
            });
}

BENCHMARK(BM_PrintedBill_RawPainter)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PrintedBill_Report)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PrintedBill_Paired)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the painter
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Ratios::Print("Printing a 1,000-line bill to PDF", "pdf_report", "pdf_raw");
    if (pages > 0)
        std::printf("%d pages, %.2f ms a page through the report\n", pages, Ratios::Get("pdf_report") * 1e3 / pages);
    return 0;
}
