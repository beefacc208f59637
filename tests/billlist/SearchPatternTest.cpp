// What a clerk types in a search edit is matched as Oracle's LIKE reads it, on both engines: a
// backslash is a character like any other, and % and _ after it stay wildcards.
#include "billlist/WorkWindowSql.h"
#include "lookup/FrmQryGoodsListSql.h"
#include "lookup/FrmQryStorageListSql.h"
#include "model/SqlText.h"
#include "platform/core/Dataset.h"
#include "tests/support/DbTestEnv.h"

#include <QStringList>
#include <memory>

namespace {

class SearchPatternDb : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Goods 1 holds a backslash in every searched column; 2 and 3 hold the wildcards as text.
        const char* const goods[][4] = {{"G\\1", "螺丝\\刀", "69\\01", "LS\\D"},
                                        {"G%2", "百分%号", "69%02", "BF%H"},
                                        {"G_3", "下_划", "69_03", "X_H"},
                                        {"G4", "普通", "6904", "PT"}};
        for (int i = 0; i < 4; ++i) {
            const int id = i + 1;
            Db().ExecSql(QStringLiteral("insert into Bas_GoodsInfo (ID, GoodsCode, GoodsName, BarCode, PyCode, GoodsType, "
                                        "UseFlag, Deleted) values (%1, %2, %3, %4, %5, 'T1', 1, 0)")
                             .arg(id)
                             .arg(model::QuotedStr(QString::fromUtf8(goods[i][0])), model::QuotedStr(QString::fromUtf8(goods[i][1])),
                                  model::QuotedStr(QString::fromUtf8(goods[i][2])), model::QuotedStr(QString::fromUtf8(goods[i][3]))));
            Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillMain (ID, BillNo, BillDate, DELETED) values (%1, 'DB-%1', "
                                        "to_date('2026-12-08','YYYY-MM-DD'), 0)")
                             .arg(id));
            Db().ExecSql(QStringLiteral("insert into Sto_AdjustBillDetail (ID, BillID, BillNo, GoodsCode, GoodsName, DELETED) "
                                        "values (%1, %1, 'DB-%1', %2, %3, 0)")
                             .arg(id)
                             .arg(model::QuotedStr(QString::fromUtf8(goods[i][0])), model::QuotedStr(QString::fromUtf8(goods[i][1]))));
            Db().ExecSql(QStringLiteral("insert into Gds_StockCount (ID, StorageCode, GoodsCode, LeftCount) values (%1, 'S1', %2, 5)")
                             .arg(id)
                             .arg(model::QuotedStr(QString::fromUtf8(goods[i][0]))));
        }
        const char* const storages[][2] = {{"S\\1", "仓\\库"}, {"S%2", "百%"}, {"S_3", "下_"}};
        for (int i = 0; i < 3; ++i)
            Db().ExecSql(QStringLiteral("insert into bas_Storage (ID, StorageCode, StorageName, UseFlag) values (%1, %2, %3, 1)")
                             .arg(i + 1)
                             .arg(model::QuotedStr(QString::fromUtf8(storages[i][0])), model::QuotedStr(QString::fromUtf8(storages[i][1]))));
    }

    QString Found(const QString& sql, const char* field)
    {
        std::unique_ptr<platform::Dataset> ds(Db().OpenQuery(sql));
        QStringList out;
        for (ds->First(); !ds->Eof(); ds->Next())
            out << ds->FieldByName(QLatin1String(field)).AsString();
        out.sort();
        return out.join(u' ');
    }
};

TEST_P(SearchPatternDb, BackslashPercentAndUnderscoreMeanWhatTheyMeanInOracleInEverySearchEdit)
{
    const QDate day(2026, 12, 8);
    const QString types = QStringLiteral("('T1')");
    for (const QString& typed : {QStringLiteral("\\"), QStringLiteral("\\%"), QStringLiteral("\\_")}) {
        SCOPED_TRACE(typed.toStdString());
        // The list's goods code or name edit, and its bar code edit.
        EXPECT_EQ(Found(billlist::BillSearchSql({}, day, day, typed, {}), "BillNo"), "DB-1");
        EXPECT_EQ(Found(billlist::BillSearchSql({}, day, day, {}, typed), "BillNo"), "DB-1");
        // The goods lookup (its condition is upper-cased by the dialog), alone and in a storage.
        EXPECT_EQ(Found(lookup::GoodsSearchSql(typed, {}, types), "GoodsCode"), "G\\1");
        EXPECT_EQ(Found(lookup::GoodsSearchSql(typed, QStringLiteral("S1"), types), "GoodsCode"), "G\\1");
        // The storage lookup.
        EXPECT_EQ(Found(lookup::StorageSearchSql(typed), "StorageCode"), "S\\1");
    }
    // The wildcards themselves still match anything.
    EXPECT_EQ(Found(billlist::BillSearchSql({}, day, day, QStringLiteral("%"), {}), "BillNo"), "DB-1 DB-2 DB-3 DB-4");
    EXPECT_EQ(Found(billlist::BillSearchSql({}, day, day, {}, QStringLiteral("69_0")), "BillNo"), "DB-1 DB-2 DB-3");
}

JXC_INSTANTIATE_DB_TEST(SearchPatternDb);

} // namespace
