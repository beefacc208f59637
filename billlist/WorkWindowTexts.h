#pragma once
// The list window's texts that more than one of its command files shows, and the box they ask
// their questions in.
#include "platform/Application.h"

#include <QString>

namespace billlist {

// The browse level that adds and changes bills.
inline constexpr int kEditLevel = 2;

inline const QString kNoRights = QStringLiteral("对不起，您的权限不足，请与系统管理员联系！");
inline const QString kNoGoodsRight = QStringLiteral("无商品操作权限!");
inline const QString kQuestionCaption = QStringLiteral("提示 "); // the trailing blank is the captions' own
inline const QString kNoticeCaption = QStringLiteral("提示");
inline const QString kReversedNotice = QStringLiteral("订单已冲销!");
inline const QString kOperationCaption = QStringLiteral("操作提示");

inline int Ask(const QString& text, const QString& caption, int buttons, platform::MessageIcon icon)
{
    return platform::Application()->MessageBox(text, caption, buttons, icon);
}

} // namespace billlist
