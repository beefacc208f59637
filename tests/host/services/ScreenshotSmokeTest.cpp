// The built jxc-host, run as a user would start it, unattended: a fresh SQLite database, an
// operator on the command line, a picture of the window, a clean exit.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString HostExecutable()
{
    // The host is built beside the module.
    return QFileInfo(QStringLiteral(JXC_MODULE_PATH)).dir().filePath(QStringLiteral("jxc-host"));
}

struct HostRun {
    int exitCode = -1;
    QString out;
    QString err;
};

HostRun RunHost(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(HostExecutable(), args);
    HostRun r;
    if (!p.waitForStarted(30000))
        return r;
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// Lines the unattended host writes for every message box it would have shown.
QStringList MessageLines(const QString& err)
{
    QStringList out;
    for (const QString& line : err.split(u'\n'))
        if (line.startsWith(u'['))
            out << line;
    return out;
}

class ScreenshotSmoke : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(QStringLiteral(JXC_MODULE_PATH)) || !QFileInfo(HostExecutable()).isExecutable())
            GTEST_SKIP() << "jxc-host or the module library is not built";
        ASSERT_TRUE(dir.isValid());
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList Common() const
    {
        return {QStringLiteral("--db"), QStringLiteral("sqlite:") + Path("demo.sqlite"), QStringLiteral("--config"),
                Path("config")};
    }
    QTemporaryDir dir;
};

TEST_F(ScreenshotSmoke, FirstStartCreatesTheDemoAndPicturesTheWindow)
{
    const HostRun r = RunHost(Common() + QStringList{QStringLiteral("--operator"), QStringLiteral("001"),
                                                 QStringLiteral("--screenshot"), Path("shot.png")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(MessageLines(r.err).isEmpty()) << "a clean start shows no message: " << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(Path("demo.sqlite")));
    EXPECT_TRUE(QFileInfo::exists(Path("config/Host.ini")));

    QImage shot(Path("shot.png"));
    ASSERT_FALSE(shot.isNull());
    EXPECT_GE(shot.width(), 1000);
    EXPECT_GE(shot.height(), 600);
    // A real picture: many colours, not a blank rectangle.
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 20);

    // The second start opens the same database as it is.
    const HostRun again = RunHost(Common() + QStringList{QStringLiteral("--operator"), QStringLiteral("002"),
                                                     QStringLiteral("--screenshot"), Path("shot2.png")});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(Path("shot2.png")));
}

TEST_F(ScreenshotSmoke, FailuresEndWithAReasonAndANonZeroCode)
{
    HostRun r = RunHost(Common() + QStringList{QStringLiteral("--operator"), QStringLiteral("001"), QStringLiteral("--module"),
                                       Path("missing.so"), QStringLiteral("--screenshot"), Path("x.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("找不到模块文件"))) << r.err.toStdString();

    r = RunHost({QStringLiteral("--no-such-option")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no-such-option")));

}

} // namespace
