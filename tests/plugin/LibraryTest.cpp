// The real library, loaded and driven through its two exports only, as a host does.
#include "platform/core/Exception.h"
#include "tests/support/ModuleHarness.h"

#include <QAction>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// A screen whose window search fails: exercises the library's own slot guard from outside.
class FailingScreen : public platform::TScreen {
public:
    explicit FailingScreen(plugin::ILogIntf* log) : log_(log) {}
    bool refuse = true;
    mutable int queries = 0;
    QStringList Printers() const override { return {}; }
    QList<QWidget*> TopLevelWindows() const override
    {
        ++queries;
        if (refuse)
            log_->ShowMessage(QStringLiteral("拒绝"), 0); // throws EAbort, from this program
        throw platform::Exception(QStringLiteral("屏幕对象出错"));
    }

private:
    plugin::ILogIntf* log_;
};

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(module.IsLoaded()) << module.ErrorString().toStdString();
    }
    void TearDown() override
    {
        module.Close();
        EXPECT_EQ(host.RefCount(), 0u);
        EXPECT_EQ(host.OverReleases(), 0);
        EXPECT_TRUE(app.Failures().isEmpty()) << app.Failures().join(u'\n').toStdString();
    }
    ScriptedApplication app;
    TestHost host;
    LoadedModule module;
};

} // namespace

TEST_F(LibraryTest, FullLifecycleThroughTheExports)
{
    plugin::TDllWindowIntf* intf = module.Create(app, &host);
    ASSERT_NE(intf, nullptr);
    EXPECT_EQ(host.RefCount(), 1u);
    QPointer<QWidget> widget = intf->Widget();
    ASSERT_FALSE(widget.isNull());
    EXPECT_EQ(widget->objectName(), QStringLiteral("TWorkWindowForm"));
    EXPECT_EQ(widget->parent(), nullptr);

    auto* bar = widget->findChild<QToolBar*>(QStringLiteral("dxToolBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("插件工具栏"));

    widget->setProperty("Tag", 3105);
    widget->setProperty("UnitCode", QStringLiteral("JXC_DBD"));
    EXPECT_EQ(widget->property("UnitCode").toString(), QStringLiteral("JXC_DBD"));

    intf->InitWindow();
    intf->RefreshData();
    EXPECT_FALSE(intf->GetModified());
    // The library's message boxes go to the application object handed to CreateWindow.
    EXPECT_FALSE(intf->SaveData());
    ASSERT_EQ(app.Boxes().size(), 1);
    EXPECT_EQ(app.Boxes().first().caption, QStringLiteral("提示"));
    intf->DoneWindow();
    module.Close();
    EXPECT_TRUE(widget.isNull());
    EXPECT_EQ(host.RefCount(), 0u);

    // Closed is the same as loaded: the library can make a window again.
    intf = module.Create(app, &host);
    ASSERT_NE(intf, nullptr);
    EXPECT_EQ(host.RefCount(), 1u);
}

TEST_F(LibraryTest, BillToolbarHoldsTheSevenCommandsInOrder)
{
    plugin::TDllWindowIntf* intf = module.Create(app, &host);
    QToolBar* bar = nullptr;
    for (QToolBar* b : intf->Widget()->findChildren<QToolBar*>())
        if (b->windowTitle() == QStringLiteral("工具栏"))
            bar = b;
    ASSERT_NE(bar, nullptr);
    QStringList layout;
    for (QAction* a : bar->actions())
        layout << (a->isSeparator() ? QStringLiteral("|") : a->objectName() + u'=' + a->text());
    EXPECT_EQ(layout, QStringList({"dxBarButton1=增加", "dxBarButton2=修改", "dxBarButton3=删除", "dxBarButton7=预览", "|",
                                   "dxBarButton5=审核", "dxBarButton6=反审核", "|", "dxBarButton4= 调拨"}));
}

TEST_F(LibraryTest, SecondCreateReleasesTheFirstHostAndCloseFreesOnlyTheSecondWindow)
{
    ScriptedApplication app2;
    TestHost host2;
    plugin::TDllWindowIntf* first = module.Create(app, &host);
    QPointer<QWidget> firstWidget = first->Widget();
    plugin::TDllWindowIntf* second = module.Create(app2, &host2);
    QPointer<QWidget> secondWidget = second->Widget();
    EXPECT_EQ(host.RefCount(), 0u);
    EXPECT_EQ(host2.RefCount(), 1u);

    second->SaveData();
    EXPECT_EQ(app2.Boxes().size(), 1);
    EXPECT_TRUE(app.Boxes().isEmpty());

    module.Close();
    EXPECT_TRUE(secondWidget.isNull());
    ASSERT_FALSE(firstWidget.isNull());
    EXPECT_EQ(host2.RefCount(), 0u);
    delete firstWidget.data();
    module.Close(); // twice: nothing happens
}

TEST_F(LibraryTest, EAbortFromTheHostIsCaughtInsideTheLibrary)
{
    FailingScreen screen(&host.Log);
    plugin::TDllWindowIntf* intf = module.Create(&app, &screen, &host);
    intf->InitWindow();
    auto* timer = intf->Widget()->findChild<QTimer*>(QStringLiteral("CaptionTimer"));
    ASSERT_NE(timer, nullptr);

    timer->start();
    QTRY_VERIFY_WITH_TIMEOUT(screen.queries >= 3, 1000);
    timer->stop();
    EXPECT_TRUE(app.HandledExceptions().isEmpty());
    EXPECT_GE(host.Log.Messages.size(), 3);

    screen.refuse = false;
    const int before = screen.queries;
    timer->start();
    QTRY_VERIFY_WITH_TIMEOUT(screen.queries > before, 1000);
    timer->stop();
    ASSERT_FALSE(app.HandledExceptions().isEmpty());
    EXPECT_EQ(app.HandledExceptions().first(), QStringLiteral("屏幕对象出错"));
    intf->DoneWindow();
}

TEST_F(LibraryTest, UnloadReleasesAHostReferenceStillHeld)
{
    // A host that destroyed the window itself and never called CloseWindow.
    plugin::TDllWindowIntf* intf = module.Create(app, &host);
    delete intf->Widget();
    EXPECT_EQ(host.RefCount(), 1u);
    ASSERT_TRUE(module.Unload()) << "library still loaded";
    EXPECT_EQ(host.RefCount(), 0u);

    // Loaded again, it starts from nothing.
    LoadedModule again;
    ASSERT_TRUE(again.IsLoaded()) << again.ErrorString().toStdString();
    again.Close();
    EXPECT_EQ(host.RefCount(), 0u);
    intf = again.Create(app, &host);
    EXPECT_EQ(host.RefCount(), 1u);
    again.Close();
}
