#pragma once
// What tests reach of the ledger that its users never need: its
// connection, to play a full disk on it.

#include "Ledger.h"

template <> struct TestSeam<Ledger>
{
    static QString connectionName(const Ledger &ledger) { return ledger.connectionName(); }
};
