// The bill list's query over 100,000 bills: the database service's OpenQuery (translate, run,
// build a typed dataset) against a raw libsqlite3 prepare/step loop over the same translated
// text that reads every column. The ratio shows what the service costs on top of the engine.
#include "bench/BenchSupport.h"

#include "platform/core/Dataset.h"
#include "platform/core/LocalZone.h"
#include "host/db/dialect/Dialect.h"

#include <sqlite3.h>

namespace {

using jxcbench::Ratios;

const QString BillListSql = QStringLiteral(
    " select a.*, (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as storageName_Out, "
    "(select storageName from bas_storage where StorageCode=a.Des_StorageCode) as storageName_In  from Sto_AdjustBillMain a"
    " where a.DELETED= 0");

jxcbench::SeededSqlite& Db()
{
    static jxcbench::SeededSqlite db([] {
        host::db::DemoOptions o;
        o.bills = 100000;
        o.linesPerBill = 1; // the list reads headers only
        return o;
    }());
    return db;
}

// Steps through every row reading every column in its stored type; returns the rows.
long RawPass(sqlite3* h, const QByteArray& sql, size_t& bytes)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(h));
    long rows = 0;
    const int n = sqlite3_column_count(s);
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_INTEGER: bytes += size_t(sqlite3_column_int64(s, c) & 1); break;
            case SQLITE_FLOAT: bytes += sqlite3_column_double(s, c) > 0 ? 1 : 0; break;
            case SQLITE_TEXT:
                benchmark::DoNotOptimize(sqlite3_column_text(s, c));
                bytes += size_t(sqlite3_column_bytes(s, c));
                break;
            default: break;
            }
        }
        ++rows;
    }
    sqlite3_finalize(s);
    return rows;
}

void BM_BillList_RawSqlite(benchmark::State& state)
{
    sqlite3* h = Db().Raw();
    const QByteArray sql = host::db::Translate(BillListSql, host::db::Engine::SQLite).toUtf8();
    jxcbench::IterationClock clock;
    long rows = 0;
    for (auto _ : state) {
        clock.Start();
        size_t bytes = 0;
        rows = RawPass(h, sql, bytes);
        benchmark::DoNotOptimize(bytes);
        clock.Stop();
    }
    Ratios::Record("list_raw", clock);
    state.counters["rows"] = double(rows);
    state.SetItemsProcessed(state.iterations() * rows);
}

void BM_BillList_ServiceOpenQuery(benchmark::State& state)
{
    host::db::DbService& svc = Db().Service();
    jxcbench::IterationClock clock;
    long rows = 0;
    for (auto _ : state) {
        clock.Start();
        std::unique_ptr<platform::Dataset> ds(svc.OpenQuery(BillListSql));
        rows = ds->RecordCount();
        ds.reset();
        clock.Stop();
    }
    Ratios::Record("list_service", clock);
    state.counters["rows"] = double(rows);
    Ratios::Counters(state, clock, "list_raw");
    state.SetItemsProcessed(state.iterations() * rows);
}

// Both in turn: one OpenQuery and one raw pass a pair.
void BM_BillList_Paired(benchmark::State& state)
{
    host::db::DbService& svc = Db().Service();
    sqlite3* h = Db().Raw();
    const QByteArray sql = host::db::Translate(BillListSql, host::db::Engine::SQLite).toUtf8();
    for (auto _ : state)
        jxcbench::RunPairs(
            "query", jxcbench::PairCount(),
            [&](jxcbench::IterationClock& clock) {
                clock.Start();
                std::unique_ptr<platform::Dataset> ds(svc.OpenQuery(BillListSql));
                ds.reset();
                clock.Stop();
            },
            [&](jxcbench::IterationClock& clock) {
                clock.Start();
                size_t bytes = 0;
                RawPass(h, sql, bytes);
                benchmark::DoNotOptimize(bytes);
                clock.Stop();
            });
}

BENCHMARK(BM_BillList_RawSqlite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BillList_ServiceOpenQuery)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BillList_Paired)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    platform::KeepLocalZoneLoaded(); // as the host does, before any thread starts
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("Seeding 100,000 demo bills...\n");
    std::fflush(stdout);
    Db();
    std::printf("seeded %d bills in %.1f s\n", Db().Summary().bills, Db().SeedSeconds());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Ratios::Print("OpenQuery of the bill list", "list_service", "list_raw");
    return 0;
}
