#include "database/provider.h"

#include <cctype>
#include <map>
#include <optional>

#include "database/connection.h"
#include "database/statement.h"
#include "database/transaction.h"

namespace database {
namespace {

// The identifier quote of SQL dialect 3. A name already beginning or ending with a
// quote is taken as it is; a name with a dot is quoted part by part.
std::string quotedName(const std::string& name)
{
    if (!name.empty() && (name.front() == '"' || name.back() == '"'))
        return name;
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const auto dot = name.find('.', start);
        out += '"' + name.substr(start, dot == std::string::npos ? std::string::npos : dot - start) + '"';
        if (dot == std::string::npos)
            return out;
        out += '.';
        start = dot + 1;
    }
}

}  // namespace

// Prepared INSERT statements, one per table and column list, kept for the life of
// the provider (they prepare again after a reconnect).
struct Provider::Writer {
    struct Insert {
        std::vector<dataset::ColumnInfo> columns;  // the query's, when it was built
        std::unique_ptr<Statement> statement;
        std::vector<int> fieldOfColumn;  // -1: the record set has no field for the column
        bool fieldsInColumnOrder = false;  // the row's values bind as they stand

        void prepare(Connection& connection, dataset::RecordSet& recordSet, Statement& source);
    };
    std::map<const dataset::RecordSet*, Insert> inserts;
};

std::string trimReadError(const std::string& text)
{
    std::size_t end = text.size();
    while (end > 0) {
        const auto c = static_cast<unsigned char>(text[end - 1]);
        if (c > ' ' && c != '.')
            break;
        --end;
    }
    return text.substr(0, end);
}

platform::DatabaseError readError(const platform::DatabaseError& error)
{
    return platform::DatabaseError(trimReadError(error.what()), error.kind());
}

std::string tableOfQuery(const std::string& sql)
{
    std::string upper;
    for (char c : sql)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto from = upper.find(" FROM ");
    if (from == std::string::npos)
        return {};
    from += 6;
    while (from < sql.size() && sql[from] == ' ')
        ++from;
    auto end = from;
    while (end < sql.size() && sql[end] != ' ' && sql[end] != '\n' && sql[end] != '\r')
        ++end;
    return sql.substr(from, end - from);
}

Provider::Provider(std::string name, Connection& connection, std::string sourceQuery, std::string sql)
    : name_(std::move(name)),
      connection_(connection),
      sourceQuery_(std::move(sourceQuery)),
      query_(connection, std::move(sql)),
      detailQuery_(connection, std::string()),
      writer_(std::make_unique<Writer>())
{
}

Provider::~Provider() = default;

void Provider::setDetail(std::string detailSourceQuery, std::string detailSql, std::string linkField)
{
    detailSourceQuery_ = std::move(detailSourceQuery);
    detailQuery_ = LazyStatement(connection_, std::move(detailSql));
    linkField_ = std::move(linkField);
}

void Provider::open(dataset::RecordSet& recordSet, const Row& parameters)
{
    std::vector<dataset::RowData> rows;
    std::vector<dataset::ColumnInfo> columns;
    std::vector<dataset::ColumnInfo> detailColumns;
    try {
        Statement& headers = query_.get();
        Transaction& transaction = connection_.readTransaction();
        for (auto& values : headers.fetchAll(transaction, parameters))
            rows.push_back({std::move(values), {}});
        columns = headers.columns();
        if (!detailQuery_.sql().empty()) {
            Statement& lines = detailQuery_.get();
            detailColumns = lines.columns();
            std::size_t link = columns.size();
            for (std::size_t i = 0; i < columns.size(); ++i)
                if (columns[i].name == linkField_)
                    link = i;
            for (auto& row : rows) {
                if (link == columns.size())
                    break;
                for (auto& values : lines.fetchAll(transaction, {row.values[link]}))
                    row.details.push_back({std::move(values), {}});
            }
        }
    } catch (const platform::DatabaseError& error) {
        throw readError(error);
    }
    recordSet.close();
    recordSet.open(columns, std::move(rows), detailQuery_.sql().empty() ? nullptr : &detailColumns);
}

void Provider::Writer::Insert::prepare(Connection& connection, dataset::RecordSet& recordSet, Statement& source)
{
    // Every column of the table as the query returns it, in its order; a column
    // without a field in the record set is written as NULL.
    statement.reset();
    columns = source.columns();
    std::string names;
    std::string marks;
    fieldOfColumn.clear();
    for (const auto& column : columns) {
        names += (names.empty() ? "" : ", ") + quotedName(column.name);
        marks += marks.empty() ? "?" : ", ?";
        const auto field = recordSet.findField(column.name);
        fieldOfColumn.push_back(field ? static_cast<int>(field->index()) : -1);
    }
    fieldsInColumnOrder = fieldOfColumn.size() == recordSet.fieldCount();
    for (std::size_t i = 0; i < fieldOfColumn.size(); ++i)
        fieldsInColumnOrder = fieldsInColumnOrder && fieldOfColumn[i] == static_cast<int>(i);
    const std::string sql = "insert into " + quotedName(tableOfQuery(source.sql())) + "\n  (" + names
                            + ")\nvalues\n  (" + marks + ")";
    statement = std::make_unique<Statement>(connection, sql);
}

Provider::RowWrite Provider::writeRow(const dataset::LoggedRow& row, dataset::RecordSet& recordSet,
                                     Statement& source, Transaction& transaction, UpdateResponse preset)
{
    Writer::Insert& insert = writer_->inserts[&recordSet];
    try {
        if (row.status != dataset::RowStatus::Inserted)
            throw platform::DatabaseError("Record not found or changed by another user");
        // Built once per table and kept while the query's columns stay the same; a
        // connection to another company may bring other columns. Preparing inside the
        // guarded part: a statement the server refuses (a missing column, no right
        // to insert) is a refused row like any other.
        if (!insert.statement || insert.columns != source.columns())
            insert.prepare(connection_, recordSet, source);
        // The header and line sets hold every column in the table's order: their rows
        // bind without a copy.
        Row values;
        if (!insert.fieldsInColumnOrder) {
            values.reserve(insert.fieldOfColumn.size());
            for (int field : insert.fieldOfColumn)
                values.push_back(field < 0 ? dataset::Value{} : (*row.values)[static_cast<std::size_t>(field)]);
        }
        // An INSERT ... VALUES that succeeds stores one row, as Firebird counts it:
        // into a table, and into a view whatever its triggers do. Its count ("Record
        // not found or changed by another user" for none, "Update affected more than
        // 1 record." for several) is therefore not asked for, a round trip per row
        // saved.
        insert.statement->executeOne(transaction, insert.fieldsInColumnOrder ? *row.values : values);
        return RowWrite::Stored;
    } catch (const platform::DatabaseError& error) {
        const UpdateResponse response =
            onUpdateError ? onUpdateError(*this, recordSet, error, UpdateKind::Insert, preset) : preset;
        return response == UpdateResponse::Abort ? RowWrite::Aborted : RowWrite::Skipped;
    }
}

int Provider::applyUpdates(dataset::RecordSet& recordSet, int maxErrors, Transaction* within)
{
    recordSet.checkBrowseMode();
    if (recordSet.changeCount() == 0)
        return 0;

    const std::vector<dataset::LoggedHeader> log = recordSet.changeLog();
    std::optional<Transaction> own;
    Transaction& transaction = within != nullptr ? *within : own.emplace(connection_);
    int errors = 0;
    // Whether the writing ends after this row: the hook aborted, or the errors
    // exceed maxErrors.
    const auto stopsAfter = [&](const dataset::LoggedRow& row, dataset::RecordSet& rows, LazyStatement& source) {
        const UpdateResponse preset = errors < maxErrors ? UpdateResponse::Skip : UpdateResponse::Abort;
        const RowWrite outcome = writeRow(row, rows, source.get(), transaction, preset);
        if (outcome == RowWrite::Stored)
            return false;
        ++errors;
        return outcome == RowWrite::Aborted || errors > maxErrors;
    };
    bool stopped = false;
    for (const auto& header : log) {
        if (header.row.status == dataset::RowStatus::Inserted)
            stopped = stopsAfter(header.row, recordSet, query_);
        for (std::size_t i = 0; !stopped && i < header.details.size(); ++i)
            stopped = stopsAfter(header.details[i], *recordSet.detail(), detailQuery_);
        if (!stopped && header.row.status != dataset::RowStatus::Inserted
            && header.row.status != dataset::RowStatus::Unmodified)
            stopped = stopsAfter(header.row, recordSet, query_);
        if (stopped)
            break;
    }
    if (own && transaction.isActive()) {
        if (errors <= maxErrors)
            transaction.commit();
        else
            transaction.rollback();
    }
    if (errors == 0)
        recordSet.mergeChangeLog();
    return errors;
}

}  // namespace database
