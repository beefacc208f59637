#pragma once
#include "plugin/Interface.h"
#include <QString>

class QComboBox;

namespace plugin {

class IDictIntf : public IInterface {
public:
    JXC_RESERVED_SLOT(3)
    JXC_RESERVED_SLOT(4)
    JXC_RESERVED_SLOT(5)
    JXC_RESERVED_SLOT(6)
    JXC_RESERVED_SLOT(7)
    JXC_RESERVED_SLOT(8)
    JXC_RESERVED_SLOT(9)
    JXC_RESERVED_SLOT(10)
    // A host-owned combo box from a two-column select: item text = second column (the
    // description), item data (Qt::UserRole) = first column (the value). The caller copies the
    // items and neither frees nor keeps the box; the same text may give the same box again.
    // Throws platform::Exception (EDatabaseError from the query) and never returns null.
    virtual QComboBox* JXC_STDCALL ComboFromSql(const QString& sql) = 0; // 11

protected:
    ~IDictIntf() = default;
};

} // namespace plugin
