// jxc-admin: its commands called as functions on SQLite and PostgreSQL, and the program itself.
#include "AdminRun.h"
#include "host/admin/AdminTool.h"
#include "host/admin/TextTable.h"
#include "host/db/Connection.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The first column of the single data row of a one-value select.
QString Scalar(const QString& db, const QString& sql)
{
    const AdminRun r = Admin({"--db", db, "sql", sql});
    EXPECT_EQ(r.rc, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    return lines.size() >= 3 ? lines[2].trimmed() : QString();
}

// Display column of every " | " separator on a line.
QList<int> SeparatorColumns(const QString& line)
{
    QList<int> cols;
    for (int i = line.indexOf(u'|'); i >= 0; i = line.indexOf(u'|', i + 1))
        cols << host::admin::DisplayWidth(line.left(i));
    return cols;
}

// The same checks on either engine, through the admin's --db target.
void InitSeedAndRefuseAgain(const QString& db)
{
    AdminRun r = Admin({"--db", db, "init"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Schema ready"));
    r = Admin({"init", "--db", db}); // again: keeps everything
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();

    r = Admin({"--db", db, "seed-demo", "--bills", "25", "--lines=3"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("transfer bills  25")) << r.out.toStdString();
    EXPECT_EQ(Scalar(db, "select count(*) from Sto_AdjustBillMain"), "25");

    r = Admin({"--db", db, "seed-demo"});
    EXPECT_EQ(r.rc, host::admin::ExitFailed);
    EXPECT_TRUE(r.err.contains("already holds data")) << r.err.toStdString();
    EXPECT_EQ(Scalar(db, "select count(*) from Sto_AdjustBillMain"), "25");
}

void BadSqlWritesNothing(const QString& db)
{
    const QString before = Scalar(db, "select count(*) from bas_Storage where Remark = 'x'");
    EXPECT_EQ(before, "0");
    // The block's first statement succeeds, the second fails: neither stays.
    AdminRun r = Admin({"--db", db, "sql", "begin update bas_Storage set Remark = 'x'; insert into no_such_table values (1); end;"});
    EXPECT_EQ(r.rc, host::admin::ExitFailed);
    EXPECT_TRUE(r.err.contains("no_such_table", Qt::CaseInsensitive)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(Scalar(db, "select count(*) from bas_Storage where Remark = 'x'"), "0");

    r = Admin({"--db", db, "sql", "updat bas_Storage set Remark = 'x'"});
    EXPECT_EQ(r.rc, host::admin::ExitFailed);
    EXPECT_FALSE(r.err.isEmpty());
    r = Admin({"--db", db, "sql", "select nosuchcolumn from bas_Storage"});
    EXPECT_EQ(r.rc, host::admin::ExitFailed);
    EXPECT_TRUE(r.out.isEmpty());

    // A statement that works reports its rows and stays.
    r = Admin({"--db", db, "sql", "update bas_Storage set Remark = '检修中' where UseFlag = 0"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1 row affected\n");
    EXPECT_EQ(Scalar(db, "select Remark from bas_Storage where UseFlag = 0"), QStringLiteral("检修中"));
    r = Admin({"--db", db, "sql", "begin update bas_Storage set Sort = Sort + 100 where UseFlag = 0; end;"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("committed"));
    EXPECT_EQ(Scalar(db, "select count(*) from bas_Storage where Sort > 100"), "1");
}

class AdminSqliteTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString db = "sqlite:" + dir.filePath("admin.sqlite");
};

TEST_F(AdminSqliteTest, InitSeedAndRefuseASecondSeed)
{
    InitSeedAndRefuseAgain(db);
}

TEST_F(AdminSqliteTest, BadSqlGivesAnErrorAndWritesNothing)
{
    ASSERT_EQ(Admin({"--db", db, "seed-demo", "--bills", "10"}).rc, 0);
    BadSqlWritesNothing(db);
}

TEST_F(AdminSqliteTest, SelectPrintsAnAlignedTable)
{
    ASSERT_EQ(Admin({"--db", dir.filePath("admin.sqlite"), "seed-demo", "--bills", "5"}).rc, 0); // a bare path works too
    const AdminRun r = Admin({"--db", db, "sql", "select StorageCode, StorageName, UseFlag, Remark from bas_Storage order by ID"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 + 10 + 1);
    EXPECT_TRUE(lines[0].startsWith("StorageCode | StorageName"));
    EXPECT_TRUE(lines[1].contains("-+-"));
    EXPECT_EQ(lines.last(), "(10 rows)");
    // Chinese names are two columns wide: the separators line up on every row.
    const QList<int> head = SeparatorColumns(lines[0]);
    ASSERT_EQ(head.size(), 3);
    for (int i = 2; i < lines.size() - 1; ++i)
        EXPECT_EQ(SeparatorColumns(lines[i]), head) << lines[i].toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral("总仓")));
    // Numbers are right-aligned under their header.
    const int useFlagEnd = head[2] - 1;
    for (int i = 2; i < lines.size() - 1; ++i) {
        const QString cell = lines[i].section(u'|', 2, 2);
        EXPECT_TRUE(cell.endsWith(u' ') && cell.trimmed().size() == 1) << lines[i].toStdString();
        EXPECT_EQ(host::admin::DisplayWidth(lines[i].section(u'|', 0, 2)), useFlagEnd + 1);
    }
}

TEST(AdminUsage, BadArgumentsAreUsageErrors)
{
    QTemporaryDir dir;
    const QString db = "sqlite:" + dir.filePath("u.sqlite");
    EXPECT_EQ(Admin({}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "frobnicate"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "seed-demo", "--bills", "many"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "seed-demo", "--bills", "-3"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "seed-demo", "--lines", "0"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "sql"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "sql", "select 1", "select 2"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "sql", "   "}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "init", "extra"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", db, "--frob", "init"}).rc, host::admin::ExitUsage);
    // None of them created the database file.
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("u.sqlite")));

    const AdminRun help = Admin({"--help"});
    EXPECT_EQ(help.rc, 0);
    EXPECT_TRUE(help.out.contains("seed-demo"));
    EXPECT_TRUE(help.out.contains("jxc-demo.sqlite"));
    const AdminRun wrong = Admin({"frobnicate"});
    EXPECT_TRUE(wrong.err.contains("Unknown command \"frobnicate\"")) << wrong.err.toStdString();
}

TEST(AdminUsage, TextThatIsNotUtf8IsRefusedAndNothingIsWritten)
{
    QTemporaryDir dir;
    const QString db = "sqlite:" + dir.filePath("t.sqlite");
    ASSERT_EQ(Admin({"--db", db, "init"}).rc, 0);
    const QByteArray latin1 = "update bas_Storage set Remark = '\xb2\xd6' where 1 = 1"; // GBK bytes, not UTF-8
    AdminRun r = AdminBytes({"--db", db.toUtf8(), "sql", latin1});
    EXPECT_EQ(r.rc, host::admin::ExitUsage);
    EXPECT_TRUE(r.err.contains("argument 4 is not valid UTF-8")) << r.err.toStdString();
    r = Admin({"--db", db, "sql", "-"}, "insert into bas_Storage (ID, StorageCode, StorageName) values (900, '900', '\xb2\xd6')");
    EXPECT_EQ(r.rc, host::admin::ExitUsage);
    EXPECT_TRUE(r.err.contains("standard input is not valid UTF-8")) << r.err.toStdString();
    EXPECT_EQ(Scalar(db, "select count(*) from bas_Storage where ID = 900"), "0");

    // The same through standard input in UTF-8 is stored as written.
    r = Admin({"--db", db, "sql", "-"}, QStringLiteral("insert into bas_Storage (ID, StorageCode, StorageName) values (900, '900', '仓')").toUtf8());
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(Scalar(db, "select StorageName from bas_Storage where ID = 900"), QStringLiteral("仓"));
}

TEST(AdminUsage, SqlThatStartsWithACommentIsText)
{
    QTemporaryDir dir;
    const QString db = "sqlite:" + dir.filePath("c.sqlite");
    ASSERT_EQ(Admin({"--db", db, "init"}).rc, 0);
    AdminRun r = Admin({"--db", db, "sql", "--", "--count\nselect count(*) from bas_Storage"});
    EXPECT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("(1 row)")) << r.out.toStdString();
    r = Admin({"--db", db, "sql", "-- storages\nselect count(*) from bas_Storage"}); // a comment is not an option
    EXPECT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(Admin({"--db", db, "sql", "--count"}).rc, host::admin::ExitUsage); // an option we do not know
    EXPECT_TRUE(Admin({"--help"}).out.contains("sql -- "));
}

TEST(AdminUsage, UnreachableDatabaseIsAFailure)
{
    const AdminRun r = Admin({"--db", "sqlite:/nonexistent-folder/x/admin.sqlite", "init"});
    EXPECT_EQ(r.rc, host::admin::ExitFailed);
    EXPECT_FALSE(r.err.isEmpty());
}

TEST(AdminText, QueriesAreToldFromStatements)
{
    EXPECT_TRUE(host::admin::IsQuery("select 1"));
    EXPECT_TRUE(host::admin::IsQuery("  SELECT * from t"));
    EXPECT_TRUE(host::admin::IsQuery("(select 1) union (select 2)"));
    EXPECT_TRUE(host::admin::IsQuery("-- note\n select 1"));
    EXPECT_TRUE(host::admin::IsQuery("/* a */ with x as (select 1) select * from x"));
    EXPECT_FALSE(host::admin::IsQuery("selected_rows_update"));
    EXPECT_FALSE(host::admin::IsQuery("update t set a = 1"));
    EXPECT_FALSE(host::admin::IsQuery("begin select 1 into n from dual; end;"));
    EXPECT_FALSE(host::admin::IsQuery("insert into t select * from u"));
    EXPECT_FALSE(host::admin::IsQuery("/* unterminated"));
}

TEST(AdminText, WidthsAndTableLayout)
{
    EXPECT_EQ(host::admin::DisplayWidth("abc"), 3);
    EXPECT_EQ(host::admin::DisplayWidth(QStringLiteral("调拨单")), 6);
    EXPECT_EQ(host::admin::DisplayWidth(QStringLiteral("DB-单（一）")), 3 + 2 + 6);
    EXPECT_EQ(host::admin::DisplayWidth(QString()), 0);

    platform::Dataset ds({{"Name", platform::FieldType::Text}, {"Qty", platform::FieldType::Float},
                          {"Sum", platform::FieldType::Currency}});
    ds.AppendRow({QStringLiteral("康师傅\n红烧"), 12.5, QVariant::fromValue(platform::Currency::FromRaw(10000))});
    ds.AppendRow({QStringLiteral("x"), QVariant(), QVariant::fromValue(platform::Currency::FromRaw(-1234567))});
    ds.EndLoad();
    const QStringList lines = host::admin::FormatTable(ds).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[2], QStringLiteral("康师傅\\n红烧 | 12.5 |         1"));
    EXPECT_EQ(lines[3], "x" + QString(11, u' ') + " |      | -123.4567"); // "x" padded to the 12 columns of the first name
    EXPECT_EQ(lines[4], "(2 rows)");

    platform::Dataset one({{"n", platform::FieldType::Integer}});
    one.AppendRow({qlonglong(7)});
    one.EndLoad();
    EXPECT_TRUE(host::admin::FormatTable(one).endsWith("(1 row)\n"));
}

// The program itself: exit codes and UTF-8 output a terminal can show.
TEST(AdminProgram, ExitCodesAndOutput)
{
#ifndef JXC_ADMIN_PATH
    GTEST_SKIP() << "jxc-admin is not built in this configuration";
#else
    QTemporaryDir dir;
    const QString db = dir.filePath("p.sqlite");
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(JXC_ADMIN_PATH), QStringList{"--db", db} + args);
        EXPECT_TRUE(p.waitForFinished(120000));
        return std::make_tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()));
    };
    auto [rc, out, err] = run({"seed-demo", "--bills", "8"});
    ASSERT_EQ(rc, 0) << err.toStdString();
    std::tie(rc, out, err) = run({"sql", "select StorageName from bas_Storage where StoragePID = 0"});
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(out.contains(QStringLiteral("总仓"))) << out.toStdString();
    std::tie(rc, out, err) = run({"sql", "delete from nowhere"});
    EXPECT_EQ(rc, 1);
    EXPECT_TRUE(err.contains("nowhere")) << err.toStdString();
    std::tie(rc, out, err) = run({"nonsense"});
    EXPECT_EQ(rc, 2);
    EXPECT_TRUE(err.contains("Usage:"));
#endif
}

// PostgreSQL: the admin opens its own connection, pointed at a schema of this test.
class AdminPostgresTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString base = qEnvironmentVariable("JXC_TEST_PG");
        if (base.isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "JXC_TEST_PG is not set: the PostgreSQL tests cannot run";
            GTEST_SKIP() << "PostgreSQL not configured (set JXC_TEST_PG to a libpq conninfo, e.g. dbname=jxc_test)";
        }
        schema = QStringLiteral("jxca_%1_%2").arg(QCoreApplication::applicationPid()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        plain = base;
        try {
            host::db::Open(plain)->ExecNative("CREATE SCHEMA " + schema, {}, nullptr);
        } catch (const platform::Exception& e) {
            FAIL() << e.what();
        }
        db = base + " options='-csearch_path=" + schema + "'";
    }
    void TearDown() override
    {
        if (!schema.isEmpty()) {
            try {
                host::db::Open(plain)->ExecNative("DROP SCHEMA IF EXISTS " + schema + " CASCADE", {}, nullptr);
            } catch (const platform::Exception& e) {
                ADD_FAILURE() << e.what();
            }
        }
    }
    QString plain, schema, db;
};

TEST_F(AdminPostgresTest, InitSeedAndRefuseASecondSeed)
{
    InitSeedAndRefuseAgain(db);
}

TEST_F(AdminPostgresTest, BadSqlGivesAnErrorAndWritesNothing)
{
    ASSERT_EQ(Admin({"--db", db, "seed-demo", "--bills", "10"}).rc, 0);
    BadSqlWritesNothing(db);
}

} // namespace
