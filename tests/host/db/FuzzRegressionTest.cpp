// Every input a fuzzer once crashed on, replayed through the same code the fuzzer runs
// (fuzz/regressions/<target>/): each must now end normally. The sanitizer build runs them too.
#include "fuzz/FuzzTargets.h"
#include "host/db/blocks/BlockInterpreter.h"
#include "host/db/blocks/BlockParser.h"
#include "host/db/Transaction.h"
#include "platform/core/Exception.h"
#include "platform/workbook/Workbook.h"
#include "tests/support/DbTestEnv.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

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
            fuzz::RunTarget(target, f.readAll());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

// Ends the process when a replay hangs instead of holding the suite until its timeout; the
// bound is far above what any of these takes, and only a guard.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
                  std::fprintf(stderr, "a workbook replay ran past the watchdog\n");
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

TEST(FuzzRegressions, HostileWorkbooksAreRefusedByTheReadersOwnLimits)
{
    // Each once ran for minutes, took gigabytes or overflowed; now a limit refuses it with a
    // message, or the book reads and computes at once.
    const QList<QPair<QString, QString>> expected{
        {QStringLiteral("row-number-at-int-max"), QStringLiteral("中的第 2147483647 行超出Excel的范围")},
        {QStringLiteral("column-past-xfd"), QStringLiteral("中的第 1 行第 16385 列超出Excel的范围")},
        {QStringLiteral("empty-shared-strings-by-the-million"), QStringLiteral("的共享字符串超过 500000 个")},
        {QStringLiteral("empty-styles-past-the-format-limit"), QStringLiteral("的单元格格式超过 65536 个")},
        {QStringLiteral("forty-sheets-on-one-large-part"), QStringLiteral("解压后超过 256 MB")},
        {QStringLiteral("sum-over-the-whole-sheet"), QString()},
    };
    const QDir dir(QStringLiteral(JXC_TEST_SOURCE_DIR "/../fuzz/regressions/workbook"));
    ASSERT_EQ(dir.entryList(QDir::Files).size(), expected.size()) << "every hostile workbook has its expectation";
    const Watchdog watchdog(std::chrono::seconds(120));
    for (const auto& [name, message] : expected) {
        SCOPED_TRACE(name.toStdString());
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString error;
        platform::excel::BookData book;
        try {
            book = fuzz::ReadWorkbookInput(f.readAll());
        } catch (const platform::Exception& e) {
            error = e.Message();
        }
        if (message.isEmpty()) {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
            ASSERT_EQ(book.sheets.size(), 1);
            EXPECT_EQ(book.sheets[0].Cell(0, 0)->value.toDouble(), 5.0);
        } else {
            EXPECT_TRUE(error.contains(message)) << error.toStdString();
        }
    }
}

TEST(FuzzRegressions, TheWorkbookSeedsAreValidWorkbooksWithCells)
{
    // A seed the reader refuses would leave the fuzzer exploring refusals only.
    const QDir dir(QStringLiteral(JXC_TEST_SOURCE_DIR "/../fuzz/corpus/workbook"));
    const QStringList names = dir.entryList(QDir::Files);
    EXPECT_GE(names.size(), 4);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        try {
            EXPECT_GT(fuzz::ReadWorkbookInput(f.readAll()).CellCount(), 0);
        } catch (const platform::Exception& e) {
            ADD_FAILURE() << e.Message().toStdString();
        }
    }
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
