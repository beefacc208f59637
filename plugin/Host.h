#pragma once
// The module-wide host reference: the IFactoryIntf of the last CreateWindow, one counted
// reference held. Module code fetches a service for one use and lets the IntfPtr release it:
//     plugin::HostDb()->ExecSql(sql);
// Every helper throws platform::Exception when there is no host or the host lacks the service,
// so a missing service is a readable error instead of a null call.
#include "plugin/FactoryIntf.h"

#include <QElapsedTimer>
#include <QObject>
#include <memory>
#include <vector>

namespace plugin {

IFactoryIntf* Host(); // nullptr outside CreateWindow ... CloseWindow
// Holds a reference to the new factory (nullptr clears), then releases the previous one.
void SetHost(IFactoryIntf* factory);

IntfPtr<IDbIntf> HostDb();
IntfPtr<ILogIntf> HostMessage();
IntfPtr<IMainIntf> HostUi();
IntfPtr<IIniIntf> HostIni();
IntfPtr<IDictIntf> HostDict();
IntfPtr<IRightManagerIntf> HostRights();
IntfPtr<IPrinterIntf> HostPrinter();
// The host-owned current operator; never null.
const TOperator& HostOperator();

// The host database's results, owned from the moment they arrive. Both throw what the host's
// service throws (platform::EDatabaseError for a failed statement).
// A dataset on its first row; nullptr only if the host hands back none.
std::unique_ptr<platform::Dataset> OpenQuery(const QString& sql);
// LoadObjects' records of the class, one per row, in row order; none for no rows.
std::vector<std::unique_ptr<QObject>> LoadObjects(const QMetaObject& recordClass, const QString& sql);
// The same typed as T; a record of another class, should the host make one, is freed.
template <class T>
std::vector<std::unique_ptr<T>> LoadRecords(const QString& sql)
{
    std::vector<std::unique_ptr<QObject>> objects = LoadObjects(T::staticMetaObject, sql);
    std::vector<std::unique_ptr<T>> records;
    records.reserve(objects.size()); // on failure objects still owns every record
    for (std::unique_ptr<QObject>& o : objects)
        if (qobject_cast<T*>(o.get()))
            records.emplace_back(static_cast<T*>(o.release()));
    return records;
}

// The host's wait hint for a scope: shown on entry, hidden however the scope is left.
class WaitHint {
public:
    explicit WaitHint(const QString& text);
    ~WaitHint();
    WaitHint(const WaitHint&) = delete;
    WaitHint& operator=(const WaitHint&) = delete;
};

// The wait hint for a long piece of work the user may stop with Esc. Step shows how far the
// work has come and lets pending events through now and then, so that the window paints and
// the key is seen; other input (keys, clicks, closing) is dropped meanwhile, so that no command
// starts in the middle of the work. Hidden however the scope is left.
class CancellableWait : public QObject {
public:
    explicit CancellableWait(const QString& text);
    ~CancellableWait() override;
    // False once Esc was pressed: the caller stops. Cheap between refreshes.
    bool Step(qint64 done, qint64 total);
    bool Cancelled() const { return cancelled_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WaitHint hint_;
    QString text_;
    QElapsedTimer sinceRefresh_;
    int percent_ = -1;
    bool cancelled_ = false;
};

} // namespace plugin
