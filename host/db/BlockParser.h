#pragma once
// The PL/SQL subset of anonymous blocks, parsed once into a tree that the interpreter walks.
// Names are resolved while parsing: every variable gets a slot, every cursor an index, and every
// SQL statement inside the block is turned into Oracle text with its variable references
// replaced by bind variables :1, :2 ... (one per occurrence, in order), ready for Execute.
// A parsed Program is immutable and can be shared between connections and threads.
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVector>
#include <limits>
#include <memory>
#include <vector>

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

struct VarType {
    enum class Kind { Any, Integer, Number, Varchar, Char, Date, Boolean };
    Kind kind = Kind::Any;
    int precision = 0; // Number: significant digits, 0 = unbounded
    int scale = -1;    // Number: decimals kept on assignment, -1 = unbounded
    int length = 0;    // Varchar/Char: characters, 0 = unbounded
};

// The same statement with the plain literals of an INSERT's VALUES list (quoted texts but '',
// whole numbers that fit 64 bits, decimals of at most 15 digits, sysdate) turned into bind variables, so
// that a block inserting a thousand rows prepares one statement. binds[k-1] >= 0 is a variable's
// slot; -1 - j takes values[j]; NowBind takes the engine's sysdate at the statement's run.
struct LiftedSql {
    static constexpr int NowBind = std::numeric_limits<int>::min();
    QString text;
    QVector<int> binds;
    QVector<QVariant> values;
};

// Oracle SQL text whose bind variable :k (k from 1) takes the value of binds[k-1].
struct SqlText {
    QString text;
    QVector<int> binds;
    std::shared_ptr<const LiftedSql> lifted; // null when no literal can be lifted
    // A statement written as its source stands (no variable in it) may leave text empty and
    // name its place in the program's source instead: Program::TextOf gives it either way.
    int sourcePos = -1, sourceLength = 0;
};

struct Expr {
    enum class Kind { Literal, Var, CursorAttr, Unary, Binary, IsNull, Like, Between, In, Call, Engine };
    Kind kind = Kind::Literal;
    Value value;          // Literal
    int slot = -1;        // Var
    int cursor = -1;      // CursorAttr: the cursor, -1 for the implicit SQL cursor
    QString op;           // operator, attribute (found, notfound, rowcount, isopen) or function name
    bool negated = false; // is not null, not like, not between, not in
    std::vector<std::unique_ptr<Expr>> args;
    SqlText sql;          // Engine: the expression for "select ... from dual"; Call: optional fallback
};
using ExprPtr = std::unique_ptr<Expr>;

struct Stmt;
using StmtList = std::vector<std::unique_ptr<Stmt>>;

struct VarDecl {
    int slot = -1;
    ExprPtr init; // null: the variable starts null
};

struct CursorDecl {
    int index = -1;
    int pos = 0, length = 0; // source of the declaration, for messages
    SqlText query;
};

struct Block {
    std::vector<VarDecl> vars;
    std::vector<CursorDecl> cursors;
    StmtList body;
};

struct Stmt {
    enum class Kind {
        Null, Assign, If, While, Loop, ForRange, Exit, Continue, Return,
        Open, Fetch, Close, SelectInto, Sql, Block, Raise, ExecImmediate, Output
    };
    Kind kind = Kind::Null;
    int pos = 0, length = 0;        // source shown in messages (compound statements: the head)
    int slot = -1;                  // Assign target, ForRange counter
    int cursor = -1;                // Open, Fetch, Close
    bool reverse = false;           // ForRange
    std::vector<int> into;          // Fetch, SelectInto targets
    SqlText sql;                    // SelectInto, Sql
    std::vector<ExprPtr> exprs;     // Assign value; If/While/Exit conditions; ForRange bounds;
                                    // Raise code and message; ExecImmediate text and using values
    std::vector<StmtList> branches; // If: one per condition, then the else; loops: the body
    std::unique_ptr<Block> block;   // nested block
};

struct SlotInfo {
    QString name;
    VarType type;
    bool constant = false;
    bool notNull = false;
};

struct Program {
    QString source;
    Block root;
    std::vector<SlotInfo> vars;
    std::vector<QString> cursorNames;
    std::vector<int> lineStarts; // offsets where source lines begin

    int LineOf(int pos) const;
    QStringView TextOf(const SqlText& sql) const
    {
        return sql.sourcePos >= 0 ? QStringView(source).mid(sql.sourcePos, sql.sourceLength) : QStringView(sql.text);
    }
    // The source of [pos, pos+length) on one line, blanks collapsed, shortened when long.
    QString Excerpt(int pos, int length) const;
};

// Throws platform::EDatabaseError ("ORA-06550: line L, column C:" and the reason) on text
// outside the subset.
std::shared_ptr<const Program> ParseBlock(const QString& text);

} // namespace host::db::plsql
