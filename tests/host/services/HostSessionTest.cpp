// The host's run: database opening with the demo on first start, operators, login, the
// unattended application object and the last-resort guard.
#include "host/db/Schema.h"
#include "host/db/dialect/Dialect.h"
#include "host/shell/DesktopApplication.h"
#include "host/shell/HostSession.h"
#include "platform/core/Exception.h"
#include "tests/support/ScriptedApplication.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class HostSessionTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    testsupport::ScriptedApplication app;
    QString Target() const { return QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("demo.sqlite")); }
};

TEST_F(HostSessionTest, FirstOpenCreatesTheDemoLaterOpensKeepIt)
{
    {
        host::HostSession s(&app);
        s.OpenDatabase(Target());
        EXPECT_TRUE(s.CreatedDemo());
        EXPECT_GT(s.Db()->QueryValue(QStringLiteral("select count(*) from Sto_AdjustBillMain")).toInt(), 0);
        s.Db()->ExecSql(QStringLiteral("update sys_operator set OperatorName='改过' where OperatorCode='001'"));
    }
    host::HostSession s(&app);
    s.OpenDatabase(Target());
    EXPECT_FALSE(s.CreatedDemo());
    EXPECT_EQ(s.FindOperator(QStringLiteral(" 001 ")).OperatorName, QStringLiteral("改过"));
    EXPECT_THROW(s.FindOperator(QStringLiteral("nobody")), platform::Exception);
    EXPECT_THROW(s.FindOperator(QStringLiteral("001' or '1'='1")), platform::Exception);
    const auto ops = s.Operators();
    ASSERT_GE(ops.size(), 2);
    EXPECT_LT(ops[0].OperatorCode, ops[1].OperatorCode);
}

TEST_F(HostSessionTest, AFailedCreationLeavesNoFile)
{
    host::HostSession s(&app);
    const QString bad = dir.filePath(QStringLiteral("missing/folder/x.sqlite"));
    EXPECT_THROW(s.OpenDatabase(QStringLiteral("sqlite:") + bad), platform::Exception);
    EXPECT_FALSE(QFileInfo::exists(bad));
    EXPECT_EQ(s.Db(), nullptr);
}

TEST_F(HostSessionTest, StartBuildsEveryServiceForTheOperator)
{
    host::HostSession s(&app);
    s.OpenDatabase(Target());
    s.Start(s.FindOperator(QStringLiteral("003")), dir.filePath(QStringLiteral("cfg")), nullptr);
    host::Factory* f = s.GetFactory();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetOperator()->OperatorCode, QStringLiteral("003"));
    const auto& sv = f->Services();
    EXPECT_TRUE(sv.log && sv.ini && sv.printer && sv.ui && sv.db && sv.dict && sv.rights);
    // Rights are the logged-in operator's: 003 may look but not operate.
    const QString id = QString::number(s.PluginId());
    EXPECT_GT(sv.rights->CanBrowse(id), 0);
    EXPECT_EQ(sv.rights->CanOperate(id), 0);
    EXPECT_EQ(sv.ui->StyleRepository(), &s.Styles());
    EXPECT_EQ(s.UnitCode(), QStringLiteral("0001"));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("cfg/Host.ini"))));
}

// Outside the demo the host starts only through the login, and asks for a password.
TEST_F(HostSessionTest, StartingWithoutTheLoginIsForTheDemoDatabaseAlone)
{
    host::HostSession demo(&app);
    demo.OpenDatabase(Target());
    EXPECT_TRUE(host::LoginBypassRefusal(demo, QStringLiteral("--operator")).isEmpty());

    // A database made by init, with an operator of its own and no password set: no demo.
    const QString plain = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("plain.sqlite"));
    {
        auto c = host::db::Open(plain);
        host::db::CreateSchema(*c);
        host::db::Execute(*c, QStringLiteral("insert into sys_operator (OperatorID, OperatorCode, OperatorName) values (1, '001', '张三')"));
    }
    host::HostSession s(&app);
    s.OpenDatabase(plain);
    ASSERT_FALSE(s.CreatedDemo());
    EXPECT_EQ(host::LoginBypassRefusal(s, QStringLiteral("--screenshot")),
              QStringLiteral("--screenshot 只能用于演示数据库：这个数据库的操作员须在登录窗口输入密码登录。"));
    QString errorShown;
    app.QueueDialog([&](QDialog& d) {
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        errorShown = d.findChild<QLabel*>(QStringLiteral("lblError"))->text();
        EXPECT_TRUE(d.isVisible()) << "an empty password does not log in";
        d.reject();
    });
    EXPECT_FALSE(host::RunLogin(s, &app));
    EXPECT_EQ(errorShown, QStringLiteral("该操作员还没有设置密码，请管理员用 jxc-admin passwd 设置后再登录"));
}

TEST_F(HostSessionTest, LoginPicksAnOperatorAndRefusesAWrongPassword)
{
    host::HostSession s(&app);
    s.OpenDatabase(Target());
    s.Db()->ExecSql(QStringLiteral("update sys_operator set Password='pw' where OperatorCode='002'"));

    QString errorShown;
    app.QueueDialog([&](QDialog& d) {
        auto* who = d.findChild<QComboBox*>(QStringLiteral("cbOperator"));
        auto* pw = d.findChild<QLineEdit*>(QStringLiteral("edtPassword"));
        auto* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        who->setCurrentIndex(who->findData(QStringLiteral("002")));
        pw->setText(QStringLiteral("wrong"));
        ok->click();
        errorShown = d.findChild<QLabel*>(QStringLiteral("lblError"))->text();
        EXPECT_TRUE(d.isVisible()) << "a wrong password keeps the dialog open";
        pw->setText(QStringLiteral("pw"));
        ok->click();
    });
    const auto op = host::RunLogin(s, &app);
    ASSERT_TRUE(op);
    EXPECT_EQ(op->OperatorCode, QStringLiteral("002"));
    EXPECT_GT(op->OperatorId, 0);
    EXPECT_EQ(errorShown, QStringLiteral("密码不正确"));

    app.QueueDialog(testsupport::ScriptedApplication::Reject());
    EXPECT_FALSE(host::RunLogin(s, &app));
    EXPECT_TRUE(app.Clean()) << app.Failures().join(u'\n').toStdString();
}

TEST(LastResortGuard, NoExceptionLeavesADelivery)
{
    QStringList reports;
    auto report = [&](const QString& t) { reports << t; };
    EXPECT_TRUE(host::DeliverGuarded([] { return true; }, report));
    EXPECT_FALSE(host::DeliverGuarded([]() -> bool { throw platform::EAbort(); }, report));
    EXPECT_TRUE(reports.isEmpty()) << "an abort is silent";
    EXPECT_FALSE(host::DeliverGuarded([]() -> bool { throw platform::EDatabaseError(QStringLiteral("表不存在")); }, report));
    EXPECT_FALSE(host::DeliverGuarded([]() -> bool { throw std::runtime_error("boom"); }, report));
    EXPECT_FALSE(host::DeliverGuarded([]() -> bool { throw 42; }, report));
    EXPECT_EQ(reports, (QStringList{QStringLiteral("表不存在"), QStringLiteral("boom"), QStringLiteral("未知错误")}));
    // A report that fails itself is not the end either.
    EXPECT_NO_THROW(host::DeliverGuarded([]() -> bool { throw std::runtime_error("x"); },
                                         [](const QString&) { throw std::runtime_error("report"); }));
}

} // namespace
