#pragma once
// Operators' passwords and logins. A password is kept as an Argon2id hash in libsodium's string
// form ("$argon2id$v=19$m=...") in sys_password, one row per operator, beside the count of
// failed logins since the last good one, the earliest time of the next try and the end of a
// lockout. Older databases kept sys_operator.Password as plain text or "sha256:<hex>": such an
// operator still logs in, and the first good login moves the password into a hash and clears
// the old column. migrate-passwords does the same for every operator at once; a SHA-256 row,
// whose plain text is unknown, becomes "sha256:" followed by the Argon2id hash of its hex, and
// is hashed afresh at its first good login.
//
// An empty password logs in only on a demo database (one that demo seeding filled and marked).
#include "host/db/DbService.h"
#include "host/db/ServerRights.h"

#include <QDateTime>
#include <QString>

namespace host::admin {

using db::LockoutMinutes;
using db::MaxLoginFailures;

// Argon2id with libsodium's interactive limits. Throws platform::Exception when the machine
// cannot spare the memory.
QString HashPassword(const QString& plain);
// True when plain is the password stored: an Argon2id string, "sha256:" + Argon2id of the
// SHA-256 hex, or a legacy plain or "sha256:<hex>" value.
bool VerifyPassword(const QString& stored, const QString& plain);

enum class LoginOutcome {
    Ok,
    Wrong,      // the password did not match; seconds: how long the next try must wait
    NoPassword, // none is set and the database is no demo
    Locked,     // too many failures; seconds: until the lock ends
    TooSoon     // tried again before the wait after a failure ran out; seconds: what is left
};
struct LoginCheck {
    LoginOutcome outcome = LoginOutcome::Wrong;
    qint64 seconds = 0;
};

// Checks a login of the operator at now (the database's time) and records it: a good one
// clears the failures and stores a hash in place of a legacy password; a wrong one counts, and
// each failure from the second on makes the next try wait longer (1, 2, 4 seconds), the fifth
// locks the operator for LockoutMinutes. On a server the password table is out of a
// workstation's reach: the server's login function checks and counts, in its own time (now is
// not used), and a good login binds the connection's session to the operator.
LoginCheck CheckLogin(db::DbService& db, qint64 operatorId, const QString& entered, const QDateTime& now);
// The login dialog's text for a refused login.
QString LoginMessage(const LoginCheck& check);
// The database's own time, which every workstation's lockouts are counted in.
QDateTime DatabaseNow(db::DbService& db);

// Sets an operator's password (not empty), clearing its legacy one and any lockout.
void SetPassword(db::DbService& db, const QString& operatorCode, const QString& plain);
// Moves every legacy password into a hash; returns how many were moved.
int MigratePasswords(db::DbService& db);
// Clears an operator's failures and lockout.
void UnlockOperator(db::DbService& db, const QString& operatorCode);

// A database demo seeding filled: there, operators without a password log in, and the host
// may start without the login dialog (--operator, --screenshot).
bool IsDemoDatabase(db::DbService& db);
void MarkDemoDatabase(db::Connection& c);

} // namespace host::admin
