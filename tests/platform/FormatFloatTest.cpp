// Number formats as grids, footers and money edits use them.
#include "TestPrint.h"
#include "platform/FormatFloat.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(FormatFloat, FixedDecimals)
{
    EXPECT_EQ(FormatFloat("0.00", 0.0), "0.00");
    EXPECT_EQ(FormatFloat("0.00", 12.5), "12.50");
    EXPECT_EQ(FormatFloat("0.00", 1234567.891), "1234567.89");
    EXPECT_EQ(FormatFloat("0", 7.0), "7");
    EXPECT_EQ(FormatFloat("000", 7.0), "007");
    EXPECT_EQ(FormatFloat("0.00", 0.5), "0.50");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat("0.##", 5.0), "5");
    EXPECT_EQ(FormatFloat("0.0#", 5.125), "5.13");
    EXPECT_EQ(FormatFloat("0.0#", 5.1), "5.1");
}

TEST(FormatFloat, RoundsHalfAwayFromZeroOnTheDecimalValue)
{
    // 2.675 is 2.67499999... in binary; the platform rounds the 15-digit decimal, giving 2.68.
    EXPECT_EQ(FormatFloat("0.00", 2.675), "2.68");
    EXPECT_EQ(FormatFloat("0.00", -2.675), "-2.68");
    EXPECT_EQ(FormatFloat("0", 0.5), "1");
    EXPECT_EQ(FormatFloat("0", 1.5), "2");
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("0", -2.5), "-3");
    EXPECT_EQ(FormatFloat("0.00", 9.995), "10.00");
    EXPECT_EQ(FormatFloat("0.00", 999.999), "1000.00");
    EXPECT_EQ(FormatFloat("0.00", 1e-7), "0.00");
}

TEST(FormatFloat, ThousandsSeparators)
{
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.5), "1,234,567.50");
    EXPECT_EQ(FormatFloat(",0.00", 999.0), "999.00");
    EXPECT_EQ(FormatFloat(",0.00", 1000.0), "1,000.00");
    EXPECT_EQ(FormatFloat(",0", -1234.0), "-1,234");
    EXPECT_EQ(FormatFloat("#,##0", 0.0), "0");
}

TEST(FormatFloat, MoneyWithSignAndNegativeSection)
{
    const QString money = QStringLiteral("￥,0.00;￥-,0.00");
    EXPECT_EQ(FormatFloat(money, 1234.5), "￥1,234.50");
    EXPECT_EQ(FormatFloat(money, -1234.5), "￥-1,234.50");
    EXPECT_EQ(FormatFloat(money, 0.0), "￥0.00");
    // One section only: the minus sign leads the whole text.
    EXPECT_EQ(FormatFloat(QStringLiteral("￥,0.00"), -5.0), "-￥5.00");
    EXPECT_EQ(FormatFloat(QStringLiteral("￥,0.00"), 1234567.0), "￥1,234,567.00");
    // A negative value that rounds to zero shows as zero, without a sign.
    EXPECT_EQ(FormatFloat(money, -0.001), "￥0.00");
    EXPECT_EQ(FormatFloat("0.00", -0.004), "0.00");
    // The zero section.
    EXPECT_EQ(FormatFloat("0.00;(0.00);无", 0.0), "无");
    EXPECT_EQ(FormatFloat("0.00;(0.00);无", -3.0), "(3.00)");
    EXPECT_EQ(FormatFloat("0.00;(0.00);无", 0.001), "无");
}

TEST(FormatFloat, LiteralsAroundTheNumber)
{
    EXPECT_EQ(FormatFloat(QStringLiteral("0 条记录"), 0.0), "0 条记录");
    EXPECT_EQ(FormatFloat(QStringLiteral("0 条记录"), 12.0), "12 条记录");
    EXPECT_EQ(FormatFloat(QStringLiteral("共0条"), 3.0), "共3条");
    EXPECT_EQ(FormatFloat(QStringLiteral("\"#\"0"), 3.0), "#3");
    EXPECT_EQ(FormatFloat(QStringLiteral("0.00'元'"), 3.0), "3.00元");
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0%"), 12.34), "12.3%");
}

TEST(FormatFloat, CurrencyIsExact)
{
    EXPECT_EQ(FormatFloat("0.00", Currency::FromRaw(83325)), "8.33");  // 8.3325 -> 8.33
    EXPECT_EQ(FormatFloat("0.000", Currency::FromRaw(83325)), "8.333"); // exact half: away from zero
    EXPECT_EQ(FormatFloat("0.000", Currency::FromRaw(-83325)), "-8.333");
    EXPECT_EQ(FormatFloat("0.00", Currency::FromRaw(26750)), "2.68");
    EXPECT_EQ(FormatFloat(QStringLiteral("￥,0.00;￥-,0.00"), Currency::FromInt(-1234567)), "￥-1,234,567.00");
    EXPECT_EQ(FormatFloat("0.000000", Currency::FromRaw(1)), "0.000100");
    EXPECT_EQ(FormatFloat("", Currency::FromRaw(12500)), "1.25");
}

TEST(FormatFloat, VariantsAndSpecialValues)
{
    EXPECT_EQ(FormatVariant("0.00", QVariant()), "");
    EXPECT_EQ(FormatVariant("0.00", qlonglong(-9)), "-9.00");
    EXPECT_EQ(FormatVariant(",0", qlonglong(9007199254740993LL)), "9,007,199,254,740,993");
    EXPECT_EQ(FormatVariant("0.00", QStringLiteral(" 3.5 ")), "3.50");
    EXPECT_EQ(FormatVariant("0.00", QStringLiteral("abc")), "abc");
    EXPECT_EQ(FormatVariant("0.00", QVariant::fromValue(Currency::FromInt(2))), "2.00");
    EXPECT_EQ(FormatFloat("", 2.5), "2.5");
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FormatFloat("0.00", 1e20), "100000000000000000000.00");
}
