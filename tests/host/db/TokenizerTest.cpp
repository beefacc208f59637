// The tokenizer's texts and the word and operator tests the parser and translator lean on.
#include "host/db/blocks/SqlTokenizer.h"

#include <gtest/gtest.h>

using namespace host::db;

namespace {

QStringList Texts(const QVector<Token>& tokens)
{
    QStringList out;
    for (const Token& t : tokens)
        if (t.kind != TokenKind::End)
            out << TokenText(t);
    return out;
}

} // namespace

TEST(Tokenizer, LiteralsAndOperatorsReadBackAsWritten)
{
    const QVector<Token> t = Tokenize(QStringLiteral("x:='It''s'||''''||''; y<>12.50 -- note\n and z>=.5"));
    EXPECT_EQ(Texts(t), (QStringList{"x", ":=", "'It''s'", "||", "''''", "||", "''", ";", "y", "<>", "12.50", "and",
                                     "z", ">=", ".5"}));
    EXPECT_EQ(t[2].text, QStringLiteral("It's"));
    EXPECT_EQ(t[4].text, QStringLiteral("'"));
    EXPECT_TRUE(t[6].text.isEmpty());
    EXPECT_EQ(t[2].length, 7);
    EXPECT_TRUE(t[11].spaceBefore);
}

TEST(Tokenizer, WordsAndOperatorsMatchWholly)
{
    const QVector<Token> t = Tokenize(QStringLiteral("Insert INTO values_x ( <= < value \u212Aey"));
    EXPECT_TRUE(t[0].IsWord("insert"));
    EXPECT_TRUE(t[1].IsWord("into"));
    EXPECT_FALSE(t[1].IsWord("in"));
    EXPECT_FALSE(t[1].IsWord("intox"));
    EXPECT_FALSE(t[2].IsWord("values"));
    EXPECT_TRUE(t[3].IsOp("("));
    EXPECT_FALSE(t[3].IsWord("("));
    EXPECT_TRUE(t[4].IsOp("<="));
    EXPECT_FALSE(t[4].IsOp("<"));
    EXPECT_FALSE(t[5].IsOp("<="));
    EXPECT_FALSE(t[6].IsOp("value"));
    EXPECT_TRUE(t[6].Is(TokenKind::Identifier, "value"));
    // The Kelvin sign folds to k, as the full comparison has it.
    EXPECT_EQ(t[7].IsWord("key"), t[7].text.compare(QLatin1String("key"), Qt::CaseInsensitive) == 0);
}

TEST(Tokenizer, RefusesUnterminatedTexts)
{
    EXPECT_ANY_THROW(Tokenize(QStringLiteral("x := 'open")));
    EXPECT_ANY_THROW(Tokenize(QStringLiteral("x := 'open''")));
    EXPECT_ANY_THROW(Tokenize(QStringLiteral("/* open")));
}
