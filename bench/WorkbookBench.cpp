// The workbook writer and reader of the spreadsheet book and the report sheet on 100,000 cells
// (200 rows x 500 columns: numbers, texts and one SUM formula per row), each against a raw
// baseline in the same run:
//   write: WriteBook (cells from the book's map, shared formats, .part then rename), against a
//          libxlsxwriter loop writing the same cells;
//   read:  ReadXlsx (every cell into the book's map, shared strings, styles), against inflating
//          the sheet with minizip and walking its XML with QXmlStreamReader without keeping it.
#include "bench/BenchSupport.h"
#include "platform/workbook/Workbook.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <benchmark/benchmark.h>
#include <unzip.h>
#include <xlsxwriter.h>

namespace {

using namespace platform::excel;

constexpr int kRows = 200;
constexpr int kColumns = 500;

QString CellText(int column) { return QStringLiteral("文本%1").arg(column); }

BookData Sample()
{
    BookData book;
    book.sheets.resize(1);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            BookCell& cell = book.sheets[0].CellAt(c, r);
            if (c == kColumns - 1)
                cell.formula = QStringLiteral("SUM(A%1:D%1)").arg(r + 1);
            else if (c % 2)
                cell.value = CellText(c);
            else
                cell.value = double(r * c);
        }
    Recalculate(book.sheets[0]);
    return book;
}

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

// Each way once, timed by the clock it is given; the benchmarks below repeat them.
void WriteOnce(const BookData& book, jxcbench::IterationClock& clock)
{
    const QString path = Dir().filePath(QStringLiteral("book.xlsx"));
    clock.Start();
    WriteBook(book, path);
    clock.Stop();
}

class RawWriter {
public:
    RawWriter()
    {
        for (int c = 0; c < kColumns; ++c)
            texts_ << CellText(c).toUtf8();
    }
    void Run(jxcbench::IterationClock& clock)
    {
        clock.Start();
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* wb = workbook_new_opt(path_.constData(), &options);
        lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c) {
                if (c == kColumns - 1)
                    worksheet_write_formula_num(ws, lxw_row_t(r), lxw_col_t(c), "=SUM(A1:D1)", nullptr, 0);
                else if (c % 2)
                    worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), texts_[c].constData(), nullptr);
                else
                    worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), double(r * c), nullptr);
            }
        workbook_close(wb);
        clock.Stop();
    }

private:
    QByteArray path_ = QFile::encodeName(Dir().filePath(QStringLiteral("raw.xlsx")));
    QVector<QByteArray> texts_;
};

QString ReadPath()
{
    const QString path = Dir().filePath(QStringLiteral("read.xlsx"));
    if (!QFile::exists(path))
        WriteBook(Sample(), path);
    return path;
}

void ReadOnce(jxcbench::IterationClock& clock)
{
    const QString path = ReadPath();
    clock.Start();
    BookData book = ReadXlsx(path);
    benchmark::DoNotOptimize(book.sheets.data());
    clock.Stop();
}

void RawReadOnce(jxcbench::IterationClock& clock)
{
    const QString path = ReadPath();
    clock.Start();
    unzFile zip = unzOpen(QFile::encodeName(path).constData());
    unzLocateFile(zip, "xl/worksheets/sheet1.xml", 0);
    unzOpenCurrentFile(zip);
    QByteArray xml;
    char buf[65536];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, buf, sizeof buf)) > 0)
        xml.append(buf, n);
    unzCloseCurrentFile(zip);
    unzClose(zip);
    qint64 elements = 0;
    for (QXmlStreamReader x(xml); !x.atEnd();)
        if (x.readNext() == QXmlStreamReader::StartElement)
            ++elements;
    benchmark::DoNotOptimize(elements);
    clock.Stop();
}

void BM_WriteBook(benchmark::State& state)
{
    const BookData book = Sample();
    jxcbench::IterationClock clock;
    for (auto _ : state)
        WriteOnce(book, clock);
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

void BM_RawXlsxWriter(benchmark::State& state)
{
    RawWriter raw;
    jxcbench::IterationClock clock;
    for (auto _ : state)
        raw.Run(clock);
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

void BM_ReadXlsx(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state)
        ReadOnce(clock);
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

void BM_RawInflateAndScan(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state)
        RawReadOnce(clock);
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

// Both ways in turn, for writing and for reading.
void BM_Workbook_Paired(benchmark::State& state)
{
    const BookData book = Sample();
    RawWriter raw;
    for (auto _ : state) {
        jxcbench::RunPairs("write", jxcbench::PairCount(), [&](jxcbench::IterationClock& c) { WriteOnce(book, c); },
                           [&](jxcbench::IterationClock& c) { raw.Run(c); });
        jxcbench::RunPairs("read", jxcbench::PairCount(), ReadOnce, RawReadOnce);
    }
}

BENCHMARK(BM_WriteBook)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_RawXlsxWriter)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_ReadXlsx)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_RawInflateAndScan)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_Workbook_Paired)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
