// The host's messages: ShowMessage ends the command, ShowError returns.
#include "host/services/MessageService.h"
#include "platform/core/Exception.h"
#include "tests/support/ScriptedApplication.h"

#include <gtest/gtest.h>

namespace {

using plugin::IntfPtr;

TEST(MessageService, ShowMessageShowsTheTextThenAborts)
{
    testsupport::ScriptedApplication app;
    app.SetTitle(QStringLiteral("进销存管理系统"));
    IntfPtr<plugin::ILogIntf> log(new host::MessageService(&app));

    bool after = false;
    EXPECT_THROW(
        {
            log->ShowMessage(QStringLiteral("无商品操作权限!"), 0);
            after = true;
        },
        platform::EAbort);
    EXPECT_FALSE(after);
    ASSERT_EQ(app.Boxes().size(), 1);
    EXPECT_EQ(app.Boxes()[0].text, QStringLiteral("无商品操作权限!"));
    EXPECT_EQ(app.Boxes()[0].caption, QStringLiteral("进销存管理系统"));
    EXPECT_EQ(app.Boxes()[0].buttons, platform::mbOK);
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
}

TEST(MessageService, ShowErrorShowsAnErrorAndReturns)
{
    testsupport::ScriptedApplication app;
    IntfPtr<plugin::ILogIntf> log(new host::MessageService(&app));
    EXPECT_NO_THROW(log->ShowError(QStringLiteral("保存数据失败\r\nno such table"), 0));
    EXPECT_NO_THROW(log->ShowError(QStringLiteral("第二条"), 0));
    ASSERT_EQ(app.Boxes().size(), 2);
    EXPECT_EQ(app.Boxes()[0].text, QStringLiteral("保存数据失败\r\nno such table"));
    EXPECT_EQ(app.Boxes()[0].icon, platform::MessageIcon::Error);
    EXPECT_EQ(app.Boxes()[1].text, QStringLiteral("第二条"));
}

} // namespace
