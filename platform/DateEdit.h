#pragma once
// A date edit with a calendar drop-down; optionally a "今天" (today) button in the calendar.
// With ShowTime off (the default) the value has no time part.
#include <QDateEdit>

class QPushButton;

namespace platform {

class FocusHighlight;

class DateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    QDate Date() const { return date(); }
    void SetDate(const QDate& d) { setDate(d); }
    void SetShowToday(bool on);
    bool ShowToday() const { return showToday_; }
    void SetFocusedColor(const QColor& c);
    QColor FocusedColor() const;
    // Background of a disabled date edit (the bill editor's is cream).
    void SetDisabledColor(const QColor& c);

signals:
    void KeyDown(int& key, Qt::KeyboardModifiers shift);

protected:
    bool event(QEvent* e) override;

private:
    FocusHighlight* focus_;
    QPushButton* today_ = nullptr;
    bool showToday_ = false;
};

} // namespace platform
