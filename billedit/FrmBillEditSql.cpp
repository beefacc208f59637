#include "billedit/FrmBillEditSql.h"

#include "model/BillConst.h"
#include "model/Convert.h"
#include "model/DateUtil.h"
#include "model/SqlText.h"
#include "platform/core/Exception.h"

#include <algorithm>

namespace billedit {

namespace {

using model::SqlEsc;

// The id goes into the statement unquoted: anything but digits could change the statement.
const QString& CheckedId(const QString& id)
{
    bool ok = false;
    id.toLongLong(&ok);
    if (!ok || id.trimmed() != id || id.startsWith(u'+') || id.startsWith(u'-'))
        throw platform::EConvertError(QStringLiteral("'%1' is not a valid bill ID").arg(id));
    return id;
}

} // namespace

QString LineShapeSql()
{
    return QStringLiteral(
        " select a.*,b.GoodsName from Sto_AdjustBillDetail a ,Bas_GoodsInfo b  where a.GoodsCode=b.GoodsCode and 1=2");
}

QString UnitItemsSql() { return model::UnitListSql; }

QString BillHeaderSql(const QString& billNo)
{
    return QStringLiteral(" select a.*,  (select storageName from bas_storage where StorageCode=a.Src_StorageCode) as "
                          "storageName_Out, (select storageName from bas_storage where StorageCode=a.Des_StorageCode) as "
                          "storageName_In  from Sto_AdjustBillMain a where a.BillNo='")
        + SqlEsc(billNo) + QStringLiteral("'");
}

QString BillLinesSql(const QString& billNo)
{
    // Every line of the bill, once: the save deletes the stored lines and writes back what was
    // loaded, so a join that dropped a line (its goods gone from the master) or doubled it (a
    // code twice in the master) would lose or duplicate lines of the bill.
    return QStringLiteral(" select a.*,(select max(b.GoodsName) from Bas_GoodsInfo b where b.GoodsCode=a.GoodsCode) as "
                          "BasGoodsName from Sto_AdjustBillDetail a  where a.BillNo='")
        + SqlEsc(billNo) + QStringLiteral("'");
}

QString InsertHeaderSql(const SaveHeader& h)
{
    return QStringLiteral(" Insert into Sto_AdjustBillMain ( ID              , BillNo          , BillDate        , "
                          "Src_StorageCode , Des_StorageCode , GoodsCount      , BillSum         , BillStatus      , "
                          "AuditFlag       , Remark          , OptorCode       , Create_time     , modified_time   , "
                          "deleted         ) values (")
        + CheckedId(h.id) + QStringLiteral(",'") + SqlEsc(h.billNo) + QStringLiteral("',") + QStringLiteral("sysdate,'")
        + SqlEsc(h.srcStorageCode) + QStringLiteral("','") + SqlEsc(h.desStorageCode) + QStringLiteral("',")
        + model::FloatToStr(h.goodsCount) + QStringLiteral(",") + model::CurrToStr(h.billSum) + QStringLiteral(",")
        + QStringLiteral("0,") + QStringLiteral("0,'") + SqlEsc(h.remark) + QStringLiteral("','")
        + SqlEsc(h.operatorCode) + QStringLiteral("',") + QStringLiteral("sysdate,") + QStringLiteral("sysdate,")
        + QStringLiteral("0);");
}

QString UpdateHeaderSql(const SaveHeader& h)
{
    return QStringLiteral(" Update Sto_AdjustBillMain set  BillDate = to_date('") + model::FormatDate(h.billDate)
        + QStringLiteral("','YYYY-MM-DD HH24:MI:SS')") + QStringLiteral(",") + QStringLiteral(" BillSum = ")
        + model::CurrToStr(h.billSum) + QStringLiteral(",") + QStringLiteral(" GoodsCount = ")
        + model::FloatToStr(h.goodsCount) + QStringLiteral(",") + QStringLiteral(" Src_StorageCode ='")
        + SqlEsc(h.srcStorageCode) + QStringLiteral("',") + QStringLiteral(" Des_StorageCode = '")
        + SqlEsc(h.desStorageCode) + QStringLiteral("',") + QStringLiteral(" Remark ='") + SqlEsc(h.remark)
        + QStringLiteral("'") + QStringLiteral(" where BillNo='") + SqlEsc(h.billNo) + QStringLiteral("';");
}

QString DeleteLinesSql(const QString& billNo)
{
    return QStringLiteral(" delete from Sto_AdjustBillDetail where BillNo='") + SqlEsc(billNo) + QStringLiteral("';");
}

namespace {

// One line's insert appended to out: a bill of a thousand lines is one growing text, not a
// thousand temporary ones.
void AppendInsertLine(QString& out, const QString& id, const QString& billNo, const QString& operatorCode,
                      const SaveLine& l)
{
    // Kept as UTF-16: written a thousand times, it is copied rather than converted each time.
    static const QString head =
        QStringLiteral(" Insert into Sto_AdjustBillDetail( ID            , BillID        , BillNo        ,"
                       " GoodsCode     , GoodsName     , CalUnit       , Model         , Brand         ,"
                       " GoodsPrice    , GoodsCount    , PaySum        , Remark        , OptorCode     ,"
                       " Create_time   , modified_time , deleted) values ( seq_jxcid.nextval,");
    const QString price = model::CurrToStr(l.goodsPrice), count = model::FloatToStr(l.goodsCount),
                  sum = model::CurrToStr(l.paySum);
    const QStringView texts[] = {l.goodsCode, l.goodsName, l.calUnit, l.model, l.brand};
    qsizetype most = head.size() + id.size() + billNo.size() + operatorCode.size() + price.size() + count.size()
        + sum.size() + 64;
    for (QStringView t : texts)
        most += 2 * t.size(); // every character a quote at worst
    // Written in place into the block's memory, the texts escaped as SqlEsc does.
    const qsizetype at = out.size();
    out.resize(at + most);
    QChar* const begin = out.data() + at;
    QChar* p = begin;
    auto put = [&p](QStringView s) {
        std::copy(s.begin(), s.end(), p);
        p += s.size();
    };
    auto putQuoted = [&p](QStringView s) {
        for (QChar c : s) {
            if (c == u'\'')
                *p++ = c;
            if (c != QChar(u'\0'))
                *p++ = c;
        }
    };
    put(head);
    put(id);
    put(u",'");
    put(billNo);
    for (QStringView t : texts) {
        put(u"','");
        putQuoted(t);
    }
    put(u"',");
    put(price);
    put(u",");
    put(count);
    put(u",");
    put(sum);
    // The line's remark is never filled by the editor: it goes as an empty text.
    put(u",'','");
    put(operatorCode);
    put(u"',sysdate,sysdate,0);");
    out.resize(at + (p - begin));
}

} // namespace

QString InsertLineSql(const SaveHeader& h, const SaveLine& l)
{
    QString out;
    AppendInsertLine(out, CheckedId(h.id), SqlEsc(h.billNo), SqlEsc(h.operatorCode), l);
    return out;
}

QString SaveBlockSql(bool newBill, const SaveHeader& head, const QVector<SaveLine>& lines)
{
    const QString id = CheckedId(head.id);
    const QString billNo = SqlEsc(head.billNo);
    const QString operatorCode = SqlEsc(head.operatorCode);
    QString block;
    // About 450 characters a line: one allocation for a bill of any size.
    block.reserve(1024 + int(lines.size()) * 512);
    block += QLatin1String("  begin ");
    block += newBill ? InsertHeaderSql(head) : UpdateHeaderSql(head);
    if (!newBill)
        block += DeleteLinesSql(head.billNo);
    for (const SaveLine& line : lines)
        AppendInsertLine(block, id, billNo, operatorCode, line);
    block += QLatin1String("  end; ");
    return block;
}

} // namespace billedit
