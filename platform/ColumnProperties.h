#pragma once
// The editor properties of a grid column: what kind of editor it has (plain text, image combo,
// currency, button edit, label), how values are shown (display format, image-combo items, the
// text for null) and how typed values are checked (bounds, upper case, the validation handler).
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <limits>

class QComboBox;

namespace platform {

class GridColumn;

enum class EditorKind { Text, ImageCombo, Currency, ButtonEdit, Label };

// One entry of an image combo: a stored value shown as its description. Values may be integers
// or texts; they match cell values by their text form, so 4, 4.0 and "4" are the same value.
struct ImageComboItem {
    QVariant value;
    QString description;
    int imageIndex = -1;
};

class ColumnProperties {
public:
    // Called when a typed value is committed: the handler may change the value, set an error
    // text and set or clear the error flag (already set when the editor found the entry invalid).
    using ValidateHandler = std::function<void(GridColumn* column, QVariant& displayValue, QString& errorText, bool& error)>;
    // The ellipsis button of a button-edit column.
    using ButtonClickHandler = std::function<void(GridColumn* column, int buttonIndex)>;

    explicit ColumnProperties(GridColumn* owner = nullptr) : owner_(owner) {}

    EditorKind Kind() const { return kind_; }
    void SetKind(EditorKind kind);

    // Display format for numbers (FormatFloat syntax), e.g. "0.00" or "￥,0.00;￥-,0.00".
    const QString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& format);
    // Text shown for a null value ("" unless set, e.g. "0").
    const QString& NullString() const { return nullString_; }
    void SetNullString(const QString& text);

    bool UpperCase() const { return upperCase_; }
    void SetUpperCase(bool on) { upperCase_ = on; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    // Drop-down button of an image combo, ellipsis of a button edit.
    bool ShowButtons() const { return showButtons_; }
    void SetShowButtons(bool on) { showButtons_ = on; }
    // Bounds of a currency editor; an entry outside them is flagged invalid. Unset by default.
    double MinValue() const { return minValue_; }
    double MaxValue() const { return maxValue_; }
    void SetMinValue(double v) { minValue_ = v; }
    void SetMaxValue(double v) { maxValue_ = v; }
    bool HasMinValue() const { return minValue_ != -std::numeric_limits<double>::infinity(); }
    bool HasMaxValue() const { return maxValue_ != std::numeric_limits<double>::infinity(); }

    // Image-combo items.
    const QList<ImageComboItem>& Items() const { return items_; }
    int ItemCount() const { return int(items_.size()); }
    void AddItem(const QVariant& value, const QString& description, int imageIndex = -1);
    void ClearItems();
    // Copies a combo box's entries: item text = description, Qt::UserRole data = value.
    void AssignItemsFrom(const QComboBox* combo);
    // The item for a cell value, or nullptr.
    const ImageComboItem* FindItem(const QVariant& value) const;

    // The text a cell shows for a value.
    QString DisplayText(const QVariant& value) const;
    // Checks an entry the way this editor does: a number for currency (within bounds), an item
    // value for image combos. Returns the value to store (converted) and sets invalid.
    QVariant ParseEntry(const QVariant& entry, bool& invalid) const;

    ValidateHandler OnValidate;
    ButtonClickHandler OnButtonClick;

private:
    void Changed();

    GridColumn* owner_;
    EditorKind kind_ = EditorKind::Text;
    QString displayFormat_;
    QString nullString_;
    bool upperCase_ = false;
    bool readOnly_ = false;
    bool showButtons_ = true;
    double minValue_ = -std::numeric_limits<double>::infinity();
    double maxValue_ = std::numeric_limits<double>::infinity();
    QList<ImageComboItem> items_;
    QHash<QString, int> itemIndex_; // value text -> first item
};

} // namespace platform
