// Two workstations sending blocks that read and write the same rows at the same moment: each
// block runs in one writer transaction, so no update is lost and no stock row is doubled.
#include "BlockTestUtil.h"
#include "tests/support/PostingBlock.h"

#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QMutex>
#include <QStringList>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace blocktest;

class BlockConcurrency : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Conn().ExecNative(QStringLiteral("CREATE TABLE blk_c (id INTEGER, n INTEGER)"), {}, nullptr);
        Db().ExecSql(QStringLiteral(
            "begin insert into blk_c(id, n) values (1, 0);"
            " insert into bas_Storage(ID, StorageCode, StorageName) values (1, 'S01', '一号仓');"
            " insert into bas_Storage(ID, StorageCode, StorageName) values (2, 'S02', '二号仓');"
            " insert into Bas_GoodsInfo(ID, GoodsCode, GoodsName) values (101, 'G01', '螺丝');"
            " insert into Bas_GoodsInfo(ID, GoodsCode, GoodsName) values (102, 'G02', '螺母'); end;"));
    }

    QString Value(const QString& sql) { return Db().QueryValue(sql); }

    // Runs body(workstation, round) on two workstations at once, each on its own service.
    template <typename Body>
    void OnTwoWorkstations(int rounds, Body body)
    {
        plugin::IntfPtr<host::db::DbService> services[2] = {OpenAnotherService(), OpenAnotherService()};
        QMutex mutex;
        QStringList errors;
        std::atomic<int> ready{0};
        auto run = [&](int ws) {
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
            for (int r = 0; r < rounds; ++r) {
                try {
                    body(*services[ws], ws, r);
                } catch (const platform::Exception& e) {
                    QMutexLocker lock(&mutex);
                    errors << QStringLiteral("workstation %1, round %2: %3").arg(ws).arg(r).arg(e.Message());
                }
            }
        };
        std::thread a(run, 0), b(run, 1);
        a.join();
        b.join();
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    }
};

TEST_P(BlockConcurrency, ReadThenWriteBackLosesNoUpdate)
{
    const int rounds = 40;
    OnTwoWorkstations(rounds, [](host::db::DbService& db, int, int) {
        db.ExecSql(QStringLiteral(
            "declare v integer; k integer := 0; begin select n into v from blk_c where id = 1;"
            " for i in 1..3000 loop k := k + 1; end loop;" // widens the gap between read and write
            " update blk_c set n = v + 1 where id = 1; end;"));
    });
    EXPECT_EQ(Value(QStringLiteral("select n from blk_c where id = 1")), QString::number(2 * rounds));
}

TEST_P(BlockConcurrency, CountThenInsertOrUpdateKeepsOneStockRow)
{
    const int rounds = 40;
    OnTwoWorkstations(rounds, [](host::db::DbService& db, int, int) {
        db.ExecSql(QStringLiteral(
            "declare num integer; begin"
            " select count(ID) into num from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G01';"
            " for i in 1..3000 loop null; end loop;"
            " if num =0 then"
            "  insert into Gds_StockCount(ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted)"
            "   values (seq_jxcid.nextval, 2, 'S02', 101, 'G01', 1, sysdate, 0);"
            " else Update Gds_StockCount set LeftCount = LeftCount + (1) where StorageCode= 'S02' and GoodsCode='G01';"
            " end if; end;"));
    });
    EXPECT_EQ(Value(QStringLiteral("select count(*) from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G01'")),
              QStringLiteral("1"));
    EXPECT_EQ(Value(QStringLiteral("select LeftCount from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G01'")),
              QString::number(2 * rounds));
}

TEST_P(BlockConcurrency, PostingsOfTwoWorkstationsOnSharedStockRows)
{
    // Each workstation posts its own bills; all of them move G01 and G02 between the same two
    // storages, which start without stock rows.
    const int rounds = 12;
    for (int ws = 0; ws < 2; ++ws) {
        for (int r = 0; r < rounds; ++r) {
            const qint64 id = 10000 + ws * 1000 + r;
            const QString no = QStringLiteral("DB-20240102%1").arg(id, 8, 10, QLatin1Char('0'));
            Db().ExecSql(QStringLiteral(
                "begin insert into Sto_AdjustBillMain(ID, BillNo, Src_StorageCode, Des_StorageCode, GoodsCount, BillSum,"
                " BillStatus, AuditFlag, DELETED) values (%1, '%2', 'S01', 'S02', 3.5, 0, 2, 1, 0);"
                " insert into Sto_AdjustBillDetail(ID, BillID, BillNo, GoodsCode, GoodsCount, DELETED) values (%1 * 10 + 1, %1, '%2', 'G01', 1, 0);"
                " insert into Sto_AdjustBillDetail(ID, BillID, BillNo, GoodsCode, GoodsCount, DELETED) values (%1 * 10 + 2, %1, '%2', 'G02', 2.5, 0);"
                " end;")
                             .arg(id)
                             .arg(no));
        }
    }
    OnTwoWorkstations(rounds, [](host::db::DbService& db, int ws, int r) {
        Posting p;
        p.billId = 10000 + ws * 1000 + r;
        p.billNo = QStringLiteral("DB-20240102%1").arg(p.billId, 8, 10, QLatin1Char('0'));
        p.inId = p.billId * 100 + 1;
        p.outId = p.billId * 100 + 2;
        p.rkNo = QStringLiteral("RK-%1").arg(p.billId);
        p.ckNo = QStringLiteral("CK-%1").arg(p.billId);
        db.ExecSql(TransferPostingBlock(p));
    });
    const int bills = 2 * rounds;
    for (const char* g : {"G01", "G02"}) {
        for (const char* s : {"S01", "S02"}) {
            EXPECT_EQ(Value(QStringLiteral("select count(*) from Gds_StockCount where StorageCode = '%1' and GoodsCode = '%2'")
                                .arg(QLatin1String(s), QLatin1String(g))),
                      QStringLiteral("1"))
                << s << " " << g;
        }
    }
    EXPECT_EQ(Value(QStringLiteral("select LeftCount from Gds_StockCount where StorageCode = 'S02' and GoodsCode = 'G01'")),
              QString::number(bills));
    EXPECT_EQ(Value(QStringLiteral("select LeftCount from Gds_StockCount where StorageCode = 'S01' and GoodsCode = 'G02'")),
              QStringLiteral("-") + QString::number(bills * 2.5));
    EXPECT_EQ(Value(QStringLiteral("select count(*) from Sto_AdjustBillMain where BillStatus = 4")), QString::number(bills));
    EXPECT_EQ(Value(QStringLiteral("select count(*) from Sto_GdsBillDetail")), QString::number(bills * 4));
}

JXC_INSTANTIATE_DB_TEST(BlockConcurrency);

} // namespace
