// The lookups' statements, letter for letter, with a quote in every value they carry.
#include "lookup/FrmQryGoodsListSql.h"
#include "lookup/FrmQryStorageListSql.h"

#include <gtest/gtest.h>

using namespace lookup;

namespace {

const QString kTypes = QStringLiteral("(select GoodsType from sys_operatorgoodstype where OperatorID=1)");

TEST(GoodsLookupSql, EachSearchIsTheGivenTextWithQuotesDoubled)
{
    EXPECT_EQ(GoodsSearchSql("O'B", {}, kTypes),
              " select a.*,(select nvl(Sum(LeftCount),0) from gds_stockcount  where GoodsCode=a.GoodsCode) as GdsLeftCount"
              " from Bas_GoodsInfo a  where (upper(a.GoodsCode) like '%O''B%' or upper(a.GoodsName) like '%O''B%'"
              " or upper(a.PyCode) like '%O''B%') and (a.Deleted=0) and a.UseFlag = 1 and a.GoodsType in " + kTypes);
    EXPECT_EQ(GoodsSearchSql("O'B", "S'Q", kTypes),
              " select a.*,b.LeftCount as GdsLeftCount  from Bas_GoodsInfo a inner join gds_stockcount b "
              " on (a.GoodsCode = b.GoodsCode and b.storageCode ='S''Q') where (upper(a.GoodsCode) like '%O''B%'"
              " or upper(a.GoodsName) like '%O''B%' or upper(a.PyCode) like '%O''B%') and a.UseFlag = 1"
              " and (a.Deleted=0) and a.GoodsType in " + kTypes);
    EXPECT_EQ(GoodsSearchSql({}, "S'Q", kTypes),
              " select a.*,b.LeftCount as GdsLeftCount  from Bas_GoodsInfo a inner join gds_stockcount b "
              " on (a.GoodsCode = b.GoodsCode and b.storageCode ='S''Q') where 1=2  and a.UseFlag = 1"
              " and (a.Deleted=0) and a.GoodsType in " + kTypes);
    const QString empty = " select a.*, (select nvl(Sum(LeftCount),0) from gds_stockcount where GoodsCode=a.GoodsCode)"
                          " as GdsLeftCount from Bas_GoodsInfo a  where 1=2";
    EXPECT_EQ(EmptyGoodsListSql(), empty);
    EXPECT_EQ(GoodsSearchSql({}, {}, kTypes), empty);
    EXPECT_EQ(UnitListSql(), "select DictDetailCode,DictDetailName from Sys_DictDetail where substr(dictdetailCode,1,3)='521'");
}

TEST(StorageLookupSql, ConditionIsUpperCasedWithQuotesDoubled)
{
    EXPECT_EQ(StorageSearchSql("q'x"),
              " select * from bas_Storage where useflag = 1 and  (upper(storageCode) like '%Q''X%'  or"
              " upper(StorageName) like '%Q''X%') order by ID");
}

} // namespace
