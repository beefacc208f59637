#pragma once
// The PostgreSQL back end of anonymous blocks: a parsed block becomes one PL/pgSQL DO block, sent
// in one round trip inside the caller's writer transaction. Variables become PL/pgSQL variables
// (jxc_v<slot>) of matching types; SQL inside the block goes through the same translator as plain
// statements, with those variables in place of binds. Errors come back worded as the in-process
// runner words them: the Oracle error, "ORA-06512: at line L" and the statement.
// No UI; every failure throws platform::EDatabaseError.
#include "host/db/blocks/BlockAst.h"
#include "host/db/Connection.h"

#include <memory>
#include <vector>

namespace host::db {

struct DoBlock {
    // Empty when the block cannot be expressed on the server; `fallback` then says why, and the
    // in-process runner takes the block (EXECUTE IMMEDIATE, table.column%TYPE variables).
    QString text;
    QString fallback;
    // What each line of the code came from, by the line number the server reports (from 1).
    // The statements belong to the program the block was emitted from.
    struct Origin {
        const plsql::Stmt* stmt = nullptr;
        int declaredSlot = -1; // the line initialises this variable
    };
    std::vector<Origin> lines;
};

// The DO block for a parsed program. Never throws for a program the parser accepted: text the
// translator refuses becomes an error raised where the statement stands, as the runner raises it
// when it gets there.
std::shared_ptr<const DoBlock> EmitDoBlock(const plsql::Program& program);

// Sends the block; the caller owns the transaction. Throws EDatabaseError worded as RunProgram's.
void RunDoBlock(Connection& c, const plsql::Program& program, const DoBlock& block);

} // namespace host::db
