// The rights a server grants its workstations, derived from the statements the module sends:
// every table and column the editor's save, the bill commands, audit, un-audit and posting
// write is granted, and nothing more is (the host's bill-number counters aside).
#include "billedit/FrmBillEditSql.h"
#include "billlist/TransferPosting.h"
#include "billlist/WorkWindowAuditSql.h"
#include "billlist/WorkWindowCommandsSql.h"
#include "host/db/ServerRights.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// The parts of text between commas outside quotes and parentheses.
QStringList SplitTopLevel(const QString& text)
{
    QStringList parts;
    int depth = 0, start = 0;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u'(')
            ++depth;
        else if (!quoted && c == u')')
            --depth;
        else if (!quoted && depth == 0 && c == u',') {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

// "table privilege column" for every column a statement writes ("table DELETE" for a delete).
QSet<QString> WritesOf(const QString& sql)
{
    static const QRegularExpression insert(QStringLiteral("insert\\s+into\\s+(\\w+)\\s*\\(([^)]*)\\)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression update(QStringLiteral("update\\s+(\\w+)\\s+set\\s+(.*?)\\s+where\\b"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression remove(QStringLiteral("delete\\s+from\\s+(\\w+)"), QRegularExpression::CaseInsensitiveOption);
    QSet<QString> out;
    auto add = [&](const QString& table, const char* privilege, const QString& column) {
        out << (table + u' ' + QLatin1String(privilege) + (column.isEmpty() ? QString() : u' ' + column)).toLower();
    };
    for (auto it = insert.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        for (const QString& c : m.captured(2).split(u','))
            add(m.captured(1), "INSERT", c.trimmed());
    }
    for (auto it = update.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        for (const QString& assignment : SplitTopLevel(m.captured(2)))
            add(m.captured(1), "UPDATE", assignment.section(u'=', 0, 0).trimmed());
    }
    for (auto it = remove.globalMatch(sql); it.hasNext();)
        add(it.next().captured(1), "DELETE", QString());
    return out;
}

QSet<QString> Granted()
{
    QSet<QString> out;
    for (const host::db::ClerkGrant& g : host::db::ClerkGrants()) {
        const QString head = (QLatin1String(g.table) + u' ' + QLatin1String(g.privilege)).toLower();
        if (!g.columns) {
            out << head;
            continue;
        }
        for (const QString& c : QString::fromLatin1(g.columns).split(u','))
            out << head + u' ' + c.trimmed().toLower();
    }
    return out;
}

TEST(ClerkGrants, AreExactlyWhatTheModulesStatementsWrite)
{
    billedit::SaveHeader head;
    head.id = QStringLiteral("7");
    head.billNo = QStringLiteral("DB-1");
    head.billDate = QDate(2026, 12, 9);
    head.srcStorageCode = QStringLiteral("S01");
    head.desStorageCode = QStringLiteral("S02");
    head.remark = QStringLiteral("a, b = c");
    head.operatorCode = QStringLiteral("001");
    billedit::SaveLine line;
    line.goodsCode = QStringLiteral("G01");
    billlist::TransferPosting posting;
    posting.billId = 7;
    posting.billNo = head.billNo;
    posting.auditDate = QDateTime(head.billDate, QTime(9, 0));
    const QStringList sent = {
        billedit::SaveBlockSql(true, head, {line}),
        billedit::SaveBlockSql(false, head, {line}),
        billlist::DeleteBillBlockSql(head.billNo),
        billlist::AuditSql(head.billNo, head.operatorCode),
        billlist::UnAuditSql(head.billNo),
        billlist::TransferPostingBlock(posting),
    };
    QSet<QString> written;
    for (const QString& sql : sent)
        written += WritesOf(sql);
    ASSERT_TRUE(written.contains("sto_adjustbillmain update auditflag")) << "the statements were not read";

    QSet<QString> granted;
    for (const QString& g : Granted())
        if (!g.contains(QLatin1String(" select")) && !g.contains(QLatin1String(" usage")) && !g.startsWith(QLatin1String("sys_counter")))
            granted << g;
    const QSet<QString> missing = written - granted, extra = granted - written;
    EXPECT_TRUE(missing.isEmpty()) << "written but not granted: " << QStringList(missing.values()).join(", ").toStdString();
    EXPECT_TRUE(extra.isEmpty()) << "granted but never written: " << QStringList(extra.values()).join(", ").toStdString();
    // Nothing that deletes a bill header or changes a stock bill.
    for (const QString& g : Granted())
        for (const char* never : {"sto_adjustbillmain delete", "sto_gdsbillmain update", "sto_gdsbillmain delete",
                                  "sto_gdsbilldetail update", "sto_gdsbilldetail delete", "gds_stockcount delete"})
            EXPECT_FALSE(g.startsWith(QLatin1String(never))) << g.toStdString();
}

} // namespace
