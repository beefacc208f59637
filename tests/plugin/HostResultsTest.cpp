// The host database's results as the module holds them: every record owned from the moment it
// arrives, none left behind by a failure or by a host that makes records of another class.
#include "platform/core/Exception.h"
#include "plugin/Host.h"
#include "tests/support/ModuleHarness.h"

#include <QObject>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

int g_liveRecords = 0;

// A record that counts how many of its kind are alive.
class CountedRecord : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ID MEMBER id)
    Q_PROPERTY(int Qty MEMBER qty)
public:
    Q_INVOKABLE CountedRecord() { ++g_liveRecords; }
    ~CountedRecord() override { --g_liveRecords; }
    QString id;
    int qty = 0;
};

class ForeignRecord : public QObject {
    Q_OBJECT
public:
    ForeignRecord() { ++g_liveRecords; }
    ~ForeignRecord() override { --g_liveRecords; }
};

// A host database whose LoadObjects hands back records of another class among its own.
class MixedRecordsDb : public plugin::RefCounted<plugin::IDbIntf> {
public:
    platform::Dataset* OpenQuery(const QString&) override { throw platform::EDatabaseError("unused"); }
    void ExecSql(const QString&) override { throw platform::EDatabaseError("unused"); }
    QString NextSequence(const QString&) override { throw platform::EDatabaseError("unused"); }
    QVariant NextCounter(const QString&, int) override { throw platform::EDatabaseError("unused"); }
    QString QueryValue(const QString&) override { throw platform::EDatabaseError("unused"); }
    plugin::ObjectList* LoadObjects(const QMetaObject*, const QString&) override
    {
        auto* list = new plugin::ObjectList;
        list->Add(new CountedRecord);
        list->Add(new ForeignRecord);
        list->Add(new CountedRecord);
        return list;
    }
};

class HostResultsTest : public ::testing::Test {
protected:
    ScriptedApplication app;
    TestHost host;
    ModuleScope scope{app, &host};

    void SetUp() override
    {
        g_liveRecords = 0;
        for (const char* row : {"(1, 'S01', '7')", "(2, 'S02', '8')", "(3, 'S03', 'X')"})
            plugin::HostDb()->ExecSql(QStringLiteral("insert into bas_Storage (ID, StorageCode, Remark) values ") +
                                      QLatin1String(row));
    }
};

TEST_F(HostResultsTest, RecordsComeInRowOrderOwnedByTheCallerAndNoRowsGiveNone)
{
    {
        const auto records =
            plugin::LoadRecords<CountedRecord>(QStringLiteral("select ID, Remark as Qty from bas_Storage where ID < 3 order by ID"));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0]->id, "1");
        EXPECT_EQ(records[0]->qty, 7);
        EXPECT_EQ(records[1]->qty, 8);
        EXPECT_EQ(records[0]->parent(), nullptr);
        EXPECT_EQ(g_liveRecords, 2);
    }
    EXPECT_EQ(g_liveRecords, 0);
    EXPECT_TRUE(plugin::LoadRecords<CountedRecord>(QStringLiteral("select ID from bas_Storage where ID > 9")).empty());
}

TEST_F(HostResultsTest, AFailedConversionLeavesNoRecordAlive)
{
    // The third row's Remark is no number: the first two records were made already.
    EXPECT_THROW(plugin::LoadRecords<CountedRecord>(QStringLiteral("select ID, Remark as Qty from bas_Storage order by ID")),
                 platform::EDatabaseError);
    EXPECT_EQ(g_liveRecords, 0);
}

TEST_F(HostResultsTest, RecordsOfAnotherClassAreFreed)
{
    host.SetDb(new MixedRecordsDb);
    {
        const auto records = plugin::LoadRecords<CountedRecord>(QStringLiteral("select anything"));
        EXPECT_EQ(records.size(), 2u);
        EXPECT_EQ(g_liveRecords, 2);
    }
    EXPECT_EQ(g_liveRecords, 0);
}

} // namespace

#include "HostResultsTest.moc"
