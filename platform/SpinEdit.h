#pragma once
// A whole-number spin edit.
#include <QSpinBox>

namespace platform {

class FocusHighlight;

class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);
    void SetFocusedColor(const QColor& c);
    QColor FocusedColor() const;

private:
    FocusHighlight* focus_;
};

} // namespace platform
