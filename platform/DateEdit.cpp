#include "platform/DateEdit.h"

#include "platform/EditorKeys.h"
#include "platform/FocusHighlight.h"
#include "platform/SlotGuard.h"

#include <QCalendarWidget>
#include <QLayout>
#include <QPushButton>

namespace platform {

DateEdit::DateEdit(QWidget* parent) : QDateEdit(parent), focus_(new FocusHighlight(this))
{
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    setDate(QDate::currentDate());
}

void DateEdit::SetShowToday(bool on)
{
    showToday_ = on;
    if (on && !today_) {
        // The button sits in the drop-down calendar, under the month.
        QCalendarWidget* cal = calendarWidget();
        today_ = new QPushButton(QStringLiteral("今天"), cal);
        today_->setObjectName(QStringLiteral("today"));
        if (cal->layout())
            cal->layout()->addWidget(today_);
        connect(today_, &QPushButton::clicked, this, [this, cal] {
            Guarded([&] {
                setDate(QDate::currentDate());
                cal->setSelectedDate(QDate::currentDate());
                if (QWidget* popup = cal->window(); popup && popup != window())
                    popup->hide();
            });
        });
    }
    if (today_)
        today_->setVisible(on);
}

void DateEdit::SetFocusedColor(const QColor& c) { focus_->SetColor(c); }
QColor DateEdit::FocusedColor() const { return focus_->Color(); }

void DateEdit::SetDisabledColor(const QColor& c)
{
    QPalette p = palette();
    p.setColor(QPalette::Disabled, QPalette::Base, c);
    p.setColor(QPalette::Disabled, QPalette::Window, c);
    setPalette(p);
}

bool DateEdit::event(QEvent* e)
{
    if (EditorKeys::Filter(
            this, e, [this](int& key, Qt::KeyboardModifiers m) { emit KeyDown(key, m); }, [](QString&) {},
            [this](QEvent* r) { return QDateEdit::event(r); }))
        return true;
    return QDateEdit::event(e);
}

} // namespace platform
