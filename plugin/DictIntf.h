#pragma once
#include "plugin/Interface.h"
#include <QString>

class QComboBox;

namespace plugin {

class IDictIntf : public IInterface {
public:
    JXC_RESERVED_SLOTS_3_TO_10
    // A host-owned combo box from a two-column select: item text = second column (the
    // description), item data (Qt::UserRole) = first column (the value). The caller copies the
    // items and neither frees nor keeps the box; the same text may give the same box again.
    // Throws platform::Exception (EDatabaseError from the query) and never returns null.
    virtual QComboBox* JXC_STDCALL ComboFromSql(const QString& sql) = 0; // 11

protected:
    ~IDictIntf() = default;
};

} // namespace plugin
