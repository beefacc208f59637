// CreateWindow / CloseWindow semantics, run in-process on the entry logic the library's two
// exports forward to.
#include "platform/core/Exception.h"
#include "plugin/Entry.h"
#include "plugin/Host.h"
#include "tests/support/ScriptedApplication.h"
#include "tests/support/TestHost.h"

#include <QPointer>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace testsupport;

namespace {

struct Probe {
    uint32_t refsDuringConstruction = 0;
    plugin::IFactoryIntf* hostDuringConstruction = nullptr;
    bool fail = false;
};
Probe* g_probe = nullptr;
TestHost* g_probeHost = nullptr;

TDllWindowForm* MakeWindow()
{
    if (g_probe) {
        g_probe->hostDuringConstruction = plugin::Host();
        if (g_probeHost)
            g_probe->refsDuringConstruction = g_probeHost->RefCount();
        if (g_probe->fail)
            throw std::runtime_error("construction failed");
    }
    return new TDllWindowForm;
}

class EntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ownApplication = platform::Application();
        ownScreen = platform::Screen();
    }
    void TearDown() override
    {
        plugin::EnterCloseWindow();
        g_probe = nullptr;
        g_probeHost = nullptr;
        EXPECT_EQ(platform::Application(), ownApplication);
        EXPECT_EQ(platform::Screen(), ownScreen);
        EXPECT_EQ(plugin::Host(), nullptr);
    }

    platform::TApplication* ownApplication = nullptr;
    platform::TScreen* ownScreen = nullptr;
};

} // namespace

TEST_F(EntryTest, CloseWithoutCreateAndTwiceChangesNothing)
{
    plugin::EnterCloseWindow();
    EXPECT_EQ(platform::Application(), ownApplication);
    EXPECT_EQ(platform::Screen(), ownScreen);
    EXPECT_EQ(plugin::Host(), nullptr);
    EXPECT_EQ(plugin::MainWindow(), nullptr);

    ScriptedApplication app;
    TestHost host;
    plugin::EnterCreateWindow(&app, &app, &host, &MakeWindow);
    plugin::EnterCloseWindow();
    plugin::EnterCloseWindow();
    EXPECT_EQ(platform::Application(), ownApplication);
    EXPECT_EQ(platform::Screen(), ownScreen);
    EXPECT_EQ(host.RefCount(), 0u);
    EXPECT_EQ(host.OverReleases(), 0);
}

TEST_F(EntryTest, CreateSwapsObjectsAndHoldsOneReference)
{
    ScriptedApplication app;
    TestHost host;
    Probe probe;
    g_probe = &probe;
    g_probeHost = &host;

    plugin::TDllWindowIntf* intf = plugin::EnterCreateWindow(&app, &app, &host, &MakeWindow);
    ASSERT_NE(intf, nullptr);
    EXPECT_EQ(intf->Widget(), plugin::MainWindow());
    EXPECT_EQ(platform::Application(), &app);
    EXPECT_EQ(platform::Screen(), &app);
    EXPECT_EQ(plugin::SavedApplication(), ownApplication);
    EXPECT_EQ(plugin::SavedScreen(), ownScreen);
    // While the window is made, the call's own reference and the stored one are both held.
    EXPECT_EQ(probe.hostDuringConstruction, &host);
    EXPECT_EQ(probe.refsDuringConstruction, 2u);
    EXPECT_EQ(host.RefCount(), 1u);
    // Only construction ran: no set-up, so no timer yet.
    EXPECT_EQ(plugin::MainWindow()->CaptionTimer, nullptr);
    EXPECT_TRUE(plugin::MainWindow()->parent() == nullptr);

    // The module's message boxes now go to the host's application.
    plugin::MainWindow()->SaveData();
    EXPECT_EQ(app.Boxes().size(), 1);

    QPointer<TDllWindowForm> window = plugin::MainWindow();
    plugin::EnterCloseWindow();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(plugin::MainWindow(), nullptr);
    EXPECT_EQ(plugin::SavedApplication(), nullptr);
    EXPECT_EQ(host.RefCount(), 0u);
}

TEST_F(EntryTest, SecondCreateKeepsFirstSavedObjectsAndFreesOnlyTheSecondWindow)
{
    ScriptedApplication app1, app2;
    TestHost host1, host2;

    plugin::EnterCreateWindow(&app1, &app1, &host1, &MakeWindow);
    QPointer<TDllWindowForm> first = plugin::MainWindow();
    plugin::EnterCreateWindow(&app2, &app2, &host2, &MakeWindow);
    QPointer<TDllWindowForm> second = plugin::MainWindow();

    ASSERT_FALSE(first.isNull());
    EXPECT_NE(first, second);
    EXPECT_EQ(platform::Application(), &app2);
    EXPECT_EQ(platform::Screen(), &app2);
    EXPECT_EQ(plugin::SavedApplication(), ownApplication);
    EXPECT_EQ(plugin::SavedScreen(), ownScreen);
    EXPECT_EQ(plugin::Host(), &host2);
    EXPECT_EQ(host1.RefCount(), 0u);
    EXPECT_EQ(host2.RefCount(), 1u);

    plugin::EnterCloseWindow();
    EXPECT_TRUE(second.isNull());
    EXPECT_FALSE(first.isNull()); // the host's to free
    EXPECT_EQ(platform::Application(), ownApplication);
    EXPECT_EQ(platform::Screen(), ownScreen);
    EXPECT_EQ(host2.RefCount(), 0u);
    EXPECT_EQ(host1.OverReleases() + host2.OverReleases(), 0);
    delete first.data();
}

TEST_F(EntryTest, SameFactoryTwiceStaysHeldOnce)
{
    ScriptedApplication app;
    TestHost host;
    plugin::EnterCreateWindow(&app, &app, &host, &MakeWindow);
    QPointer<TDllWindowForm> first = plugin::MainWindow();
    plugin::EnterCreateWindow(&app, &app, &host, &MakeWindow);
    EXPECT_EQ(host.RefCount(), 1u);
    plugin::EnterCloseWindow();
    EXPECT_EQ(host.RefCount(), 0u);
    EXPECT_EQ(host.OverReleases(), 0);
    delete first.data();
}

TEST_F(EntryTest, FailedConstructionPropagatesAndLeavesTheSwapForClose)
{
    ScriptedApplication app;
    TestHost host;
    Probe probe;
    probe.fail = true;
    g_probe = &probe;
    g_probeHost = &host;

    EXPECT_THROW(plugin::EnterCreateWindow(&app, &app, &host, &MakeWindow), std::runtime_error);
    EXPECT_EQ(platform::Application(), &app);
    EXPECT_EQ(platform::Screen(), &app);
    EXPECT_EQ(plugin::Host(), &host);
    // The call's own reference went with the exception.
    EXPECT_EQ(host.RefCount(), 1u);
    EXPECT_EQ(plugin::MainWindow(), nullptr);

    plugin::EnterCloseWindow();
    EXPECT_EQ(host.RefCount(), 0u);
}

TEST_F(EntryTest, WindowTheHostAlreadyDestroyedIsNotFreedAgain)
{
    ScriptedApplication app;
    TestHost host;
    plugin::EnterCreateWindow(&app, &app, &host, &MakeWindow);
    delete plugin::MainWindow();
    EXPECT_EQ(plugin::MainWindow(), nullptr);
    plugin::EnterCloseWindow(); // would crash on a dangling pointer
    EXPECT_EQ(host.RefCount(), 0u);
}

TEST_F(EntryTest, NullHostObjectsFallBackToTheModulesOwn)
{
    TestHost host;
    plugin::EnterCreateWindow(nullptr, nullptr, &host, &MakeWindow);
    EXPECT_EQ(platform::Application(), platform::OwnApplication());
    EXPECT_EQ(platform::Screen(), platform::OwnScreen());
    plugin::EnterCloseWindow();
}

TEST(HostReference, HelpersRefuseClearlyWithoutHostOrService)
{
    plugin::SetHost(nullptr);
    EXPECT_THROW(plugin::HostDb(), platform::Exception);
    EXPECT_THROW(plugin::HostOperator(), platform::Exception);

    TestHost host;
    host.SetRights(nullptr);
    plugin::SetHost(&host);
    try {
        plugin::HostRights();
        ADD_FAILURE() << "no exception";
    } catch (const platform::Exception& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("GetRights"))) << e.Message().toStdString();
    }
    EXPECT_EQ(plugin::HostOperator().OperatorCode, host.Operator.OperatorCode);
    plugin::SetHost(nullptr);
    EXPECT_EQ(host.RefCount(), 0u);
}

TEST(HostReference, ServicesAreFetchedPerUseAndReleased)
{
    TestHost host;
    plugin::SetHost(&host);
    {
        auto ini = plugin::HostIni();
        EXPECT_EQ(host.Ini.RefCount(), 1u);
        ini->WriteString(QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"), QStringLiteral("20"),
                         QStringLiteral("Print.ini"));
    }
    EXPECT_EQ(host.Ini.RefCount(), 0u);
    EXPECT_EQ(plugin::HostIni()->ReadString(QStringLiteral("bill_print"), QStringLiteral("PAGE_LINE"),
                                            QStringLiteral("Print.ini"), QStringLiteral("13")),
              QStringLiteral("20"));
    EXPECT_EQ(host.Calls(QStringLiteral("GetIni")), 2);
    EXPECT_EQ(host.Ini.RefCount(), 0u);
    plugin::SetHost(nullptr);
}
