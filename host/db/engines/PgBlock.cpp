#include "host/db/engines/PgBlock.h"

#include "host/db/blocks/SqlTokenizer.h"
#include "host/db/dialect/Dialect.h"
#include "host/db/engines/PgConnection.h"
#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

#include <charconv>
#include <cmath>

namespace host::db {

using plsql::Block;
using plsql::Expr;
using plsql::Program;
using plsql::SqlText;
using plsql::Stmt;
using plsql::StmtList;
using plsql::Value;
using plsql::VarType;

namespace {

// The one SQLSTATE the emitted code raises: its message is the final Oracle text.
const QString kOwnState = QStringLiteral("JX001");
const QString kValueError = QStringLiteral("ORA-06502: PL/SQL: numeric or value error");

// A construct the server block does not express: the block goes to the in-process runner.
struct Unsupported {
    QString why;
};

QString Quoted(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'\'';
    for (QChar ch : text) {
        out += ch;
        if (ch == u'\'')
            out += ch; // doubled, as the server reads it
    }
    out += u'\'';
    return out;
}

QString Var(int slot) { return QStringLiteral("jxc_v") + QString::number(slot); }
QString Cur(int index) { return QStringLiteral("jxc_c") + QString::number(index); }

// Oracle's text of a number, digits as the literal had them.
QString NumberLiteral(double d)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

enum class Type { Unknown, Number, Text, Date, Bool };

QString PgType(const VarType& t)
{
    switch (t.kind) {
    case VarType::Kind::Integer:
        return QStringLiteral("bigint");
    case VarType::Kind::Number:
        if (t.precision == 0 && t.scale < 0)
            return QStringLiteral("numeric");
        // numeric(p,s) rounds half away from zero on assignment, as Oracle's NUMBER(p,s).
        return QStringLiteral("numeric(%1,%2)").arg(t.precision > 0 ? t.precision : 1000).arg(t.scale);
    case VarType::Kind::Varchar:
        return t.length > 0 ? QStringLiteral("varchar(%1)").arg(t.length) : QStringLiteral("text");
    case VarType::Kind::Char:
        return QStringLiteral("char(%1)").arg(std::max(t.length, 1));
    case VarType::Kind::Date:
        return QStringLiteral("timestamp(0)");
    case VarType::Kind::Boolean:
        return QStringLiteral("boolean");
    case VarType::Kind::Any:
        break;
    }
    throw Unsupported{QStringLiteral("a variable declared with table.column%TYPE")};
}

Type TypeOfSlot(const VarType& t)
{
    switch (t.kind) {
    case VarType::Kind::Integer:
    case VarType::Kind::Number:
        return Type::Number;
    case VarType::Kind::Varchar:
    case VarType::Kind::Char:
        return Type::Text;
    case VarType::Kind::Date:
        return Type::Date;
    case VarType::Kind::Boolean:
        return Type::Bool;
    case VarType::Kind::Any:
        break;
    }
    return Type::Unknown;
}

// Which cursor attributes a program reads: only those are kept up to date by the emitted code.
struct Uses {
    bool sqlAttr = false;
    std::vector<bool> found, count;
};

void ScanExpr(const Expr& e, Uses& u)
{
    if (e.kind == Expr::Kind::CursorAttr) {
        if (e.cursor < 0)
            u.sqlAttr = true;
        else if (e.op == u"rowcount")
            u.count[size_t(e.cursor)] = true;
        else if (e.op != u"isopen")
            u.found[size_t(e.cursor)] = true;
    }
    for (const auto& a : e.args)
        ScanExpr(*a, u);
}

void ScanList(const StmtList& list, Uses& u);

void ScanBlock(const Block& b, Uses& u)
{
    for (const auto& v : b.vars)
        if (v.init)
            ScanExpr(*v.init, u);
    ScanList(b.body, u);
}

void ScanList(const StmtList& list, Uses& u)
{
    for (const auto& s : list) {
        for (const auto& e : s->exprs)
            ScanExpr(*e, u);
        for (const auto& branch : s->branches)
            ScanList(branch, u);
        if (s->block)
            ScanBlock(*s->block, u);
    }
}

// The number of columns a query selects, or -1 where the text alone does not tell (a star).
int SelectWidth(const QString& oracle)
{
    const QVector<Token> tokens = Tokenize(oracle);
    int depth = 0, width = 0;
    bool inList = false;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == TokenKind::End)
            break;
        if (t.IsOp("(")) {
            ++depth;
        } else if (t.IsOp(")")) {
            --depth;
        } else if (depth == 0 && !inList && t.IsWord("select")) {
            inList = true;
            width = 1;
        } else if (depth == 0 && inList) {
            if (t.IsWord("from") || t.IsWord("into"))
                return width;
            if (t.IsOp(","))
                ++width;
            else if (t.IsOp("*") && (tokens[i - 1].IsWord("select") || tokens[i - 1].IsOp(",") || tokens[i - 1].IsOp(".")))
                return -1;
        }
    }
    return inList ? width : -1;
}

class Emitter {
public:
    explicit Emitter(const Program& p) : p_(p)
    {
        uses_.found.assign(p.cursorNames.size(), false);
        uses_.count.assign(p.cursorNames.size(), false);
        ScanBlock(p.root, uses_);
        if (uses_.sqlAttr)
            extraDecls_.push_back(QStringLiteral("jxc_sql_found boolean; jxc_sql_count bigint;"));
    }

    std::shared_ptr<DoBlock> Run()
    {
        auto out = std::make_shared<DoBlock>();
        try {
            body_.clear();
            // A block is a writer's work: it queues behind the other workstations' writers.
            Line(nullptr, QStringLiteral("PERFORM %1;").arg(QLatin1String(PgConnection::WriterLock)));
            // The server plans a declared cursor for its first tenth of rows; the block reads its
            // cursors to the end (Oracle plans for all rows), and on tables without statistics
            // yet the first-rows plan of a join costs many times the whole one.
            if (!p_.cursorNames.empty())
                Line(nullptr, QStringLiteral("PERFORM set_config('cursor_tuple_fraction', '1', true);"));
            Block(p_.root, false);
            Line(nullptr, QStringLiteral("END"));
            QString head = QStringLiteral("DECLARE\n");
            std::vector<DoBlock::Origin> lines(1); // the DECLARE line
            for (size_t k = 0; k < p_.vars.size(); ++k) {
                head += Var(int(k)) + u' ' + PgType(p_.vars[k].type) + QStringLiteral(";\n");
                lines.emplace_back();
            }
            for (const QString& d : cursorDecls_) {
                head += d + u'\n';
                for (qsizetype n = d.count(u'\n') + 1; n > 0; --n)
                    lines.emplace_back();
            }
            for (const QString& d : extraDecls_) {
                head += d + u'\n';
                lines.emplace_back();
            }
            head += QStringLiteral("BEGIN\n");
            lines.emplace_back();
            lines.insert(lines.end(), origins_.begin(), origins_.end());
            // A dollar quote the code does not contain.
            QString tag = QStringLiteral("$jxc$");
            for (int n = 1; head.contains(tag) || body_.contains(tag); ++n)
                tag = QStringLiteral("$jxc%1$").arg(n);
            out->text = QStringLiteral("DO ") + tag + head + body_ + tag;
            out->lines = std::move(lines);
        } catch (const Unsupported& u) {
            out->text.clear();
            out->fallback = u.why;
        }
        return out;
    }

private:
    const Program& p_;
    Uses uses_;
    QString body_;
    std::vector<DoBlock::Origin> origins_;
    std::vector<QString> cursorDecls_;
    std::vector<QString> extraDecls_;
    int temps_ = 0;

    void Line(const Stmt* s, const QString& text, int declaredSlot = -1)
    {
        body_ += text;
        body_ += u'\n';
        for (qsizetype n = text.count(u'\n') + 1; n > 0; --n)
            origins_.push_back({s, declaredSlot});
    }

    QString Temp(const char* type)
    {
        const QString name = QStringLiteral("jxc_t") + QString::number(temps_++);
        extraDecls_.push_back(name + u' ' + QLatin1String(type) + u';');
        return name;
    }

    // ---- SQL and expressions

    // The statement's Oracle text with each variable written as its block variable.
    QString WithVariables(const SqlText& sql) const
    {
        const QStringView text = p_.TextOf(sql);
        if (sql.binds.isEmpty())
            return text.toString();
        const QString owned = text.toString();
        QString out;
        out.reserve(owned.size() + sql.binds.size() * 4);
        int last = 0;
        for (const Token& t : Tokenize(owned)) {
            if (t.kind != TokenKind::Bind)
                continue;
            const int k = t.text.toInt();
            if (k < 1 || k > sql.binds.size())
                continue;
            out += QStringView(owned).mid(last, t.pos - last);
            out += Var(sql.binds[k - 1]);
            last = t.pos + t.length;
        }
        out += QStringView(owned).mid(last);
        return out;
    }

    static QString Pg(const QString& oracle) { return Translate(oracle, Engine::PostgreSQL); }

    // An engine expression ("select X from dual") as the expression X, in Oracle text.
    QString EngineText(const SqlText& sql) const
    {
        QString text = WithVariables(sql);
        const QLatin1String head("select "), tail(" from dual");
        if (text.startsWith(head) && text.endsWith(tail))
            return u'(' + text.mid(head.size(), text.size() - head.size() - tail.size()) + u')';
        return u'(' + text + u')';
    }

    Type TypeOf(const Expr& e) const
    {
        switch (e.kind) {
        case Expr::Kind::Literal:
            switch (e.value.kind) {
            case Value::Kind::Int:
            case Value::Kind::Num:
                return Type::Number;
            case Value::Kind::Text:
                return Type::Text;
            case Value::Kind::Date:
                return Type::Date;
            case Value::Kind::Bool:
                return Type::Bool;
            case Value::Kind::Null:
                break;
            }
            return Type::Unknown;
        case Expr::Kind::Var:
            return TypeOfSlot(p_.vars[size_t(e.slot)].type);
        case Expr::Kind::CursorAttr:
            return e.op == u"rowcount" ? Type::Number : Type::Bool;
        case Expr::Kind::Unary:
            return e.op == u"not" ? Type::Bool : Type::Number;
        case Expr::Kind::Binary: {
            if (e.op == u"||")
                return Type::Text;
            if (e.op == u"+" || e.op == u"-" || e.op == u"*" || e.op == u"/" || e.op == u"**") {
                const Type a = TypeOf(*e.args[0]), b = TypeOf(*e.args[1]);
                if (e.op == u"-" && a == Type::Date && b == Type::Date)
                    return Type::Number;
                if (a == Type::Date || b == Type::Date)
                    return Type::Date;
                return Type::Number;
            }
            return Type::Bool;
        }
        case Expr::Kind::IsNull:
        case Expr::Kind::Like:
        case Expr::Kind::Between:
        case Expr::Kind::In:
            return Type::Bool;
        case Expr::Kind::Call: {
            const QString& f = e.op;
            if (f == u"upper" || f == u"lower" || f == u"trim" || f == u"ltrim" || f == u"rtrim" || f == u"substr"
                || f == u"replace" || f == u"concat" || f == u"to_char")
                return Type::Text;
            if (f == u"nvl" || f == u"nvl2" || f == u"coalesce" || f == u"greatest" || f == u"least") {
                for (size_t k = f == u"nvl2" ? 1 : 0; k < e.args.size(); ++k) {
                    const Type t = TypeOf(*e.args[k]);
                    if (t != Type::Unknown)
                        return t;
                }
                return Type::Unknown;
            }
            if ((f == u"round" || f == u"trunc") && TypeOf(*e.args[0]) == Type::Date)
                return Type::Date;
            return Type::Number;
        }
        case Expr::Kind::Engine:
            break;
        }
        return Type::Unknown;
    }

    // A whole number by its type: the runner computes these in 64 bits, and so does the server
    // (bigint), so that the same sums overflow.
    bool IsWhole(const Expr& e) const
    {
        switch (e.kind) {
        case Expr::Kind::Literal:
            return e.value.kind == Value::Kind::Int;
        case Expr::Kind::Var:
            return p_.vars[size_t(e.slot)].type.kind == VarType::Kind::Integer;
        case Expr::Kind::Unary:
            return e.op == u"-" && IsWhole(*e.args[0]);
        case Expr::Kind::Binary:
            return (e.op == u"+" || e.op == u"-" || e.op == u"*") && IsWhole(*e.args[0]) && IsWhole(*e.args[1]);
        case Expr::Kind::Call:
            return (e.op == u"abs" || e.op == u"mod") && IsWhole(*e.args[0]) && (e.op == u"abs" || IsWhole(*e.args[1]));
        default:
            return false;
        }
    }

    // An operand of whole arithmetic: small literals as bigint, not the server's 32-bit integer.
    QString WholeOperand(const Expr& e)
    {
        if (e.kind == Expr::Kind::Literal && e.value.kind == Value::Kind::Int)
            return QStringLiteral("CAST(%1 AS bigint)").arg(e.value.i);
        return Render(e);
    }

    // The expression as Oracle's text conversion gives it (numbers without trailing zeros and
    // without the zero before the point, dates in the canonical form).
    QString TextOf(const Expr& e)
    {
        if (e.kind == Expr::Kind::Literal && e.value.IsNumber())
            return Quoted(e.value.kind == Value::Kind::Int ? QString::number(e.value.i)
                                                           : platform::OracleNumberText(e.value.d));
        const QString x = Render(e);
        switch (TypeOf(e)) {
        case Type::Text:
            return x;
        case Type::Number:
            return QStringLiteral("regexp_replace(CAST(trim_scale(CAST(%1 AS numeric)) AS text), '^(-?)0[.]', '\\1.')")
                .arg(x);
        case Type::Date:
            return QStringLiteral("to_char(%1, 'YYYY-MM-DD HH24:MI:SS')").arg(x);
        case Type::Bool:
        case Type::Unknown:
            break;
        }
        return QStringLiteral("CAST(%1 AS text)").arg(x);
    }

    QString Args(const Expr& e, size_t from = 0)
    {
        QString out;
        for (size_t k = from; k < e.args.size(); ++k) {
            if (k > from)
                out += QStringLiteral(", ");
            out += Render(*e.args[k]);
        }
        return out;
    }

    void Concat(const Expr& e, QStringList& parts)
    {
        if (e.kind == Expr::Kind::Binary && e.op == u"||") {
            Concat(*e.args[0], parts);
            Concat(*e.args[1], parts);
        } else {
            parts.push_back(TextOf(e));
        }
    }

    QString CursorAttribute(const Expr& e) const
    {
        if (e.cursor < 0) {
            if (e.op == u"isopen")
                return QStringLiteral("FALSE");
            if (e.op == u"rowcount")
                return QStringLiteral("jxc_sql_count");
            return e.op == u"found" ? QStringLiteral("jxc_sql_found") : QStringLiteral("(NOT jxc_sql_found)");
        }
        const QString c = Cur(e.cursor);
        if (e.op == u"isopen")
            return c + QStringLiteral("_open");
        if (e.op == u"rowcount")
            return c + QStringLiteral("_count");
        return e.op == u"found" ? c + QStringLiteral("_found") : QStringLiteral("(NOT %1_found)").arg(c);
    }

    // Oracle text of a PL/SQL expression, fully parenthesised; translated as a whole afterwards.
    QString Render(const Expr& e)
    {
        switch (e.kind) {
        case Expr::Kind::Literal:
            switch (e.value.kind) {
            case Value::Kind::Null:
                return QStringLiteral("NULL");
            case Value::Kind::Bool:
                return e.value.b ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            case Value::Kind::Int:
                return QString::number(e.value.i);
            case Value::Kind::Num:
                return NumberLiteral(e.value.d);
            case Value::Kind::Text:
                return Quoted(e.value.s);
            case Value::Kind::Date:
                return QStringLiteral("TIMESTAMP ") + Quoted(platform::CanonicalDateText(e.value.t));
            }
            return QStringLiteral("NULL");
        case Expr::Kind::Var:
            return Var(e.slot);
        case Expr::Kind::CursorAttr:
            return CursorAttribute(e);
        case Expr::Kind::Unary:
            return e.op == u"not" ? QStringLiteral("(NOT %1)").arg(Render(*e.args[0]))
                                  : QStringLiteral("(- %1)").arg(WholeOperand(*e.args[0]));
        case Expr::Kind::Binary:
            return Binary(e);
        case Expr::Kind::IsNull:
            return QStringLiteral("(%1 IS %2NULL)").arg(Render(*e.args[0]), e.negated ? QStringLiteral("NOT ") : QString());
        case Expr::Kind::Like: {
            QString out = u'(' + TextOf(*e.args[0]) + (e.negated ? QStringLiteral(" not like ") : QStringLiteral(" like "))
                + TextOf(*e.args[1]);
            if (e.args.size() > 2)
                out += QStringLiteral(" escape ") + TextOf(*e.args[2]);
            return out + u')';
        }
        case Expr::Kind::Between:
            return QStringLiteral("(%1 %2BETWEEN %3 AND %4)")
                .arg(Render(*e.args[0]), e.negated ? QStringLiteral("NOT ") : QString(), Render(*e.args[1]),
                     Render(*e.args[2]));
        case Expr::Kind::In:
            return QStringLiteral("(%1 %2IN (%3))")
                .arg(Render(*e.args[0]), e.negated ? QStringLiteral("NOT ") : QString(), Args(e, 1));
        case Expr::Kind::Call:
            return Call(e);
        case Expr::Kind::Engine:
            return EngineText(e.sql);
        }
        return QStringLiteral("NULL");
    }

    QString Binary(const Expr& e)
    {
        const QString& op = e.op;
        if (op == u"||") {
            QStringList parts;
            Concat(e, parts);
            return QStringLiteral("nullif(concat(%1), '')").arg(parts.join(QStringLiteral(", ")));
        }
        const bool whole = IsWhole(*e.args[0]) && IsWhole(*e.args[1]);
        const QString a = whole ? WholeOperand(*e.args[0]) : Render(*e.args[0]);
        const QString b = whole ? WholeOperand(*e.args[1]) : Render(*e.args[1]);
        // The one quotient of whole numbers past 64 bits (the smallest by -1) overflows as the
        // runner's does; the quotient itself stays exact.
        if (op == u"/" && whole)
            return QStringLiteral("(%1 / %2 + 0 * CAST(%1 / %2 AS bigint))").arg(a, b);
        if (op == u"and" || op == u"or")
            return QStringLiteral("(%1 %2 %3)").arg(a, op.toUpper(), b);
        if (op == u"**")
            return QStringLiteral("power(%1, %2)").arg(a, b);
        const Type ta = TypeOf(*e.args[0]), tb = TypeOf(*e.args[1]);
        // Oracle counts date arithmetic in days.
        if (op == u"-" && ta == Type::Date && tb == Type::Date)
            return QStringLiteral("(EXTRACT(EPOCH FROM (%1 - %2)) / 86400)").arg(a, b);
        if ((op == u"+" || op == u"-") && ta == Type::Date)
            return QStringLiteral("(%1 %2 CAST(%3 AS double precision) * interval '1 day')").arg(a, op, b);
        if (op == u"+" && tb == Type::Date)
            return QStringLiteral("(%1 + CAST(%2 AS double precision) * interval '1 day')").arg(b, a);
        return QStringLiteral("(%1 %2 %3)").arg(a, op, b);
    }

    QString Call(const Expr& e)
    {
        const QString& f = e.op;
        auto arg = [&](size_t k) { return Render(*e.args[k]); };
        auto text = [&](size_t k) { return TextOf(*e.args[k]); };
        auto whole = [&](size_t k) { return QStringLiteral("CAST(trunc(%1) AS integer)").arg(arg(k)); };
        if (f == u"nvl")
            return QStringLiteral("nvl(%1, %2)").arg(arg(0), arg(1));
        if (f == u"nvl2")
            return QStringLiteral("(CASE WHEN %1 IS NOT NULL THEN %2 ELSE %3 END)").arg(arg(0), arg(1), arg(2));
        if (f == u"coalesce")
            return QStringLiteral("coalesce(%1)").arg(Args(e));
        if (f == u"concat")
            return QStringLiteral("nullif(concat(%1, %2), '')").arg(text(0), text(1));
        if (f == u"greatest" || f == u"least") {
            // Oracle's answer is null when any argument is.
            QStringList nulls;
            for (size_t k = 0; k < e.args.size(); ++k)
                nulls.push_back(arg(k) + QStringLiteral(" IS NULL"));
            return QStringLiteral("(CASE WHEN %1 THEN NULL ELSE %2(%3) END)")
                .arg(nulls.join(QStringLiteral(" OR ")), f, Args(e));
        }
        if (f == u"replace")
            return QStringLiteral("nullif(replace(%1, coalesce(%2, ''), coalesce(%3, '')), '')")
                .arg(text(0), text(1), e.args.size() > 2 ? text(2) : QStringLiteral("''"));
        if (f == u"upper" || f == u"lower" || f == u"length")
            return QStringLiteral("%1(%2)").arg(f, text(0));
        if (f == u"trim" || f == u"ltrim" || f == u"rtrim")
            return QStringLiteral("nullif(%1(%2), '')").arg(f, text(0));
        if (f == u"substr") {
            const QString s = text(0);
            // Position 0 is 1, a negative one counts from the end.
            const QString pos = QStringLiteral("(CASE WHEN %1 < 0 THEN length(%2) + %1 + 1 WHEN %1 = 0 THEN 1 ELSE %1 END)")
                                    .arg(whole(1), s);
            if (e.args.size() > 2)
                return QStringLiteral("nullif(substr(%1, %2, greatest(%3, 0)), '')").arg(s, pos, whole(2));
            return QStringLiteral("nullif(substr(%1, %2), '')").arg(s, pos);
        }
        if (f == u"instr")
            return QStringLiteral("strpos(%1, %2)").arg(text(0), text(1));
        if (f == u"to_char") {
            if (e.args.size() == 1)
                return TextOf(*e.args[0]);
        } else if (f == u"to_number") {
            return TypeOf(*e.args[0]) == Type::Number ? arg(0) : QStringLiteral("CAST(%1 AS numeric)").arg(text(0));
        } else if (f == u"abs" || f == u"floor" || f == u"ceil" || f == u"sign") {
            return QStringLiteral("%1(%2)").arg(f, IsWhole(e) ? WholeOperand(*e.args[0]) : arg(0));
        } else if (f == u"mod") {
            if (IsWhole(e))
                return QStringLiteral("mod(%1, %2)").arg(WholeOperand(*e.args[0]), WholeOperand(*e.args[1]));
            return QStringLiteral("mod(%1, %2)").arg(arg(0), arg(1));
        } else if ((f == u"round" || f == u"trunc") && TypeOf(*e.args[0]) != Type::Date) {
            return QStringLiteral("%1(CAST(%2 AS numeric), %3)")
                .arg(f, arg(0), e.args.size() > 1 ? whole(1) : QStringLiteral("0"));
        }
        if (!e.sql.text.isEmpty())
            return EngineText(e.sql);
        throw Unsupported{QStringLiteral("the function %1 in an expression of the block").arg(f.toUpper())};
    }

    // ---- statements

    // A statement whose text the translator refuses raises that refusal where it stands.
    void RaiseHere(const Stmt* s, const QString& message, int declaredSlot = -1)
    {
        Line(s, QStringLiteral("RAISE EXCEPTION USING ERRCODE = '%1', MESSAGE = %2;").arg(kOwnState, Quoted(message)),
             declaredSlot);
    }

    // The value stored into a variable: Oracle keeps no empty text.
    QString Stored(int slot, const Expr& e)
    {
        const VarType& t = p_.vars[size_t(slot)].type;
        if (TypeOfSlot(t) == Type::Text)
            return QStringLiteral("nullif(%1, '')").arg(TextOf(e));
        // A number without precision keeps no trailing zeros of the division it came from.
        if (Unbounded(t))
            return QStringLiteral("trim_scale(CAST(%1 AS numeric))").arg(Render(e));
        return Render(e);
    }

    static bool Unbounded(const VarType& t) { return t.kind == VarType::Kind::Number && t.precision == 0 && t.scale < 0; }

    void Assign(const Stmt* s, int slot, const Expr& e, int declaredSlot = -1)
    {
        Line(s, Var(slot) + QStringLiteral(" := ") + Pg(Stored(slot, e)) + u';', declaredSlot);
        if (Unbounded(p_.vars[size_t(slot)].type))
            Line(s, QStringLiteral("IF abs(%1) >= 1e126 THEN RAISE EXCEPTION USING ERRCODE = '%2', MESSAGE = 'ORA-01426: numeric overflow'; END IF;")
                        .arg(Var(slot), kOwnState),
                 declaredSlot);
        NotNullCheck(s, slot, declaredSlot);
    }

    void NotNullCheck(const Stmt* s, int slot, int declaredSlot = -1)
    {
        const plsql::SlotInfo& info = p_.vars[size_t(slot)];
        if (!info.notNull)
            return;
        Line(s, QStringLiteral("IF %1 IS NULL THEN RAISE EXCEPTION USING ERRCODE = '%2', MESSAGE = %3; END IF;")
                    .arg(Var(slot), kOwnState,
                         Quoted(kValueError + QStringLiteral(": null assigned to NOT NULL variable ") + info.name)),
             declaredSlot);
    }

    // Fetched and selected text: the empty text a column may hold is null in a variable.
    void NullEmptyText(const Stmt* s, const std::vector<int>& into)
    {
        for (int slot : into) {
            if (TypeOfSlot(p_.vars[size_t(slot)].type) == Type::Text)
                Line(s, QStringLiteral("%1 := nullif(%1, '');").arg(Var(slot)));
            NotNullCheck(s, slot);
        }
    }

    QString IntoList(const std::vector<int>& into) const
    {
        QStringList names;
        for (int slot : into)
            names.push_back(Var(slot));
        return names.join(QStringLiteral(", "));
    }

    void Block(const plsql::Block& b, bool nested)
    {
        for (const auto& v : b.vars) {
            if (v.init) {
                try {
                    Assign(nullptr, v.slot, *v.init, v.slot);
                } catch (const platform::EDatabaseError& e) {
                    RaiseHere(nullptr, e.Message(), v.slot);
                }
            } else if (nested) {
                // Entered again in a loop, a nested block's variables start null again.
                Line(nullptr, Var(v.slot) + QStringLiteral(" := NULL;"));
            }
        }
        for (const auto& c : b.cursors) {
            QString query;
            try {
                query = Pg(WithVariables(c.query));
            } catch (const platform::EDatabaseError&) {
                query = QStringLiteral("SELECT 1 WHERE FALSE"); // refused again when opened, below
            }
            const QString name = Cur(c.index);
            cursorDecls_.push_back(QStringLiteral("%1 CURSOR FOR %2;").arg(name, query));
            cursorDecls_.push_back(QStringLiteral("%1_found boolean; %1_count bigint := 0; %1_open boolean := FALSE;").arg(name));
        }
        List(b.body);
        // Leaving a block closes its cursors.
        for (const auto& c : b.cursors)
            Line(nullptr, QStringLiteral("IF %1_open THEN CLOSE %1; %1_open := FALSE; END IF;").arg(Cur(c.index)));
    }

    void List(const StmtList& list)
    {
        for (const auto& s : list) {
            try {
                Statement(*s);
            } catch (const platform::EDatabaseError& e) {
                RaiseHere(s.get(), e.Message());
            }
        }
    }

    void Statement(const Stmt& s)
    {
        switch (s.kind) {
        case Stmt::Kind::Null:
            Line(&s, QStringLiteral("NULL;"));
            return;
        case Stmt::Kind::Assign:
            Assign(&s, s.slot, *s.exprs[0]);
            return;
        case Stmt::Kind::If: {
            for (size_t k = 0; k < s.exprs.size(); ++k) {
                Line(&s, (k == 0 ? QStringLiteral("IF ") : QStringLiteral("ELSIF ")) + Pg(Render(*s.exprs[k]))
                             + QStringLiteral(" THEN"));
                List(s.branches[k]);
            }
            if (s.branches.size() > s.exprs.size()) {
                Line(&s, QStringLiteral("ELSE"));
                List(s.branches.back());
            }
            Line(&s, QStringLiteral("END IF;"));
            return;
        }
        case Stmt::Kind::While:
            Line(&s, QStringLiteral("WHILE ") + Pg(Render(*s.exprs[0])) + QStringLiteral(" LOOP"));
            List(s.branches[0]);
            Line(&s, QStringLiteral("END LOOP;"));
            return;
        case Stmt::Kind::Loop:
            Line(&s, QStringLiteral("LOOP"));
            List(s.branches[0]);
            Line(&s, QStringLiteral("END LOOP;"));
            return;
        case Stmt::Kind::ForRange: {
            const QString lo = Temp("numeric"), hi = Temp("numeric");
            Line(&s, QStringLiteral("%1 := %2; %3 := %4;").arg(lo, Pg(Render(*s.exprs[0])), hi, Pg(Render(*s.exprs[1]))));
            Line(&s, QStringLiteral("IF %1 IS NULL OR %2 IS NULL THEN RAISE EXCEPTION USING ERRCODE = '%3', MESSAGE = %4; END IF;")
                         .arg(lo, hi, kOwnState, Quoted(kValueError + QStringLiteral(": FOR loop bound is null"))));
            // The counter is 64-bit as the runner's: bounds are rounded to whole numbers as the
            // counter's type rounds them.
            const QString series = s.reverse ? QStringLiteral("generate_series(CAST(%2 AS bigint), CAST(%1 AS bigint), -1)")
                                             : QStringLiteral("generate_series(CAST(%1 AS bigint), CAST(%2 AS bigint))");
            Line(&s, QStringLiteral("FOR %1 IN SELECT %2 LOOP").arg(Var(s.slot), series.arg(lo, hi)));
            List(s.branches[0]);
            Line(&s, QStringLiteral("END LOOP;"));
            return;
        }
        case Stmt::Kind::Exit:
        case Stmt::Kind::Continue: {
            QString text = s.kind == Stmt::Kind::Exit ? QStringLiteral("EXIT") : QStringLiteral("CONTINUE");
            if (!s.exprs.empty())
                text += QStringLiteral(" WHEN ") + Pg(Render(*s.exprs[0]));
            Line(&s, text + u';');
            return;
        }
        case Stmt::Kind::Return:
            Line(&s, QStringLiteral("RETURN;"));
            return;
        case Stmt::Kind::Open: {
            const QString c = Cur(s.cursor);
            if (const plsql::CursorDecl* decl = p_.CursorDeclaration(s.cursor))
                Pg(WithVariables(decl->query)); // a refused query is refused when it opens, as the runner does
            Line(&s, QStringLiteral("OPEN %1; %1_open := TRUE; %1_found := NULL; %1_count := 0;").arg(c));
            return;
        }
        case Stmt::Kind::Fetch: {
            const QString c = Cur(s.cursor);
            const plsql::CursorDecl* decl = p_.CursorDeclaration(s.cursor);
            const int width = decl ? SelectWidth(WithVariables(decl->query)) : -1;
            if (width >= 0 && width != int(s.into.size())) {
                // Fetched from an open cursor only, as the runner checks it.
                Line(&s, QStringLiteral("IF %1_open THEN RAISE EXCEPTION USING ERRCODE = '%2', MESSAGE = %3; END IF;")
                             .arg(c, kOwnState,
                                  Quoted(QStringLiteral("PLS-00394: wrong number of values in the INTO list of a FETCH "
                                                        "statement (%1 columns, %2 variables)")
                                             .arg(width)
                                             .arg(s.into.size()))));
            }
            Line(&s, QStringLiteral("FETCH %1 INTO %2;").arg(c, IntoList(s.into)));
            if (uses_.found[size_t(s.cursor)])
                Line(&s, QStringLiteral("%1_found := FOUND;").arg(c));
            if (uses_.count[size_t(s.cursor)])
                Line(&s, QStringLiteral("IF FOUND THEN %1_count := %1_count + 1; END IF;").arg(c));
            NullEmptyText(&s, s.into);
            return;
        }
        case Stmt::Kind::Close:
            Line(&s, QStringLiteral("CLOSE %1; %1_open := FALSE; %1_found := NULL; %1_count := 0;").arg(Cur(s.cursor)));
            return;
        case Stmt::Kind::SelectInto: {
            const int width = SelectWidth(WithVariables(s.sql));
            if (width >= 0 && width != int(s.into.size())) {
                RaiseHere(&s, width > int(s.into.size()) ? QStringLiteral("ORA-00913: too many values")
                                                         : QStringLiteral("ORA-00947: not enough values"));
                return;
            }
            Line(&s, Pg(WithVariables(s.sql)) + QStringLiteral(" INTO STRICT ") + IntoList(s.into) + u';');
            NullEmptyText(&s, s.into);
            if (uses_.sqlAttr)
                Line(&s, QStringLiteral("jxc_sql_count := 1; jxc_sql_found := TRUE;"));
            return;
        }
        case Stmt::Kind::Sql:
            Line(&s, Pg(WithVariables(s.sql)) + u';');
            if (uses_.sqlAttr)
                Line(&s, QStringLiteral("GET DIAGNOSTICS jxc_sql_count = ROW_COUNT; jxc_sql_found := jxc_sql_count > 0;"));
            return;
        case Stmt::Kind::Block:
            Block(*s.block, true);
            return;
        case Stmt::Kind::Raise:
            Raise(s);
            return;
        case Stmt::Kind::ExecImmediate:
            throw Unsupported{QStringLiteral("EXECUTE IMMEDIATE")};
        case Stmt::Kind::Output:
            // Nothing reads the output: the arguments are evaluated, as the runner does.
            Line(&s, s.exprs.empty() ? QStringLiteral("NULL;") : QStringLiteral("PERFORM ") + Pg(Args(s.exprs)) + u';');
            return;
        }
    }

    QString Args(const std::vector<plsql::ExprPtr>& exprs)
    {
        QStringList out;
        for (const auto& e : exprs)
            out.push_back(Render(*e));
        return out.join(QStringLiteral(", "));
    }

    void Raise(const Stmt& s)
    {
        const Expr& code = *s.exprs[0];
        const QString message = Pg(QStringLiteral("left(coalesce(%1, ''), 2048)").arg(TextOf(*s.exprs[1])));
        const QString outOfRange = QStringLiteral("ORA-21000: error number argument to raise_application_error of %1 is out of range");
        if (code.kind == Expr::Kind::Literal && code.value.kind == Value::Kind::Int) {
            const qint64 n = code.value.i;
            if (n < -20999 || n > -20000) {
                RaiseHere(&s, outOfRange.arg(n));
                return;
            }
            Line(&s, QStringLiteral("RAISE EXCEPTION USING ERRCODE = '%1', MESSAGE = %2 || %3;")
                         .arg(kOwnState, Quoted(QStringLiteral("ORA-%1: ").arg(-n)), message));
            return;
        }
        const QString t = Temp("numeric");
        Line(&s, QStringLiteral("%1 := %2;").arg(t, Pg(Render(code))));
        Line(&s, QStringLiteral("IF %1 IS NULL OR %1 <> trunc(%1) OR %1 < -20999 OR %1 > -20000 THEN RAISE EXCEPTION USING "
                                "ERRCODE = '%2', MESSAGE = %3 || coalesce(CAST(trim_scale(%1) AS text), '') || %4; END IF;")
                     .arg(t, kOwnState, Quoted(outOfRange.section(QStringLiteral("%1"), 0, 0)),
                          Quoted(outOfRange.section(QStringLiteral("%1"), 1))));
        Line(&s, QStringLiteral("RAISE EXCEPTION USING ERRCODE = '%1', MESSAGE = 'ORA-' || CAST(- %2 AS text) || ': ' || %3;")
                     .arg(kOwnState, QStringLiteral("CAST(%1 AS bigint)").arg(t), message));
    }
};

// The line of the DO block the server names in its context ("... inline_code_block line N ...").
int ServerLine(const QString& context)
{
    const QLatin1String marker("inline_code_block");
    const int at = int(context.lastIndexOf(marker));
    if (at < 0)
        return -1;
    const QLatin1String line(" line ");
    const int l = int(context.indexOf(line, at));
    if (l < 0)
        return -1;
    int i = l + line.size(), n = 0;
    bool any = false;
    while (i < context.size() && context[i].isDigit()) {
        n = n * 10 + context[i++].digitValue();
        any = true;
    }
    return any ? n : -1;
}

bool AssignsValue(Stmt::Kind k)
{
    return k == Stmt::Kind::Assign || k == Stmt::Kind::Fetch || k == Stmt::Kind::SelectInto;
}

bool EvaluatesPlsql(Stmt::Kind k)
{
    return k == Stmt::Kind::Assign || k == Stmt::Kind::If || k == Stmt::Kind::While || k == Stmt::Kind::ForRange
        || k == Stmt::Kind::Exit || k == Stmt::Kind::Continue || k == Stmt::Kind::Raise;
}

// The Oracle error the runner gives for what the server reported about this statement.
QString OracleMessage(const EServerError& e, const Program& p, const DoBlock::Origin& origin)
{
    const QString& state = e.SqlState();
    if (state == kOwnState)
        return e.Primary();
    const Stmt* s = origin.stmt;
    const Stmt::Kind kind = s ? s->kind : Stmt::Kind::Assign; // a declaration assigns
    if (kind == Stmt::Kind::SelectInto && state == QLatin1String("P0002"))
        return QStringLiteral("ORA-01403: no data found");
    if (kind == Stmt::Kind::SelectInto && state == QLatin1String("P0003"))
        return QStringLiteral("ORA-01422: exact fetch returns more than requested number of rows");
    if (s && (kind == Stmt::Kind::Fetch || kind == Stmt::Kind::Close)
        && (state == QLatin1String("34000") || state == QLatin1String("22004")))
        return QStringLiteral("ORA-01001: invalid cursor (%1 is not open)").arg(p.cursorNames[size_t(s->cursor)]);
    if (s && kind == Stmt::Kind::Open && state == QLatin1String("42P03"))
        return QStringLiteral("ORA-06511: PL/SQL: cursor already open (%1)").arg(p.cursorNames[size_t(s->cursor)]);
    if (AssignsValue(kind) && state == QLatin1String("22001"))
        return kValueError + QStringLiteral(": character string buffer too small");
    if (state == QLatin1String("22003") && e.Primary().endsWith(QLatin1String("int out of range")))
        return QStringLiteral("ORA-01426: numeric overflow");
    if (AssignsValue(kind) && state == QLatin1String("22003"))
        return kValueError + QStringLiteral(": number precision too large");
    if (EvaluatesPlsql(kind) && state == QLatin1String("22012"))
        return QStringLiteral("ORA-01476: divisor is equal to zero");
    if (EvaluatesPlsql(kind) && state == QLatin1String("22P02"))
        return kValueError + QStringLiteral(": character to number conversion error");
    return e.Message();
}

} // namespace

std::shared_ptr<const DoBlock> EmitDoBlock(const Program& program)
{
    return Emitter(program).Run();
}

void RunDoBlock(Connection& c, const Program& program, const DoBlock& block)
{
    try {
        c.ExecNative(block.text, {}, nullptr);
    } catch (const EServerError& e) {
        int line = ServerLine(e.Context());
        if (line < 0 && e.Position() > 0) // refused while the server compiled the block
            line = int(QStringView(block.text).left(e.Position()).count(u'\n')) + 1;
        if (line < 1 || size_t(line) > block.lines.size())
            throw platform::EDatabaseError(e.Message());
        const DoBlock::Origin& origin = block.lines[size_t(line) - 1];
        QString message = OracleMessage(e, program, origin);
        if (origin.declaredSlot >= 0) {
            message += QStringLiteral("\nORA-06512: in the declaration of ") + program.vars[size_t(origin.declaredSlot)].name;
        } else if (const Stmt* s = origin.stmt) {
            message += QStringLiteral("\nORA-06512: at line %1").arg(program.LineOf(s->pos));
            if (s->kind != Stmt::Kind::Raise)
                message += QStringLiteral("\nSQL: ") + program.Excerpt(s->pos, s->length);
        }
        throw platform::EDatabaseError(message);
    }
}

} // namespace host::db
