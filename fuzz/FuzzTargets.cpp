#include "fuzz/FuzzTargets.h"

#include "fuzz/WorkbookArchive.h"
#include "host/db/blocks/BlockInterpreter.h"
#include "host/db/blocks/BlockParser.h"
#include "host/db/blocks/InsertLifting.h"
#include "host/db/Connection.h"
#include "host/db/Schema.h"
#include "host/db/blocks/SqlTokenizer.h"
#include "host/db/engines/SqliteConnection.h"
#include "host/db/Transaction.h"
#include "platform/core/Exception.h"
#include "host/db/dialect/Dialect.h"
#include "platform/workbook/Workbook.h"

#include <QFile>
#include <QTemporaryDir>
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
QString LiftedForm(const host::db::plsql::Program& p, const host::db::plsql::SqlText& sql)
{
    host::db::plsql::LiftedSql lifted;
    if (!host::db::plsql::LiftInsert(p.TextOf(sql), sql, lifted))
        return QStringLiteral("-");
    QString out = lifted.text;
    for (int b : lifted.binds)
        out += u' ' + QString::number(b);
    for (const QVariant& v : lifted.values)
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
            || alone->TextOf(a.sql) != written || LiftedForm(*alone, a.sql) != LiftedForm(*program, s->sql))
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

namespace {

// Cells that read the fixed strings and styles, for inputs that replace the other parts.
const char kSheetRows[] = R"(<row r="1"><c r="A1" t="s" s="1"><v>0</v></c><c r="B1" t="s" s="2"><v>1</v></c>)"
                          R"(<c r="C1" s="3"><v>2.5</v></c><c r="D1"><f>SUM(A1:C1)</f><v>2.5</v></c></row>)";
const char kStrings[] = R"(<si><t>调拨</t></si><si><r><t>rich</t></r><r><t> text</t></r><rPh><t>ふり</t></rPh></si>)";
const char kStyles[] = R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="0.000"/></numFmts>)"
                       R"(<cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="0"><alignment wrapText="1"/></xf>)"
                       R"(<xf numFmtId="164"/><xf numFmtId="14"/></cellXfs>)";

QByteArray WrappedWorkbook(int kind, const QByteArray& input, const QString& path)
{
    const QByteArray sheet = kind == 1 ? input : QByteArray(kSheetRows);
    const QByteArray strings = kind == 2 ? input : QByteArray(kStrings);
    const QByteArray styles = kind == 3 ? input : QByteArray(kStyles);
    WriteArchive(path, WorkbookParts({{QString(), SheetXml(sheet)}}, {QString(), SharedStringsXml(strings)},
                                     {QString(), StylesXml(styles)}));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

const QString& ScratchFile()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("input.xlsx"));
    return path;
}

} // namespace

platform::excel::BookData ReadWorkbookInput(const QByteArray& input)
{
    const QString& path = ScratchFile();
    const int kind = input.isEmpty() ? 0 : std::uint8_t(input[0]) % 4;
    const QByteArray rest = input.mid(1);
    if (kind == 0) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(rest) != rest.size())
            std::abort(); // the scratch folder must work
    } else {
        WrappedWorkbook(kind, rest, path);
    }
    platform::excel::BookData book = platform::excel::ReadXlsx(path);
    for (platform::excel::BookSheet& s : book.sheets)
        platform::excel::Recalculate(s);
    return book;
}

void Workbook(const QByteArray& input)
{
    Refusable([&] {
        const platform::excel::BookData book = ReadWorkbookInput(input);
        if (book.sheets.isEmpty() || book.sheets.size() > platform::excel::kMaxSheets
            || book.CellCount() > platform::excel::kMaxBookCells)
            std::abort(); // past the reader's own bounds
    });
}

QVector<QPair<QString, QByteArray>> WorkbookSeeds()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("seed.xlsx"));
    QVector<QPair<QString, QByteArray>> seeds;
    const auto raw = [&](const QString& name, const QByteArray& sheet) {
        seeds.push_back({name, QByteArray(1, '\0') + WrappedWorkbook(1, sheet, path)});
    };
    raw(QStringLiteral("file-strings-styles-formula"), kSheetRows);
    raw(QStringLiteral("file-inline-and-booleans"),
        R"(<row><c t="inlineStr"><is><t>行内</t></is></c><c t="b"><v>1</v></c><c t="str"><f>A1&amp;"x"</f><v>行内x</v></c></row>)"
        R"(<row r="3"><c r="B3"><v>-4.5e3</v></c><c r="C3"><f>AVERAGE(B1:B3)*MAX(B3,2)/COUNT(A1:XFD3)</f></c></row>)");
    {
        // As the book writer writes one, with everything it writes.
        platform::excel::BookData book;
        book.sheets.resize(2);
        book.sheets[0].name = QStringLiteral("调拨");
        book.sheets[0].CellAt(0, 0).value = 1.5;
        book.sheets[0].CellAt(1, 0).value = QStringLiteral("一段会换行的文字");
        book.sheets[0].CellAt(1, 0).wordWrap = true;
        book.sheets[0].CellAt(2, 0).formula = QStringLiteral("A1*2");
        book.sheets[0].CellAt(0, 1).value = 0.25;
        book.sheets[0].CellAt(0, 1).numberFormat = QStringLiteral("0.00%");
        book.sheets[1].name = QStringLiteral("第二页");
        book.sheets[1].CellAt(3, 5).value = true;
        platform::excel::Recalculate(book.sheets[0]);
        platform::excel::WriteBook(book, path);
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            seeds.push_back({QStringLiteral("file-written-by-the-book"), QByteArray(1, '\0') + f.readAll()});
    }
    seeds.push_back({QStringLiteral("rows-numbered-and-not"),
                     QByteArray(1, '\1') + R"(<row r="2"><c><v>1</v></c><c><v>2</v></c></row><row><c r="C3"><f>SUM(A2:B2)</f></c></row>)"});
    seeds.push_back({QStringLiteral("rows-shared-strings-and-styles"), QByteArray(1, '\1') + kSheetRows});
    seeds.push_back({QStringLiteral("strings-rich-and-phonetic"), QByteArray(1, '\2') + kStrings});
    seeds.push_back({QStringLiteral("styles-formats-and-wrap"), QByteArray(1, '\3') + kStyles});
    return seeds;
}

QStringList TargetNames()
{
    return {QStringLiteral("tokenizer"), QStringLiteral("dialect_sqlite"), QStringLiteral("dialect_postgresql"),
            QStringLiteral("block_parser"), QStringLiteral("block_runner"), QStringLiteral("workbook")};
}

void RunTarget(const QString& name, const QByteArray& input)
{
    if (name == u"workbook") {
        Workbook(input);
        return;
    }
    const QString text = QString::fromUtf8(input);
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
