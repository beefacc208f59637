#pragma once
// Runs a parsed block on a Connection, statement by statement, with Oracle's semantics for
// the subset: typed variables (decimal(p,s) rounds half away from zero on assignment, varchar(n)
// refuses longer text), three-valued conditions, cursors read when opened, select into with
// exactly one row. SQL goes through Execute with the variables bound. Throws
// platform::EDatabaseError whose message starts with the Oracle error and names the line and
// the statement.
#include "host/db/blocks/BlockAst.h"
#include "host/db/Connection.h"

namespace host::db::plsql {

struct RunOptions {
    // Bounds on one run, for callers that run blocks they did not write (the fuzzer). A block
    // that goes past them fails like any other: EDatabaseError, the transaction is the caller's
    // to undo. Statements run plus loop rounds; 0: no bound.
    qint64 maxSteps = 0;
    // Inserts run in their lifted form (InsertLifting.h): literals bound, one text for a bill's lines.
    // For an engine that types a bound value as the value, not by the column it goes to.
    bool bindInsertLiterals = false;
};

void RunProgram(Connection& c, const Program& program, RunOptions options = {});

// Value rules shared with the tests. Numbers become text as Oracle writes them
// (platform::OracleNumberText).
// v rounded to `scale` decimals (negative: to tens, hundreds ...), ties away from zero, judged on
// the shortest decimal form of v (so 2.675 rounds to 2.68 as the typed number would).
double RoundDecimal(double v, int scale);
// The value stored into a variable of this type, or EDatabaseError (ORA-06502 ...).
Value CoerceTo(const SlotInfo& slot, const Value& v);

} // namespace host::db::plsql
