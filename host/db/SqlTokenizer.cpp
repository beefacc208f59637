#include "host/db/SqlTokenizer.h"

#include "platform/core/Exception.h"

#include <QHash>

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

bool IsIdentStart(QChar c) { return c.isLetter() || c == u'_'; }
bool IsIdentPart(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#'; }

[[noreturn]] void Fail(const QString& what, int pos)
{
    throw platform::EDatabaseError(QStringLiteral("SQL syntax error: %1 at position %2").arg(what).arg(pos + 1));
}

// Operator texts made once: every operator token shares one of them.
const QString& OperatorText(QChar c)
{
    static const QString chars = QStringLiteral("(),;.+-*/=<>%@|");
    static const std::vector<QString> texts = [] {
        std::vector<QString> t;
        for (QChar ch : chars)
            t.push_back(QString(ch));
        return t;
    }();
    return texts[size_t(chars.indexOf(c))];
}

const char* const TwoCharOps[] = {"||", "<>", "!=", "^=", "<=", ">=", ":=", "=>", ".."};

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

} // namespace

QVector<Token> Tokenize(const QString& sql)
{
    QVector<Token> out;
    TokenizeInto(sql, out);
    return out;
}

void TokenizeInto(const QString& sql, QVector<Token>& out)
{
    out.clear();
    const int n = sql.size();
    QHash<QStringView, QString> words;
    out.reserve(n / 5 + 8); // SQL runs about one token to every six or seven characters
    int i = 0;
    bool space = false;
    auto push = [&](TokenKind kind, QString text, int start) {
        Token t;
        t.kind = kind;
        t.text = std::move(text);
        t.pos = start;
        t.length = i - start;
        t.spaceBefore = space;
        out.push_back(std::move(t));
        space = false;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            space = true;
            ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n')
                ++i;
            space = true;
            continue;
        }
        if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const int end = sql.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                Fail(QStringLiteral("unterminated comment"), i);
            i = end + 2;
            space = true;
            continue;
        }
        const int start = i;
        if (c == u'\'') {
            QString value;
            ++i;
            for (;;) {
                // The run up to the next quote in one piece.
                const int quote = sql.indexOf(u'\'', i);
                if (quote < 0)
                    Fail(QStringLiteral("unterminated string literal"), start);
                if (quote > i) {
                    if (value.isNull())
                        value = sql.mid(i, quote - i);
                    else
                        value += QStringView(sql).mid(i, quote - i);
                }
                if (quote + 1 < n && sql[quote + 1] == u'\'') {
                    value += u'\'';
                    i = quote + 2;
                    continue;
                }
                i = quote + 1;
                break;
            }
            push(TokenKind::String, std::move(value), start);
            continue;
        }
        if (c == u'"') {
            const int end = sql.indexOf(u'"', i + 1);
            if (end < 0)
                Fail(QStringLiteral("unterminated quoted identifier"), start);
            i = end + 1;
            push(TokenKind::QuotedIdentifier, sql.mid(start + 1, end - start - 1), start);
            continue;
        }
        if (c.isDigit() || (c == u'.' && i + 1 < n && sql[i + 1].isDigit())) {
            while (i < n && sql[i].isDigit())
                ++i;
            if (i < n && sql[i] == u'.' && !(i + 1 < n && sql[i + 1] == u'.')) {
                ++i;
                while (i < n && sql[i].isDigit())
                    ++i;
            }
            if (i < n && (sql[i] == u'e' || sql[i] == u'E')) {
                int j = i + 1;
                if (j < n && (sql[j] == u'+' || sql[j] == u'-'))
                    ++j;
                if (j < n && sql[j].isDigit()) {
                    i = j;
                    while (i < n && sql[i].isDigit())
                        ++i;
                }
            }
            push(TokenKind::Number, sql.mid(start, i - start), start);
            continue;
        }
        if (IsIdentStart(c)) {
            while (i < n && IsIdentPart(sql[i]))
                ++i;
            // A block repeats its names (a thousand inserts name the same columns): each name's
            // text is made once and shared.
            const QStringView word = QStringView(sql).mid(start, i - start);
            auto w = words.constFind(word);
            if (w == words.constEnd())
                w = words.insert(word, word.toString());
            push(TokenKind::Identifier, *w, start);
            continue;
        }
        if (c == u':' && i + 1 < n && (sql[i + 1].isLetterOrNumber() || sql[i + 1] == u'_')) {
            ++i;
            while (i < n && IsIdentPart(sql[i]))
                ++i;
            push(TokenKind::Bind, sql.mid(start + 1, i - start - 1), start);
            continue;
        }
        bool matched = false;
        if (i + 1 < n) {
            for (size_t k = 0; k < std::size(TwoCharOps); ++k) {
                const char* op = TwoCharOps[k];
                if (sql[i] == QLatin1Char(op[0]) && sql[i + 1] == QLatin1Char(op[1])) {
                    i += 2;
                    push(TokenKind::Operator, TwoCharText(k), start);
                    matched = true;
                    break;
                }
            }
        }
        if (matched)
            continue;
        if (QLatin1String("(),;.+-*/=<>%@|").contains(c)) {
            ++i;
            push(TokenKind::Operator, OperatorText(c), start);
            continue;
        }
        Fail(QStringLiteral("unexpected character '%1'").arg(c), i);
    }
    Token end;
    end.pos = n;
    end.spaceBefore = space;
    out.push_back(end);
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
