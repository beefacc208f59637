#pragma once
// Names and codes every window of the transfer module shares: tables, the identifier sequence,
// the bill-number counters and prefixes, and the status codes with the labels the lists show.
#include <QList>
#include <QPair>
#include <QString>

namespace model {

// Tables. Identifiers are unquoted in the SQL, so the case written here does not matter to the
// database; it is the case the statements use most.
inline const QString TableAdjustBillMain = QStringLiteral("Sto_AdjustBillMain");
inline const QString TableAdjustBillDetail = QStringLiteral("Sto_AdjustBillDetail");
inline const QString TableGdsBillMain = QStringLiteral("Sto_GdsBillMain");
inline const QString TableGdsBillDetail = QStringLiteral("Sto_GdsBillDetail");
inline const QString TableStockCount = QStringLiteral("Gds_StockCount");
inline const QString TableGoodsInfo = QStringLiteral("Bas_GoodsInfo");
inline const QString TableStorage = QStringLiteral("bas_Storage");
inline const QString TableDictDetail = QStringLiteral("Sys_DictDetail");
inline const QString TableOperator = QStringLiteral("sys_operator");

// The one identifier sequence and the three bill-number counters.
inline const QString SEQ_JXCID = QStringLiteral("SEQ_JXCID");
inline const QString JXC_BILLNO_DB = QStringLiteral("JXC_BILLNO_DB");
inline const QString JXC_BILLNO_RK = QStringLiteral("JXC_BILLNO_RK");
inline const QString JXC_BILLNO_CK = QStringLiteral("JXC_BILLNO_CK");

// Bill-number prefixes: transfer, stock-in, stock-out.
inline const QString PrefixTransfer = QStringLiteral("DB-");
inline const QString PrefixStockIn = QStringLiteral("RK-");
inline const QString PrefixStockOut = QStringLiteral("CK-");

// Units of measure are the dictionary entries whose code starts with this group code.
inline const QString UnitDictGroup = QStringLiteral("521");
inline const QString UnitListSql = QStringLiteral(
    "select DictDetailCode,DictDetailName from Sys_DictDetail where substr(dictdetailCode,1,3)='521'");

// BillStatus of a transfer bill.
enum BillStatus : int {
    BillStatusEditing = 0,   // saved, not audited
    BillStatusAwaiting = 1,  // never written by the module
    BillStatusApproved = 2,  // audited
    BillStatusRejected = 3,  // never written by the module
    BillStatusCompleted = 4, // posted to stock
    BillStatusReversed = 5,  // posted, then its movement reversed (冲销); final
};
constexpr int BillStatusFirst = BillStatusEditing;
constexpr int BillStatusLast = BillStatusReversed;

// AuditFlag.
enum AuditFlag : int {
    AuditFlagNo = 0,
    AuditFlagYes = 1,
};

// DELETED: rows are never removed, only flagged.
constexpr int DeletedNo = 0;
constexpr int DeletedYes = 1;

// BillType of stock bills (text, written quoted) and SrcBillType of a transfer source.
inline const QString BillTypeStockIn = QStringLiteral("02");  // stock-in by transfer
inline const QString BillTypeStockOut = QStringLiteral("12"); // stock-out by transfer
constexpr int SrcBillTypeTransfer = 4;
// Opening stock, brought in by a stock-in bill of its own so that every stock count is explained
// by stock bills.
inline const QString BillTypeOpening = QStringLiteral("00");
// A stock bill's direction: types beginning with 0 bring goods into their storage, the others
// (1x) take them out. A reversal writes the seed's two types with the storages exchanged.
inline bool StockBillTypeIsIn(const QString& type) { return type.startsWith(u'0'); }
// The remark of a reversal's stock bills.
inline const QString ReversalRemark = QStringLiteral("冲销");

// Labels shown for the codes; an unknown code gets an empty label.
QString BillStatusLabel(int status);
QString AuditFlagLabel(int flag);
// Image-combo items in value order: status by integer value, audit flag by text value '0'/'1'.
QList<QPair<int, QString>> BillStatusItems();
QList<QPair<QString, QString>> AuditFlagItems();

} // namespace model
