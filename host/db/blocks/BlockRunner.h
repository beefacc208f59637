#pragma once
// Anonymous PL/SQL blocks on an engine that has none: the block is parsed once (cached by its
// text) and interpreted statement by statement on the Connection. SQL statements inside the
// block are sent through Execute with the block's variables bound as :1, :2 ...
// The caller owns the transaction; every failure throws platform::EDatabaseError.
#include "host/db/Connection.h"

namespace host::db {

// Anonymous blocks: "begin ... end;" or "declare ... begin ... end;".
bool IsBlock(const QString& sql);
// Runs the block's statements on the connection; the caller owns the transaction (and rolls it
// back when this throws).
void RunBlock(Connection& c, const QString& block);

} // namespace host::db
