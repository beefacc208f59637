// The editor classes: upper case, buttons, money display, key events, focused colour.
#include "TestPrint.h"
#include "platform/ButtonEdit.h"
#include "platform/CurrencyEdit.h"
#include "platform/DateEdit.h"
#include "platform/ImageComboBox.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace platform;

TEST(Editors, ButtonEditUpperCaseAndButton)
{
    ButtonEdit edit;
    edit.SetUpperCase(true);
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, "sto1a");
    EXPECT_EQ(edit.text(), "STO1A");
    QSignalSpy clicked(&edit, &ButtonEdit::ButtonClicked);
    edit.ButtonAction()->trigger();
    EXPECT_EQ(clicked.count(), 1);
    QTest::keyClick(&edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicked.count(), 2);
    edit.SetButtonVisible(false);
    EXPECT_FALSE(edit.ButtonVisible());
}

TEST(Editors, KeyPressMayDropOrChangeCharacters)
{
    TextEdit edit;
    edit.show();
    edit.setFocus();
    // Only digits and the point, as the bill editor's quantity box wants.
    QObject::connect(&edit, &TextEdit::KeyPress, [](QString& text) {
        if (!text[0].isDigit() && text != ".")
            text.clear();
        else if (text == ".")
            text = QStringLiteral(".");
    });
    QTest::keyClicks(&edit, "1a2.'5");
    EXPECT_EQ(edit.text(), "12.5");
    std::vector<int> keys;
    QObject::connect(&edit, &TextEdit::KeyDown, [&](int& key, Qt::KeyboardModifiers) {
        keys.push_back(key);
        if (key == Qt::Key_Tab)
            key = 0; // consumed: the focus stays
    });
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_EQ(keys, std::vector<int>{Qt::Key_Tab});
}

TEST(Editors, CurrencyEditShowsTheFormatWhenNotEditing)
{
    QWidget window;
    auto* money = new CurrencyEdit(&window);
    auto* other = new TextEdit(&window);
    other->move(0, 40);
    money->SetDisplayFormat(QStringLiteral("￥,0.00;￥-,0.00"));
    money->SetValue(Currency::FromRaw(12345000));
    EXPECT_EQ(money->text(), "￥1,234.50");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    EXPECT_EQ(money->text(), "￥1,234.50");
    money->setFocus();
    EXPECT_EQ(money->text(), "1234.5");
    money->selectAll();
    QTest::keyClicks(money, "-20.125");
    other->setFocus();
    EXPECT_EQ(money->Value().Raw(), -201250);
    EXPECT_EQ(money->text(), "￥-20.13");
    // Invalid entries keep the last valid value.
    money->setFocus();
    money->selectAll();
    QTest::keyClicks(money, "x1");
    EXPECT_FALSE(money->IsValidEntry());
    other->setFocus();
    EXPECT_EQ(money->Value().Raw(), -201250);
    money->Clear();
    EXPECT_TRUE(money->IsNull());
}

TEST(Editors, ImageComboValues)
{
    ImageComboBox combo;
    combo.AddItem(0, QStringLiteral("未审核"));
    combo.AddItem(1, QStringLiteral("已审核"));
    combo.SetValue(QStringLiteral("1"));
    EXPECT_EQ(combo.currentText(), "已审核");
    EXPECT_EQ(combo.Value().toInt(), 1);
    combo.SetValue(7);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_FALSE(combo.Value().isValid());
    QComboBox dict;
    dict.addItem(QStringLiteral("件"), QStringLiteral("521001"));
    combo.AssignItemsFrom(&dict);
    EXPECT_EQ(combo.count(), 1);
    combo.SetValue(QStringLiteral("521001"));
    EXPECT_EQ(combo.currentText(), "件");
}

TEST(Editors, FocusedColourWhileFocused)
{
    QWidget window;
    auto* a = new TextEdit(&window);
    auto* b = new TextEdit(&window);
    b->move(0, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QColor normal = a->palette().color(QPalette::Base);
    a->SetFocusedColor(QColor(255, 255, 225));
    a->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(a->palette().color(QPalette::Base), QColor(255, 255, 225));
    b->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(a->palette().color(QPalette::Base), normal);
    EXPECT_EQ(a->FocusedColor(), QColor(255, 255, 225));
}

TEST(Editors, DateEditToday)
{
    DateEdit date;
    date.SetDate(QDate(2020, 1, 2));
    date.SetShowToday(true);
    auto* today = date.calendarWidget()->findChild<QPushButton*>(QStringLiteral("today"));
    ASSERT_NE(today, nullptr);
    EXPECT_EQ(today->text(), "今天");
    today->click();
    EXPECT_EQ(date.Date(), QDate::currentDate());
}
