#include "database/provider.h"

#include "database/connection.h"
#include "database/statement.h"
#include "database/transaction.h"

#include <bit>
#include <cctype>
#include <map>
#include <optional>
#include <tuple>

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

} // namespace

// Prepared INSERT statements, one per table and column list, kept for the life of
// the provider (they prepare again after a reconnect).
struct Provider::Writer {
    struct Insert {
        std::vector<dataset::ColumnInfo> columns; // the query's, when it was built
        std::unique_ptr<Statement> statement;
        std::vector<int> fieldOfColumn;   // -1: the record set has no field for the column
        bool fieldsInColumnOrder = false; // the row's values bind as they stand

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
    return platform::DatabaseError(trimReadError(error.what()), error.kind(), error.code());
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
    : name_(std::move(name)), connection_(connection), sourceQuery_(std::move(sourceQuery)),
      query_(connection, std::move(sql)), detailQuery_(connection, std::string()),
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

void Provider::openEmpty(dataset::RecordSet& recordSet)
{
    std::vector<dataset::ColumnInfo> columns;
    std::vector<dataset::ColumnInfo> detailColumns;
    try {
        columns = query_.get().columns();
        if (!detailQuery_.sql().empty())
            detailColumns = detailQuery_.get().columns();
    } catch (const platform::DatabaseError& error) {
        throw readError(error);
    }
    recordSet.close();
    recordSet.open(columns, {}, detailQuery_.sql().empty() ? nullptr : &detailColumns);
}

void Provider::Writer::Insert::prepare(Connection& connection, dataset::RecordSet& recordSet,
                                       Statement& source)
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
    const std::string sql = "insert into " + quotedName(tableOfQuery(source.sql())) + "\n  (" + names +
                            ")\nvalues\n  (" + marks + ")";
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
                values.push_back(field < 0 ? dataset::Value{}
                                           : (*row.values)[static_cast<std::size_t>(field)]);
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
    const auto stopsAfter = [&](const dataset::LoggedRow& row, dataset::RecordSet& rows,
                                LazyStatement& source) {
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
        if (!stopped && header.row.status != dataset::RowStatus::Inserted &&
            header.row.status != dataset::RowStatus::Unmodified)
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

namespace {

// The blocks that write a quotation: whole (identifier, header and lines, each
// part in an autonomous transaction), or, for one too long for a block, a first
// part (identifier, header, the first lines) and the rest of the lines, all in
// the caller's transaction.
enum BlockKind { kWhole = 0, kFirst = 1, kRest = 2 };

// Firebird 3 allows 64 KB for a statement's text and for each of its messages.
constexpr std::size_t kBlockLimit = 60000;

// One table's INSERT as a block writes it.
struct BlockTable {
    std::string table;
    std::vector<std::string> names;
    std::vector<std::string> declarations;
    std::size_t link = 0;
    std::size_t messageLength = 0;
};

std::string insertText(const BlockTable& part, const std::string& prefix, std::string& inputs)
{
    std::string names, values;
    for (std::size_t k = 0; k < part.names.size(); ++k) {
        names += (k == 0 ? "" : ", ") + part.names[k];
        values += k == 0 ? ":" : ", :";
        if (k == part.link) {
            values += "coti_id";
            continue;
        }
        const std::string name = prefix + std::to_string(k);
        values += name;
        inputs += ", " + name + " " + part.declarations[k] + " = ?";
    }
    return "      insert into " + part.table + " (" + names + ")\n        values (" + values + ");\n";
}

std::string blockText(BlockKind kind, std::size_t lines, const BlockTable& header, const BlockTable& line,
                      const std::string& idCall)
{
    // "lines" says how many of the block's line slots hold a line: the rest are
    // nulls and write nothing.
    std::string inputs = kind == kRest ? ", lines integer = ?, coti_id integer = ?" : ", lines integer = ?";
    std::string inserts;
    if (kind != kRest)
        inserts += insertText(header, "h", inputs);
    for (std::size_t j = 0; j < lines; ++j)
        inserts += "      if (lines > " + std::to_string(j) + ") then\n" +
                   insertText(line, "l" + std::to_string(j) + "_", inputs);
    std::string text = "execute block (" + inputs.substr(2) + ")";
    text += kind == kRest ? "\nreturns (failed integer)" : "\nreturns (coti_id integer, failed integer)";
    text += "\nas\nbegin\n";
    if (kind != kRest)
        text += "  in autonomous transaction do\n    " + idCall + " returning_values :coti_id;\n";
    text += "  failed = 0;\n  begin\n";
    text +=
        kind == kWhole ? "    in autonomous transaction do\n    begin\n" + inserts + "    end\n" : inserts;
    return text + "    when any do failed = 1;\n  end\n  suspend;\nend";
}

// Whether a value travels in a block's message: a blob would be created in the
// outer transaction, which the autonomous one must not depend on.
bool fitsBlock(const dataset::Value& value)
{
    if (std::holds_alternative<dataset::Blob>(value))
        return false;
    const auto* text = std::get_if<std::string>(&value);
    return text == nullptr || text->size() <= 32765;
}

} // namespace

Provider::BlockWrite Provider::writeInBlocks(dataset::RecordSet& recordSet, const std::string& idCall,
                                             Transaction& within)
{
    BlockWrite result;
    dataset::RecordSet* lines = recordSet.detail();
    const std::vector<dataset::LoggedHeader> log = recordSet.changeLog();
    if (lines == nullptr || linkField_.empty() || log.size() != 1 ||
        log[0].row.status != dataset::RowStatus::Inserted)
        return result;
    for (const auto& row : log[0].details)
        if (row.status != dataset::RowStatus::Inserted)
            return result;

    std::optional<Transaction> own;
    try {
        // The inserts as the plain way prepares them give the columns and their types.
        Writer::Insert& headerInsert = writer_->inserts[&recordSet];
        Writer::Insert& lineInsert = writer_->inserts[lines];
        bool prepared = false;
        for (auto [insert, set, source] :
             {std::tuple{&headerInsert, &recordSet, &query_}, std::tuple{&lineInsert, lines, &detailQuery_}})
            if (!insert->statement || insert->columns != source->get().columns()) {
                insert->prepare(connection_, *set, source->get());
                prepared = true;
            }
        if (prepared || idCall != blocksIdCall_) {
            blocks_.clear();
            linesPerBlock_ = 0;
            blocksIdCall_ = idCall;
        }
        const auto tableOf = [&](Writer::Insert& insert, LazyStatement& source) {
            BlockTable part;
            part.table = quotedName(tableOfQuery(source.sql()));
            part.link = insert.columns.size();
            for (std::size_t k = 0; k < insert.columns.size(); ++k) {
                part.names.push_back(quotedName(insert.columns[k].name));
                part.declarations.push_back(insert.statement->parameterDeclaration(k));
                if (insert.columns[k].name == linkField_)
                    part.link = k;
            }
            part.messageLength = insert.statement->inputMessageLength();
            return part;
        };
        const BlockTable header = tableOf(headerInsert, query_);
        const BlockTable line = tableOf(lineInsert, detailQuery_);
        if (header.link == header.names.size() || line.link == line.names.size())
            return result;
        if (linesPerBlock_ == 0) {
            // The identifier must be an integer, as the link columns take it.
            Statement idStatement(connection_, idCall);
            if (idStatement.columns().size() != 1 || idStatement.columnDeclaration(0) != "integer")
                return result;
            const std::size_t fixed = blockText(kWhole, 0, header, line, idCall).size();
            const std::size_t perLine = blockText(kWhole, 1, header, line, idCall).size() - fixed + 16;
            const std::size_t byText = kBlockLimit > fixed ? (kBlockLimit - fixed) / perLine : 0;
            const std::size_t byMessage =
                kBlockLimit > header.messageLength
                    ? (kBlockLimit - header.messageLength) / (line.messageLength + 16)
                    : 0;
            linesPerBlock_ = std::max<std::size_t>(1, std::min(byText, byMessage));
        }

        // Each row's values in column order, the link left to the block.
        const auto valuesOf = [&](const Writer::Insert& insert, const BlockTable& part,
                                  const dataset::LoggedRow& row, Row& into) {
            for (std::size_t k = 0; k < insert.fieldOfColumn.size(); ++k) {
                if (k == part.link)
                    continue;
                const int field = insert.fieldOfColumn[k];
                into.push_back(field < 0 ? dataset::Value{} : (*row.values)[static_cast<std::size_t>(field)]);
                if (!fitsBlock(into.back()))
                    return false;
            }
            return true;
        };
        const auto& details = log[0].details;
        const auto statementFor = [&](BlockKind kind, std::size_t count) -> Statement& {
            auto& block = blocks_[{kind, count}];
            if (!block)
                block =
                    std::make_unique<Statement>(connection_, blockText(kind, count, header, line, idCall));
            return *block;
        };
        std::size_t done = 0;
        bool failed = false;
        while (!failed && (done == 0 || done < details.size())) {
            const std::size_t count = std::min(linesPerBlock_, details.size() - done);
            const BlockKind kind = done > 0 ? kRest : (count == details.size() ? kWhole : kFirst);
            // Blocks come with room for a power of two of lines, each size prepared
            // once: a block for every line count would cost a prepare each.
            const std::size_t slots = std::min(std::bit_ceil(count), linesPerBlock_);
            Row parameters{static_cast<std::int32_t>(count)};
            if (kind == kRest)
                parameters.push_back(result.id);
            else if (!valuesOf(headerInsert, header, log[0].row, parameters))
                return result;
            for (std::size_t j = done; j < done + count; ++j)
                if (!valuesOf(lineInsert, line, details[j], parameters))
                    return result;
            for (std::size_t j = count; j < slots; ++j)
                for (std::size_t k = 0; k < line.names.size(); ++k)
                    if (k != line.link)
                        parameters.emplace_back();
            if (kind == kFirst)
                own.emplace(connection_);
            Statement& block = statementFor(kind, slots);
            const Row out = block.fetchSingleton(kind == kWhole ? within : *own, parameters);
            if (kind != kRest) {
                result.id = out.at(0);
                result.outcome = BlockWrite::Outcome::Refused;
            }
            failed = dataset::isNull(out.back()) || std::get<std::int32_t>(out.back()) != 0;
            done += count;
            if (kind == kWhole)
                break;
        }
        if (failed)
            return result;
        if (own)
            own->commit();
        result.outcome = BlockWrite::Outcome::Stored;
    } catch (const platform::DatabaseError& error) {
        if (error.kind() == platform::DatabaseError::Kind::Environment)
            throw;
        // Refused once the identifier is drawn; nothing of the rows remains, the
        // transaction of a long one being rolled back when it goes.
        return result;
    }
    recordSet.mergeChangeLog();
    return result;
}

} // namespace database
