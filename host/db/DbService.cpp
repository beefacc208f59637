#include "host/db/DbService.h"

#include "host/db/dialect/Dialect.h"
#include "host/db/Transaction.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "platform/core/RecordFields.h"
#include "platform/core/ValueText.h"
#include "host/db/blocks/BlockRunner.h"

#include <QLoggingCategory>
#include <QObject>
#include <cmath>
#include <optional>

namespace host::db {

using platform::Currency;
using platform::EDatabaseError;

namespace {

Q_LOGGING_CATEGORY(lcDatabase, "jxc.db")

// The failure the caller gets, written to the log too: the engine's words and, where the engine
// names it, the statement ("SQL: ...").
const EDatabaseError& Logged(const EDatabaseError& e)
{
    qCWarning(lcDatabase).noquote() << e.Message();
    return e;
}

// Every failure leaves as EDatabaseError, whatever raised it underneath, and is logged.
template <class F>
auto AsDatabaseError(F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const EDatabaseError& e) {
        Logged(e);
        throw;
    } catch (const platform::Exception& e) {
        throw Logged(EDatabaseError(e.Message()));
    } catch (const std::bad_alloc&) {
        throw Logged(EDatabaseError(QStringLiteral("Out of memory while reading from the database")));
    } catch (const std::exception& e) {
        throw Logged(EDatabaseError(QString::fromLocal8Bit(e.what())));
    }
}

bool IsQueryText(const QString& translated)
{
    int i = 0;
    while (i < translated.size() && (translated[i].isSpace() || translated[i] == u'('))
        ++i;
    const QStringView head = QStringView(translated).mid(i, 6);
    return head.startsWith(QLatin1String("select"), Qt::CaseInsensitive)
        || head.startsWith(QLatin1String("with"), Qt::CaseInsensitive)
        || head.startsWith(QLatin1String("values"), Qt::CaseInsensitive);
}

class DatasetSink final : public RowSink {
public:
    std::unique_ptr<platform::Dataset> ds;

    void Columns(const QVector<ResultColumn>& columns) override
    {
        QVector<platform::FieldDef> defs;
        defs.reserve(columns.size());
        for (const ResultColumn& c : columns) {
            // "select a.*, b.GoodsName" repeats a name; the later one gets a suffix, so both
            // stay reachable and FieldByName finds the first.
            QString name = c.name;
            for (int k = 1; std::any_of(defs.begin(), defs.end(), [&](const platform::FieldDef& d) {
                     return d.name.compare(name, Qt::CaseInsensitive) == 0;
                 });
                 ++k)
                name = c.name + u'_' + QString::number(k);
            defs.push_back({name, c.type});
        }
        ds = std::make_unique<platform::Dataset>(std::move(defs));
    }

    void SizeHint(qint64 rows) override { ds->Reserve(int(std::min<qint64>(rows, 1 << 24))); }
    platform::Dataset* Target() override { return ds.get(); }

    bool Row(QVariant* values) override
    {
        ds->AppendRow(values);
        return true;
    }
};

class FirstValueSink final : public RowSink {
public:
    QVariant value;
    void Columns(const QVector<ResultColumn>&) override {}
    bool Row(QVariant* values) override
    {
        value = std::move(values[0]);
        return false;
    }
};

class ObjectSink final : public RowSink {
public:
    explicit ObjectSink(const QMetaObject* meta) : meta_(meta) {}
    ~ObjectSink() override
    {
        if (list) {
            qDeleteAll(list->Items());
            delete list;
        }
    }

    plugin::ObjectList* Take() { return std::exchange(list, nullptr); }

    void Columns(const QVector<ResultColumn>& columns) override
    {
        QStringList names;
        names.reserve(columns.size());
        for (const ResultColumn& c : columns)
            names << c.name;
        fields_.emplace(*meta_, names);
    }

    bool Row(QVariant* values) override
    {
        if (!list)
            list = new plugin::ObjectList;
        QObject* o = meta_->newInstance();
        if (!o)
            throw EDatabaseError(QStringLiteral("Records of class %1 cannot be made: it needs a Q_INVOKABLE default constructor")
                                     .arg(QString::fromLatin1(meta_->className())));
        list->Add(o);
        try {
            fields_->Fill(*o, values);
        } catch (const platform::EConvertError& e) {
            // A database error, so that the statement is named with it.
            throw EDatabaseError(e.Message());
        }
        return true;
    }

    plugin::ObjectList* list = nullptr;

private:
    const QMetaObject* meta_;
    std::optional<platform::RecordFields> fields_;
};

} // namespace

DbService::DbService(std::unique_ptr<Connection> connection) : conn_(std::move(connection))
{
    if (!conn_)
        throw EDatabaseError(QStringLiteral("The database service needs a connection"));
}

DbService::~DbService() = default;

void DbService::Query(const QString& sql, const QVector<QVariant>& params, RowSink& sink)
{
    const Translation t = TranslateCached(sql, conn_->GetEngine());
    if (!IsQueryText(t.text))
        throw EDatabaseError(QStringLiteral("A query must be a select statement\nSQL: ") + sql.trimmed());
    if (t.usesSequence && !conn_->InTransaction()) {
        WriteTransaction tx(*conn_);
        Execute(*conn_, sql, params, &sink);
        tx.Commit();
        return;
    }
    Execute(*conn_, sql, params, &sink);
}

platform::Dataset* DbService::OpenQuery(const QString& sql)
{
    return OpenQuery(sql, {});
}

platform::Dataset* DbService::OpenQuery(const QString& sql, const QVector<QVariant>& params)
{
    return AsDatabaseError([&] {
        DatasetSink sink;
        Query(sql, params, sink);
        if (!sink.ds)
            throw EDatabaseError(QStringLiteral("The statement returned no result set\nSQL: ") + sql.trimmed());
        sink.ds->EndLoad();
        return sink.ds.release();
    });
}

void DbService::ExecSql(const QString& sql)
{
    ExecSql(sql, {});
}

void DbService::ExecSql(const QString& sql, const QVector<QVariant>& params)
{
    AsDatabaseError([&] {
        WriteTransaction tx(*conn_);
        if (IsBlock(sql)) {
            if (!params.isEmpty())
                throw EDatabaseError(QStringLiteral("An anonymous block takes no bind values"));
            RunBlock(*conn_, sql);
        } else {
            Execute(*conn_, sql, params);
        }
        tx.Commit();
    });
}

QString DbService::NextSequence(const QString& name)
{
    return AsDatabaseError([&] {
        if (name.trimmed().isEmpty())
            throw EDatabaseError(QStringLiteral("No sequence name given"));
        return QString::number(conn_->NextSequenceValue(name.trimmed()));
    });
}

QVariant DbService::NextCounter(const QString& name, int step)
{
    return AsDatabaseError([&] {
        if (name.trimmed().isEmpty())
            throw EDatabaseError(QStringLiteral("No counter name given"));
        const QVector<QVariant> params{name, qlonglong(step)};
        // Under the writer lock no other workstation can touch the row between these steps.
        WriteTransaction tx(*conn_);
        const qint64 changed =
            Execute(*conn_, QStringLiteral("update sys_counter set CounterValue = CounterValue + :2 where CounterName = :1"), params);
        if (changed == 0)
            Execute(*conn_, QStringLiteral("insert into sys_counter (CounterName, CounterValue) values (:1, :2)"), params);
        FirstValueSink sink;
        Execute(*conn_, QStringLiteral("select CounterValue from sys_counter where CounterName = :1"), {name}, &sink);
        tx.Commit();
        return QVariant(qlonglong(sink.value.toLongLong()));
    });
}

QString DbService::QueryValue(const QString& sql)
{
    return QueryValue(sql, {});
}

QString DbService::QueryValue(const QString& sql, const QVector<QVariant>& params)
{
    return AsDatabaseError([&] {
        FirstValueSink sink;
        Query(sql, params, sink);
        return ValueText(sink.value);
    });
}

QString DbService::ValueText(const QVariant& v)
{
    if (!v.isValid())
        return {};
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().ToString();
    switch (v.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return platform::PlainNumberText(v.toDouble());
    case QMetaType::QString:
        return v.toString();
    default:
        return platform::VariantToText(v);
    }
}

plugin::ObjectList* DbService::LoadObjects(const QMetaObject* recordClass, const QString& sql)
{
    return AsDatabaseError([&]() -> plugin::ObjectList* {
        if (!recordClass)
            throw EDatabaseError(QStringLiteral("No record class given"));
        ObjectSink sink(recordClass);
        Query(sql, {}, sink);
        return sink.Take();
    });
}

} // namespace host::db
