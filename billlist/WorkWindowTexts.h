#pragma once
// The list window's texts that more than one of its command files shows.
#include <QString>

namespace billlist {

inline const QString kNoRights = QStringLiteral("对不起，您的权限不足，请与系统管理员联系！");
inline const QString kNoGoodsRight = QStringLiteral("无商品操作权限!");

} // namespace billlist
