#include "host/db/blocks/BlockInterpreter.h"

#include "host/db/blocks/BlockRunner.h"
#include "host/db/blocks/InsertLifting.h"
#include "host/db/dialect/Dialect.h"

#include "platform/core/CheckedInt.h"
#include "platform/core/Currency.h"
#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

#include <QHash>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <unordered_map>

namespace host::db::plsql {

namespace {

const QString kValueError = QStringLiteral("ORA-06502: PL/SQL: numeric or value error");
const QString kOverflow = QStringLiteral("ORA-01426: numeric overflow");

[[noreturn]] void Fail(const QString& message)
{
    throw platform::EDatabaseError(message);
}

// An error that already names its line and statement: passed up unchanged.
class StatementError : public platform::EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

bool IsOracleNull(const Value& v)
{
    return v.kind == Value::Kind::Null || (v.kind == Value::Kind::Text && v.s.isEmpty());
}

std::optional<Value> ParseNumber(const QString& text)
{
    const QString s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    for (QChar ch : s)
        if (!(ch.isDigit() || ch == u'.' || ch == u'-' || ch == u'+' || ch == u'e' || ch == u'E'))
            return std::nullopt;
    bool ok = false;
    const qint64 whole = s.toLongLong(&ok);
    if (ok)
        return Value::MakeInt(whole);
    const double d = s.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return Value::MakeNum(d);
}

// A number, or ORA-06502 for text that is none. Null stays null.
Value ToNumber(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Null:
    case Value::Kind::Int:
    case Value::Kind::Num:
        return v;
    case Value::Kind::Text: {
        if (v.s.isEmpty())
            return {};
        const auto n = ParseNumber(v.s);
        if (!n)
            Fail(kValueError + QStringLiteral(": character to number conversion error"));
        return *n;
    }
    case Value::Kind::Date:
    case Value::Kind::Bool:
        break;
    }
    Fail(QStringLiteral("PLS-00382: expression is of wrong type (a number is expected)"));
}

namespace checked = platform::checked;

// Whole numbers stay exact; one that leaves the 64-bit range is an overflow, not a rounded double.
qint64 ExactInt(std::optional<qint64> v)
{
    if (!v)
        Fail(kOverflow);
    return *v;
}

double AsDouble(const Value& v) { return v.kind == Value::Kind::Int ? double(v.i) : v.d; }

// A double that holds a whole number becomes Int when it fits.
Value Normalized(double d)
{
    if (!std::isfinite(d) || std::fabs(d) >= 1.0e126) // beyond the range of Oracle's NUMBER
        Fail(kOverflow);
    if (d == std::floor(d) && std::fabs(d) < 9.0e15)
        return Value::MakeInt(qint64(d));
    return Value::MakeNum(d);
}

QString DateText(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QString ToText(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Int:
        return QString::number(v.i);
    case Value::Kind::Num:
        return platform::OracleNumberText(v.d);
    case Value::Kind::Text:
        return v.s;
    case Value::Kind::Date:
        return DateText(v.t);
    case Value::Kind::Bool:
        break;
    }
    Fail(QStringLiteral("PLS-00306: wrong type of argument: a BOOLEAN cannot be used as text"));
}

Value ToDate(const Value& v)
{
    if (v.kind == Value::Kind::Date || v.kind == Value::Kind::Null)
        return v;
    if (v.kind == Value::Kind::Text) {
        if (v.s.isEmpty())
            return {};
        const QDateTime d = platform::ParseDateText(v.s, platform::DateForm::Iso);
        if (d.isValid())
            return Value::MakeDate(d);
        Fail(QStringLiteral("ORA-01861: literal does not match format string"));
    }
    Fail(QStringLiteral("PLS-00382: expression is of wrong type (a date is expected)"));
}

Value FromVariant(const QVariant& v)
{
    switch (KindOfParam(v)) {
    case ParamKind::Null:
        return {};
    case ParamKind::Currency:
        return Value::MakeNum(v.value<platform::Currency>().ToDouble());
    case ParamKind::Integer:
        return Value::MakeInt(v.toLongLong());
    case ParamKind::Float:
        return Value::MakeNum(v.toDouble());
    case ParamKind::DateTime:
        return Value::MakeDate(v.typeId() == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime());
    case ParamKind::Bytes:
        return Value::MakeText(QString::fromUtf8(v.toByteArray()));
    case ParamKind::Text:
        break;
    }
    return Value::MakeText(v.toString());
}

QVariant ToVariant(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Int:
        return QVariant(qlonglong(v.i));
    case Value::Kind::Num:
        // Quantities and amounts (up to four decimals) travel as exact decimals, so engines
        // with a decimal type add them without binary rounding.
        if (std::fabs(v.d) < 9.0e14 && RoundDecimal(v.d, 4) == v.d)
            return QVariant::fromValue(platform::Currency::FromDouble(v.d));
        return QVariant(v.d);
    case Value::Kind::Text:
        return QVariant(v.s);
    case Value::Kind::Date:
        return QVariant(v.t);
    case Value::Kind::Bool:
        break;
    }
    Fail(QStringLiteral("PLS-00382: expression is of wrong type: a BOOLEAN cannot be used in SQL"));
}

// -1, 0, 1; nullopt when either side is null.
std::optional<int> Compare(const Value& a, const Value& b)
{
    if (IsOracleNull(a) || IsOracleNull(b))
        return std::nullopt;
    auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    if (a.IsNumber() || b.IsNumber()) {
        const Value x = ToNumber(a), y = ToNumber(b);
        if (x.kind == Value::Kind::Int && y.kind == Value::Kind::Int)
            return sign(x.i, y.i);
        return sign(AsDouble(x), AsDouble(y));
    }
    if (a.kind == Value::Kind::Date || b.kind == Value::Kind::Date)
        return sign(ToDate(a).t, ToDate(b).t);
    if (a.kind == Value::Kind::Bool && b.kind == Value::Kind::Bool)
        return sign(int(a.b), int(b.b));
    if (a.kind == Value::Kind::Text && b.kind == Value::Kind::Text) {
        const int c = a.s.compare(b.s);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    Fail(QStringLiteral("PLS-00306: wrong types in a comparison"));
}

// Oracle's LIKE: % any run, _ one character, an optional escape character.
bool Like(const QString& s, const QString& pattern, QChar escape)
{
    const int n = s.size(), m = pattern.size();
    // Iterative matcher with backtracking to the last %.
    int i = 0, j = 0, starJ = -1, starI = 0;
    while (i < n) {
        if (j < m) {
            QChar pc = pattern[j];
            bool literal = false;
            if (!escape.isNull() && pc == escape && j + 1 < m) {
                pc = pattern[j + 1];
                literal = true;
            }
            if (!literal && pc == u'%') {
                starJ = ++j;
                starI = i;
                continue;
            }
            if ((!literal && pc == u'_') || pc == s[i]) {
                ++i;
                j += literal ? 2 : 1;
                continue;
            }
        }
        if (starJ < 0)
            return false;
        j = starJ;
        i = ++starI;
    }
    while (j < m && pattern[j] == u'%')
        ++j;
    return j == m;
}

Value Tri(std::optional<bool> b) { return b ? Value::MakeBool(*b) : Value(); }

std::optional<bool> Truth(const Value& v)
{
    if (v.kind == Value::Kind::Null)
        return std::nullopt;
    if (v.kind != Value::Kind::Bool)
        Fail(QStringLiteral("PLS-00382: expression is of wrong type (a condition is expected)"));
    return v.b;
}

class CollectSink : public RowSink {
public:
    explicit CollectSink(int limit = -1) : limit_(limit) {}
    void Columns(const QVector<ResultColumn>& columns) override { columns_ = int(columns.size()); }
    bool Row(QVariant* values) override
    {
        std::vector<Value> row;
        row.reserve(columns_);
        for (int k = 0; k < columns_; ++k)
            row.push_back(FromVariant(values[k]));
        rows.push_back(std::move(row));
        return limit_ < 0 || int(rows.size()) < limit_;
    }
    int ColumnCount() const { return columns_; }

    std::vector<std::vector<Value>> rows;

private:
    int limit_;
    int columns_ = 0;
};

// SELECT INTO's rows: the first one kept, a second only counted (it is an error); the buffer
// is reused from statement to statement.
class FirstRowSink : public RowSink {
public:
    void Reset() { rows = 0; }
    void Columns(const QVector<ResultColumn>& columns) override { columns_ = int(columns.size()); }
    bool Row(QVariant* values) override
    {
        if (rows++ == 0) {
            first.resize(size_t(columns_));
            for (int k = 0; k < columns_; ++k)
                first[size_t(k)] = FromVariant(values[k]);
        }
        return rows < 2;
    }
    int ColumnCount() const { return columns_; }

    std::vector<Value> first;
    int rows = 0;

private:
    int columns_ = 0;
};

struct CursorState {
    bool open = false;
    int columns = 0;
    std::vector<std::vector<Value>> rows;
    size_t next = 0;
    qint64 count = 0;
    std::optional<bool> found;
};

class Runner {
public:
    Runner(Connection& c, const Program& p, RunOptions options)
        : c_(c), p_(p), options_(options), slots_(p.vars.size()), cursors_(p.cursorNames.size()), decls_(p.cursorNames.size())
    {
        for (size_t k = 0; k < decls_.size(); ++k)
            decls_[k] = p.CursorDeclaration(int(k));
    }

    void Run()
    {
        try {
            RunBlock(p_.root);
        } catch (const StatementError& e) {
            throw platform::EDatabaseError(e.Message());
        }
    }

private:
    enum class Flow { Normal, Exit, Continue, Return };

    void Step()
    {
        if (options_.maxSteps > 0 && ++steps_ > options_.maxSteps)
            throw StatementError(QStringLiteral("ORA-20000: the block ran more than %1 statements and was stopped")
                                     .arg(options_.maxSteps));
    }

    // ---- blocks and statements

    Flow RunBlock(const Block& b)
    {
        struct CloseCursors {
            Runner& r;
            const Block& b;
            ~CloseCursors()
            {
                for (const CursorDecl& c : b.cursors)
                    r.cursors_[c.index] = {};
            }
        } guard{*this, b};
        for (const CursorDecl& c : b.cursors)
            cursors_[c.index] = {};
        for (const VarDecl& v : b.vars) {
            try {
                slots_[v.slot] = v.init ? CoerceTo(p_.vars[v.slot], Eval(*v.init)) : Value();
            } catch (const StatementError&) {
                throw;
            } catch (const platform::Exception& e) {
                throw StatementError(e.Message() + QStringLiteral("\nORA-06512: in the declaration of ")
                                     + p_.vars[v.slot].name);
            }
        }
        return RunList(b.body);
    }

    Flow RunList(const StmtList& list)
    {
        for (const auto& s : list) {
            const Flow f = Run(*s);
            if (f != Flow::Normal)
                return f;
        }
        return Flow::Normal;
    }

    // The error, the block's line and the statement as the block wrote it (variables by name,
    // not the bind variables the engine saw).
    QString Context(const Stmt& s, const QString& message) const
    {
        QString out = message;
        const int sql = out.indexOf(QLatin1String("\nSQL: "));
        if (sql >= 0)
            out.truncate(sql);
        out += QStringLiteral("\nORA-06512: at line %1").arg(p_.LineOf(s.pos));
        if (s.kind != Stmt::Kind::Raise)
            out += QStringLiteral("\nSQL: ") + p_.Excerpt(s.pos, s.length);
        return out;
    }

    Flow Run(const Stmt& s)
    {
        Step();
        try {
            return Exec(s);
        } catch (const StatementError&) {
            throw;
        } catch (const platform::Exception& e) {
            throw StatementError(Context(s, e.Message()));
        }
    }

    Flow RunLoopBody(const StmtList& body, bool& stop)
    {
        Step();
        const Flow f = RunList(body);
        stop = (f == Flow::Exit || f == Flow::Return);
        return f == Flow::Return ? Flow::Return : Flow::Normal;
    }

    Flow Exec(const Stmt& s)
    {
        switch (s.kind) {
        case Stmt::Kind::Null:
            return Flow::Normal;
        case Stmt::Kind::Assign:
            slots_[s.slot] = CoerceTo(p_.vars[s.slot], Eval(*s.exprs[0]));
            return Flow::Normal;
        case Stmt::Kind::If:
            for (size_t k = 0; k < s.exprs.size(); ++k) {
                if (Truth(Eval(*s.exprs[k])).value_or(false))
                    return RunList(s.branches[k]);
            }
            if (s.branches.size() > s.exprs.size())
                return RunList(s.branches.back());
            return Flow::Normal;
        case Stmt::Kind::While:
        case Stmt::Kind::Loop:
            // A plain LOOP runs until EXIT; a WHILE also stops when its condition is not true.
            while (s.kind == Stmt::Kind::Loop || Truth(Eval(*s.exprs[0])).value_or(false)) {
                bool stop = false;
                if (RunLoopBody(s.branches[0], stop) == Flow::Return)
                    return Flow::Return;
                if (stop)
                    break;
            }
            return Flow::Normal;
        case Stmt::Kind::ForRange:
            return ForRange(s);
        case Stmt::Kind::Exit:
        case Stmt::Kind::Continue:
            if (!s.exprs.empty() && !Truth(Eval(*s.exprs[0])).value_or(false))
                return Flow::Normal;
            return s.kind == Stmt::Kind::Exit ? Flow::Exit : Flow::Continue;
        case Stmt::Kind::Return:
            return Flow::Return;
        case Stmt::Kind::Open:
            Open(s.cursor);
            return Flow::Normal;
        case Stmt::Kind::Fetch:
            Fetch(s);
            return Flow::Normal;
        case Stmt::Kind::Close:
            Cursor(s.cursor) = {};
            return Flow::Normal;
        case Stmt::Kind::SelectInto:
            SelectInto(s);
            return Flow::Normal;
        case Stmt::Kind::Sql: {
            const qint64 n = ExecStatement(s.sql, nullptr);
            sqlCount_ = std::max<qint64>(n, 0);
            sqlFound_ = sqlCount_ > 0;
            return Flow::Normal;
        }
        case Stmt::Kind::Block: {
            const Flow f = RunBlock(*s.block);
            // EXIT and CONTINUE pass through a nested block to the enclosing loop.
            return f;
        }
        case Stmt::Kind::Raise:
            Raise(s);
        case Stmt::Kind::ExecImmediate:
            ExecImmediate(s);
            return Flow::Normal;
        case Stmt::Kind::Output:
            for (const auto& e : s.exprs)
                Eval(*e);
            return Flow::Normal;
        }
        return Flow::Normal;
    }

    Flow ForRange(const Stmt& s)
    {
        const Value lo = ToNumber(Eval(*s.exprs[0])), hi = ToNumber(Eval(*s.exprs[1]));
        if (lo.IsNull() || hi.IsNull())
            Fail(kValueError + QStringLiteral(": FOR loop bound is null"));
        const qint64 a = CoerceTo(p_.vars[s.slot], lo).i, b = CoerceTo(p_.vars[s.slot], hi).i;
        if (a > b)
            return Flow::Normal;
        // Counted from the first bound to the last without ever stepping past it, so that bounds
        // at the ends of the 64-bit range cannot overflow.
        const qint64 last = s.reverse ? a : b;
        for (qint64 k = s.reverse ? b : a;; k += s.reverse ? -1 : 1) {
            slots_[s.slot] = Value::MakeInt(k);
            bool stop = false;
            if (RunLoopBody(s.branches[0], stop) == Flow::Return)
                return Flow::Return;
            if (stop || k == last)
                break;
        }
        return Flow::Normal;
    }

    // ---- cursors and SQL

    CursorState& Cursor(int index)
    {
        CursorState& c = cursors_[index];
        if (!c.open)
            Fail(QStringLiteral("ORA-01001: invalid cursor (%1 is not open)").arg(p_.cursorNames[index]));
        return c;
    }

    void Open(int index)
    {
        CursorState& c = cursors_[index];
        if (c.open)
            Fail(QStringLiteral("ORA-06511: PL/SQL: cursor already open (%1)").arg(p_.cursorNames[index]));
        const CursorDecl* decl = decls_[index];
        // The rows are read when the cursor opens, as Oracle's read consistency sees them then.
        CollectSink sink;
        ExecStatement(decl->query, &sink);
        c.open = true;
        c.columns = sink.ColumnCount();
        c.rows = std::move(sink.rows);
        c.next = 0;
        c.count = 0;
        c.found.reset();
    }

    void Fetch(const Stmt& s)
    {
        CursorState& c = Cursor(s.cursor);
        if (int(s.into.size()) != c.columns)
            Fail(QStringLiteral("PLS-00394: wrong number of values in the INTO list of a FETCH statement (%1 columns, %2 variables)")
                     .arg(c.columns)
                     .arg(s.into.size()));
        if (c.next >= c.rows.size()) {
            c.found = false;
            return;
        }
        const std::vector<Value>& row = c.rows[c.next++];
        for (size_t k = 0; k < s.into.size(); ++k)
            slots_[s.into[k]] = CoerceTo(p_.vars[s.into[k]], row[k]);
        ++c.count;
        c.found = true;
    }

    void SelectInto(const Stmt& s)
    {
        intoSink_.Reset();
        ExecStatement(s.sql, &intoSink_);
        if (intoSink_.rows == 0)
            Fail(QStringLiteral("ORA-01403: no data found"));
        if (intoSink_.rows > 1)
            Fail(QStringLiteral("ORA-01422: exact fetch returns more than requested number of rows"));
        if (intoSink_.ColumnCount() < int(s.into.size()))
            Fail(QStringLiteral("ORA-00947: not enough values"));
        if (intoSink_.ColumnCount() > int(s.into.size()))
            Fail(QStringLiteral("ORA-00913: too many values"));
        const std::vector<Value>& row = intoSink_.first;
        for (size_t k = 0; k < s.into.size(); ++k)
            slots_[s.into[k]] = CoerceTo(p_.vars[s.into[k]], row[k]);
        sqlCount_ = 1;
        sqlFound_ = true;
    }

    [[noreturn]] void Raise(const Stmt& s)
    {
        const Value code = ToNumber(Eval(*s.exprs[0]));
        const QString message = ToText(Eval(*s.exprs[1]));
        const double n = code.IsNull() ? 0 : AsDouble(code);
        if (code.IsNull() || n != std::floor(n) || n < -20999 || n > -20000)
            Fail(QStringLiteral("ORA-21000: error number argument to raise_application_error of %1 is out of range")
                     .arg(code.IsNull() ? QString() : ToText(code)));
        Fail(QStringLiteral("ORA-%1: %2").arg(qint64(-n)).arg(message.left(2048)));
    }

    void ExecImmediate(const Stmt& s);

    // Runs one of the block's statements. Its translation is looked up once per run: a cursor
    // loop runs the same few statements for every row.
    // Where the caller asks for it, an insert runs in its lifted form: its literals bound, its
    // text shared with the block's other lines, so it is translated and prepared once.
    qint64 ExecStatement(const SqlText& sql, RowSink* sink)
    {
        // A statement kept as its place in the source is viewed there for this call only.
        const QStringView written = p_.TextOf(sql);
        const QString view = sql.sourcePos >= 0 ? QString::fromRawData(written.data(), written.size()) : QString();
        const QString& oracle = sql.sourcePos >= 0 ? view : sql.text;
        if (options_.bindInsertLiterals && LiftInsert(written, sql, lifted_)) {
            // The lines of a bill lift to one text: the last one's translation serves the next.
            if (lifted_.text != liftedText_) {
                auto it = liftedNative_.constFind(lifted_.text);
                if (it == liftedNative_.constEnd())
                    it = liftedNative_.insert(lifted_.text, TranslateCached(lifted_.text, c_.GetEngine()).text);
                liftedText_ = it.key();
                liftedNativeText_ = it.value();
            }
            return ExecuteTranslated(c_, liftedNativeText_, oracle, Params(lifted_), sink);
        }
        // The texts belong to the program, which outlives the run, so their data identifies them.
        const TextKey key{oracle.constData(), oracle.size()};
        auto it = native_.find(key);
        if (it == native_.end())
            it = native_.emplace(key, TranslateCached(oracle, c_.GetEngine()).text).first;
        return ExecuteTranslated(c_, it->second, oracle, Params(sql), sink);
    }

    const QVector<QVariant>& Params(const LiftedSql& sql)
    {
        params_.clear();
        params_.reserve(sql.binds.size());
        const QVariant* now = nullptr; // one time for the whole statement, as the engine's
        for (int b : sql.binds) {
            if (b == LiftedSql::NowBind)
                params_.push_back(now ? *now : *(now = &Now()));
            else
                params_.push_back(b >= 0 ? ToVariant(slots_[b]) : sql.values[-1 - b]);
        }
        return params_;
    }

    // The engine's sysdate on SQLite, datetime('now','localtime'): the local wall-clock time to
    // the second, as text. Made once a second rather than once for every line of a bill.
    const QVariant& Now()
    {
        // The clock the engine reads, not the coarser one behind time().
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        const std::time_t t = ts.tv_sec;
        if (t != nowSecond_ || !now_.isValid()) {
            std::tm local{};
            localtime_r(&t, &local);
            char buf[32];
            const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                                        local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
            now_ = QVariant(QString::fromLatin1(buf, n));
            nowSecond_ = t;
        }
        return now_;
    }

    // The statement's bind values, in one buffer kept for the run: a block runs thousands of
    // statements, and each is bound and done before the next one asks.
    const QVector<QVariant>& Params(const SqlText& sql)
    {
        params_.clear();
        params_.reserve(sql.binds.size());
        for (int slot : sql.binds)
            params_.push_back(ToVariant(slots_[slot]));
        return params_;
    }

    // ---- expressions

    Value Eval(const Expr& e)
    {
        switch (e.kind) {
        case Expr::Kind::Literal:
            return e.value;
        case Expr::Kind::Var:
            return slots_[e.slot];
        case Expr::Kind::CursorAttr:
            return CursorAttribute(e);
        case Expr::Kind::Unary: {
            const Value v = Eval(*e.args[0]);
            if (e.op == u"not") {
                const auto t = Truth(v);
                return t ? Value::MakeBool(!*t) : Value();
            }
            const Value n = ToNumber(v);
            if (n.kind == Value::Kind::Int)
                return Value::MakeInt(ExactInt(checked::Sub(0, n.i)));
            return n.IsNull() ? n : Normalized(-AsDouble(n));
        }
        case Expr::Kind::Binary:
            return Binary(e);
        case Expr::Kind::IsNull:
            return Value::MakeBool(IsOracleNull(Eval(*e.args[0])) != e.negated);
        case Expr::Kind::Like: {
            const Value s = Eval(*e.args[0]), pat = Eval(*e.args[1]);
            if (IsOracleNull(s) || IsOracleNull(pat))
                return {};
            QChar esc;
            if (e.args.size() > 2) {
                const QString es = ToText(Eval(*e.args[2]));
                if (es.size() != 1)
                    Fail(QStringLiteral("ORA-01425: escape character must be character string of length 1"));
                esc = es[0];
            }
            return Value::MakeBool(Like(ToText(s), ToText(pat), esc) != e.negated);
        }
        case Expr::Kind::Between: {
            const Value v = Eval(*e.args[0]);
            const auto lo = Compare(v, Eval(*e.args[1]));
            const auto hi = Compare(v, Eval(*e.args[2]));
            std::optional<bool> a = lo ? std::optional<bool>(*lo >= 0) : std::nullopt;
            std::optional<bool> b = hi ? std::optional<bool>(*hi <= 0) : std::nullopt;
            std::optional<bool> r;
            if ((a && !*a) || (b && !*b))
                r = false;
            else if (a && b)
                r = true;
            if (r && e.negated)
                r = !*r;
            return Tri(r);
        }
        case Expr::Kind::In: {
            const Value v = Eval(*e.args[0]);
            bool unknown = false;
            for (size_t k = 1; k < e.args.size(); ++k) {
                const auto c = Compare(v, Eval(*e.args[k]));
                if (!c)
                    unknown = true;
                else if (*c == 0)
                    return Value::MakeBool(!e.negated);
            }
            return unknown ? Value() : Value::MakeBool(e.negated);
        }
        case Expr::Kind::Call:
            return Call(e);
        case Expr::Kind::Engine:
            return Engine(e.sql);
        }
        return {};
    }

    Value Engine(const SqlText& sql)
    {
        CollectSink sink(1);
        ExecStatement(sql, &sink);
        if (sink.rows.empty() || sink.rows[0].empty())
            return {};
        return sink.rows[0][0];
    }

    Value CursorAttribute(const Expr& e)
    {
        if (e.cursor < 0) { // SQL%...: the last DML or select into
            if (e.op == u"isopen")
                return Value::MakeBool(false);
            if (e.op == u"rowcount")
                return sqlFound_ ? Value::MakeInt(sqlCount_) : Value();
            if (!sqlFound_)
                return {};
            return Value::MakeBool(e.op == u"found" ? *sqlFound_ : !*sqlFound_);
        }
        if (e.op == u"isopen")
            return Value::MakeBool(cursors_[e.cursor].open);
        const CursorState& c = Cursor(e.cursor);
        if (e.op == u"rowcount")
            return Value::MakeInt(c.count);
        if (!c.found)
            return {};
        return Value::MakeBool(e.op == u"found" ? *c.found : !*c.found);
    }

    Value Binary(const Expr& e)
    {
        const QString& op = e.op;
        if (op == u"and" || op == u"or") {
            const bool isAnd = (op == u"and");
            const auto l = Truth(Eval(*e.args[0]));
            if (l && *l != isAnd)
                return Value::MakeBool(!isAnd); // false and ..., true or ...
            const auto r = Truth(Eval(*e.args[1]));
            if (r && *r != isAnd)
                return Value::MakeBool(!isAnd);
            if (l && r)
                return Value::MakeBool(isAnd);
            return {};
        }
        const Value a = Eval(*e.args[0]);
        const Value b = Eval(*e.args[1]);
        if (op == u"||") {
            QString s = ToText(a) + ToText(b);
            return s.isEmpty() ? Value() : Value::MakeText(std::move(s));
        }
        if (op.size() <= 2 && (op[0] == u'=' || op[0] == u'<' || op[0] == u'>')) {
            const auto c = Compare(a, b);
            if (!c)
                return {};
            if (op == u"=")
                return Value::MakeBool(*c == 0);
            if (op == u"<>")
                return Value::MakeBool(*c != 0);
            if (op == u"<")
                return Value::MakeBool(*c < 0);
            if (op == u">")
                return Value::MakeBool(*c > 0);
            if (op == u"<=")
                return Value::MakeBool(*c <= 0);
            return Value::MakeBool(*c >= 0);
        }
        if (IsOracleNull(a) || IsOracleNull(b))
            return {};
        // Date arithmetic in days, as Oracle counts it.
        if (a.kind == Value::Kind::Date || b.kind == Value::Kind::Date) {
            if (op == u"-" && a.kind == Value::Kind::Date && b.kind == Value::Kind::Date)
                return Normalized(double(b.t.msecsTo(a.t)) / 86400000.0);
            if ((op == u"+" || op == u"-") && a.kind == Value::Kind::Date) {
                const double days = AsDouble(ToNumber(b));
                return Value::MakeDate(a.t.addMSecs(qint64(std::llround((op == u"+" ? days : -days) * 86400000.0))));
            }
            if (op == u"+" && b.kind == Value::Kind::Date)
                return Value::MakeDate(b.t.addMSecs(qint64(std::llround(AsDouble(ToNumber(a)) * 86400000.0))));
            Fail(QStringLiteral("PLS-00306: wrong types of arguments in a date expression"));
        }
        const Value x = ToNumber(a), y = ToNumber(b);
        if (x.kind == Value::Kind::Int && y.kind == Value::Kind::Int) {
            if (op == u"+")
                return Value::MakeInt(ExactInt(checked::Add(x.i, y.i)));
            if (op == u"-")
                return Value::MakeInt(ExactInt(checked::Sub(x.i, y.i)));
            if (op == u"*")
                return Value::MakeInt(ExactInt(checked::Mul(x.i, y.i)));
            if (op == u"/" && y.i != 0) {
                const qint64 q = ExactInt(checked::Div(x.i, y.i)); // min / -1 is the one that overflows
                if (q * y.i == x.i)
                    return Value::MakeInt(q);
            }
        }
        const double dx = AsDouble(x), dy = AsDouble(y);
        if (op == u"+")
            return Normalized(dx + dy);
        if (op == u"-")
            return Normalized(dx - dy);
        if (op == u"*")
            return Normalized(dx * dy);
        if (op == u"/") {
            if (dy == 0)
                Fail(QStringLiteral("ORA-01476: divisor is equal to zero"));
            return Normalized(dx / dy);
        }
        if (op == u"**")
            return Normalized(std::pow(dx, dy));
        Fail(QStringLiteral("PLS-00103: unknown operator %1").arg(op));
    }

    Value Call(const Expr& e)
    {
        const QString& f = e.op;
        std::vector<Value> a;
        a.reserve(e.args.size());
        // nvl and friends evaluate every argument as Oracle does; nothing here has side effects
        // except engine calls, which are read-only.
        for (const auto& arg : e.args)
            a.push_back(Eval(*arg));
        auto nullArg = [&] {
            for (const Value& v : a)
                if (IsOracleNull(v))
                    return true;
            return false;
        };
        if (f == u"nvl")
            return IsOracleNull(a[0]) ? a[1] : a[0];
        if (f == u"nvl2")
            return IsOracleNull(a[0]) ? a[2] : a[1];
        if (f == u"coalesce") {
            for (const Value& v : a)
                if (!IsOracleNull(v))
                    return v;
            return {};
        }
        if (f == u"concat") {
            QString s = ToText(a[0]) + ToText(a[1]);
            return s.isEmpty() ? Value() : Value::MakeText(std::move(s));
        }
        if (f == u"greatest" || f == u"least") {
            if (nullArg())
                return {};
            Value best = a[0];
            for (size_t k = 1; k < a.size(); ++k) {
                const int c = *Compare(a[k], best);
                if ((f == u"greatest" && c > 0) || (f == u"least" && c < 0))
                    best = a[k];
            }
            return best;
        }
        if (f == u"replace") {
            if (IsOracleNull(a[0]))
                return {};
            if (IsOracleNull(a[1]))
                return a[0];
            QString s = ToText(a[0]);
            s.replace(ToText(a[1]), a.size() > 2 ? ToText(a[2]) : QString());
            return s.isEmpty() ? Value() : Value::MakeText(s);
        }
        if ((f == u"to_char" || f == u"round" || f == u"trunc") && !a.empty() && a[0].kind == Value::Kind::Date) {
            if (e.sql.text.isEmpty())
                Fail(QStringLiteral("PLS-00306: wrong type of argument in a call to %1").arg(f.toUpper()));
            return Engine(e.sql);
        }
        if (nullArg())
            return {};
        if (f == u"upper")
            return Value::MakeText(ToText(a[0]).toUpper());
        if (f == u"lower")
            return Value::MakeText(ToText(a[0]).toLower());
        if (f == u"length")
            return Value::MakeInt(ToText(a[0]).size());
        if (f == u"trim" || f == u"ltrim" || f == u"rtrim") {
            QString s = ToText(a[0]);
            int from = 0, to = s.size();
            if (f != u"rtrim")
                while (from < to && s[from] == u' ')
                    ++from;
            if (f != u"ltrim")
                while (to > from && s[to - 1] == u' ')
                    --to;
            s = s.mid(from, to - from);
            return s.isEmpty() ? Value() : Value::MakeText(s);
        }
        if (f == u"substr") {
            const QString s = ToText(a[0]);
            qint64 pos = CoerceTo(IntegerSlot(), a[1]).i;
            if (pos == 0)
                pos = 1;
            if (pos < 0)
                pos = s.size() + pos + 1;
            if (pos < 1 || pos > s.size())
                return {};
            qint64 len = s.size() - pos + 1;
            if (a.size() > 2) {
                len = std::min(len, qint64(std::trunc(AsDouble(ToNumber(a[2])))));
                if (len < 1)
                    return {};
            }
            return Value::MakeText(s.mid(int(pos - 1), int(len)));
        }
        if (f == u"instr")
            return Value::MakeInt(ToText(a[0]).indexOf(ToText(a[1])) + 1);
        if (f == u"to_char")
            return Value::MakeText(ToText(a[0]));
        if (f == u"to_number")
            return ToNumber(a[0]);
        // numeric functions
        const Value x = ToNumber(a[0]);
        const double d = AsDouble(x);
        if (f == u"abs")
            return x.kind == Value::Kind::Int ? Value::MakeInt(x.i < 0 ? ExactInt(checked::Sub(0, x.i)) : x.i)
                                              : Normalized(std::fabs(d));
        if (f == u"sign")
            return Value::MakeInt(d > 0 ? 1 : (d < 0 ? -1 : 0));
        if (f == u"floor")
            return Normalized(std::floor(d));
        if (f == u"ceil")
            return Normalized(std::ceil(d));
        const int places = a.size() > 1 ? int(std::trunc(AsDouble(ToNumber(a[1])))) : 0;
        if (f == u"round")
            return Normalized(RoundDecimal(d, places));
        if (f == u"trunc") {
            const double scale = std::pow(10.0, places);
            return Normalized(RoundDecimal(std::trunc(RoundDecimal(d * scale, 9)) / scale, std::max(places, 0)));
        }
        if (f == u"mod") {
            const Value y = ToNumber(a[1]);
            if (x.kind == Value::Kind::Int && y.kind == Value::Kind::Int)
                return Value::MakeInt(y.i == 0 ? x.i : checked::Rem(x.i, y.i));
            const double dy = AsDouble(y);
            return dy == 0 ? x : Normalized(d - dy * std::trunc(d / dy));
        }
        Fail(QStringLiteral("PLS-00201: identifier '%1' must be declared").arg(f.toUpper()));
    }

    static const SlotInfo& IntegerSlot()
    {
        static const SlotInfo info = [] {
            SlotInfo s;
            s.type.kind = VarType::Kind::Integer;
            s.type.scale = 0;
            return s;
        }();
        return info;
    }

    Connection& c_;
    const Program& p_;
    RunOptions options_;
    qint64 steps_ = 0;
    std::vector<Value> slots_;
    QVector<QVariant> params_;
    FirstRowSink intoSink_;
    struct TextKey {
        const QChar* data;
        qsizetype size;
        bool operator==(const TextKey&) const = default;
    };
    struct TextKeyHash {
        size_t operator()(const TextKey& k) const { return std::hash<const void*>()(k.data) ^ size_t(k.size); }
    };
    std::unordered_map<TextKey, QString, TextKeyHash> native_;
    LiftedSql lifted_;                     // the statement running now, lifted
    QHash<QString, QString> liftedNative_; // lifted text -> the engine's text
    QString liftedText_, liftedNativeText_; // the last of them
    std::time_t nowSecond_ = 0;
    QVariant now_;
    std::vector<CursorState> cursors_;
    std::vector<const CursorDecl*> decls_;
    qint64 sqlCount_ = 0;
    std::optional<bool> sqlFound_;
};

void Runner::ExecImmediate(const Stmt& s)
{
    const QString text = ToText(Eval(*s.exprs[0])).trimmed();
    if (text.isEmpty())
        Fail(QStringLiteral("ORA-00900: invalid SQL statement"));
    QVector<QVariant> params;
    for (size_t k = 1; k < s.exprs.size(); ++k)
        params.push_back(ToVariant(Eval(*s.exprs[k])));
    if (host::db::IsBlock(text)) {
        if (!params.isEmpty())
            Fail(QStringLiteral("ORA-01006: bind variable does not exist (a block takes no USING values here)"));
        host::db::RunBlock(c_, text);
        return;
    }
    const qint64 n = Execute(c_, text, params, nullptr);
    sqlCount_ = std::max<qint64>(n, 0);
    sqlFound_ = sqlCount_ > 0;
}

} // namespace

double RoundDecimal(double v, int scale)
{
    if (!std::isfinite(v) || v == 0)
        return v;
    // The shortest decimal digits that read back as v: "2.675" rather than 2.67499999...
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    const std::string text(buf, r.ptr);
    const size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string digits;
    bool negative = false;
    for (size_t k = 0; k < e; ++k) {
        if (text[k] == '-')
            negative = true;
        else if (text[k] >= '0' && text[k] <= '9')
            digits += text[k];
    }
    // digits d1 d2 ... stand for 0.d1d2... * 10^(exponent + 1)
    const int keep = exponent + 1 + scale;
    if (keep >= int(digits.size()))
        return v;
    if (keep < 0)
        return negative ? -0.0 : 0.0;
    const bool up = digits[keep] >= '5';
    std::string kept = digits.substr(0, keep);
    int shift = exponent + 1;
    if (up) {
        int k = keep - 1;
        while (k >= 0 && kept[k] == '9')
            kept[k--] = '0';
        if (k >= 0) {
            ++kept[k];
        } else {
            kept.insert(kept.begin(), '1');
            ++shift;
        }
    }
    if (kept.empty() || kept.find_first_not_of('0') == std::string::npos)
        return negative ? -0.0 : 0.0;
    const std::string out = (negative ? "-0." : "0.") + kept + "e" + std::to_string(shift);
    return std::strtod(out.c_str(), nullptr);
}

Value CoerceTo(const SlotInfo& slot, const Value& in)
{
    // Oracle keeps no empty text: it is null in every variable.
    const Value v = IsOracleNull(in) ? Value() : in;
    if (v.IsNull()) {
        if (slot.notNull)
            Fail(kValueError + QStringLiteral(": null assigned to NOT NULL variable ") + slot.name);
        return v;
    }
    const VarType& t = slot.type;
    switch (t.kind) {
    case VarType::Kind::Any:
        return v;
    case VarType::Kind::Boolean:
        if (v.kind != Value::Kind::Bool)
            Fail(QStringLiteral("PLS-00382: expression is of wrong type (BOOLEAN expected)"));
        return v;
    case VarType::Kind::Date:
        return ToDate(v);
    case VarType::Kind::Varchar:
    case VarType::Kind::Char: {
        QString s = ToText(v);
        if (t.length > 0 && s.size() > t.length)
            Fail(kValueError + QStringLiteral(": character string buffer too small"));
        if (t.kind == VarType::Kind::Char && t.length > 0)
            s = s.leftJustified(t.length, u' ');
        return Value::MakeText(s);
    }
    case VarType::Kind::Integer:
    case VarType::Kind::Number: {
        if (v.kind == Value::Kind::Bool || v.kind == Value::Kind::Date)
            Fail(QStringLiteral("PLS-00382: expression is of wrong type (a number is expected)"));
        Value n = ToNumber(v);
        if (t.kind == VarType::Kind::Number && t.scale < 0 && t.precision == 0)
            return n; // NUMBER without precision keeps every digit
        if (n.kind == Value::Kind::Num)
            n = Normalized(RoundDecimal(n.d, t.scale));
        else if (t.scale < 0)
            n = Normalized(RoundDecimal(double(n.i), t.scale));
        if (t.precision > 0) {
            const double limit = std::pow(10.0, t.precision - t.scale);
            if (std::fabs(AsDouble(n)) >= limit)
                Fail(kValueError + QStringLiteral(": number precision too large"));
        }
        return n;
    }
    }
    return v;
}

void RunProgram(Connection& c, const Program& program, RunOptions options)
{
    Runner(c, program, options).Run();
}

} // namespace host::db::plsql
