#pragma once
// Providers: a record set is read through a provider, and the provider through a
// query of the data module. PFacturas also writes the record set's change log back
// as SQL, one prepared INSERT per row, in one transaction per quotation.
#include "database/lazy_statement.h"
#include "database/statement.h"
#include "dataset/record_set.h"
#include "platform/errors.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

    // Opens the record set again without rows, as a reading that finds none gives
    // it, without asking the database: the columns are those of the queries as
    // prepared by an earlier reading.
    void openEmpty(dataset::RecordSet& recordSet);

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

    // What became of a header with its lines written by blocks.
    struct BlockWrite {
        enum class Outcome {
            Stored,
            Refused,    // the identifier is drawn, nothing else of it remains
            NotWritten, // nothing happened: no identifier drawn, no row
        };
        Outcome outcome = Outcome::NotWritten;
        dataset::Value id; // the identifier drawn
    };
    // Writes a change log of one inserted header with its inserted lines the way a
    // slow network wants it: one EXECUTE BLOCK that draws the link value with
    // idCall ("EXECUTE PROCEDURE X", one integer output) and inserts the header and
    // the lines, each part in an autonomous transaction committed on its own, run
    // within the transaction given. A quotation too long for one block is written
    // by several in one transaction of its own. No hook is called: a refusal inside
    // a block carries the block's positions, so the caller writes the rows again
    // the plain way (applyUpdates) for the message of the single statement.
    // Stored merges the log. An error of the Environment kind is raised.
    BlockWrite writeInBlocks(dataset::RecordSet& recordSet, const std::string& idCall, Transaction& within);

private:
    struct Writer;

    // What became of one row of the change log.
    enum class RowWrite {
        Stored,
        Skipped, // refused; the writing goes on
        Aborted, // refused; the writing ends
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
    // Prepared blocks by kind and line count.
    std::map<std::pair<int, std::size_t>, std::unique_ptr<Statement>> blocks_;
    std::string blocksIdCall_;
    std::size_t linesPerBlock_ = 0;
};

// An error of a provider's reading, as the reading code sees it: its text less the
// blanks, control characters and periods at its end.
std::string trimReadError(const std::string& text);
// The same error as a reading raises it: the text trimmed, its kind kept.
platform::DatabaseError readError(const platform::DatabaseError& error);

// The table named after FROM in a query's text.
std::string tableOfQuery(const std::string& sql);

} // namespace database
