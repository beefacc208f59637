#pragma once
// The parts both lookup dialogs share: the title panel and the search panel.
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace platform { class TextEdit; }

namespace lookup {

constexpr int PanelHeight = 41;

// The title panel: in the system's button-highlight colour, a bevel line at its bottom, a bold
// title and a hint below it.
QFrame* MakeTitlePanel(QWidget* form, const QString& title, const QString& hint, QLabel*& titleLabel,
                       QLabel*& hintLabel);

// The search panel: "输入检索条件：", the upper-case condition edit (16-pixel font, width 234)
// and the query button "查询(&Q)".
QFrame* MakeSearchPanel(QWidget* form, QLabel*& label, platform::TextEdit*& edit, QPushButton*& button);

} // namespace lookup
