#pragma once
// The in-process runner's way with a bill's thousand inserts: the lone values of an INSERT's
// VALUES list (ValueMark) are sent as bind variables, so that lines alike but for their values
// share one statement text, translated and prepared once.
#include "host/db/blocks/BlockAst.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <limits>

namespace host::db::plsql {

// The statement with its liftable values as bind variables :1, :2 ... in the order of the text.
// binds[k-1] >= 0 is a variable's slot; -1 - j takes values[j]; NowBind takes the engine's
// sysdate at the statement's run.
struct LiftedSql {
    static constexpr int NowBind = std::numeric_limits<int>::min();
    QString text;
    QVector<int> binds;
    QVector<QVariant> values;
};

// Fills out with the lifted form of the statement whose text is text; false when no value lifts,
// and the statement runs as written. A literal lifts when it binds to the value the engine
// would read from its text: a quoted text but '', a whole number that fits 64 bits, a plain
// decimal of at most 15 digits. out keeps its buffers from one statement to the next.
bool LiftInsert(QStringView text, const SqlText& sql, LiftedSql& out);

} // namespace host::db::plsql
