#include "platform/ImageComboBox.h"

#include "platform/core/Dataset.h"
#include "platform/EditorKeys.h"
#include "platform/FocusHighlight.h"

namespace platform {

ImageComboBox::ImageComboBox(QWidget* parent) : QComboBox(parent), focus_(new FocusHighlight(this)) {}

void ImageComboBox::AddItem(const QVariant& value, const QString& description, const QIcon& icon)
{
    addItem(icon, description, value);
}

void ImageComboBox::AssignItemsFrom(const QComboBox* combo)
{
    clear();
    if (!combo)
        return;
    for (int i = 0; i < combo->count(); ++i) {
        QVariant value = combo->itemData(i, Qt::UserRole);
        if (!value.isValid())
            value = combo->itemText(i);
        addItem(combo->itemIcon(i), combo->itemText(i), value);
    }
}

QVariant ImageComboBox::Value() const
{
    return currentIndex() < 0 ? QVariant() : itemData(currentIndex(), Qt::UserRole);
}

void ImageComboBox::SetValue(const QVariant& value)
{
    const QString key = VariantToText(value).trimmed();
    for (int i = 0; i < count(); ++i) {
        if (VariantToText(itemData(i, Qt::UserRole)).trimmed() == key && value.isValid()) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
}

void ImageComboBox::SetFocusedColor(const QColor& c) { focus_->SetColor(c); }
QColor ImageComboBox::FocusedColor() const { return focus_->Color(); }

bool ImageComboBox::event(QEvent* e)
{
    if (EditorKeys::Filter(
            this, e, [this](int& key, Qt::KeyboardModifiers m) { emit KeyDown(key, m); }, [](QString&) {},
            [this](QEvent* r) { return QComboBox::event(r); }))
        return true;
    return QComboBox::event(e);
}

} // namespace platform
