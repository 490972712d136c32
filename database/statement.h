#pragma once
// A statement prepared once on a connection and executed many times, in any
// transaction: selects and selectable procedures give rows, executable procedures
// their output parameters, the rest an affected-row count. Input parameters are the
// "?" of the text, bound in order from values of any kind; Firebird converts each
// value to what the parameter needs.
#include "dataset/record_set.h"
#include "dataset/value.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace database {

class Connection;
class Transaction;

using Row = std::vector<dataset::Value>;
using Rows = std::vector<Row>;

class Statement {
public:
    // Prepares the text at once (opening the connection when it is closed); a text
    // that Firebird refuses raises the connection's error.
    Statement(Connection& connection, std::string sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    const std::string& sql() const { return sql_; }
    // The columns of the rows (selects, selectable procedures) or the output
    // parameters (executable procedures): name as the statement returns it (its
    // alias), kind and size as the record sets hold them.
    const std::vector<dataset::ColumnInfo>& columns();
    std::size_t parameterCount();
    // Whether the statement gives rows through a cursor (a select).
    bool isSelect();
    // The PSQL type of an input parameter or of a column, for a block that passes
    // the same values on ("varchar(15)", "numeric(18, 4)").
    std::string parameterDeclaration(std::size_t index);
    std::string columnDeclaration(std::size_t index);
    // The bytes of the input message as the statement describes its parameters.
    std::size_t inputMessageLength();

    // Runs the statement with the values bound to its parameters in order: null as
    // NULL, texts, integers, decimals with their own digits and scale, dates, doubles
    // and blobs. Gives the number of rows inserted, updated and deleted (0 for a
    // select, which is run without fetching).
    std::uint64_t execute(Transaction& transaction, const Row& parameters = {});
    // The same in a transaction of its own, committed at once.
    std::uint64_t execute(const Row& parameters = {});
    // Runs a statement that affects exactly one row whenever it succeeds, as Firebird
    // counts an INSERT ... VALUES: no count is asked of the server, which saves a
    // round trip per row over a network.
    void executeOne(Transaction& transaction, const Row& parameters);

    // All rows of a select or selectable procedure; for an executable procedure its
    // one row of output parameters; for anything else no row. Null reads as
    // std::monostate, fixed texts as stored (with their blanks), blobs whole.
    Rows fetchAll(Transaction& transaction, const Row& parameters = {});
    Rows fetchAll(const Row& parameters = {});

    // Executes an executable procedure ("EXECUTE PROCEDURE X") and gives its output
    // parameters in order (for a select, its first row).
    Row executeProcedure(Transaction& transaction, const Row& parameters = {});
    Row executeProcedure(const Row& parameters = {});

    // Runs the statement and gives its first row in the one exchange that sends the
    // values, as a singleton select: an EXECUTE BLOCK that ends in one SUSPEND costs
    // one round trip instead of an open and a fetch.
    Row fetchSingleton(Transaction& transaction, const Row& parameters = {});

private:
    friend class Connection;
    struct Prepared;

    // Prepares when needed, binds and runs in the transaction, then gives what
    // work(prepared, client, transaction, cursor) makes of it; the cursor (a select's,
    // else null) is closed afterwards. A failure of the client raises our error.
    template <typename Work>
    auto running(Transaction& transaction, const Row& parameters, Work&& work, bool singleton = false);

    // Frees the prepared statement; the next use prepares it again.
    void unprepare();
    void connectionGone();
    // Prepares when needed, within the transaction given or a short one of its own.
    Prepared& prepared(Transaction* transaction = nullptr);
    Connection& owner() const;

    Connection* connection_;
    std::string sql_;
    std::unique_ptr<Prepared> prepared_;
};

} // namespace database
