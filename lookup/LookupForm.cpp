#include "lookup/LookupForm.h"
#include "ui_LookupForm.h"

#include "platform/DialogPlacement.h"
#include "platform/rframebottom3.h"
#include "platform/SlotGuard.h"
#include "platform/TextEdit.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace lookup {

LookupForm::LookupForm(QWidget* parent, const QString& name, const QString& caption, int width, int height,
                       const QString& title, const QString& hint)
    : platform::Form(parent)
{
    setObjectName(name);
    setWindowTitle(caption);
    platform::FixDialogSize(this, width, height);
    SetKeyPreview(true);
    InstallKeyPreview();

    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);

    // The title and search panels are laid out in LookupForm.ui.
    ui_ = std::make_unique<Ui::LookupHead>();
    auto* head = new QWidget(this);
    ui_->setupUi(head);
    layout_->addWidget(head);
    pnlTitle = Own(ui_->pnlTitle);
    lblTitle = ui_->lblTitle;
    lblHint = ui_->lblHint;
    lblTitle->setText(title);
    lblHint->setText(hint);
    lblHint->setContentsMargins(24, 0, 0, 0);
    // The title panel in the system's button-highlight colour.
    QPalette light = pnlTitle->palette();
    light.setColor(QPalette::Window, light.color(QPalette::Light));
    pnlTitle->setPalette(light);
    pnlSearch = Own(ui_->pnlSearch);
    lblCondition = ui_->lblCondition;
    edtCondition = Own(ui_->edtCondition);
    edtCondition->SetUpperCase(true);
    QFont big = edtCondition->font();
    big.setPixelSize(16);
    edtCondition->setFont(big);
    BtnQry = Own(ui_->BtnQry);

    connect(BtnQry, &QPushButton::clicked, this, platform::Guard(this, &LookupForm::BtnQryClick));
    connect(edtCondition, &platform::TextEdit::KeyDown, this, platform::Guard(this, &LookupForm::edtConditionKeyDown));
}

LookupForm::~LookupForm() = default;

void LookupForm::AddList(QWidget* list) { layout_->addWidget(list, 1); }

void LookupForm::AddButtonBar(QWidget* listFocus)
{
    Frame31 = Own(new TFrame3(this));
    layout_->addWidget(Frame31);

    setTabOrder(edtCondition, BtnQry);
    setTabOrder(BtnQry, listFocus);
    setTabOrder(listFocus, Frame31->bbtnEnter);

    connect(Frame31->bbtnEnter, &QPushButton::clicked, this, platform::Guard(this, &LookupForm::Frame31bbtnEnterClick));
    connect(Frame31->bbtnClose, &QPushButton::clicked, this, platform::Guard(this, &LookupForm::Frame31bbtnCloseClick));
}

bool LookupForm::PlainTab(int key, Qt::KeyboardModifiers shift)
{
    return key == Qt::Key_Tab && !(shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

bool LookupForm::PlainEnter(int key, Qt::KeyboardModifiers shift)
{
    return (key == Qt::Key_Return || key == Qt::Key_Enter) && !(shift & ~Qt::KeypadModifier);
}

void LookupForm::showEvent(QShowEvent* event)
{
    platform::Form::showEvent(event);
    if (!event->spontaneous()) {
        platform::CentreOnScreen(this);
        platform::Guarded([this] { FormShow(); });
    }
}

void LookupForm::Frame31bbtnCloseClick()
{
    Selected = false;
    reject();
}

bool LookupForm::FormKeyDown(QKeyEvent* e)
{
    // Esc presses the cancel button, wherever the focus is.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        Frame31->bbtnClose->click();
        return true;
    }
    return false;
}

} // namespace lookup
