// The rules of each engine where the bulk writers use them without the translator: parameters,
// dates bound in the engine's cheapest form, and blocks of sequence values.
#include "host/db/engines/EngineRules.h"
#include "platform/core/Dataset.h"
#include "tests/support/DbTestEnv.h"

#include <memory>

namespace {

class EngineRulesDb : public jxctest::DbTest {};

TEST_P(EngineRulesDb, ADateBoundInTheEnginesFormReadsBackAsTheSameDate)
{
    const host::db::EngineRules& rules = host::db::RulesFor(GetEngine());
    const QDateTime stamp(QDate(2024, 3, 5), QTime(9, 7, 8));
    const QString insert = QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, DELETED) values (%1, %2, %3, 0)")
                               .arg(rules.Param(1), rules.Param(2), rules.Param(3));
    Conn().ExecNative(insert, {qlonglong(1), QStringLiteral("DB-1"), rules.DateValue(stamp)}, nullptr);
    Conn().ExecNative(insert, {qlonglong(2), QStringLiteral("DB-2"), rules.DateValue(stamp.addDays(1))}, nullptr);
    std::unique_ptr<platform::Dataset> ds(
        Db().OpenQuery("select BillNo, BillDate from Sto_AdjustBillMain where BillDate > to_date('2024-03-05','YYYY-MM-DD') "
                       "order by BillDate"));
    ASSERT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->FieldByName("BillNo").AsString(), "DB-1");
    EXPECT_EQ(ds->FieldByName("BillDate").AsDateTime(), stamp);
    ds->Next();
    EXPECT_EQ(ds->FieldByName("BillDate").AsDateTime(), stamp.addDays(1));
}

TEST_P(EngineRulesDb, SequenceBlocksFollowOnAndAreNeverDrawnTwice)
{
    const host::db::EngineRules& rules = host::db::RulesFor(GetEngine());
    const qint64 first = Conn().NextSequenceValue(QStringLiteral("SEQ_JXCID"));
    const std::vector<qint64> block = rules.DrawSequence(Conn(), QStringLiteral("SEQ_JXCID"), 5);
    ASSERT_EQ(block.size(), 5u);
    for (size_t k = 0; k < block.size(); ++k)
        EXPECT_EQ(block[k], first + 1 + qint64(k));
    // Another workstation continues after the block; so does this one.
    const auto other = OpenAnother();
    const std::vector<qint64> next = rules.DrawSequence(*other, QStringLiteral("SEQ_JXCID"), 3);
    ASSERT_EQ(next.size(), 3u);
    EXPECT_EQ(next.front(), block.back() + 1);
    EXPECT_EQ(Conn().NextSequenceValue(QStringLiteral("SEQ_JXCID")), next.back() + 1);
}

JXC_INSTANTIATE_DB_TEST(EngineRulesDb);

} // namespace
