// Saving a new 1,000-line transfer bill: the bill editor's save block (built from the lines and
// sent through the database service's ExecSql: block runner, one transaction) against a
// hand-written transaction on the raw libsqlite3 handle doing the same inserts with prepared
// statements: the header, then every line under a sequence identifier.
#include "bench/BenchSupport.h"

#include "billedit/FrmBillEditSql.h"
#include "host/db/blocks/BlockInterpreter.h"
#include "host/db/blocks/BlockParser.h"
#include "host/db/Transaction.h"
#include "platform/core/Currency.h"
#include "platform/core/LocalZone.h"
#include "platform/core/ValueText.h"

#include <sqlite3.h>

namespace {

using jxcbench::Ratios;
using platform::Currency;

constexpr int Lines = 1000;

// Each way saves into a database of its own, seeded alike: the bills one way adds would make
// the other's inserts work on larger tables and indexes.
enum class Way { Raw, Block, Run, Count };
Way current = Way::Raw;
jxcbench::SeededSqlite& Db()
{
    static std::unique_ptr<jxcbench::SeededSqlite> dbs[int(Way::Count)];
    std::unique_ptr<jxcbench::SeededSqlite>& db = dbs[int(current)];
    if (!db) {
        host::db::DemoOptions o;
        o.bills = 0; // master data only; the benchmark makes its own bills
        db = std::make_unique<jxcbench::SeededSqlite>(o);
    }
    return *db;
}

// The bill as the editor holds it when OK is pressed: a fresh ID and number, 1,000 lines.
struct NewBill {
    billedit::SaveHeader head;
    QVector<billedit::SaveLine> lines;
};

NewBill MakeBill()
{
    host::db::DbService& svc = Db().Service();
    static int serial = 0;
    NewBill b;
    b.head.id = svc.NextSequence(QStringLiteral("SEQ_JXCID"));
    b.head.billNo = QStringLiteral("DB-20240101%1").arg(++serial, 8, 10, QLatin1Char('0'));
    b.head.srcStorageCode = QStringLiteral("01");
    b.head.desStorageCode = QStringLiteral("0101");
    b.head.remark = QStringLiteral("基准测试");
    b.head.operatorCode = QStringLiteral("001");
    b.lines.reserve(Lines);
    for (int i = 1; i <= Lines; ++i) {
        billedit::SaveLine l;
        l.goodsCode = QStringLiteral("BENCH%1").arg(i, 4, 10, QLatin1Char('0'));
        l.goodsName = QStringLiteral("测试商品%1").arg(i);
        l.calUnit = QStringLiteral("521001");
        l.model = QStringLiteral("标准");
        l.goodsPrice = *Currency::Parse(QStringLiteral("3.333"));
        l.goodsCount = 2.5;
        l.paySum = l.goodsPrice * Currency::FromDouble(l.goodsCount);
        b.head.goodsCount += l.goodsCount;
        b.head.billSum += l.paySum;
        b.lines.push_back(l);
    }
    return b;
}

bool Saved(const NewBill& b)
{
    host::db::DbService& svc = Db().Service();
    return svc.QueryValue(QStringLiteral("select count(*) from Sto_AdjustBillMain where ID=%1").arg(b.head.id)) == u"1"
        && svc.QueryValue(QStringLiteral("select count(*) from Sto_AdjustBillDetail where BillID=%1").arg(b.head.id))
        == QString::number(Lines);
}

// The same inserts by hand: prepared once, bound and stepped per row.
class RawSave {
public:
    explicit RawSave(sqlite3* h) : h_(h)
    {
        head_ = Prepare("INSERT INTO Sto_AdjustBillMain (ID,BillNo,BillDate,Src_StorageCode,Des_StorageCode,GoodsCount,"
                        "BillSum,BillStatus,AuditFlag,Remark,OptorCode,Create_time,modified_time,deleted) "
                        "VALUES (?1,?2,?3,?4,?5,?6,?7,0,0,?8,?9,?3,?3,0)");
        line_ = Prepare("INSERT INTO Sto_AdjustBillDetail (ID,BillID,BillNo,GoodsCode,GoodsName,CalUnit,Model,Brand,"
                        "GoodsPrice,GoodsCount,PaySum,Remark,OptorCode,Create_time,modified_time,deleted) "
                        "VALUES (jxc_nextval('SEQ_JXCID'),?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,'',?11,?12,?12,0)");
    }
    ~RawSave()
    {
        sqlite3_finalize(head_);
        sqlite3_finalize(line_);
    }

    void Save(const NewBill& b)
    {
        Exec("BEGIN IMMEDIATE");
        try {
            const QByteArray now = platform::CanonicalDateText(QDateTime::currentDateTime()).toUtf8();
            const qint64 id = b.head.id.toLongLong();
            const QByteArray no = b.head.billNo.toUtf8(), op = b.head.operatorCode.toUtf8();
            sqlite3_bind_int64(head_, 1, id);
            Bind(head_, 2, no);
            Bind(head_, 3, now);
            Bind(head_, 4, b.head.srcStorageCode.toUtf8());
            Bind(head_, 5, b.head.desStorageCode.toUtf8());
            sqlite3_bind_double(head_, 6, b.head.goodsCount);
            sqlite3_bind_double(head_, 7, b.head.billSum.ToDouble());
            Bind(head_, 8, b.head.remark.toUtf8());
            Bind(head_, 9, op);
            Step(head_);
            for (const billedit::SaveLine& l : b.lines) {
                sqlite3_bind_int64(line_, 1, id);
                Bind(line_, 2, no);
                Bind(line_, 3, l.goodsCode.toUtf8());
                Bind(line_, 4, l.goodsName.toUtf8());
                Bind(line_, 5, l.calUnit.toUtf8());
                Bind(line_, 6, l.model.toUtf8());
                Bind(line_, 7, l.brand.toUtf8());
                sqlite3_bind_double(line_, 8, l.goodsPrice.ToDouble());
                sqlite3_bind_double(line_, 9, l.goodsCount);
                sqlite3_bind_double(line_, 10, l.paySum.ToDouble());
                Bind(line_, 11, op);
                Bind(line_, 12, now);
                Step(line_);
            }
            Exec("COMMIT");
        } catch (...) {
            Exec("ROLLBACK");
            throw;
        }
    }

private:
    sqlite3_stmt* Prepare(const char* sql) { return jxcbench::raw::Prepare(h_, sql); }
    void Exec(const char* sql) { jxcbench::raw::Exec(h_, sql); }
    void Step(sqlite3_stmt* s) { jxcbench::raw::Step(h_, s); }
    static void Bind(sqlite3_stmt* s, int i, const QByteArray& v)
    {
        sqlite3_bind_text(s, i, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }

    sqlite3* h_;
    sqlite3_stmt *head_, *line_;
};

void BM_BillSave_RawTransaction(benchmark::State& state)
{
    current = Way::Raw;
    RawSave raw(Db().Raw());
    raw.Save(MakeBill());
    jxcbench::IterationClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        const NewBill b = MakeBill();
        state.ResumeTiming();
        clock.Start();
        raw.Save(b);
        clock.Stop();
        state.PauseTiming();
        if (!Saved(b))
            state.SkipWithError("the raw save did not write the bill");
        state.ResumeTiming();
    }
    Ratios::Record("save_raw", clock);
    state.SetItemsProcessed(state.iterations() * Lines);
}

// The editor's part: the block built from the lines, then one ExecSql.
void BM_BillSave_EditorBlock(benchmark::State& state)
{
    current = Way::Block;
    host::db::DbService& svc = Db().Service();
    {
        const NewBill warm = MakeBill();
        svc.ExecSql(billedit::SaveBlockSql(true, warm.head, warm.lines));
    }
    jxcbench::IterationClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        const NewBill b = MakeBill();
        state.ResumeTiming();
        clock.Start();
        svc.ExecSql(billedit::SaveBlockSql(true, b.head, b.lines));
        clock.Stop();
        state.PauseTiming();
        if (!Saved(b))
            state.SkipWithError("the save block did not write the bill");
        state.ResumeTiming();
    }
    Ratios::Record("save_block", clock);
    Ratios::Counters(state, clock, "save_raw");
    state.SetItemsProcessed(state.iterations() * Lines);
}

// Where the block's time goes: building its text and parsing it, before any statement runs.
void BM_BillSave_BlockTextAndParse(benchmark::State& state)
{
    current = Way::Run;
    const NewBill b = MakeBill();
    jxcbench::IterationClock build, parse;
    for (auto _ : state) {
        build.Start();
        const QString block = billedit::SaveBlockSql(true, b.head, b.lines);
        build.Stop();
        parse.Start();
        benchmark::DoNotOptimize(host::db::plsql::ParseBlock(block));
        parse.Stop();
    }
    Ratios::Record("save_text", build);
    Ratios::Record("save_parse", parse);
}

// And the rest: the parsed block run in its transaction, the statements and their binding.
void BM_BillSave_ParsedBlockRun(benchmark::State& state)
{
    current = Way::Run;
    host::db::Connection& c = Db().Service().GetConnection();
    jxcbench::IterationClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        const NewBill b = MakeBill();
        const auto program = host::db::plsql::ParseBlock(billedit::SaveBlockSql(true, b.head, b.lines));
        state.ResumeTiming();
        clock.Start();
        host::db::WriteTransaction tx(c);
        host::db::plsql::RunProgram(c, *program, host::db::plsql::RunOptions{0, true});
        tx.Commit();
        clock.Stop();
        state.PauseTiming();
        if (!Saved(b))
            state.SkipWithError("the parsed block did not write the bill");
        state.ResumeTiming();
    }
    Ratios::Record("save_run", clock);
}

// Both ways in turn, one save each per iteration, each into its own database.
jxcbench::Pairs pairs;

void BM_BillSave_Paired(benchmark::State& state)
{
    current = Way::Raw;
    RawSave raw(Db().Raw());
    for (auto _ : state) {
        state.PauseTiming();
        current = Way::Raw;
        const NewBill r = MakeBill();
        current = Way::Block;
        const NewBill v = MakeBill();
        host::db::DbService& svc = Db().Service();
        state.ResumeTiming();
        jxcbench::IterationClock rawClock, blockClock;
        const auto saveRaw = [&] {
            rawClock.Start();
            raw.Save(r);
            rawClock.Stop();
        };
        const auto saveBlock = [&] {
            blockClock.Start();
            svc.ExecSql(billedit::SaveBlockSql(true, v.head, v.lines));
            blockClock.Stop();
        };
        pairs.InTurn(saveBlock, saveRaw);
        state.PauseTiming();
        pairs.Add(blockClock, rawClock);
        if (!Saved(v))
            state.SkipWithError("the save block did not write the bill");
        current = Way::Raw;
        if (!Saved(r))
            state.SkipWithError("the raw save did not write the bill");
        state.ResumeTiming();
    }
}

BENCHMARK(BM_BillSave_RawTransaction)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_BillSave_EditorBlock)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_BillSave_BlockTextAndParse)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_BillSave_ParsedBlockRun)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_BillSave_Paired)->Unit(benchmark::kMillisecond)->Iterations(jxcbench::PairCount(30));

} // namespace

int main(int argc, char** argv)
{
    platform::KeepLocalZoneLoaded(); // as the host does, before any thread starts
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        for (Way w : {Way::Raw, Way::Block, Way::Run}) {
            current = w;
            Db(); // all seeded before any is timed
        }
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
    benchmark::Shutdown();
    Ratios::Print("Saving a 1,000-line bill through the editor's block", "save_block", "save_raw");
    Ratios::Print("  of which building the block text", "save_text", "save_raw");
    Ratios::Print("  of which parsing the block", "save_parse", "save_raw");
    Ratios::Print("  of which running the parsed block", "save_run", "save_raw");
    pairs.Print();
    pairs.Report("save");
    return 0;
}
