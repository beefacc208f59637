// Operators' passwords on both engines: Argon2id hashes in their own table, legacy rows that
// still log in and are hashed at their first good login or by migrate-passwords, the wait after
// failures and the lockout, no empty password outside a demo database, and the admin commands.
#include "AdminRun.h"
#include "host/admin/AdminTool.h"
#include "host/admin/DemoData.h"
#include "host/admin/Passwords.h"
#include "host/db/dialect/Dialect.h"
#include "host/db/engines/SqliteConnection.h"
#include "platform/core/Exception.h"
#include "tests/support/DbTestEnv.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

using host::admin::LoginOutcome;

TEST(PasswordHashes, Argon2idSaltedAndTheLegacyFormsStillMatch)
{
    const QString a = host::admin::HashPassword(QStringLiteral("口令1")), b = host::admin::HashPassword(QStringLiteral("口令1"));
    EXPECT_TRUE(a.startsWith(QLatin1String("$argon2id$"))) << a.toStdString();
    EXPECT_NE(a, b) << "each hash has its own salt";
    EXPECT_TRUE(host::admin::VerifyPassword(a, QStringLiteral("口令1")));
    EXPECT_FALSE(host::admin::VerifyPassword(a, QStringLiteral("口令2")));
    EXPECT_FALSE(host::admin::VerifyPassword(a, QString()));

    const QString hex = QString::fromLatin1(QCryptographicHash::hash("口令1", QCryptographicHash::Sha256).toHex());
    EXPECT_TRUE(host::admin::VerifyPassword(QStringLiteral("sha256:") + hex, QStringLiteral("口令1")));
    EXPECT_TRUE(host::admin::VerifyPassword(QStringLiteral("SHA256:") + hex.toUpper(), QStringLiteral("口令1")));
    EXPECT_FALSE(host::admin::VerifyPassword(QStringLiteral("sha256:") + hex, QStringLiteral("口令2")));
    EXPECT_TRUE(host::admin::VerifyPassword(QStringLiteral("abc"), QStringLiteral("abc")));
    EXPECT_FALSE(host::admin::VerifyPassword(QStringLiteral("abc"), QStringLiteral("abd")));
    EXPECT_FALSE(host::admin::VerifyPassword(QStringLiteral("abc"), QStringLiteral("ab")));
}

class Passwords : public jxctest::DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const QString hex = QString::fromLatin1(QCryptographicHash::hash("旧口令", QCryptographicHash::Sha256).toHex());
        Db().ExecSql(QStringLiteral("begin"
                                    " insert into sys_operator (OperatorID, OperatorCode, OperatorName, Password) values (1, '001', '张三', 'plain1');"
                                    " insert into sys_operator (OperatorID, OperatorCode, OperatorName, Password) values (2, '002', '李四', 'sha256:%1');"
                                    " insert into sys_operator (OperatorID, OperatorCode, OperatorName, Password) values (3, '003', '王五', '');"
                                    "end;")
                         .arg(hex));
    }

    host::admin::LoginCheck Login(qint64 id, const QString& password) { return host::admin::CheckLogin(Db(), id, password, at); }
    // Time passing between logins: the embedded engine's check is given the time; a server
    // counts in its own clock, so there the stored waits are moved back instead.
    void Pass(int seconds)
    {
        at = at.addSecs(seconds);
        if (GetEngine() == host::db::Engine::PostgreSQL)
            Conn().ExecNative(QStringLiteral("UPDATE sys_password SET NextTry = NextTry - make_interval(secs => %1),"
                                             " LockedUntil = LockedUntil - make_interval(secs => %1)")
                                  .arg(seconds),
                              {}, nullptr);
    }
    QString Value(const QString& sql) { return Db().QueryValue(sql); }
    QString HashOf(int id) { return Value(QStringLiteral("select PasswordHash from sys_password where OperatorID = %1").arg(id)); }
    QString Legacy(int id) { return Value(QStringLiteral("select Password from sys_operator where OperatorID = %1").arg(id)); }

    QDateTime at = QDateTime(QDate(2026, 12, 9), QTime(9, 0, 0));
};

TEST_P(Passwords, ALegacyPasswordLogsInAndIsHashedAtItsFirstGoodLogin)
{
    EXPECT_EQ(Login(1, QStringLiteral("plain2")).outcome, LoginOutcome::Wrong);
    EXPECT_EQ(Legacy(1), QStringLiteral("plain1")) << "a failure changes no password";
    EXPECT_EQ(Login(1, QStringLiteral("plain1")).outcome, LoginOutcome::Ok);
    EXPECT_TRUE(Legacy(1).isEmpty()) << "the plain text is gone";
    EXPECT_TRUE(HashOf(1).startsWith(QLatin1String("$argon2id$")));
    EXPECT_EQ(Login(1, QStringLiteral("plain1")).outcome, LoginOutcome::Ok);
    EXPECT_EQ(Login(1, QStringLiteral("plain2")).outcome, LoginOutcome::Wrong);

    EXPECT_EQ(Login(2, QStringLiteral("旧口令")).outcome, LoginOutcome::Ok);
    EXPECT_TRUE(Legacy(2).isEmpty());
    EXPECT_TRUE(HashOf(2).startsWith(QLatin1String("$argon2id$")));
}

TEST_P(Passwords, FailuresWaitLongerAndTheFifthLocksForAQuarterOfAnHour)
{
    EXPECT_EQ(Login(1, QStringLiteral("x")).outcome, LoginOutcome::Wrong);
    const auto second = Login(1, QStringLiteral("x"));
    EXPECT_EQ(second.outcome, LoginOutcome::Wrong);
    EXPECT_EQ(second.seconds, 1);
    // Even the right password waits its turn.
    const auto early = Login(1, QStringLiteral("plain1"));
    EXPECT_EQ(early.outcome, LoginOutcome::TooSoon);
    EXPECT_EQ(host::admin::LoginMessage(early), QStringLiteral("请1秒后再试"));
    Pass(1);
    EXPECT_EQ(Login(1, QStringLiteral("x")).seconds, 2);
    Pass(2);
    EXPECT_EQ(Login(1, QStringLiteral("x")).seconds, 4);
    Pass(4);
    const auto fifth = Login(1, QStringLiteral("x"));
    EXPECT_EQ(fifth.outcome, LoginOutcome::Locked);
    EXPECT_EQ(fifth.seconds, 15 * 60);
    EXPECT_TRUE(host::admin::LoginMessage(fifth).contains(QStringLiteral("15分钟")));
    // Locked: the right password is refused too, from any workstation, until the time is up.
    Pass(14 * 60);
    EXPECT_EQ(Login(1, QStringLiteral("plain1")).outcome, LoginOutcome::Locked);
    Pass(60);
    EXPECT_EQ(Login(1, QStringLiteral("plain1")).outcome, LoginOutcome::Ok);
    // A good login starts the count again.
    Pass(60);
    EXPECT_EQ(Login(1, QStringLiteral("x")).seconds, 0);
}

TEST_P(Passwords, UnlockClearsTheLockout)
{
    for (int i = 0; i < 5; ++i) {
        Login(1, QStringLiteral("x"));
        Pass(60);
    }
    ASSERT_EQ(Login(1, QStringLiteral("plain1")).outcome, LoginOutcome::Locked);
    host::admin::UnlockOperator(Db(), QStringLiteral("001"));
    EXPECT_EQ(Login(1, QStringLiteral("plain1")).outcome, LoginOutcome::Ok);
    EXPECT_THROW(host::admin::UnlockOperator(Db(), QStringLiteral("999")), platform::Exception);
}

TEST_P(Passwords, NoPasswordLogsInOnlyOnADemoDatabase)
{
    const auto none = Login(3, QString());
    EXPECT_EQ(none.outcome, LoginOutcome::NoPassword);
    EXPECT_TRUE(host::admin::LoginMessage(none).contains(QStringLiteral("jxc-admin passwd")));
    EXPECT_FALSE(host::admin::IsDemoDatabase(Db()));
    host::admin::MarkDemoDatabase(Conn());
    EXPECT_TRUE(host::admin::IsDemoDatabase(Db()));
    EXPECT_EQ(Login(3, QString()).outcome, LoginOutcome::Ok);
    // A password that is set is asked for on a demo database too.
    EXPECT_EQ(Login(1, QString()).outcome, LoginOutcome::Wrong);
}

INSTANTIATE_TEST_SUITE_P(Engines, Passwords,
                         ::testing::Values(host::db::Engine::SQLite, host::db::Engine::PostgreSQL), ::jxctest::EngineName);

TEST(AdminPasswords, PasswdMigratePasswordsAndUnlock)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("p.db"));
    ASSERT_EQ(Admin({"--db", target, "init"}).rc, 0);
    const QString hex = QString::fromLatin1(QCryptographicHash::hash("旧口令", QCryptographicHash::Sha256).toHex());
    ASSERT_EQ(Admin({"--db", target, "sql",
                     QStringLiteral("begin insert into sys_operator (OperatorID, OperatorCode, OperatorName, Password)"
                                    " values (1, '001', 'a', 'plain1'); insert into sys_operator (OperatorID, OperatorCode,"
                                    " OperatorName, Password) values (2, '002', 'b', 'sha256:%1'); end;")
                         .arg(hex)})
                  .rc,
              0);

    const AdminRun migrated = Admin({"--db", target, "migrate-passwords"});
    ASSERT_EQ(migrated.rc, 0) << migrated.err.toStdString();
    EXPECT_EQ(migrated.out, QStringLiteral("2 passwords moved into hashes\n"));
    plugin::IntfPtr<host::db::DbService> db(new host::db::DbService(host::db::Open(target)));
    EXPECT_EQ(db->QueryValue(QStringLiteral("select count(*) from sys_operator where Password <> ''")), QStringLiteral("0"));
    EXPECT_EQ(db->QueryValue(QStringLiteral("select count(*) from sys_password where PasswordHash like '%argon2id%'")),
              QStringLiteral("2"));
    // Both still log in with what they had; the SHA-256 one is hashed afresh from the plain text.
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_EQ(host::admin::CheckLogin(*db, 1, QStringLiteral("plain1"), now).outcome, LoginOutcome::Ok);
    EXPECT_EQ(host::admin::CheckLogin(*db, 2, QStringLiteral("旧口令"), now).outcome, LoginOutcome::Ok);
    EXPECT_TRUE(db->QueryValue(QStringLiteral("select PasswordHash from sys_password where OperatorID = 2"))
                    .startsWith(QLatin1String("$argon2id$")));

    // passwd reads the password from standard input; an empty one changes nothing.
    EXPECT_EQ(Admin({"--db", target, "passwd", "001"}, "新口令\n").rc, 0);
    EXPECT_EQ(host::admin::CheckLogin(*db, 1, QStringLiteral("新口令"), now).outcome, LoginOutcome::Ok);
    EXPECT_EQ(host::admin::CheckLogin(*db, 1, QStringLiteral("plain1"), now).outcome, LoginOutcome::Wrong);
    EXPECT_EQ(Admin({"--db", target, "passwd", "001"}, "\n").rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", target, "passwd", "001", "新口令"}).rc, host::admin::ExitUsage);
    EXPECT_EQ(Admin({"--db", target, "passwd", "999"}, "x\n").rc, host::admin::ExitFailed);

    for (int i = 0; i < 5; ++i)
        host::admin::CheckLogin(*db, 1, QStringLiteral("x"), now.addSecs(10 * i));
    EXPECT_EQ(host::admin::CheckLogin(*db, 1, QStringLiteral("新口令"), now.addSecs(60)).outcome, LoginOutcome::Locked);
    EXPECT_EQ(Admin({"--db", target, "unlock", "001"}).rc, 0);
    EXPECT_EQ(host::admin::CheckLogin(*db, 1, QStringLiteral("新口令"), now.addSecs(60)).outcome, LoginOutcome::Ok);
}

TEST(DemoMark, OnlyDemoSeedingMarksADatabase)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("plain.db"));
    ASSERT_EQ(Admin({"--db", plain, "init"}).rc, 0);
    plugin::IntfPtr<host::db::DbService> a(new host::db::DbService(host::db::Open(plain)));
    EXPECT_FALSE(host::admin::IsDemoDatabase(*a));

    const QString demo = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("demo.db"));
    ASSERT_EQ(Admin({"--db", demo, "seed-demo", "--bills", "3"}).rc, 0);
    plugin::IntfPtr<host::db::DbService> b(new host::db::DbService(host::db::Open(demo)));
    EXPECT_TRUE(host::admin::IsDemoDatabase(*b));
}

TEST(SqliteFile, ANewDatabaseFileIsReadableByItsOwnerOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("own.db"));
    {
        host::db::SqliteConnection c(path);
        host::db::Execute(c, QStringLiteral("create table t (x integer)"));
        host::db::Execute(c, QStringLiteral("insert into t values (1)"));
        for (const QString& f : {path, path + QStringLiteral("-wal")}) {
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(f).constData(), &st), 0) << f.toStdString();
            EXPECT_EQ(st.st_mode & 0777, 0600u) << f.toStdString();
        }
    }
    // A file that exists keeps the permissions its owner gave it.
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    host::db::SqliteConnection again(path);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

} // namespace
