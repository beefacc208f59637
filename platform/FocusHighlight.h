#pragma once
// The focused style of an editor: while the editor has the focus its background takes a colour
// (the window base sets the system's tooltip background). Every editor class holds one.
#include <QColor>
#include <QObject>
#include <QPalette>
#include <QPointer>

class QWidget;

namespace platform {

class FocusHighlight : public QObject {
    Q_OBJECT
public:
    explicit FocusHighlight(QWidget* editor);

    QColor Color() const { return color_; }
    void SetColor(const QColor& c); // invalid: no highlight

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply(bool focused);

    QWidget* editor_;
    QColor color_;
    QPalette saved_;
    bool applied_ = false;
};

} // namespace platform
