#pragma once
#include "plugin/Interface.h"
#include <QString>

namespace plugin {

// The operator's rights. Throws EDatabaseError when the rights tables cannot be read; a missing
// right is 0, not an error.
class IRightManagerIntf : public IInterface {
public:
    JXC_RESERVED_SLOTS_3_TO_10
    JXC_RESERVED_SLOT(11)
    JXC_RESERVED_SLOT(12)
    JXC_RESERVED_SLOT(13)
    JXC_RESERVED_SLOT(14)
    JXC_RESERVED_SLOT(15)
    JXC_RESERVED_SLOT(16)
    JXC_RESERVED_SLOT(17)
    JXC_RESERVED_SLOT(18)
    JXC_RESERVED_SLOT(19)
    // The operator's browse level for a plug-in id (decimal text).
    virtual int JXC_STDCALL CanBrowse(const QString& pluginId) = 0; // 20
    JXC_RESERVED_SLOT(21)
    JXC_RESERVED_SLOT(22)
    JXC_RESERVED_SLOT(23)
    // Non-zero when the operator may operate the plug-in.
    virtual int JXC_STDCALL CanOperate(const QString& pluginId) = 0; // 24
    // The goods types the operator may handle, as a parenthesised SQL operand of "in"
    // (a list or a sub-select); never empty.
    virtual QString JXC_STDCALL GoodsTypeList(int operatorId) = 0; // 25

protected:
    ~IRightManagerIntf() = default;
};

} // namespace plugin
