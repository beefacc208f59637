#include "platform/workbook/Workbook.h"

#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

#include <QHash>
#include <QSet>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace platform::excel {

namespace {

bool InBounds(int column, int row) { return column >= 0 && column < kMaxColumns && row >= 0 && row < kMaxRows; }

void CheckBounds(int column, int row)
{
    if (!InBounds(column, row))
        throw Exception(QStringLiteral("单元格位置超出范围：列 %1，行 %2").arg(column).arg(row));
}

} // namespace

const BookCell* BookSheet::Cell(int column, int row) const
{
    if (!InBounds(column, row))
        return nullptr;
    auto it = cells_.constFind(Key(column, row));
    return it == cells_.cend() ? nullptr : &it.value();
}

BookCell& BookSheet::CellAt(int column, int row)
{
    CheckBounds(column, row);
    return cells_[Key(column, row)];
}

BookCell& BookSheet::AppendCell(int column, int row)
{
    CheckBounds(column, row);
    const qint64 key = Key(column, row);
    if (!cells_.isEmpty() && key <= cells_.lastKey())
        return cells_[key];
    return *cells_.insert(cells_.cend(), key, BookCell());
}

void BookSheet::Remove(int column, int row) { cells_.remove(Key(column, row)); }

int BookSheet::ColumnCount() const
{
    int n = 0;
    for (auto it = cells_.cbegin(); it != cells_.cend(); ++it)
        n = std::max(n, ColumnOf(it.key()) + 1);
    return n;
}

int BookSheet::RowCount() const { return cells_.isEmpty() ? 0 : RowOf(cells_.lastKey()) + 1; }

int BookData::CellCount() const
{
    int n = 0;
    for (const BookSheet& s : sheets)
        n += s.CellCount();
    return n;
}

QString CellName(int column, int row)
{
    if (column < 0 || column >= kMaxColumns || row < 0 || row >= kMaxRows)
        return {};
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

bool ParseCellName(QStringView text, int& column, int& row)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && text[i] == u'$')
        ++i;
    qint64 col = 0;
    const qsizetype lettersStart = i;
    while (i < n && text[i].isLetter() && text[i].toUpper() >= u'A' && text[i].toUpper() <= u'Z') {
        col = col * 26 + (text[i].toUpper().unicode() - u'A' + 1);
        if (col > kMaxColumns)
            return false;
        ++i;
    }
    if (i == lettersStart)
        return false;
    if (i < n && text[i] == u'$')
        ++i;
    qint64 r = 0;
    const qsizetype digitsStart = i;
    while (i < n && text[i].isDigit()) {
        r = r * 10 + text[i].digitValue();
        if (r > kMaxRows)
            return false;
        ++i;
    }
    if (i == digitsStart || i != n || r < 1)
        return false;
    column = int(col - 1);
    row = int(r - 1);
    return true;
}

QString XlsxFileName(QString name)
{
    if (name.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return name;
    if (name.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        name.chop(4);
    return name + QStringLiteral(".xlsx");
}

// ---- formulas ----------------------------------------------------------------------------

namespace {

// A formula value: a number, a text, or an error text such as "#VALUE!".
struct Value {
    enum class Kind { Number, Text, Error, Empty };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;
    static Value Num(double d) { return {Kind::Number, d, {}}; }
    static Value Str(QString s) { return {Kind::Text, 0, std::move(s)}; }
    static Value Err(const char* e) { return {Kind::Error, 0, QString::fromLatin1(e)}; }
};

// Cells in progress (a circular reference) and cells already computed in one recalculation.
// Formulas reading formulas nest at most this deep on the stack; a longer chain is computed
// from its far end in several passes (see Resolve), so a column of thousands of dependent
// formulas neither overflows the stack nor fails.
constexpr int kMaxNesting = 200;

struct EvalContext {
    const BookSheet& sheet;
    QHash<qint64, Value> done;
    QSet<qint64> busy;
    // The first cell left unevaluated because the nesting ran too deep in this pass; -1: none.
    qint64 deferred = -1;
    // Cells read so far, against kMaxFormulaReads.
    qint64 reads = 0;

    void Read()
    {
        if (++reads > kMaxFormulaReads)
            throw Exception(QStringLiteral("公式引用的单元格过多（一次计算超过 %1 个），无法计算").arg(kMaxFormulaReads));
    }
};

Value FromVariant(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Float:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return Value::Num(v.toDouble());
    case QMetaType::Bool:
        return Value::Num(v.toBool() ? 1 : 0);
    default: {
        const QString s = v.toString();
        if (s.startsWith(u'#'))
            return Value{Value::Kind::Error, 0, s};
        return Value::Str(s);
    }
    }
}

Value EvaluateIn(EvalContext& ctx, const QString& formula);

Value CellValue(EvalContext& ctx, int column, int row)
{
    ctx.Read();
    const qint64 key = BookSheet::Key(column, row);
    const BookCell* cell = ctx.sheet.Cell(column, row);
    if (!cell)
        return {};
    if (!cell->HasFormula())
        return FromVariant(cell->value);
    if (auto it = ctx.done.constFind(key); it != ctx.done.cend())
        return it.value();
    if (ctx.busy.contains(key))
        return Value::Err("#REF!");
    if (ctx.busy.size() >= kMaxNesting) {
        if (ctx.deferred < 0)
            ctx.deferred = key;
        return Value::Err("#REF!"); // a stand-in: nothing computed from it is kept
    }
    ctx.busy.insert(key);
    Value v = EvaluateIn(ctx, cell->formula);
    ctx.busy.remove(key);
    if (ctx.deferred < 0)
        ctx.done.insert(key, v);
    return v;
}

// Evaluates top (a formula cell's or a free formula's value) to the end: each pass that nests
// too deep first computes the cell where it stopped, which starts a new pass from there. A
// cell met again while waiting for its own value is a circular reference.
Value Resolve(EvalContext& ctx, const std::function<Value()>& top)
{
    std::vector<qint64> waiting;
    QSet<qint64> waitingSet;
    for (;;) {
        ctx.deferred = -1;
        ctx.busy.clear();
        Value v = waiting.empty() ? top()
                                  : CellValue(ctx, BookSheet::ColumnOf(waiting.back()), BookSheet::RowOf(waiting.back()));
        const qint64 deferred = ctx.deferred;
        if (deferred < 0) {
            if (waiting.empty())
                return v;
            waitingSet.remove(waiting.back());
            waiting.pop_back();
            continue;
        }
        if (waitingSet.contains(deferred)) {
            ctx.done.insert(deferred, Value::Err("#REF!"));
            continue;
        }
        waiting.push_back(deferred);
        waitingSet.insert(deferred);
    }
}

class Parser {
public:
    Parser(EvalContext& ctx, const QString& text) : ctx_(ctx), s_(text) {}

    Value Run()
    {
        Value v = Concat();
        Skip();
        if (!failed_ && pos_ != s_.size())
            return Value::Err("#NAME?");
        return failed_ ? failure_ : v;
    }

private:
    void Skip()
    {
        while (pos_ < s_.size() && s_[pos_].isSpace())
            ++pos_;
    }
    bool Eat(QChar c)
    {
        Skip();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    Value Fail(const char* error)
    {
        if (!failed_) {
            failed_ = true;
            failure_ = Value::Err(error);
        }
        return failure_;
    }
    // A referenced cell's error becomes the formula's.
    Value FailWith(const Value& error)
    {
        if (!failed_) {
            failed_ = true;
            failure_ = error;
        }
        return failure_;
    }
    std::optional<double> Number(const Value& v)
    {
        switch (v.kind) {
        case Value::Kind::Number:
            return v.number;
        case Value::Kind::Empty:
            return 0.0;
        case Value::Kind::Text: {
            bool ok = false;
            const double d = v.text.trimmed().toDouble(&ok);
            if (ok)
                return d;
            Fail("#VALUE!");
            return std::nullopt;
        }
        case Value::Kind::Error:
            FailWith(v);
            return std::nullopt;
        }
        return std::nullopt;
    }
    static QString Text(const Value& v)
    {
        if (v.kind == Value::Kind::Number)
            return PlainNumberText(v.number);
        return v.text;
    }

    // What the functions need of their arguments' numbers, gathered as they come: a range over
    // a full sheet keeps no list of its values.
    struct Numbers {
        double sum = 0;
        qint64 count = 0;
        double min = 0;
        double max = 0;
        void Add(double d)
        {
            sum += d;
            min = count == 0 ? d : std::min(min, d);
            max = count == 0 ? d : std::max(max, d);
            ++count;
        }
    };

    // Parentheses and signs nest on the stack: a formula nesting deeper than any spreadsheet
    // allows (Excel: 64 levels) is refused instead of exhausting it.
    struct Nesting {
        Parser& p;
        explicit Nesting(Parser& parser) : p(parser) { ++p.depth_; }
        ~Nesting() { --p.depth_; }
        bool TooDeep() const { return p.depth_ > 256; }
    };

    Value Concat()
    {
        const Nesting nesting(*this);
        if (nesting.TooDeep())
            return Fail("#VALUE!");
        Value left = Additive();
        while (!failed_ && Eat(u'&')) {
            Value right = Additive();
            if (left.kind == Value::Kind::Error || right.kind == Value::Kind::Error)
                return Fail("#VALUE!");
            left = Value::Str(Text(left) + Text(right));
        }
        return left;
    }
    // One level of left-associative arithmetic: operands from `next`, operators `op1` and `op2`.
    Value Arithmetic(Value (Parser::*next)(), char16_t op1, char16_t op2)
    {
        Value left = (this->*next)();
        for (;;) {
            if (failed_)
                return failure_;
            QChar op;
            if (Eat(op1))
                op = op1;
            else if (Eat(op2))
                op = op2;
            else
                return left;
            Value right = (this->*next)();
            auto a = Number(left), b = Number(right);
            if (!a || !b)
                return failure_;
            if (op == u'/' && *b == 0)
                return Fail("#DIV/0!");
            switch (op.unicode()) {
            case u'+': left = Value::Num(*a + *b); break;
            case u'-': left = Value::Num(*a - *b); break;
            case u'*': left = Value::Num(*a * *b); break;
            default: left = Value::Num(*a / *b); break;
            }
        }
    }
    Value Additive() { return Arithmetic(&Parser::Multiplicative, u'+', u'-'); }
    Value Multiplicative() { return Arithmetic(&Parser::Unary, u'*', u'/'); }
    Value Unary()
    {
        const Nesting nesting(*this);
        if (nesting.TooDeep())
            return Fail("#VALUE!");
        if (Eat(u'-')) {
            auto a = Number(Unary());
            return a ? Value::Num(-*a) : failure_;
        }
        if (Eat(u'+'))
            return Unary();
        return Primary();
    }

    // A cell reference or a range at the current position; false (position kept) when none.
    bool Reference(int& c1, int& r1, int& c2, int& r2)
    {
        Skip();
        const qsizetype start = pos_;
        auto refAt = [&](int& c, int& r) {
            const qsizetype from = pos_;
            while (pos_ < s_.size() && (s_[pos_].isLetterOrNumber() || s_[pos_] == u'$'))
                ++pos_;
            if (ParseCellName(QStringView(s_).mid(from, pos_ - from), c, r))
                return true;
            pos_ = from;
            return false;
        };
        if (!refAt(c1, r1)) {
            pos_ = start;
            return false;
        }
        c2 = c1;
        r2 = r1;
        const qsizetype afterFirst = pos_;
        if (Eat(u':')) {
            Skip();
            if (!refAt(c2, r2)) {
                pos_ = afterFirst;
                Fail("#REF!");
                return true;
            }
        }
        if (c2 < c1)
            std::swap(c1, c2);
        if (r2 < r1)
            std::swap(r1, r2);
        return true;
    }

    // The numbers of the range's cells, in row order; false (failed) at the first error. Only
    // the cells the sheet holds are visited: empty cells add nothing, and a range as wide as
    // the sheet costs what the sheet holds, not the billions of positions it spans.
    bool RangeNumbers(int c1, int r1, int c2, int r2, Numbers& numbers)
    {
        const BookSheet::Cells& cells = ctx_.sheet.AllCells();
        auto it = cells.lowerBound(BookSheet::Key(c1, r1));
        const auto end = cells.upperBound(BookSheet::Key(c2, r2));
        while (it != end) {
            ctx_.Read();
            const int row = BookSheet::RowOf(it.key());
            const int column = BookSheet::ColumnOf(it.key());
            // Left or right of the range: on to its first column in this row or the next.
            if (column < c1) {
                it = cells.lowerBound(BookSheet::Key(c1, row));
                continue;
            }
            if (column > c2) {
                it = cells.lowerBound(BookSheet::Key(c1, row + 1));
                continue;
            }
            // A plain value is at hand: no second look-up, and a number (most cells) no conversion.
            const BookCell& cell = it.value();
            if (!cell.HasFormula() && cell.value.metaType() == QMetaType::fromType<double>()) {
                numbers.Add(*static_cast<const double*>(cell.value.constData()));
                ++it;
                continue;
            }
            Value v = cell.HasFormula() ? CellValue(ctx_, column, row) : FromVariant(cell.value);
            if (v.kind == Value::Kind::Error) {
                FailWith(v);
                return false;
            }
            if (v.kind == Value::Kind::Number)
                numbers.Add(v.number);
            ++it;
        }
        return true;
    }

    Value Function(const QString& name)
    {
        // Arguments flattened to the values of their cells; texts from cells do not count.
        Numbers numbers;
        if (!Eat(u')')) {
            do {
                int c1, r1, c2, r2;
                Skip();
                const qsizetype save = pos_;
                if (Reference(c1, r1, c2, r2) && !failed_) {
                    Skip();
                    if (pos_ < s_.size() && s_[pos_] != u',' && s_[pos_] != u';' && s_[pos_] != u')') {
                        // An expression that only starts with a reference.
                        pos_ = save;
                    } else {
                        if (!RangeNumbers(c1, r1, c2, r2, numbers))
                            return failure_;
                        continue;
                    }
                }
                if (failed_)
                    return failure_;
                Value v = Concat();
                if (failed_)
                    return failure_;
                auto d = Number(v);
                if (!d)
                    return failure_;
                numbers.Add(*d);
            } while (Eat(u',') || Eat(u';'));
            if (!Eat(u')'))
                return Fail("#NAME?");
        }
        const QString upper = name.toUpper();
        if (upper == u"SUM")
            return Value::Num(numbers.sum);
        if (upper == u"AVERAGE")
            return numbers.count == 0 ? Fail("#DIV/0!") : Value::Num(numbers.sum / double(numbers.count));
        if (upper == u"MIN")
            return Value::Num(numbers.count == 0 ? 0 : numbers.min);
        if (upper == u"MAX")
            return Value::Num(numbers.count == 0 ? 0 : numbers.max);
        if (upper == u"COUNT")
            return Value::Num(double(numbers.count));
        return Fail("#NAME?");
    }

    Value Primary()
    {
        Skip();
        if (pos_ >= s_.size())
            return Fail("#VALUE!");
        const QChar c = s_[pos_];
        if (c == u'(') {
            ++pos_;
            Value v = Concat();
            if (!Eat(u')'))
                return Fail("#NAME?");
            return v;
        }
        if (c == u'"') {
            QString text;
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size())
                    return Fail("#NAME?");
                if (s_[pos_] == u'"') {
                    if (pos_ + 1 < s_.size() && s_[pos_ + 1] == u'"') {
                        text += u'"';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    return Value::Str(text);
                }
                text += s_[pos_++];
            }
        }
        if (c.isDigit() || c == u'.') {
            const qsizetype from = pos_;
            while (pos_ < s_.size() && (s_[pos_].isDigit() || s_[pos_] == u'.'))
                ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == u'e' || s_[pos_] == u'E')) {
                ++pos_;
                if (pos_ < s_.size() && (s_[pos_] == u'+' || s_[pos_] == u'-'))
                    ++pos_;
                while (pos_ < s_.size() && s_[pos_].isDigit())
                    ++pos_;
            }
            bool ok = false;
            const double d = QStringView(s_).mid(from, pos_ - from).toDouble(&ok);
            return ok ? Value::Num(d) : Fail("#VALUE!");
        }
        if (c.isLetter() || c == u'$') {
            const qsizetype from = pos_;
            while (pos_ < s_.size() && (s_[pos_].isLetterOrNumber() || s_[pos_] == u'_' || s_[pos_] == u'.'))
                ++pos_;
            const QString word = s_.mid(from, pos_ - from);
            if (Eat(u'('))
                return Function(word);
            pos_ = from;
            int c1, r1, c2, r2;
            if (Reference(c1, r1, c2, r2)) {
                if (failed_)
                    return failure_;
                if (c1 != c2 || r1 != r2)
                    return Fail("#VALUE!"); // a range where one value is wanted
                Value v = CellValue(ctx_, c1, r1);
                if (v.kind == Value::Kind::Error)
                    return FailWith(v);
                return v;
            }
            return Fail("#NAME?");
        }
        return Fail("#NAME?");
    }

    EvalContext& ctx_;
    const QString& s_;
    qsizetype pos_ = 0;
    bool failed_ = false;
    Value failure_;
    int depth_ = 0;
};

Value EvaluateIn(EvalContext& ctx, const QString& formula)
{
    QString text = formula.trimmed();
    if (text.startsWith(u'='))
        text.remove(0, 1);
    return Parser(ctx, text).Run();
}

QVariant ToVariant(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Number:
        return std::isfinite(v.number) ? QVariant(v.number) : QVariant(QStringLiteral("#NUM!"));
    case Value::Kind::Text:
    case Value::Kind::Error:
        return v.text;
    case Value::Kind::Empty:
        return 0.0;
    }
    return {};
}

} // namespace

QVariant EvaluateFormula(const QString& formula, const BookSheet& sheet)
{
    EvalContext ctx{sheet, {}, {}};
    return ToVariant(Resolve(ctx, [&] { return EvaluateIn(ctx, formula); }));
}

void Recalculate(BookSheet& sheet)
{
    EvalContext ctx{sheet, {}, {}};
    QVector<QPair<qint64, QVariant>> results;
    for (auto it = sheet.AllCells().cbegin(); it != sheet.AllCells().cend(); ++it) {
        if (!it.value().HasFormula())
            continue;
        const int column = BookSheet::ColumnOf(it.key());
        const int row = BookSheet::RowOf(it.key());
        results.push_back({it.key(), ToVariant(Resolve(ctx, [&] { return CellValue(ctx, column, row); }))});
    }
    for (const auto& [key, value] : results)
        sheet.CellAt(BookSheet::ColumnOf(key), BookSheet::RowOf(key)).value = value;
}

} // namespace platform::excel
