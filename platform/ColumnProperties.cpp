#include "platform/ColumnProperties.h"

#include "platform/core/Dataset.h"
#include "platform/FormatFloat.h"
#include "platform/GridColumn.h"

#include <QComboBox>
#include <cmath>

namespace platform {

namespace {

// Item values and cell values meet by their text form: 4, 4.0, Currency 4 and "4" are one value.
QString Key(const QVariant& v)
{
    return VariantToText(v).trimmed();
}

} // namespace

void ColumnProperties::Changed()
{
    if (owner_)
        owner_->Changed();
}

void ColumnProperties::SetKind(EditorKind kind)
{
    kind_ = kind;
    Changed();
}

void ColumnProperties::SetDisplayFormat(const QString& format)
{
    displayFormat_ = format;
    Changed();
}

void ColumnProperties::SetNullString(const QString& text)
{
    nullString_ = text;
    Changed();
}

void ColumnProperties::SetReadOnly(bool on)
{
    readOnly_ = on;
    Changed();
}

void ColumnProperties::AddItem(const QVariant& value, const QString& description, int imageIndex)
{
    const QString key = Key(value);
    if (!itemIndex_.contains(key))
        itemIndex_.insert(key, int(items_.size()));
    items_.push_back({value, description, imageIndex});
    Changed();
}

void ColumnProperties::ClearItems()
{
    items_.clear();
    itemIndex_.clear();
    Changed();
}

void ColumnProperties::AssignItemsFrom(const QComboBox* combo)
{
    items_.clear();
    itemIndex_.clear();
    if (combo) {
        for (int i = 0; i < combo->count(); ++i) {
            QVariant value = combo->itemData(i, Qt::UserRole);
            if (!value.isValid())
                value = combo->itemText(i);
            const QString key = Key(value);
            if (!itemIndex_.contains(key))
                itemIndex_.insert(key, int(items_.size()));
            items_.push_back({value, combo->itemText(i), -1});
        }
    }
    Changed();
}

const ImageComboItem* ColumnProperties::FindItem(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return nullptr;
    auto it = itemIndex_.constFind(Key(value));
    return it == itemIndex_.constEnd() ? nullptr : &items_[*it];
}

QString ColumnProperties::DisplayText(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return nullString_;
    switch (kind_) {
    case EditorKind::ImageCombo:
        if (const ImageComboItem* item = FindItem(value))
            return item->description;
        // A value without an item shows as it is, so nothing stored is hidden from the user.
        return VariantToText(value);
    case EditorKind::Currency:
        return FormatVariant(displayFormat_, value);
    default:
        if (!displayFormat_.isEmpty())
            return FormatVariant(displayFormat_, value);
        return VariantToText(value);
    }
}

QVariant ColumnProperties::ParseEntry(const QVariant& entry, bool& invalid) const
{
    invalid = false;
    switch (kind_) {
    case EditorKind::Currency: {
        QString text = VariantToText(entry).trimmed();
        text.remove(u',');
        text.remove(QChar(0xFFE5)); // ￥
        text.remove(QChar(0x00A5)); // ¥
        if (text.isEmpty())
            return {};
        bool ok = false;
        const double d = text.toDouble(&ok);
        if (!ok || !std::isfinite(d)) {
            invalid = true;
            return entry;
        }
        if ((HasMinValue() && d < minValue_) || (HasMaxValue() && d > maxValue_))
            invalid = true;
        return d;
    }
    case EditorKind::ImageCombo:
        return entry;
    default: {
        if (upperCase_ && entry.metaType().id() == QMetaType::QString)
            return entry.toString().toUpper();
        return entry;
    }
    }
}

} // namespace platform
