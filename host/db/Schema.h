#pragma once
// The host database's tables, indexes, the identifier sequence and the bill-number counters,
// on either engine. CreateSchema is idempotent: on an existing database it adds what is
// missing and changes nothing else. Runs in one writer transaction; throws EDatabaseError.
//
// Column kinds and their types on both engines:
//   id      INTEGER (SQLite) / BIGINT (PostgreSQL)   read back as integer
//   code    VARCHAR(32)                              text
//   text    VARCHAR(200) / remarks VARCHAR(1000)     text
//   qty     DECIMAL(18,2)                            float
//   money   DECIMAL(18,4)                            currency (exact to 4 decimals)
//   flag    INTEGER, default 0                       integer
//   date    TIMESTAMP (SQLite: canonical text "YYYY-MM-DD HH:MM:SS") / TIMESTAMP(0)
//
// Business tables: Sto_AdjustBillMain, Sto_AdjustBillDetail, Sto_GdsBillMain,
// Sto_GdsBillDetail, Gds_StockCount, Bas_GoodsInfo, bas_Storage, Sys_DictDetail, sys_operator,
// with the columns the module names. Identifier sequence SEQ_JXCID (PostgreSQL: a native
// sequence; SQLite: a row of sys_sequence).
//
// The host's own tables:
//   sys_operator          OperatorID id primary key, OperatorCode code (unique),
//                         OperatorName text, Password text ('' = none; the host decides
//                         what it stores there)
//   sys_operatorright     OperatorID id, PluginID integer, BrowseLevel integer (0 = none),
//                         OperateRight flag (1 = may operate); primary key (OperatorID, PluginID)
//   sys_operatorgoodstype OperatorID id, GoodsType code: the goods types an operator may
//                         handle; primary key (OperatorID, GoodsType)
//   bas_goodstype         GoodsTypeCode code primary key, GoodsTypeName text
//   sys_counter           CounterName VARCHAR(64) primary key, CounterValue BIGINT: the named
//                         counters (JXC_BILLNO_DB, JXC_BILLNO_RK, JXC_BILLNO_CK start at 0; the
//                         first NextCounter returns 1)
//   sys_sequence          SQLite only: SequenceName primary key (upper case), SequenceValue
//                         (the last value handed out)
//   sys_password          OperatorID id primary key, PasswordHash text (Argon2id), Failures,
//                         NextTry, LockedUntil: host/admin/Passwords.h
//   sys_auditlog          every change to Sto_AdjustBillMain/Detail, Gds_StockCount and
//                         Sto_GdsBillMain/Detail, written by triggers: ChangedAt, OperatorCode
//                         (Connection::SetSessionOperator), DbRole, ClientAddr, TableName,
//                         Action (insert/update/delete), BillNo, SrcBillNo, RowID, OldValues and
//                         NewValues (the row as JSON)
//   sys_session, sys_posting  on a server only: the sessions bound to operators and the
//                         postings under way (host/db/ServerRights.h)
//   sys_setting           SettingName code primary key, SettingValue text: SchemaVersion, and
//                         DemoDatabase = 1 on a database demo seeding filled
#include "host/db/Connection.h"

#include <QStringList>

namespace host::db {

// The version of the tables this program makes; CreateSchema records it in sys_setting.
constexpr int SchemaVersion = 5;

void CreateSchema(Connection& c);
// The version a database records; 0 when it records none.
int StoredSchemaVersion(Connection& c);
// What a workstation runs when it opens a database: nothing when its tables are current (no
// DDL at every start: a server's workstation roles may not run any), else CreateSchema. On a
// server a refusal says that the owner must run jxc-admin init.
void OpenSchema(Connection& c);

// The statements CreateSchema runs on the engine, in order (for tools that show them).
QStringList SchemaStatements(Engine engine);

// Names of the tables CreateSchema makes (on the connection's engine).
QStringList SchemaTables(Engine engine);
QStringList SchemaTables(const Connection& c);

} // namespace host::db
