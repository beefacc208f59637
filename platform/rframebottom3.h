#pragma once
// The OK/Cancel bar the lookup dialogs and the bill editor embed at the bottom of their forms.
// It has no behaviour of its own: each form binds the two buttons to its own handlers.
#include "platform/Component.h"

class QPushButton;

class TFrame3 : public platform::Frame {
    Q_OBJECT
public:
    explicit TFrame3(QWidget* parent = nullptr, const QString& name = QStringLiteral("Frame31"));

    QFrame* Bevel1;         // the 2-pixel line along the top edge
    QFrame* Panel1;         // the sunken panel holding the buttons, right-aligned
    QPushButton* bbtnEnter; // 确定(&O), first in tab order
    QPushButton* bbtnClose; // 取消(&C)

    static constexpr int FrameHeight = 49;
};
