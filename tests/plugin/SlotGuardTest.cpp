// The slot guard: an EAbort ends a handler silently, any other exception reaches the default
// error report, and nothing crosses the event loop.
#include "platform/SlotGuard.h"
#include "plugin/Host.h"
#include "tests/support/ModuleHarness.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace testsupport;

namespace {

class Handlers : public QObject {
public:
    int reached = 0;
    int after = 0;
    void Refuse()
    {
        ++reached;
        plugin::HostMessage()->ShowMessage(QStringLiteral("请先选择一张调拨单！"), 0);
        ++after; // never: the host's message does not return
    }
    void Fail()
    {
        ++reached;
        throw platform::EDatabaseError(QStringLiteral("ORA-00942: table or view does not exist"));
    }
    void FailStd() { throw std::runtime_error("plain failure"); }
    void FailUnknown() { throw 42; }
};

class SlotGuardTest : public ::testing::Test {
protected:
    ScriptedApplication app;
    TestHost host;
    ModuleScope scope{app, &host};
    Handlers handlers;
};

} // namespace

TEST_F(SlotGuardTest, HostRefusalEndsTheHandlerSilently)
{
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &handlers, platform::Guard(&handlers, &Handlers::Refuse));
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(handlers.reached, 2);
    EXPECT_EQ(handlers.after, 0);
    EXPECT_EQ(host.Log.Messages, QStringList(2, QStringLiteral("请先选择一张调拨单！")));
    EXPECT_TRUE(app.HandledExceptions().isEmpty());
    EXPECT_EQ(host.Log.RefCount(), 0u); // released while the exception unwound
}

TEST_F(SlotGuardTest, OtherErrorsReachTheDefaultReportWithTheirMessage)
{
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &handlers, platform::Guard(&handlers, &Handlers::Fail));
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_EQ(app.HandledExceptions().size(), 1);
    EXPECT_EQ(app.HandledExceptions().first(), QStringLiteral("ORA-00942: table or view does not exist"));

    platform::Guarded([&] { handlers.FailStd(); });
    platform::Guarded([&] { handlers.FailUnknown(); });
    ASSERT_EQ(app.HandledExceptions().size(), 3);
    EXPECT_EQ(app.HandledExceptions()[1], QStringLiteral("plain failure"));
    EXPECT_FALSE(app.HandledExceptions()[2].isEmpty());
}

TEST_F(SlotGuardTest, EventLoopGoesOnAfterFailingTimerHandlers)
{
    int later = 0;
    QTimer::singleShot(0, &handlers, platform::Guard(&handlers, &Handlers::Refuse));
    QTimer::singleShot(0, &handlers, platform::Guard(&handlers, &Handlers::Fail));
    QTimer::singleShot(5, &handlers, [&] { ++later; });
    QTRY_COMPARE_WITH_TIMEOUT(later, 1, 1000);
    EXPECT_EQ(handlers.reached, 2);
    EXPECT_EQ(app.HandledExceptions().size(), 1);
}

TEST_F(SlotGuardTest, SignalArgumentsTheHandlerDoesNotTakeAreDropped)
{
    struct Target : QObject {
        bool checkedSeen = false;
        int plain = 0;
        void WithArg(bool checked) { checkedSeen = checked; }
        void WithoutArg() { ++plain; }
    } t;
    QPushButton button;
    button.setCheckable(true);
    QObject::connect(&button, &QPushButton::clicked, &t, platform::Guard(&t, &Target::WithArg));
    QObject::connect(&button, &QPushButton::clicked, &t, platform::Guard(&t, &Target::WithoutArg));
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_TRUE(t.checkedSeen);
    EXPECT_EQ(t.plain, 1);
}
