// Bill numbering against a scripted counter service.
#include "model/BillConst.h"
#include "model/BillNo.h"
#include "platform/core/Exception.h"
#include "plugin/DbIntf.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QStringList>
#include <deque>

namespace {

// Answers NextCounter from a script and records every request; everything else is unused here.
class ScriptedCounterDb : public plugin::RefCounted<plugin::IDbIntf> {
public:
    std::deque<QVariant> answers;
    QStringList names;
    QList<int> steps;
    bool fail = false;

    platform::Dataset* OpenQuery(const QString&) override { throw platform::EDatabaseError("unused"); }
    void ExecSql(const QString&) override { throw platform::EDatabaseError("unused"); }
    QString NextSequence(const QString&) override { throw platform::EDatabaseError("unused"); }
    QVariant NextCounter(const QString& name, int step) override
    {
        names << name;
        steps << step;
        if (fail)
            throw platform::EDatabaseError(QStringLiteral("counter table is locked"));
        if (answers.empty())
            return QVariant();
        QVariant v = answers.front();
        answers.pop_front();
        return v;
    }
    QString QueryValue(const QString&) override { throw platform::EDatabaseError("unused"); }
    plugin::ObjectList* LoadObjects(const QMetaObject*, const QString&) override { return nullptr; }
};

class BillNoTest : public ::testing::Test {
protected:
    ScriptedCounterDb* db = new ScriptedCounterDb;
    plugin::IntfPtr<ScriptedCounterDb> keep{db};
    const QDate day{2024, 1, 5};
};

TEST_F(BillNoTest, AsksTheNamedCounterOnceWithStepOne)
{
    db->answers = {QVariant(qlonglong(42))};
    EXPECT_EQ(model::NewBillNo(*db, model::PrefixTransfer, model::JXC_BILLNO_DB, day), "DB-2024010500000042");
    EXPECT_EQ(db->names, QStringList{"JXC_BILLNO_DB"});
    EXPECT_EQ(db->steps, QList<int>{1});
}

TEST_F(BillNoTest, SerialAndDateDoNotDependOnEachOther)
{
    // The serial is whatever the counter says; it does not restart on a new day.
    db->answers = {QVariant(7), QVariant(8)};
    EXPECT_EQ(model::NewBillNo(*db, "RK-", model::JXC_BILLNO_RK, QDate(2023, 12, 31)), "RK-2023123100000007");
    EXPECT_EQ(model::NewBillNo(*db, "CK-", model::JXC_BILLNO_CK, QDate(2024, 1, 1)), "CK-2024010100000008");
    EXPECT_EQ(db->names, (QStringList{"JXC_BILLNO_RK", "JXC_BILLNO_CK"}));
}

TEST_F(BillNoTest, UnreadableCounterResultsCountAsOne)
{
    const QList<QVariant> unreadable = {QVariant(), QVariant(QString()), QVariant(QStringLiteral("abc")),
                                        QVariant(QStringLiteral("12x")), QVariant(QStringLiteral("1.5"))};
    for (const QVariant& v : unreadable) {
        db->answers = {v};
        const QString no = model::NewBillNo(*db, "DB-", model::JXC_BILLNO_DB, day);
        EXPECT_EQ(no, "DB-2024010500000001") << v.toString().toStdString();
        EXPECT_EQ(no.size(), 19);
    }
}

TEST_F(BillNoTest, CounterTextWithBlanksOrAsTextIsRead)
{
    db->answers = {QVariant(QStringLiteral(" 315 ")), QVariant(QStringLiteral("99999999"))};
    EXPECT_EQ(model::NewBillNo(*db, "DB-", model::JXC_BILLNO_DB, day), "DB-2024010500000315");
    EXPECT_EQ(model::NewBillNo(*db, "DB-", model::JXC_BILLNO_DB, day), "DB-2024010599999999");
}

TEST_F(BillNoTest, LongSerialsAreWrittenWhole)
{
    db->answers = {QVariant(qlonglong(123456789)), QVariant(qlonglong(4294967301LL))};
    const QString nine = model::NewBillNo(*db, "DB-", model::JXC_BILLNO_DB, day);
    EXPECT_EQ(nine, "DB-20240105123456789");
    EXPECT_EQ(nine.size(), 20);
    // Past the 32-bit range the serial must still be the counter's, never a repeated 1.
    EXPECT_EQ(model::NewBillNo(*db, "DB-", model::JXC_BILLNO_DB, day), "DB-202401054294967301");
}

TEST_F(BillNoTest, DefaultDateIsTheWorkstationsToday)
{
    db->answers = {QVariant(3)};
    const QDate before = QDate::currentDate();
    const QString no = model::NewBillNo(*db, "DB-", model::JXC_BILLNO_DB);
    const QDate after = QDate::currentDate();
    const QString date = no.mid(3, 8);
    EXPECT_TRUE(date == before.toString("yyyyMMdd") || date == after.toString("yyyyMMdd")) << no.toStdString();
    EXPECT_TRUE(no.endsWith("00000003"));
    EXPECT_TRUE(QRegularExpression("^DB-\\d{16}$").match(no).hasMatch());
}

TEST_F(BillNoTest, CounterFailurePropagates)
{
    db->fail = true;
    EXPECT_THROW(model::NewBillNo(*db, "DB-", model::JXC_BILLNO_DB, day), platform::EDatabaseError);
}

} // namespace
