// Values as text: the date forms each reader takes and refuses, and the number texts each
// writer gives, side by side where they differ on purpose.
#include "platform/core/ValueText.h"

#include <QLocale>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

using platform::DateForm;
using platform::ParseDateText;

namespace {

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

QDateTime Canonical(const char* text)
{
    return platform::ParseCanonicalDate(text, int(std::strlen(text)));
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(ValueTextDates, IsoFormsAreReadWithBlanksAroundThem)
{
    EXPECT_EQ(ParseDateText("2024-03-05", DateForm::Iso), At(2024, 3, 5));
    EXPECT_EQ(ParseDateText("2024-03-05 09:07", DateForm::Iso), At(2024, 3, 5, 9, 7));
    EXPECT_EQ(ParseDateText("2024-03-05 09:07:08", DateForm::Iso), At(2024, 3, 5, 9, 7, 8));
    EXPECT_EQ(ParseDateText("2024-03-05T09:07:08", DateForm::Iso), At(2024, 3, 5, 9, 7, 8));
    EXPECT_EQ(ParseDateText(" \t2024-03-05 23:59:59\n ", DateForm::Iso), At(2024, 3, 5, 23, 59, 59));
}

TEST(ValueTextDates, IsoRefusesOtherFormsAndDatesThatDoNotExist)
{
    for (const char* text : {"", "   ", "2024-03-05x", "2024-03-05T09:07", "2024-03-05 09:07:08.123", "2024/3/5",
                             "2024-02-30", "2023-02-29", "2024-13-01", "2024-03-05 24:00:00", "2024-03-05 09:60",
                             "05.03.2024", "not a date"})
        EXPECT_FALSE(ParseDateText(text, DateForm::Iso).isValid()) << text;
    EXPECT_EQ(ParseDateText("2024-02-29", DateForm::Iso), At(2024, 2, 29)); // a leap day is a day
}

TEST(ValueTextDates, DatasetFieldsAlsoTakeMillisecondsAndSlashes)
{
    const platform::DateForms field = DateForm::Iso | DateForm::Milliseconds | DateForm::Slashes;
    EXPECT_EQ(ParseDateText("2024-03-05 09:07:08.123", field), At(2024, 3, 5, 9, 7, 8, 123));
    EXPECT_EQ(ParseDateText("2024/3/5", field), At(2024, 3, 5));
    EXPECT_EQ(ParseDateText("2024/03/05 9:07:08", field), At(2024, 3, 5, 9, 7, 8));
    EXPECT_EQ(ParseDateText("2024-03-05 09:07", field), At(2024, 3, 5, 9, 7));
    EXPECT_EQ(ParseDateText("2024/3/5", DateForm::Slashes), At(2024, 3, 5));
    // Each form only where asked for.
    EXPECT_FALSE(ParseDateText("2024-03-05", DateForm::Slashes).isValid());
    EXPECT_FALSE(ParseDateText("2024/3/5", DateForm::Iso | DateForm::Milliseconds).isValid());
    EXPECT_FALSE(ParseDateText("31/31/2024", field).isValid());
    EXPECT_FALSE(ParseDateText("2024/2/30", field).isValid());
}

TEST(ValueTextDates, ShortDateIsTheWorkstationsAndOnlyWhenAsked)
{
    const QDate d(2024, 11, 23);
    const QString text = QLocale::system().toString(d, QLocale::ShortFormat);
    const QDateTime read = ParseDateText(text, DateForm::Iso | DateForm::ShortDate);
    ASSERT_TRUE(read.isValid()) << qPrintable(text);
    EXPECT_EQ(read.time(), QTime(0, 0));
    EXPECT_EQ(read.date().month(), 11);
    EXPECT_EQ(read.date().day(), 23);
    // The ISO forms still come first, with their time.
    EXPECT_EQ(ParseDateText("2024-03-05 09:07", DateForm::Iso | DateForm::ShortDate), At(2024, 3, 5, 9, 7));
    EXPECT_FALSE(ParseDateText("", DateForm::ShortDate).isValid());
}

TEST(ValueTextDates, CanonicalTextReadsBackDigitForDigit)
{
    const QDateTime t = At(2024, 3, 5, 9, 7, 8);
    EXPECT_EQ(platform::CanonicalDateText(t), "2024-03-05 09:07:08");
    EXPECT_EQ(platform::CanonicalDateText(At(987, 1, 2)), "0987-01-02 00:00:00");
    EXPECT_EQ(Canonical("2024-03-05 09:07:08"), t);
    EXPECT_EQ(Canonical("2024-03-05T09:07:08"), t);
    EXPECT_EQ(Canonical("2024-03-05"), At(2024, 3, 5));
    EXPECT_EQ(Canonical("2024-03-05 09:07"), At(2024, 3, 5, 9, 7));
    EXPECT_EQ(Canonical("2024-03-05 09:07:08.5"), At(2024, 3, 5, 9, 7, 8, 500));
    EXPECT_EQ(Canonical("2024-03-05 09:07:08.123456"), At(2024, 3, 5, 9, 7, 8, 123)); // beyond ms: dropped
    for (const char* text : {"", " 2024-03-05", "2024-03-05 ", "2024-3-05", "2024-03-05 9:07", "2024-03-05 09",
                             "2024-03-05 09:07:0", "2024-03-05Z", "2024-02-30", "2024-03-05 24:00", "24-03-05"})
        EXPECT_FALSE(Canonical(text).isValid()) << text;
}

TEST(ValueTextDates, CacheGivesWhatTheParserGives)
{
    platform::DateTextCache cache;
    const char* texts[] = {"2024-03-05 09:07:08", "2024-03-06", "2024-03-05 09:07:08", "bad", "2024-03-07",
                           "2024-03-08", "2024-03-09", "2024-03-06", "2024-03-05 09:07:08.123456789012345678901234"};
    for (const char* text : texts)
        EXPECT_EQ(cache.Parse(text, int(std::strlen(text))), Canonical(text)) << text;
    // Same length, other text: not taken for the cached one.
    EXPECT_EQ(cache.Parse("2024-03-06", 10), At(2024, 3, 6));
    EXPECT_EQ(cache.Parse("2024-03-16", 10), At(2024, 3, 16));

    // The wall-clock form of the same texts: the date and time as written.
    for (const char* text : texts) {
        QDate date;
        int msecs = -1;
        const QDateTime expected = Canonical(text);
        ASSERT_EQ(platform::ParseCanonicalWallClock(text, int(std::strlen(text)), date, msecs), expected.isValid()) << text;
        if (expected.isValid()) {
            EXPECT_EQ(QDateTime(date, QTime::fromMSecsSinceStartOfDay(msecs)), expected) << text;
        }
    }
    QDate date;
    int msecs = 0;
    EXPECT_FALSE(platform::ParseCanonicalWallClock("2024-02-30", 10, date, msecs)); // no such day
}

TEST(ValueTextDates, OracleDateFormats)
{
    using platform::ParseOracleDate;
    EXPECT_EQ(ParseOracleDate("2026-12-08", "YYYY-MM-DD"), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    EXPECT_EQ(ParseOracleDate("2026-1-8 7:05", "yyyy-mm-dd hh24:mi:ss"), QDateTime(QDate(2026, 1, 8), QTime(7, 5)));
    EXPECT_EQ(ParseOracleDate("2026/12/08 23:59:59", "YYYY-MM-DD HH24:MI:SS"), QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59)));
    EXPECT_FALSE(ParseOracleDate("2026-12-08 24:00:00", "YYYY-MM-DD HH24:MI:SS"));
    EXPECT_FALSE(ParseOracleDate("2026-12-08x", "YYYY-MM-DD"));
    EXPECT_FALSE(ParseOracleDate("", "YYYY-MM-DD"));
    EXPECT_FALSE(ParseOracleDate("2026-12-08", "DD-MON-YYYY"));
    // Blanks around and between fields do not count; a day that does not exist is refused.
    EXPECT_EQ(ParseOracleDate("  2026-12-08  ", "YYYY-MM-DD"), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    EXPECT_EQ(ParseOracleDate("08.12.2026", "DD.MM.YYYY"), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    EXPECT_FALSE(ParseOracleDate("2026-02-29", "YYYY-MM-DD"));
    EXPECT_FALSE(ParseOracleDate("12-08", "MM-DD")); // no year
}

TEST(ValueTextNumbers, PlainNumbers)
{
    using platform::PlainNumberText;
    EXPECT_EQ(PlainNumberText(0.0), "0");
    EXPECT_EQ(PlainNumberText(-0.0), "0");
    EXPECT_EQ(PlainNumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(PlainNumberText(-2.5), "-2.5");
    EXPECT_EQ(PlainNumberText(123456789012.0), "123456789012");
    EXPECT_EQ(PlainNumberText(1e20), "100000000000000000000");
    EXPECT_EQ(PlainNumberText(0.00012), "0.00012");
    EXPECT_EQ(platform::TrimDecimalText("12.5000"), "12.5");
    EXPECT_EQ(platform::TrimDecimalText("-0.00"), "0");
    EXPECT_EQ(platform::TrimDecimalText("300"), "300");
}

TEST(ValueTextNumbers, PlainTextAtTheEdges)
{
    using platform::PlainNumberText;
    EXPECT_EQ(PlainNumberText(kInf), "");
    EXPECT_EQ(PlainNumberText(-kInf), "");
    EXPECT_EQ(PlainNumberText(kNaN), "");
    // 15 significant digits, rounded; whole numbers exact up to 1e18.
    EXPECT_EQ(PlainNumberText(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(PlainNumberText(-123456.789012345678), "-123456.789012346");
    EXPECT_EQ(PlainNumberText(999999999999999999.0), "1000000000000000000");
    EXPECT_EQ(PlainNumberText(-987654321098765.0), "-987654321098765");
    // Huge: every digit, never an exponent.
    const QString huge = PlainNumberText(1e300);
    EXPECT_EQ(huge.size(), 301);
    EXPECT_TRUE(huge.startsWith("1000000000000000052504")) << qPrintable(huge);
    // Too small for 40 decimals: zero, without a sign.
    EXPECT_EQ(PlainNumberText(1e-50), "0");
    EXPECT_EQ(PlainNumberText(-1e-50), "0");
    EXPECT_EQ(PlainNumberText(1.5e-30), "0.0000000000000000000000000000015");
    // Engine decimals: exponents rewritten, odd remnants made zero, other text kept.
    EXPECT_EQ(platform::TrimDecimalText("1.5E3"), "1500");
    EXPECT_EQ(platform::TrimDecimalText("-2.50e-1"), "-0.25");
    EXPECT_EQ(platform::TrimDecimalText("0.000"), "0");
    EXPECT_EQ(platform::TrimDecimalText("-"), "0");
    EXPECT_EQ(platform::TrimDecimalText(""), "0");
    EXPECT_EQ(platform::TrimDecimalText("100"), "100"); // zeros of a whole number stay
    EXPECT_EQ(platform::TrimDecimalText("Infinity"), "Infinity");
}

TEST(ValueTextNumbers, OracleAndFieldTextDifferFromPlainWhereTheyShould)
{
    using platform::FieldNumberText;
    using platform::OracleNumberText;
    using platform::PlainNumberText;
    // No zero before the point in Oracle's text only.
    EXPECT_EQ(PlainNumberText(0.5), "0.5");
    EXPECT_EQ(OracleNumberText(0.5), ".5");
    EXPECT_EQ(FieldNumberText(0.5), "0.5");
    EXPECT_EQ(OracleNumberText(-0.5), "-.5");
    EXPECT_EQ(OracleNumberText(2.0 / 3), ".666666666666667");
    EXPECT_EQ(OracleNumberText(-0.0), "0");
    // A field writes what it cannot write short with an exponent.
    EXPECT_EQ(PlainNumberText(1e20), "100000000000000000000");
    EXPECT_EQ(OracleNumberText(1e20), "100000000000000000000");
    EXPECT_EQ(FieldNumberText(1e20), "1e+20");
    EXPECT_EQ(FieldNumberText(0.00001), "1e-05");
    EXPECT_EQ(FieldNumberText(1e15), "1e+15");
    EXPECT_EQ(FieldNumberText(999999999999999.0), "999999999999999");
    EXPECT_EQ(FieldNumberText(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(FieldNumberText(-0.0), "0");
    EXPECT_EQ(FieldNumberText(-12.25), "-12.25");
    // Oracle keeps 15 digits where the plain text stops at 40 decimals.
    EXPECT_EQ(OracleNumberText(1.23456789012345e-30), ".00000000000000000000000000000123456789012345");
    EXPECT_EQ(PlainNumberText(1.23456789012345e-30), "0.0000000000000000000000000000012345678901");
    // Infinities and NaN.
    EXPECT_EQ(OracleNumberText(kInf), "~");
    EXPECT_EQ(OracleNumberText(-kInf), "-~");
    EXPECT_EQ(OracleNumberText(kNaN), "NaN");
    EXPECT_EQ(FieldNumberText(kInf), "inf");
    EXPECT_EQ(FieldNumberText(kNaN), "nan");
}
