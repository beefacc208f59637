// The parser: what becomes a bind variable, what stays SQL, and how bad text is reported.
#include "host/db/blocks/BlockParser.h"
#include "host/db/blocks/InsertLifting.h"
#include "host/db/Connection.h"
#include "platform/core/Exception.h"

#include "BlockTestUtil.h"
#include "host/db/dialect/Dialect.h"
#include "host/db/blocks/BlockRunner.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>

using namespace host::db;
using namespace host::db::plsql;

namespace {

const Stmt& Only(const Program& p)
{
    EXPECT_EQ(p.root.body.size(), 1u);
    return *p.root.body.at(0);
}

QString ParseError(const QString& text)
{
    try {
        ParseBlock(text);
    } catch (const platform::EDatabaseError& e) {
        return e.Message();
    }
    return {};
}

std::vector<QString> Names(const Program& p, const QVector<int>& binds)
{
    std::vector<QString> out;
    for (int s : binds)
        out.push_back(p.vars[s].name.toLower());
    return out;
}

} // namespace

TEST(BlockIsBlock, FirstWordDecides)
{
    EXPECT_TRUE(IsBlock(QStringLiteral("begin null; end;")));
    EXPECT_TRUE(IsBlock(QStringLiteral("  \r\n BEGIN update t set a=1; end;")));
    EXPECT_TRUE(IsBlock(QStringLiteral("Declare n integer; begin null; end;")));
    EXPECT_TRUE(IsBlock(QStringLiteral("-- note\n/* more */ begin null; end;")));
    EXPECT_FALSE(IsBlock(QStringLiteral("select begin from t")));
    EXPECT_FALSE(IsBlock(QStringLiteral("beginning")));
    EXPECT_FALSE(IsBlock(QStringLiteral("declared_table")));
    EXPECT_FALSE(IsBlock(QString()));
    EXPECT_FALSE(IsBlock(QStringLiteral(" update Sto_AdjustBillMain set DELETED= 1")));
}

TEST(BlockParserSql, VariablesBecomeBindsInOrderOfOccurrence)
{
    const auto p = ParseBlock(QStringLiteral(
        "declare a integer; sCode varchar(10); begin "
        "update T set x = a + A, y = sCode where code=sCode and a>0; end;"));
    const Stmt& s = Only(*p);
    ASSERT_EQ(s.kind, Stmt::Kind::Sql);
    EXPECT_EQ(s.sql.text, QStringLiteral("update T set x = :1 + :2, y = :3 where code=:4 and :5>0"));
    EXPECT_EQ(Names(*p, s.sql.binds), (std::vector<QString>{"a", "a", "scode", "scode", "a"}));
}

TEST(BlockParserSql, ColumnPositionsAndQualifiedNamesStayColumns)
{
    // A variable that shares a column's name is still a column where SQL only allows columns.
    const auto p = ParseBlock(QStringLiteral(
        "declare GoodsCode varchar(32); LeftCount number; t integer; begin "
        "insert into Gds_StockCount(GoodsCode,LeftCount) values (GoodsCode,LeftCount);"
        "update Gds_StockCount set LeftCount = LeftCount + 1, GoodsCode=GoodsCode where a.GoodsCode = GoodsCode;"
        "insert into t (x) select b.LeftCount as LeftCount from x b where b.GoodsCode=GoodsCode;"
        "end;"));
    ASSERT_EQ(p->root.body.size(), 3u);
    EXPECT_EQ(p->root.body[0]->sql.text,
              QStringLiteral("insert into Gds_StockCount(GoodsCode,LeftCount) values (:1,:2)"));
    EXPECT_EQ(p->root.body[1]->sql.text,
              QStringLiteral("update Gds_StockCount set LeftCount = :1 + 1, GoodsCode=:2 where a.GoodsCode = :3"));
    // "insert into t": t names the table, not the variable; so do aliases after table names.
    const auto q = ParseBlock(QStringLiteral(
        "declare a integer; b integer; begin update T a set x = b where a.y = a;"
        " delete from U b where b.z = a and exists (select 1 from V a where a.k = b);end;"));
    EXPECT_EQ(q->root.body[0]->sql.text, QStringLiteral("update T a set x = :1 where a.y = :2"));
    EXPECT_EQ(q->root.body[1]->sql.text,
              QStringLiteral("delete from U b where b.z = :1 and exists (select 1 from V a where a.k = :2)"));
    EXPECT_EQ(p->root.body[2]->sql.text,
              QStringLiteral("insert into t (x) select b.LeftCount as LeftCount from x b where b.GoodsCode=:1"));
}

TEST(BlockParserSql, SequencesFunctionsAndLiteralsAreLeftAlone)
{
    const auto p = ParseBlock(QStringLiteral(
        "declare nextval integer; nvl integer; s varchar(5); begin "
        "insert into t values (seq_jxcid.nextval, nvl(s,'s'), 's', 'nvl || s', sysdate);end;"));
    EXPECT_EQ(Only(*p).sql.text,
              QStringLiteral("insert into t values (seq_jxcid.nextval, nvl(:1,'s'), 's', 'nvl || s', sysdate)"));
}

TEST(BlockParserSql, SelectIntoLosesItsIntoClause)
{
    const auto p = ParseBlock(QStringLiteral(
        "declare n integer; m integer; k integer; begin "
        "select count(ID), max(x) into n, m from T where k = (select max(y) from U where z = k);end;"));
    const Stmt& s = Only(*p);
    ASSERT_EQ(s.kind, Stmt::Kind::SelectInto);
    EXPECT_EQ(s.sql.text, QStringLiteral("select count(ID), max(x) from T where :1 = (select max(y) from U where z = :2)"));
    EXPECT_EQ(Names(*p, QVector<int>(s.into.begin(), s.into.end())), (std::vector<QString>{"n", "m"}));
}

TEST(BlockParserSql, TextKeepsItsDoubledQuotes)
{
    const auto p = ParseBlock(QStringLiteral("begin insert into t(a) values ('it''s ''x''');end;"));
    EXPECT_EQ(Only(*p).sql.text, QStringLiteral("insert into t(a) values ('it''s ''x''')"));
}

TEST(BlockParserStructure, NestedDeclareCursorFormOfThePostingBlock)
{
    const auto p = ParseBlock(QStringLiteral(
        "declare n integer; begin declare cursor C is select a from t where b =5; begin open C;"
        "Fetch C Into n; while C%FOUND loop Fetch C Into n; end loop; close C; end;"
        "update t set s = 4 where ID = 5; end;"));
    ASSERT_EQ(p->root.body.size(), 2u);
    const Stmt& inner = *p->root.body[0];
    ASSERT_EQ(inner.kind, Stmt::Kind::Block);
    ASSERT_EQ(inner.block->cursors.size(), 1u);
    EXPECT_EQ(inner.block->cursors[0].query.text, QStringLiteral("select a from t where b =5"));
    const Block& body = *inner.block;
    ASSERT_EQ(body.body.size(), 4u);
    EXPECT_EQ(body.body[0]->kind, Stmt::Kind::Open);
    EXPECT_EQ(body.body[1]->kind, Stmt::Kind::Fetch);
    EXPECT_EQ(body.body[2]->kind, Stmt::Kind::While);
    EXPECT_EQ(body.body[3]->kind, Stmt::Kind::Close);
    EXPECT_EQ(p->root.body[1]->kind, Stmt::Kind::Sql);
}

TEST(BlockParserStructure, InnerDeclarationsShadowOuterOnes)
{
    const auto p = ParseBlock(QStringLiteral(
        "declare x integer; begin declare x varchar(3); begin update t set a = x; end; update t set b = x; end;"));
    const Stmt& inner = *p->root.body[0]->block->body[0];
    const Stmt& outer = *p->root.body[1];
    ASSERT_EQ(inner.sql.binds.size(), 1);
    ASSERT_EQ(outer.sql.binds.size(), 1);
    EXPECT_NE(inner.sql.binds[0], outer.sql.binds[0]);
    EXPECT_EQ(p->vars[inner.sql.binds[0]].type.kind, VarType::Kind::Varchar);
    EXPECT_EQ(p->vars[outer.sql.binds[0]].type.kind, VarType::Kind::Integer);
}

TEST(BlockParserStructure, TypesOfDeclarations)
{
    const auto p = ParseBlock(QStringLiteral(
        "declare a decimal(10,2); b varchar(32); c number; d number(5); e integer; f char(3); g date;"
        " h boolean; i t.col%type; j numeric; begin null; end;"));
    ASSERT_EQ(p->vars.size(), 10u);
    EXPECT_EQ(p->vars[0].type.kind, VarType::Kind::Number);
    EXPECT_EQ(p->vars[0].type.precision, 10);
    EXPECT_EQ(p->vars[0].type.scale, 2);
    EXPECT_EQ(p->vars[1].type.length, 32);
    EXPECT_EQ(p->vars[2].type.scale, -1);
    EXPECT_EQ(p->vars[3].type.scale, 0);
    EXPECT_EQ(p->vars[4].type.kind, VarType::Kind::Integer);
    EXPECT_EQ(p->vars[5].type.kind, VarType::Kind::Char);
    EXPECT_EQ(p->vars[6].type.kind, VarType::Kind::Date);
    EXPECT_EQ(p->vars[7].type.kind, VarType::Kind::Boolean);
    EXPECT_EQ(p->vars[8].type.kind, VarType::Kind::Any);
    EXPECT_EQ(p->vars[9].type.scale, 0); // NUMERIC alone holds whole numbers, as in Oracle
}

TEST(BlockParserStructure, WhitespaceIsFree)
{
    // Pieces joined without blanks parse the same as spaced ones.
    const auto a = ParseBlock(QStringLiteral("declare n integer;begin if n=0 then n:=1;elsif n>1 then null;else n:=2;end if;end;"));
    const auto b = ParseBlock(QStringLiteral("declare\n  n integer;\nbegin\n  if n = 0 then\n    n := 1;\n  elsif n > 1 then\n    null;\n  else\n    n := 2;\n  end if;\nend;"));
    for (const auto& p : {a, b}) {
        const Stmt& s = Only(*p);
        ASSERT_EQ(s.kind, Stmt::Kind::If);
        EXPECT_EQ(s.exprs.size(), 2u);
        EXPECT_EQ(s.branches.size(), 3u);
    }
}

TEST(BlockParserErrors, ReportLineColumnAndReason)
{
    const QString undeclared = ParseError(QStringLiteral("begin\n  update t set a = 1;\n  x := 1;\nend;"));
    EXPECT_TRUE(undeclared.startsWith(QStringLiteral("ORA-06550: line 3, column 3:"))) << undeclared.toStdString();
    EXPECT_TRUE(undeclared.contains(QStringLiteral("identifier 'X' must be declared")));

    EXPECT_TRUE(ParseError(QStringLiteral("begin select a from t; end;")).contains(QStringLiteral("PLS-00428")));
    EXPECT_TRUE(ParseError(QStringLiteral("begin open nope; end;")).contains(QStringLiteral("'NOPE' must be declared")));
    EXPECT_TRUE(ParseError(QStringLiteral("declare a integer; a integer; begin null; end;")).contains(QStringLiteral("PLS-00371")));
    EXPECT_TRUE(ParseError(QStringLiteral("declare c constant integer := 1; begin c := 2; end;")).contains(QStringLiteral("PLS-00363")));
    EXPECT_TRUE(ParseError(QStringLiteral("begin exit; end;")).contains(QStringLiteral("PLS-00376")));
    EXPECT_TRUE(ParseError(QStringLiteral("begin update t set a = :1; end;")).contains(QStringLiteral("ORA-01008")));
    EXPECT_TRUE(ParseError(QStringLiteral("begin commit; end;")).contains(QStringLiteral("COMMIT")));
    EXPECT_TRUE(ParseError(QStringLiteral("begin null; exception when others then null; end;")).contains(QStringLiteral("exception")));
    EXPECT_TRUE(ParseError(QStringLiteral("begin null; end; select 1 from dual")).contains(QStringLiteral("after the end")));
    EXPECT_TRUE(ParseError(QStringLiteral("begin if 1 = 1 then null; end;")).contains(QStringLiteral("PLS-00103")));
    EXPECT_TRUE(ParseError(QStringLiteral("begin update t set a = 'x; end;")).contains(QStringLiteral("unterminated")));
    EXPECT_TRUE(ParseError(QStringLiteral("declare v varchar(0); begin null; end;")).contains(QStringLiteral("PLS-00215")));
}

TEST(BlockParserErrors, DeepNestingIsRefusedNotOverflowed)
{
    QString deep = QStringLiteral("begin ");
    for (int i = 0; i < 5000; ++i)
        deep += QStringLiteral("begin ");
    for (int i = 0; i < 5000; ++i)
        deep += QStringLiteral("end; ");
    deep += QStringLiteral("end;");
    EXPECT_TRUE(ParseError(deep).contains(QStringLiteral("PLS-00123")));
    const QString parens = QStringLiteral("declare n integer; begin n := ") + QString(5000, u'(') + u'1'
        + QString(5000, u')') + QStringLiteral("; end;");
    EXPECT_TRUE(ParseError(parens).contains(QStringLiteral("PLS-00123")));
    // Ordinary depths still parse.
    QString fine = QStringLiteral("declare n integer := 0; begin ");
    for (int i = 0; i < 20; ++i)
        fine += QStringLiteral("if n >= 0 then ");
    fine += QStringLiteral("n := ((((n + 1)))); ");
    for (int i = 0; i < 20; ++i)
        fine += QStringLiteral("end if; ");
    fine += QStringLiteral("end;");
    EXPECT_NO_THROW(ParseBlock(fine));
}

TEST(BlockParserErrors, MissingSemicolonOfTheLastEndIsForgiven)
{
    EXPECT_NO_THROW(ParseBlock(QStringLiteral("begin null; end")));
    EXPECT_NO_THROW(ParseBlock(QStringLiteral("begin null; end;\n/\n")));
    EXPECT_FALSE(ParseError(QStringLiteral("begin begin null; end end;")).isEmpty());
}

namespace {

// The statement as the in-process runner sends it: its lone values lifted, or nothing.
std::optional<LiftedSql> LiftedOf(const Program& p, const SqlText& sql)
{
    LiftedSql l;
    if (!LiftInsert(p.TextOf(sql), sql, l))
        return std::nullopt;
    return l;
}

// Lifted values of an insert, as text for comparing: "i:5", "d:12.34", "s:It's".
std::vector<QString> Lifted(const LiftedSql& l)
{
    std::vector<QString> out;
    for (const QVariant& v : l.values) {
        const char* k = v.metaType().id() == QMetaType::LongLong ? "i:" : v.metaType().id() == QMetaType::Double ? "d:" : "s:";
        out.push_back(QLatin1String(k) + v.toString());
    }
    return out;
}

} // namespace

TEST(BlockParser, InsertLiteralsLiftOnlyWhereTheyStandAlone)
{
    const auto p = ParseBlock(QStringLiteral(
        "declare v integer := 1; begin"
        " insert into T (a, b, c, d, e, f, g, h, k, m, n) values (v, 'It''s', '', 12.3400, -5, to_date('2024-01-02',"
        "'YYYY-MM-DD'), seq_x.nextval, sysdate, 1e3, 9007199254740993, 'x' || 'y');"
        " insert into T (a) values (1.23456789012345678);"
        " insert into T (a) select 5 from dual;"
        " end;"));
    ASSERT_EQ(p->root.body.size(), 3u);
    const SqlText& s = p->root.body[0]->sql;
    const auto lifted = LiftedOf(*p, s);
    ASSERT_TRUE(lifted);
    EXPECT_EQ(lifted->text,
              QStringLiteral("insert into T (a, b, c, d, e, f, g, h, k, m, n) values (:1, :2, '', :3, -:4, "
                             "to_date('2024-01-02','YYYY-MM-DD'), seq_x.nextval, :5, 1e3, :6, 'x' || 'y')"));
    EXPECT_EQ(Lifted(*lifted), (std::vector<QString>{"s:It's", "d:12.34", "i:5", "i:9007199254740993"}));
    ASSERT_EQ(lifted->binds.size(), 6);
    EXPECT_EQ(p->vars[lifted->binds[0]].name.toLower(), QStringLiteral("v"));
    EXPECT_EQ(lifted->binds.mid(1), (QVector<int>{-1, -2, -3, LiftedSql::NowBind, -4}));
    // The text as written stays for the engines that read literals by column, and for messages.
    EXPECT_TRUE(s.text.contains(QStringLiteral("'It''s', '', 12.3400, -5")));
    // Too many digits to round the same everywhere; no VALUES list.
    EXPECT_FALSE(LiftedOf(*p, p->root.body[1]->sql));
    EXPECT_FALSE(LiftedOf(*p, p->root.body[2]->sql));
}

TEST(BlockParser, LinesOfOneShapeShareTheirLiftedText)
{
    const auto p = ParseBlock(QStringLiteral("begin insert into T (a, b) values (1, 'a'); insert into T (a, b) values "
                                             "(22, 'b''c'); end;"));
    ASSERT_EQ(p->root.body.size(), 2u);
    const auto first = LiftedOf(*p, p->root.body[0]->sql), second = LiftedOf(*p, p->root.body[1]->sql);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->text, second->text);
    EXPECT_EQ(Lifted(*second), (std::vector<QString>{"i:22", "s:b'c"}));
}

namespace {

// A statement's parse as the runner sees it: its text, its variables, its lifted form.
QString Described(const Program& p, const Stmt& s)
{
    QString out = p.TextOf(s.sql).toString() + QStringLiteral(" | vars");
    for (int b : s.sql.binds)
        out += u' ' + p.vars[b].name.toLower();
    const auto lifted = LiftedOf(p, s.sql);
    if (!lifted)
        return out + QStringLiteral(" | not lifted");
    out += QStringLiteral(" | ") + lifted->text + QStringLiteral(" |");
    for (int b : lifted->binds) {
        if (b == LiftedSql::NowBind)
            out += QStringLiteral(" now");
        else if (b >= 0)
            out += u' ' + p.vars[b].name.toLower();
    }
    for (const QString& v : Lifted(*lifted))
        out += u' ' + v;
    return out;
}

} // namespace

// Runs of inserts alike but for their values are parsed from the first of the run: each must
// come out as it does parsed alone, whatever its values, blanks and comments.
TEST(BlockParser, StatementsOfOneShapeParseAsTheyDoAlone)
{
    std::mt19937 rng(11);
    const std::vector<std::vector<const char*>> pools = {
        {"12", "7", "-5", "+3", "007", "99999999999999999999", "1e3", "v"},
        {"'a'", "'It''s'", "''", "'调拨 ''单'''", "'x' || 'y'", "'--'", "'/*'"},
        {"0.5", ".5", "2.25", "1.23456789012345678", "12.", "sysdate", "-0.0001"},
    };
    auto pick = [&](const std::vector<const char*>& pool) {
        // Mostly the first two, so that runs of one shape form and break.
        const size_t k = rng() % 4 == 0 ? rng() % pool.size() : rng() % 2;
        return QString::fromUtf8(pool[k]);
    };
    std::vector<QString> statements;
    for (int i = 0; i < 400; ++i) {
        const int blanks = int(rng() % 10);
        statements.push_back(QStringLiteral("insert into T (a, b, c) values (") + pick(pools[0]) + QStringLiteral(", ")
                             + pick(pools[1]) + (blanks == 0 ? QStringLiteral(",  ") : QStringLiteral(", "))
                             + pick(pools[2]) + (blanks == 1 ? QStringLiteral(") /* c */;") : QStringLiteral(");")));
    }
    QString block = QStringLiteral("declare v integer := 3; begin\n");
    for (const QString& st : statements)
        block += st + (rng() % 3 == 0 ? QStringLiteral("\n") : QStringLiteral(" "));
    const auto p = ParseBlock(block + QStringLiteral("end;"));
    ASSERT_EQ(p->root.body.size(), statements.size());
    // Both roads taken: statements matched to the one before (kept as their place in the
    // source), and statements parsed anew where the run breaks.
    const auto matched = std::count_if(p->root.body.begin(), p->root.body.end(),
                                       [](const auto& s) { return s->sql.sourcePos >= 0; });
    EXPECT_GT(matched, 40);
    EXPECT_LT(matched, 360);
    for (size_t i = 0; i < statements.size(); ++i) {
        const auto alone = ParseBlock(QStringLiteral("declare v integer := 3; begin\n") + statements[i]
                                      + QStringLiteral(" end;"));
        const Stmt& s = *p->root.body[i];
        EXPECT_EQ(Described(*p, s), Described(*alone, Only(*alone))) << "statement " << i;
        EXPECT_EQ(QStringView(p->source).mid(s.pos, s.length),
                  statements[i].left(statements[i].lastIndexOf(u')') + 1))
            << "statement " << i;
        EXPECT_EQ(p->LineOf(s.pos), p->source.left(s.pos).count(u'\n') + 1) << "statement " << i;
    }
}

// A name that comes into scope makes the same text bind a variable where it named a column.
TEST(BlockParser, AShapeIsNotTakenAcrossADeclaration)
{
    const auto p = ParseBlock(QStringLiteral(
        "begin insert into T (x) values (1, y); insert into T (x) values (2, y);"
        " declare y integer := 9; begin insert into T (x) values (3, y); end;"
        " insert into T (x) values (4, y); end;"));
    ASSERT_EQ(p->root.body.size(), 4u);
    EXPECT_TRUE(p->root.body[1]->sql.binds.isEmpty());
    const Stmt& inner = *p->root.body[2]->block->body.at(0);
    EXPECT_EQ(Names(*p, inner.sql.binds), (std::vector<QString>{"y"}));
    const auto lifted = LiftedOf(*p, inner.sql);
    ASSERT_TRUE(lifted);
    EXPECT_EQ(lifted->text, QStringLiteral("insert into T (x) values (:1, :2)"));
    EXPECT_TRUE(p->root.body[3]->sql.binds.isEmpty());
    EXPECT_EQ(p->TextOf(p->root.body[3]->sql), QStringLiteral("insert into T (x) values (4, y)"));
}
