#pragma once
// Providers: a record set is read through a provider, and the provider through a
// query of the data module. PFacturas also writes the record set's change log back
// as SQL, one prepared INSERT per row, in one transaction per quotation.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/lazy_statement.h"
#include "database/statement.h"
#include "dataset/record_set.h"
#include "platform/errors.h"

namespace database {

class Connection;

// The program only inserts rows; a record set's own errors are reported as Modify.
enum class UpdateKind { Modify, Insert };
enum class UpdateResponse { Skip, Abort };

class Provider;
// Called once for a row that the database refused: the provider, the record set
// holding that table's changes, the error, the kind of change and the response that
// the provider preset. Gives the response.
using UpdateErrorHook = std::function<UpdateResponse(Provider& sender, dataset::RecordSet& dataSet,
                                                     const platform::DatabaseError& error, UpdateKind kind,
                                                     UpdateResponse preset)>;

class Provider {
public:
    // sourceQuery is the name of the data module's query behind it ("TCotizaci");
    // sql is that query's text with "?" for its parameters.
    Provider(std::string name, Connection& connection, std::string sourceQuery, std::string sql);
    ~Provider();

    const std::string& name() const { return name_; }
    const std::string& sourceQuery() const { return sourceQuery_; }

    // Reads the record set through the query: every row, with the field check of the
    // record set's declared fields. An error of the query reaches the caller with the
    // blanks, control characters and periods at its end removed.
    void open(dataset::RecordSet& recordSet, const Row& parameters = {});

    // Header and lines: the header query gives the headers, the detail query the
    // lines of each header (its parameter is the header's link field).
    void setDetail(std::string detailSourceQuery, std::string detailSql, std::string linkField);

    // Writes the change log (inserted rows) in a transaction of its own; a refused
    // row goes to onUpdateError and ends the writing when its answer is abort or the
    // errors exceed maxErrors. Commits when the errors do not exceed maxErrors,
    // rolls back otherwise. Without errors the log is merged. Gives the error count.
    // Given a transaction (a check's), the rows are written in it and it is left
    // for its owner to end.
    int applyUpdates(dataset::RecordSet& recordSet, int maxErrors, Transaction* within = nullptr);

    UpdateErrorHook onUpdateError;

private:
    struct Writer;

    // What became of one row of the change log.
    enum class RowWrite {
        Stored,
        Skipped,  // refused; the writing goes on
        Aborted,  // refused; the writing ends
    };
    // Writes one row; a refusal goes to onUpdateError with the preset response.
    RowWrite writeRow(const dataset::LoggedRow& row, dataset::RecordSet& recordSet, Statement& source,
                      Transaction& transaction, UpdateResponse preset);

    std::string name_;
    Connection& connection_;
    std::string sourceQuery_;
    // The queries are prepared on first use.
    LazyStatement query_;
    std::string detailSourceQuery_;
    LazyStatement detailQuery_;
    std::string linkField_;
    std::unique_ptr<Writer> writer_;
};

// An error of a provider's reading, as the reading code sees it: its text less the
// blanks, control characters and periods at its end.
std::string trimReadError(const std::string& text);
// The same error as a reading raises it: the text trimmed, its kind kept.
platform::DatabaseError readError(const platform::DatabaseError& error);

// The table named after FROM in a query's text.
std::string tableOfQuery(const std::string& sql);

}  // namespace database
