#pragma once
// One fuzzer input each: the text as a user or the module would send it to the database service,
// or a file the workbook reader is given. Each returns normally for any input; a refusal is a
// platform::Exception caught inside. Anything else (a crash, a sanitizer report, an endless run
// or a memory blow-up) is a fault.
#include <QByteArray>
#include <QString>
#include <QPair>
#include <QStringList>
#include <QVector>

namespace platform::excel { struct BookData; }

namespace fuzz {

void Tokenizer(const QString& text);
void DialectSqlite(const QString& text);
void DialectPostgresql(const QString& text);
void BlockParser(const QString& text);
// Parses and runs the block on an in-memory SQLite database with the real schema, inside a
// transaction that is rolled back; the run is bounded to a number of steps.
void BlockRunner(const QString& text);

// The first byte chooses what the rest is: 0 (mod 4) a whole .xlsx file; 1 the rows of a
// sheet, 2 the items of the shared strings, 3 the inside of the styles part, each wrapped into
// a valid minimal workbook (random bytes rarely pass an archive's checksums). The book read is
// recalculated as the spreadsheet book does after loading.
void Workbook(const QByteArray& input);
// What Workbook does with the input, without catching: the book read and recalculated, or the
// reader's platform::Exception.
platform::excel::BookData ReadWorkbookInput(const QByteArray& input);
// Inputs in Workbook's form: small valid workbooks of each kind, the fuzzer's seed corpus.
QVector<QPair<QString, QByteArray>> WorkbookSeeds();

// The targets by name (the fuzzers' names without "fuzz_"), for the regression replay. Text
// targets read the input as UTF-8.
QStringList TargetNames();
void RunTarget(const QString& name, const QByteArray& input);

} // namespace fuzz
