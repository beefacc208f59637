#pragma once
// A multi-line plain text edit.
#include <QPlainTextEdit>

namespace platform {

class FocusHighlight;

class Memo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit Memo(QWidget* parent = nullptr);
    QString Text() const { return toPlainText(); }
    void SetText(const QString& text) { setPlainText(text); }
    void SetFocusedColor(const QColor& c);
    QColor FocusedColor() const;

private:
    FocusHighlight* focus_;
};

} // namespace platform
