// A login's cost: checking an operator's password through the login check (its row read, the
// Argon2id hash verified, the result recorded) against libsodium verifying the same hash alone.
// The hash is meant to be slow; this keeps a login well under a second and shows what the rest
// of the check adds.
#include "bench/BenchSupport.h"

#include "host/admin/Passwords.h"

#include <sodium.h>

namespace {

jxcbench::Pairs pairs;
jxcbench::IterationClock lastLogin;

void BM_Login_Paired(benchmark::State& state)
{
    host::db::DemoOptions o;
    o.bills = 0;
    jxcbench::SeededSqlite db(o);
    host::db::DbService& svc = db.Service();
    host::admin::SetPassword(svc, QStringLiteral("001"), QStringLiteral("口令-bench"));
    const qint64 id = svc.QueryValue(QStringLiteral("select OperatorID from sys_operator where OperatorCode = '001'")).toLongLong();
    const QByteArray hash =
        svc.QueryValue(QStringLiteral("select PasswordHash from sys_password where OperatorID = :1"), {id}).toLatin1();
    const QByteArray password = QStringLiteral("口令-bench").toUtf8();
    if (sodium_init() < 0)
        state.SkipWithError("libsodium did not start");
    for (auto _ : state) {
        jxcbench::IterationClock loginClock, rawClock;
        const auto login = [&] {
            loginClock.Start();
            const auto check = host::admin::CheckLogin(svc, id, QStringLiteral("口令-bench"), QDateTime::currentDateTime());
            loginClock.Stop();
            if (check.outcome != host::admin::LoginOutcome::Ok)
                state.SkipWithError("the login was refused");
        };
        const auto raw = [&] {
            rawClock.Start();
            const int rc = crypto_pwhash_str_verify(hash.constData(), password.constData(), quint64(password.size()));
            rawClock.Stop();
            if (rc != 0)
                state.SkipWithError("the hash did not verify");
        };
        if (pairs.Count() % 2 == 0) {
            login();
            raw();
        } else {
            raw();
            login();
        }
        pairs.Add(loginClock, rawClock);
        lastLogin = loginClock;
    }
}

BENCHMARK(BM_Login_Paired)->Unit(benchmark::kMillisecond)->Iterations(jxcbench::PairCount(15));

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    pairs.Print();
    std::printf("A login takes %.0f ms of wall time (%.0f ms of CPU)\n", lastLogin.Mean() * 1e3, lastLogin.CpuMean() * 1e3);
    pairs.Report("login");
    return 0;
}
