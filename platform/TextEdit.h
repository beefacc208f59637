#pragma once
// A text edit: a QLineEdit with upper-case entry, key events and a focused colour.
#include <QIcon>
#include <QLineEdit>

class QPainter;

namespace platform {

class FocusHighlight;

class TextEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TextEdit(QWidget* parent = nullptr);

    // Letters typed or pasted become upper case.
    void SetUpperCase(bool on);
    bool UpperCase() const { return upperCase_; }
    void SetFocusedColor(const QColor& c);
    QColor FocusedColor() const;

signals:
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    void KeyPress(QString& text);

protected:
    // A 16x16 button icon in the edits' dark grey: `draw` paints its shape, pen off, brush set.
    static QIcon ButtonIcon(void (*draw)(QPainter&));
    bool event(QEvent* e) override;

private:
    bool upperCase_ = false;
    FocusHighlight* focus_;
};

} // namespace platform
