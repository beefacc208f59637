#include "host/admin/Passwords.h"

#include "host/db/dialect/Dialect.h"
#include "platform/core/Dataset.h"
#include "platform/core/Exception.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <algorithm>
#include <memory>
#include <sodium.h>

namespace host::admin {

namespace {

const QLatin1String kSha256("sha256:");

void InitSodium()
{
    if (sodium_init() < 0)
        throw platform::Exception(QStringLiteral("密码库无法初始化"));
}

QString Argon2(const QByteArray& secret)
{
    InitSodium();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, secret.constData(), quint64(secret.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        throw platform::Exception(QStringLiteral("内存不足，无法计算密码的散列值"));
    return QString::fromLatin1(out);
}

bool IsArgon2(const QString& stored) { return stored.startsWith(QLatin1String("$argon2")); }

bool Argon2Matches(const QString& hash, const QByteArray& secret)
{
    InitSodium();
    const QByteArray h = hash.toLatin1();
    return crypto_pwhash_str_verify(h.constData(), secret.constData(), quint64(secret.size())) == 0;
}

QByteArray Sha256Hex(const QString& plain)
{
    return QCryptographicHash::hash(plain.toUtf8(), QCryptographicHash::Sha256).toHex();
}

// In time that does not depend on where the two differ.
bool SameBytes(const QByteArray& a, const QByteArray& b)
{
    return a.size() == b.size() && sodium_memcmp(a.constData(), b.constData(), size_t(a.size())) == 0;
}

// The legacy forms a row may still hold: plain text, or "sha256:<hex>".
bool LegacyMatches(const QString& stored, const QString& plain)
{
    if (stored.startsWith(kSha256, Qt::CaseInsensitive)) {
        const QString rest = stored.mid(kSha256.size()).trimmed();
        if (IsArgon2(rest))
            return false;
        return SameBytes(Sha256Hex(plain), rest.toLatin1().toLower());
    }
    return SameBytes(plain.toUtf8(), stored.toUtf8());
}

struct PasswordRow {
    bool exists = false;
    QString hash;
    int failures = 0;
    QDateTime nextTry, lockedUntil;

    void ClearFailures()
    {
        failures = 0;
        nextTry = lockedUntil = QDateTime();
    }
};

PasswordRow ReadRow(db::DbService& db, qint64 operatorId)
{
    PasswordRow row;
    std::unique_ptr<platform::Dataset> ds(db.OpenQuery(
        QStringLiteral("select PasswordHash, Failures, NextTry, LockedUntil from sys_password where OperatorID = :1"),
        {operatorId}));
    if (!ds || ds->IsEmpty())
        return row;
    row.exists = true;
    row.hash = ds->FieldByName(QStringLiteral("PasswordHash")).AsString();
    row.failures = int(ds->FieldByName(QStringLiteral("Failures")).AsInteger());
    row.nextTry = ds->FieldByName(QStringLiteral("NextTry")).AsDateTime();
    row.lockedUntil = ds->FieldByName(QStringLiteral("LockedUntil")).AsDateTime();
    return row;
}

// Writes the operator's row: created on first need, e.g. when a legacy operator fails a login.
void WriteRow(db::DbService& db, qint64 operatorId, const PasswordRow& row)
{
    const QVariant next = row.nextTry.isValid() ? QVariant(row.nextTry) : QVariant();
    const QVariant locked = row.lockedUntil.isValid() ? QVariant(row.lockedUntil) : QVariant();
    if (row.exists)
        db.ExecSql(QStringLiteral("update sys_password set PasswordHash = :1, Failures = :2, NextTry = :3, LockedUntil = :4"
                                  " where OperatorID = :5"),
                   {row.hash, row.failures, next, locked, operatorId});
    else
        db.ExecSql(QStringLiteral("insert into sys_password (OperatorID, PasswordHash, Failures, NextTry, LockedUntil)"
                                  " values (:1, :2, :3, :4, :5)"),
                   {operatorId, row.hash, row.failures, next, locked});
}

// The old password column emptied once a hash stands in for it.
void ClearLegacyPassword(db::DbService& db, qint64 operatorId)
{
    db.ExecSql(QStringLiteral("update sys_operator set Password = '' where OperatorID = :1"), {operatorId});
}

qint64 OperatorIdOf(db::DbService& db, const QString& operatorCode)
{
    const QString id = db.QueryValue(QStringLiteral("select OperatorID from sys_operator where OperatorCode = :1"),
                                     {operatorCode.trimmed()});
    if (id.isEmpty())
        throw platform::Exception(QStringLiteral("操作员“%1”不存在").arg(operatorCode.trimmed()));
    return id.toLongLong();
}

qint64 SecondsUntil(const QDateTime& now, const QDateTime& until) { return std::max<qint64>(1, now.secsTo(until)); }

// The Argon2 hash of secret under the settings of a stored one ("$argon2id$v=19$m=..,t=..,p=1$
// salt$"), in the same string form; empty when the settings are not of that form or ask for
// more than a workstation should spend.
QString Argon2WithSettings(const QString& settings, const QByteArray& secret)
{
    static const QRegularExpression form(
        QStringLiteral("^\\$(argon2id|argon2i)\\$v=19\\$m=(\\d+),t=(\\d+),p=1\\$([A-Za-z0-9+/]+)\\$$"));
    const QRegularExpressionMatch m = form.match(settings);
    if (!m.hasMatch())
        return {};
    const quint64 kib = m.captured(2).toULongLong(), ops = m.captured(3).toULongLong();
    if (kib == 0 || kib > 1024 * 1024 || ops == 0 || ops > 64)
        return {};
    const QByteArray salt64 = m.captured(4).toLatin1();
    unsigned char salt[crypto_pwhash_SALTBYTES];
    size_t saltLength = 0;
    if (sodium_base642bin(salt, sizeof salt, salt64.constData(), size_t(salt64.size()), nullptr, &saltLength, nullptr,
                          sodium_base64_VARIANT_ORIGINAL_NO_PADDING)
            != 0
        || saltLength != sizeof salt)
        return {};
    InitSodium();
    unsigned char hash[32]; // the length libsodium's string form keeps
    const int alg = m.captured(1) == u"argon2id" ? crypto_pwhash_ALG_ARGON2ID13 : crypto_pwhash_ALG_ARGON2I13;
    if (crypto_pwhash(hash, sizeof hash, secret.constData(), quint64(secret.size()), salt, ops, size_t(kib) * 1024, alg) != 0)
        throw platform::Exception(QStringLiteral("内存不足，无法计算密码的散列值"));
    char encoded[sodium_base64_ENCODED_LEN(sizeof hash, sodium_base64_VARIANT_ORIGINAL_NO_PADDING)];
    sodium_bin2base64(encoded, sizeof encoded, hash, sizeof hash, sodium_base64_VARIANT_ORIGINAL_NO_PADDING);
    return settings + QString::fromLatin1(encoded);
}

struct FirstRow : db::RowSink {
    QVector<QVariant> values;
    void Columns(const QVector<db::ResultColumn>&) override {}
    bool Row(QVariant* v) override
    {
        if (values.isEmpty())
            values = QVector<QVariant>(v, v + 3);
        return true;
    }
};

// A login on a server: the password table is out of the workstation's reach, so it asks for
// the stored hash's settings, works the hash of what was entered out under them, and lets the
// server's login function compare, count the failures and bind the session to the operator.
// A legacy or weaker form is sent hashed afresh beside, for the server to keep on success.
LoginCheck CheckServerLogin(db::DbService& db, qint64 operatorId, const QString& entered)
{
    db::Connection& c = db.GetConnection();
    FirstRow settingsRow;
    c.ExecNative(QStringLiteral("SELECT jxc_login_settings($1), NULL, NULL"), {operatorId}, &settingsRow);
    const QString settings = settingsRow.values.value(0).toString();
    QString proof;
    bool current = false; // a hash of today's strength: nothing to send beside
    if (settings == u"plain") {
        proof = entered;
    } else if (settings == u"sha256") {
        proof = QString::fromLatin1(Sha256Hex(entered));
    } else if (settings.startsWith(kSha256)) {
        proof = kSha256 + Argon2WithSettings(settings.mid(kSha256.size()), Sha256Hex(entered));
    } else if (!settings.isEmpty()) {
        proof = Argon2WithSettings(settings, entered.toUtf8());
        current = !proof.isEmpty()
            && crypto_pwhash_str_needs_rehash(proof.toLatin1().constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                              crypto_pwhash_MEMLIMIT_INTERACTIVE)
                == 0;
    }
    const QString fresh = settings.isEmpty() || current ? QString() : HashPassword(entered);
    FirstRow result;
    c.ExecNative(QStringLiteral("SELECT outcome, seconds, token FROM jxc_login($1, $2, $3)"), {operatorId, proof, fresh},
                 &result);
    if (result.values.isEmpty())
        throw platform::EDatabaseError(QStringLiteral("数据库没有回答登录"));
    LoginCheck check{LoginOutcome(result.values[0].toInt()), result.values[1].toLongLong()};
    if (check.outcome == LoginOutcome::Ok)
        c.SetSessionToken(result.values[2].toString());
    return check;
}

} // namespace

QString HashPassword(const QString& plain)
{
    return Argon2(plain.toUtf8());
}

bool VerifyPassword(const QString& stored, const QString& plain)
{
    if (IsArgon2(stored))
        return Argon2Matches(stored, plain.toUtf8());
    if (stored.startsWith(kSha256, Qt::CaseInsensitive) && IsArgon2(stored.mid(kSha256.size())))
        return Argon2Matches(stored.mid(kSha256.size()), Sha256Hex(plain));
    return LegacyMatches(stored, plain);
}

LoginCheck CheckLogin(db::DbService& db, qint64 operatorId, const QString& entered, const QDateTime& now)
{
    if (db::ServerKeepsRights(db.GetConnection()))
        return CheckServerLogin(db, operatorId, entered);
    PasswordRow row = ReadRow(db, operatorId);
    if (row.lockedUntil.isValid() && now < row.lockedUntil)
        return {LoginOutcome::Locked, SecondsUntil(now, row.lockedUntil)};
    if (row.nextTry.isValid() && now < row.nextTry)
        return {LoginOutcome::TooSoon, SecondsUntil(now, row.nextTry)};
    const QString legacy =
        db.QueryValue(QStringLiteral("select Password from sys_operator where OperatorID = :1"), {operatorId});
    const QString stored = row.hash.isEmpty() ? legacy : row.hash;
    if (stored.isEmpty())
        return {IsDemoDatabase(db) ? LoginOutcome::Ok : LoginOutcome::NoPassword, 0};

    if (VerifyPassword(stored, entered)) {
        // Anything but a current Argon2id hash is hashed afresh now that the plain text is known.
        const bool rehash = !IsArgon2(stored)
            || crypto_pwhash_str_needs_rehash(stored.toLatin1().constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                              crypto_pwhash_MEMLIMIT_INTERACTIVE)
                != 0;
        if (rehash)
            row.hash = HashPassword(entered);
        if (rehash || row.failures != 0 || row.nextTry.isValid() || row.lockedUntil.isValid() || !row.exists) {
            row.ClearFailures();
            WriteRow(db, operatorId, row);
        }
        if (!legacy.isEmpty())
            ClearLegacyPassword(db, operatorId);
        return {LoginOutcome::Ok, 0};
    }

    LoginCheck check{LoginOutcome::Wrong, 0};
    row.failures += 1;
    row.nextTry = row.lockedUntil = QDateTime();
    if (row.failures >= MaxLoginFailures) {
        row.failures = 0; // a new round of tries once the lock has run out
        row.lockedUntil = now.addSecs(LockoutMinutes * 60);
        check = {LoginOutcome::Locked, LockoutMinutes * 60};
    } else if (row.failures >= 2) {
        check.seconds = qint64(1) << (row.failures - 2); // 1, 2, 4 seconds
        row.nextTry = now.addSecs(check.seconds);
    }
    WriteRow(db, operatorId, row);
    return check;
}

QString LoginMessage(const LoginCheck& check)
{
    switch (check.outcome) {
    case LoginOutcome::Ok:
        return {};
    case LoginOutcome::Wrong:
        return check.seconds > 0 ? QStringLiteral("密码不正确，请%1秒后再试").arg(check.seconds)
                                 : QStringLiteral("密码不正确");
    case LoginOutcome::NoPassword:
        return QStringLiteral("该操作员还没有设置密码，请管理员用 jxc-admin passwd 设置后再登录");
    case LoginOutcome::Locked:
        return QStringLiteral("密码连续输错%1次，该操作员已被锁定，请%2分钟后再试，或请管理员用 jxc-admin unlock 解锁")
            .arg(MaxLoginFailures)
            .arg((check.seconds + 59) / 60);
    case LoginOutcome::TooSoon:
        return QStringLiteral("请%1秒后再试").arg(check.seconds);
    }
    return {};
}

QDateTime DatabaseNow(db::DbService& db)
{
    std::unique_ptr<platform::Dataset> ds(db.OpenQuery(QStringLiteral("select sysdate as now from dual")));
    const QDateTime now = ds && !ds->IsEmpty() ? ds->FieldAt(0).AsDateTime() : QDateTime();
    return now.isValid() ? now : QDateTime::currentDateTime();
}

void SetPassword(db::DbService& db, const QString& operatorCode, const QString& plain)
{
    if (plain.isEmpty())
        throw platform::Exception(QStringLiteral("密码不能为空"));
    const qint64 id = OperatorIdOf(db, operatorCode);
    PasswordRow row = ReadRow(db, id);
    row.hash = HashPassword(plain);
    row.ClearFailures();
    WriteRow(db, id, row);
    ClearLegacyPassword(db, id);
}

int MigratePasswords(db::DbService& db)
{
    std::unique_ptr<platform::Dataset> ds(db.OpenQuery(
        QStringLiteral("select OperatorID, Password from sys_operator where Password is not null and Password <> ''")));
    std::vector<std::pair<qint64, QString>> legacy;
    for (ds->First(); !ds->Eof(); ds->Next())
        legacy.emplace_back(ds->FieldByName(QStringLiteral("OperatorID")).AsInteger(),
                            ds->FieldByName(QStringLiteral("Password")).AsString());
    int moved = 0;
    for (const auto& [id, stored] : legacy) {
        PasswordRow row = ReadRow(db, id);
        if (row.hash.isEmpty()) { // a hash set since wins over the old column
            if (stored.startsWith(kSha256, Qt::CaseInsensitive))
                row.hash = kSha256 + Argon2(stored.mid(kSha256.size()).trimmed().toLower().toLatin1());
            else
                row.hash = HashPassword(stored);
            WriteRow(db, id, row);
            ++moved;
        }
        ClearLegacyPassword(db, id);
    }
    return moved;
}

void UnlockOperator(db::DbService& db, const QString& operatorCode)
{
    const qint64 id = OperatorIdOf(db, operatorCode);
    PasswordRow row = ReadRow(db, id);
    if (!row.exists)
        return;
    row.ClearFailures();
    WriteRow(db, id, row);
}

bool IsDemoDatabase(db::DbService& db)
{
    return db.QueryValue(QStringLiteral("select SettingValue from sys_setting where SettingName = 'DemoDatabase'")) == u"1";
}

void MarkDemoDatabase(db::Connection& c)
{
    db::Execute(c, QStringLiteral("insert into sys_setting (SettingName, SettingValue) values ('DemoDatabase', '1')"));
}

} // namespace host::admin
