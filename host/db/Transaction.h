#pragma once
// A writer transaction as a scope: rolled back when the scope is left without Commit, by an
// exception or otherwise. Inside a transaction that is already open it joins it and leaves
// commit and rollback to the owner.
#include "host/db/Connection.h"

namespace host::db {

class WriteTransaction {
public:
    explicit WriteTransaction(Connection& c) : c_(c), owner_(!c.InTransaction())
    {
        if (owner_)
            c_.BeginWrite();
    }
    ~WriteTransaction()
    {
        if (owner_ && !done_)
            c_.Rollback();
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void Commit()
    {
        done_ = true;
        if (owner_)
            c_.Commit();
    }

private:
    Connection& c_;
    bool owner_;
    bool done_ = false;
};

} // namespace host::db
