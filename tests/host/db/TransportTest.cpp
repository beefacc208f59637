// A database server on another host is reached only over TLS verified against a certificate
// authority, unless the user says --db-insecure; a server on this machine needs no TLS.
#include "host/db/engines/PgConnection.h"
#include "platform/core/Exception.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using host::db::TransportPolicy;

const QString kRefusal = QStringLiteral("--db-ca");

// The message Open fails with, or "<connected>".
QString OpenError(const QString& target, const TransportPolicy& policy = {})
{
    try {
        host::db::Open(target, policy);
    } catch (const platform::EDatabaseError& e) {
        return e.Message();
    }
    return QStringLiteral("<connected>");
}

TEST(Transport, AnotherHostWithoutVerifiedTlsIsRefusedBeforeAnythingIsSent)
{
    // 192.0.2.1 is a documentation address: nothing answers there, so a refusal that names the
    // options proves no connection was tried (a try would end in a timeout message instead).
    for (const char* target : {"host=192.0.2.1 dbname=jxc connect_timeout=1",
                               "host=db.example.com dbname=jxc sslmode=require connect_timeout=1",
                               "postgresql://jxc@192.0.2.1/jxc?connect_timeout=1",
                               "host=/var/run/postgresql,192.0.2.1 dbname=jxc connect_timeout=1"}) {
        const QString e = OpenError(QString::fromLatin1(target));
        EXPECT_TRUE(e.contains(kRefusal) && e.contains(QStringLiteral("--db-insecure"))) << target << ": " << e.toStdString();
    }
}

TEST(Transport, InsecureOrACertificateAuthorityLetsTheConnectionBeTried)
{
    const QString remote = QStringLiteral("host=192.0.2.1 dbname=jxc connect_timeout=1");
    const QString insecure = OpenError(remote, TransportPolicy{QString(), true});
    EXPECT_FALSE(insecure.contains(kRefusal)) << insecure.toStdString();
    EXPECT_TRUE(insecure.startsWith(QStringLiteral("Cannot connect to the database server"))) << insecure.toStdString();

    // With an authority the server's certificate is verified: one that is missing ends the
    // connection at the handshake, on this machine's server too.
    QTemporaryDir dir;
    const QString ca = dir.filePath(QStringLiteral("missing-ca.crt"));
    const QString local = OpenError(QStringLiteral("host=localhost dbname=jxc_test connect_timeout=3"), TransportPolicy{ca, false});
    EXPECT_FALSE(local.contains(kRefusal)) << local.toStdString();
    EXPECT_NE(local, QStringLiteral("<connected>"));
    EXPECT_TRUE(local.contains(QStringLiteral("SSL"), Qt::CaseInsensitive) || local.contains(QStringLiteral("certificate"))
                || local.contains(QStringLiteral("Connection refused")))
        << local.toStdString();
}

TEST(Transport, ThisMachinesServerNeedsNoTls)
{
    const QString target = qEnvironmentVariable("JXC_TEST_PG");
    if (target.isEmpty())
        GTEST_SKIP() << "JXC_TEST_PG is not set";
    auto c = host::db::Open(target);
    auto* pg = dynamic_cast<host::db::PgConnection*>(c.get());
    ASSERT_NE(pg, nullptr);
    EXPECT_EQ(pg->GetTransport(), host::db::PgConnection::Transport::Local);
}

// The test script gives the server a certificate for localhost from an authority of its own.
TEST(Transport, AServerReachedOverTlsWithItsCertificateVerified)
{
    const QString target = qEnvironmentVariable("JXC_TEST_PG"), ca = qEnvironmentVariable("JXC_TEST_PG_CA");
    if (target.isEmpty() || ca.isEmpty())
        GTEST_SKIP() << "JXC_TEST_PG and JXC_TEST_PG_CA are not both set";
    auto c = host::db::Open(QStringLiteral("host=localhost ") + target, TransportPolicy{ca, false});
    auto* pg = dynamic_cast<host::db::PgConnection*>(c.get());
    ASSERT_NE(pg, nullptr);
    EXPECT_EQ(pg->GetTransport(), host::db::PgConnection::Transport::Verified);
    // A name the certificate does not carry fails the verification.
    const QString wrongName = OpenError(QStringLiteral("host=127.0.0.2 hostaddr=127.0.0.1 ") + target, TransportPolicy{ca, false});
    EXPECT_TRUE(wrongName.contains(QStringLiteral("does not match host name"))) << wrongName.toStdString();
}

} // namespace
