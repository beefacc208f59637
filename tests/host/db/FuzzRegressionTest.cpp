// Every input a fuzzer once crashed on, replayed through the same code the fuzzer runs
// (fuzz/regressions/<target>/): each must now end normally. The sanitizer build runs them too.
#include "fuzz/FuzzTargets.h"
#include "host/db/blocks/BlockInterpreter.h"
#include "host/db/Transaction.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(FuzzRegressions, EveryInputThatOnceCrashedEndsNormally)
{
    const QDir root(QStringLiteral(JXC_TEST_SOURCE_DIR "/../fuzz/regressions"));
    ASSERT_TRUE(root.exists()) << root.path().toStdString();
    int replayed = 0;
    for (const QString& target : fuzz::TargetNames()) {
        const QDir dir(root.filePath(target));
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
            SCOPED_TRACE((target + u'/' + name).toStdString());
            fuzz::RunTarget(target, QString::fromUtf8(f.readAll()));
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

TEST(FuzzRegressions, ABoundedRunStopsAnEndlessBlockAndUndoesIt)
{
    jxctest::TempSqliteDb db;
    const auto svc = db.NewService();
    host::db::Connection* c = &svc->GetConnection();
    const auto endless = host::db::plsql::ParseBlock(QStringLiteral(
        "declare n integer := 0; begin loop insert into bas_Storage (ID, StorageCode) values (n, 'S'); n := n + 1; end loop; end;"));
    {
        host::db::WriteTransaction tx(*c);
        try {
            host::db::plsql::RunProgram(*c, *endless, host::db::plsql::RunOptions{300, true});
            FAIL() << "the endless block returned";
        } catch (const platform::EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("more than 300 statements"))) << e.what();
        }
    }
    EXPECT_EQ(svc->QueryValue(QStringLiteral("select count(*) from bas_Storage")), QStringLiteral("0"));
    // Within the bound a block runs to its end.
    host::db::WriteTransaction tx(*c);
    host::db::plsql::RunProgram(*c, *host::db::plsql::ParseBlock(QStringLiteral("begin for i in 1..50 loop null; end loop; end;")),
                                host::db::plsql::RunOptions{300, true});
}

} // namespace
