// The transfer bill list over the demo generator's 100,000 bills, each figure against a raw
// baseline in the same run, on the wall clock and in process CPU time; the paired benchmarks
// print the figures scripts/bench.sh reads:
//   search: btnQryClick to a painted grid, against a libsqlite3 step loop that reads every column
//           of the same translated SQL into C++ values;
//   memory: the bytes BillListData holds (the heap it takes), against the raw bytes of the rows
//           (8 per number or null, the text's UTF-8 bytes);
//   export: the lines export of a 10,000-line bill, against a libxlsxwriter loop writing the
//           same cells.
#include "bench/BenchSupport.h"
#include "billlist/WorkWindow.h"
#include "billlist/WorkWindowSql.h"
#include "host/db/Connection.h"
#include "host/admin/DemoData.h"
#include "model/DateUtil.h"
#include "model/SqlText.h"
#include "platform/DataController.h"
#include "platform/core/Currency.h"
#include "platform/core/Dataset.h"
#include "platform/core/LocalZone.h"
#include "platform/DateEdit.h"
#include "platform/TableView.h"
#include "plugin/Host.h"
#include "tests/support/ModuleHarness.h"
#include "host/db/dialect/Dialect.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <sqlite3.h>
#include <string>
#include <variant>
#include <vector>
#include <xlsxwriter.h>

namespace {

using jxcbench::IterationClock;
using jxcbench::Ratios;

// $JXC_BENCH_BILLS makes a smaller list for a run under a profiler; the figures are for 100,000.
const int Bills = qEnvironmentVariableIntValue("JXC_BENCH_BILLS") > 0 ? qEnvironmentVariableIntValue("JXC_BENCH_BILLS") : 100000;
constexpr int ExportLines = 10000;

struct Env {
    testsupport::ScriptedApplication app;
    testsupport::TestHost host;
    testsupport::ModuleScope scope{app, &host};
    QTemporaryDir dir;
    std::unique_ptr<TWorkWindowForm> window;
    QString searchSql;
};

Env* env = nullptr;

void Setup()
{
    env = new Env;
    auto conn = host::db::Open(QStringLiteral("sqlite:") + env->host.DatabaseFile());
    host::db::DemoOptions o;
    o.bills = Bills;
    host::db::SeedDemo(*conn, o);
    // One bill of 10,000 lines for the export, of goods the demo operator may handle.
    conn->BeginWrite();
    host::db::Execute(*conn, QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, Src_StorageCode,"
                                            " Des_StorageCode, BillStatus, AuditFlag, DELETED) values (900000000,"
                                            " 'DB-BENCH', sysdate, 'S01', 'S02', 0, 0, 0)"));
    host::db::Execute(*conn, QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName,"
                                            " CalUnit, GoodsPrice, GoodsCount, PaySum, DELETED) select 900000000 + ID,"
                                            " 900000000, 'DB-BENCH', GoodsCode, GoodsName, CalUnit, GoodsPrice,"
                                            " GoodsCount, PaySum, 0 from Sto_AdjustBillDetail d where DELETED = 0 and exists (select 1 from"
                                            " Bas_GoodsInfo g where g.GoodsCode = d.GoodsCode) order by ID limit %1")
                                 .arg(ExportLines));
    host::db::Execute(*conn, QStringLiteral("insert into sys_operatorgoodstype (OperatorID, GoodsType) select distinct %1,"
                                            " GoodsType from Bas_GoodsInfo g where not exists (select 1 from"
                                            " sys_operatorgoodstype t where t.OperatorID = %1 and t.GoodsType = g.GoodsType)")
                                 .arg(env->host.Operator.OperatorId));
    conn->Commit();
    env->window = std::make_unique<TWorkWindowForm>();
    TWorkWindowForm& w = *env->window;
    w.resize(1280, 800);
    w.InitWindow();
    w.dtBegindate->SetDate(QDate(2000, 1, 1));
    w.dtEndDate->SetDate(model::Today());
    w.show();
    QApplication::processEvents();
    env->searchSql = billlist::BillSearchSql({}, QDate(2000, 1, 1), model::Today(), {}, {});
}

// The window's way: the search button to a painted grid, its headers and footer sums included.
int SearchOnce(IterationClock& clock)
{
    TWorkWindowForm& w = *env->window;
    clock.Start();
    w.btnQryClick();
    w.TableBillInfo->Widget()->repaint();
    clock.Stop();
    return w.TableBillInfo->DataController()->RecordCount();
}

using Cell = std::variant<std::monostate, sqlite3_int64, double, std::string>;

// The engine alone: the same translated text on the same database file, every column of every
// row read into a C++ value and kept until the step loop ends.
class RawSearch {
public:
    RawSearch() : sql_(host::db::Translate(env->searchSql, host::db::Engine::SQLite).toUtf8())
    {
        sqlite3_open_v2(env->host.DatabaseFile().toUtf8().constData(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr);
    }
    ~RawSearch() { sqlite3_close(db_); }
    RawSearch(const RawSearch&) = delete;
    RawSearch& operator=(const RawSearch&) = delete;

    size_t Run(IterationClock& clock)
    {
        clock.Start();
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, sql_.constData(), int(sql_.size()), &st, nullptr);
        const int n = sqlite3_column_count(st);
        std::vector<Cell> cells;
        cells.reserve(lastCells_); // as the service reserves what the engine says is coming
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < n; ++c) {
                switch (sqlite3_column_type(st, c)) {
                case SQLITE_INTEGER: cells.emplace_back(sqlite3_column_int64(st, c)); break;
                case SQLITE_FLOAT: cells.emplace_back(sqlite3_column_double(st, c)); break;
                case SQLITE_NULL: cells.emplace_back(); break;
                default:
                    cells.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                                   size_t(sqlite3_column_bytes(st, c))));
                }
            }
        }
        sqlite3_finalize(st);
        lastCells_ = cells.size();
        benchmark::DoNotOptimize(cells.data());
        clock.Stop();
        return cells.size() / size_t(std::max(n, 1));
    }

private:
    sqlite3* db_ = nullptr;
    QByteArray sql_;
    size_t lastCells_ = 0;
};

void BM_SearchToPaintedGrid(benchmark::State& state)
{
    IterationClock clock;
    int rows = 0;
    for (auto _ : state)
        rows = SearchOnce(clock);
    state.counters["rows"] = rows;
    Ratios::Record("search", clock);
    Ratios::Counters(state, clock, "raw");
}

void BM_RawSqliteBaseline(benchmark::State& state)
{
    RawSearch raw;
    IterationClock clock;
    size_t rows = 0;
    for (auto _ : state)
        rows = raw.Run(clock);
    state.counters["rows"] = double(rows);
    Ratios::Record("raw", clock);
}

// Both in turn, each pair one search and one raw loop.
void BM_Search_Paired(benchmark::State& state)
{
    RawSearch raw;
    for (auto _ : state)
        jxcbench::RunPairs("search", jxcbench::PairCount(), [](IterationClock& c) { SearchOnce(c); },
                           [&](IterationClock& c) { raw.Run(c); });
}

// Heap in use: small blocks plus the large ones malloc maps on their own.
size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

double memoryHeld = 0, memoryRaw = 0;

// The heap BillListData takes against the raw bytes of its rows.
void MeasureMemory()
{
    TWorkWindowForm& w = *env->window;
    w.LoadBillList(billlist::BillByNumberSql(QStringLiteral("none")));
    const size_t before = HeapInUse();
    w.btnQryClick();
    const size_t after = HeapInUse();
    const QByteArray sql = host::db::Translate(env->searchSql, host::db::Engine::SQLite).toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(env->host.DatabaseFile().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
    size_t raw = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            raw += sqlite3_column_type(st, c) == SQLITE_TEXT ? size_t(sqlite3_column_bytes(st, c)) : 8;
    sqlite3_finalize(st);
    sqlite3_close(db);
    memoryHeld = double(after - before);
    memoryRaw = double(raw);
}

// The export benchmarks run after the searches: the first of them shows the 10,000 lines.
void ShowBenchLines()
{
    TWorkWindowForm& w = *env->window;
    if (w.TableGoodsList->DataController()->RecordCount() == ExportLines)
        return;
    w.LoadBillList(billlist::BillByNumberSql(QStringLiteral("DB-BENCH")));
    w.TableBillInfo->DataController()->SetFocusedRecordIndex(0);
    w.TableBillInfoCellClick(0, nullptr);
}

// The window's way: the lines export command, with the file name queued for its dialog.
void ExportOnce(IterationClock& clock)
{
    TWorkWindowForm& w = *env->window;
    env->app.QueueFileName(env->dir.filePath(QStringLiteral("lines.xlsx")));
    clock.Start();
    w.N1Click();
    clock.Stop();
}

// A cell's number, money included.
double Number(const QVariant& v)
{
    return v.metaType() == QMetaType::fromType<platform::Currency>() ? v.value<platform::Currency>().ToDouble() : v.toDouble();
}

// The same cells as plain C++ values, written by a libxlsxwriter loop.
class RawExport {
public:
    RawExport()
    {
        TWorkWindowForm& w = *env->window;
        platform::DataController* dc = w.TableGoodsList->DataController();
        for (int r = 0; r < dc->RecordCount(); ++r)
            rows_.push_back({dc->DisplayText(r, w.colGoodsCode->Index()).toStdString(),
                             dc->DisplayText(r, w.colGoodsName->Index()).toStdString(),
                             dc->DisplayText(r, w.colCalUnit->Index()).toStdString(),
                             Number(dc->Value(r, w.colGoodsPrice->Index())), Number(dc->Value(r, w.colGoodsCount->Index())),
                             Number(dc->Value(r, w.colPaysum->Index())), Number(dc->Value(r, w.colStockLeftCount->Index()))});
    }

    void Run(IterationClock& clock)
    {
        const char* captions[] = {"商品编号", "商品名称", "单位", "单价", "数量", "金额", "库存数量"};
        clock.Start();
        lxw_workbook_options o{};
        o.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(path_.c_str(), &o);
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        lxw_format* bold = workbook_add_format(book);
        format_set_bold(bold);
        lxw_format* two = workbook_add_format(book);
        format_set_num_format(two, "0.00");
        for (int c = 0; c < 7; ++c)
            worksheet_write_string(sheet, 0, lxw_col_t(c), captions[c], bold);
        lxw_row_t r = 1;
        double count = 0, sum = 0;
        for (const Row& row : rows_) {
            worksheet_write_string(sheet, r, 0, row.code.c_str(), nullptr);
            worksheet_write_string(sheet, r, 1, row.name.c_str(), nullptr);
            worksheet_write_string(sheet, r, 2, row.unit.c_str(), nullptr);
            worksheet_write_number(sheet, r, 3, row.price, nullptr);
            worksheet_write_number(sheet, r, 4, row.count, two);
            worksheet_write_number(sheet, r, 5, row.sum, nullptr);
            worksheet_write_number(sheet, r, 6, row.stock, nullptr);
            count += row.count;
            sum += row.sum;
            ++r;
        }
        worksheet_write_string(sheet, r, 0, (std::to_string(rows_.size()) + " 条记录").c_str(), bold);
        worksheet_write_number(sheet, r, 4, count, two);
        worksheet_write_number(sheet, r, 5, sum, two);
        workbook_close(book);
        clock.Stop();
    }

private:
    struct Row {
        std::string code, name, unit;
        double price, count, sum, stock;
    };
    std::vector<Row> rows_;
    std::string path_ = env->dir.filePath(QStringLiteral("raw.xlsx")).toStdString();
};

void BM_LinesExport(benchmark::State& state)
{
    ShowBenchLines();
    IterationClock clock;
    for (auto _ : state)
        ExportOnce(clock);
    state.counters["lines"] = env->window->TableGoodsList->DataController()->RecordCount();
    Ratios::Record("export", clock);
    Ratios::Counters(state, clock, "exportRaw");
}

void BM_RawXlsxBaseline(benchmark::State& state)
{
    ShowBenchLines();
    RawExport raw;
    IterationClock clock;
    for (auto _ : state)
        raw.Run(clock);
    Ratios::Record("exportRaw", clock);
}

void BM_LinesExport_Paired(benchmark::State& state)
{
    ShowBenchLines();
    RawExport raw;
    for (auto _ : state)
        jxcbench::RunPairs("export", jxcbench::PairCount(), ExportOnce, [&](IterationClock& c) { raw.Run(c); });
}

BENCHMARK(BM_SearchToPaintedGrid)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RawSqliteBaseline)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Search_Paired)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LinesExport)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RawXlsxBaseline)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LinesExport_Paired)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::KeepLocalZoneLoaded(); // as the host does, before any thread starts
    QApplication app(argc, argv);
    Setup();
    MeasureMemory();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("BillListData holds %.1f MB, raw rows %.1f MB\n", memoryHeld / 1e6, memoryRaw / 1e6);
    jxcbench::ReportRatio("memory", memoryRaw > 0 ? memoryHeld / memoryRaw : 0);
    Ratios::Print("Search to painted grid", "search", "raw");
    Ratios::Print("Lines export of 10,000 lines", "export", "exportRaw");
    env->window->DoneWindow();
    env->window.reset();
    return 0;
}
