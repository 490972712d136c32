#pragma once
// A connection to one Firebird database through the client library: attach and
// detach, the texts of its errors, and the transactions and prepared statements
// that run on it (transaction.h, statement.h).
#include "database/transaction.h"
#include "platform/errors.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace database {

class Statement;

// What the connection attaches with. The database path is trimmed of blanks and
// control characters at both ends when the connection opens; the rest goes as it is.
struct ConnectionParameters {
    std::string database;
    std::string user;
    std::string password;
    std::string role;
};

// A statement that wrote inside a read-only transaction ("attempted update during
// read-only transaction"), as a procedure that logs its calls does.
class ReadOnlyTransactionError : public platform::DatabaseError {
public:
    using platform::DatabaseError::DatabaseError;
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The values used by the next open, also by an implicit one.
    void setParameters(ConnectionParameters parameters);
    // How long a statement of a read-write transaction started from now on waits
    // for a row that another user's transaction holds (a key being inserted, an
    // article being deleted) before the engine refuses it with the constraint's or
    // the lock's own text: seconds, 0 not at all, kWaitWithoutLimit until the other
    // transaction ends (the default).
    static constexpr int kWaitWithoutLimit = -1;
    void setLockTimeout(int seconds) { lockTimeout_ = seconds; }
    int lockTimeout() const { return lockTimeout_; }
    const ConnectionParameters& parameters() const { return parameters_; }
    // Whether the next open goes through a server (the path has a host part).
    bool throughServer() const;

    // Closes the connection when it is open, then attaches with SQL dialect 3 and no
    // connection character set, so that texts travel as the database stores them.
    // A path without a host part ("/srv/x/merkalo.fdb") opens with the embedded
    // engine; "host:/path" and "host/port:/path" go through that server. On failure
    // the connection stays closed and the error is raised (platform::DatabaseError).
    void open();
    void open(std::string_view database, const std::string& user, const std::string& password,
              const std::string& role);

    // Rolls back the transactions still running on it, frees its prepared statements
    // (they prepare again on their next use) and detaches. Raises nothing.
    void close();
    bool isOpen() const;

    // The text of the last error that the client library reported on this connection.
    const std::string& lastError() const;

    // Runs work(Transaction&) in a transaction of its own, which is committed when
    // work returns and rolled back when it throws. A read-only one costs far less to
    // commit (no write to disk), but refuses any write, also one inside a procedure.
    template <typename Work>
    auto inOwnTransaction(Work&& work, TransactionAccess access = TransactionAccess::ReadWrite);

    // A read-only read-committed transaction for the reads that need none of their
    // own, started on first use and kept until the connection closes. Read committed
    // sees every commit anew at each statement, so a read in it gives what a read in
    // a fresh transaction gives, without a start and a commit per read.
    Transaction& readTransaction();

    // --- for the transactions and statements of this layer (database/client.h) ---
    struct Native;
    // The client library's side, opening the connection with its parameters when it
    // is closed.
    Native& opened();
    // The same, or null while the client library has not been loaded.
    Native* native() { return native_.get(); }

private:
    friend class Statement;
    friend class Transaction;

    void enlist(Statement* statement);
    void delist(Statement* statement);
    void enlist(Transaction* transaction);
    void delist(Transaction* transaction);

    ConnectionParameters parameters_;
    int lockTimeout_ = kWaitWithoutLimit;
    std::unique_ptr<Native> native_;
    std::vector<Statement*> statements_;
    std::vector<Transaction*> transactions_;
    // After transactions_: it delists itself when it goes.
    std::unique_ptr<Transaction> reads_;
};

// The database path as it is attached: without blanks and control characters at
// either end.
std::string trimDatabasePath(std::string_view path);

// Whether a database name carries a server ("host:/path", "host/port:/path",
// "\\host\path", "inet://host/path"); a plain path, also one with a drive letter,
// does not.
bool hasHostPart(std::string_view path);

} // namespace database

template <typename Work> auto database::Connection::inOwnTransaction(Work&& work, TransactionAccess access)
{
    Transaction transaction(*this, access);
    if constexpr (std::is_void_v<decltype(work(transaction))>) {
        work(transaction);
        transaction.commit();
    } else {
        auto result = work(transaction);
        transaction.commit();
        return result;
    }
}
