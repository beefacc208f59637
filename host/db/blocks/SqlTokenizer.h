#pragma once
// Tokens of Oracle SQL and PL/SQL text: string literals with doubled quotes, quoted identifiers,
// comments (dropped), numbers, bind variables (:1, :name) and operators.
#include <QHash>
#include <QString>
#include <QStringView>
#include <QVector>

namespace host::db {

enum class TokenKind {
    Identifier,       // unquoted: case-insensitive (compare with IsWord)
    QuotedIdentifier, // "Name": text holds the name without quotes, case kept
    String,           // 'it''s': text holds the value (it's)
    Number,           // 12, 12.5, .5, 1e3
    Bind,             // :1 or :name; text holds what follows the colon
    Operator,         // ( ) , ; . + - * / || = <> != ^= < > <= >= := % @ =>
    End
};

struct Token {
    TokenKind kind = TokenKind::End;
    QString text;
    int pos = 0;            // offset in the source
    int length = 0;         // characters in the source
    bool spaceBefore = false; // whitespace or a comment stood before it

    bool Is(TokenKind k, const char* t) const;
    bool IsOp(const char* op) const { return Is(TokenKind::Operator, op); }
    // An unquoted identifier equal to the word, ignoring case.
    bool IsWord(const char* word) const;
};

} // namespace host::db

// Tokens move by memcpy when the token list grows: a block of a thousand lines has 60,000.
Q_DECLARE_TYPEINFO(host::db::Token, Q_RELOCATABLE_TYPE);

namespace host::db {

// Reads the tokens of a text one at a time, as a parser reaches them. The text must outlive it.
class Lexer {
public:
    explicit Lexer(const QString& sql) : sql_(sql) {}
    // The next token, End once the text is done (and on every call after that). Throws
    // platform::EDatabaseError on an unterminated literal or comment.
    Token Next();
    // Goes on at pos, which must be where a token ends or whitespace begins.
    void Seek(int pos)
    {
        i_ = pos;
        space_ = false;
    }
private:
    // Moves past whitespace and comments, noting that there were some (space_).
    void SkipSpaceAndComments();

    const QString& sql_;
    int i_ = 0;
    bool space_ = false;
    QHash<QStringView, QString> words_; // each name's text made once: a block repeats its names
};

// Where the number starting at pos ends, as Lexer reads it; pos itself when none starts there.
int NumberEndAt(const QString& sql, int pos);
// Where the quoted text opening at pos ends, as Lexer reads it, its value in value; pos itself
// when no quote opens there or the text is left open.
int StringEndAt(const QString& sql, int pos, QString& value);

// Throws platform::EDatabaseError on an unterminated literal or comment. The last token is End.
QVector<Token> Tokenize(const QString& sql);
// The same into out, replacing what it held but keeping its capacity for the next text.
void TokenizeInto(const QString& sql, QVector<Token>& out);

// Source text of one token as it must be written back (quotes doubled again).
QString TokenText(const Token& t);

} // namespace host::db
