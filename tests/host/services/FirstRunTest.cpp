// Which database jxc-host opens without --db: the choice remembered in the user's settings, the
// demo file an earlier version left, or the first-run dialog's answer, which is remembered.
#include "host/shell/DatabaseChoice.h"

#include "host/admin/DemoData.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FirstRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The demo file and the settings in a folder of their own.
        QStandardPaths::setTestModeEnabled(true);
        QFile::remove(host::db::DefaultDatabasePath());
    }
    void TearDown() override
    {
        QFile::remove(host::db::DefaultDatabasePath());
        QStandardPaths::setTestModeEnabled(false);
    }
    QTemporaryDir dir;
    QSettings settings{dir.filePath("host.ini"), QSettings::IniFormat};
};

TEST_F(FirstRunTest, NothingChosenAndNoDemoFileAsksThenTheAnswerIsRemembered)
{
    EXPECT_FALSE(host::DatabaseWithoutAsking(settings));
    host::RememberDatabase(settings, {"postgresql://db.example/jxc?user=clerk01", "/etc/jxc/ca.crt", false});
    const auto again = host::DatabaseWithoutAsking(settings);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->target, "postgresql://db.example/jxc?user=clerk01");
    EXPECT_EQ(again->ca, "/etc/jxc/ca.crt");
    EXPECT_FALSE(again->insecure);
}

TEST_F(FirstRunTest, AnEarlierVersionsDemoFileIsTakenWithoutAsking)
{
    QFile demo(host::db::DefaultDatabasePath());
    ASSERT_TRUE(demo.open(QIODevice::WriteOnly));
    demo.close();
    const auto choice = host::DatabaseWithoutAsking(settings);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->target, host::DemoTarget());
}

TEST_F(FirstRunTest, TheDialogOffersTheDemoFirstAndAServerWithItsCaFile)
{
    host::FirstRunDialog d;
    struct {
        QRadioButton* rbDemo;
        QRadioButton* rbServer;
        QLineEdit* edtServer;
        QLineEdit* edtCa;
        QCheckBox* cbInsecure;
        QLabel* lblError;
        QDialogButtonBox* buttons;
    } f{d.findChild<QRadioButton*>("rbDemo"), d.findChild<QRadioButton*>("rbServer"),
        d.findChild<QLineEdit*>("edtServer"), d.findChild<QLineEdit*>("edtCa"), d.findChild<QCheckBox*>("cbInsecure"),
        d.findChild<QLabel*>("lblError"), d.findChild<QDialogButtonBox*>("buttons")};
    ASSERT_TRUE(f.rbDemo && f.rbServer && f.edtServer && f.edtCa && f.cbInsecure && f.lblError && f.buttons);
    EXPECT_TRUE(f.rbDemo->isChecked());
    EXPECT_TRUE(f.rbDemo->text().contains(QStringLiteral("jxc-demo.sqlite")));
    EXPECT_FALSE(f.edtServer->isEnabled());
    EXPECT_EQ(d.Choice().target, host::DemoTarget());

    f.rbServer->setChecked(true);
    EXPECT_TRUE(f.edtServer->isEnabled());
    // No address: refused in the dialog, which stays open.
    f.buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(f.lblError->text(), QStringLiteral("请填写数据库服务器的地址"));
    EXPECT_EQ(d.result(), 0);
    f.edtServer->setText(" postgresql://db.example/jxc ");
    f.edtCa->setText(dir.filePath("missing.crt"));
    f.buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(f.lblError->text(), QStringLiteral("无法读取 CA 证书文件"));
    f.edtCa->clear();
    f.cbInsecure->setChecked(true);
    f.buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const host::DatabaseChoice c = d.Choice();
    EXPECT_EQ(c.target, "postgresql://db.example/jxc");
    EXPECT_TRUE(c.ca.isEmpty());
    EXPECT_TRUE(c.insecure);
}

} // namespace
