#pragma once
// One fuzzer input each: the text as a user or the module would send it to the database service.
// Each returns normally for any text; a refusal is a platform::Exception caught inside. Anything
// else (a crash, a sanitizer report, an endless run) is a fault.
#include <QString>
#include <QStringList>

namespace fuzz {

void Tokenizer(const QString& text);
void DialectSqlite(const QString& text);
void DialectPostgresql(const QString& text);
void BlockParser(const QString& text);
// Parses and runs the block on an in-memory SQLite database with the real schema, inside a
// transaction that is rolled back; the run is bounded to a number of steps.
void BlockRunner(const QString& text);

// The targets by name (the fuzzers' names without "fuzz_"), for the regression replay.
QStringList TargetNames();
void RunTarget(const QString& name, const QString& text);

} // namespace fuzz
