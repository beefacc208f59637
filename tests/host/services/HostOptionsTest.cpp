// The command line of jxc-host.
#include "host/shell/HostOptions.h"
#include "JxcVersion.h"

#include <gtest/gtest.h>

namespace {

QStringList Args(std::initializer_list<const char*> a)
{
    QStringList out{QStringLiteral("jxc-host")};
    for (const char* s : a)
        out << QString::fromUtf8(s);
    return out;
}

TEST(HostOptions, ReadsEveryOptionTrimmed)
{
    QString msg;
    auto o = host::ParseHostOptions(Args({"--db", "sqlite:/tmp/a b.sqlite", "--operator", " 001 ", "--module",
                                          "/x/libjxc-transfer.so", "--screenshot=/tmp/s.png", "--config", "/tmp/cfg",
                                          "--db-ca", " /etc/jxc/ca.crt ", "--db-insecure"}),
                                    &msg);
    ASSERT_TRUE(o) << msg.toStdString();
    EXPECT_EQ(o->database, QStringLiteral("sqlite:/tmp/a b.sqlite"));
    EXPECT_EQ(o->operatorCode, QStringLiteral("001"));
    EXPECT_EQ(o->modulePath, QStringLiteral("/x/libjxc-transfer.so"));
    EXPECT_EQ(o->screenshot, QStringLiteral("/tmp/s.png"));
    EXPECT_EQ(o->configDir, QStringLiteral("/tmp/cfg"));
    EXPECT_EQ(o->databaseCa, QStringLiteral("/etc/jxc/ca.crt"));
    EXPECT_TRUE(o->databaseInsecure);
    auto plain = host::ParseHostOptions(Args({}), &msg);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->databaseInsecure);
    auto help = host::ParseHostOptions(Args({"--help"}), &msg);
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->help);
    EXPECT_TRUE(msg.contains(QStringLiteral("--screenshot")) && msg.startsWith(QStringLiteral("用法：jxc-host")));
    auto version = host::ParseHostOptions(Args({"-V"}), &msg);
    ASSERT_TRUE(version);
    EXPECT_TRUE(version->version);
    EXPECT_EQ(msg, QStringLiteral("jxc-host %1\n").arg(QStringLiteral(JXC_VERSION)));
}

TEST(HostOptions, BadCommandLinesSayWhyWithTheUsage)
{
    QString msg;
    EXPECT_FALSE(host::ParseHostOptions(Args({"--bogus"}), &msg));
    EXPECT_TRUE(msg.contains(QStringLiteral("bogus")) && msg.contains(QStringLiteral("jxc-host --help"))) << msg.toStdString();
    EXPECT_FALSE(host::ParseHostOptions(Args({"--db"}), &msg));
    EXPECT_FALSE(host::ParseHostOptions(Args({"stray"}), &msg));
    EXPECT_TRUE(msg.contains(QStringLiteral("stray")));
    EXPECT_FALSE(host::ParseHostOptions(Args({"--operator", "  "}), &msg));
    EXPECT_TRUE(msg.contains(QStringLiteral("--operator")));
}

} // namespace
