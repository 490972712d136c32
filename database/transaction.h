#pragma once
// A transaction on a connection: read committed, record version, waiting on locks
// (a read-write one as long as its connection's lock timeout says).
// Commit ends it (no retaining); one that is neither committed nor rolled back
// when it goes out of scope is rolled back.
#include <memory>

namespace database {

class Connection;

enum class TransactionAccess { ReadWrite, ReadOnly };

// The connection must outlive its transactions.
class Transaction {
public:
    // Starts the transaction, opening the connection first when it is closed.
    explicit Transaction(Connection& connection, TransactionAccess access = TransactionAccess::ReadWrite);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    bool isActive() const;

    Connection& connection() const { return connection_; }

    // --- for the statements of this layer (database/client.h) ---
    struct Native;
    // The client library's side; raises platform::DatabaseError when the transaction
    // has ended (also when its connection was closed meanwhile).
    Native& active();

private:
    friend class Connection;
    // The connection closes: roll back and forget the handle, raising nothing.
    void abandon();

    Connection& connection_;
    std::unique_ptr<Native> native_;
};

} // namespace database
