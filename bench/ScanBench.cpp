// One scan in the bill editor on a bill of 1,000 lines: the scan box's work for one code (its
// lookup, the line found and counted up, the grid painted) against the engine alone running the
// same translated lookup, each scan timed on its own. Besides the ratio it prints the scan's
// mean time in milliseconds, which a clerk's scanner must not outrun (50 ms).
#include "bench/BenchSupport.h"
#include "billedit/FrmBillEdit.h"
#include "billedit/GoodsScan.h"
#include "host/db/dialect/Dialect.h"
#include "lookup/FrmQryStorageList.h"
#include "model/SqlText.h"
#include "platform/ButtonEdit.h"
#include "platform/TableView.h"
#include "platform/core/Dataset.h"
#include "platform/core/LocalZone.h"
#include "platform/rframebottom3.h"
#include "plugin/Host.h"
#include "tests/support/ModuleHarness.h"

#include <QApplication>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int Lines = 1000;

QString BarCode(int i) { return QStringLiteral("6901%1").arg(i, 8, 10, QLatin1Char('0')); }

void Seed()
{
    plugin::IntfPtr<plugin::IDbIntf> db = plugin::HostDb();
    db->ExecSql(QStringLiteral("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (1, 0,"
                               " 'S01', '一号仓', 1)"));
    db->ExecSql(QStringLiteral("insert into sys_operatorgoodstype (OperatorID, GoodsType) values (%1, '01')")
                    .arg(plugin::HostOperator().OperatorId));
    QString block = QStringLiteral(" begin");
    for (int i = 1; i <= Lines; ++i)
        block += QStringLiteral(" insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, GoodsType, CalUnit, BarCode,"
                                " LastInPrice, UseFlag, Deleted) values (%1, 'G%1', '商品%1', '01', '52101', '%2', 2, 1, 0);"
                                " insert into Gds_StockCount (ID, StorageID, StorageCode, GoodsID, GoodsCode, LeftCount,"
                                " Deleted) values (%1, 1, 'S01', %1, 'G%1', 100000, 0);")
                     .arg(i)
                     .arg(BarCode(i));
    db->ExecSql(block + QStringLiteral(" end;"));
}

} // namespace

int main(int argc, char** argv)
{
    platform::KeepLocalZoneLoaded();
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    testsupport::ScriptedApplication app;
    testsupport::TestHost host;
    testsupport::ModuleScope scope{app, &host};
    Seed();

    TBillEditFrm editor;
    editor.resize(1000, 700);
    editor.show();
    editor.edtStorageOut->setText(QStringLiteral("S01"));
    app.OnDialog<TQryStorageListFrm>([](TQryStorageListFrm& d) { d.Frame31->bbtnEnter->click(); });
    emit editor.edtStorageOut->ButtonClicked(0);
    for (int i = 1; i <= Lines; ++i)
        if (!editor.ScanCode(BarCode(i))) {
            std::fprintf(stderr, "ScanBench: the bill could not be filled\n");
            return 1;
        }
    QApplication::processEvents();

    const QString types = plugin::HostRights()->GoodsTypeList(plugin::HostOperator().OperatorId);
    sqlite3* raw = nullptr;
    sqlite3_open_v2(host.DatabaseFile().toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    int next = 0;
    double scanMs = 0;
    int scans = 0;
    jxcbench::RunPairs(
        "scan_1000_lines", jxcbench::PairCount(),
        [&](jxcbench::IterationClock& clock) {
            // Codes spread over the bill: the line is found wherever it stands.
            const QString code = BarCode(1 + (next++ * 389) % Lines);
            clock.Start();
            editor.ScanCode(code);
            editor.TableGoodsList->Widget()->repaint();
            clock.Stop();
            scanMs += clock.Mean() * 1000.0;
            ++scans;
        },
        [&](jxcbench::IterationClock& clock) {
            const QByteArray sql = host::db::Translate(billedit::ScanGoodsSql(BarCode(1 + (next * 389) % Lines),
                                                                              QStringLiteral("S01"), types),
                                                       host::db::Engine::SQLite)
                                       .toUtf8();
            clock.Start();
            sqlite3_stmt* s = jxcbench::raw::Prepare(raw, sql.constData());
            while (sqlite3_step(s) == SQLITE_ROW)
                benchmark::DoNotOptimize(sqlite3_column_text(s, 0));
            sqlite3_finalize(s);
            clock.Stop();
        });
    std::printf("scan on a %d-line bill: %.2f ms a scan (mean of %d)\n", Lines, scanMs / scans, scans);
    sqlite3_close(raw);
    editor.close();
    return 0;
}
