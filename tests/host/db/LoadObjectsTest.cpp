// LoadObjects: one record per row, properties filled by column name ignoring case.
#include "platform/core/Currency.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QDateTime>
#include <QObject>
#include <memory>

namespace {

class TestStorage : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ID MEMBER id)
    Q_PROPERTY(int StoragePID MEMBER storagePid)
    Q_PROPERTY(QString storagecode MEMBER storageCode)
    Q_PROPERTY(QString StorageName MEMBER storageName)
    Q_PROPERTY(QString Remark MEMBER remark)
    Q_PROPERTY(int UseFlag MEMBER useFlag)
    Q_PROPERTY(double Price MEMBER price)
    Q_PROPERTY(platform::Currency Amount MEMBER amount)
    Q_PROPERTY(QDateTime Stamp MEMBER stamp)
    Q_PROPERTY(QString Unmatched MEMBER unmatched)
public:
    Q_INVOKABLE TestStorage() = default;
    QString id, storageCode, storageName, remark = "preset", unmatched = "kept";
    int storagePid = -1, useFlag = -1;
    double price = -1;
    platform::Currency amount;
    QDateTime stamp;
};

class NoDefaultConstructor : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ID MEMBER id)
public:
    explicit NoDefaultConstructor(int) {}
    QString id;
};

struct ListOwner {
    plugin::ObjectList* list;
    ~ListOwner()
    {
        if (list)
            qDeleteAll(list->Items());
        delete list;
    }
};

class LoadObjectsDb : public jxctest::DbTest {};

TEST_P(LoadObjectsDb, FillsPropertiesByColumnNameIgnoringCase)
{
    Db().ExecSql("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, Remark, UseFlag, Sort) values (1, 0, 'S01', '总仓', null, 1, 1)");
    Db().ExecSql("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, Remark, UseFlag, Sort) values (2, 1, 'S02', '分仓', 'x', 1, 2)");
    Db().ExecSql("insert into bas_Storage (ID, StoragePID, StorageCode, StorageName, UseFlag) values (3, 1, 'S03', '停用', 0)");
    ListOwner owned{Db().LoadObjects(&TestStorage::staticMetaObject,
                                     " select * from bas_Storage where useflag = 1 and  (upper(storageCode) like '%%' "
                                     " or upper(StorageName) like '%%') order by ID")};
    ASSERT_NE(owned.list, nullptr);
    ASSERT_EQ(owned.list->Count(), 2);
    auto* first = qobject_cast<TestStorage*>(owned.list->Item(0));
    auto* second = qobject_cast<TestStorage*>(owned.list->Item(1));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->id, "1");
    EXPECT_EQ(first->storagePid, 0);
    EXPECT_EQ(first->storageCode, "S01");
    EXPECT_EQ(first->storageName, QStringLiteral("总仓"));
    EXPECT_EQ(first->remark, ""); // null column: the empty value
    EXPECT_EQ(first->useFlag, 1);
    EXPECT_EQ(first->unmatched, "kept");
    EXPECT_EQ(second->storagePid, 1);
    EXPECT_EQ(second->remark, "x");
    EXPECT_EQ(owned.list->Item(2), nullptr);
}

TEST_P(LoadObjectsDb, ConvertsToThePropertyTypes)
{
    Db().ExecSql("insert into Sto_AdjustBillDetail (ID, GoodsPrice, PaySum, Create_time) values (5, 2.5, 7.1234, "
                 "to_date('2026-12-08 09:30:00','YYYY-MM-DD HH24:MI:SS'))");
    ListOwner owned{Db().LoadObjects(&TestStorage::staticMetaObject,
                                     "select ID as storagepid, GoodsPrice as price, PaySum as amount, Create_time as "
                                     "stamp, PaySum as storagename from Sto_AdjustBillDetail")};
    ASSERT_NE(owned.list, nullptr);
    auto* r = qobject_cast<TestStorage*>(owned.list->Item(0));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->storagePid, 5);
    EXPECT_DOUBLE_EQ(r->price, 2.5);
    EXPECT_EQ(r->amount, platform::Currency::FromRaw(71234));
    EXPECT_EQ(r->stamp, QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    EXPECT_EQ(r->storageName, "7.1234");
}

TEST_P(LoadObjectsDb, UnconvertibleValueIsADatabaseErrorNamingTheColumnAndTheStatement)
{
    Db().ExecSql("insert into bas_Storage (ID, StorageCode) values (1, 'S01')");
    const QString sql = QStringLiteral("select StorageCode as StoragePID from bas_Storage");
    try {
        ListOwner owned{Db().LoadObjects(&TestStorage::staticMetaObject, sql)};
        ADD_FAILURE() << "no error";
    } catch (const platform::EDatabaseError& e) {
        // The engine decides the case of the column name.
        EXPECT_TRUE(e.Message().startsWith("Column StoragePID: 'S01' is not a valid integer value", Qt::CaseInsensitive))
            << e.Message().toStdString();
        EXPECT_TRUE(e.Message().endsWith("\nSQL: " + sql)) << e.Message().toStdString();
    }
}

TEST_P(LoadObjectsDb, NoRowsGiveNoList)
{
    EXPECT_EQ(Db().LoadObjects(&TestStorage::staticMetaObject, "select * from bas_Storage"), nullptr);
}

TEST_P(LoadObjectsDb, ClassWithoutDefaultConstructorIsAnError)
{
    Db().ExecSql("insert into bas_Storage (ID, StorageCode) values (1, 'S01')");
    EXPECT_THROW(Db().LoadObjects(&NoDefaultConstructor::staticMetaObject, "select * from bas_Storage"),
                 platform::EDatabaseError);
    EXPECT_THROW(Db().LoadObjects(nullptr, "select * from bas_Storage"), platform::EDatabaseError);
}

JXC_INSTANTIATE_DB_TEST(LoadObjectsDb);

} // namespace

#include "LoadObjectsTest.moc"
