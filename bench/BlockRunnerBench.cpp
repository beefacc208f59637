// The block runner against raw statements, on the embedded engine: posting a 1,000-line bill
// as the module's block versus the same statements sent one by one from C++, and parsing a
// 1,000-line save block versus only tokenizing it. Each benchmark rolls its work back, so every
// iteration sees the same data.
#include "bench/BenchSupport.h"
#include "bench/PostingBlock.h"

#include "host/db/blocks/BlockParser.h"
#include "host/db/Connection.h"
#include "host/db/Schema.h"
#include "host/db/blocks/SqlTokenizer.h"
#include "platform/core/Exception.h"
#include "platform/core/LocalZone.h"
#include "host/db/dialect/Dialect.h"
#include "host/db/blocks/BlockRunner.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace host::db;

namespace {

constexpr int Lines = 1000;
constexpr qint64 BillId = 900000;

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<Connection> conn;
    QString posting;
    QString save;

    Fixture()
    {
        conn = Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("bench.db")));
        CreateSchema(*conn);
        conn->BeginWrite();
        Execute(*conn, QStringLiteral("insert into bas_Storage(ID, StorageCode, StorageName) values (1, 'S01', 'a')"));
        Execute(*conn, QStringLiteral("insert into bas_Storage(ID, StorageCode, StorageName) values (2, 'S02', 'b')"));
        Execute(*conn, QStringLiteral("insert into Sto_AdjustBillMain(ID, BillNo, Src_StorageCode, Des_StorageCode, BillStatus,"
                                      " AuditFlag, DELETED) values (:1, 'DB-BENCH', 'S01', 'S02', 2, 1, 0)"),
                {BillId});
        for (int i = 0; i < Lines; ++i) {
            const QString code = QStringLiteral("G%1").arg(i, 5, 10, QLatin1Char('0'));
            Execute(*conn, QStringLiteral("insert into Bas_GoodsInfo(ID, GoodsCode, GoodsName) values (:1, :2, :3)"),
                    {qlonglong(1000 + i), code, code});
            Execute(*conn, QStringLiteral("insert into Sto_AdjustBillDetail(ID, BillID, BillNo, GoodsCode, GoodsName, GoodsPrice,"
                                          " GoodsCount, PaySum, DELETED) values (:1, :2, 'DB-BENCH', :3, :3, 2.5, 1.5, 3.75, 0)"),
                    {qlonglong(BillId * 10 + i), BillId, code});
            // Half the destination rows exist, so both the insert and the update branch run.
            if (i % 2 == 0)
                Execute(*conn, QStringLiteral("insert into Gds_StockCount(ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount,"
                                              " Deleted) values (:1, 2, 'S02', :2, :3, 5, 0)"),
                        {qlonglong(2000000 + i), qlonglong(1000 + i), code});
        }
        conn->Commit();

        jxcbench::PostingInput p;
        p.billId = BillId;
        p.billNo = QStringLiteral("DB-BENCH");
        p.srcStorage = QStringLiteral("S01");
        p.desStorage = QStringLiteral("S02");
        p.auditor = p.operatorCode = QStringLiteral("op");
        p.goodsCount = 1500;
        p.auditDate = QDateTime(QDate(2024, 1, 2), QTime(10, 30));
        p.inId = 1;
        p.outId = 2;
        p.inNo = QStringLiteral("RK-BENCH");
        p.outNo = QStringLiteral("CK-BENCH");
        posting = jxcbench::PostingBlock(p);

        save = QStringLiteral("  begin  delete from Sto_AdjustBillDetail where BillNo='DB-SAVE';");
        for (int i = 0; i < Lines; ++i)
            save += QStringLiteral(" Insert into Sto_AdjustBillDetail( ID            , BillID        , BillNo        ,"
                                   " GoodsCode     , GoodsName     , CalUnit       , Model         , Brand         ,"
                                   " GoodsPrice    , GoodsCount    , PaySum        , Remark        , OptorCode     ,"
                                   " Create_time   , modified_time , deleted) values ( seq_jxcid.nextval,7,'DB-SAVE','G%1',"
                                   "'名称%1','52101','M''%1','',2.5,%2,%3,'','op',sysdate,sysdate,0);")
                        .arg(i, 5, 10, QLatin1Char('0'))
                        .arg(i % 7 + 1)
                        .arg((i % 7 + 1) * 2.5);
        save += QStringLiteral("  end; ");
    }
};

Fixture& TheFixture()
{
    static Fixture f;
    return f;
}

class ValueSink : public RowSink {
public:
    void Columns(const QVector<ResultColumn>& c) override { columns = int(c.size()); }
    bool Row(QVariant* v) override
    {
        rows.push_back(std::vector<QVariant>(v, v + columns));
        return true;
    }
    int columns = 0;
    std::vector<std::vector<QVariant>> rows;
};

QVariant One(Connection& c, const QString& sql, const QVector<QVariant>& params)
{
    ValueSink sink;
    Execute(c, sql, params, &sink);
    if (sink.rows.size() != 1)
        throw platform::EDatabaseError(QStringLiteral("ORA-01403: no data found"));
    return sink.rows[0][0];
}

void PostingBlockOnce(jxcbench::IterationClock& clock)
{
    Fixture& f = TheFixture();
    clock.Start();
    f.conn->BeginWrite();
    RunBlock(*f.conn, f.posting);
    f.conn->Rollback();
    clock.Stop();
}

void PostingBlock(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state)
        PostingBlockOnce(clock);
    state.SetItemsProcessed(state.iterations() * Lines);
}

// The movement of the posting block written by hand against the connection: the floor the
// block runner's own work sits on.
void PostingRawOnce(jxcbench::IterationClock& clock)
{
    Fixture& f = TheFixture();
    Connection& c = *f.conn;
    const QString id = QString::number(BillId);
    clock.Start();
    {
        c.BeginWrite();
        Execute(c, QStringLiteral("Insert into Sto_GdsBillDetail(ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,"
                                  "Brand,GoodsPrice,GoodsCount,PaySum,Remark,OptorCode,Create_time,modified_time,deleted)"
                                  " select seq_jxcid.nextval,2,'CK-BENCH','12',GoodsCode,GoodsName,CalUnit,Model,Brand,"
                                  "GoodsPrice,GoodsCount,PaySum,remark,'op',sysdate,sysdate,0 from Sto_AdjustBillDetail"
                                  " where BillID=")
                      + id);
        Execute(c, QStringLiteral("Insert into Sto_GdsBillDetail(ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,"
                                  "Brand,GoodsPrice,GoodsCount,PaySum,Remark,OptorCode,Create_time,modified_time,deleted)"
                                  " select seq_jxcid.nextval,1,'RK-BENCH','02',GoodsCode,GoodsName,CalUnit,Model,Brand,"
                                  "GoodsPrice,GoodsCount,PaySum,remark,'op',sysdate,sysdate,0 from Sto_AdjustBillDetail"
                                  " where BillID=")
                      + id);
        ValueSink lines;
        Execute(c, QStringLiteral("select b.id as GoodsID,a.GoodsCode,a.GoodsCount,c.Src_StorageCode,c.Des_StorageCode"
                                  " from Sto_AdjustBillDetail a inner join Bas_GoodsInfo b on (a.GoodsCode = b.GoodsCode)"
                                  " left join Sto_AdjustBillMain c on (a.BillID = c.id) where c.BillStatus = 2  and a.BillID =")
                      + id,
                {}, &lines);
        for (const auto& row : lines.rows) {
            for (int side = 0; side < 2; ++side) {
                const QVariant storage = side == 0 ? row[4] : row[3];
                const QVariant sid = One(c, QStringLiteral("select ID from bas_Storage where StorageCode = :1"), {storage});
                const qlonglong num = One(c, QStringLiteral("select count(ID) from Gds_StockCount where StorageCode = :1"
                                                            " and GoodsCode = :2"),
                                          {storage, row[1]})
                                          .toLongLong();
                const double qty = side == 0 ? row[2].toDouble() : -row[2].toDouble();
                if (num == 0)
                    Execute(c, QStringLiteral("insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,"
                                              "Create_time,Deleted) values (seq_jxcid.nextval,:1,:2,:3,:4,:5,sysdate,0)"),
                            {sid, storage, row[0], row[1], qty});
                else
                    Execute(c, QStringLiteral("Update Gds_StockCount set LeftCount = LeftCount + (:1) where StorageCode= :2"
                                              " and GoodsCode=:3"),
                            {qty, storage, row[1]});
            }
        }
        Execute(c, QStringLiteral("update Sto_AdjustBillMain set BillStatus = 4 ,modified_time=sysdate where ID = ") + id);
        c.Rollback();
    }
    clock.Stop();
}

void PostingRawBaseline(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state)
        PostingRawOnce(clock);
    state.SetItemsProcessed(state.iterations() * Lines);
}

void ParseOnce(jxcbench::IterationClock& clock)
{
    const QString& text = TheFixture().save;
    clock.Start();
    benchmark::DoNotOptimize(plsql::ParseBlock(text));
    clock.Stop();
}

void TokenizeOnce(jxcbench::IterationClock& clock)
{
    const QString& text = TheFixture().save;
    clock.Start();
    benchmark::DoNotOptimize(Tokenize(text));
    clock.Stop();
}

void ParseSaveBlock(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state)
        ParseOnce(clock);
    state.SetItemsProcessed(state.iterations() * Lines);
}

void TokenizeSaveBlockBaseline(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state)
        TokenizeOnce(clock);
    state.SetItemsProcessed(state.iterations() * Lines);
}

// Both ways in turn: the posting block against its statements sent by hand, parsing against
// tokenizing alone.
void BlockRunner_Paired(benchmark::State& state)
{
    for (auto _ : state) {
        jxcbench::RunPairs("block", jxcbench::PairCount(), PostingBlockOnce, PostingRawOnce);
        jxcbench::RunPairs("parse", jxcbench::PairCount(), ParseOnce, TokenizeOnce);
    }
}

void SaveBlock(benchmark::State& state)
{
    Fixture& f = TheFixture();
    for (auto _ : state) {
        f.conn->BeginWrite();
        RunBlock(*f.conn, f.save);
        f.conn->Rollback();
    }
    state.SetItemsProcessed(state.iterations() * Lines);
}

} // namespace

BENCHMARK(PostingBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(PostingRawBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseSaveBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(TokenizeSaveBlockBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BlockRunner_Paired)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    platform::KeepLocalZoneLoaded(); // as the host does, before any thread starts
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
