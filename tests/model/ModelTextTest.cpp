// Status labels, SQL literals, currency, number and date texts.
#include "model/BillConst.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "model/SqlText.h"
#include "platform/core/Exception.h"

#include <gtest/gtest.h>
#include <QLocale>
#include <cmath>
#include <limits>
#include <random>

TEST(BillConstTest, StatusLabelsAreTheListsTexts)
{
    EXPECT_EQ(model::BillStatusLabel(0), QStringLiteral("编辑状态 "));
    EXPECT_TRUE(model::BillStatusLabel(model::BillStatusEditing).endsWith(u' '));
    EXPECT_EQ(model::BillStatusLabel(1), QStringLiteral("待审批"));
    EXPECT_EQ(model::BillStatusLabel(2), QStringLiteral("审批通过"));
    EXPECT_EQ(model::BillStatusLabel(3), QStringLiteral("审批未通过"));
    EXPECT_EQ(model::BillStatusLabel(4), QStringLiteral("订单完成"));
    EXPECT_EQ(model::BillStatusLabel(5), QStringLiteral("已冲销"));
    EXPECT_TRUE(model::BillStatusLabel(6).isEmpty());
    EXPECT_TRUE(model::BillStatusLabel(-1).isEmpty());

    const auto items = model::BillStatusItems();
    ASSERT_EQ(items.size(), 6); // the five statuses of the seed and 已冲销
    for (int i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].first, i);
        EXPECT_EQ(items[i].second, model::BillStatusLabel(i));
    }
}

TEST(BillConstTest, AuditFlagItemsAreKeyedByText)
{
    EXPECT_EQ(model::AuditFlagLabel(0), QStringLiteral("未审核"));
    EXPECT_EQ(model::AuditFlagLabel(1), QStringLiteral("已审核"));
    EXPECT_TRUE(model::AuditFlagLabel(2).isEmpty());
    const auto items = model::AuditFlagItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0], qMakePair(QStringLiteral("0"), QStringLiteral("未审核")));
    EXPECT_EQ(items[1], qMakePair(QStringLiteral("1"), QStringLiteral("已审核")));
}

TEST(SqlTextTest, QuotesAreDoubledSoTheLiteralCannotEnd)
{
    EXPECT_EQ(model::SqlEsc("plain 文本"), "plain 文本");
    EXPECT_EQ(model::SqlEsc("O'Brien"), "O''Brien");
    EXPECT_EQ(model::SqlEsc("''"), "''''");
    EXPECT_EQ(model::QuotedStr("x' or '1'='1"), "'x'' or ''1''=''1'");
    EXPECT_EQ(model::QuotedStr(""), "''");
    // Between the statement's own quotes the escaped text always reads as one literal:
    // an even run of quotes never closes it.
    const QString literal = model::QuotedStr("a'b''c'''");
    EXPECT_EQ(literal, "'a''b''''c'''''''");
    EXPECT_EQ(literal.count(u'\''), 2 + 2 * 6);
}

TEST(SqlTextTest, NulCharactersAreDropped)
{
    const QString withNul = QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("c'");
    EXPECT_EQ(model::SqlEsc(withNul), "abc''");
    EXPECT_FALSE(model::QuotedStr(withNul).contains(QChar(u'\0')));
}

TEST(CurrencyTextTest, SqlAndDisplayForms)
{
    using model::Currency;
    EXPECT_EQ(model::CurrToStr(Currency::FromRaw(125000)), "12.5");
    EXPECT_EQ(model::CurrToStr(Currency::FromRaw(-1)), "-0.0001");
    EXPECT_EQ(model::CurrToStr(Currency::FromInt(3)), "3");
    EXPECT_EQ(model::CurrToStr(Currency()), "0");
    EXPECT_EQ(model::CurrToStr(Currency::FromRaw(10203)), "1.0203");
    EXPECT_EQ(model::CurrToStr(Currency::FromRaw(-10020)), "-1.002");
    EXPECT_EQ(model::CurrToStr(Currency::FromRaw(std::numeric_limits<int64_t>::min())), "-922337203685477.5808");
    EXPECT_EQ(model::CurrToStr(Currency::FromRaw(std::numeric_limits<int64_t>::max())), "922337203685477.5807");
    for (int64_t raw : {int64_t(1), int64_t(-99999), int64_t(123456789), int64_t(-5000)})
        EXPECT_EQ(Currency::Parse(model::CurrToStr(Currency::FromRaw(raw))), Currency::FromRaw(raw)) << raw;
    EXPECT_EQ(model::FormatCurr(Currency::FromRaw(125000)), "12.50");
    EXPECT_EQ(model::FormatCurr(Currency::FromRaw(12345)), "1.23");
    EXPECT_EQ(model::FormatCurr(Currency::FromInt(1234567)), "1234567.00"); // no thousands separator
    EXPECT_EQ(model::StrToCurrDef(" 8.3325 ", Currency()), Currency::FromRaw(83325));
    EXPECT_EQ(model::StrToCurrDef("1,000", Currency::FromInt(-1)), Currency::FromInt(-1));
    EXPECT_EQ(model::StrToCurrDef("", Currency::FromInt(7)), Currency::FromInt(7));
}

TEST(CurrencyTextTest, FromDatasetValuesOfEveryType)
{
    using model::Currency;
    EXPECT_EQ(model::CurrFromVariant(QVariant()), Currency());
    EXPECT_EQ(model::CurrFromVariant(QVariant::fromValue(Currency::FromRaw(5))), Currency::FromRaw(5));
    EXPECT_EQ(model::CurrFromVariant(QVariant(2.25)), Currency::FromRaw(22500));
    EXPECT_EQ(model::CurrFromVariant(QVariant(qlonglong(4))), Currency::FromInt(4));
    EXPECT_EQ(model::CurrFromVariant(QVariant(QStringLiteral("0.1"))), Currency::FromRaw(1000));
    EXPECT_EQ(model::CurrFromVariant(QVariant(QStringLiteral(" "))), Currency());
    EXPECT_THROW(model::CurrFromVariant(QVariant(QStringLiteral("abc"))), platform::EConvertError);
}

TEST(CurrencyTextTest, QuantityTextReadsBackAsTheSameNumber)
{
    EXPECT_EQ(model::FloatToStr(12.5), "12.5");
    EXPECT_EQ(model::FloatToStr(3), "3");
    EXPECT_EQ(model::FloatToStr(-0.0), "0");
    EXPECT_EQ(model::FloatToStr(1234567.25), "1234567.25");
    for (double v : {0.1, 0.2 + 0.1, 99999999.99, 1.0 / 3.0, -42.75}) {
        const QString t = model::FloatToStr(v);
        EXPECT_FALSE(t.contains(u',')) << t.toStdString();
        EXPECT_NEAR(t.toDouble(), v, std::abs(v) * 1e-14) << t.toStdString();
    }
    EXPECT_THROW(model::FloatToStr(std::numeric_limits<double>::quiet_NaN()), platform::EConvertError);
    EXPECT_THROW(model::FloatToStr(std::numeric_limits<double>::infinity()), platform::EConvertError);
}

// The quick path must write exactly what the general 15-digit conversion writes.
TEST(CurrencyTextTest, QuantityTextMatchesFifteenDigitRounding)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> any(-1e6, 1e6);
    std::vector<double> values = {0.0001, 0.00012345, 9.99999999999999e14, 1e15, 123456789012345.0,
                                  1234567890123456.0, 0.1 + 0.2, 1.0 / 3.0, 2.675, 1e-5, 5e-324, 1e300};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(any(rng));
        values.push_back(double(std::int64_t(any(rng) * 100)) / 100); // quantities of two decimals
    }
    for (double v : values)
        EXPECT_EQ(model::FloatToStr(v), QString::number(v, 'g', 15)) << v;
}

TEST(ConvertTest, WholeNumbersWithFallback)
{
    EXPECT_EQ(model::StrToIntDef("0", 1), 0);
    EXPECT_EQ(model::StrToIntDef(" 4 ", 1), 4);
    EXPECT_EQ(model::StrToIntDef("-3", 1), -3);
    EXPECT_EQ(model::StrToIntDef("", 1), 1);
    EXPECT_EQ(model::StrToIntDef("2.0", 1), 1);
    EXPECT_EQ(model::StrToIntDef("1 2", 9), 9);
    EXPECT_EQ(model::StrToIntDef("99999999999999999999", 5), 5);
}

TEST(ConvertTest, RealsWithFallback)
{
    EXPECT_DOUBLE_EQ(model::StrToFloatDef("2.5", 0), 2.5);
    EXPECT_DOUBLE_EQ(model::StrToFloatDef(" -0.75 ", 0), -0.75);
    EXPECT_DOUBLE_EQ(model::StrToFloatDef("1e3", 0), 1000);
    EXPECT_DOUBLE_EQ(model::StrToFloatDef("", 0), 0);
    EXPECT_DOUBLE_EQ(model::StrToFloatDef("abc", -1), -1);
    EXPECT_DOUBLE_EQ(model::StrToFloatDef("inf", 0), 0);
    EXPECT_DOUBLE_EQ(model::StrToFloatDef("nan", 0), 0);
    EXPECT_DOUBLE_EQ(model::StrToFloatDef("1,5", 7), 7);
}

TEST(DateUtilTest, FixedFormats)
{
    const QDateTime t(QDate(2024, 3, 7), QTime(9, 5, 4));
    EXPECT_EQ(model::FormatDate(t.date()), "2024-03-07");
    EXPECT_EQ(model::FormatDate(t), "2024-03-07");
    EXPECT_EQ(model::FormatDateTimeMinutes(t), "2024-03-07 09:05");
    EXPECT_EQ(model::FormatDateTime(t), "2024-03-07 09:05:04");
    // 24-hour clock in the afternoon.
    EXPECT_EQ(model::FormatDateTime(QDateTime(QDate(2024, 3, 7), QTime(21, 0, 0))), "2024-03-07 21:00:00");
}

TEST(DateUtilTest, TodayHasNoTimePart)
{
    const QDateTime start = model::TodayStart();
    EXPECT_EQ(start.time(), QTime(0, 0));
    EXPECT_TRUE(start.date() == model::Today() || start.date().addDays(1) == model::Today());
}

TEST(DateUtilTest, ShortDateFollowsTheWorkstationAndReadsBack)
{
    const QDate d(2024, 11, 23);
    const QString text = model::ShortDateText(d);
    EXPECT_EQ(text, QLocale::system().toString(d, QLocale::ShortFormat));
    EXPECT_FALSE(text.contains(u':')); // date only
    const QDateTime back = model::DateTimeFromVariant(text);
    ASSERT_TRUE(back.isValid());
    EXPECT_EQ(back.date().month(), 11);
    EXPECT_EQ(back.date().day(), 23);
}

TEST(DateUtilTest, DateTimeFromDatasetValues)
{
    const QDateTime t(QDate(2024, 3, 7), QTime(9, 5, 4));
    EXPECT_EQ(model::DateTimeFromVariant(t), t);
    EXPECT_EQ(model::DateTimeFromVariant(QDate(2024, 3, 7)), QDateTime(QDate(2024, 3, 7), QTime(0, 0)));
    EXPECT_EQ(model::DateTimeFromVariant(QStringLiteral("2024-03-07 09:05:04")), t);
    EXPECT_EQ(model::DateTimeFromVariant(QStringLiteral("2024-03-07 09:05")), QDateTime(QDate(2024, 3, 7), QTime(9, 5)));
    EXPECT_EQ(model::DateTimeFromVariant(QStringLiteral("2024-03-07")), QDateTime(QDate(2024, 3, 7), QTime(0, 0)));
    EXPECT_FALSE(model::DateTimeFromVariant(QVariant()).isValid());
    EXPECT_FALSE(model::DateTimeFromVariant(QStringLiteral("")).isValid());
    EXPECT_FALSE(model::DateTimeFromVariant(QStringLiteral("not a date")).isValid());
}
