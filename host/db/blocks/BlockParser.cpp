#include "host/db/blocks/BlockParser.h"

#include "host/db/blocks/SqlTokenizer.h"
#include "platform/core/Exception.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>

namespace host::db::plsql {

namespace {

const CursorDecl* CursorIn(const Block& b, int index);

const CursorDecl* CursorIn(const Stmt& s, int index)
{
    if (s.block)
        if (const CursorDecl* found = CursorIn(*s.block, index))
            return found;
    for (const StmtList& list : s.branches)
        for (const auto& inner : list)
            if (const CursorDecl* found = CursorIn(*inner, index))
                return found;
    return nullptr;
}

const CursorDecl* CursorIn(const Block& b, int index)
{
    for (const CursorDecl& c : b.cursors)
        if (c.index == index)
            return &c;
    for (const auto& s : b.body)
        if (const CursorDecl* found = CursorIn(*s, index))
            return found;
    return nullptr;
}

} // namespace

const CursorDecl* Program::CursorDeclaration(int index) const
{
    return CursorIn(root, index);
}

int Program::LineOf(int pos) const
{
    const auto it = std::upper_bound(lineStarts.begin(), lineStarts.end(), pos);
    return int(it - lineStarts.begin());
}

QString Program::Excerpt(int pos, int length) const
{
    QString s = source.mid(pos, length).simplified();
    constexpr int maxChars = 300;
    if (s.size() > maxChars)
        s = s.left(maxChars) + QStringLiteral(" ...");
    return s;
}

namespace {

// Words that end or structure statements; never taken for a variable or a function.
const QSet<QString>& Reserved()
{
    static const QSet<QString> words = {
        QStringLiteral("begin"), QStringLiteral("end"), QStringLiteral("declare"), QStringLiteral("if"),
        QStringLiteral("then"), QStringLiteral("else"), QStringLiteral("elsif"), QStringLiteral("loop"),
        QStringLiteral("while"), QStringLiteral("for"), QStringLiteral("exit"), QStringLiteral("when"),
        QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("is"),
        QStringLiteral("null"), QStringLiteral("in"), QStringLiteral("like"), QStringLiteral("between"),
        QStringLiteral("select"), QStringLiteral("insert"), QStringLiteral("update"), QStringLiteral("delete"),
        QStringLiteral("from"), QStringLiteral("where"), QStringLiteral("into"), QStringLiteral("values"),
        QStringLiteral("open"), QStringLiteral("fetch"), QStringLiteral("close"), QStringLiteral("cursor"),
        QStringLiteral("return"), QStringLiteral("exception"), QStringLiteral("true"), QStringLiteral("false"),
        QStringLiteral("sql"), QStringLiteral("set"), QStringLiteral("as"), QStringLiteral("case"),
        QStringLiteral("constant"), QStringLiteral("default"), QStringLiteral("continue"),
        QStringLiteral("reverse"), QStringLiteral("using"), QStringLiteral("escape"),
    };
    return words;
}

// Functions the interpreter evaluates itself, with their argument counts (-1: any number).
struct LocalFunction {
    int minArgs;
    int maxArgs;
};

const QHash<QString, LocalFunction>& LocalFunctions()
{
    static const QHash<QString, LocalFunction> table = {
        {QStringLiteral("nvl"), {2, 2}},      {QStringLiteral("nvl2"), {3, 3}},
        {QStringLiteral("coalesce"), {1, -1}}, {QStringLiteral("upper"), {1, 1}},
        {QStringLiteral("lower"), {1, 1}},    {QStringLiteral("length"), {1, 1}},
        {QStringLiteral("substr"), {2, 3}},   {QStringLiteral("instr"), {2, 2}},
        {QStringLiteral("trim"), {1, 1}},     {QStringLiteral("ltrim"), {1, 1}},
        {QStringLiteral("rtrim"), {1, 1}},    {QStringLiteral("replace"), {2, 3}},
        {QStringLiteral("concat"), {2, 2}},   {QStringLiteral("abs"), {1, 1}},
        {QStringLiteral("round"), {1, 2}},    {QStringLiteral("trunc"), {1, 2}},
        {QStringLiteral("mod"), {2, 2}},      {QStringLiteral("floor"), {1, 1}},
        {QStringLiteral("ceil"), {1, 1}},     {QStringLiteral("sign"), {1, 1}},
        {QStringLiteral("greatest"), {1, -1}}, {QStringLiteral("least"), {1, -1}},
        {QStringLiteral("to_char"), {1, 1}},  {QStringLiteral("to_number"), {1, 1}},
    };
    return table;
}

// Values the engine supplies (server time and the like): a lone word evaluated by the engine.
bool IsEngineWord(const Token& t)
{
    return t.IsWord("sysdate") || t.IsWord("systimestamp") || t.IsWord("current_date")
        || t.IsWord("current_timestamp") || t.IsWord("user") || t.IsWord("uid");
}

// Deeper nesting than any real block is refused before it can exhaust the stack.
constexpr int MaxNesting = 200;

struct Scope {
    QHash<QString, int> vars;
    QHash<QString, int> cursors;
};

class Parser {
public:
    explicit Parser(const QString& text)
        : prog_(std::make_shared<Program>())
        , lex_(prog_->source)
    {
        // The program may outlive the caller's text (the block cache keeps it), and a module's
        // literal goes when the module is unloaded: the source is kept in memory of its own.
        prog_->source = text.data_ptr().isMutable() ? text : QString(text.constData(), text.size());
        prog_->lineStarts.push_back(0);
        for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', i + 1))
            prog_->lineStarts.push_back(int(i) + 1);
    }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    std::shared_ptr<const Program> Run()
    {
        const bool declare = At().IsWord("declare");
        if (!declare && !At().IsWord("begin"))
            Fail(p_, QStringLiteral("PLS-00103: a block starts with BEGIN or DECLARE"));
        ParseBlockInto(prog_->root, declare, true);
        if (At().IsOp("/"))
            ++p_;
        if (At().kind != TokenKind::End)
            Fail(p_, QStringLiteral("PLS-00103: Encountered the symbol \"%1\" after the end of the block").arg(Shown(At())));
        return prog_;
    }

private:
    // Counts one level of nesting for the scope of a parse function.
    class Nest {
    public:
        Nest(Parser& p) : p_(p)
        {
            if (++p_.depth_ > MaxNesting)
                p_.Fail(p_.p_, QStringLiteral("PLS-00123: program too large (nested more than %1 levels deep)").arg(MaxNesting));
        }
        ~Nest() { --p_.depth_; }

    private:
        Parser& p_;
    };

    // ---- tokens

    // Tokens are read from the text as the parser reaches them, so that statements matched by
    // their shape (RepeatOfShape) are never split into tokens. A deque keeps the tokens already
    // handed out where they are while more are read.
    const Token& At(int ahead = 0) const { return Tok(p_ + ahead); }
    const Token& Tok(int i) const
    {
        if (i >= 0 && i < int(t_.size()))
            return t_[size_t(i)];
        while (i >= int(t_.size()) && !lexedAll_) {
            t_.push_back(lex_.Next());
            lexedAll_ = t_.back().kind == TokenKind::End;
        }
        return t_[size_t(std::clamp(i, 0, int(t_.size()) - 1))];
    }
    bool Word(const char* w, int ahead = 0) const { return At(ahead).IsWord(w); }
    bool Op(const char* o, int ahead = 0) const { return At(ahead).IsOp(o); }

    static QString Shown(const Token& t)
    {
        return t.kind == TokenKind::End ? QStringLiteral("end-of-file") : TokenText(t);
    }

    [[noreturn]] void Fail(int tokenIndex, const QString& what) const
    {
        const Token& t = Tok(tokenIndex);
        const int line = prog_->LineOf(t.pos);
        const int column = t.pos - prog_->lineStarts[line - 1] + 1;
        throw platform::EDatabaseError(
            QStringLiteral("ORA-06550: line %1, column %2:\n%3").arg(line).arg(column).arg(what));
    }
    [[noreturn]] void Expected(const QString& what) const
    {
        Fail(p_, QStringLiteral("PLS-00103: Encountered the symbol \"%1\" when expecting %2")
                     .arg(Shown(At()), what));
    }
    void ExpectWord(const char* w)
    {
        if (!Word(w))
            Expected(QString::fromLatin1(w).toUpper());
        ++p_;
    }
    void ExpectOp(const char* o)
    {
        if (!Op(o))
            Expected(QStringLiteral("\"%1\"").arg(QLatin1String(o)));
        ++p_;
    }
    QString ExpectName()
    {
        if (At().kind != TokenKind::Identifier || Reserved().contains(At().text.toLower()))
            Expected(QStringLiteral("an identifier"));
        return Tok(p_++).text;
    }
    int EndPos(int tokenIndex) const { return Tok(tokenIndex).pos + Tok(tokenIndex).length; }

    // ---- names

    int FindVar(const QString& name) const
    {
        // Most blocks declare nothing: no name to lower for each word of their statements.
        if (std::all_of(scopes_.begin(), scopes_.end(), [](const auto& s) { return s.vars.isEmpty(); }))
            return -1;
        const QString key = name.toLower();
        for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
            const auto f = it->vars.constFind(key);
            if (f != it->vars.constEnd())
                return *f;
        }
        return -1;
    }
    int FindCursor(const QString& name) const
    {
        const QString key = name.toLower();
        for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
            const auto f = it->cursors.constFind(key);
            if (f != it->cursors.constEnd())
                return *f;
        }
        return -1;
    }
    int VarAt(int tokenIndex) const
    {
        const Token& t = Tok(tokenIndex);
        return t.kind == TokenKind::Identifier ? FindVar(t.text) : -1;
    }
    void Declare(int tokenIndex, const QString& name)
    {
        const QString key = name.toLower();
        Scope& s = scopes_.back();
        if (s.vars.contains(key) || s.cursors.contains(key))
            Fail(tokenIndex, QStringLiteral("PLS-00371: at most one declaration for '%1' is permitted").arg(name.toUpper()));
    }

    // ---- blocks and declarations

    void ParseBlockInto(Block& block, bool declare, bool outermost)
    {
        scopes_.push_back({});
        ++scopeGeneration_;
        if (declare) {
            ++p_;
            ParseDeclarations(block);
        }
        ExpectWord("begin");
        block.body = ParseStatements();
        if (Word("exception"))
            Fail(p_, QStringLiteral("PLS-00103: exception handlers are not supported in blocks sent to this database"));
        ExpectWord("end");
        if (At().kind == TokenKind::Identifier && !Reserved().contains(At().text.toLower()))
            ++p_; // the block's label
        // A last ";" left off the outermost block is forgiven.
        if (!outermost || At().kind != TokenKind::End)
            ExpectOp(";");
        scopes_.pop_back();
        ++scopeGeneration_;
    }

    void ParseDeclarations(Block& block)
    {
        while (!Word("begin")) {
            if (At().kind == TokenKind::End)
                Expected(QStringLiteral("BEGIN"));
            if (Word("cursor")) {
                ParseCursor(block);
                continue;
            }
            if (Word("pragma") || Word("type") || Word("subtype") || Word("procedure") || Word("function"))
                Fail(p_, QStringLiteral("PLS-00103: \"%1\" declarations are not supported in blocks sent to this database")
                             .arg(At().text.toUpper()));
            const int nameAt = p_;
            const QString name = ExpectName();
            Declare(nameAt, name);
            SlotInfo info;
            info.name = name;
            if (Word("constant")) {
                info.constant = true;
                ++p_;
            }
            if (Word("exception"))
                Fail(p_, QStringLiteral("PLS-00103: user-defined exceptions are not supported in blocks sent to this database"));
            info.type = ParseType();
            if (Word("not") && Word("null", 1)) {
                info.notNull = true;
                p_ += 2;
            }
            VarDecl decl;
            if (Op(":=") || Word("default")) {
                ++p_;
                decl.init = ParseExpr();
            } else if (info.constant || info.notNull) {
                Fail(p_, QStringLiteral("PLS-00218: a variable declared NOT NULL must have an initialization assignment"));
            }
            ExpectOp(";");
            decl.slot = int(prog_->vars.size());
            prog_->vars.push_back(info);
            scopes_.back().vars.insert(name.toLower(), decl.slot);
            ++scopeGeneration_;
            block.vars.push_back(std::move(decl));
        }
    }

    void ParseCursor(Block& block)
    {
        const int start = p_;
        ++p_;
        const int nameAt = p_;
        const QString name = ExpectName();
        Declare(nameAt, name);
        if (Op("("))
            Fail(p_, QStringLiteral("PLS-00103: cursor parameters are not supported in blocks sent to this database"));
        if (!Word("is") && !Word("as"))
            Expected(QStringLiteral("IS"));
        ++p_;
        if (!Word("select") && !Word("with") && !Op("("))
            Expected(QStringLiteral("SELECT"));
        const int from = p_;
        const int to = StatementEnd();
        CursorDecl c;
        c.index = int(prog_->cursorNames.size());
        c.pos = Tok(start).pos;
        c.length = EndPos(to - 1) - c.pos;
        c.query = BuildSql(from, to);
        p_ = to + 1;
        prog_->cursorNames.push_back(name);
        scopes_.back().cursors.insert(name.toLower(), c.index);
        ++scopeGeneration_;
        block.cursors.push_back(std::move(c));
    }

    VarType ParseType()
    {
        VarType type;
        const int at = p_;
        if (At().kind != TokenKind::Identifier)
            Expected(QStringLiteral("a type"));
        // name%type, table.column%type: the value keeps whatever type it is given
        if (Op("%", 1) || Op(".", 1)) {
            const int var = VarAt(p_);
            ++p_;
            while (Op(".") && At(1).kind == TokenKind::Identifier)
                p_ += 2;
            if (!Op("%"))
                Expected(QStringLiteral("%TYPE"));
            ++p_;
            if (Word("rowtype"))
                Fail(p_, QStringLiteral("PLS-00103: %ROWTYPE is not supported in blocks sent to this database"));
            ExpectWord("type");
            if (var >= 0)
                type = prog_->vars[var].type;
            return type;
        }
        const QString w = Tok(p_++).text.toLower();
        auto intArg = [&]() -> int {
            if (At().kind != TokenKind::Number)
                Expected(QStringLiteral("a number"));
            bool ok = false;
            const int v = Tok(p_++).text.toInt(&ok);
            if (!ok)
                Fail(p_ - 1, QStringLiteral("PLS-00103: a whole number is expected"));
            return v;
        };
        static const QSet<QString> integers = {
            QStringLiteral("integer"), QStringLiteral("int"), QStringLiteral("smallint"),
            QStringLiteral("pls_integer"), QStringLiteral("binary_integer"), QStringLiteral("natural"),
            QStringLiteral("naturaln"), QStringLiteral("positive"), QStringLiteral("positiven"),
            QStringLiteral("signtype"), QStringLiteral("simple_integer"),
        };
        if (integers.contains(w)) {
            type.kind = VarType::Kind::Integer;
            type.scale = 0;
        } else if (w == u"number" || w == u"numeric" || w == u"decimal" || w == u"dec") {
            type.kind = VarType::Kind::Number;
            // Oracle: NUMBER alone floats, DECIMAL/NUMERIC alone are whole numbers.
            type.scale = (w == u"number") ? -1 : 0;
            if (Op("(")) {
                ++p_;
                if (Op("*"))
                    ++p_;
                else
                    type.precision = intArg();
                type.scale = 0;
                if (Op(",")) {
                    ++p_;
                    const bool minus = Op("-");
                    if (minus)
                        ++p_;
                    type.scale = minus ? -intArg() : intArg();
                }
                ExpectOp(")");
                if (type.precision < 0 || type.precision > 38)
                    Fail(at, QStringLiteral("PLS-00216: NUMBER precision constraint must be in range (1 .. 38)"));
            }
        } else if (w == u"float" || w == u"real" || w == u"binary_float" || w == u"binary_double") {
            type.kind = VarType::Kind::Number;
            if (Op("(")) {
                ++p_;
                intArg();
                ExpectOp(")");
            }
        } else if (w == u"double") {
            ExpectWord("precision");
            type.kind = VarType::Kind::Number;
        } else if (w == u"varchar" || w == u"varchar2" || w == u"nvarchar2" || w == u"string"
                   || w == u"char" || w == u"nchar" || w == u"character") {
            const bool fixed = (w == u"char" || w == u"nchar" || w == u"character");
            type.kind = fixed ? VarType::Kind::Char : VarType::Kind::Varchar;
            if (fixed)
                type.length = 1;
            if (Op("(")) {
                ++p_;
                type.length = intArg();
                if (Word("byte") || Word("char"))
                    ++p_;
                ExpectOp(")");
                if (type.length < 1 || type.length > 32767)
                    Fail(at, QStringLiteral("PLS-00215: String length constraints must be in range (1 .. 32767)"));
            }
        } else if (w == u"long" || w == u"clob" || w == u"nclob") {
            type.kind = VarType::Kind::Varchar;
        } else if (w == u"date" || w == u"timestamp") {
            type.kind = VarType::Kind::Date;
            if (w == u"timestamp" && Op("(")) {
                ++p_;
                intArg();
                ExpectOp(")");
            }
        } else if (w == u"boolean") {
            type.kind = VarType::Kind::Boolean;
        } else {
            Fail(at, QStringLiteral("PLS-00201: identifier '%1' must be declared").arg(w.toUpper()));
        }
        return type;
    }

    // ---- statements

    // Index of the ";" that ends the SQL statement starting at p_ (outside parentheses).
    int StatementEnd() const
    {
        int depth = 0;
        for (int i = p_;; ++i) {
            const Token& t = Tok(i);
            if (t.kind == TokenKind::End)
                break;
            if (t.IsOp("("))
                ++depth;
            else if (t.IsOp(")"))
                depth = std::max(0, depth - 1);
            else if (t.IsOp(";") && depth == 0)
                return i;
        }
        Fail(p_, QStringLiteral("PLS-00103: Encountered the symbol \"end-of-file\" when expecting \";\""));
    }

    StmtList ParseStatements()
    {
        StmtList list;
        for (;;) {
            if (Word("end") || Word("else") || Word("elsif") || Word("exception") || At().kind == TokenKind::End)
                return list;
            list.push_back(ParseStatement());
        }
    }

    std::unique_ptr<Stmt> NewStmt(Stmt::Kind kind, int start)
    {
        auto s = std::make_unique<Stmt>();
        s->kind = kind;
        s->pos = Tok(start).pos;
        return s;
    }
    // The message source runs from the statement's first token to the last one consumed.
    void Finish(Stmt& s, int lastToken) { s.length = EndPos(lastToken) - s.pos; }

    std::unique_ptr<Stmt> ParseStatement()
    {
        const Nest nest(*this);
        const int start = p_;
        // The lines of a bill first: no other statement starts with INSERT.
        if (shape_.from >= 0 && Word("insert"))
            if (auto repeat = RepeatOfShape(start))
                return repeat;
        if (Word("begin") || Word("declare")) {
            auto s = NewStmt(Stmt::Kind::Block, start);
            s->block = std::make_unique<Block>();
            ParseBlockInto(*s->block, Word("declare"), false);
            Finish(*s, start);
            return s;
        }
        if (Word("if"))
            return ParseIf();
        if (Word("while")) {
            auto s = NewStmt(Stmt::Kind::While, start);
            ++p_;
            s->exprs.push_back(ParseCondition());
            Finish(*s, p_);
            ExpectWord("loop");
            s->branches.push_back(ParseLoopBody());
            return s;
        }
        if (Word("loop")) {
            auto s = NewStmt(Stmt::Kind::Loop, start);
            Finish(*s, p_);
            ++p_;
            s->branches.push_back(ParseLoopBody());
            return s;
        }
        if (Word("for"))
            return ParseFor();
        if (Word("exit") || Word("continue")) {
            auto s = NewStmt(Word("exit") ? Stmt::Kind::Exit : Stmt::Kind::Continue, start);
            ++p_;
            if (loopDepth_ == 0)
                Fail(start, QStringLiteral("PLS-00376: illegal EXIT/CONTINUE statement; it must appear inside a loop"));
            if (Word("when")) {
                ++p_;
                s->exprs.push_back(ParseCondition());
            }
            Finish(*s, p_ - 1);
            ExpectOp(";");
            return s;
        }
        if (Word("null") && Op(";", 1)) {
            auto s = NewStmt(Stmt::Kind::Null, start);
            p_ += 2;
            Finish(*s, start);
            return s;
        }
        if (Word("return")) {
            auto s = NewStmt(Stmt::Kind::Return, start);
            ++p_;
            Finish(*s, start);
            ExpectOp(";");
            return s;
        }
        if (Word("open") || Word("close")) {
            auto s = NewStmt(Word("open") ? Stmt::Kind::Open : Stmt::Kind::Close, start);
            ++p_;
            s->cursor = CursorName();
            Finish(*s, p_ - 1);
            ExpectOp(";");
            return s;
        }
        if (Word("fetch")) {
            auto s = NewStmt(Stmt::Kind::Fetch, start);
            ++p_;
            s->cursor = CursorName();
            if (Word("bulk"))
                Fail(p_, QStringLiteral("PLS-00103: BULK COLLECT is not supported in blocks sent to this database"));
            ExpectWord("into");
            s->into = IntoList();
            Finish(*s, p_ - 1);
            ExpectOp(";");
            return s;
        }
        if (Word("select") || Word("with"))
            return ParseSelectInto();
        if (Word("insert") || Word("update") || Word("delete") || Word("merge")) {
            auto s = NewStmt(Stmt::Kind::Sql, start);
            const int end = StatementEnd();
            s->sql = BuildSql(start, end);
            Finish(*s, end - 1);
            RememberShape(start, end, s->sql);
            p_ = end + 1;
            return s;
        }
        if (Word("commit") || Word("rollback") || Word("savepoint"))
            Fail(start, QStringLiteral("PLS-00103: %1 is not allowed inside a block: the block runs as one transaction")
                            .arg(At().text.toUpper()));
        if (Word("raise_application_error"))
            return ParseRaise();
        if (Word("raise"))
            Fail(start, QStringLiteral("PLS-00103: RAISE is not supported in blocks sent to this database; use RAISE_APPLICATION_ERROR"));
        if (Word("execute") && Word("immediate", 1))
            return ParseExecImmediate();
        if (Word("dbms_output") && Op(".", 1)) {
            // No client reads the output buffer here: the arguments are evaluated, nothing shown.
            auto s = NewStmt(Stmt::Kind::Output, start);
            p_ += 2;
            ExpectName();
            if (Op("(")) {
                ++p_;
                if (!Op(")")) {
                    s->exprs.push_back(ParseExpr());
                    while (Op(",")) {
                        ++p_;
                        s->exprs.push_back(ParseExpr());
                    }
                }
                ExpectOp(")");
            }
            Finish(*s, p_ - 1);
            ExpectOp(";");
            return s;
        }
        if (At().kind == TokenKind::Identifier && Op(":=", 1)) {
            auto s = NewStmt(Stmt::Kind::Assign, start);
            s->slot = VarAt(p_);
            if (s->slot < 0)
                Fail(p_, QStringLiteral("PLS-00201: identifier '%1' must be declared").arg(At().text.toUpper()));
            if (prog_->vars[s->slot].constant || forCounters_.contains(s->slot))
                Fail(p_, QStringLiteral("PLS-00363: expression '%1' cannot be used as an assignment target").arg(At().text.toUpper()));
            p_ += 2;
            s->exprs.push_back(ParseExpr());
            Finish(*s, p_ - 1);
            ExpectOp(";");
            return s;
        }
        if (At().kind == TokenKind::Identifier && !Reserved().contains(At().text.toLower()))
            Fail(p_, QStringLiteral("PLS-00201: identifier '%1' must be declared").arg(At().text.toUpper()));
        Expected(QStringLiteral("a statement"));
    }

    int CursorName()
    {
        const int at = p_;
        const QString name = ExpectName();
        const int c = FindCursor(name);
        if (c < 0)
            Fail(at, QStringLiteral("PLS-00201: identifier '%1' must be declared").arg(name.toUpper()));
        return c;
    }

    std::vector<int> IntoList()
    {
        std::vector<int> into;
        for (;;) {
            const int at = p_;
            if (At().kind != TokenKind::Identifier)
                Expected(QStringLiteral("a variable"));
            const int slot = VarAt(p_);
            if (slot < 0)
                Fail(at, QStringLiteral("PLS-00201: identifier '%1' must be declared").arg(At().text.toUpper()));
            if (prog_->vars[slot].constant || forCounters_.contains(slot))
                Fail(at, QStringLiteral("PLS-00403: expression '%1' cannot be used as an INTO-target").arg(At().text.toUpper()));
            ++p_;
            into.push_back(slot);
            if (!Op(","))
                return into;
            ++p_;
        }
    }

    StmtList ParseLoopBody()
    {
        ++loopDepth_;
        StmtList body = ParseStatements();
        --loopDepth_;
        ExpectWord("end");
        ExpectWord("loop");
        if (At().kind == TokenKind::Identifier && !Reserved().contains(At().text.toLower()))
            ++p_; // label
        ExpectOp(";");
        return body;
    }

    std::unique_ptr<Stmt> ParseIf()
    {
        auto s = NewStmt(Stmt::Kind::If, p_);
        ++p_;
        s->exprs.push_back(ParseCondition());
        Finish(*s, p_);
        ExpectWord("then");
        s->branches.push_back(ParseStatements());
        while (Word("elsif")) {
            ++p_;
            s->exprs.push_back(ParseCondition());
            ExpectWord("then");
            s->branches.push_back(ParseStatements());
        }
        if (Word("else")) {
            ++p_;
            s->branches.push_back(ParseStatements());
        }
        ExpectWord("end");
        ExpectWord("if");
        ExpectOp(";");
        return s;
    }

    std::unique_ptr<Stmt> ParseFor()
    {
        auto s = NewStmt(Stmt::Kind::ForRange, p_);
        ++p_;
        const QString name = ExpectName();
        ExpectWord("in");
        if (Word("reverse")) {
            s->reverse = true;
            ++p_;
        }
        if (Op("(") || (At().kind == TokenKind::Identifier && FindCursor(At().text) >= 0 && Word("loop", 1)))
            Fail(p_, QStringLiteral("PLS-00103: cursor FOR loops are not supported in blocks sent to this database; use OPEN, FETCH and CLOSE"));
        s->exprs.push_back(ParseExpr());
        ExpectOp("..");
        s->exprs.push_back(ParseExpr());
        Finish(*s, p_);
        ExpectWord("loop");
        // The counter lives in its own scope, read-only, for the loop's body.
        scopes_.push_back({});
        ++scopeGeneration_;
        SlotInfo info;
        info.name = name;
        info.type.kind = VarType::Kind::Integer;
        info.type.scale = 0;
        s->slot = int(prog_->vars.size());
        prog_->vars.push_back(info);
        scopes_.back().vars.insert(name.toLower(), s->slot);
        ++scopeGeneration_;
        forCounters_.insert(s->slot);
        s->branches.push_back(ParseLoopBody());
        forCounters_.remove(s->slot);
        scopes_.pop_back();
        ++scopeGeneration_;
        return s;
    }

    std::unique_ptr<Stmt> ParseSelectInto()
    {
        const int start = p_;
        auto s = NewStmt(Stmt::Kind::SelectInto, start);
        const int end = StatementEnd();
        // The INTO clause: the first "into" outside parentheses.
        int intoAt = -1;
        int depth = 0;
        for (int i = start; i < end; ++i) {
            if (Tok(i).IsOp("("))
                ++depth;
            else if (Tok(i).IsOp(")"))
                --depth;
            else if (depth == 0 && Tok(i).IsWord("into")) {
                intoAt = i;
                break;
            }
        }
        if (intoAt < 0)
            Fail(start, QStringLiteral("PLS-00428: an INTO clause is expected in this SELECT statement"));
        p_ = intoAt + 1;
        s->into = IntoList();
        if (!Word("from"))
            Expected(QStringLiteral("FROM"));
        s->sql = BuildSql(start, end, intoAt, p_);
        Finish(*s, end - 1);
        p_ = end + 1;
        return s;
    }

    std::unique_ptr<Stmt> ParseRaise()
    {
        auto s = NewStmt(Stmt::Kind::Raise, p_);
        ++p_;
        ExpectOp("(");
        s->exprs.push_back(ParseExpr());
        ExpectOp(",");
        s->exprs.push_back(ParseExpr());
        if (Op(",")) { // keep-errors flag: there is no error stack to keep
            ++p_;
            ParseExpr();
        }
        ExpectOp(")");
        Finish(*s, p_ - 1);
        ExpectOp(";");
        return s;
    }

    std::unique_ptr<Stmt> ParseExecImmediate()
    {
        auto s = NewStmt(Stmt::Kind::ExecImmediate, p_);
        p_ += 2;
        s->exprs.push_back(ParseExpr());
        if (Word("into"))
            Fail(p_, QStringLiteral("PLS-00103: EXECUTE IMMEDIATE ... INTO is not supported in blocks sent to this database"));
        if (Word("using")) {
            ++p_;
            do {
                if (Op(","))
                    ++p_;
                if (Word("in"))
                    ++p_;
                s->exprs.push_back(ParseExpr());
            } while (Op(","));
        }
        Finish(*s, p_ - 1);
        ExpectOp(";");
        return s;
    }

    // ---- statements of one shape

    // A bill's save sends a thousand inserts that differ only in their values. The last insert
    // parsed with lone values in its VALUES list is kept as a shape: its source, and where its
    // lone texts and numbers stand. A statement whose text is the same outside those literals,
    // and whose literals there are of the same kinds, has the same tokens but for the literals,
    // so it parses to the same statement with other values, and is matched against the text
    // instead of being parsed.
    struct Shape {
        int from = -1, textEnd = 0, end = 0; // the statement, its SQL text's end, past its ";"
        quint64 scope = 0;                   // the names in scope when it was parsed
        std::vector<ValueMark> marks;        // as the statement's, in the source
        std::vector<char16_t> firsts;        // each mark's first character: a quote, a point or a digit
    };

    void RememberShape(int start, int end, const SqlText& sql)
    {
        shape_.from = -1;
        // Only statements binding no variable: their text is their source as it stands.
        if (sql.marks.empty() || !sql.binds.isEmpty() || !Tok(end).IsOp(";"))
            return;
        const int from = Tok(start).pos;
        shape_.textEnd = EndPos(end - 1);
        shape_.marks = sql.marks;
        shape_.firsts.clear();
        for (ValueMark& m : shape_.marks) {
            m.pos += from;
            shape_.firsts.push_back(prog_->source.at(m.pos).unicode());
        }
        if (shape_.marks.back().pos + shape_.marks.back().length > shape_.textEnd)
            return;
        shape_.from = from;
        shape_.end = EndPos(end);
        shape_.scope = scopeGeneration_;
    }

    // The statement at token start parsed by its likeness to the last shape, or null.
    std::unique_ptr<Stmt> RepeatOfShape(int start)
    {
        // Only the statement's first token may have been read: the rest is not split up.
        if (shape_.from < 0 || shape_.scope != scopeGeneration_ || int(t_.size()) != start + 1 || lexedAll_)
            return nullptr;
        const QString& src = prog_->source;
        const char16_t* c = reinterpret_cast<const char16_t*>(src.constData());
        const int n = int(src.size());
        const int from = Tok(start).pos;
        int q = from, tp = shape_.from;
        auto same = [&](int length) {
            if (length < 0 || q + length > n || std::memcmp(c + q, c + tp, size_t(length) * sizeof(char16_t)) != 0)
                return false;
            q += length;
            tp += length;
            return true;
        };
        std::vector<ValueMark> marks;
        marks.reserve(shape_.marks.size());
        for (size_t k = 0; k < shape_.marks.size(); ++k) {
            const ValueMark& m = shape_.marks[k];
            if (!same(m.pos - tp) || q >= n)
                return nullptr;
            if (m.kind == ValueMark::Kind::Now) { // sysdate as it stands
                marks.push_back({q - from, m.length, m.kind});
                if (!same(m.length))
                    return nullptr;
                continue;
            }
            // A number begins as the shape's did (a digit, or a point) so that the text before it
            // reads the same; the literal must then end where the shape's next run begins.
            auto opening = [](char16_t ch) { return ch == u'\'' || ch == u'.' ? ch : u'0'; };
            if (opening(c[q]) != opening(shape_.firsts[k]))
                return nullptr;
            QString ignored;
            const int end = m.kind == ValueMark::Kind::Number ? NumberEndAt(src, q) : StringEndAt(src, q, ignored);
            if (end == q)
                return nullptr;
            marks.push_back({q - from, end - q, m.kind});
            q = end;
            tp = m.pos + m.length;
        }
        if (!same(shape_.end - tp))
            return nullptr;
        auto s = NewStmt(Stmt::Kind::Sql, start);
        const int textEnd = q - (shape_.end - shape_.textEnd);
        s->length = textEnd - from;
        s->sql.sourcePos = from; // the text as it stands: not copied for each of a thousand lines
        s->sql.sourceLength = textEnd - from;
        s->sql.marks = std::move(marks);
        lex_.Seek(q);
        p_ = start + 1;
        return s;
    }

    // ---- SQL text with variables bound

    // Oracle text of tokens [from, to) with every variable reference replaced by a bind variable.
    // Tokens [skipFrom, skipTo) (the INTO clause) are left out. Names in places where SQL only
    // allows columns or tables (qualified names, aliases, insert column lists, set targets,
    // table names) stay as they are.
    SqlText BuildSql(int from, int to, int skipFrom = -1, int skipTo = -1)
    {
        SqlText out;
        const QString& src = prog_->source;
        out.text.reserve(EndPos(to - 1) - Tok(from).pos + 16);
        const bool isInsert = Tok(from).IsWord("insert");
        const bool isUpdate = Tok(from).IsWord("update");
        int columnsOpen = -1, columnsClose = -1;
        if (isInsert) {
            int i = from + 1;
            if (Tok(i).IsWord("into"))
                ++i;
            if (Tok(i).kind == TokenKind::Identifier || Tok(i).kind == TokenKind::QuotedIdentifier) {
                ++i;
                while (Tok(i).IsOp(".") && Tok(i + 1).kind != TokenKind::Operator)
                    i += 2;
            }
            if (Tok(i).kind == TokenKind::Identifier && !Reserved().contains(Tok(i).text.toLower()))
                ++i; // table alias
            if (Tok(i).IsOp("(") && !Tok(i + 1).IsWord("select") && !Tok(i + 1).IsWord("with")) {
                columnsOpen = i;
                columnsClose = MatchingParen(i);
            }
        }
        std::vector<bool> parens; // true: a function call's parentheses
        std::vector<int> varTokens; // tokens replaced by a variable's bind, in order
        std::vector<ValueMark> varMarks; // and where their binds stand in the text
        bool inSet = false;
        int last = Tok(from).pos;
        for (int i = from; i < to; ++i) {
            if (i == skipFrom) {
                out.text += QStringView(src).mid(last, Tok(i).pos - last);
                if (!out.text.isEmpty() && !out.text.back().isSpace())
                    out.text += u' ';
                last = Tok(skipTo).pos;
                i = skipTo - 1;
                continue;
            }
            const Token& t = Tok(i);
            if (t.kind == TokenKind::Bind)
                Fail(i, QStringLiteral("ORA-01008: not all variables bound (:%1 has no value in a block)").arg(t.text));
            if (t.IsOp("(")) {
                // A function's arguments, unless a subquery opens there: "exists (select ...)".
                parens.push_back(i > from && Tok(i - 1).kind == TokenKind::Identifier
                                 && !Reserved().contains(Tok(i - 1).text.toLower()) && !Tok(i + 1).IsWord("select")
                                 && !Tok(i + 1).IsWord("with"));
                continue;
            }
            if (t.IsOp(")")) {
                if (!parens.empty())
                    parens.pop_back();
                continue;
            }
            if (isUpdate && parens.empty()) {
                if (t.IsWord("set"))
                    inSet = true;
                else if (t.IsWord("where"))
                    inSet = false;
            }
            if (t.kind != TokenKind::Identifier)
                continue;
            const int slot = FindVar(t.text);
            if (slot < 0)
                continue;
            const Token& prev = Tok(i - 1);
            const Token& next = Tok(i + 1);
            const bool hasPrev = i > from;
            if (hasPrev && (prev.IsOp(".") || prev.IsWord("as")))
                continue;
            if (next.IsOp(".") || next.IsOp("(") || next.IsOp("=>") || next.IsOp("%"))
                continue;
            if (i > columnsOpen && i < columnsClose)
                continue;
            const bool inCall = !parens.empty() && parens.back();
            if (hasPrev && !inCall
                && (prev.IsWord("from") || prev.IsWord("join") || prev.IsWord("into") || prev.IsWord("update")
                    || prev.IsWord("table") || (prev.IsWord("delete") && i - 1 == from)))
                continue;
            if (inSet && parens.empty() && next.IsOp("=") && (prev.IsWord("set") || prev.IsOp(",")))
                continue;
            // A table's alias: "from Sto_AdjustBillDetail a", "update T x set ..."
            const Token& prev2 = Tok(i - 2);
            if (i - 2 >= from && !inCall && prev.kind == TokenKind::Identifier && !Reserved().contains(prev.text.toLower())
                && (prev2.IsWord("from") || prev2.IsWord("join") || prev2.IsWord("update") || prev2.IsWord("into")))
                continue;
            out.text += QStringView(src).mid(last, t.pos - last);
            out.binds.push_back(slot);
            varTokens.push_back(i);
            const int at = int(out.text.size());
            out.text += u':';
            out.text += QString::number(out.binds.size());
            varMarks.push_back({at, int(out.text.size()) - at, ValueMark::Kind::Var});
            last = t.pos + t.length;
        }
        const int end = EndPos(to - 1);
        out.text += QStringView(src).mid(last, end - last);
        if (isInsert && skipFrom < 0)
            out.marks = MarkValues(from, to, columnsClose, varTokens, varMarks);
        return out;
    }

    // The lone values of the insert [from, to): literals and sysdate standing alone as values of
    // a top-level VALUES list ("(", ",", or a sign before them; "," or ")" after), with the
    // variables' binds, by their places in the statement's text. Literals inside calls (to_date's
    // text and format) and anything else are not marked. Empty when no such value stands there.
    std::vector<ValueMark> MarkValues(int from, int to, int columnsClose, const std::vector<int>& varTokens,
                                      const std::vector<ValueMark>& varMarks)
    {
        int open = columnsClose >= 0 ? columnsClose + 1 : -1;
        if (open < 0) {
            for (int i = from; i < to; ++i) {
                if (Tok(i).IsWord("values")) {
                    open = i;
                    break;
                }
            }
        }
        if (open < 0 || open >= to || !Tok(open).IsWord("values") || !Tok(open + 1).IsOp("("))
            return {};
        ++open;
        int close = -1;
        for (int i = open, depth = 0; i < to && close < 0; ++i) {
            if (Tok(i).IsOp("("))
                ++depth;
            else if (Tok(i).IsOp(")") && --depth == 0)
                close = i;
        }
        if (close < 0)
            return {}; // the engine reports the unbalanced text as it stands
        std::vector<ValueMark> marks;
        marks.reserve(size_t(close - open) / 2 + varMarks.size());
        const int base = Tok(from).pos;
        int shift = 0; // what the binds written for variables added to the text so far
        size_t nextVar = 0;
        int depth = 0;
        bool any = false;
        for (int i = from; i < to; ++i) {
            if (nextVar < varTokens.size() && varTokens[nextVar] == i) {
                marks.push_back(varMarks[nextVar]);
                shift += varMarks[nextVar].length - Tok(i).length;
                ++nextVar;
                continue;
            }
            const Token& t = Tok(i);
            if (i > open && i < close) {
                if (t.IsOp("("))
                    ++depth;
                else if (t.IsOp(")"))
                    --depth;
            }
            if (i <= open || i >= close || depth != 0)
                continue;
            const bool now = t.IsWord("sysdate");
            if (!now && t.kind != TokenKind::String && t.kind != TokenKind::Number)
                continue;
            int before = i - 1;
            if (!now && (Tok(before).IsOp("-") || Tok(before).IsOp("+")))
                --before;
            if (!(Tok(before).IsOp("(") || Tok(before).IsOp(",")) || before < open)
                continue;
            if (!(Tok(i + 1).IsOp(",") || Tok(i + 1).IsOp(")")))
                continue;
            const auto kind = now ? ValueMark::Kind::Now
                                  : t.kind == TokenKind::String ? ValueMark::Kind::Text : ValueMark::Kind::Number;
            marks.push_back({t.pos - base + shift, t.length, kind});
            any = true;
        }
        if (!any)
            return {};
        return marks;
    }

    // ---- expressions

    ExprPtr ParseCondition() { return ParseExpr(); }

    ExprPtr Node(Expr::Kind kind, QString op = {})
    {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->op = std::move(op);
        return e;
    }
    ExprPtr Binary(QString op, ExprPtr l, ExprPtr r)
    {
        auto e = Node(Expr::Kind::Binary, std::move(op));
        e->args.push_back(std::move(l));
        e->args.push_back(std::move(r));
        return e;
    }

    ExprPtr ParseExpr()
    {
        const Nest nest(*this);
        ExprPtr l = ParseAnd();
        while (Word("or")) {
            ++p_;
            l = Binary(QStringLiteral("or"), std::move(l), ParseAnd());
        }
        return l;
    }
    ExprPtr ParseAnd()
    {
        ExprPtr l = ParseNot();
        while (Word("and")) {
            ++p_;
            l = Binary(QStringLiteral("and"), std::move(l), ParseNot());
        }
        return l;
    }
    ExprPtr ParseNot()
    {
        const Nest nest(*this);
        if (Word("not")) {
            ++p_;
            auto e = Node(Expr::Kind::Unary, QStringLiteral("not"));
            e->args.push_back(ParseNot());
            return e;
        }
        return ParseComparison();
    }
    ExprPtr ParseComparison()
    {
        ExprPtr l = ParseAdditive();
        if (Word("is")) {
            ++p_;
            auto e = Node(Expr::Kind::IsNull);
            if (Word("not")) {
                e->negated = true;
                ++p_;
            }
            ExpectWord("null");
            e->args.push_back(std::move(l));
            return e;
        }
        bool negated = false;
        if (Word("not") && (Word("like", 1) || Word("between", 1) || Word("in", 1))) {
            negated = true;
            ++p_;
        }
        if (Word("like")) {
            ++p_;
            auto e = Node(Expr::Kind::Like);
            e->negated = negated;
            e->args.push_back(std::move(l));
            e->args.push_back(ParseAdditive());
            if (Word("escape")) {
                ++p_;
                e->args.push_back(ParseAdditive());
            }
            return e;
        }
        if (Word("between")) {
            ++p_;
            auto e = Node(Expr::Kind::Between);
            e->negated = negated;
            e->args.push_back(std::move(l));
            e->args.push_back(ParseAdditive());
            ExpectWord("and");
            e->args.push_back(ParseAdditive());
            return e;
        }
        if (Word("in")) {
            ++p_;
            auto e = Node(Expr::Kind::In);
            e->negated = negated;
            e->args.push_back(std::move(l));
            ExpectOp("(");
            e->args.push_back(ParseExpr());
            while (Op(",")) {
                ++p_;
                e->args.push_back(ParseExpr());
            }
            ExpectOp(")");
            return e;
        }
        static const char* relops[] = {"=", "<>", "!=", "^=", "<", ">", "<=", ">="};
        for (const char* op : relops) {
            if (Op(op)) {
                ++p_;
                QString o = QString::fromLatin1(op);
                if (o == u"!=" || o == u"^=")
                    o = QStringLiteral("<>");
                return Binary(o, std::move(l), ParseAdditive());
            }
        }
        return l;
    }
    ExprPtr ParseAdditive()
    {
        ExprPtr l = ParseMultiplicative();
        while (Op("+") || Op("-") || Op("||")) {
            QString op = At().text;
            ++p_;
            l = Binary(std::move(op), std::move(l), ParseMultiplicative());
        }
        return l;
    }
    ExprPtr ParseMultiplicative()
    {
        ExprPtr l = ParseUnary();
        for (;;) {
            if (Op("*") && !Op("*", 1)) {
                ++p_;
                l = Binary(QStringLiteral("*"), std::move(l), ParseUnary());
            } else if (Op("/")) {
                ++p_;
                l = Binary(QStringLiteral("/"), std::move(l), ParseUnary());
            } else {
                return l;
            }
        }
    }
    ExprPtr ParseUnary()
    {
        const Nest nest(*this);
        if (Op("-") || Op("+")) {
            const QString op = At().text;
            ++p_;
            ExprPtr operand = ParseUnary();
            if (op == u"+")
                return operand;
            auto e = Node(Expr::Kind::Unary, QStringLiteral("-"));
            e->args.push_back(std::move(operand));
            return e;
        }
        ExprPtr base = ParsePrimary();
        if (Op("*") && Op("*", 1)) {
            p_ += 2;
            return Binary(QStringLiteral("**"), std::move(base), ParseUnary());
        }
        return base;
    }

    // Index of the ")" matching the "(" at index open.
    int MatchingParen(int open) const
    {
        int depth = 0;
        for (int i = open;; ++i) {
            if (Tok(i).IsOp("("))
                ++depth;
            else if (Tok(i).IsOp(")") && --depth == 0)
                return i;
            else if (Tok(i).kind == TokenKind::End)
                break;
        }
        Fail(open, QStringLiteral("PLS-00103: Encountered the symbol \"end-of-file\" when expecting \")\""));
    }

    // An expression the engine evaluates: tokens [from, to) become "select <text> from dual".
    ExprPtr EngineExpr(int from, int to)
    {
        for (int i = from; i < to; ++i)
            if (Tok(i).IsOp("%"))
                Fail(i, QStringLiteral("PLS-00103: cursor attributes cannot be used inside a SQL expression"));
        auto e = Node(Expr::Kind::Engine);
        e->sql = BuildSql(from, to);
        e->sql.text = QStringLiteral("select ") + e->sql.text + QStringLiteral(" from dual");
        return e;
    }

    ExprPtr ParsePrimary()
    {
        const Token& t = At();
        if (t.kind == TokenKind::Number) {
            ++p_;
            auto e = Node(Expr::Kind::Literal);
            bool ok = false;
            const qint64 whole = t.text.toLongLong(&ok);
            e->value = ok ? Value::MakeInt(whole) : Value::MakeNum(t.text.toDouble());
            return e;
        }
        if (t.kind == TokenKind::String) {
            ++p_;
            auto e = Node(Expr::Kind::Literal);
            // Oracle has no empty text: '' is null.
            e->value = t.text.isEmpty() ? Value::MakeNull() : Value::MakeText(t.text);
            return e;
        }
        if (t.IsOp("(")) {
            ++p_;
            ExprPtr e = ParseExpr();
            ExpectOp(")");
            return e;
        }
        if (t.kind != TokenKind::Identifier)
            Expected(QStringLiteral("an expression"));
        if (t.IsWord("null") || t.IsWord("true") || t.IsWord("false")) {
            ++p_;
            auto e = Node(Expr::Kind::Literal);
            if (!t.IsWord("null"))
                e->value = Value::MakeBool(t.IsWord("true"));
            return e;
        }
        if (Op("%", 1)) {
            const int at = p_;
            const int cursor = t.IsWord("sql") ? -1 : FindCursor(t.text);
            if (cursor < 0 && !t.IsWord("sql"))
                Fail(at, QStringLiteral("PLS-00201: identifier '%1' must be declared").arg(t.text.toUpper()));
            p_ += 2;
            const QString attr = At().text.toLower();
            if (At().kind != TokenKind::Identifier
                || (attr != u"found" && attr != u"notfound" && attr != u"rowcount" && attr != u"isopen"))
                Expected(QStringLiteral("FOUND, NOTFOUND, ROWCOUNT or ISOPEN"));
            ++p_;
            auto e = Node(Expr::Kind::CursorAttr, attr);
            e->cursor = cursor;
            return e;
        }
        if (t.IsWord("case")) {
            // Evaluated by the engine: find the matching END.
            int depth = 0;
            int i = p_;
            for (;; ++i) {
                if (Tok(i).IsWord("case"))
                    ++depth;
                else if (Tok(i).IsWord("end") && --depth == 0)
                    break;
                else if (Tok(i).kind == TokenKind::End || Tok(i).IsOp(";"))
                    Fail(p_, QStringLiteral("PLS-00103: CASE without END"));
            }
            const int from = p_;
            p_ = i + 1;
            return EngineExpr(from, p_);
        }
        if (Reserved().contains(t.text.toLower()))
            Expected(QStringLiteral("an expression"));
        if (Op(".", 1)) {
            // seq.nextval, package.function(...): the engine's business
            const int from = p_;
            while (At().kind == TokenKind::Identifier && Op(".", 1))
                p_ += 2;
            ExpectName();
            if (Op("("))
                p_ = MatchingParen(p_) + 1;
            return EngineExpr(from, p_);
        }
        if (Op("(", 1)) {
            const int from = p_;
            const int close = MatchingParen(p_ + 1);
            const QString name = t.text.toLower();
            const auto local = LocalFunctions().constFind(name);
            if (local != LocalFunctions().constEnd()) {
                const int save = p_;
                try {
                    p_ += 2;
                    auto e = Node(Expr::Kind::Call, name);
                    if (!Op(")")) {
                        e->args.push_back(ParseExpr());
                        while (Op(",")) {
                            ++p_;
                            e->args.push_back(ParseExpr());
                        }
                    }
                    ExpectOp(")");
                    const int n = int(e->args.size());
                    if (n >= local->minArgs && (local->maxArgs < 0 || n <= local->maxArgs)) {
                        if (name == u"to_char" || name == u"round" || name == u"trunc") {
                            bool sqlSafe = true;
                            for (int i = from; i <= close; ++i)
                                sqlSafe = sqlSafe && !Tok(i).IsOp("%");
                            if (sqlSafe) {
                                e->sql = BuildSql(from, close + 1);
                                e->sql.text = QStringLiteral("select ") + e->sql.text + QStringLiteral(" from dual");
                            }
                        }
                        return e;
                    }
                } catch (const platform::EDatabaseError&) {
                    // Syntax the local evaluator does not read (trim(both ...), to_char(d, 'fmt')):
                    // leave it to the engine below.
                }
                p_ = save;
            }
            p_ = close + 1;
            return EngineExpr(from, p_);
        }
        const int slot = FindVar(t.text);
        if (slot < 0 && IsEngineWord(t)) {
            ++p_;
            return EngineExpr(p_ - 1, p_);
        }
        if (slot < 0)
            Fail(p_, QStringLiteral("PLS-00201: identifier '%1' must be declared").arg(t.text.toUpper()));
        ++p_;
        auto e = Node(Expr::Kind::Var);
        e->slot = slot;
        return e;
    }

    std::shared_ptr<Program> prog_;
    mutable Lexer lex_;
    mutable std::deque<Token> t_;
    mutable bool lexedAll_ = false; // the End token has been read
    Shape shape_;
    quint64 scopeGeneration_ = 0; // moves on whenever a name enters or leaves scope
    int p_ = 0;
    std::vector<Scope> scopes_;
    QSet<int> forCounters_;
    int loopDepth_ = 0;
    int depth_ = 0;
};

} // namespace

std::shared_ptr<const Program> ParseBlock(const QString& text)
{
    Parser parser(text);
    return parser.Run();
}

} // namespace host::db::plsql
