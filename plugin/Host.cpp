#include "plugin/Host.h"

#include "platform/Application.h"
#include "platform/SlotGuard.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>

namespace plugin {

namespace {

// Released by its destructor when the library is unloaded while a reference is still held.
IntfPtr<IFactoryIntf>& HostRef()
{
    static IntfPtr<IFactoryIntf> ref;
    return ref;
}

IFactoryIntf& RequireHost()
{
    IFactoryIntf* host = HostRef().Get();
    if (!host)
        throw platform::Exception(QStringLiteral("插件尚未连接到宿主程序"));
    return *host;
}

template <class T>
IntfPtr<T> Require(T* service, const char* name)
{
    if (!service)
        throw platform::Exception(QStringLiteral("宿主程序未提供服务：%1").arg(QLatin1String(name)));
    return IntfPtr<T>::Adopt(service);
}

} // namespace

IFactoryIntf* Host() { return HostRef().Get(); }

void SetHost(IFactoryIntf* factory)
{
    // The assignment takes the new reference before it drops the old one, so setting the
    // same factory again keeps it alive.
    HostRef() = IntfPtr<IFactoryIntf>(factory);
}

IntfPtr<IDbIntf> HostDb() { return Require(RequireHost().GetDb(), "GetDb"); }
IntfPtr<ILogIntf> HostMessage() { return Require(RequireHost().GetMessage(), "GetMessage"); }
IntfPtr<IMainIntf> HostUi() { return Require(RequireHost().GetUi(), "GetUi"); }
IntfPtr<IIniIntf> HostIni() { return Require(RequireHost().GetIni(), "GetIni"); }
IntfPtr<IDictIntf> HostDict() { return Require(RequireHost().GetDict(), "GetDict"); }
IntfPtr<IRightManagerIntf> HostRights() { return Require(RequireHost().GetRights(), "GetRights"); }
IntfPtr<IPrinterIntf> HostPrinter() { return Require(RequireHost().GetPrinter(), "GetPrinter"); }

const TOperator& HostOperator()
{
    const TOperator* op = RequireHost().GetOperator();
    if (!op)
        throw platform::Exception(QStringLiteral("宿主程序未提供当前操作员"));
    return *op;
}

std::unique_ptr<platform::Dataset> OpenQuery(const QString& sql)
{
    return std::unique_ptr<platform::Dataset>(HostDb()->OpenQuery(sql));
}

std::vector<std::unique_ptr<QObject>> LoadObjects(const QMetaObject& recordClass, const QString& sql)
{
    std::unique_ptr<ObjectList> list(HostDb()->LoadObjects(&recordClass, sql));
    std::vector<std::unique_ptr<QObject>> records;
    if (!list)
        return records;
    try {
        records.reserve(size_t(list->Count()));
    } catch (...) {
        // Nothing owns the records yet but the list, which does not free them.
        qDeleteAll(list->Items());
        throw;
    }
    for (QObject* o : list->Items())
        records.emplace_back(o);
    return records;
}

WaitHint::WaitHint(const QString& text) { HostUi()->ShowProgress(text); }

WaitHint::~WaitHint()
{
    platform::Guarded([] { HostUi()->HideProgress(); });
}

namespace {

QString CancellableText(const QString& text, int percent)
{
    const QString done = percent < 0 ? QString() : QStringLiteral(" %1%").arg(percent);
    return text + done + QStringLiteral("（按Esc键取消）");
}

// Refreshing the hint and letting events through this often keeps Esc responsive without
// slowing the work.
constexpr int kRefreshMs = 100;

} // namespace

CancellableWait::CancellableWait(const QString& text) : hint_(CancellableText(text, -1)), text_(text)
{
    QCoreApplication::instance()->installEventFilter(this);
    sinceRefresh_.start();
}

CancellableWait::~CancellableWait() { QCoreApplication::instance()->removeEventFilter(this); }

bool CancellableWait::Step(qint64 done, qint64 total)
{
    if (!cancelled_ && sinceRefresh_.elapsed() >= kRefreshMs) {
        const int percent = total > 0 ? int(std::clamp(done * 100 / total, qint64(0), qint64(100))) : 0;
        if (percent != percent_) {
            percent_ = percent;
            HostUi()->ShowProgress(CancellableText(text_, percent));
        }
        platform::Application()->ProcessMessages();
        sinceRefresh_.restart();
    }
    return !cancelled_;
}

bool CancellableWait::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            cancelled_ = true;
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Close:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace plugin
