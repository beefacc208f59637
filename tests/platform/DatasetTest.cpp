// Dataset states, navigation, the pending appended record, conversions and observers.
#include "TestPrint.h"
#include "platform/core/Dataset.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace platform;

namespace {

std::unique_ptr<Dataset> Lines()
{
    auto ds = std::make_unique<Dataset>(QVector<FieldDef>{{"GoodsCode", FieldType::Text},
                                                          {"GoodsCount", FieldType::Float},
                                                          {"PaySum", FieldType::Currency},
                                                          {"Sort", FieldType::Integer},
                                                          {"BillDate", FieldType::DateTime}});
    for (const char* code : {"A01", "b02", "C03"}) {
        ds->Append();
        ds->FieldByName("GoodsCode").SetValue(QString::fromLatin1(code));
        ds->Post();
    }
    ds->First();
    return ds;
}

struct Recorder : DatasetObserver {
    std::vector<std::pair<Change, int>> log;
    void DatasetChanged(Dataset&, Change c, int row) override { log.emplace_back(c, row); }
    bool Saw(Change c, int row) const
    {
        for (const auto& [cc, r] : log)
            if (cc == c && r == row)
                return true;
        return false;
    }
};

} // namespace

TEST(DatasetStates, AppendPostAndCancel)
{
    auto ds = Lines();
    ASSERT_EQ(ds->RecordCount(), 3);

    ds->Append();
    EXPECT_EQ(ds->GetState(), Dataset::State::Insert);
    // The pending record is not a record yet, but has a row index after the last one.
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->PendingRow(), 3);
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_FALSE(ds->Modified());
    ds->FieldByName("goodscode").SetValue(QStringLiteral("D04"));
    EXPECT_TRUE(ds->Modified());
    EXPECT_EQ(ds->DisplayValue(3, 0).toString(), "D04");
    ds->Post();
    EXPECT_EQ(ds->GetState(), Dataset::State::Browse);
    EXPECT_EQ(ds->RecordCount(), 4);
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(ds->At(3, 0).toString(), "D04");
    EXPECT_EQ(ds->PendingRow(), -1);

    ds->Append();
    ds->FieldByName("GoodsCode").SetValue(QStringLiteral("X"));
    ds->Cancel();
    EXPECT_EQ(ds->RecordCount(), 4);
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(ds->GetState(), Dataset::State::Browse);
}

TEST(DatasetStates, EditKeepsTheStoredRowUntilPost)
{
    auto ds = Lines();
    ds->SetRecNo(1);
    ds->Edit();
    ds->FieldByName("GoodsCode").SetValue(QStringLiteral("B99"));
    EXPECT_EQ(ds->At(1, 0).toString(), "b02");            // stored row untouched
    EXPECT_EQ(ds->DisplayValue(1, 0).toString(), "B99");   // the view shows the buffer
    EXPECT_EQ(ds->FieldByName("GoodsCode").AsString(), "B99");
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("GoodsCode").AsString(), "b02");
    ds->Edit();
    ds->FieldByName("GoodsCode").SetValue(QStringLiteral("B99"));
    ds->Post();
    EXPECT_EQ(ds->At(1, 0).toString(), "B99");
}

TEST(DatasetStates, SettingAValueOutsideEditIsRefused)
{
    auto ds = Lines();
    EXPECT_THROW(ds->FieldByName("GoodsCode").SetValue(QStringLiteral("Z")), Exception);
    EXPECT_EQ(ds->At(0, 0).toString(), "A01");
    EXPECT_THROW(ds->FieldByName("NoSuchField"), Exception);
}

TEST(DatasetStates, CheckBrowseModePostsAModifiedInsertAndDropsAnUntouchedOne)
{
    auto ds = Lines();
    ds->Append();
    ds->CheckBrowseMode();
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->GetState(), Dataset::State::Browse);

    ds->Append();
    ds->FieldByName("Sort").SetValue(7);
    ds->CheckBrowseMode();
    EXPECT_EQ(ds->RecordCount(), 4);
    EXPECT_EQ(ds->At(3, 3).toLongLong(), 7);

    // Navigation does the same: moving away from an untouched new record drops it.
    ds->Append();
    ds->First();
    EXPECT_EQ(ds->RecordCount(), 4);
    EXPECT_EQ(ds->RecNo(), 0);
}

TEST(DatasetStates, DeleteCurrentAndPending)
{
    auto ds = Lines();
    ds->SetRecNo(1);
    ds->Delete();
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->FieldByName("GoodsCode").AsString(), "C03");
    ds->Delete();
    EXPECT_EQ(ds->RecNo(), 0); // the last went: the one before takes the place
    ds->Append();
    ds->Delete(); // cancels the pending record only
    EXPECT_EQ(ds->RecordCount(), 1);
    ds->Delete();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_EQ(ds->RecNo(), -1);
    EXPECT_THROW(ds->Delete(), Exception);
    EXPECT_THROW(ds->Edit(), Exception);
}

TEST(DatasetNavigation, EofBofAndWalks)
{
    auto ds = Lines();
    QStringList seen;
    for (ds->First(); !ds->Eof(); ds->Next())
        seen << ds->FieldByName("GoodsCode").AsString();
    EXPECT_EQ(seen, (QStringList{"A01", "b02", "C03"}));
    EXPECT_EQ(ds->RecNo(), 2);
    ds->Last();
    EXPECT_TRUE(ds->Eof());
    ds->Prior();
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->RecNo(), 1);
    ds->First();
    ds->Prior();
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->RecNo(), 0);

    Dataset empty({{"A", FieldType::Text}});
    empty.First();
    EXPECT_TRUE(empty.Eof());
    EXPECT_TRUE(empty.Bof());
    EXPECT_EQ(empty.RecNo(), -1);
    EXPECT_FALSE(empty.FieldByName("A").Value().isValid());
}

TEST(DatasetNavigation, LocateIgnoresCaseOnTextAndComparesNumbersAsNumbers)
{
    auto ds = Lines();
    EXPECT_TRUE(ds->Locate("goodscode", QStringLiteral("B02")));
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_FALSE(ds->Locate("GoodsCode", QStringLiteral("B02"), false));
    EXPECT_EQ(ds->RecNo(), 1); // a failed locate leaves the record
    EXPECT_FALSE(ds->Locate("GoodsCode", QStringLiteral("Z")));

    ds->SetRecNo(2);
    ds->Edit();
    ds->FieldByName("Sort").SetValue(QStringLiteral("12"));
    ds->Post();
    EXPECT_TRUE(ds->Locate("Sort", 12.0));
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_FALSE(ds->Locate("Sort", QStringLiteral("twelve"))); // not a number: no match, no error
    EXPECT_THROW(ds->Locate("Missing", 1), Exception);
}

TEST(DatasetConversions, ValuesTakeTheFieldType)
{
    auto ds = Lines();
    ds->Edit();
    ds->FieldByName("GoodsCount").SetValue(QStringLiteral(" 2.5 "));
    ds->FieldByName("PaySum").SetValue(8.3325);
    ds->FieldByName("Sort").SetValue(QStringLiteral("42"));
    ds->FieldByName("BillDate").SetValue(QStringLiteral("2024-03-05"));
    ds->Post();
    EXPECT_EQ(ds->At(0, 1).metaType().id(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(ds->FieldByName("GoodsCount").AsFloat(), 2.5);
    EXPECT_EQ(ds->At(0, 2).value<Currency>().Raw(), 83325);
    EXPECT_EQ(ds->FieldByName("PaySum").AsString(), "8.3325");
    EXPECT_EQ(ds->FieldByName("Sort").AsInteger(), 42);
    EXPECT_EQ(ds->FieldByName("BillDate").AsDateTime(), QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    EXPECT_EQ(ds->FieldByName("BillDate").AsString(), "2024-03-05");
    // Reading a text field as a number converts, or fails clearly.
    EXPECT_THROW(ds->FieldByName("GoodsCode").AsInteger(), EConvertError);
    // Null reads as zero / empty.
    ds->SetRecNo(1);
    EXPECT_TRUE(ds->FieldByName("PaySum").IsNull());
    EXPECT_EQ(ds->FieldByName("PaySum").AsCurrency(), Currency());
    EXPECT_EQ(ds->FieldByName("GoodsCount").AsFloat(), 0.0);
}

TEST(DatasetConversions, BadValuesAreRefusedAndNothingChanges)
{
    auto ds = Lines();
    ds->Edit();
    EXPECT_THROW(ds->FieldByName("GoodsCount").SetValue(QStringLiteral("abc")), EConvertError);
    EXPECT_THROW(ds->FieldByName("PaySum").SetValue(QStringLiteral("1,5")), EConvertError);
    EXPECT_THROW(ds->FieldByName("Sort").SetValue(QStringLiteral("4.5x")), EConvertError);
    EXPECT_THROW(ds->FieldByName("BillDate").SetValue(QStringLiteral("31/31/2024")), EConvertError);
    EXPECT_THROW(ds->FieldByName("Sort").SetValue(1e30), EConvertError);
    EXPECT_THROW(ds->FieldByName("PaySum").SetValue(std::numeric_limits<double>::quiet_NaN()), EConvertError);
    EXPECT_FALSE(ds->Modified());
    ds->Post();
    EXPECT_FALSE(ds->At(0, 1).isValid());
    // Empty text clears a numeric field.
    ds->Edit();
    ds->FieldByName("GoodsCount").SetValue(3);
    ds->FieldByName("GoodsCount").SetValue(QString());
    EXPECT_TRUE(ds->FieldByName("GoodsCount").IsNull());
}

TEST(DatasetStructure, FieldsAndRawLoading)
{
    Dataset ds;
    ds.AddField("ID", FieldType::Integer);
    ds.AddField("Name", FieldType::Text);
    EXPECT_THROW(ds.AddField("id", FieldType::Text), Exception);
    EXPECT_EQ(ds.FieldIndex("NAME"), 1);
    EXPECT_EQ(ds.FieldIndex("none"), -1);
    ds.Reserve(2);
    ds.AppendRow({qlonglong(1), QStringLiteral("one")});
    ds.AppendRow({qlonglong(2), QVariant()});
    ds.EndLoad();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_THROW(ds.AddField("Late", FieldType::Text), Exception);
    ds.EmptyDataset();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.RecNo(), -1);
}

TEST(DatasetObservers, AreToldOfEveryChange)
{
    auto ds = Lines();
    Recorder rec;
    ds->AddObserver(&rec);
    ds->AddObserver(&rec); // once only
    ds->Append();
    EXPECT_TRUE(rec.Saw(DatasetObserver::Change::RowInserted, 3));
    EXPECT_TRUE(rec.Saw(DatasetObserver::Change::CurrentChanged, 3));
    rec.log.clear();
    ds->FieldByName("Sort").SetValue(1);
    EXPECT_TRUE(rec.Saw(DatasetObserver::Change::RowChanged, 3));
    ASSERT_EQ(rec.log.size(), 1u);
    rec.log.clear();
    ds->Cancel();
    EXPECT_TRUE(rec.Saw(DatasetObserver::Change::RowRemoved, 3));
    rec.log.clear();
    ds->SetRecNo(0);
    ds->Delete();
    EXPECT_TRUE(rec.Saw(DatasetObserver::Change::RowRemoved, 0));
    rec.log.clear();
    ds->EmptyDataset();
    EXPECT_TRUE(rec.Saw(DatasetObserver::Change::Reset, -1));
    ds->RemoveObserver(&rec);
    rec.log.clear();
    ds->Append();
    EXPECT_TRUE(rec.log.empty());
    ds->Cancel();

    ds->AddObserver(&rec);
    ds.reset();
    EXPECT_TRUE(rec.Saw(DatasetObserver::Change::Destroyed, -1));
}

// Rows live by column: texts one after another, so an edit or a delete in the middle must move
// the texts after it, and null must stay apart from the empty text.
TEST(DatasetStorage, MiddleEditsAndDeletesKeepEveryOtherValue)
{
    Dataset ds({{"Name", FieldType::Text}, {"N", FieldType::Integer}});
    const QStringList names{"甲", "", "bb", "康师傅红烧牛肉面", "e"};
    for (int i = 0; i < names.size(); ++i)
        ds.AppendRow({i == 1 ? QVariant(QString()) : QVariant(names[i]), qlonglong(i)});
    ds.AppendRow({QVariant(), QVariant()});
    ds.EndLoad();
    EXPECT_TRUE(ds.At(1, 0).isValid());      // the empty text is a value
    EXPECT_FALSE(ds.At(5, 0).isValid());     // null stays null
    EXPECT_TRUE(ds.IsNullAt(5, 1));

    ds.SetRecNo(2);
    ds.Edit();
    ds.FieldByName("Name").SetValue(QStringLiteral("a much longer name than before"));
    ds.Post();
    ds.SetRawValue(0, 0, QStringLiteral("乙乙乙"));
    EXPECT_EQ(ds.At(0, 0).toString(), "乙乙乙");
    EXPECT_EQ(ds.At(2, 0).toString(), "a much longer name than before");
    EXPECT_EQ(ds.At(3, 0).toString(), "康师傅红烧牛肉面");

    ds.SetRecNo(1);
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 5);
    const QStringList expected{"乙乙乙", "a much longer name than before", "康师傅红烧牛肉面", "e"};
    for (int r = 0; r < expected.size(); ++r)
        EXPECT_EQ(ds.At(r, 0).toString(), expected[r]) << r;
    EXPECT_EQ(ds.At(3, 1).toLongLong(), 4);
    EXPECT_FALSE(ds.At(4, 0).isValid());
}

TEST(DatasetStorage, EveryTypeComesBackAsStored)
{
    Dataset ds({{"I", FieldType::Integer}, {"F", FieldType::Float}, {"C", FieldType::Currency}, {"D", FieldType::DateTime}});
    const QDateTime old(QDate(1969, 12, 31), QTime(23, 59, 58, 125));
    const QDateTime now(QDate(2026, 12, 8), QTime(9, 30, 0, 7));
    ds.AppendRow({std::numeric_limits<qlonglong>::min(), -0.1, QVariant::fromValue(Currency::FromRaw(-83325)), old});
    ds.AppendRow({std::numeric_limits<qlonglong>::max(), 1e300, QVariant::fromValue(Currency::FromRaw(922337203685477)), now});
    ds.EndLoad();
    EXPECT_EQ(ds.At(0, 0).toLongLong(), std::numeric_limits<qlonglong>::min());
    EXPECT_EQ(ds.At(1, 0).toLongLong(), std::numeric_limits<qlonglong>::max());
    EXPECT_EQ(ds.At(0, 1).toDouble(), -0.1);
    EXPECT_EQ(ds.At(1, 1).toDouble(), 1e300);
    EXPECT_EQ(ds.At(0, 2).value<Currency>().Raw(), -83325);
    EXPECT_EQ(ds.At(0, 3).toDateTime(), old);
    EXPECT_EQ(ds.At(1, 3).toDateTime(), now);
    EXPECT_EQ(ds.At(1, 3).toDateTime().time(), QTime(9, 30, 0, 7)); // local time, as it went in
}

TEST(DatasetStorage, LoadedValuesTakeTheFieldTypeOrLeaveNoHalfRow)
{
    Dataset ds({{"Name", FieldType::Text}, {"N", FieldType::Integer}, {"D", FieldType::DateTime}});
    ds.AppendRow({qlonglong(12), QStringLiteral(" 34 "), QStringLiteral("2026-01-02 03:04:05")});
    EXPECT_EQ(ds.At(0, 0).toString(), "12");
    EXPECT_EQ(ds.At(0, 1).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(ds.At(0, 1).toLongLong(), 34);
    EXPECT_EQ(ds.At(0, 2).toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    EXPECT_THROW(ds.AppendRow({QStringLiteral("kept?"), QStringLiteral("x"), QVariant()}), EConvertError);
    EXPECT_THROW(ds.AppendRow(QVector<QVariant>{QStringLiteral("short")}), Exception);
    ds.AppendRow({QStringLiteral("next"), qlonglong(5), QVariant()});
    ds.EndLoad();
    ASSERT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.At(1, 0).toString(), "next"); // no text of the refused row in between
    EXPECT_EQ(ds.At(1, 1).toLongLong(), 5);
}

TEST(DatasetStorage, RowsLoadedValueByValueReadBackAsStoredAndAFailedRowIsForgotten)
{
    Dataset ds({{"Name", FieldType::Text}, {"N", FieldType::Integer}, {"F", FieldType::Float},
                {"C", FieldType::Currency}, {"D", FieldType::DateTime}});
    const QByteArray name = QStringLiteral("康师傅红烧牛肉面").toUtf8();
    ds.LoadText(0, name.constData(), name.size());
    ds.LoadInteger(1, std::numeric_limits<qlonglong>::min());
    ds.LoadFloat(2, -0.1);
    ds.LoadCurrency(3, Currency::FromRaw(-83325));
    ds.LoadDateTime(4, QDate(1969, 12, 31), 86399999);
    ds.EndRow();
    for (int f = 0; f < 5; ++f)
        ds.LoadNull(f);
    ds.EndRow();

    // A value of another type than its field's, or a row short of a value, is refused; the
    // values loaded before it in that row are dropped with it.
    ds.LoadText(0, "half", 4);
    EXPECT_THROW(ds.LoadFloat(1, 1.0), Exception);
    EXPECT_THROW(ds.EndRow(), Exception);
    ds.DropRow();
    ds.LoadValue(0, qlonglong(12));
    ds.LoadValue(1, QStringLiteral(" 34 "));
    ds.LoadValue(2, QVariant());
    ds.LoadValue(3, QStringLiteral("1.5"));
    ds.LoadValue(4, QStringLiteral("2026-01-02 03:04:05"));
    ds.EndRow();
    ds.EndLoad();

    ASSERT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.At(0, 0).toString(), "康师傅红烧牛肉面");
    EXPECT_EQ(ds.At(0, 1).toLongLong(), std::numeric_limits<qlonglong>::min());
    EXPECT_EQ(ds.At(0, 2).toDouble(), -0.1);
    EXPECT_EQ(ds.At(0, 3).value<Currency>().Raw(), -83325);
    EXPECT_EQ(ds.At(0, 4).toDateTime(), QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 999)));
    for (int f = 0; f < 5; ++f)
        EXPECT_TRUE(ds.IsNullAt(1, f)) << f;
    EXPECT_EQ(ds.At(2, 0).toString(), "12"); // not "half12"
    EXPECT_EQ(ds.At(2, 1).toLongLong(), 34);
    EXPECT_FALSE(ds.At(2, 2).isValid());
    EXPECT_EQ(ds.At(2, 3).value<Currency>(), Currency::FromRaw(15000));
    EXPECT_EQ(ds.At(2, 4).toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
}

TEST(DatasetStorage, ColumnCountsAndSumsLeaveOutNulls)
{
    Dataset ds({{"N", FieldType::Integer}, {"F", FieldType::Float}, {"C", FieldType::Currency}, {"T", FieldType::Text}});
    ds.AppendRow({qlonglong(3), 0.25, QVariant::fromValue(Currency::FromRaw(10001)), QStringLiteral("7")});
    ds.AppendRow({QVariant(), QVariant(), QVariant(), QVariant()});
    ds.AppendRow({qlonglong(-1), 0.5, QVariant::fromValue(Currency::FromRaw(-1)), QStringLiteral("")});
    ds.EndLoad();
    EXPECT_EQ(ds.CountAt(0), 2);
    EXPECT_EQ(ds.CountAt(3), 2);
    EXPECT_EQ(ds.SumAt(0).toLongLong(), 2);
    EXPECT_EQ(ds.SumAt(1).toDouble(), 0.75);
    ASSERT_EQ(ds.SumAt(2).metaType(), QMetaType::fromType<Currency>());
    EXPECT_EQ(ds.SumAt(2).value<Currency>().Raw(), 10000);
    EXPECT_FALSE(ds.SumAt(3).isValid()); // texts are not summed here
}
