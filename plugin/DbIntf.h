#pragma once
// The host's database service. It takes Oracle-dialect SQL text and anonymous blocks; every
// failure raises platform::EDatabaseError with a message a user can read, and a failed
// statement or block leaves nothing half-written.
#include "plugin/Interface.h"
#include <QList>
#include <QString>
#include <QVariant>

struct QMetaObject;
class QObject;

namespace platform { class Dataset; }

namespace plugin {

// The records LoadObjects made, one per row. Owned by the caller, and so are its records
// (the list does not delete them).
class ObjectList {
public:
    int Count() const { return int(items_.size()); }
    QObject* Item(int i) const { return i >= 0 && i < items_.size() ? items_[i] : nullptr; }
    void Add(QObject* o) { items_.push_back(o); }
    const QList<QObject*>& Items() const { return items_; }

private:
    QList<QObject*> items_;
};

class IDbIntf : public IInterface {
public:
    JXC_RESERVED_SLOTS_3_TO_10
    // A typed dataset on its first row, owned by the caller (module code takes it through
    // plugin::OpenQuery, which hands it over as a std::unique_ptr); never null.
    virtual platform::Dataset* JXC_STDCALL OpenQuery(const QString& sql) = 0; // 11
    JXC_RESERVED_SLOT(12)
    JXC_RESERVED_SLOT(13)
    // A statement or an anonymous block, all or nothing.
    virtual void JXC_STDCALL ExecSql(const QString& sql) = 0; // 14
    JXC_RESERVED_SLOT(15)
    JXC_RESERVED_SLOT(16)
    JXC_RESERVED_SLOT(17)
    JXC_RESERVED_SLOT(18)
    JXC_RESERVED_SLOT(19)
    JXC_RESERVED_SLOT(20)
    JXC_RESERVED_SLOT(21)
    JXC_RESERVED_SLOT(22)
    JXC_RESERVED_SLOT(23)
    JXC_RESERVED_SLOT(24)
    virtual QString JXC_STDCALL NextSequence(const QString& name) = 0; // 25
    JXC_RESERVED_SLOT(26)
    // Named counter, created on first use; atomic across workstations.
    virtual QVariant JXC_STDCALL NextCounter(const QString& name, int step) = 0; // 27
    JXC_RESERVED_SLOT(28)
    JXC_RESERVED_SLOT(29)
    // First column of the first row as text: "0" for a zero count, plain decimal text for
    // numbers, "" for null or no row.
    virtual QString JXC_STDCALL QueryValue(const QString& sql) = 0; // 30
    JXC_RESERVED_SLOT(31)
    JXC_RESERVED_SLOT(32)
    JXC_RESERVED_SLOT(33)
    JXC_RESERVED_SLOT(34)
    JXC_RESERVED_SLOT(35)
    JXC_RESERVED_SLOT(36)
    // One new record of the class per row, properties filled by column name ignoring case;
    // nullptr when there are no rows. The record class needs a Q_INVOKABLE default constructor.
    virtual ObjectList* JXC_STDCALL LoadObjects(const QMetaObject* recordClass, const QString& sql) = 0; // 37

protected:
    ~IDbIntf() = default;
};

} // namespace plugin
