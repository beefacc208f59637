#include "host/db/engines/EngineRules.h"

#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

namespace host::db {

namespace {

struct CollectIds : RowSink {
    std::vector<qint64> ids;
    void Columns(const QVector<ResultColumn>&) override {}
    bool Row(QVariant* v) override
    {
        ids.push_back(v[0].toLongLong());
        return true;
    }
};

// Dates are canonical text; sequences live in sys_sequence and are drawn through the
// connection's jxc_ functions, which, like jxc_divisor and jxc_mod, it registers itself.
// (PostgreSQL's jxc_mod is created with the schema.)
class SqliteRules final : public EngineRules {
public:
    QString Param(int n) const override { return u'?' + QString::number(n); }
    QString QuotedIdentifier(const QString& name) const override { return u'"' + name + u'"'; }
    QString Sysdate() const override { return QStringLiteral("datetime('now','localtime')"); }
    QString DateConstant(const QString& canonicalText) const override { return u'\'' + canonicalText + u'\''; }
    QString ToDate(const QString& value, const QString& format) const override
    {
        return QStringLiteral("jxc_to_date(%1, %2)").arg(value, format);
    }
    QString SequenceValue(const QString& name, bool next) const override
    {
        return QStringLiteral("%1('%2')").arg(next ? QStringLiteral("jxc_nextval") : QStringLiteral("jxc_currval"),
                                              name.toUpper());
    }
    QString DivisorGuard() const override { return QStringLiteral("jxc_divisor"); }
    QString LikeWithoutEscape() const override { return {}; }

    // Handing SQLite the text saves converting the same stamp for every line of a bill.
    QVariant DateValue(const QDateTime& dt) const override { return platform::CanonicalDateText(dt); }
    std::vector<qint64> DrawSequence(Connection& c, const QString& name, int count) const override
    {
        // The update holds the writer lock until it ends, so the block is ours alone.
        CollectIds sink;
        c.ExecNative(QStringLiteral("UPDATE sys_sequence SET SequenceValue = SequenceValue + ?2 WHERE SequenceName = ?1 "
                                    "RETURNING SequenceValue"),
                     {name.toUpper(), qlonglong(count)}, &sink);
        if (sink.ids.size() != 1)
            throw platform::EDatabaseError(QStringLiteral("Sequence %1 does not exist").arg(name));
        const qint64 last = sink.ids.front();
        std::vector<qint64> ids;
        ids.reserve(size_t(count));
        for (qint64 v = last - count + 1; v <= last; ++v)
            ids.push_back(v);
        return ids;
    }
};

class PostgresRules final : public EngineRules {
public:
    QString Param(int n) const override { return u'$' + QString::number(n); }
    QString QuotedIdentifier(const QString& name) const override
    {
        // Oracle keeps quoted names as written and folds unquoted ones to upper case, so an
        // upper-case quoted name is the plain one; PostgreSQL folds to lower case instead.
        if (name == name.toUpper() && !name.isEmpty())
            return u'"' + name.toLower() + u'"';
        return u'"' + name + u'"';
    }
    QString Sysdate() const override { return QStringLiteral("date_trunc('second', localtimestamp)"); }
    QString DateConstant(const QString& canonicalText) const override
    {
        return QStringLiteral("TIMESTAMP '") + canonicalText + u'\'';
    }
    QString ToDate(const QString& value, const QString& format) const override
    {
        return QStringLiteral("(to_timestamp(%1, %2)::timestamp)").arg(value, format);
    }
    QString SequenceValue(const QString& name, bool next) const override
    {
        return QStringLiteral("%1('%2')").arg(next ? QStringLiteral("nextval") : QStringLiteral("currval"), name.toLower());
    }
    QString DivisorGuard() const override { return {}; }
    // PostgreSQL's LIKE takes a backslash as its escape unless told otherwise.
    QString LikeWithoutEscape() const override { return QStringLiteral("escape ''"); }

    QVariant DateValue(const QDateTime& dt) const override { return dt; }
    std::vector<qint64> DrawSequence(Connection& c, const QString& name, int count) const override
    {
        CollectIds sink;
        c.ExecNative(QStringLiteral("select ") + SequenceValue(name, true) + QStringLiteral(" from generate_series(1, $1)"),
                     {qlonglong(count)}, &sink);
        if (sink.ids.size() != size_t(count))
            throw platform::EDatabaseError(QStringLiteral("Sequence %1 returned too few values").arg(name));
        return std::move(sink.ids);
    }
};

} // namespace

const EngineRules& RulesFor(Engine engine)
{
    static const SqliteRules sqlite;
    static const PostgresRules postgres;
    switch (engine) {
    case Engine::SQLite:
        return sqlite;
    case Engine::PostgreSQL:
        break;
    }
    return postgres;
}

} // namespace host::db
