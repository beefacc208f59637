// Every statement kind of a block, run through the database service on both engines.
#include "BlockTestUtil.h"

#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <gtest/gtest.h>

using host::db::Engine;

namespace {

class BlockStatements : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Conn().ExecNative(QStringLiteral("CREATE TABLE blk_t (id INTEGER, n DECIMAL(18,4), s VARCHAR(200), d TIMESTAMP)"),
                          {}, nullptr);
    }

    void Exec(const QString& block) { Db().ExecSql(block); }
    QString Error(const QString& block)
    {
        try {
            Db().ExecSql(block);
        } catch (const platform::EDatabaseError& e) {
            return e.Message();
        }
        return QStringLiteral("<no error>");
    }
    QString Value(const QString& sql) { return Db().QueryValue(sql); }
    QString S(int id) { return Value(QStringLiteral("select s from blk_t where id = %1").arg(id)); }
    double N(int id) { return Value(QStringLiteral("select n from blk_t where id = %1").arg(id)).toDouble(); }
    int Rows() { return Value(QStringLiteral("select count(*) from blk_t")).toInt(); }
};

TEST_P(BlockStatements, AssignmentsAndExpressions)
{
    Exec(QStringLiteral(
        "declare a integer := 7; b integer; q decimal(10,2); t varchar(50); x number;"
        "begin"
        "  b := a / 2 * 2;"            // 7/2 is 3.5 in Oracle, so b is 7
        "  q := 10 / 3;"               // rounded to 3.33 on assignment
        "  x := (a + 3) * -2 - 1;"
        "  t := 'A' || a || null || '-' || 0.5;"
        "  insert into blk_t(id, n, s) values (1, b, t);"
        "  insert into blk_t(id, n) values (2, q);"
        "  t := nvl(null, 'n') || upper('k') || substr('abcdef', 2, 3) || length('调拨') || nvl2(x, 'y', 'z');"
        "  insert into blk_t(id, n, s) values (3, x, t);"
        "  x := mod(17, 5) + abs(-2) + round(2.5) + trunc(-2.7) + round(-1.005, 2) + greatest(1, 4, 2);"
        "  insert into blk_t(id, n) values (4, x);"
        "end;"));
    EXPECT_EQ(N(1), 7.0);
    EXPECT_EQ(S(1), QStringLiteral("A7-.5"));
    EXPECT_DOUBLE_EQ(N(2), 3.33);
    EXPECT_EQ(N(3), -21.0);
    EXPECT_EQ(S(3), QStringLiteral("nKbcd2y"));
    EXPECT_DOUBLE_EQ(N(4), 2.0 + 2.0 + 3.0 - 2.0 - 1.01 + 4.0);
}

TEST_P(BlockStatements, ConditionsAreThreeValued)
{
    Exec(QStringLiteral(
        "declare n integer; u integer; r varchar(20) := '';"
        "begin"
        "  n := 5;"
        "  if n > 10 then r := r || 'a'; elsif n > 3 then r := r || 'b'; else r := r || 'c'; end if;"
        "  if u = 1 then r := r || 'd'; elsif not (u = 1) then r := r || 'e'; else r := r || 'f'; end if;"
        "  if u is null and n is not null then r := r || 'g'; end if;"
        "  if u = 1 or n = 5 then r := r || 'h'; end if;"    // unknown or true is true
        "  if not (u = 1 and n = 6) then r := r || 'i'; end if;" // unknown and false is false
        "  if n between 1 and 5 and n in (4, 5) and 'ab%' like 'ab\\%' escape '\\' then r := r || 'j'; end if;"
        "  if '' is null then r := r || 'k'; end if;"       // Oracle's empty text is null
        "  insert into blk_t(id, s) values (1, r);"
        "end;"));
    EXPECT_EQ(S(1), QStringLiteral("bfghijk"));
}

TEST_P(BlockStatements, Loops)
{
    Exec(QStringLiteral(
        "declare i integer := 0; total integer := 0;"
        "begin"
        "  while i < 5 loop i := i + 1; total := total + i; end loop;"      // 15
        "  loop i := i - 1; exit when i = 2; total := total + 100; end loop;" // +200
        "  for k in 1..3 loop total := total + k * 1000; end loop;"        // +6000
        "  for k in reverse 1..3 loop exit when k < 3; total := total + 10000; end loop;"
        "  for k in 3..1 loop total := -1; end loop;"                      // never runs
        "  insert into blk_t(id, n) values (1, total);"
        "end;"));
    EXPECT_EQ(N(1), 16215.0);
}

TEST_P(BlockStatements, SqlCursorAttributesCountTheLastStatement)
{
    Exec(QStringLiteral("begin insert into blk_t(id, n) values (1, 1); insert into blk_t(id, n) values (2, 1);"
                        " insert into blk_t(id, n) values (3, 2); end;"));
    Exec(QStringLiteral(
        "declare c integer; f integer := 0;"
        "begin"
        "  update blk_t set n = n + 10 where n = 1;"
        "  c := sql%rowcount;"
        "  if sql%found then f := f + 1; end if;"
        "  delete from blk_t where id = 99;"
        "  if sql%notfound then f := f + 10; end if;"
        "  insert into blk_t(id, n) values (10, c * 100 + f);"
        "end;"));
    EXPECT_EQ(N(10), 211.0);
    EXPECT_EQ(N(1), 11.0);
}

TEST_P(BlockStatements, SelectIntoTakesExactlyOneRow)
{
    Exec(QStringLiteral("begin insert into blk_t(id, n, s) values (1, 12.5, 'x'); insert into blk_t(id, n, s) values (2, 3, 'x'); end;"));
    Exec(QStringLiteral("declare v decimal(10,2); w varchar(10); begin select n, s into v, w from blk_t where id = 1;"
                        " insert into blk_t(id, n, s) values (3, v * 2, w || w); end;"));
    EXPECT_EQ(N(3), 25.0);
    EXPECT_EQ(S(3), QStringLiteral("xx"));

    const QString none = Error(QStringLiteral(
        "declare v integer; begin insert into blk_t(id) values (50); select id into v from blk_t where id = 42; end;"));
    EXPECT_TRUE(none.startsWith(QStringLiteral("ORA-01403: no data found"))) << none.toStdString();
    EXPECT_TRUE(none.contains(QStringLiteral("select id into v from blk_t where id = 42"))) << none.toStdString();
    const QString many = Error(QStringLiteral("declare v integer; begin select id into v from blk_t where s = 'x'; end;"));
    EXPECT_TRUE(many.startsWith(QStringLiteral("ORA-01422: exact fetch returns more than requested number of rows")));
    EXPECT_TRUE(Error(QStringLiteral("declare v integer; begin select id, n into v from blk_t where id = 1; end;"))
                    .contains(QStringLiteral("ORA-00913")));
    // The insert before the failing select is undone with the rest.
    EXPECT_EQ(Value(QStringLiteral("select count(*) from blk_t where id = 50")), QStringLiteral("0"));
}

TEST_P(BlockStatements, CursorsReadTheRowsAsTheyStoodWhenOpened)
{
    Exec(QStringLiteral("begin insert into blk_t(id, n) values (1, 10); insert into blk_t(id, n) values (2, 20);"
                        " insert into blk_t(id, n) values (3, 30); end;"));
    Exec(QStringLiteral(
        "declare cursor c is select id, n from blk_t order by id; vid integer; vn number; seen integer := 0; total number := 0;"
        "begin"
        "  if not c%isopen then open c; end if;"
        "  fetch c into vid, vn;"
        "  while c%found loop"
        "    total := total + vn;"
        "    insert into blk_t(id, n) values (vid + 100, vn);" // rows added meanwhile are not fetched
        "    fetch c into vid, vn;"
        "  end loop;"
        "  seen := c%rowcount;"
        "  if c%notfound then close c; end if;"
        "  insert into blk_t(id, n) values (0, total * 10 + seen);"
        "end;"));
    EXPECT_EQ(N(0), 603.0);
    EXPECT_EQ(Rows(), 7);

    EXPECT_TRUE(Error(QStringLiteral("declare cursor c is select id from blk_t; v integer; begin open c; close c; fetch c into v; end;"))
                    .startsWith(QStringLiteral("ORA-01001: invalid cursor")));
    EXPECT_TRUE(Error(QStringLiteral("declare cursor c is select id from blk_t; begin open c; open c; end;"))
                    .startsWith(QStringLiteral("ORA-06511")));
    EXPECT_TRUE(Error(QStringLiteral("declare cursor c is select id, n from blk_t; v integer; begin open c; fetch c into v; end;"))
                    .contains(QStringLiteral("PLS-00394")));
}

TEST_P(BlockStatements, CursorsOfANestedBlockReopenOnEachEntry)
{
    Exec(QStringLiteral("begin insert into blk_t(id, n) values (1, 1); insert into blk_t(id, n) values (2, 2); end;"));
    Exec(QStringLiteral(
        "declare k integer; total integer := 0; v integer;"
        "begin"
        "  for k in 1..3 loop"
        "    declare cursor c is select n from blk_t where id <= 2; begin"
        "      open c; fetch c into v;"
        "      while c%found loop total := total + v * k; fetch c into v; end loop;"
        "    end;" // left open: closed when the block ends, so the next round opens it again
        "  end loop;"
        "  insert into blk_t(id, n) values (9, total);"
        "end;"));
    EXPECT_EQ(N(9), 18.0);
}

TEST_P(BlockStatements, RaiseApplicationErrorUndoesTheBlock)
{
    const QString msg = Error(QStringLiteral(
        "declare n integer; begin insert into blk_t(id) values (1); select count(*) into n from blk_t;"
        " if n > 0 then raise_application_error(-20001, '库存不足: ' || n); end if; end;"));
    EXPECT_TRUE(msg.startsWith(QStringLiteral("ORA-20001: 库存不足: 1"))) << msg.toStdString();
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(Error(QStringLiteral("begin raise_application_error(-1, 'x'); end;")).startsWith(QStringLiteral("ORA-21000")));
}

TEST_P(BlockStatements, AFailingStatementMidBlockLeavesNothingWritten)
{
    Exec(QStringLiteral("begin insert into blk_t(id, n) values (1, 5); end;"));
    const QString msg = Error(QStringLiteral(
        "declare v integer := 3; begin\n update blk_t set n = 6 where id = 1;\n insert into blk_t(id) values (2);\n"
        " insert into no_such_table(id) values (v);\nend;"));
    EXPECT_TRUE(msg.contains(QStringLiteral("ORA-06512: at line 4"))) << msg.toStdString();
    // The statement is shown as the block wrote it, once.
    EXPECT_TRUE(msg.endsWith(QStringLiteral("\nSQL: insert into no_such_table(id) values (v)"))) << msg.toStdString();
    EXPECT_EQ(msg.count(QStringLiteral("SQL: ")), 1) << msg.toStdString();
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(N(1), 5.0);

    EXPECT_TRUE(Error(QStringLiteral("declare s varchar(3); begin insert into blk_t(id) values (2); s := 'abcd'; end;"))
                    .contains(QStringLiteral("character string buffer too small")));
    EXPECT_TRUE(Error(QStringLiteral("declare n integer; begin insert into blk_t(id) values (2); n := 1 / 0; end;"))
                    .startsWith(QStringLiteral("ORA-01476")));
    EXPECT_EQ(Rows(), 1);
}

// Lines of one shape are parsed from the first of them; the one that fails is still named by
// its own text and line, and nothing before it stays.
TEST_P(BlockStatements, ALineShapedLikeTheOnesBeforeItFailsWithItsOwnText)
{
    Conn().ExecNative(QStringLiteral("CREATE UNIQUE INDEX blk_t_id ON blk_t (id)"), {}, nullptr);
    const QString msg = Error(QStringLiteral("begin\n insert into blk_t(id, n, s) values (1, 5, 'a');\n"
                                             " insert into blk_t(id, n, s) values (2, 6.5, 'b''c');\n"
                                             " insert into blk_t(id, n, s) values (1, 7, 'd');\nend;"));
    EXPECT_TRUE(msg.contains(QStringLiteral("ORA-06512: at line 4"))) << msg.toStdString();
    EXPECT_TRUE(msg.endsWith(QStringLiteral("\nSQL: insert into blk_t(id, n, s) values (1, 7, 'd')"))) << msg.toStdString();
    EXPECT_EQ(Rows(), 0);
    Exec(QStringLiteral("begin insert into blk_t(id, n, s) values (1, 5, 'a'); insert into blk_t(id, n, s) values "
                        "(2, 6.5, 'b''c'); insert into blk_t(id, n, s) values (3, -7, '调拨'); end;"));
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(S(2), QStringLiteral("b'c"));
    EXPECT_EQ(N(2), 6.5);
    EXPECT_EQ(S(3), QStringLiteral("调拨"));
    EXPECT_EQ(N(3), -7.0);
}

TEST_P(BlockStatements, ArithmeticThatOverflowsIsAnErrorThatUndoesTheBlock)
{
    // Each of these trapped or wrapped in 64-bit arithmetic; the insert before it must not stay.
    for (const char* expr : {"(-9223372036854775807 - 1) / -1", "9223372036854775807 + 1", "(-9223372036854775807 - 2)",
                             "-(-9223372036854775807 - 1)", "abs(-9223372036854775807 - 1)", "4611686018427387904 * 2",
                             "1e100 * 1e100"}) {
        const QString msg = Error(QStringLiteral("declare n number; begin insert into blk_t(id) values (1); n := %1; end;").arg(expr));
        EXPECT_TRUE(msg.startsWith(QStringLiteral("ORA-01426: numeric overflow"))) << expr << ": " << msg.toStdString();
    }
    EXPECT_EQ(Rows(), 0);
    // Near the edge the results stay exact, and the remainder of the smallest number by -1 is 0.
    // The block works these out itself and stores the text of each.
    Exec(QStringLiteral("declare n number; begin"
                        "  n := mod(-9223372036854775807 - 1, -1); insert into blk_t(id, s) values (1, n);"
                        "  n := (-9223372036854775807 - 1) / 2; insert into blk_t(id, s) values (2, n);"
                        "  n := -9223372036854775807 - 1; insert into blk_t(id, s) values (3, n);"
                        "  n := mod(7, 0); insert into blk_t(id, s) values (4, n);" // Oracle's mod by zero gives the dividend
                        "  n := mod(-7, 2); insert into blk_t(id, s) values (5, n);"
                        "end;"));
    EXPECT_EQ(S(1), QStringLiteral("0"));
    EXPECT_EQ(S(2), QStringLiteral("-4611686018427387904"));
    EXPECT_EQ(S(3), QStringLiteral("-9223372036854775808"));
    EXPECT_EQ(S(4), QStringLiteral("7"));
    EXPECT_EQ(S(5), QStringLiteral("-1"));
}

TEST_P(BlockStatements, VariablesBindTextSafely)
{
    // Quotes, an injection attempt and Chinese text go through bind variables unchanged.
    Exec(QStringLiteral(
        "declare a varchar(100) := 'it''s ''quoted'''; b varchar(100) := 'x''); delete from blk_t; --'; c varchar(20) := '调拨单';"
        "begin insert into blk_t(id, s) values (1, a); insert into blk_t(id, s) values (2, b);"
        " insert into blk_t(id, s) values (3, c || '''' || a); end;"));
    EXPECT_EQ(S(1), QStringLiteral("it's 'quoted'"));
    EXPECT_EQ(S(2), QStringLiteral("x'); delete from blk_t; --"));
    EXPECT_EQ(S(3), QStringLiteral("调拨单'it's 'quoted'"));
    Exec(QStringLiteral("declare v varchar(100); begin select s into v from blk_t where id = 1;"
                        " update blk_t set s = v || '!' where s = v; end;"));
    EXPECT_EQ(S(1), QStringLiteral("it's 'quoted'!"));
}

TEST_P(BlockStatements, EngineEvaluatesWhatTheBlockCannot)
{
    Exec(QStringLiteral(
        "declare d date; id1 integer; id2 integer; t varchar(30);"
        "begin"
        "  d := sysdate;"
        "  id1 := seq_jxcid.nextval;"
        "  id2 := seq_jxcid.nextval;"
        "  t := case when id2 > id1 then 'up' else 'down' end;"
        "  insert into blk_t(id, s, d) values (1, t, d);"
        "  insert into blk_t(id, n) values (2, id2 - id1);"
        "end;"));
    EXPECT_EQ(S(1), QStringLiteral("up"));
    EXPECT_EQ(N(2), 1.0);
    EXPECT_EQ(Value(QStringLiteral("select count(*) from blk_t where id = 1 and d is not null")), QStringLiteral("1"));
}

TEST_P(BlockStatements, DecimalQuantitiesStayExact)
{
    // Ten additions of 0.1 to a stored quantity through a decimal(10,2) variable.
    Exec(QStringLiteral("begin insert into blk_t(id, n) values (1, 0); end;"));
    Exec(QStringLiteral("declare q decimal(10,2) := 0.1; begin for i in 1..10 loop"
                        " update blk_t set n = n + (q) where id = 1; end loop; end;"));
    EXPECT_EQ(Value(QStringLiteral("select n from blk_t where id = 1")), QStringLiteral("1"));
    Exec(QStringLiteral("declare q decimal(10,2); begin q := 2.675; update blk_t set n = 0 - (q) where id = 1; end;"));
    EXPECT_EQ(Value(QStringLiteral("select n from blk_t where id = 1")), QStringLiteral("-2.68"));
}

// A block's inserts run with their literals bound (on SQLite); what they store must be what the
// same statement stores with the literals in its text, type included.
TEST_P(BlockStatements, LiftedInsertStoresWhatItsTextStores)
{
    Conn().ExecNative(QStringLiteral("CREATE TABLE blk_lift (tag VARCHAR(10), id INTEGER, n DECIMAL(18,4), "
                                     "s VARCHAR(200), t VARCHAR(200), big BIGINT)"),
                      {}, nullptr);
    const QStringList rows = {
        QStringLiteral("1, 12.3400, 'It''s', '', 9007199254740993"),
        QStringLiteral("2, -5, '', 12.3400, -5"),
        QStringLiteral("3, 0.1, '12.50', '007', +7"),
        QStringLiteral("4, 123456789.5, '调拨 ''单''', 9007199254740993, 0"),
        QStringLiteral("5, -0.0001, upper('a'), -12.5, 42"),
    };
    QString block = QStringLiteral("begin ");
    for (const QString& r : rows) {
        const QString values = QStringLiteral(" (tag, id, n, s, t, big) values ('%1', ");
        Exec(QStringLiteral("insert into blk_lift") + values.arg(QStringLiteral("plain")) + r + u')');
        block += QStringLiteral("insert into blk_lift") + values.arg(QStringLiteral("block")) + r + QStringLiteral(");");
    }
    Exec(block + QStringLiteral(" end;"));
    const bool sqlite = GetEngine() == Engine::SQLite;
    auto row = [&](const char* tag, int id) {
        QString out;
        for (const char* col : {"n", "s", "t", "big"}) {
            const QString c = QLatin1String(col);
            const QString where =
                QStringLiteral(" from blk_lift where tag = '%1' and id = %2").arg(QLatin1String(tag)).arg(id);
            out += Value(QStringLiteral("select ") + c + where) + u'|'
                + Value(QStringLiteral("select case when ") + c + QStringLiteral(" is null then 'null' else 'set' end")
                        + where);
            if (sqlite)
                out += u'|' + Value(QStringLiteral("select typeof(") + c + u')' + where);
            out += u';';
        }
        return out;
    };
    for (int id = 1; id <= int(rows.size()); ++id)
        EXPECT_EQ(row("block", id), row("plain", id)) << "row " << id;
    EXPECT_EQ(Value(QStringLiteral("select s from blk_lift where tag = 'block' and id = 1")), QStringLiteral("It's"));
    EXPECT_EQ(Value(QStringLiteral("select big from blk_lift where tag = 'block' and id = 1")),
              QStringLiteral("9007199254740993"));
    EXPECT_EQ(Value(QStringLiteral("select s from blk_lift where tag = 'block' and id = 3")), QStringLiteral("12.50"));
    EXPECT_EQ(Value(QStringLiteral("select s from blk_lift where tag = 'block' and id = 4")),
              QStringLiteral("调拨 '单'"));
}

// A lifted sysdate is the time the engine's own sysdate gives: local time, same storage.
TEST_P(BlockStatements, LiftedSysdateIsTheEnginesLocalTime)
{
    Conn().ExecNative(QStringLiteral("CREATE TABLE blk_now (id INTEGER, d TIMESTAMP)"), {}, nullptr);
    Exec(QStringLiteral("insert into blk_now (id, d) values (1, sysdate)"));
    Exec(QStringLiteral("begin insert into blk_now (id, d) values (2, sysdate); insert into blk_now (id, d) "
                        "values (3, sysdate); end;"));
    auto at = [&](int id) {
        const QString v = Value(QStringLiteral("select d from blk_now where id = %1").arg(id));
        QDateTime t = QDateTime::fromString(v.left(19).replace(u' ', u'T'), Qt::ISODate);
        EXPECT_TRUE(t.isValid()) << v.toStdString();
        return t;
    };
    const QDateTime plain = at(1), now = QDateTime::currentDateTime();
    for (int id : {2, 3}) {
        EXPECT_LE(std::abs(at(id).secsTo(plain)), 2) << id;
        EXPECT_LE(std::abs(at(id).secsTo(now)), 5) << id;
        if (GetEngine() == Engine::SQLite) {
            EXPECT_EQ(Value(QStringLiteral("select typeof(d) from blk_now where id = %1").arg(id)),
                      Value(QStringLiteral("select typeof(d) from blk_now where id = 1")));
        }
    }
}

// Two sysdates of one row are one time, also across the turn of a second.
TEST_P(BlockStatements, TheSysdatesOfOneRowAgree)
{
    if (GetEngine() != Engine::SQLite)
        GTEST_SKIP() << "the time is bound only where literals are";
    Conn().ExecNative(QStringLiteral("CREATE TABLE blk_now2 (a TIMESTAMP, b TIMESTAMP)"), {}, nullptr);
    const QString block = QStringLiteral(
        "begin for i in 1..200 loop insert into blk_now2 (a, b) values (sysdate, sysdate); end loop; end;");
    const QDateTime until = QDateTime::currentDateTime().addSecs(3);
    int disagreeing = 0;
    for (;;) {
        Exec(block);
        disagreeing += Value(QStringLiteral("select count(*) from blk_now2 where a <> b")).toInt();
        if (Value(QStringLiteral("select count(distinct a) from blk_now2")) != u"1" || QDateTime::currentDateTime() > until)
            break;
        // Only the last row is kept to meet the next second.
        Conn().ExecNative(QStringLiteral("delete from blk_now2 where rowid <> (select max(rowid) from blk_now2)"), {},
                          nullptr);
    }
    EXPECT_EQ(Value(QStringLiteral("select count(distinct a) from blk_now2")), QStringLiteral("2"));
    EXPECT_EQ(disagreeing, 0);
}

JXC_INSTANTIATE_DB_TEST(BlockStatements);

} // namespace
