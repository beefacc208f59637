#include "host/db/Schema.h"

#include "host/db/Transaction.h"
#include "platform/core/Exception.h"

#include <QRegularExpression>

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
    // Passwords apart from the operators' list: the hash, and the failed logins counted.
    t.push_back({"sys_password",
                 {{"OperatorID", Kind::Id, PK}, {"PasswordHash", Kind::Text}, {"Failures", Kind::Int, "NOT NULL DEFAULT 0"},
                  {"NextTry", Kind::Date}, {"LockedUntil", Kind::Date}}});
    t.push_back({"sys_setting", {{"SettingName", Kind::Code, PK}, {"SettingValue", Kind::Text}}});
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

// Oracle's mod(x, 0) is x; PostgreSQL's refuses it. The translator renames mod to this.
const char* const PgFunctions[] = {
    "CREATE OR REPLACE FUNCTION jxc_mod(a integer, b integer) RETURNS integer LANGUAGE sql IMMUTABLE "
    "AS 'select case when b = 0 then a else mod(a, b) end'",
    "CREATE OR REPLACE FUNCTION jxc_mod(a bigint, b bigint) RETURNS bigint LANGUAGE sql IMMUTABLE "
    "AS 'select case when b = 0 then a else mod(a, b) end'",
    "CREATE OR REPLACE FUNCTION jxc_mod(a numeric, b numeric) RETURNS numeric LANGUAGE sql IMMUTABLE "
    "AS 'select case when b = 0 then a else mod(a, b) end'",
};

// SQLite stores whatever it is given; the server refuses what its column types refuse and
// rounds to their scale. The embedded engine keeps the same rules with triggers after each
// insert and update: one refuses a bad value with the server's words (the statement is undone),
// one rounds a value with too many decimals as the server's numeric does (half away from zero).

struct Rule {
    QString bad;  // true when the value breaks the rule
    QString text; // the server's words for it
};

// The rules of the column for value v, in the order the server applies them.
std::vector<Rule> Rules(const Table& t, const Column& c, const QString& v)
{
    const QString where = QStringLiteral(": ") + QString::fromLatin1(t.name) + u'.' + QString::fromLatin1(c.name);
    auto text = [&](int length) {
        return Rule{QStringLiteral("length(%1) > %2").arg(v).arg(length),
                    QStringLiteral("value too long for type character varying(%1)").arg(length) + where};
    };
    auto number = [&](const char* type) {
        // Two comparisons, not NOT IN (...): SQLite builds a temporary table for an IN list
        // each time a trigger evaluates one, which made every insert many times slower.
        return Rule{QStringLiteral("(typeof(%1) = 'text' OR typeof(%1) = 'blob')").arg(v),
                    QStringLiteral("invalid input syntax for type %1").arg(QLatin1String(type)) + where};
    };
    auto limit = [&](int scale, const char* bound, const QString& words) {
        return Rule{QStringLiteral("abs(round(%1,%2)) >= %3").arg(v).arg(scale).arg(QLatin1String(bound)), words + where};
    };
    switch (c.kind) {
    case Kind::Code: return {text(32)};
    case Kind::Text: return {text(200)};
    case Kind::Remark: return {text(1000)};
    case Kind::Qty: return {number("numeric"), limit(2, "1e16", QStringLiteral("numeric field overflow"))};
    case Kind::Money: return {number("numeric"), limit(4, "1e14", QStringLiteral("numeric field overflow"))};
    case Kind::Flag:
    case Kind::Int: return {number("integer"), limit(0, "2147483647.5", QStringLiteral("integer out of range"))};
    case Kind::Id:
    case Kind::Big:
        // Every SQLite integer fits; a real may not.
        return {number("bigint"),
                Rule{QStringLiteral("typeof(%1) = 'real' AND abs(round(%1)) >= 9223372036854775808.0").arg(v),
                     QStringLiteral("bigint out of range") + where}};
    case Kind::Date:
        return {Rule{QStringLiteral("%1 IS NOT NULL AND (typeof(%1) <> 'text' OR datetime(%1) IS NULL)").arg(v),
                     QStringLiteral("invalid input syntax for type timestamp") + where}};
    }
    return {};
}

// Decimal places the server keeps, or -1 when it does not round the column.
int Scale(Kind k)
{
    switch (k) {
    case Kind::Qty: return 2;
    case Kind::Money: return 4;
    case Kind::Flag:
    case Kind::Int:
    case Kind::Big: return 0;
    default: return -1; // an integer primary key never holds a fraction
    }
}

// The test that v has more decimals than the column keeps.
QString Unrounded(const Column& c, const QString& v)
{
    const int scale = Scale(c.kind);
    if (scale < 0)
        return {};
    return QStringLiteral("(typeof(%1) = 'real' AND %1 <> round(%1,%2))").arg(v).arg(scale);
}

QString TriggerName(const Table& t, const char* job)
{
    return QStringLiteral("jxc_%1_%2").arg(QLatin1String(job), QString::fromLatin1(t.name).toLower());
}

QStringList SqliteRuleStatements(const Table& t)
{
    const QString table = QString::fromLatin1(t.name);
    QStringList checks;
    QStringList unrounded;
    QStringList rounds;
    for (const Column& c : t.columns) {
        const QString v = QStringLiteral("NEW.") + QString::fromLatin1(c.name);
        for (const Rule& r : Rules(t, c, v))
            checks << QStringLiteral("SELECT RAISE(ABORT, '%1') WHERE %2;").arg(r.text, r.bad);
        const QString u = Unrounded(c, v);
        if (!u.isEmpty()) {
            unrounded << u;
            rounds << QStringLiteral("%1 = round(%1,%2)").arg(QString::fromLatin1(c.name)).arg(Scale(c.kind));
        }
    }
    QStringList out;
    for (const char* op : {"INSERT", "UPDATE"}) {
        const QString lower = QString::fromLatin1(op).toLower();
        // After, not before: SQLite works out a row's key again after a before-trigger, which
        // would draw a sequence value twice.
        out << QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2 ON %3 BEGIN %4 END")
                   .arg(TriggerName(t, "check") + u'_' + lower, QLatin1String(op), table, checks.join(u' '));
        if (rounds.isEmpty())
            continue;
        out << QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2 ON %3 WHEN %4 BEGIN UPDATE %3 SET %5 "
                              "WHERE rowid = NEW.rowid; END")
                   .arg(TriggerName(t, "round") + u'_' + lower, QLatin1String(op), table,
                        unrounded.join(QStringLiteral(" OR ")), rounds.join(QStringLiteral(", ")));
    }
    return out;
}

struct CollectRows : RowSink {
    QStringList rows;
    void Columns(const QVector<ResultColumn>&) override {}
    bool Row(QVariant* v) override
    {
        rows << v[0].toString();
        return true;
    }
};

constexpr int MaxReported = 20;

// Rows already stored that the rules would refuse or round; each named with its column.
QStringList OffendingRows(Connection& c, const Table& t)
{
    QStringList found;
    const QString table = QString::fromLatin1(t.name);
    for (const Column& col : t.columns) {
        const QString name = QString::fromLatin1(col.name);
        QStringList tests;
        for (const Rule& r : Rules(t, col, name))
            tests << u'(' + r.bad + u')';
        const QString u = Unrounded(col, name);
        if (!u.isEmpty())
            tests << u;
        const QString test = tests.join(QStringLiteral(" OR "));
        CollectRows sink;
        c.ExecNative(QStringLiteral("SELECT 'row ' || rowid || ': %2 = ' || quote(%2) FROM %1 WHERE %3 LIMIT %4")
                         .arg(table, name, test)
                         .arg(MaxReported),
                     {}, &sink);
        for (const QString& r : std::as_const(sink.rows))
            found << table + u' ' + r;
        if (found.size() >= MaxReported)
            break;
    }
    return found;
}

bool HasTrigger(Connection& c, const QString& name)
{
    CollectRows sink;
    c.ExecNative(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' AND name = ?1"), {name}, &sink);
    return !sink.rows.isEmpty();
}

// A table's rule triggers as an older program wrote them are written again as this one writes
// them: the same rules, the rows already checked by them.
void RenewSqliteRules(Connection& c, const Table& t)
{
    static const QRegularExpression name(QStringLiteral("^CREATE TRIGGER IF NOT EXISTS (\\S+) "));
    for (const QString& sql : SqliteRuleStatements(t)) {
        const QRegularExpressionMatch m = name.match(sql);
        if (!m.hasMatch())
            continue;
        CollectRows stored;
        c.ExecNative(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'trigger' AND name = ?1"), {m.captured(1)},
                     &stored);
        QString written = sql;
        written.replace(QLatin1String("CREATE TRIGGER IF NOT EXISTS "), QLatin1String("CREATE TRIGGER "));
        if (!stored.rows.isEmpty() && stored.rows.front() == written)
            continue;
        if (!stored.rows.isEmpty())
            c.ExecNative(QStringLiteral("DROP TRIGGER ") + m.captured(1), {}, nullptr);
        c.ExecNative(sql, {}, nullptr);
    }
}

// A database made by an older program gets the rules once its rows are checked; rows that break
// them are reported, never changed, and then nothing is installed.
void InstallSqliteRules(Connection& c, const std::vector<Table>& tables)
{
    QStringList offending;
    std::vector<const Table*> missing;
    for (const Table& t : tables) {
        if (HasTrigger(c, TriggerName(t, "check") + QStringLiteral("_update"))) {
            RenewSqliteRules(c, t);
            continue;
        }
        missing.push_back(&t);
        if (offending.size() < MaxReported)
            offending << OffendingRows(c, t);
    }
    if (!offending.isEmpty())
        throw platform::EDatabaseError(
            QStringLiteral("The database holds values its column types refuse (too long, not a number or a date, out of "
                           "range, or more decimals than the column keeps). Nothing was changed; correct these rows "
                           "(for example with jxc-admin sql) and open the database again:\n  ")
            + offending.mid(0, MaxReported).join(QStringLiteral("\n  ")));
    for (const Table* t : missing)
        for (const QString& sql : SqliteRuleStatements(*t))
            c.ExecNative(sql, {}, nullptr);
}

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
    if (pg) {
        out << QStringLiteral("CREATE SEQUENCE IF NOT EXISTS SEQ_JXCID START WITH 1");
        for (const char* f : PgFunctions)
            out << QString::fromLatin1(f);
    }
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
    if (c.GetEngine() == Engine::SQLite)
        InstallSqliteRules(c, Tables(Engine::SQLite));
    c.ExecNative(QStringLiteral("DELETE FROM sys_setting WHERE SettingName = 'SchemaVersion'"), {}, nullptr);
    c.ExecNative(QStringLiteral("INSERT INTO sys_setting (SettingName, SettingValue) VALUES ('SchemaVersion', '%1')")
                     .arg(SchemaVersion),
                 {}, nullptr);
    tx.Commit();
}

namespace {

class FirstValue final : public RowSink {
public:
    void Columns(const QVector<ResultColumn>&) override {}
    bool Row(QVariant* values) override
    {
        value = values[0];
        return false;
    }
    QVariant value;
};

} // namespace

int StoredSchemaVersion(Connection& c)
{
    FirstValue v;
    try {
        c.ExecNative(QStringLiteral("SELECT SettingValue FROM sys_setting WHERE SettingName = 'SchemaVersion'"), {}, &v);
    } catch (const platform::EDatabaseError&) {
        return 0; // no settings table: made before versions were kept, or empty
    }
    return v.value.toInt();
}

void OpenSchema(Connection& c)
{
    const int stored = StoredSchemaVersion(c);
    if (stored >= SchemaVersion)
        return;
    try {
        CreateSchema(c);
    } catch (const platform::EDatabaseError& e) {
        if (c.GetEngine() != Engine::PostgreSQL)
            throw;
        throw platform::EDatabaseError(
            QStringLiteral("数据库的表结构需要%1（版本 %2，本程序需要版本 %3）：请管理员以数据库所有者的身份运行 jxc-admin init。\n%4")
                .arg(stored == 0 ? QStringLiteral("建立") : QStringLiteral("升级"))
                .arg(stored)
                .arg(SchemaVersion)
                .arg(e.Message()));
    }
}

} // namespace host::db
