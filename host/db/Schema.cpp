#include "host/db/Schema.h"

#include "host/db/Transaction.h"

namespace host::db {

namespace {

enum class Kind { Id, Code, Text, Remark, Qty, Money, Flag, Int, Date, Big };

struct Column {
    const char* name;
    Kind kind;
    const char* extra = nullptr; // constraint or default written after the type
};

struct Table {
    const char* name;
    std::vector<Column> columns;
    const char* key = nullptr; // table-level primary key, when not the ID column
};

QString TypeName(Kind k, Engine e)
{
    const bool pg = e == Engine::PostgreSQL;
    switch (k) {
    case Kind::Id: return pg ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    case Kind::Code: return QStringLiteral("VARCHAR(32)");
    case Kind::Text: return QStringLiteral("VARCHAR(200)");
    case Kind::Remark: return QStringLiteral("VARCHAR(1000)");
    case Kind::Qty: return QStringLiteral("DECIMAL(18,2)");
    case Kind::Money: return QStringLiteral("DECIMAL(18,4)");
    case Kind::Flag: return QStringLiteral("INTEGER DEFAULT 0");
    case Kind::Int: return QStringLiteral("INTEGER");
    case Kind::Date: return pg ? QStringLiteral("TIMESTAMP(0)") : QStringLiteral("TIMESTAMP");
    case Kind::Big: return QStringLiteral("BIGINT");
    }
    return {};
}

const char* PK = "PRIMARY KEY";

std::vector<Table> Tables(Engine e)
{
    std::vector<Table> t;
    t.push_back({"Sto_AdjustBillMain",
                 {{"ID", Kind::Id, PK}, {"BillNo", Kind::Code}, {"BillDate", Kind::Date},
                  {"Src_StorageCode", Kind::Code}, {"Des_StorageCode", Kind::Code}, {"GoodsCount", Kind::Qty},
                  {"BillSum", Kind::Money}, {"BillStatus", Kind::Flag}, {"AuditFlag", Kind::Flag},
                  {"Auditor", Kind::Code}, {"AuditDate", Kind::Date}, {"Remark", Kind::Remark},
                  {"OptorCode", Kind::Code}, {"Create_time", Kind::Date}, {"modified_time", Kind::Date},
                  {"DELETED", Kind::Flag}}});
    t.push_back({"Sto_AdjustBillDetail",
                 {{"ID", Kind::Id, PK}, {"BillID", Kind::Id}, {"BillNo", Kind::Code}, {"GoodsCode", Kind::Code},
                  {"GoodsName", Kind::Text}, {"CalUnit", Kind::Code}, {"Model", Kind::Text}, {"Brand", Kind::Text},
                  {"GoodsPrice", Kind::Money}, {"GoodsCount", Kind::Qty}, {"PaySum", Kind::Money},
                  {"Remark", Kind::Remark}, {"OptorCode", Kind::Code}, {"Create_time", Kind::Date},
                  {"modified_time", Kind::Date}, {"DELETED", Kind::Flag}}});
    t.push_back({"Sto_GdsBillMain",
                 {{"ID", Kind::Id, PK}, {"BillNo", Kind::Code}, {"BillDate", Kind::Date}, {"BillType", Kind::Code},
                  {"StorageCode", Kind::Code}, {"SrcBillNo", Kind::Code}, {"SrcBillType", Kind::Int},
                  {"GoodsCount", Kind::Qty}, {"BillSum", Kind::Money}, {"BillStatus", Kind::Flag},
                  {"AuditFlag", Kind::Flag}, {"Auditor", Kind::Code}, {"AuditDate", Kind::Date},
                  {"Remark", Kind::Remark}, {"OptorCode", Kind::Code}, {"Create_time", Kind::Date},
                  {"modified_time", Kind::Date}, {"deleted", Kind::Flag}}});
    t.push_back({"Sto_GdsBillDetail",
                 {{"ID", Kind::Id, PK}, {"BillID", Kind::Id}, {"BillNo", Kind::Code}, {"BillType", Kind::Code},
                  {"GoodsCode", Kind::Code}, {"GoodsName", Kind::Text}, {"CalUnit", Kind::Code}, {"Model", Kind::Text},
                  {"Brand", Kind::Text}, {"GoodsPrice", Kind::Money}, {"GoodsCount", Kind::Qty},
                  {"PaySum", Kind::Money}, {"Remark", Kind::Remark}, {"OptorCode", Kind::Code},
                  {"Create_time", Kind::Date}, {"modified_time", Kind::Date}, {"deleted", Kind::Flag}}});
    t.push_back({"Gds_StockCount",
                 {{"ID", Kind::Id, PK}, {"StorageID", Kind::Id}, {"StorageCode", Kind::Code}, {"GoodsID", Kind::Id},
                  {"GoodsCode", Kind::Code}, {"LeftCount", Kind::Qty}, {"Create_time", Kind::Date},
                  {"Deleted", Kind::Flag}}});
    t.push_back({"Bas_GoodsInfo",
                 {{"ID", Kind::Id, PK}, {"GoodsCode", Kind::Code}, {"GoodsName", Kind::Text},
                  {"GoodsType", Kind::Code}, {"GoodsKind", Kind::Int}, {"PyCode", Kind::Text},
                  {"BarCode", Kind::Code}, {"Model", Kind::Text}, {"CalUnit", Kind::Code}, {"Brand", Kind::Text},
                  {"Color", Kind::Text}, {"bigness", Kind::Text}, {"ImageID", Kind::Int},
                  {"produceAddress", Kind::Text}, {"ReBateFlag", Kind::Flag}, {"DefaultInPrice", Kind::Money},
                  {"LastInPrice", Kind::Money}, {"CostPrice", Kind::Money}, {"SellPrice", Kind::Money},
                  {"RebatePrice", Kind::Money}, {"Valuta", Kind::Money}, {"MinPrice", Kind::Money},
                  {"UseFlag", Kind::Int, "DEFAULT 1"}, {"LocationCode", Kind::Code}, {"Sort", Kind::Int},
                  {"Remark", Kind::Remark}, {"Deleted", Kind::Flag}}});
    t.push_back({"bas_Storage",
                 {{"ID", Kind::Id, PK}, {"StoragePID", Kind::Id}, {"StorageCode", Kind::Code},
                  {"StorageName", Kind::Text}, {"StorageKind", Kind::Code}, {"Manager", Kind::Text},
                  {"Address", Kind::Text}, {"Sort", Kind::Int}, {"TelNo", Kind::Code}, {"Remark", Kind::Remark},
                  {"OptorCode", Kind::Code}, {"UseFlag", Kind::Int, "DEFAULT 1"}}});
    t.push_back({"Sys_DictDetail", {{"DictDetailCode", Kind::Code, PK}, {"DictDetailName", Kind::Text}}});
    t.push_back({"sys_operator",
                 {{"OperatorID", Kind::Id, PK}, {"OperatorCode", Kind::Code, "NOT NULL UNIQUE"},
                  {"OperatorName", Kind::Text}, {"Password", Kind::Text, "DEFAULT ''"}}});
    t.push_back({"sys_operatorright",
                 {{"OperatorID", Kind::Id, "NOT NULL"}, {"PluginID", Kind::Int, "NOT NULL"},
                  {"BrowseLevel", Kind::Flag}, {"OperateRight", Kind::Flag}},
                 "OperatorID, PluginID"});
    t.push_back({"sys_operatorgoodstype",
                 {{"OperatorID", Kind::Id, "NOT NULL"}, {"GoodsType", Kind::Code, "NOT NULL"}},
                 "OperatorID, GoodsType"});
    t.push_back({"bas_goodstype", {{"GoodsTypeCode", Kind::Code, PK}, {"GoodsTypeName", Kind::Text}}});
    t.push_back({"sys_counter",
                 {{"CounterName", Kind::Code, PK}, {"CounterValue", Kind::Big, "NOT NULL DEFAULT 0"}}});
    if (e == Engine::SQLite)
        t.push_back({"sys_sequence",
                     {{"SequenceName", Kind::Code, PK}, {"SequenceValue", Kind::Big, "NOT NULL DEFAULT 0"}}});
    return t;
}

// name, table, columns: the lookups of the module's queries.
const char* const Indexes[][3] = {
    {"ix_adjmain_billno", "Sto_AdjustBillMain", "BillNo"},
    {"ix_adjmain_billdate", "Sto_AdjustBillMain", "BillDate"},
    {"ix_adjdetail_billno", "Sto_AdjustBillDetail", "BillNo"},
    {"ix_adjdetail_billid", "Sto_AdjustBillDetail", "BillID"},
    {"ix_adjdetail_goods", "Sto_AdjustBillDetail", "GoodsCode"},
    {"ix_gdsmain_billno", "Sto_GdsBillMain", "BillNo"},
    {"ix_gdsmain_srcbillno", "Sto_GdsBillMain", "SrcBillNo"},
    {"ix_gdsdetail_billid", "Sto_GdsBillDetail", "BillID"},
    {"ix_gdsdetail_billno", "Sto_GdsBillDetail", "BillNo"},
    {"ix_stock_storage_goods", "Gds_StockCount", "StorageCode, GoodsCode"},
    {"ix_stock_goods", "Gds_StockCount", "GoodsCode"},
    {"ix_goods_code", "Bas_GoodsInfo", "GoodsCode"},
    {"ix_goods_barcode", "Bas_GoodsInfo", "BarCode"},
    {"ix_storage_code", "bas_Storage", "StorageCode"},
};

const char* const Counters[] = {"JXC_BILLNO_DB", "JXC_BILLNO_RK", "JXC_BILLNO_CK"};

} // namespace

QStringList SchemaTables(Engine engine)
{
    QStringList names;
    for (const Table& t : Tables(engine))
        names << QString::fromLatin1(t.name);
    return names;
}

QStringList SchemaTables(const Connection& c)
{
    return SchemaTables(c.GetEngine());
}

QStringList SchemaStatements(Engine engine)
{
    const bool pg = engine == Engine::PostgreSQL;
    QStringList out;
    for (const Table& t : Tables(engine)) {
        QStringList cols;
        for (const Column& c : t.columns) {
            QString def = QString::fromLatin1(c.name) + u' ' + TypeName(c.kind, engine);
            if (c.extra)
                def += u' ' + QString::fromLatin1(c.extra);
            cols << def;
        }
        if (t.key)
            cols << QStringLiteral("PRIMARY KEY (%1)").arg(QString::fromLatin1(t.key));
        out << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(QString::fromLatin1(t.name), cols.join(QStringLiteral(", ")));
    }
    for (const auto& ix : Indexes)
        out << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                   .arg(QString::fromLatin1(ix[0]), QString::fromLatin1(ix[1]), QString::fromLatin1(ix[2]));
    const QString conflict = pg ? QStringLiteral(" ON CONFLICT DO NOTHING") : QString();
    const QString insert = pg ? QStringLiteral("INSERT INTO") : QStringLiteral("INSERT OR IGNORE INTO");
    if (pg)
        out << QStringLiteral("CREATE SEQUENCE IF NOT EXISTS SEQ_JXCID START WITH 1");
    else
        out << insert + QStringLiteral(" sys_sequence (SequenceName, SequenceValue) VALUES ('SEQ_JXCID', 0)");
    for (const char* name : Counters)
        out << insert + QStringLiteral(" sys_counter (CounterName, CounterValue) VALUES ('%1', 0)").arg(QString::fromLatin1(name)) + conflict;
    return out;
}

void CreateSchema(Connection& c)
{
    WriteTransaction tx(c);
    for (const QString& sql : SchemaStatements(c.GetEngine()))
        c.ExecNative(sql, {}, nullptr);
    tx.Commit();
}

} // namespace host::db
