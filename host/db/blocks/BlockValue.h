#pragma once
// A PL/SQL value: a literal of the syntax tree, and what the in-process runner computes with.
#include <QDateTime>
#include <QString>

namespace host::db::plsql {

// A PL/SQL value. Numbers are whole (Int) when they are, otherwise Num; Oracle's empty text is
// null inside expressions.
struct Value {
    enum class Kind { Null, Bool, Int, Num, Text, Date };
    Kind kind = Kind::Null;
    bool b = false;
    qint64 i = 0;
    double d = 0;
    QString s;
    QDateTime t;

    static Value MakeNull() { return {}; }
    static Value MakeBool(bool v) { Value x; x.kind = Kind::Bool; x.b = v; return x; }
    static Value MakeInt(qint64 v) { Value x; x.kind = Kind::Int; x.i = v; return x; }
    static Value MakeNum(double v) { Value x; x.kind = Kind::Num; x.d = v; return x; }
    static Value MakeText(QString v) { Value x; x.kind = Kind::Text; x.s = std::move(v); return x; }
    static Value MakeDate(QDateTime v) { Value x; x.kind = Kind::Date; x.t = std::move(v); return x; }
    bool IsNull() const { return kind == Kind::Null; }
    bool IsNumber() const { return kind == Kind::Int || kind == Kind::Num; }
};

} // namespace host::db::plsql
