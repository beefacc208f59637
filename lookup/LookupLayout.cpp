#include "lookup/LookupLayout.h"

#include "platform/TextEdit.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace lookup {

QFrame* MakeTitlePanel(QWidget* form, const QString& title, const QString& hint, QLabel*& titleLabel,
                       QLabel*& hintLabel)
{
    auto* panel = new QFrame(form);
    panel->setObjectName(QStringLiteral("pnlTitle"));
    panel->setFixedHeight(PanelHeight);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Light)); // the button-highlight colour
    panel->setPalette(pal);

    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 4, 8, 0);
    column->setSpacing(2);

    titleLabel = new QLabel(title, panel);
    titleLabel->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    column->addWidget(titleLabel);

    hintLabel = new QLabel(hint, panel);
    hintLabel->setObjectName(QStringLiteral("lblHint"));
    hintLabel->setContentsMargins(24, 0, 0, 0);
    column->addWidget(hintLabel);
    column->addStretch(1);

    auto* bevel = new QFrame(panel);
    bevel->setObjectName(QStringLiteral("bvlTitle"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setFixedHeight(2);
    column->addWidget(bevel);
    return panel;
}

QFrame* MakeSearchPanel(QWidget* form, QLabel*& label, platform::TextEdit*& edit, QPushButton*& button)
{
    auto* panel = new QFrame(form);
    panel->setObjectName(QStringLiteral("pnlSearch"));
    panel->setFixedHeight(PanelHeight);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 0, 8, 0);
    row->setSpacing(6);

    label = new QLabel(QStringLiteral("输入检索条件："), panel);
    label->setObjectName(QStringLiteral("lblCondition"));
    row->addWidget(label);

    edit = new platform::TextEdit(panel);
    edit->setObjectName(QStringLiteral("edtCondition"));
    edit->SetUpperCase(true);
    QFont big = edit->font();
    big.setPixelSize(16);
    edit->setFont(big);
    edit->setFixedWidth(234);
    row->addWidget(edit);

    button = new QPushButton(QStringLiteral("查询(&Q)"), panel);
    button->setObjectName(QStringLiteral("BtnQry"));
    button->setFixedSize(75, 25);
    row->addWidget(button);
    row->addStretch(1);
    label->setBuddy(edit);
    return panel;
}

} // namespace lookup
