#include "plugin/DllWindow.h"

#include "platform/Application.h"
#include "platform/SlotGuard.h"
#include "plugin/Host.h"

#include <QApplication>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kPreviewTitle = QStringLiteral("打印预览");

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

bool TDllWindowForm::SaveToExcel() { return true; }

bool TDllWindowForm::ImportData() { return true; }

bool TDllWindowForm::ReservedQuery() { return false; }

void TDllWindowForm::ReservedCommand1() {}

void TDllWindowForm::PrintPreview() {}

void TDllWindowForm::PrintData() {}

bool TDllWindowForm::FindData() { return false; }

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
    for (QObject* c : owner->Components()) {
        if (platform::IsOrDerived<platform::Frame>(c) || platform::IsExactly<platform::TabSheet>(c) ||
            platform::IsOrDerived<platform::Form>(c))
            ApplyHostStyles(c);
    }
}
