// The programs' log file: warnings and errors of any category land in it with their category,
// debug and info do not, and a full log is rotated keeping the set number of old ones.
#include "platform/core/FileLog.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

Q_LOGGING_CATEGORY(lcTest, "jxc.test")

QString Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class FileLogTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_STATE_HOME", dir.path().toUtf8()); }
    void TearDown() override
    {
        platform::RemoveFileLog();
        qunsetenv("XDG_STATE_HOME");
    }
    QTemporaryDir dir;
};

TEST_F(FileLogTest, WarningsAndErrorsAreWrittenWithTheirCategoryAndStatement)
{
    platform::FileLogOptions o;
    o.echo = false;
    const QString path = platform::InstallFileLog("jxc-test", o);
    EXPECT_EQ(path, QDir(dir.path()).filePath("jxc/jxc-test.log"));
    qCDebug(lcTest) << "not kept";
    qCInfo(lcTest) << "not kept either";
    qCWarning(lcTest).noquote() << QStringLiteral("库存不足\nSQL: select 1");
    qCCritical(lcTest) << "critical";
    const QString text = Read(path);
    EXPECT_FALSE(text.contains("not kept"));
    EXPECT_TRUE(text.contains(QStringLiteral("警告 jxc.test: 库存不足\n    SQL: select 1\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("错误 jxc.test: critical")));
}

TEST_F(FileLogTest, AFullLogIsRotatedAndTheOldestDropped)
{
    platform::FileLogOptions o;
    o.echo = false;
    o.maxBytes = 200;
    o.keep = 2;
    const QString path = platform::InstallFileLog("jxc-test", o);
    for (int i = 0; i < 40; ++i)
        qCWarning(lcTest) << "line" << i << QByteArray(30, 'x');
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(QFile::exists(path + ".1"));
    EXPECT_TRUE(QFile::exists(path + ".2"));
    EXPECT_FALSE(QFile::exists(path + ".3"));
    EXPECT_LE(QFile(path).size(), 200 + 120);
    EXPECT_TRUE(Read(path).contains("line 39"));
}

} // namespace
