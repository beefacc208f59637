#pragma once
// What differs between the engines outside their connections and schema, one class per engine:
// the translator and the bulk writers ask the rules of the connection's engine and never test
// the engine themselves. RulesFor is the one place that chooses.
#include "host/db/Connection.h"

#include <QDateTime>
#include <vector>

namespace host::db {

class EngineRules {
public:
    virtual ~EngineRules() = default;

    // Positional parameter n (from 1).
    virtual QString Param(int n) const = 0;
    // A quoted identifier, written as Oracle reads it.
    virtual QString QuotedIdentifier(const QString& name) const = 0;
    // Oracle's sysdate: the server's local time without fractions, as Oracle's DATE holds it.
    virtual QString Sysdate() const = 0;
    // A date constant, from its canonical text.
    virtual QString DateConstant(const QString& canonicalText) const = 0;
    // to_date of a value and a format known only when the statement runs.
    virtual QString ToDate(const QString& value, const QString& format) const = 0;
    // name.nextval (next) or name.currval.
    virtual QString SequenceValue(const QString& name, bool next) const = 0;
    // Oracle refuses a zero divisor. Where the engine's own division quietly gives null
    // instead, this names the function that refuses it (the divisor goes through it); empty
    // where the engine refuses it itself.
    virtual QString DivisorGuard() const = 0;
    // What follows a LIKE pattern that names no escape character, so that the pattern means
    // what it means in Oracle: no escape at all. Empty where the engine has no default escape.
    virtual QString LikeWithoutEscape() const = 0;

    // A date to bind in bulk writes, in the form the engine stores cheapest.
    virtual QVariant DateValue(const QDateTime& dt) const = 0;
    // The next `count` values of the sequence, in order, in one statement; no other connection
    // gets any of them.
    virtual std::vector<qint64> DrawSequence(Connection& c, const QString& name, int count) const = 0;
};

const EngineRules& RulesFor(Engine engine);

} // namespace host::db
