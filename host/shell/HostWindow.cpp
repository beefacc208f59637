#include "host/shell/HostWindow.h"
#include "JxcVersion.h"

#include "host/services/HostLook.h"
#include "platform/Application.h"
#include "platform/Component.h"
#include "platform/core/Exception.h"
#include "plugin/DllWindowIntf.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace host {

namespace {

const QString kTitle = QStringLiteral("进销存管理系统");

} // namespace

HostWindow::HostWindow(platform::TApplication* app, platform::TScreen* screen, QWidget* parent)
    : QMainWindow(parent), app_(app), screen_(screen)
{
    setObjectName(QStringLiteral("HostWindow"));
    setWindowTitle(kTitle);
    resize(1200, 760);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("WindowTabs"));
    tabs_->setDocumentMode(true);
    setCentralWidget(tabs_);

    toolBar_ = addToolBar(QStringLiteral("系统工具栏"));
    toolBar_->setObjectName(QStringLiteral("HostToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    QStyle* st = style();
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction* save = AddCommand(QStringLiteral("actSave"), QStringLiteral("保存"), QKeySequence::Save, &HostWindow::SaveCommand);
    save->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    QAction* exportXls = AddCommand(QStringLiteral("actExportExcel"), QStringLiteral("导出Excel"),
                                    QKeySequence(Qt::CTRL | Qt::Key_E), &HostWindow::ExportCommand);
    exportXls->setIcon(st->standardIcon(QStyle::SP_ArrowDown));
    QAction* importXls = AddCommand(QStringLiteral("actImportExcel"), QStringLiteral("导入Excel"),
                                    QKeySequence(Qt::CTRL | Qt::Key_I), &HostWindow::ImportCommand);
    importXls->setIcon(st->standardIcon(QStyle::SP_ArrowUp));
    QAction* preview = AddCommand(QStringLiteral("actPrintPreview"), QStringLiteral("打印预览"),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), &HostWindow::PreviewCommand);
    preview->setIcon(st->standardIcon(QStyle::SP_FileDialogContentsView));
    QAction* print = AddCommand(QStringLiteral("actPrint"), QStringLiteral("打印"), QKeySequence::Print, &HostWindow::PrintCommand);
    print->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    QAction* refresh = AddCommand(QStringLiteral("actRefresh"), QStringLiteral("刷新"), QKeySequence::Refresh, &HostWindow::RefreshCommand);
    refresh->setIcon(st->standardIcon(QStyle::SP_BrowserReload));
    QAction* find = AddCommand(QStringLiteral("actFind"), QStringLiteral("查找"), QKeySequence::Find, &HostWindow::FindCommand);
    find->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));

    file->addAction(save);
    file->addSeparator();
    file->addAction(exportXls);
    file->addAction(importXls);
    file->addSeparator();
    file->addAction(preview);
    file->addAction(print);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("actExit"));
    quit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    edit->addAction(find);
    QMenu* view = menuBar()->addMenu(QStringLiteral("查看(&V)"));
    view->addAction(refresh);
    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    QAction* about = help->addAction(QStringLiteral("关于(&A)…"), this, &HostWindow::ShowAbout);
    about->setObjectName(QStringLiteral("actAbout"));

    for (QAction* a : {save, refresh, exportXls, importXls, preview, print, find})
        toolBar_->addAction(a);

    operatorLabel_ = new QLabel(this);
    operatorLabel_->setObjectName(QStringLiteral("OperatorLabel"));
    databaseLabel_ = new QLabel(this);
    databaseLabel_->setObjectName(QStringLiteral("DatabaseLabel"));
    versionLabel_ = new QLabel(QStringLiteral("版本 %1").arg(QStringLiteral(JXC_VERSION)), this);
    versionLabel_->setObjectName(QStringLiteral("VersionLabel"));
    statusBar()->addPermanentWidget(operatorLabel_);
    statusBar()->addPermanentWidget(databaseLabel_);
    statusBar()->addPermanentWidget(versionLabel_);
    statusBar()->showMessage(QStringLiteral("就绪"));
    UpdateCommands();
}

HostWindow::~HostWindow() { CloseModule(); }

QToolBar* HostWindow::MergedToolBar() const
{
    for (const Merged& m : merged_)
        if (m.bar && m.bar->objectName() == QLatin1String("dxToolBar"))
            return m.bar;
    return nullptr;
}

QList<QToolBar*> HostWindow::MergedToolBars() const
{
    QList<QToolBar*> out;
    for (const Merged& m : merged_)
        if (m.bar)
            out << m.bar;
    return out;
}

QAction* HostWindow::AddCommand(const QString& name, const QString& text, const QKeySequence& key,
                                void (HostWindow::*slot)())
{
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    a->setToolTip(key.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
    commands_ << a;
    return a;
}

QAction* HostWindow::Command(const QString& objectName) const
{
    for (QAction* a : commands_)
        if (a->objectName() == objectName)
            return a;
    return nullptr;
}

QString HostWindow::AboutText()
{
    return QStringLiteral("进销存管理系统 - 调拨单\n版本 %1\n\n在仓库之间调拨商品：调拨单的查询、编辑、审核、调拨、冲销与打印，"
                          "库存台账。\n数据库：嵌入式 SQLite，或多个工作站共用的 PostgreSQL 服务器。")
        .arg(QStringLiteral(JXC_VERSION));
}

void HostWindow::ShowAbout()
{
    Run([this] { app_->MessageBox(AboutText(), QStringLiteral("关于"), platform::mbOK, platform::MessageIcon::Information); });
}

void HostWindow::SetStatusInfo(const QString& operatorText, const QString& databaseText)
{
    operatorLabel_->setText(operatorText);
    databaseLabel_->setText(databaseText);
}

void HostWindow::Run(const std::function<void()>& body)
{
    if (!window_)
        return;
    try {
        body();
    } catch (const platform::EAbort&) {
    } catch (const std::exception& e) {
        app_->HandleException(e);
    } catch (...) {
        app_->HandleException(platform::Exception(QStringLiteral("未知错误")));
    }
}

void HostWindow::SaveCommand()
{
    Run([this] {
        if (window_->SaveData())
            statusBar()->showMessage(QStringLiteral("已保存"), 5000);
    });
}
void HostWindow::RefreshCommand() { Run([this] { window_->RefreshData(); }); }
void HostWindow::ExportCommand() { Run([this] { window_->SaveToExcel(); }); }
void HostWindow::ImportCommand() { Run([this] { window_->ImportData(); }); }
void HostWindow::PreviewCommand() { Run([this] { window_->PrintPreview(); }); }
void HostWindow::PrintCommand() { Run([this] { window_->PrintData(); }); }
void HostWindow::FindCommand() { Run([this] { window_->FindData(); }); }

void HostWindow::UpdateCommands()
{
    for (QAction* a : commands_)
        a->setEnabled(window_ != nullptr);
}

void HostWindow::UpdateTitle()
{
    const QString caption = container_ ? container_->windowTitle() : QString();
    setWindowTitle(caption.isEmpty() ? kTitle : kTitle + QStringLiteral(" - ") + caption);
    if (container_) {
        const int i = tabs_->indexOf(container_);
        if (i >= 0)
            tabs_->setTabText(i, caption);
    }
}

bool HostWindow::OpenModule(const ModuleLaunch& launch, plugin::IFactoryIntf* factory, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (window_)
        return fail(QStringLiteral("已经打开了一个模块窗口"));
    if (!library_.Load(launch.path))
        return fail(library_.ErrorText());

    plugin::TDllWindowIntf* w = nullptr;
    try {
        w = library_.Create()(app_, screen_, factory);
    } catch (const std::exception& e) {
        const auto* ex = dynamic_cast<const platform::Exception*>(&e);
        const QString why = QStringLiteral("创建模块窗口失败：%1").arg(ex ? ex->Message() : QString::fromLocal8Bit(e.what()));
        library_.Close()();
        library_.Unload();
        return fail(why);
    }
    if (!w || !w->Widget()) {
        library_.Close()();
        library_.Unload();
        return fail(QStringLiteral("模块没有返回窗口"));
    }
    Dock(w, launch.pluginId, launch.unitCode);

    try {
        window_->InitWindow();
    } catch (const platform::EAbort&) {
    } catch (const std::exception& e) {
        const auto* ex = dynamic_cast<const platform::Exception*>(&e);
        const QString why = QStringLiteral("模块窗口初始化失败：%1").arg(ex ? ex->Message() : QString::fromLocal8Bit(e.what()));
        CloseModule();
        return fail(why);
    }
    Run([this] { window_->RefreshData(); });
    return true;
}

void HostWindow::Dock(plugin::TDllWindowIntf* w, int pluginId, const QString& unitCode)
{
    if (window_ || !w || !w->Widget())
        return;
    window_ = w;
    form_ = w->Widget();
    platform::SetTag(form_, pluginId);
    form_->setProperty("UnitCode", unitCode);

    // The form becomes a plain child of a container in the central area. The container's
    // title is the window's caption; the window marks it "*" while modified.
    container_ = new QWidget;
    container_->setObjectName(QStringLiteral("ModuleContainer"));
    auto* layout = new QVBoxLayout(container_);
    layout->setContentsMargins(0, 0, 0, 0);
    form_->setParent(container_, Qt::Widget);
    layout->addWidget(form_);
    form_->installEventFilter(this);
    container_->setWindowTitle(OwnCopy(form_->windowTitle()));
    tabs_->addTab(container_, container_->windowTitle());
    connect(container_, &QWidget::windowTitleChanged, this, [this] { UpdateTitle(); });
    form_->show();
    MergeToolBar(form_);
    UpdateTitle();
    UpdateCommands();
    tabs_->setCurrentWidget(container_);
}

plugin::TDllWindowIntf* HostWindow::Undock()
{
    plugin::TDllWindowIntf* w = window_;
    if (!w)
        return nullptr;
    Run([w] { w->DoneWindow(); });
    UnmergeToolBar();
    if (form_) {
        form_->removeEventFilter(this);
        // Out of the container, hidden, parentless: its maker frees it.
        form_->hide();
        form_->setParent(nullptr);
    }
    window_ = nullptr;
    if (container_) {
        tabs_->removeTab(tabs_->indexOf(container_));
        delete container_.data();
    }
    form_ = nullptr;
    UpdateCommands();
    UpdateTitle();
    return w;
}

void HostWindow::MergeToolBar(QWidget* form)
{
    // The form's bar manager keeps its bars as direct children of the form: "dxToolBar" first,
    // then the window's own bars, all on one row of the host's toolbar area below its own.
    QList<QToolBar*> bars = form->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
    std::stable_partition(bars.begin(), bars.end(),
                          [](QToolBar* b) { return b->objectName() == QLatin1String("dxToolBar"); });
    if (bars.isEmpty())
        return;
    addToolBarBreak(Qt::TopToolBarArea);
    for (QToolBar* bar : bars) {
        merged_ << Merged{bar, bar->parentWidget()};
        bar->setMovable(false);
        addToolBar(Qt::TopToolBarArea, bar);
        bar->installEventFilter(this);
        // An empty bar would only show its handle.
        bar->setVisible(!bar->actions().isEmpty());
    }
}

void HostWindow::UnmergeToolBar()
{
    for (const Merged& m : std::as_const(merged_)) {
        if (!m.bar)
            continue;
        m.bar->removeEventFilter(this);
        removeToolBar(m.bar);
        // Back to the form, which owns and frees it.
        if (m.home)
            m.bar->setParent(m.home);
        m.bar->hide();
    }
    // Qt drops the toolbar row once its last bar is gone.
    merged_.clear();
}

bool HostWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionRemoved)) {
        for (const Merged& m : std::as_const(merged_)) {
            if (m.bar != watched)
                continue;
            // After the change is complete: the action list is updated once the event is done.
            QMetaObject::invokeMethod(this, [this, bar = m.bar] {
                if (bar && bar->parentWidget() == this)
                    bar->setVisible(!bar->actions().isEmpty());
            }, Qt::QueuedConnection);
        }
    }
    // The docked form is a dialog underneath: Escape would hide it out of the host.
    if (watched == form_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier)
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void HostWindow::CloseModule()
{
    const bool fromLibrary = library_.IsLoaded();
    if (!Undock() && !fromLibrary)
        return;
    if (fromLibrary) {
        try {
            library_.Close()();
        } catch (const std::exception& e) {
            app_->HandleException(e);
        }
        // Whatever the module queued for deletion goes before its code does.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        library_.Unload();
    }
}

bool HostWindow::ConfirmClose()
{
    if (!window_)
        return true;
    bool modified = false;
    Run([&] { modified = window_->GetModified(); });
    if (!modified)
        return true;
    const int answer = app_->MessageBox(QStringLiteral("数据已修改，是否保存？"), kTitle,
                                        platform::mbYes | platform::mbNo | platform::mbCancel,
                                        platform::MessageIcon::Question);
    if (answer == platform::mbNo)
        return true;
    if (answer != platform::mbYes)
        return false;
    bool saved = false;
    Run([&] { saved = window_->SaveData(); });
    return saved;
}

void HostWindow::closeEvent(QCloseEvent* event)
{
    if (!ConfirmClose()) {
        event->ignore();
        return;
    }
    CloseModule();
    event->accept();
}

} // namespace host
