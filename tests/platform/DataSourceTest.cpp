// The data source's table model follows the dataset: appends, the pending row, deletes,
// resets, rebinding and the dataset's destruction, checked by Qt's own model tester.
#include "TestPrint.h"
#include "platform/DataSource.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace platform;

namespace {

std::unique_ptr<Dataset> Numbers(int n)
{
    auto ds = std::make_unique<Dataset>(QVector<FieldDef>{{"N", FieldType::Integer}, {"Name", FieldType::Text}});
    for (int i = 0; i < n; ++i) {
        ds->AppendRow({qlonglong(i), QStringLiteral("名称%1").arg(i)});
    }
    ds->EndLoad();
    return ds;
}

} // namespace

TEST(DataSourceModel, FollowsEveryDatasetChange)
{
    auto ds = Numbers(3);
    DataSource source;
    QAbstractItemModelTester tester(&source, QAbstractItemModelTester::FailureReportingMode::Fatal);
    source.SetDataSet(ds.get());
    EXPECT_EQ(source.rowCount(), 3);
    EXPECT_EQ(source.columnCount(), 2);
    EXPECT_EQ(source.headerData(1, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(source.data(source.index(2, 1)).toString(), "名称2");

    QSignalSpy inserted(&source, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&source, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&source, &QAbstractItemModel::dataChanged);

    ds->Append(); // the pending row shows at once
    EXPECT_EQ(source.rowCount(), 4);
    EXPECT_EQ(source.RowCount(), 4);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 3);
    ds->FieldByName("Name").SetValue(QStringLiteral("新行"));
    EXPECT_EQ(source.data(source.index(3, 1)).toString(), "新行");
    EXPECT_GE(changed.count(), 1);
    ds->Post(); // becomes a stored row at the same place: no row added or removed
    EXPECT_EQ(source.rowCount(), 4);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(removed.count(), 0);

    ds->Append();
    ds->Cancel();
    EXPECT_EQ(source.rowCount(), 4);
    EXPECT_EQ(removed.count(), 1);

    ds->SetRecNo(0);
    ds->Delete();
    EXPECT_EQ(source.rowCount(), 3);
    EXPECT_EQ(source.data(source.index(0, 0)).toString(), "1");

    ds->Edit();
    ds->FieldByName("N").SetValue(100);
    EXPECT_EQ(source.data(source.index(0, 0)).toString(), "100"); // the edit buffer shows
    EXPECT_EQ(source.data(source.index(0, 0), Qt::EditRole).toLongLong(), 100);
    ds->Cancel();
    EXPECT_EQ(source.data(source.index(0, 0)).toString(), "1");

    ds->EmptyDataset();
    EXPECT_EQ(source.rowCount(), 0);
}

TEST(DataSourceModel, UntouchedAppendDroppedByNavigation)
{
    auto ds = Numbers(2);
    DataSource source;
    QAbstractItemModelTester tester(&source, QAbstractItemModelTester::FailureReportingMode::Fatal);
    source.SetDataSet(ds.get());
    ds->Append();
    EXPECT_EQ(source.rowCount(), 3);
    ds->SetRecNo(0);
    EXPECT_EQ(source.rowCount(), 2);
    // Appending again while a modified record is pending posts it first.
    ds->Append();
    ds->FieldByName("N").SetValue(5);
    ds->Append();
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(source.rowCount(), 4);
}

TEST(DataSourceModel, RebindsAndLetsGoOfADestroyedDataset)
{
    auto a = Numbers(2);
    auto b = Numbers(5);
    DataSource source;
    QAbstractItemModelTester tester(&source, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy rebinds(&source, &DataSource::DataSetChanged);
    source.SetDataSet(a.get());
    source.SetDataSet(b.get());
    EXPECT_EQ(source.rowCount(), 5);
    EXPECT_EQ(rebinds.count(), 2);
    // The old dataset no longer reaches the source.
    a->Append();
    EXPECT_EQ(source.rowCount(), 5);
    b.reset();
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(source.rowCount(), 0);
    EXPECT_EQ(rebinds.count(), 3);
    EXPECT_FALSE(source.data(source.index(0, 0)).isValid());
    source.SetDataSet(nullptr);
    a->Cancel();
}

TEST(DataSourceModel, WriteValueMovesEditsAndConverts)
{
    auto ds = Numbers(3);
    DataSource source;
    source.SetDataSet(ds.get());
    source.WriteValue(1, 0, QStringLiteral("77"));
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->GetState(), Dataset::State::Edit);
    // Moving to another row posts the first edit.
    source.WriteValue(2, 1, QStringLiteral("x"));
    EXPECT_EQ(ds->At(1, 0).toLongLong(), 77);
    EXPECT_THROW(source.WriteValue(2, 0, QStringLiteral("not a number")), EConvertError);
    EXPECT_THROW(source.WriteValue(9, 0, 1), Exception);
    EXPECT_THROW(source.WriteValue(0, 7, 1), Exception);
}
