#pragma once
// The PL/SQL subset of anonymous blocks, parsed once into the syntax tree of BlockAst.h.
#include "host/db/blocks/BlockAst.h"

namespace host::db::plsql {

// Throws platform::EDatabaseError ("ORA-06550: line L, column C:" and the reason) on text
// outside the subset.
std::shared_ptr<const Program> ParseBlock(const QString& text);

} // namespace host::db::plsql
