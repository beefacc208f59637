// A login's cost: checking an operator's password through the login check (its row read, the
// Argon2id hash verified, the result recorded) against libsodium verifying the same hash alone.
// The hash is meant to be slow; this keeps a login well under a second and shows what the rest
// of the check adds.
#include "bench/BenchSupport.h"

#include "host/admin/Passwords.h"

#include <sodium.h>

int main()
{
    try {
        host::db::DemoOptions o;
        o.bills = 0;
        jxcbench::SeededSqlite db(o);
        host::db::DbService& svc = db.Service();
        const QString password = QStringLiteral("口令-bench");
        host::admin::SetPassword(svc, QStringLiteral("001"), password);
        const qint64 id =
            svc.QueryValue(QStringLiteral("select OperatorID from sys_operator where OperatorCode = '001'")).toLongLong();
        const QByteArray hash =
            svc.QueryValue(QStringLiteral("select PasswordHash from sys_password where OperatorID = :1"), {id}).toLatin1();
        const QByteArray plain = password.toUtf8();
        if (sodium_init() < 0)
            throw std::runtime_error("libsodium did not start");
        jxcbench::IterationClock last;
        const jxcbench::Pairs pairs = jxcbench::RunPairs(
            "login", jxcbench::PairCount(),
            [&](jxcbench::IterationClock& c) {
                c.Start();
                const auto check = host::admin::CheckLogin(svc, id, password, QDateTime::currentDateTime());
                c.Stop();
                if (check.outcome != host::admin::LoginOutcome::Ok)
                    throw std::runtime_error("the login was refused");
                last = c;
            },
            [&](jxcbench::IterationClock& c) {
                c.Start();
                const int rc = crypto_pwhash_str_verify(hash.constData(), plain.constData(), quint64(plain.size()));
                c.Stop();
                if (rc != 0)
                    throw std::runtime_error("the hash did not verify");
            });
        pairs.Print();
        std::printf("A login takes %.0f ms of wall time (%.0f ms of CPU)\n", last.Mean() * 1e3, last.CpuMean() * 1e3);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
