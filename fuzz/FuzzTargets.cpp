#include "fuzz/FuzzTargets.h"

#include "host/db/blocks/BlockInterpreter.h"
#include "host/db/blocks/BlockParser.h"
#include "host/db/Connection.h"
#include "host/db/Schema.h"
#include "host/db/blocks/SqlTokenizer.h"
#include "host/db/engines/SqliteConnection.h"
#include "host/db/Transaction.h"
#include "platform/core/Exception.h"
#include "host/db/dialect/Dialect.h"

#include <cstdlib>
#include <memory>

namespace fuzz {

namespace {

host::db::Connection& Database()
{
    static const std::unique_ptr<host::db::Connection> c = [] {
        auto conn = std::make_unique<host::db::SqliteConnection>(QStringLiteral(":memory:"));
        host::db::CreateSchema(*conn);
        return conn;
    }();
    return *c;
}

template <class F>
void Refusable(F&& f)
{
    try {
        f();
    } catch (const platform::Exception&) {
        // a refusal is an answer
    }
}

} // namespace

void Tokenizer(const QString& text)
{
    Refusable([&] {
        for (const auto& t : host::db::Tokenize(text))
            (void)host::db::TokenText(t);
    });
}

void DialectSqlite(const QString& text)
{
    Refusable([&] { (void)host::db::Translate(text, host::db::Engine::SQLite); });
}

void DialectPostgresql(const QString& text)
{
    Refusable([&] { (void)host::db::Translate(text, host::db::Engine::PostgreSQL); });
}

namespace {

// What the runner takes from a statement: its lifted text, binds and values.
QString LiftedForm(const host::db::plsql::SqlText& sql)
{
    if (!sql.lifted)
        return QStringLiteral("-");
    QString out = sql.lifted->text;
    for (int b : sql.lifted->binds)
        out += u' ' + QString::number(b);
    for (const QVariant& v : sql.lifted->values)
        out += u' ' + QString::number(v.metaType().id()) + u':' + v.toString();
    return out;
}

} // namespace

void BlockParser(const QString& text)
{
    using namespace host::db::plsql;
    std::shared_ptr<const Program> program;
    Refusable([&] { program = ParseBlock(text); });
    if (!program || !program->vars.empty())
        return;
    // A statement taken from the shape of the one before must be what it is when parsed alone.
    for (const auto& s : program->root.body) {
        if (s->kind != Stmt::Kind::Sql || s->sql.sourcePos < 0)
            continue;
        const QString written = program->TextOf(s->sql).toString();
        std::shared_ptr<const Program> alone;
        try {
            alone = ParseBlock(QStringLiteral("begin ") + written + QStringLiteral("; end;"));
        } catch (const platform::Exception&) {
            std::abort(); // it parsed in its run
        }
        const Stmt& a = *alone->root.body.at(0);
        if (alone->root.body.size() != 1 || a.kind != Stmt::Kind::Sql || !a.sql.binds.isEmpty()
            || alone->TextOf(a.sql) != written || LiftedForm(a.sql) != LiftedForm(s->sql))
            std::abort();
    }
}

void BlockRunner(const QString& text)
{
    Refusable([&] {
        const auto program = host::db::plsql::ParseBlock(text);
        host::db::Connection& c = Database();
        host::db::WriteTransaction tx(c); // never committed: each input starts from the empty schema
        host::db::plsql::RunProgram(c, *program, host::db::plsql::RunOptions{20000, true});
    });
}

QStringList TargetNames()
{
    return {QStringLiteral("tokenizer"), QStringLiteral("dialect_sqlite"), QStringLiteral("dialect_postgresql"),
            QStringLiteral("block_parser"), QStringLiteral("block_runner")};
}

void RunTarget(const QString& name, const QString& text)
{
    if (name == u"tokenizer")
        Tokenizer(text);
    else if (name == u"dialect_sqlite")
        DialectSqlite(text);
    else if (name == u"dialect_postgresql")
        DialectPostgresql(text);
    else if (name == u"block_parser")
        BlockParser(text);
    else if (name == u"block_runner")
        BlockRunner(text);
}

} // namespace fuzz
