#include "plugin/DllWindow.h"

#include "find/FindWindow.h"
#include "platform/Application.h"
#include "platform/BandedTableView.h"
#include "platform/ButtonEdit.h"
#include "platform/CurrencyEdit.h"
#include "platform/Grid.h"
#include "platform/ImageComboBox.h"
#include "platform/MaskEdit.h"
#include "platform/Memo.h"
#include "platform/PopupEdit.h"
#include "platform/SlotGuard.h"
#include "platform/SpinEdit.h"
#include "platform/StyleRepository.h"
#include "platform/TableView.h"
#include "platform/TextEdit.h"
#include "platform/TreeList.h"
#include "plugin/Host.h"

#include <QApplication>
#include <QToolTip>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kPreviewTitle = QStringLiteral("打印预览");
// The host's sheet, fetched anew for each use: the repository belongs to the host's main window.
const platform::GridStyleSheet* HostSheet(int index)
{
    platform::StyleRepository* repository = plugin::HostUi()->StyleRepository();
    return repository ? repository->StyleSheet(index) : nullptr;
}

template <class Editor>
bool SetFocusedColor(QObject* c, const QColor& color)
{
    if (!platform::IsExactly<Editor>(c))
        return false;
    static_cast<Editor*>(c)->SetFocusedColor(color);
    return true;
}

// The editors whose focused style takes the given colour; false for anything else.
bool ApplyEditorFocus(QObject* c, const QColor& color)
{
    using namespace platform;
    return SetFocusedColor<TextEdit>(c, color) || SetFocusedColor<ButtonEdit>(c, color) ||
           SetFocusedColor<ImageComboBox>(c, color) || SetFocusedColor<SpinEdit>(c, color) ||
           SetFocusedColor<CurrencyEdit>(c, color) || SetFocusedColor<Memo>(c, color) ||
           SetFocusedColor<MaskEdit>(c, color) || SetFocusedColor<PopupEdit>(c, color);
}

} // namespace

TdxBarManager::TdxBarManager(QWidget* form, QVBoxLayout* dock) : QObject(form), form_(form), dock_(dock) {}

QToolBar* TdxBarManager::AddBar(const QString& name, const QString& caption)
{
    auto* bar = new QToolBar(caption, form_);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    // Bars take the system font, not the form's.
    bar->setFont(QApplication::font());
    dock_->addWidget(bar);
    bars_ << bar;
    return bar;
}

QToolBar* TdxBarManager::Bar(const QString& name) const
{
    for (QToolBar* b : bars_)
        if (b->objectName() == name)
            return b;
    return nullptr;
}

TDllWindowForm::TDllWindowForm(QWidget* parent) : platform::Form(parent)
{
    setObjectName(QStringLiteral("TDllWindowForm"));
    setWindowTitle(QStringLiteral("DllWindowForm"));
    resize(671, 422);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* dock = new QVBoxLayout;
    dock->setSpacing(0);
    layout->addLayout(dock);
    client_ = new QVBoxLayout;
    client_->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(client_, 1);

    dxBarToolBar = Own(new TdxBarManager(this, dock), QStringLiteral("dxBarToolBar"));
    dxBarToolBar->AddBar(QStringLiteral("dxToolBar"), QStringLiteral("插件工具栏"));
}

TDllWindowForm::~TDllWindowForm()
{
    // A host that skipped DoneWindow must not leave a timer behind.
    delete CaptionTimer;
    // The find dialog searches this window's controls; it must not outlive them (nor the
    // module's code, which CloseWindow may unload next).
    delete FindWindowForm;
}

void TDllWindowForm::SetModified(bool value)
{
    Modified = value;
    // The mark goes on the host's container; a window that is not docked has none.
    QWidget* container = parentWidget();
    if (!container || isWindow())
        return;
    container->setWindowTitle(value ? windowTitle() + QStringLiteral("*") : windowTitle());
}

bool TDllWindowForm::GetModified() { return Modified; }

void TDllWindowForm::SetHostValue(int16_t value) { HostValue = value; }

int16_t TDllWindowForm::GetHostValue() { return HostValue; }

void TDllWindowForm::RefreshData() {}

bool TDllWindowForm::SaveData()
{
    platform::Application()->MessageBox(QStringLiteral("开发人员请注意，SaveData方法需要重载！"),
                                        QStringLiteral("提示"), platform::mbOK,
                                        platform::MessageIcon::Information);
    return false;
}

bool TDllWindowForm::ReservedQuery() { return false; }

void TDllWindowForm::ReservedCommand1() {}

void TDllWindowForm::ReservedCommand2() {}

void TDllWindowForm::InitWindow()
{
    // A second set-up replaces the timer instead of leaking the first. The form is its parent
    // only so that it can be found by name; DoneWindow frees it.
    delete CaptionTimer;
    CaptionTimer = new QTimer(this);
    CaptionTimer->setObjectName(QStringLiteral("CaptionTimer"));
    CaptionTimer->setInterval(1);
    connect(CaptionTimer, &QTimer::timeout, this, platform::Guard(this, &TDllWindowForm::CaptionTimerTimer));
    ApplyHostStyles(this);
}

void TDllWindowForm::DoneWindow()
{
    delete CaptionTimer;
    CaptionTimer = nullptr;
}

void TDllWindowForm::CaptionTimerTimer()
{
    for (QWidget* w : platform::Screen()->TopLevelWindows()) {
        if (w && w->windowTitle() == kPreviewTitle) {
            w->setWindowTitle(kPreviewTitle);
            if (CaptionTimer)
                CaptionTimer->stop();
            return;
        }
    }
}

int TDllWindowForm::RightsLevel()
{
    return plugin::HostRights()->CanBrowse(QString::number(platform::Tag(this)));
}

int TDllWindowForm::OperateRight()
{
    return plugin::HostRights()->CanOperate(QString::number(platform::Tag(this)));
}

void TDllWindowForm::ApplyHostStyles(QObject* container)
{
    platform::ComponentOwner* owner = platform::AsOwner(container);
    if (!owner)
        return;
    const QColor focused = QToolTip::palette().color(QPalette::ToolTipBase);
    for (QObject* c : owner->Components()) {
        if (platform::IsExactly<platform::BandedTableView>(c)) {
            static_cast<platform::BandedTableView*>(c)->SetStyleSheet(HostSheet(platform::StyleRepository::BandedTableViewSheet));
        } else if (platform::IsExactly<platform::TableView>(c)) {
            static_cast<platform::TableView*>(c)->SetStyleSheet(HostSheet(platform::StyleRepository::TableViewSheet));
        } else if (platform::IsExactly<platform::TreeList>(c)) {
            static_cast<platform::TreeList*>(c)->SetStyleSheet(HostSheet(platform::StyleRepository::TreeListSheet));
        } else if (!ApplyEditorFocus(c, focused) &&
                   (platform::IsOrDerived<platform::Frame>(c) || platform::IsExactly<platform::TabSheet>(c) ||
                    platform::IsOrDerived<platform::Form>(c))) {
            ApplyHostStyles(c);
        }
    }
}
