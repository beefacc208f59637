#pragma once
// The syntax tree of an anonymous block, as the parser leaves it and every back end reads it.
// Names are resolved: every variable has a slot, every cursor an index, and every SQL statement
// inside the block is Oracle text with its variable references replaced by bind variables :1,
// :2 ... (one per occurrence, in order). A Program is immutable and can be shared between
// connections and threads.
#include "host/db/blocks/BlockValue.h"

#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

namespace host::db::plsql {

struct VarType {
    enum class Kind { Any, Integer, Number, Varchar, Char, Date, Boolean };
    Kind kind = Kind::Any;
    int precision = 0; // Number: significant digits, 0 = unbounded
    int scale = -1;    // Number: decimals kept on assignment, -1 = unbounded
    int length = 0;    // Varchar/Char: characters, 0 = unbounded
};

// A value standing alone in an INSERT's VALUES list, or a variable's bind anywhere in the
// statement, by its place in the statement's text (Program::TextOf). Texts, numbers and sysdate
// are marked only at the list's top level with "(" or "," before them (a sign allowed before a
// number) and "," or ")" after; a back end may send these values apart from the text.
struct ValueMark {
    enum class Kind : quint8 { Text, Number, Now, Var };
    int pos = 0, length = 0;
    Kind kind = Kind::Text;
};

// Oracle SQL text whose bind variable :k (k from 1) takes the value of binds[k-1].
struct SqlText {
    QString text;
    QVector<int> binds;
    // An INSERT with a VALUES list holding a lone value: those values and the variables' binds,
    // in the order of the text. Empty otherwise.
    std::vector<ValueMark> marks;
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
    // The declaration of cursor `index`, wherever in the nested blocks it stands; null if none.
    const CursorDecl* CursorDeclaration(int index) const;
    QStringView TextOf(const SqlText& sql) const
    {
        return sql.sourcePos >= 0 ? QStringView(source).mid(sql.sourcePos, sql.sourceLength) : QStringView(sql.text);
    }
    // The source of [pos, pos+length) on one line, blanks collapsed, shortened when long.
    QString Excerpt(int pos, int length) const;
};

} // namespace host::db::plsql
