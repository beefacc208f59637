#pragma once
// Who may do what on a shared server. The owner role (the one that runs jxc-admin init) owns
// the schema and alone runs DDL. Workstations log in as roles of the clerk group, which is
// granted exactly what the transfer module and the host send: table by table, column by column
// where a table is only partly written, and nothing that deletes a bill header, changes a stock
// bill, truncates or drops. The passwords, the sessions and the audit trail are out of its
// reach; a login goes through SECURITY DEFINER functions that check the password, count
// failures and tie the database session to the operator (a secret token the session holds);
// triggers enforce the bill rules against a tampered client. Members of the group get a lock
// timeout and an idle-in-transaction timeout, and only the transaction-scoped advisory lock the
// service takes.
//
// The server's functions:
//   jxc_login_settings(operatorId)            the Argon2id settings of the stored password ("$argon2id$v=19$m=..,t=..,p=..$salt$"),
//                                             "sha256:" and those for a migrated SHA-256 row,
//                                             "plain" or "sha256" for a legacy one, '' for none
//   jxc_login(operatorId, proof, newHash)     outcome (LoginOutcome), seconds, token: checks the
//                                             proof the workstation worked out from the
//                                             settings, records the try, and on success binds
//                                             the session (jxc.session) and stores newHash when
//                                             the stored form is older
//   jxc_session_operator()                    the operator bound to this session, for the
//                                             audit trail and the rules
#include "host/db/Connection.h"

#include <QStringList>
#include <vector>

namespace host::db {

// The group role whose members are workstations.
inline constexpr char ClerkGroup[] = "jxc_clerk";
// How long a member's statement waits for a lock, and how long it may sit in a transaction.
inline constexpr char ClerkLockTimeout[] = "30s";
inline constexpr char ClerkIdleTimeout[] = "60s";
// The fifth failed login in a row locks the operator for a quarter of an hour, on every
// workstation (the server's login and the embedded engine's count alike).
inline constexpr int MaxLoginFailures = 5;
inline constexpr int LockoutMinutes = 15;
// The plug-in id whose rights the server checks at audit (the transfer window's).
inline constexpr int ServerTransferPluginId = 2001;

struct ClerkGrant {
    const char* table;
    const char* privilege; // SELECT, INSERT, UPDATE, DELETE, or USAGE for a sequence
    const char* columns;   // nullptr: the whole table
};

// True when the database is a server whose own functions check the logins and keep the
// workstations' rights (init reports them there).
inline bool ServerKeepsRights(const Connection& c) { return c.GetEngine() == Engine::PostgreSQL; }

// Everything the clerk group is granted.
const std::vector<ClerkGrant>& ClerkGrants();

// The statements CreateSchema runs on a server after the tables, in the current schema: the
// sessions and postings tables, the login and rule functions, the triggers and the grants (the
// group is made when the owner may make roles; otherwise the grants wait for it).
QStringList ServerRightsStatements(const QString& schema);

// The statements that give a login role of the group its timeouts (needs the right to change
// roles); the role name quoted as an identifier by the caller.
QStringList ClerkRoleSettings(const QString& quotedRole);

} // namespace host::db
