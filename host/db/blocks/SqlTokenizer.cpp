#include "host/db/blocks/SqlTokenizer.h"

#include "platform/core/Exception.h"

#include <cstring>

namespace host::db {

// The parser asks these of every token again and again: compared in place, without measuring
// the word first.
bool Token::Is(TokenKind k, const char* t) const
{
    if (kind != k)
        return false;
    const qsizetype n = text.size();
    const QChar* c = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (t[i] == 0 || c[i].unicode() != uchar(t[i]))
            return false;
    }
    return t[n] == 0;
}

bool Token::IsWord(const char* word) const
{
    if (kind != TokenKind::Identifier)
        return false;
    const qsizetype n = text.size();
    const QChar* c = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (word[i] == 0)
            return false;
        const char16_t u = c[i].unicode();
        if (u >= 0x80) // letters beyond ASCII may fold to ASCII ones: the full comparison decides
            return text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
        const char16_t lower = u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
        const uchar w = uchar(word[i]);
        const char16_t wl = w >= 'A' && w <= 'Z' ? char16_t(w + 32) : char16_t(w);
        if (lower != wl)
            return false;
    }
    return word[n] == 0;
}

namespace {

// ASCII decides at once; other characters ask Unicode.
bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r') || (c >= 0x80 && QChar(c).isSpace()); }
bool IsDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= 0x80 && QChar(c).isDigit()); }
bool IsAsciiLetter(char16_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; }
bool IsIdentStart(char16_t c) { return IsAsciiLetter(c) || c == u'_' || (c >= 0x80 && QChar(c).isLetter()); }
bool IsIdentPart(char16_t c)
{
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'_' || c == u'$' || c == u'#'
        || (c >= 0x80 && QChar(c).isLetterOrNumber());
}

[[noreturn]] void Fail(const QString& what, int pos)
{
    throw platform::EDatabaseError(QStringLiteral("SQL syntax error: %1 at position %2").arg(what).arg(pos + 1));
}

// Operator texts made once: every operator token shares one of them.
const char OneCharOps[] = "(),;.+-*/=<>%@|";
const char* const TwoCharOps[] = {"||", "<>", "!=", "^=", "<=", ">=", ":=", "=>", ".."};

const QString& OneCharText(size_t k)
{
    static const std::vector<QString> texts = [] {
        std::vector<QString> t;
        for (const char* c = OneCharOps; *c; ++c)
            t.push_back(QString(QLatin1Char(*c)));
        return t;
    }();
    return texts[k];
}

const QString& TwoCharText(size_t k)
{
    static const std::vector<QString> texts = [] {
        std::vector<QString> t;
        for (const char* op : TwoCharOps)
            t.push_back(QString::fromLatin1(op));
        return t;
    }();
    return texts[k];
}

// The end of the quoted text opening at start, its value in value; -1 when it is left open.
int StringEnd(const QString& sql, int start, QString& value)
{
    const auto* c = reinterpret_cast<const char16_t*>(sql.constData());
    const int n = int(sql.size());
    int i = start + 1;
    for (;;) {
        // The run up to the next quote in one piece: most texts are one run.
        int quote = i;
        while (quote < n && c[quote] != u'\'')
            ++quote;
        if (quote == n)
            return -1;
        if (quote > i) {
            if (value.isNull())
                value = QString(reinterpret_cast<const QChar*>(c + i), quote - i);
            else
                value += QStringView(c + i, quote - i);
        }
        if (quote + 1 < n && c[quote + 1] == u'\'') {
            value += u'\'';
            i = quote + 2;
            continue;
        }
        return quote + 1;
    }
}

// The end of the number starting at start: digits, a point and digits, an exponent.
int NumberEnd(const char16_t* c, int n, int start)
{
    int i = start;
    while (i < n && IsDigit(c[i]))
        ++i;
    if (i < n && c[i] == u'.' && !(i + 1 < n && c[i + 1] == u'.')) {
        ++i;
        while (i < n && IsDigit(c[i]))
            ++i;
    }
    if (i < n && (c[i] == u'e' || c[i] == u'E')) {
        int j = i + 1;
        if (j < n && (c[j] == u'+' || c[j] == u'-'))
            ++j;
        if (j < n && IsDigit(c[j])) {
            i = j;
            while (i < n && IsDigit(c[i]))
                ++i;
        }
    }
    return i;
}

bool NumberStarts(const char16_t* c, int n, int i)
{
    return IsDigit(c[i]) || (c[i] == u'.' && i + 1 < n && IsDigit(c[i + 1]));
}

} // namespace

void Lexer::SkipSpaceAndComments()
{
    const auto* c = reinterpret_cast<const char16_t*>(sql_.constData());
    const int n = int(sql_.size());
    int& i = i_;
    while (i < n) {
        if (IsSpace(c[i])) {
            space_ = true;
            ++i;
            continue;
        }
        if (c[i] == u'-' && i + 1 < n && c[i + 1] == u'-') {
            while (i < n && c[i] != u'\n')
                ++i;
            space_ = true;
            continue;
        }
        if (c[i] == u'/' && i + 1 < n && c[i + 1] == u'*') {
            const int end = int(sql_.indexOf(QLatin1String("*/"), i + 2));
            if (end < 0)
                Fail(QStringLiteral("unterminated comment"), i);
            i = end + 2;
            space_ = true;
            continue;
        }
        return;
    }
}

// One run over the characters a token may start with, in the order they are told apart: split,
// its cases would lose that order.
Token Lexer::Next()
{
    SkipSpaceAndComments();
    const auto* c = reinterpret_cast<const char16_t*>(sql_.constData());
    const int n = int(sql_.size());
    int& i = i_;
    if (i >= n) {
        Token end;
        end.pos = n;
        end.spaceBefore = space_;
        return end;
    }
    Token t;
    t.pos = i;
    t.spaceBefore = space_;
    space_ = false;
    const int start = i;
    const char16_t ch = c[i];
    auto done = [&](TokenKind kind) {
        t.kind = kind;
        t.length = i - start;
        return std::move(t);
    };
    if (ch == u'\'') {
        const int end = StringEnd(sql_, start, t.text);
        if (end < 0)
            Fail(QStringLiteral("unterminated string literal"), start);
        i = end;
        return done(TokenKind::String);
    }
    if (ch == u'"') {
        const int end = int(sql_.indexOf(u'"', i + 1));
        if (end < 0)
            Fail(QStringLiteral("unterminated quoted identifier"), start);
        i = end + 1;
        t.text = sql_.mid(start + 1, end - start - 1);
        return done(TokenKind::QuotedIdentifier);
    }
    if (NumberStarts(c, n, i)) {
        i = NumberEnd(c, n, i);
        t.text = sql_.mid(start, i - start);
        return done(TokenKind::Number);
    }
    if (IsIdentStart(ch)) {
        while (i < n && IsIdentPart(c[i]))
            ++i;
        const QStringView word = QStringView(sql_).mid(start, i - start);
        auto w = words_.constFind(word);
        if (w == words_.constEnd())
            w = words_.insert(word, word.toString());
        t.text = *w;
        return done(TokenKind::Identifier);
    }
    if (ch == u':' && i + 1 < n && (IsIdentPart(c[i + 1]) && c[i + 1] != u'$' && c[i + 1] != u'#')) {
        ++i;
        while (i < n && IsIdentPart(c[i]))
            ++i;
        t.text = sql_.mid(start + 1, i - start - 1);
        return done(TokenKind::Bind);
    }
    if (i + 1 < n) {
        for (size_t k = 0; k < std::size(TwoCharOps); ++k) {
            const char* op = TwoCharOps[k];
            if (ch == char16_t(op[0]) && c[i + 1] == char16_t(op[1])) {
                i += 2;
                t.text = TwoCharText(k);
                return done(TokenKind::Operator);
            }
        }
    }
    if (ch < 0x80) {
        if (const char* op = std::strchr(OneCharOps, char(ch)); op && ch != 0) {
            ++i;
            t.text = OneCharText(size_t(op - OneCharOps));
            return done(TokenKind::Operator);
        }
    }
    Fail(QStringLiteral("unexpected character '%1'").arg(QChar(ch)), i);
}

int NumberEndAt(const QString& sql, int pos)
{
    const auto* c = reinterpret_cast<const char16_t*>(sql.constData());
    const int n = int(sql.size());
    return pos >= 0 && pos < n && NumberStarts(c, n, pos) ? NumberEnd(c, n, pos) : pos;
}

int StringEndAt(const QString& sql, int pos, QString& value)
{
    if (pos < 0 || pos >= sql.size() || sql[pos] != u'\'')
        return pos;
    const int end = StringEnd(sql, pos, value);
    return end < 0 ? pos : end;
}

QVector<Token> Tokenize(const QString& sql)
{
    QVector<Token> out;
    TokenizeInto(sql, out);
    return out;
}

void TokenizeInto(const QString& sql, QVector<Token>& out)
{
    out.clear();
    out.reserve(sql.size() / 5 + 8); // SQL runs about one token to every six or seven characters
    Lexer lex(sql);
    for (;;) {
        out.push_back(lex.Next());
        if (out.back().kind == TokenKind::End)
            return;
    }
}

QString TokenText(const Token& t)
{
    switch (t.kind) {
    case TokenKind::String: {
        QString s = t.text;
        s.replace(u'\'', QLatin1String("''")); // allowed: a literal written back as it was read
        return u'\'' + s + u'\'';
    }
    case TokenKind::QuotedIdentifier:
        return u'"' + t.text + u'"';
    case TokenKind::Bind:
        return u':' + t.text;
    case TokenKind::End:
        return {};
    default:
        return t.text;
    }
}

} // namespace host::db
