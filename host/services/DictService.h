#pragma once
// Lookup lists for the module's image-combo columns: a two-column select becomes a combo box
// the service keeps. The same SQL text gets the same combo box back, so a window that asks for
// the storages twice reads them once.
#include "plugin/DbIntf.h"
#include "plugin/DictIntf.h"

#include <QHash>
#include <QString>
#include <memory>

class QComboBox;

namespace host {

class DictService : public plugin::RefCounted<plugin::IDictIntf> {
public:
    explicit DictService(plugin::IDbIntf* db);

    // Item text = second column, item data (Qt::UserRole) = first column as the database typed
    // it; a one-column select uses its column for both. Database errors propagate and nothing
    // is cached for the failed text.
    QComboBox* JXC_STDCALL ComboFromSql(const QString& sql) override;

    // Drops the cached lists (after master data changed); combo boxes handed out before stay
    // valid until the service goes away.
    void ClearCache();
    int CachedCount() const { return int(cache_.size()); }

protected:
    ~DictService() override;

private:
    plugin::IntfPtr<plugin::IDbIntf> db_;
    QHash<QString, QComboBox*> cache_;
    QList<QComboBox*> retired_;
};

} // namespace host
