#pragma once
// A combo box of image-combo items: each entry shows a description and stands for a value.
#include <QComboBox>
#include <QVariant>

namespace platform {

class FocusHighlight;

class ImageComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ImageComboBox(QWidget* parent = nullptr);

    void AddItem(const QVariant& value, const QString& description, const QIcon& icon = {});
    // Copies a combo box's entries: text = description, Qt::UserRole data = value.
    void AssignItemsFrom(const QComboBox* combo);
    // The value of the chosen entry (null when none).
    QVariant Value() const;
    // Chooses the entry of a value (compared by text form); none when absent.
    void SetValue(const QVariant& value);
    void SetFocusedColor(const QColor& c);
    QColor FocusedColor() const;

signals:
    void KeyDown(int& key, Qt::KeyboardModifiers shift);

protected:
    bool event(QEvent* e) override;

private:
    FocusHighlight* focus_;
};

} // namespace platform
