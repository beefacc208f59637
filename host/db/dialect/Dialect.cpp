#include "host/db/dialect/Dialect.h"

#include "host/db/engines/EngineRules.h"
#include "host/db/blocks/SqlTokenizer.h"
#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

#include <QHash>
#include <QMutex>
#include <unordered_map>

namespace host::db {

namespace {

[[noreturn]] void Fail(const QString& message)
{
    throw platform::EDatabaseError(message);
}

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#'; }

class Rewriter {
public:
    Rewriter(const QVector<Token>& tokens, const EngineRules& rules) : t_(tokens), rules_(rules) {}

    bool usesSequence = false;

    QString Range(int b, int e)
    {
        // Divisors and to_date arguments are rewritten by nested calls; deeper nesting than any
        // real statement is refused before it can exhaust the stack.
        if (++depth_ > MaxNesting)
            Fail(QStringLiteral("SQL statement nested more than %1 levels deep").arg(MaxNesting));
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{depth_};
        QString out;
        for (int i = b; i < e; ++i) {
            const Token& tok = t_[i];
            switch (tok.kind) {
            case TokenKind::End:
                return out;
            case TokenKind::Bind: {
                bool ok = false;
                const int n = tok.text.toInt(&ok);
                if (!ok || n < 1)
                    Fail(QStringLiteral("Bind variable :%1 is not supported: use :1, :2 ...").arg(tok.text));
                Emit(out, tok, rules_.Param(n));
                break;
            }
            case TokenKind::Identifier:
                i = Identifier(out, i, e);
                break;
            case TokenKind::QuotedIdentifier:
                Emit(out, tok, rules_.QuotedIdentifier(tok.text));
                break;
            case TokenKind::Operator:
                if (tok.text == QLatin1String("^=") || tok.text == QLatin1String("!="))
                    Emit(out, tok, QStringLiteral("<>"));
                else if (tok.IsOp("/"))
                    i = Division(out, i, e);
                else if (tok.IsOp(";"))
                    Fail(QStringLiteral("Only one statement can be sent at a time (found ';' at position %1)").arg(tok.pos + 1));
                else
                    Emit(out, tok, tok.text);
                break;
            default:
                Emit(out, tok, TokenText(tok));
                break;
            }
        }
        return out;
    }

private:
    static constexpr int MaxNesting = 200;
    const QVector<Token>& t_;
    const EngineRules& rules_;
    int depth_ = 0;

    static void Emit(QString& out, const Token& tok, const QString& text)
    {
        if (text.isEmpty())
            return;
        if (!out.isEmpty()) {
            const QChar last = out.back();
            if ((tok.spaceBefore && !last.isSpace()) || (IsWordChar(last) && IsWordChar(text.front())))
                out += u' ';
        }
        out += text;
    }

    bool IsOpAt(int i, int e, const char* op) const { return i < e && t_[i].IsOp(op); }

    // Index of the ')' matching the '(' at open.
    int MatchParen(int open, int e) const
    {
        int depth = 0;
        for (int i = open; i < e; ++i) {
            if (t_[i].IsOp("("))
                ++depth;
            else if (t_[i].IsOp(")") && --depth == 0)
                return i;
        }
        Fail(QStringLiteral("SQL syntax error: missing ')' after position %1").arg(t_[open].pos + 1));
    }

    // Oracle divides exactly; both engines truncate integer by integer. An engine that gives
    // null for a zero divisor gets the divisor through a function that refuses it.
    // Returns the index of the last token consumed.
    int Division(QString& out, int slash, int e)
    {
        const Token& tok = t_[slash];
        const QString guard = rules_.DivisorGuard();
        const int end = guard.isEmpty() ? -1 : OperandEnd(slash + 1, e);
        if (end < 0) {
            Emit(out, tok, QStringLiteral("* 1.0 /"));
            return slash;
        }
        Emit(out, tok, QStringLiteral("* 1.0 / ") + guard + u'(' + Range(slash + 1, end) + u')');
        return end - 1;
    }

    // End (exclusive) of the operand that starts at i and binds tighter than '*' and '/': signs,
    // then a literal, a bind, a parenthesised expression, a case expression or a name that may
    // be qualified and called. -1 when there is no such operand.
    int OperandEnd(int i, int e) const
    {
        while (i < e && (t_[i].IsOp("-") || t_[i].IsOp("+")))
            ++i;
        if (i >= e)
            return -1;
        const Token& tok = t_[i];
        if (tok.IsOp("("))
            return MatchParen(i, e) + 1;
        if (tok.IsWord("case")) {
            int depth = 0;
            for (int k = i; k < e; ++k) {
                if (t_[k].IsWord("case"))
                    ++depth;
                else if (t_[k].IsWord("end") && --depth == 0)
                    return k + 1;
            }
            return -1;
        }
        switch (tok.kind) {
        case TokenKind::Number:
        case TokenKind::String:
        case TokenKind::Bind:
            return i + 1;
        case TokenKind::Identifier:
        case TokenKind::QuotedIdentifier:
            break;
        default:
            return -1;
        }
        ++i;
        while (i + 1 < e && t_[i].IsOp(".")
               && (t_[i + 1].kind == TokenKind::Identifier || t_[i + 1].kind == TokenKind::QuotedIdentifier))
            i += 2;
        if (IsOpAt(i, e, "("))
            return MatchParen(i, e) + 1;
        return i;
    }

    // End (exclusive) of a LIKE pattern that starts at i: it runs to the first word, comma,
    // comparison or closing parenthesis at its own depth that cannot continue an expression.
    int PatternEnd(int i, int e) const
    {
        static const char* const stops[] = {"and",   "or",   "escape", "then",      "when",   "else",  "order",
                                            "group", "having", "union", "intersect", "minus", "except", "into",
                                            "from",  "where", "for",   "is",        "not",    "like",  "between",
                                            "in",    "limit", "offset", "returning"};
        int depth = 0;
        int cases = 0;
        for (; i < e; ++i) {
            const Token& tok = t_[i];
            if (tok.kind == TokenKind::End)
                return i;
            if (tok.IsOp("(")) {
                ++depth;
                continue;
            }
            if (tok.IsOp(")")) {
                if (depth == 0)
                    return i;
                --depth;
                continue;
            }
            if (depth > 0)
                continue;
            if (tok.IsWord("case")) {
                ++cases;
                continue;
            }
            if (tok.IsWord("end")) {
                if (cases == 0)
                    return i;
                --cases;
                continue;
            }
            if (cases > 0)
                continue;
            if (tok.kind == TokenKind::Operator && !tok.IsOp("||") && !tok.IsOp("+") && !tok.IsOp("-")
                && !tok.IsOp("*") && !tok.IsOp("/") && !tok.IsOp("."))
                return i;
            if (tok.kind == TokenKind::Identifier)
                for (const char* w : stops)
                    if (tok.IsWord(w))
                        return i;
        }
        return i;
    }

    // Argument token ranges of a call whose parentheses are at open and close.
    QVector<QPair<int, int>> Args(int open, int close) const
    {
        QVector<QPair<int, int>> args;
        int depth = 0;
        int start = open + 1;
        for (int i = open + 1; i < close; ++i) {
            if (t_[i].IsOp("("))
                ++depth;
            else if (t_[i].IsOp(")"))
                --depth;
            else if (depth == 0 && t_[i].IsOp(",")) {
                args.push_back({start, i});
                start = i + 1;
            }
        }
        if (start < close || !args.isEmpty())
            args.push_back({start, close});
        return args;
    }

    QString ToDate(int open, int close)
    {
        const auto args = Args(open, close);
        if (args.size() < 1 || args.size() > 2)
            Fail(QStringLiteral("to_date takes a text and a format"));
        auto isLiteral = [&](QPair<int, int> a) { return a.second == a.first + 1 && t_[a.first].kind == TokenKind::String; };
        const QString defaultFormat = QStringLiteral("YYYY-MM-DD HH24:MI:SS");
        if (isLiteral(args[0]) && (args.size() == 1 || isLiteral(args[1]))) {
            const QString text = t_[args[0].first].text;
            const QString format = args.size() == 2 ? t_[args[1].first].text : defaultFormat;
            if (text.trimmed().isEmpty())
                return QStringLiteral("NULL"); // Oracle's empty text is null
            const auto dt = platform::ParseOracleDate(text, format);
            if (!dt)
                Fail(QStringLiteral("to_date: '%1' is not a valid date for the format '%2'").arg(text, format));
            return rules_.DateConstant(platform::CanonicalDateText(*dt));
        }
        const QString value = Range(args[0].first, args[0].second);
        const QString format = args.size() == 2 ? Range(args[1].first, args[1].second) : u'\'' + defaultFormat + u'\'';
        return rules_.ToDate(value, format);
    }

    // Handles the identifier at i; returns the index of the last token consumed.
    int Identifier(QString& out, int i, int e)
    {
        const Token& tok = t_[i];
        const bool call = IsOpAt(i + 1, e, "(");
        const bool qualified = i > 0 && t_[i - 1].IsOp(".");
        if (!qualified && call && tok.IsWord("mod")) {
            // Oracle's mod(x, 0) is x, where SQLite gives null and PostgreSQL refuses: both
            // engines have jxc_mod, which gives x.
            Emit(out, tok, QStringLiteral("jxc_mod"));
            return i;
        }
        if (!qualified && tok.IsWord("like")) {
            const QString noEscape = rules_.LikeWithoutEscape();
            const int end = noEscape.isEmpty() ? -1 : PatternEnd(i + 1, e);
            if (end > i + 1 && !(end < e && t_[end].IsWord("escape"))) {
                Emit(out, tok, tok.text + u' ' + Range(i + 1, end) + u' ' + noEscape);
                return end - 1;
            }
        }
        if (!qualified && call && tok.IsWord("nvl")) {
            Emit(out, tok, QStringLiteral("coalesce"));
            return i;
        }
        if (!qualified && call && tok.IsWord("to_date")) {
            const int close = MatchParen(i + 1, e);
            Emit(out, tok, ToDate(i + 1, close));
            return close;
        }
        if (!qualified && !call && tok.IsWord("sysdate")) {
            Emit(out, tok, rules_.Sysdate());
            return i;
        }
        if (tok.IsWord("from") && i + 1 < e && t_[i + 1].IsWord("dual") && !IsOpAt(i + 2, e, ".")) {
            // Both engines select without a from clause.
            return i + 1;
        }
        if (!qualified && IsOpAt(i + 1, e, ".") && i + 2 < e
            && (t_[i + 2].IsWord("nextval") || t_[i + 2].IsWord("currval"))) {
            const bool next = t_[i + 2].IsWord("nextval");
            usesSequence = usesSequence || next;
            Emit(out, tok, rules_.SequenceValue(tok.text, next));
            return i + 2;
        }
        Emit(out, tok, tok.text);
        return i;
    }
};

struct Cache {
    QMutex mutex;
    std::unordered_map<QString, Translation> map[2]; // by Engine
};

Cache& TheCache()
{
    static Cache c;
    return c;
}

constexpr size_t MaxCached = 4096;

Translation DoTranslate(const QString& oracleSql, Engine engine)
{
    const QVector<Token> tokens = Tokenize(oracleSql);
    int end = int(tokens.size()) - 1; // the End token
    // A trailing ';' is harmless; Oracle's clients accept it from scripts.
    while (end > 0 && tokens[end - 1].IsOp(";"))
        --end;
    if (end == 0)
        Fail(QStringLiteral("Empty SQL statement"));
    Rewriter r(tokens, RulesFor(engine));
    Translation t;
    t.text = r.Range(0, end);
    t.usesSequence = r.usesSequence;
    return t;
}

} // namespace

QString Translate(const QString& oracleSql, Engine engine)
{
    return DoTranslate(oracleSql, engine).text;
}

Translation TranslateCached(const QString& oracleSql, Engine engine)
{
    Cache& c = TheCache();
    auto& map = c.map[size_t(engine)];
    {
        QMutexLocker lock(&c.mutex);
        auto it = map.find(oracleSql);
        if (it != map.end())
            return it->second;
    }
    Translation t = DoTranslate(oracleSql, engine);
    t.text = OwnedText(t.text);
    QMutexLocker lock(&c.mutex);
    if (map.size() >= MaxCached)
        map.clear(); // statements built with literals are endless; keep the cache bounded
    map.emplace(OwnedText(oracleSql), t);
    return t;
}

qint64 Execute(Connection& c, const QString& oracleSql, const QVector<QVariant>& params, RowSink* sink)
{
    return ExecuteTranslated(c, TranslateCached(oracleSql, c.GetEngine()).text, oracleSql, params, sink);
}

qint64 ExecuteTranslated(Connection& c, const QString& nativeSql, const QString& oracleSql,
                         const QVector<QVariant>& params, RowSink* sink)
{
    try {
        return c.ExecNative(nativeSql, params, sink);
    } catch (const platform::EDatabaseError& e) {
        // The user sees the engine's words and the statement they came from.
        QString stmt = oracleSql.trimmed();
        if (stmt.size() > 1000)
            stmt = stmt.left(1000) + QStringLiteral(" ...");
        throw platform::EDatabaseError(e.Message() + QStringLiteral("\nSQL: ") + stmt);
    }
}

ParamKind KindOfParam(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return ParamKind::Null;
    const QMetaType type = v.metaType();
    if (type == QMetaType::fromType<platform::Currency>())
        return ParamKind::Currency;
    switch (type.id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return ParamKind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return ParamKind::Float;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return ParamKind::DateTime;
    case QMetaType::QByteArray:
        return ParamKind::Bytes;
    default:
        return ParamKind::Text;
    }
}

QString ParamDateText(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QDate)
        return platform::CanonicalDateText(QDateTime(v.toDate(), QTime(0, 0)));
    return platform::CanonicalDateText(v.toDateTime());
}

} // namespace host::db
