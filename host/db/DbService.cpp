#include "host/db/DbService.h"

#include "host/db/Dialect.h"
#include "host/db/Transaction.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"
#include "platform/core/ValueText.h"

#include <QMetaProperty>
#include <QObject>
#include <cmath>
#include <vector>

namespace host::db {

using platform::Currency;
using platform::EDatabaseError;

namespace {

// Every failure leaves as EDatabaseError, whatever raised it underneath.
template <class F>
auto AsDatabaseError(F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const EDatabaseError&) {
        throw;
    } catch (const platform::Exception& e) {
        throw EDatabaseError(e.Message());
    } catch (const std::bad_alloc&) {
        throw EDatabaseError(QStringLiteral("Out of memory while reading from the database"));
    } catch (const std::exception& e) {
        throw EDatabaseError(QString::fromLocal8Bit(e.what()));
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
    int width = 0;

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
        width = int(defs.size());
        ds = std::make_unique<platform::Dataset>(std::move(defs));
    }

    void SizeHint(qint64 rows) override { ds->Reserve(int(std::min<qint64>(rows, 1 << 24))); }

    bool Row(QVariant* values) override
    {
        QVariant* dst = ds->AppendRawRow();
        for (int c = 0; c < width; ++c)
            dst[c] = std::move(values[c]);
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

// A value converted to a property's type; null gives the type's empty value.
QVariant ForProperty(const QVariant& v, QMetaType target, const QString& column)
{
    if (!v.isValid())
        return QVariant(target);
    const QMetaType currency = QMetaType::fromType<Currency>();
    const bool isCurrency = v.metaType() == currency;
    if (target == currency) {
        if (isCurrency)
            return v;
        const QVariant c = platform::ConvertToFieldType(v, platform::FieldType::Currency);
        return c.isValid() ? c : QVariant(target);
    }
    if (v.metaType() == target)
        return v;
    const int id = target.id();
    switch (id) {
    case QMetaType::QString:
        return platform::VariantToText(v);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool: {
        QVariant n = platform::ConvertToFieldType(v, platform::FieldType::Integer);
        if (!n.isValid())
            return QVariant(target);
        if (id == QMetaType::Bool)
            return n.toLongLong() != 0;
        n.convert(target);
        return n;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        QVariant d = platform::ConvertToFieldType(v, platform::FieldType::Float);
        if (!d.isValid())
            return QVariant(target);
        d.convert(target);
        return d;
    }
    case QMetaType::QDateTime: {
        const QVariant d = platform::ConvertToFieldType(v, platform::FieldType::DateTime);
        return d.isValid() ? d : QVariant(target);
    }
    case QMetaType::QDate: {
        const QVariant d = platform::ConvertToFieldType(v, platform::FieldType::DateTime);
        return d.isValid() ? QVariant(d.toDateTime().date()) : QVariant(target);
    }
    default: {
        QVariant copy = isCurrency ? QVariant(v.value<Currency>().ToDouble()) : v;
        if (!copy.convert(target))
            throw EDatabaseError(QStringLiteral("Column %1: '%2' cannot be stored in a property of type %3")
                                     .arg(column, platform::VariantToText(v), QString::fromLatin1(target.name())));
        return copy;
    }
    }
}

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
        names_.clear();
        targets_.clear();
        std::vector<bool> taken(size_t(meta_->propertyCount()), false);
        for (int c = 0; c < columns.size(); ++c) {
            for (int p = 0; p < meta_->propertyCount(); ++p) {
                const QMetaProperty mp = meta_->property(p);
                if (taken[p] || !mp.isWritable())
                    continue;
                if (QString::fromLatin1(mp.name()).compare(columns[c].name, Qt::CaseInsensitive) == 0) {
                    taken[p] = true; // the first column of a repeated name wins
                    targets_.push_back({c, p});
                    names_.push_back(columns[c].name);
                    break;
                }
            }
        }
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
        for (size_t i = 0; i < targets_.size(); ++i) {
            const auto [c, p] = targets_[i];
            const QMetaProperty mp = meta_->property(p);
            QVariant v;
            try {
                v = ForProperty(values[c], mp.metaType(), names_[i]);
            } catch (const platform::EConvertError& e) {
                throw EDatabaseError(QStringLiteral("Column %1: %2").arg(names_[i], e.Message()));
            }
            if (!mp.write(o, v))
                throw EDatabaseError(QStringLiteral("Column %1 cannot be written to property %2 of %3")
                                         .arg(names_[i], QString::fromLatin1(mp.name()), QString::fromLatin1(meta_->className())));
        }
        return true;
    }

    plugin::ObjectList* list = nullptr;

private:
    const QMetaObject* meta_;
    std::vector<std::pair<int, int>> targets_; // column, property
    std::vector<QString> names_;
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
