// Blocks on PostgreSQL run on the server as one DO block: one statement per block, the runner's
// error texts, the constructs that stay with the in-process runner, and the fuzz corpus.
#include "BlockTestUtil.h"

#include "host/db/blocks/BlockInterpreter.h"
#include "host/db/blocks/BlockParser.h"
#include "host/db/blocks/BlockRunner.h"
#include "host/db/engines/PgBlock.h"
#include "host/db/Transaction.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using host::db::Engine;
namespace plsql = host::db::plsql;

// Counts what reaches the server; the rest passes through.
class CountingConnection final : public host::db::Connection {
public:
    explicit CountingConnection(host::db::Connection& inner) : inner_(inner) {}
    Engine GetEngine() const override { return inner_.GetEngine(); }
    qint64 ExecNative(const QString& sql, const QVector<QVariant>& params, host::db::RowSink* sink) override
    {
        ++statements;
        return inner_.ExecNative(sql, params, sink);
    }
    void BeginWrite() override { inner_.BeginWrite(); }
    void Commit() override { inner_.Commit(); }
    void Rollback() override { inner_.Rollback(); }
    bool InTransaction() const override { return inner_.InTransaction(); }
    qint64 NextSequenceValue(const QString& name) override
    {
        ++statements;
        return inner_.NextSequenceValue(name);
    }

    int statements = 0;

private:
    host::db::Connection& inner_;
};

class ServerBlocks : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (GetEngine() != Engine::PostgreSQL)
            GTEST_SKIP() << "the DO block is PostgreSQL's back end";
        Conn().ExecNative(QStringLiteral("CREATE TABLE blk_t (id INTEGER PRIMARY KEY, n DECIMAL(18,4), s VARCHAR(200))"), {},
                          nullptr);
        Conn().ExecNative(QStringLiteral("INSERT INTO blk_t VALUES (1, 1.5, 'a'), (2, 2.5, 'b')"), {}, nullptr);
    }

    // The error of one run, on the server (the DO block) or by the in-process runner; undone.
    QString Error(const QString& block, bool server, plsql::RunOptions options = {})
    {
        host::db::WriteTransaction tx(Conn());
        try {
            if (server)
                host::db::RunBlock(Conn(), block);
            else
                plsql::RunProgram(Conn(), *plsql::ParseBlock(block), options);
        } catch (const platform::EDatabaseError& e) {
            return e.Message();
        }
        return QStringLiteral("<no error>");
    }
};

TEST_P(ServerBlocks, ABlockCostsOneStatementOnTheServer)
{
    CountingConnection counting(Conn());
    host::db::WriteTransaction tx(counting);
    host::db::RunBlock(counting, QStringLiteral(
        "declare cursor c is select id, n from blk_t order by id; v integer; q number(10,2); total number := 0;"
        "begin open c; loop fetch c into v, q; exit when c%notfound; total := total + q;"
        " update blk_t set s = s || v where id = v; end loop; close c;"
        " insert into blk_t(id, n, s) values (seq_jxcid.nextval + 100, total, to_char(sysdate, 'YYYY')); end;"));
    EXPECT_EQ(counting.statements, 1);
    tx.Commit();
    EXPECT_EQ(Db().QueryValue(QStringLiteral("select n from blk_t where id > 2")).toDouble(), 4.0);
    EXPECT_EQ(Db().QueryValue(QStringLiteral("select s from blk_t where id = 2")), QStringLiteral("b2"));
}

TEST_P(ServerBlocks, ErrorsReadAsTheRunnersDo)
{
    const char* blocks[] = {
        "declare v integer; begin\n select id into v from blk_t where id = 9;\nend;",
        "declare v integer; begin\n select id into v from blk_t;\nend;",
        "declare v integer; begin select id, n into v from blk_t where id = 1; end;",
        "declare v integer; w integer; begin select id into v, w from blk_t where id = 1; end;",
        "declare s varchar(2); begin\n s := 'abc';\nend;",
        "declare q number(4,2); begin q := 123.5; end;",
        "declare q number; begin q := 1 / 0; end;",
        "declare n number; begin n := 9223372036854775807 + 1; end;",
        "declare n number; begin n := to_number('x1'); end;",
        "begin\n insert into blk_t(id) values (3);\n raise_application_error(-20001, '调拨单[' || 7 || ']的状态已被改变');\nend;",
        "begin raise_application_error(-1, 'no'); end;",
        "declare k integer := -20002; begin raise_application_error(k, 'k ' || 0.5); end;",
        "declare cursor c is select id from blk_t; v integer; begin open c; close c; fetch c into v; end;",
        "declare cursor c is select id from blk_t; begin open c; open c; end;",
        "declare cursor c is select id, n from blk_t; v integer; begin open c; fetch c into v; end;",
        "begin\n insert into blk_t(id) values (1);\nend;",
        "begin\n update blk_t set n = 'x' where id = 1;\nend;",
        "declare d date := to_date('2024-13-01', 'YYYY-MM-DD'); begin null; end;",
        "declare i integer := 0; begin for k in 1 .. null loop i := i + 1; end loop; end;",
    };
    for (const char* b : blocks) {
        const QString block = QString::fromUtf8(b);
        const QString runner = Error(block, false);
        EXPECT_NE(runner, QStringLiteral("<no error>")) << b;
        EXPECT_EQ(Error(block, true), runner) << b;
    }
}

TEST_P(ServerBlocks, ConstructsTheServerBlockCannotExpressStayWithTheRunner)
{
    const auto fallback = [](const char* block) {
        return host::db::EmitDoBlock(*plsql::ParseBlock(QString::fromUtf8(block)))->fallback;
    };
    const char* immediate = "begin execute immediate 'update blk_t set n = n + 1'; end;";
    const char* columnType = "declare v blk_t.n%type; begin select n into v from blk_t where id = 1; "
                             "update blk_t set n = v * 2 where id = 2; end;";
    EXPECT_EQ(fallback(immediate), QStringLiteral("EXECUTE IMMEDIATE"));
    EXPECT_EQ(fallback(columnType), QStringLiteral("a variable declared with table.column%TYPE"));
    EXPECT_TRUE(fallback("declare v number; begin v := 1; end;").isEmpty());
    // Both still run, statement by statement.
    Db().ExecSql(QString::fromUtf8(immediate));
    Db().ExecSql(QString::fromUtf8(columnType));
    EXPECT_EQ(Db().QueryValue(QStringLiteral("select n from blk_t where id = 2")).toDouble(), 5.0);
}

// Every block of the fuzz corpus runs on the server or is refused before anything is sent; the
// server never finds a syntax error in text the back end wrote: where it reports one, the block's
// own SQL is at fault and the in-process runner, given the same block, fails as well.
TEST_P(ServerBlocks, TheFuzzCorpusRunsOrIsRefusedBeforeSending)
{
    const QDir dir(QStringLiteral(JXC_TEST_SOURCE_DIR "/../fuzz/corpus/blocks"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    int sent = 0;
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        std::shared_ptr<const plsql::Program> program;
        try {
            program = plsql::ParseBlock(text);
        } catch (const platform::EDatabaseError&) {
            continue; // refused before sending
        }
        const auto server = host::db::EmitDoBlock(*program);
        if (!server->fallback.isEmpty())
            continue;
        ++sent;
        QString state;
        {
            host::db::WriteTransaction tx(Conn());
            try {
                // Inputs may loop for ever; the fuzzer bounds them by steps, the server by time.
                Conn().ExecNative(QStringLiteral("SET LOCAL statement_timeout = 5000"), {}, nullptr);
                Conn().ExecNative(server->text, {}, nullptr);
            } catch (const host::db::EServerError& e) {
                state = e.SqlState();
            }
        }
        if (state == QLatin1String("42601")) {
            const QString runner = Error(text, false, plsql::RunOptions{20000, false});
            EXPECT_NE(runner, QStringLiteral("<no error>")) << name.toStdString() << "\n" << server->text.toStdString();
        }
    }
    EXPECT_GT(sent, 0);
}

JXC_INSTANTIATE_DB_TEST(ServerBlocks);

} // namespace
