#include "platform/core/RecordFields.h"

#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"

#include <QMetaObject>
#include <QMetaProperty>
#include <QObject>

namespace platform {

QVariant ToPropertyValue(const QVariant& v, QMetaType target)
{
    if (!v.isValid())
        return QVariant(target);
    const QMetaType currency = QMetaType::fromType<Currency>();
    const bool isCurrency = v.metaType() == currency;
    if (target == currency) {
        if (isCurrency)
            return v;
        const QVariant c = ConvertToFieldType(v, FieldType::Currency);
        return c.isValid() ? c : QVariant(target);
    }
    if (v.metaType() == target)
        return v;
    const int id = target.id();
    switch (id) {
    case QMetaType::QString:
        return VariantToText(v);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool: {
        QVariant n = ConvertToFieldType(v, FieldType::Integer);
        if (!n.isValid())
            return QVariant(target);
        if (id == QMetaType::Bool)
            return n.toLongLong() != 0;
        n.convert(target);
        return n;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        QVariant d = ConvertToFieldType(v, FieldType::Float);
        if (!d.isValid())
            return QVariant(target);
        d.convert(target);
        return d;
    }
    case QMetaType::QDateTime: {
        const QVariant d = ConvertToFieldType(v, FieldType::DateTime);
        return d.isValid() ? d : QVariant(target);
    }
    case QMetaType::QDate: {
        const QVariant d = ConvertToFieldType(v, FieldType::DateTime);
        return d.isValid() ? QVariant(d.toDateTime().date()) : QVariant(target);
    }
    default: {
        QVariant copy = isCurrency ? QVariant(v.value<Currency>().ToDouble()) : v;
        if (!copy.convert(target))
            throw EConvertError(QStringLiteral("'%1' cannot be stored in a property of type %2")
                                    .arg(VariantToText(v), QString::fromLatin1(target.name())));
        return copy;
    }
    }
}

RecordFields::RecordFields(const QMetaObject& recordClass, const QStringList& columns, const QStringList& properties)
    : meta_(&recordClass)
{
    const int count = meta_->propertyCount();
    std::vector<bool> taken(size_t(count), false);
    for (int p = 0; p < count; ++p) {
        const QMetaProperty mp = meta_->property(p);
        const bool wanted = properties.isEmpty() || properties.contains(QLatin1String(mp.name()), Qt::CaseInsensitive);
        taken[size_t(p)] = !mp.isWritable() || !wanted;
    }
    for (int c = 0; c < columns.size(); ++c) {
        for (int p = 0; p < count; ++p) {
            if (taken[size_t(p)])
                continue;
            if (QLatin1String(meta_->property(p).name()).compare(columns[c], Qt::CaseInsensitive) == 0) {
                taken[size_t(p)] = true; // the first column of a repeated name wins
                targets_.push_back({c, p, columns[c]});
                break;
            }
        }
    }
}

void RecordFields::Fill(QObject& record, const QVariant* row) const
{
    // A property index of one class written to an object of another would corrupt it.
    if (!record.metaObject()->inherits(meta_))
        throw Exception(QStringLiteral("A record of class %1 cannot be filled as %2")
                            .arg(QString::fromLatin1(record.metaObject()->className()), QString::fromLatin1(meta_->className())));
    for (const Target& t : targets_) {
        const QMetaProperty mp = meta_->property(t.property);
        QVariant v;
        try {
            v = ToPropertyValue(row[t.column], mp.metaType());
        } catch (const EConvertError& e) {
            throw EConvertError(QStringLiteral("Column %1: %2").arg(t.name, e.Message()));
        }
        if (!mp.write(&record, v))
            throw EConvertError(QStringLiteral("Column %1 cannot be written to property %2 of %3")
                                    .arg(t.name, QString::fromLatin1(mp.name()), QString::fromLatin1(meta_->className())));
    }
}

void FillRecord(QObject& record, const Dataset& ds, const QStringList& properties)
{
    QStringList columns;
    std::vector<QVariant> row;
    columns.reserve(ds.FieldCount());
    row.reserve(size_t(ds.FieldCount()));
    for (int f = 0; f < ds.FieldCount(); ++f) {
        columns << ds.FieldDefAt(f).name;
        row.push_back(ds.DisplayValue(ds.RecNo(), f));
    }
    RecordFields(*record.metaObject(), columns, properties).Fill(record, row.data());
}

} // namespace platform
