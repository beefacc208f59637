// Records filled from rows: columns matched to properties ignoring case, values converted to
// the property types, a record filled from a dataset's current row.
#include "TestPrint.h"
#include "platform/core/Currency.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "platform/core/RecordFields.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QPoint>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class Line : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Code MEMBER code)
    Q_PROPERTY(int Count MEMBER count)
    Q_PROPERTY(double Price MEMBER price)
    Q_PROPERTY(platform::Currency Amount MEMBER amount)
    Q_PROPERTY(QDateTime Stamp MEMBER stamp)
    Q_PROPERTY(QDate Day MEMBER day)
    Q_PROPERTY(bool Flag MEMBER flag)
    Q_PROPERTY(QPoint Spot MEMBER spot)
    Q_PROPERTY(QString Fixed READ Fixed)
    Q_PROPERTY(QString Kept MEMBER kept)
public:
    QString Fixed() const { return QStringLiteral("fixed"); }
    QString code = QStringLiteral("preset");
    int count = -1;
    double price = -1;
    Currency amount = Currency::FromInt(-1);
    QDateTime stamp = QDateTime(QDate(2000, 1, 1), QTime(0, 0));
    QDate day = QDate(2000, 1, 1);
    bool flag = false;
    QPoint spot;
    QString kept = QStringLiteral("kept");
};

class Other : public QObject {
    Q_OBJECT
};

void Fill(Line& line, const QStringList& columns, QVector<QVariant> row, const QStringList& only = {})
{
    RecordFields(Line::staticMetaObject, columns, only).Fill(line, row.data());
}

QString FillError(const QString& column, const QVariant& value)
{
    Line line;
    try {
        Fill(line, {column}, {value});
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return QStringLiteral("no error");
}

} // namespace

TEST(RecordFields, ColumnsMatchPropertiesIgnoringCaseAndTheFirstOfARepeatedNameWins)
{
    Line line;
    const RecordFields fields(Line::staticMetaObject, {"CODE", "count", "Code", "Nowhere", "fixed"});
    EXPECT_EQ(fields.MatchedCount(), 2); // the repeat, the unknown and the read-only column drop out
    const QVector<QVariant> row{QStringLiteral("A01"), qlonglong(4), QStringLiteral("second"), 1, QStringLiteral("x")};
    fields.Fill(line, row.data());
    EXPECT_EQ(line.code, "A01");
    EXPECT_EQ(line.count, 4);
    EXPECT_EQ(line.kept, "kept"); // no column: the record's value stays
    EXPECT_DOUBLE_EQ(line.price, -1);

    // With a property list only those properties take part.
    Line some;
    Fill(some, {"Code", "Count"}, {QStringLiteral("B02"), qlonglong(9)}, {"count"});
    EXPECT_EQ(some.code, "preset");
    EXPECT_EQ(some.count, 9);
}

TEST(RecordFields, ValuesTakeThePropertyTypeAndNullGivesTheEmptyValue)
{
    Line line;
    Fill(line, {"Code", "Count", "Price", "Amount", "Stamp", "Day", "Flag"},
         {qlonglong(12), QStringLiteral(" 42 "), QStringLiteral("2.5"), 7.1234, QStringLiteral("2026-12-08 09:30:00"),
          QDateTime(QDate(2026, 12, 8), QTime(9, 30)), qlonglong(2)});
    EXPECT_EQ(line.code, "12");
    EXPECT_EQ(line.count, 42);
    EXPECT_DOUBLE_EQ(line.price, 2.5);
    EXPECT_EQ(line.amount, Currency::FromRaw(71234));
    EXPECT_EQ(line.stamp, QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    EXPECT_EQ(line.day, QDate(2026, 12, 8));
    EXPECT_TRUE(line.flag);

    // A currency goes to numbers and text by its value; a float is rounded to a whole number.
    const QVariant money = QVariant::fromValue(Currency::FromRaw(25000));
    Fill(line, {"Code", "Count", "Price", "Amount"}, {money, 2.6, money, money});
    EXPECT_EQ(line.code, "2.5");
    EXPECT_EQ(line.count, 3);
    EXPECT_DOUBLE_EQ(line.price, 2.5);
    EXPECT_EQ(line.amount, Currency::FromRaw(25000));

    Fill(line, {"Code", "Count", "Price", "Amount", "Stamp", "Day", "Flag"},
         {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    EXPECT_EQ(line.code, "");
    EXPECT_EQ(line.count, 0);
    EXPECT_DOUBLE_EQ(line.price, 0);
    EXPECT_EQ(line.amount, Currency());
    EXPECT_FALSE(line.stamp.isValid());
    EXPECT_FALSE(line.day.isValid());
    EXPECT_FALSE(line.flag);
}

TEST(RecordFields, AValueWithoutAFormInThePropertyTypeIsAnErrorNamingTheColumn)
{
    EXPECT_EQ(FillError("count", QStringLiteral("abc")), "Column count: 'abc' is not a valid integer value");
    EXPECT_EQ(FillError("AMOUNT", QStringLiteral("12x")), "Column AMOUNT: '12x' is not a valid currency value");
    EXPECT_EQ(FillError("Stamp", QStringLiteral("tomorrow")), "Column Stamp: 'tomorrow' is not a valid date and time");
    EXPECT_EQ(FillError("Spot", QStringLiteral("here")), "Column Spot: 'here' cannot be stored in a property of type QPoint");

    // Properties of one class are never written to an object of another.
    Other other;
    const QVector<QVariant> row{QStringLiteral("A01")};
    EXPECT_THROW(RecordFields(Line::staticMetaObject, {"Code"}).Fill(other, row.data()), Exception);
}

TEST(RecordFields, FillRecordTakesTheCurrentRowOrTheEditBuffer)
{
    Dataset ds({{"code", FieldType::Text}, {"COUNT", FieldType::Integer}, {"Extra", FieldType::Float}});
    for (int i = 1; i <= 2; ++i) {
        ds.Append();
        ds.FieldByName("code").SetValue(QStringLiteral("L%1").arg(i));
        ds.FieldByName("count").SetValue(i * 10);
        ds.Post();
    }
    Line line;
    ds.SetRecNo(1);
    FillRecord(line, ds);
    EXPECT_EQ(line.code, "L2");
    EXPECT_EQ(line.count, 20);
    EXPECT_EQ(line.kept, "kept");

    ds.First();
    ds.Edit();
    ds.FieldByName("count").SetValue(15);
    FillRecord(line, ds, {"Count"});
    EXPECT_EQ(line.code, "L2");
    EXPECT_EQ(line.count, 15);
}

#include "RecordFieldsTest.moc"
