#pragma once
// Anonymous PL/SQL blocks on an engine that has none: the block is parsed once (cached by its
// text) and interpreted statement by statement on the Connection. SQL statements inside the
// block are sent through Execute with the block's variables bound as :1, :2 ...
// The caller owns the transaction; every failure throws platform::EDatabaseError.
#include "host/db/Connection.h"

namespace host::db {

// IsBlock and RunBlock are declared in Connection.h.

} // namespace host::db
