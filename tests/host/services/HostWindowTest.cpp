// The host window: docking, the merged toolbar, the modified mark, the host commands and
// closing, with a window of our own and with the real module.
#include "host/shell/HostWindow.h"
#include "platform/Component.h"
#include "platform/core/Exception.h"
#include "plugin/DllWindowIntf.h"
#include "tests/support/ScriptedApplication.h"
#include "tests/support/TestHost.h"

#include <QAction>
#include <QDialog>
#include <QApplication>
#include <QFile>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A plug-in window that records what the host asks of it.
class RecordingWindow : public QDialog, public plugin::TDllWindowIntf {
public:
    RecordingWindow()
    {
        setWindowTitle(QStringLiteral("调拨单"));
        auto* layout = new QVBoxLayout(this);
        bar = new QToolBar(QStringLiteral("插件工具栏"), this);
        bar->setObjectName(QStringLiteral("dxToolBar"));
        bar->addAction(QStringLiteral("审核"));
        layout->addWidget(bar);
        ownBar = new QToolBar(QStringLiteral("工具栏"), this);
        ownBar->setObjectName(QStringLiteral("BillBar"));
        layout->addWidget(ownBar);
        layout->addWidget(new QWidget(this), 1);
    }
    void SetModified(bool value) override
    {
        calls << QStringLiteral("SetModified");
        modified = value;
        if (parentWidget() && !isWindow())
            parentWidget()->setWindowTitle(value ? windowTitle() + QStringLiteral("*") : windowTitle());
    }
    bool GetModified() override { return modified; }
    void SetHostValue(int16_t) override {}
    int16_t GetHostValue() override { return 0; }
    void RefreshData() override { Call(QStringLiteral("RefreshData")); }
    bool SaveData() override { Call(QStringLiteral("SaveData")); return saveResult; }
    bool SaveToExcel() override { Call(QStringLiteral("SaveToExcel")); return true; }
    bool ImportData() override { Call(QStringLiteral("ImportData")); return true; }
    bool ReservedQuery() override { return false; }
    void ReservedCommand1() override {}
    void PrintPreview() override { Call(QStringLiteral("PrintPreview")); }
    void PrintData() override { Call(QStringLiteral("PrintData")); }
    bool FindData() override { Call(QStringLiteral("FindData")); return true; }
    void ReservedCommand2() override {}
    void InitWindow() override { Call(QStringLiteral("InitWindow")); }
    void DoneWindow() override { Call(QStringLiteral("DoneWindow")); }
    QWidget* Widget() override { return this; }

    void Call(const QString& name)
    {
        calls << name;
        if (name == failing)
            throw platform::Exception(QStringLiteral("出错了：") + name);
        if (name == aborting)
            throw platform::EAbort();
    }

    QStringList calls;
    bool modified = false;
    bool saveResult = true;
    QString failing;
    QString aborting;
    QToolBar* bar;
    QToolBar* ownBar; // starts empty
};

class HostWindowTest : public ::testing::Test {
protected:
    testsupport::ScriptedApplication app;
    host::HostWindow host{&app, &app};
    RecordingWindow* win = new RecordingWindow; // freed by the test's TearDown

    void SetUp() override
    {
        host.show();
        host.Dock(win, 2001, QStringLiteral("0001"));
    }
    void TearDown() override
    {
        host.Undock();
        delete win;
    }
};

TEST_F(HostWindowTest, DocksTheWindowInATabWithIdAndUnitCode)
{
    ASSERT_EQ(host.Window(), win);
    ASSERT_NE(host.Container(), nullptr);
    EXPECT_EQ(win->parentWidget(), host.Container());
    EXPECT_FALSE(win->isWindow());
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(platform::Tag(win), 2001);
    EXPECT_EQ(win->property("UnitCode").toString(), QStringLiteral("0001"));
    ASSERT_EQ(host.Tabs()->count(), 1);
    EXPECT_EQ(host.Tabs()->tabText(0), QStringLiteral("调拨单"));
    EXPECT_EQ(host.windowTitle(), QStringLiteral("进销存管理系统 - 调拨单"));
    EXPECT_TRUE(win->calls.isEmpty()) << "docking runs no operation";
}

TEST_F(HostWindowTest, ThePluginToolbarJoinsTheHostToolbarArea)
{
    QToolBar* bar = host.MergedToolBar();
    ASSERT_EQ(bar, win->bar);
    EXPECT_EQ(bar->parentWidget(), &host);
    EXPECT_EQ(host.toolBarArea(bar), Qt::TopToolBarArea);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(win->isAncestorOf(bar));

    // The window's other bars join on the same row; an empty one stays out of sight until it
    // gets buttons.
    EXPECT_EQ(host.MergedToolBars(), (QList<QToolBar*>{bar, win->ownBar}));
    EXPECT_EQ(win->ownBar->parentWidget(), &host);
    EXPECT_FALSE(win->ownBar->isVisible());
    win->ownBar->addAction(QStringLiteral("增加"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(win->ownBar->isVisible());
    EXPECT_FALSE(host.toolBarBreak(win->ownBar)) << "one row for the window's bars";
    EXPECT_TRUE(host.toolBarBreak(bar)) << "below the host's own row";

    host.Undock();
    EXPECT_EQ(win->calls, QStringList{QStringLiteral("DoneWindow")});
    EXPECT_EQ(host.Tabs()->count(), 0);
    EXPECT_EQ(host.windowTitle(), QStringLiteral("进销存管理系统"));
    EXPECT_FALSE(host.Command(QStringLiteral("actSave"))->isEnabled()) << "no window, no commands";
    EXPECT_EQ(win->ownBar->parentWidget(), win);
    EXPECT_EQ(bar->parentWidget(), win) << "the bar goes back to its form, which frees it";
    EXPECT_EQ(host.MergedToolBar(), nullptr);
    EXPECT_FALSE(host.findChildren<QToolBar*>().contains(bar));
}

TEST_F(HostWindowTest, ModifiedMarkShowsInTheTabAndTitle)
{
    win->SetModified(true);
    EXPECT_EQ(host.Container()->windowTitle(), QStringLiteral("调拨单*"));
    EXPECT_EQ(host.Tabs()->tabText(0), QStringLiteral("调拨单*"));
    EXPECT_EQ(host.windowTitle(), QStringLiteral("进销存管理系统 - 调拨单*"));
    win->SetModified(false);
    EXPECT_EQ(host.Tabs()->tabText(0), QStringLiteral("调拨单"));
}

TEST_F(HostWindowTest, EachCommandRunsItsOperation)
{
    const std::pair<const char*, const char*> map[] = {
        {"actSave", "SaveData"},         {"actRefresh", "RefreshData"},     {"actExportExcel", "SaveToExcel"},
        {"actImportExcel", "ImportData"}, {"actPrintPreview", "PrintPreview"}, {"actPrint", "PrintData"},
        {"actFind", "FindData"},
    };
    for (const auto& [action, operation] : map) {
        win->calls.clear();
        QAction* a = host.Command(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        EXPECT_TRUE(a->isEnabled());
        a->trigger();
        EXPECT_EQ(win->calls, QStringList{QString::fromLatin1(operation)}) << action;
    }
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
}

TEST_F(HostWindowTest, CommandsWorkFromTheKeyboard)
{
    host.activateWindow();
    QApplication::setActiveWindow(&host);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    win->setFocus();
    QTest::keyClick(win, Qt::Key_F5);
    QTest::keyClick(win, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(win, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(win->calls, (QStringList{QStringLiteral("RefreshData"), QStringLiteral("SaveData"), QStringLiteral("FindData")}));
}

TEST_F(HostWindowTest, EscapeDoesNotTakeTheWindowOutOfTheHost)
{
    win->setFocus();
    QTest::keyClick(win, Qt::Key_Escape);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(host.Window(), win);
}

TEST_F(HostWindowTest, FailuresAreReportedAndAbortsAreSilent)
{
    win->failing = QStringLiteral("PrintData");
    host.Command(QStringLiteral("actPrint"))->trigger();
    ASSERT_EQ(app.HandledExceptions().size(), 1);
    EXPECT_EQ(app.HandledExceptions()[0], QStringLiteral("出错了：PrintData"));

    win->aborting = QStringLiteral("FindData");
    host.Command(QStringLiteral("actFind"))->trigger();
    EXPECT_EQ(app.HandledExceptions().size(), 1);
    EXPECT_EQ(host.Window(), win) << "the window stays usable";
}

TEST_F(HostWindowTest, ClosingAModifiedWindowAsksFirst)
{
    EXPECT_TRUE(host.ConfirmClose()) << "nothing to ask while unmodified";
    EXPECT_TRUE(app.Boxes().isEmpty());
    win->SetModified(true);
    app.QueueAnswer(platform::mbCancel);
    EXPECT_FALSE(host.close());
    EXPECT_EQ(host.Window(), win);

    // Yes, but the save fails: the window stays, nothing is lost.
    win->saveResult = false;
    app.QueueAnswer(platform::mbYes);
    EXPECT_FALSE(host.close());
    EXPECT_EQ(host.Window(), win);
    EXPECT_TRUE(win->calls.contains(QStringLiteral("SaveData")));

    win->saveResult = true;
    win->calls.clear();
    app.QueueAnswer(platform::mbYes);
    EXPECT_TRUE(host.close());
    EXPECT_EQ(win->calls, (QStringList{QStringLiteral("SaveData"), QStringLiteral("DoneWindow")}));
    EXPECT_EQ(host.Window(), nullptr);
    ASSERT_EQ(app.Boxes().size(), 3);
    EXPECT_EQ(app.Boxes()[0].text, QStringLiteral("数据已修改，是否保存？"));
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
}

// The real module, loaded from its library.
TEST(HostWindowModule, OpensDocksAndClosesTheModule)
{
    if (!QFile::exists(QStringLiteral(JXC_MODULE_PATH)))
        GTEST_SKIP() << "module library not built";
    testsupport::ScriptedApplication app;
    testsupport::TestHost factory;
    host::HostWindow host(&app, &app);
    host.show();
    for (int round = 0; round < 2; ++round) { // a second open after a close works as the first
        QString error;
        ASSERT_TRUE(host.OpenModule({QStringLiteral(JXC_MODULE_PATH), 2001, QStringLiteral("0001")}, &factory, &error))
            << error.toStdString();
        QWidget* form = host.Window()->Widget();
        EXPECT_EQ(form->objectName(), QStringLiteral("TWorkWindowForm"));
        EXPECT_EQ(platform::Tag(form), 2001);
        EXPECT_EQ(form->property("UnitCode").toString(), QStringLiteral("0001"));
        EXPECT_EQ(form->parentWidget(), host.Container());
        ASSERT_NE(host.MergedToolBar(), nullptr);
        EXPECT_EQ(host.MergedToolBar()->objectName(), QStringLiteral("dxToolBar"));
        EXPECT_EQ(host.MergedToolBar()->parentWidget(), &host);
        EXPECT_GE(factory.RefCount(), 1u) << "the module holds the factory while open";

        host.CloseModule();
        EXPECT_EQ(host.Window(), nullptr);
        EXPECT_EQ(host.Tabs()->count(), 0);
        EXPECT_EQ(factory.RefCount(), 0u) << "CloseWindow released the factory";
        EXPECT_EQ(factory.OverReleases(), 0);
    }
    EXPECT_TRUE(app.HandledExceptions().isEmpty()) << app.HandledExceptions().join(u'\n').toStdString();
}

} // namespace
