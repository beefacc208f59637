#include "fuzz/FuzzTargets.h"

#include "host/db/BlockInterpreter.h"
#include "host/db/BlockParser.h"
#include "host/db/Connection.h"
#include "host/db/Schema.h"
#include "host/db/SqlTokenizer.h"
#include "host/db/SqliteConnection.h"
#include "host/db/Transaction.h"
#include "platform/core/Exception.h"

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

void BlockParser(const QString& text)
{
    Refusable([&] { (void)host::db::plsql::ParseBlock(text); });
}

void BlockRunner(const QString& text)
{
    Refusable([&] {
        const auto program = host::db::plsql::ParseBlock(text);
        host::db::Connection& c = Database();
        host::db::WriteTransaction tx(c); // never committed: each input starts from the empty schema
        host::db::plsql::RunProgram(c, *program, host::db::plsql::RunLimits{20000});
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
