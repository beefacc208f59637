#pragma once
// Tokens of Oracle SQL and PL/SQL text: string literals with doubled quotes, quoted identifiers,
// comments (dropped), numbers, bind variables (:1, :name) and operators.
#include <QString>
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

// Throws platform::EDatabaseError on an unterminated literal or comment. The last token is End.
QVector<Token> Tokenize(const QString& sql);
// The same into out, replacing what it held but keeping its capacity for the next text.
void TokenizeInto(const QString& sql, QVector<Token>& out);

// Source text of one token as it must be written back (quotes doubled again).
QString TokenText(const Token& t);

} // namespace host::db
