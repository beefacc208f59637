// Lookup lists from two-column selects, on every engine.
#include "host/services/DictService.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QComboBox>
#include <QPointer>

namespace {

using plugin::IntfPtr;

class DictServiceTest : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        jxctest::DbTest::SetUp();
        if (IsSkipped() || HasFailure())
            return;
        for (const char* sql : {
                 "insert into bas_Storage (ID, StorageCode, StorageName) values (1, '01', '北京总仓')",
                 "insert into bas_Storage (ID, StorageCode, StorageName) values (2, '02', '上海分仓')",
                 "insert into bas_Storage (ID, StorageCode, StorageName) values (3, '03', 'O''Brien 仓')",
                 "insert into Sys_DictDetail values ('52101', '个')",
                 "insert into Sys_DictDetail values ('52102', '箱')",
                 "insert into Sys_DictDetail values ('60101', '现金')",
             })
            Db().ExecSql(QString::fromUtf8(sql));
    }
};

TEST_P(DictServiceTest, ItemsShowTheSecondColumnAndCarryTheFirst)
{
    IntfPtr<host::DictService> dict(new host::DictService(&Db()));
    QComboBox* c = dict->ComboFromSql(QStringLiteral("select StorageCode,storageName from bas_storage order by StorageCode"));
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->count(), 3);
    EXPECT_EQ(c->itemText(0), QStringLiteral("北京总仓"));
    EXPECT_EQ(c->itemData(0).toString(), QStringLiteral("01"));
    EXPECT_EQ(c->itemText(2), QStringLiteral("O'Brien 仓"));
    EXPECT_EQ(c->itemData(2).toString(), QStringLiteral("03"));

    QComboBox* units = dict->ComboFromSql(QStringLiteral(
        "select DictDetailCode,DictDetailName from Sys_DictDetail where substr(dictdetailCode,1,3)='521'"));
    ASSERT_EQ(units->count(), 2);
    QStringList names{units->itemText(0), units->itemText(1)};
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("个"), QStringLiteral("箱")}));
    EXPECT_EQ(units->findData(QStringLiteral("52102")), units->findText(QStringLiteral("箱")));
}

TEST_P(DictServiceTest, TheSameTextIsReadOnceAndStaysTheServices)
{
    IntfPtr<host::DictService> dict(new host::DictService(&Db()));
    const QString sql = QStringLiteral("select StorageCode,storageName from bas_storage ");
    QPointer<QComboBox> first = dict->ComboFromSql(sql);
    Db().ExecSql(QStringLiteral("insert into bas_Storage (ID, StorageCode, StorageName) values (4, '04', '新仓')"));
    EXPECT_EQ(dict->ComboFromSql(sql), first.data()) << "cached per SQL text";
    EXPECT_EQ(first->count(), 3);
    EXPECT_EQ(dict->CachedCount(), 1);

    // After the cache is dropped the list is read again; the old box stays valid until the end.
    dict->ClearCache();
    QComboBox* second = dict->ComboFromSql(sql);
    EXPECT_NE(second, first.data());
    EXPECT_EQ(second->count(), 4);
    EXPECT_TRUE(first);
    dict.Reset();
    EXPECT_FALSE(first) << "host-owned boxes go with the service";
}

TEST_P(DictServiceTest, AFailedSelectRaisesAndCachesNothing)
{
    IntfPtr<host::DictService> dict(new host::DictService(&Db()));
    EXPECT_THROW(dict->ComboFromSql(QStringLiteral("select a, b from no_such_table")), platform::Exception);
    EXPECT_EQ(dict->CachedCount(), 0);
}

TEST_P(DictServiceTest, OneColumnServesAsBoth)
{
    IntfPtr<host::DictService> dict(new host::DictService(&Db()));
    QComboBox* c = dict->ComboFromSql(QStringLiteral("select StorageName from bas_storage where StorageCode='02'"));
    ASSERT_EQ(c->count(), 1);
    EXPECT_EQ(c->itemText(0), QStringLiteral("上海分仓"));
    EXPECT_EQ(c->itemData(0).toString(), QStringLiteral("上海分仓"));
}

JXC_INSTANTIATE_DB_TEST(DictServiceTest);

} // namespace
