// Posting a 1,000-line transfer bill: the posting block the list window sends, through the
// database service's ExecSql (block runner, one transaction), against a hand-written transaction
// on the raw libsqlite3 handle doing the same work with prepared statements: the bill's state
// check, both stock bills with their lines, the stock movement line by line (insert or update,
// destination then source) and the status change.
#include "bench/BenchSupport.h"
#include "bench/PostingBlock.h"
#include "billlist/TransferPosting.h"

#include "host/db/dialect/Dialect.h"
#include "host/db/Transaction.h"
#include "platform/core/Exception.h"
#include "platform/core/LocalZone.h"
#include "platform/core/ValueText.h"

#include <sqlite3.h>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

using jxcbench::Ratios;

constexpr int Lines = 1000;
const QString Src = QStringLiteral("01");   // head warehouse
const QString Des = QStringLiteral("0101"); // a sub-storage

std::unique_ptr<jxcbench::SeededSqlite> SeededDb()
{
    auto owned = std::make_unique<jxcbench::SeededSqlite>([] {
        host::db::DemoOptions o;
        o.bills = 0; // master data only; the benchmark makes its own bills
        return o;
    }());
    jxcbench::SeededSqlite& db = *owned;
    {
        // A thousand goods of their own, stocked at the source; half of them also at the
        // destination, so the movement both inserts and updates stock rows.
        host::db::Connection& c = db.Service().GetConnection();
        host::db::WriteTransaction tx(c);
        for (int i = 1; i <= Lines; ++i) {
            const QString code = QStringLiteral("BENCH%1").arg(i, 4, 10, QLatin1Char('0'));
            const qint64 gid = c.NextSequenceValue(QStringLiteral("SEQ_JXCID"));
            host::db::Execute(c, QStringLiteral("insert into Bas_GoodsInfo (ID,GoodsCode,GoodsName,GoodsType,CalUnit,Model,UseFlag,Deleted,"
                                                "LastInPrice) values (:1,:2,:3,'01','521001','标准',1,0,2.5)"),
                              {qlonglong(gid), code, QStringLiteral("测试商品%1").arg(i)});
            for (const QString& storage : {Src, Des}) {
                if (storage == Des && i % 2)
                    continue;
                host::db::Execute(c, QStringLiteral("insert into Gds_StockCount (ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,"
                                                    "Create_time,Deleted) values (seq_jxcid.nextval,(select ID from bas_Storage where "
                                                    "StorageCode=:1),:1,:2,:3,1000000,sysdate,0)"),
                                  {storage, qlonglong(gid), code});
            }
        }
        tx.Commit();
    }
    return owned;
}

// Each way posts into a database of its own, seeded alike: the bills one way adds would make
// the other's inserts work on larger tables and indexes.
enum class Way { Raw, Service };
Way current = Way::Raw;
jxcbench::SeededSqlite& Db()
{
    static std::unique_ptr<jxcbench::SeededSqlite> dbs[2];
    std::unique_ptr<jxcbench::SeededSqlite>& db = dbs[current == Way::Raw ? 0 : 1];
    if (!db)
        db = SeededDb();
    return *db;
}

// A fresh audited bill of 1,000 lines and the numbers the list window draws before posting.
jxcbench::PostingInput NewAuditedBill()
{
    host::db::DbService& svc = Db().Service();
    host::db::Connection& c = svc.GetConnection();
    static int serial = 0;
    jxcbench::PostingInput p;
    p.billId = svc.NextSequence(QStringLiteral("SEQ_JXCID")).toLongLong();
    p.billNo = QStringLiteral("DB-20240101%1").arg(++serial, 8, 10, QLatin1Char('0'));
    p.srcStorage = Src;
    p.desStorage = Des;
    p.auditor = p.operatorCode = QStringLiteral("001");
    p.remark = QStringLiteral("基准测试");
    p.goodsCount = Lines * 2;
    p.billSum = platform::Currency::FromInt(Lines * 5);
    p.auditDate = QDateTime::currentDateTime();
    {
        host::db::WriteTransaction tx(c);
        host::db::Execute(c, QStringLiteral("insert into Sto_AdjustBillMain (ID,BillNo,BillDate,Src_StorageCode,Des_StorageCode,GoodsCount,"
                                            "BillSum,BillStatus,AuditFlag,Auditor,AuditDate,Remark,OptorCode,Create_time,modified_time,"
                                            "DELETED) values (:1,:2,sysdate,:3,:4,:5,:6,2,1,:7,sysdate,:8,:7,sysdate,sysdate,0)"),
                          {qlonglong(p.billId), p.billNo, Src, Des, p.goodsCount, QVariant::fromValue(p.billSum), p.auditor, p.remark});
        for (int i = 1; i <= Lines; ++i)
            host::db::Execute(c, QStringLiteral("insert into Sto_AdjustBillDetail (ID,BillID,BillNo,GoodsCode,GoodsName,CalUnit,Model,Brand,"
                                                "GoodsPrice,GoodsCount,PaySum,Remark,OptorCode,Create_time,modified_time,DELETED) values "
                                                "(seq_jxcid.nextval,:1,:2,:3,:4,'521001','标准','',2.5,2,5,'','001',sysdate,sysdate,0)"),
                              {qlonglong(p.billId), p.billNo, QStringLiteral("BENCH%1").arg(i, 4, 10, QLatin1Char('0')),
                               QStringLiteral("测试商品%1").arg(i)});
        tx.Commit();
    }
    p.inId = svc.NextSequence(QStringLiteral("SEQ_JXCID")).toLongLong();
    p.inNo = QStringLiteral("RK-20240101%1").arg(svc.NextCounter(QStringLiteral("JXC_BILLNO_RK"), 1).toLongLong(), 8, 10, QLatin1Char('0'));
    p.outId = svc.NextSequence(QStringLiteral("SEQ_JXCID")).toLongLong();
    p.outNo = QStringLiteral("CK-20240101%1").arg(svc.NextCounter(QStringLiteral("JXC_BILLNO_CK"), 1).toLongLong(), 8, 10, QLatin1Char('0'));
    return p;
}

// The block the window sends for these inputs.
QString WindowBlock(const jxcbench::PostingInput& p)
{
    billlist::TransferPosting b;
    b.billId = p.billId;
    b.billNo = p.billNo;
    b.srcStorageCode = p.srcStorage;
    b.desStorageCode = p.desStorage;
    b.goodsCount = p.goodsCount;
    b.billSum = p.billSum;
    b.auditor = p.auditor;
    b.auditDate = p.auditDate;
    b.remark = p.remark;
    b.operatorCode = p.operatorCode;
    b.stockInId = p.inId;
    b.stockInNo = p.inNo;
    b.stockOutId = p.outId;
    b.stockOutNo = p.outNo;
    return billlist::TransferPostingBlock(b);
}

// The same work by hand: prepared once, bound and stepped per use.
class RawPosting {
public:
    explicit RawPosting(sqlite3* h) : h_(h)
    {
        const char* head = "INSERT INTO Sto_GdsBillMain (ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,GoodsCount,BillSum,"
                           "BillStatus,AuditFlag,Auditor,AuditDate,Remark,OptorCode,Create_time,modified_time,deleted) "
                           "VALUES (?1,?2,?3,?4,?5,?6,4,?7,?8,4,1,?9,?10,?11,?12,?3,?3,0)";
        const char* lines = "INSERT INTO Sto_GdsBillDetail (ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,"
                            "GoodsCount,PaySum,Remark,OptorCode,Create_time,modified_time,deleted) SELECT jxc_nextval('SEQ_JXCID'),?1,?2,?3,"
                            "GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,PaySum,Remark,?4,?5,?5,0 "
                            "FROM Sto_AdjustBillDetail WHERE BillID=?6";
        const char* cursor = "SELECT b.ID, a.GoodsCode, a.GoodsCount, c.Src_StorageCode, c.Des_StorageCode FROM Sto_AdjustBillDetail a "
                             "INNER JOIN Bas_GoodsInfo b ON a.GoodsCode = b.GoodsCode LEFT JOIN Sto_AdjustBillMain c ON a.BillID = c.ID "
                             "WHERE c.BillStatus = 2 AND a.BillID = ?1";
        head_ = Prepare(head);
        lines_ = Prepare(lines);
        cursor_ = Prepare(cursor);
        storage_ = Prepare("SELECT ID FROM bas_Storage WHERE StorageCode = ?1");
        count_ = Prepare("SELECT count(ID) FROM Gds_StockCount WHERE StorageCode = ?1 AND GoodsCode = ?2");
        insert_ = Prepare("INSERT INTO Gds_StockCount (ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted) "
                          "VALUES (jxc_nextval('SEQ_JXCID'),?1,?2,?3,?4,?5,?6,0)");
        update_ = Prepare("UPDATE Gds_StockCount SET LeftCount = LeftCount + ?1 WHERE StorageCode = ?2 AND GoodsCode = ?3");
        status_ = Prepare("UPDATE Sto_AdjustBillMain SET BillStatus = 4, modified_time = ?1 WHERE ID = ?2");
        guard_ = Prepare("SELECT count(ID) FROM Sto_AdjustBillMain WHERE ID = ?1 AND BillStatus = 2");
    }
    ~RawPosting()
    {
        for (sqlite3_stmt* s : {head_, lines_, cursor_, storage_, count_, insert_, update_, status_, guard_})
            sqlite3_finalize(s);
    }

    void Post(const jxcbench::PostingInput& p)
    {
        Exec("BEGIN IMMEDIATE");
        try {
            Bind(guard_, 1, p.billId);
            const bool open = sqlite3_step(guard_) == SQLITE_ROW && sqlite3_column_int64(guard_, 0) > 0;
            sqlite3_reset(guard_);
            if (!open)
                throw std::runtime_error("the bill's state changed");
            const QByteArray now = platform::CanonicalDateText(QDateTime::currentDateTime()).toUtf8();
            const QByteArray audit = platform::CanonicalDateText(QDateTime(p.auditDate.date(), QTime(p.auditDate.time().hour(),
                                                                                                       p.auditDate.time().minute())))
                                         .toUtf8();
            struct Side {
                qint64 id;
                QString no;
                const char* type;
                QString storage;
            } sides[] = {{p.outId, p.outNo, "12", p.srcStorage}, {p.inId, p.inNo, "02", p.desStorage}};
            for (const Side& s : sides) {
                Bind(head_, 1, s.id);
                Bind(head_, 2, s.no);
                Bind(head_, 3, now);
                Bind(head_, 4, QString::fromLatin1(s.type));
                Bind(head_, 5, s.storage);
                Bind(head_, 6, p.billNo);
                sqlite3_bind_double(head_, 7, p.goodsCount);
                sqlite3_bind_double(head_, 8, p.billSum.ToDouble());
                Bind(head_, 9, p.auditor);
                Bind(head_, 10, audit);
                Bind(head_, 11, p.remark);
                Bind(head_, 12, p.operatorCode);
                Step(head_);
                Bind(lines_, 1, s.id);
                Bind(lines_, 2, s.no);
                Bind(lines_, 3, QString::fromLatin1(s.type));
                Bind(lines_, 4, p.operatorCode);
                Bind(lines_, 5, now);
                Bind(lines_, 6, p.billId);
                Step(lines_);
            }
            struct Line {
                qint64 goodsId;
                QByteArray goods, src, des;
                double qty;
            };
            std::vector<Line> rows;
            Bind(cursor_, 1, p.billId);
            while (sqlite3_step(cursor_) == SQLITE_ROW)
                rows.push_back({sqlite3_column_int64(cursor_, 0), Text(cursor_, 1), Text(cursor_, 3), Text(cursor_, 4),
                                sqlite3_column_double(cursor_, 2)});
            sqlite3_reset(cursor_);
            for (const Line& l : rows) {
                Move(l.des, l.goods, l.goodsId, l.qty, now);
                Move(l.src, l.goods, l.goodsId, -l.qty, now);
            }
            Bind(status_, 1, now);
            Bind(status_, 2, p.billId);
            Step(status_);
            Exec("COMMIT");
        } catch (...) {
            Exec("ROLLBACK");
            throw;
        }
    }

private:
    void Move(const QByteArray& storage, const QByteArray& goods, qint64 goodsId, double qty, const QByteArray& now)
    {
        Bind(storage_, 1, storage);
        const qint64 storageId = sqlite3_step(storage_) == SQLITE_ROW ? sqlite3_column_int64(storage_, 0) : 0;
        sqlite3_reset(storage_);
        if (!storageId)
            throw std::runtime_error("no such storage");
        Bind(count_, 1, storage);
        Bind(count_, 2, goods);
        const qint64 n = sqlite3_step(count_) == SQLITE_ROW ? sqlite3_column_int64(count_, 0) : 0;
        sqlite3_reset(count_);
        if (n == 0) {
            sqlite3_bind_int64(insert_, 1, storageId);
            Bind(insert_, 2, storage);
            sqlite3_bind_int64(insert_, 3, goodsId);
            Bind(insert_, 4, goods);
            sqlite3_bind_double(insert_, 5, qty);
            Bind(insert_, 6, now);
            Step(insert_);
        } else {
            sqlite3_bind_double(update_, 1, qty);
            Bind(update_, 2, storage);
            Bind(update_, 3, goods);
            Step(update_);
        }
    }
    sqlite3_stmt* Prepare(const char* sql) { return jxcbench::raw::Prepare(h_, sql); }
    void Exec(const char* sql) { jxcbench::raw::Exec(h_, sql); }
    void Step(sqlite3_stmt* s) { jxcbench::raw::Step(h_, s); }
    static void Bind(sqlite3_stmt* s, int i, qint64 v) { sqlite3_bind_int64(s, i, v); }
    static void Bind(sqlite3_stmt* s, int i, const QByteArray& v) { sqlite3_bind_text(s, i, v.constData(), int(v.size()), SQLITE_TRANSIENT); }
    static void Bind(sqlite3_stmt* s, int i, const QString& v) { Bind(s, i, v.toUtf8()); }
    static QByteArray Text(sqlite3_stmt* s, int c)
    {
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(s, c)), sqlite3_column_bytes(s, c));
    }

    sqlite3* h_;
    sqlite3_stmt *head_, *lines_, *cursor_, *storage_, *count_, *insert_, *update_, *status_, *guard_;
};

// Both ways must leave the same rows: completed bill, two stock bills of 1,000 lines each.
bool Posted(const jxcbench::PostingInput& p)
{
    host::db::DbService& svc = Db().Service();
    return svc.QueryValue(QStringLiteral("select BillStatus from Sto_AdjustBillMain where ID=%1").arg(p.billId)) == QLatin1String("4")
        && svc.QueryValue(QStringLiteral("select count(*) from Sto_GdsBillDetail where BillID in (%1,%2)").arg(p.inId).arg(p.outId))
        == QString::number(2 * Lines);
}

void BM_Posting_RawTransaction(benchmark::State& state)
{
    current = Way::Raw;
    RawPosting raw(Db().Raw());
    raw.Post(NewAuditedBill()); // the first posting inserts the missing destination rows
    jxcbench::IterationClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        const jxcbench::PostingInput p = NewAuditedBill();
        state.ResumeTiming();
        clock.Start();
        raw.Post(p);
        clock.Stop();
        state.PauseTiming();
        if (!Posted(p))
            state.SkipWithError("the raw posting did not complete the bill");
        state.ResumeTiming();
    }
    Ratios::Record("posting_raw", clock);
    state.SetItemsProcessed(state.iterations() * Lines);
}

void BM_Posting_ServiceExecSql(benchmark::State& state)
{
    current = Way::Service;
    host::db::DbService& svc = Db().Service();
    svc.ExecSql(WindowBlock(NewAuditedBill()));
    jxcbench::IterationClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        const jxcbench::PostingInput p = NewAuditedBill();
        const QString block = WindowBlock(p);
        state.ResumeTiming();
        clock.Start();
        svc.ExecSql(block);
        clock.Stop();
        state.PauseTiming();
        if (!Posted(p))
            state.SkipWithError("the posting block did not complete the bill");
        state.ResumeTiming();
    }
    Ratios::Record("posting_service", clock);
    Ratios::Counters(state, clock, "posting_raw");
    state.SetItemsProcessed(state.iterations() * Lines);
}

// Both ways in turn, one posting each per iteration: a busy machine slows both alike, so the
// ratio of each pair is steadier than the ratio of two runs taken at different moments.
jxcbench::Pairs pairs;

void BM_Posting_Paired(benchmark::State& state)
{
    current = Way::Raw;
    RawPosting raw(Db().Raw());
    for (auto _ : state) {
        state.PauseTiming();
        current = Way::Raw;
        const jxcbench::PostingInput r = NewAuditedBill();
        current = Way::Service;
        const jxcbench::PostingInput v = NewAuditedBill();
        const QString block = WindowBlock(v);
        host::db::DbService& svc = Db().Service();
        state.ResumeTiming();
        jxcbench::IterationClock rawClock, serviceClock;
        const auto postRaw = [&] {
            rawClock.Start();
            raw.Post(r);
            rawClock.Stop();
        };
        const auto postBlock = [&] {
            serviceClock.Start();
            svc.ExecSql(block);
            serviceClock.Stop();
        };
        pairs.InTurn(postBlock, postRaw);
        state.PauseTiming();
        pairs.Add(serviceClock, rawClock);
        current = Way::Service;
        if (!Posted(v))
            state.SkipWithError("the posting block did not complete the bill");
        current = Way::Raw;
        if (!Posted(r))
            state.SkipWithError("the raw posting did not complete the bill");
        state.ResumeTiming();
    }
}

BENCHMARK(BM_Posting_RawTransaction)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Posting_ServiceExecSql)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Posting_Paired)->Unit(benchmark::kMillisecond)->Iterations(jxcbench::PairCount(20));

} // namespace

int main(int argc, char** argv)
{
    platform::KeepLocalZoneLoaded(); // as the host does, before any thread starts
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        for (Way w : {Way::Raw, Way::Service}) {
            current = w;
            Db(); // both seeded before either is timed
        }
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
    benchmark::Shutdown();
    Ratios::Print("Posting a 1,000-line bill through ExecSql", "posting_service", "posting_raw");
    pairs.Print();
    pairs.Report("posting");
    return 0;
}
