// The window base: modified mark, the developer notice, rights by Tag, the caption timer.
#include "plugin/DllWindow.h"
#include "plugin/Host.h"
#include "tests/support/ModuleHarness.h"

#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class DllWindowTest : public ::testing::Test {
protected:
    ScriptedApplication app;
    TestHost host;
    ModuleScope scope{app, &host};
};

} // namespace

TEST_F(DllWindowTest, DesignedLookAndEmptyPluginToolbar)
{
    TDllWindowForm w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("DllWindowForm"));
    EXPECT_EQ(w.size(), QSize(671, 422));
    EXPECT_EQ(w.font().pixelSize(), 12);
    EXPECT_EQ(w.font().family(), QStringLiteral("宋体"));
    auto* bar = w.findChild<QToolBar*>(QStringLiteral("dxToolBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("插件工具栏"));
    EXPECT_TRUE(bar->actions().isEmpty());
    EXPECT_EQ(w.dxBarToolBar->Bar(QStringLiteral("dxToolBar")), bar);
    EXPECT_EQ(w.Component(0), w.dxBarToolBar);
    EXPECT_FALSE(w.GetModified());
}

TEST_F(DllWindowTest, ModifiedMarkGoesOnTheDockingContainer)
{
    QWidget container;
    container.setWindowTitle(QStringLiteral("host"));
    auto* w = new TDllWindowForm;
    w->setWindowTitle(QStringLiteral("ABC"));
    w->setParent(&container, Qt::Widget);
    auto* layout = new QVBoxLayout(&container);
    layout->addWidget(w);

    w->SetModified(true);
    EXPECT_TRUE(w->GetModified());
    EXPECT_EQ(container.windowTitle(), QStringLiteral("ABC*"));
    w->SetModified(true);
    EXPECT_EQ(container.windowTitle(), QStringLiteral("ABC*"));
    w->SetModified(false);
    EXPECT_FALSE(w->GetModified());
    EXPECT_EQ(container.windowTitle(), QStringLiteral("ABC"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("ABC"));
}

TEST_F(DllWindowTest, ModifiedWithoutContainerOnlyKeepsTheFlag)
{
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("owner"));
    // A dialog with a parent is still a window of its own, not docked.
    TDllWindowForm w(&owner);
    w.setWindowTitle(QStringLiteral("ABC"));
    w.SetModified(true);
    EXPECT_TRUE(w.GetModified());
    EXPECT_EQ(owner.windowTitle(), QStringLiteral("owner"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("ABC"));

    TDllWindowForm alone;
    alone.SetModified(true);
    EXPECT_TRUE(alone.GetModified());
    EXPECT_EQ(alone.windowTitle(), QStringLiteral("DllWindowForm"));
}

TEST_F(DllWindowTest, SaveDataNotOverriddenShowsDeveloperNoticeAndFails)
{
    TDllWindowForm w;
    plugin::TDllWindowIntf& intf = w;
    EXPECT_FALSE(intf.SaveData());
    ASSERT_EQ(app.Boxes().size(), 1);
    const MessageBoxRecord& box = app.Boxes().first();
    EXPECT_EQ(box.text, QStringLiteral("开发人员请注意，SaveData方法需要重载！"));
    EXPECT_EQ(box.caption, QStringLiteral("提示"));
    EXPECT_EQ(box.buttons, platform::mbOK);
    EXPECT_EQ(box.icon, platform::MessageIcon::Information);
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
}

TEST_F(DllWindowTest, HostValueAndUnitCodeBelongToTheHost)
{
    TDllWindowForm w;
    plugin::TDllWindowIntf& intf = w;
    intf.SetHostValue(-32768);
    EXPECT_EQ(intf.GetHostValue(), -32768);
    // The host sets these by name on the docked widget.
    ASSERT_TRUE(intf.Widget()->setProperty("UnitCode", QStringLiteral("JXC_DBD")));
    EXPECT_EQ(w.GetUnitCode(), QStringLiteral("JXC_DBD"));
    intf.Widget()->setProperty("Tag", 3105);
    EXPECT_EQ(platform::Tag(&w), 3105);
}

TEST_F(DllWindowTest, RightsPassTheTagAsDecimalTextAndReleaseTheService)
{
    TestRights rights;
    rights.Browse[QStringLiteral("3105")] = 3;
    rights.Operate[QStringLiteral("3105")] = 1;
    host.SetRights(&rights);
    TDllWindowForm w;
    platform::SetTag(&w, 3105);

    EXPECT_EQ(w.RightsLevel(), 3);
    EXPECT_EQ(w.OperateRight(), 1);
    EXPECT_EQ(rights.Calls, QStringList({QStringLiteral("CanBrowse:3105"), QStringLiteral("CanOperate:3105")}));
    EXPECT_EQ(host.Calls(QStringLiteral("GetRights")), 2);
    EXPECT_EQ(rights.RefCount(), 1u); // only the test host's own reference

    platform::SetTag(&w, 0);
    EXPECT_EQ(w.RightsLevel(), 0);
    EXPECT_EQ(rights.Calls.last(), QStringLiteral("CanBrowse:0"));
    host.SetRights(nullptr);
}

TEST_F(DllWindowTest, InitWindowMakesAStoppedOneMillisecondTimerThatDoneWindowFrees)
{
    TDllWindowForm w;
    w.InitWindow();
    ASSERT_NE(w.CaptionTimer, nullptr);
    EXPECT_FALSE(w.CaptionTimer->isActive());
    EXPECT_EQ(w.CaptionTimer->interval(), 1);
    QPointer<QTimer> first = w.CaptionTimer;
    w.InitWindow();
    EXPECT_TRUE(first.isNull());
    QPointer<QTimer> timer = w.CaptionTimer;
    w.DoneWindow();
    EXPECT_EQ(w.CaptionTimer, nullptr);
    EXPECT_TRUE(timer.isNull());
    w.DoneWindow();
}

TEST_F(DllWindowTest, CaptionTimerRetitlesThePreviewAndStops)
{
    TDllWindowForm w;
    w.InitWindow();
    QWidget other;
    other.setWindowTitle(QStringLiteral("打印"));
    app.SetTopLevelWindows({&other});
    w.CaptionTimer->start();
    // A loaded machine may not run the 1 ms timer within any fixed wait: wait for its rounds.
    QTRY_VERIFY_WITH_TIMEOUT(app.TopLevelQueries() >= 20, 5000); // no preview to find: it keeps looking
    EXPECT_TRUE(w.CaptionTimer->isActive());
    EXPECT_GT(app.TopLevelQueries(), 0);

    QWidget preview;
    preview.setWindowTitle(QStringLiteral("打印预览"));
    app.SetTopLevelWindows({&other, &preview});
    QTRY_VERIFY_WITH_TIMEOUT(!w.CaptionTimer->isActive(), 1000);
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("打印预览"));
    EXPECT_EQ(other.windowTitle(), QStringLiteral("打印"));
    const int queries = app.TopLevelQueries();
    QTest::qWait(10); // ten rounds of the 1 ms timer, had it not stopped
    EXPECT_EQ(app.TopLevelQueries(), queries);
    EXPECT_TRUE(app.HandledExceptions().isEmpty());
}

TEST_F(DllWindowTest, CaptionTimerSearchesTheModulesScreenOnly)
{
    // A preview window the module's screen object does not list is not seen.
    TDllWindowForm w;
    w.InitWindow();
    QWidget preview;
    preview.setWindowTitle(QStringLiteral("打印预览"));
    preview.show();
    app.SetTopLevelWindows({});
    w.CaptionTimer->start();
    QTest::qWait(20); // twenty rounds of the 1 ms timer that must not see the unlisted preview
    EXPECT_TRUE(w.CaptionTimer->isActive());
    app.UseRealTopLevelWindows();
    QTRY_VERIFY_WITH_TIMEOUT(!w.CaptionTimer->isActive(), 1000);
}
