#include "tests/support/DbTestEnv.h"
#include "platform/Dataset.h"
#include <memory>

namespace {
class SmokeDb : public jxctest::DbTest {};

TEST_P(SmokeDb, InsertAndRead)
{
    Db().ExecSql("insert into bas_Storage (ID, StorageCode, StorageName, UseFlag) values (1, '001', '总仓', 1)");
    std::unique_ptr<platform::Dataset> ds(Db().OpenQuery("select * from bas_storage where storagecode = '001'"));
    ASSERT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->FieldByName("StorageName").AsString(), QStringLiteral("总仓"));
    EXPECT_EQ(Db().QueryValue("select count(*) from bas_storage where 1=2"), "0");
    EXPECT_EQ(Db().NextSequence("SEQ_JXCID"), "1");
    EXPECT_EQ(Db().NextCounter("JXC_BILLNO_DB", 1).toLongLong(), 1);
}
JXC_INSTANTIATE_DB_TEST(SmokeDb);
}
