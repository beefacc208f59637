// Value rules of block variables: Oracle's rounding, text of numbers, and refusals on assignment.
#include "host/db/blocks/BlockInterpreter.h"
#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

#include "BlockTestUtil.h"

#include <gtest/gtest.h>

using namespace host::db::plsql;
using platform::OracleNumberText;

namespace {

SlotInfo Slot(VarType::Kind kind, int precision = 0, int scale = -1, int length = 0)
{
    SlotInfo s;
    s.name = QStringLiteral("v");
    s.type.kind = kind;
    s.type.precision = precision;
    s.type.scale = scale;
    s.type.length = length;
    return s;
}

QString CoerceError(const SlotInfo& s, const Value& v)
{
    try {
        CoerceTo(s, v);
    } catch (const platform::EDatabaseError& e) {
        return e.Message();
    }
    return {};
}

} // namespace

TEST(BlockValues, RoundingIsHalfAwayFromZeroOnTheDecimalDigits)
{
    // 2.675 and 1.005 are stored a hair below the typed number; Oracle rounds the typed number.
    EXPECT_DOUBLE_EQ(RoundDecimal(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(RoundDecimal(1.005, 2), 1.01);
    EXPECT_DOUBLE_EQ(RoundDecimal(-2.675, 2), -2.68);
    EXPECT_DOUBLE_EQ(RoundDecimal(2.5, 0), 3.0);
    EXPECT_DOUBLE_EQ(RoundDecimal(-2.5, 0), -3.0);
    EXPECT_DOUBLE_EQ(RoundDecimal(0.125, 2), 0.13); // not to even
    EXPECT_DOUBLE_EQ(RoundDecimal(2.674999, 2), 2.67);
    EXPECT_DOUBLE_EQ(RoundDecimal(9.995, 2), 10.0); // carry through every digit
    EXPECT_DOUBLE_EQ(RoundDecimal(0.004, 2), 0.0);
    EXPECT_DOUBLE_EQ(RoundDecimal(0.005, 2), 0.01);
    EXPECT_DOUBLE_EQ(RoundDecimal(1234.5, -2), 1200.0);
    EXPECT_DOUBLE_EQ(RoundDecimal(1250, -2), 1300.0);
    EXPECT_DOUBLE_EQ(RoundDecimal(12.5, 4), 12.5);
}

TEST(BlockValues, NumberTextAsOracleWritesIt)
{
    EXPECT_EQ(OracleNumberText(0.5), QStringLiteral(".5"));
    EXPECT_EQ(OracleNumberText(-0.25), QStringLiteral("-.25"));
    EXPECT_EQ(OracleNumberText(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(OracleNumberText(0.1 + 0.2), QStringLiteral(".3"));
    EXPECT_EQ(OracleNumberText(100.0), QStringLiteral("100"));
    EXPECT_EQ(OracleNumberText(1e20), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(OracleNumberText(0.000001), QStringLiteral(".000001"));
    EXPECT_EQ(OracleNumberText(0), QStringLiteral("0"));
}

TEST(BlockValues, DecimalVariablesRoundAndCheckTheirPrecision)
{
    const SlotInfo qty = Slot(VarType::Kind::Number, 10, 2);
    EXPECT_DOUBLE_EQ(CoerceTo(qty, Value::MakeNum(3.14159)).d, 3.14);
    EXPECT_DOUBLE_EQ(CoerceTo(qty, Value::MakeNum(2.675)).d, 2.68);
    EXPECT_DOUBLE_EQ(CoerceTo(qty, Value::MakeText(QStringLiteral(" 7.125 "))).d, 7.13);
    const Value whole = CoerceTo(qty, Value::MakeNum(4.999));
    EXPECT_EQ(whole.kind, Value::Kind::Int);
    EXPECT_EQ(whole.i, 5);
    EXPECT_DOUBLE_EQ(CoerceTo(qty, Value::MakeNum(99999999.994)).d, 99999999.99);
    EXPECT_TRUE(CoerceError(qty, Value::MakeNum(99999999.995)).contains(QStringLiteral("number precision too large")));
    EXPECT_TRUE(CoerceError(qty, Value::MakeInt(100000000)).contains(QStringLiteral("ORA-06502")));
    EXPECT_TRUE(CoerceError(qty, Value::MakeText(QStringLiteral("12x"))).contains(QStringLiteral("character to number")));
}

TEST(BlockValues, IntegerVariablesRoundHalfAwayFromZero)
{
    const SlotInfo n = Slot(VarType::Kind::Integer, 0, 0);
    EXPECT_EQ(CoerceTo(n, Value::MakeNum(2.5)).i, 3);
    EXPECT_EQ(CoerceTo(n, Value::MakeNum(-2.5)).i, -3);
    EXPECT_EQ(CoerceTo(n, Value::MakeNum(2.4999)).i, 2);
    EXPECT_EQ(CoerceTo(n, Value::MakeText(QStringLiteral("42"))).i, 42);
    EXPECT_TRUE(CoerceError(n, Value::MakeBool(true)).contains(QStringLiteral("PLS-00382")));
}

TEST(BlockValues, TextVariablesRefuseLongerText)
{
    const SlotInfo code = Slot(VarType::Kind::Varchar, 0, -1, 4);
    EXPECT_EQ(CoerceTo(code, Value::MakeText(QStringLiteral("调拨单号"))).s, QStringLiteral("调拨单号"));
    EXPECT_TRUE(CoerceError(code, Value::MakeText(QStringLiteral("ABCDE"))).contains(QStringLiteral("character string buffer too small")));
    EXPECT_EQ(CoerceTo(code, Value::MakeNum(0.5)).s, QStringLiteral(".5"));
    EXPECT_EQ(CoerceTo(Slot(VarType::Kind::Char, 0, -1, 3), Value::MakeText(QStringLiteral("a"))).s, QStringLiteral("a  "));
}

TEST(BlockValues, EmptyTextIsNullAndNotNullRefusesIt)
{
    EXPECT_TRUE(CoerceTo(Slot(VarType::Kind::Varchar, 0, -1, 10), Value::MakeText(QString())).IsNull());
    SlotInfo required = Slot(VarType::Kind::Integer, 0, 0);
    required.notNull = true;
    EXPECT_TRUE(CoerceError(required, Value()).contains(QStringLiteral("ORA-06502")));
}

TEST(BlockValues, DatesFromText)
{
    const SlotInfo d = Slot(VarType::Kind::Date);
    EXPECT_EQ(CoerceTo(d, Value::MakeText(QStringLiteral("2024-02-29 13:05:00"))).t,
              QDateTime(QDate(2024, 2, 29), QTime(13, 5)));
    EXPECT_TRUE(CoerceError(d, Value::MakeText(QStringLiteral("2023-02-29"))).contains(QStringLiteral("ORA-01861")));
}
