#include "database/statement.h"

#include "database/client.h"
#include "database/connection.h"
#include "database/transaction.h"
#include "platform/errors.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace database {

namespace {

constexpr unsigned kSqlDialect = 3;
constexpr unsigned kMaxVarchar = 32765;
constexpr std::size_t kBlobSegment = 32768;
constexpr std::size_t kMaxLayouts = 16;
constexpr unsigned kCharSetNone = 0;

// How one input parameter is declared in the message that we send.
struct Slot {
    unsigned type = 0; // SQL_* without the null flag
    unsigned length = 0;
    int scale = 0;
    int subType = 0;
    unsigned charSet = 0;
    bool operator==(const Slot&) const = default;
};

bool isText(const Slot& slot)
{
    return slot.type == SQL_TEXT || slot.type == SQL_VARYING;
}
bool isBlob(const Slot& slot)
{
    return slot.type == SQL_BLOB;
}

unsigned textLength(const Slot& original, std::size_t size)
{
    if (isText(original) && original.length >= size)
        return original.length;
    // Rounded up so that texts of varying lengths share a few message layouts.
    unsigned length = 32;
    while (length < size)
        length *= 2;
    return std::min(length, kMaxVarchar);
}

// The charset under which a text goes: the parameter's own when it takes text, so
// that Firebird does not transliterate; otherwise none, and Firebird converts.
unsigned textCharSet(const Slot& original)
{
    return isText(original) || isBlob(original) ? original.charSet : kCharSetNone;
}

Slot textSlot(const Slot& original, std::size_t size)
{
    if (size > kMaxVarchar)
        return {SQL_BLOB, sizeof(ISC_QUAD), 0, isBlob(original) ? original.subType : 1,
                textCharSet(original)};
    return {SQL_VARYING, textLength(original, size), 0, 0, textCharSet(original)};
}

// The declaration that carries a value to a parameter described as original.
Slot slotFor(const dataset::Value& value, const Slot& original, const Slot& previous)
{
    struct Visitor {
        const Slot& original;
        const Slot& previous;
        // Any declaration carries a null; keeping the last one saves a new layout.
        Slot operator()(std::monostate) const { return previous.type != 0 ? previous : original; }
        Slot operator()(const std::string& text) const { return textSlot(original, text.size()); }
        Slot operator()(std::int32_t) const { return {SQL_LONG, sizeof(ISC_LONG), 0, 0, 0}; }
        Slot operator()(const dataset::Decimal& decimal) const
        {
            if (decimal.unscaled() && decimal.scale() <= 18)
                return {SQL_INT64, sizeof(ISC_INT64), -decimal.scale(), 0, 0};
            return textSlot(original, decimal.digits().size() + 2);
        }
        Slot operator()(const dataset::Date&) const { return {SQL_TYPE_DATE, sizeof(ISC_DATE), 0, 0, 0}; }
        Slot operator()(double) const { return {SQL_DOUBLE, sizeof(double), 0, 0, 0}; }
        Slot operator()(const dataset::Blob&) const
        {
            return {SQL_BLOB, sizeof(ISC_QUAD), 0, isBlob(original) ? original.subType : 0,
                    isBlob(original) ? original.charSet : kCharSetNone};
        }
    };
    return std::visit(Visitor{original, previous}, value);
}

// One message layout built for a combination of parameter declarations.
struct Layout {
    std::vector<Slot> slots;
    fb::Handle<Firebird::IMessageMetadata> metadata;
    std::vector<unsigned> offsets;
    std::vector<unsigned> nullOffsets;
    unsigned length = 0;
};

// A column of the rows (or an output parameter) as the message carries it.
struct Column {
    unsigned type = 0;
    int scale = 0;
    unsigned length = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
    int subType = 0;
    unsigned charSet = 0;
};

int bytesPerCharacter(unsigned charSet)
{
    switch (charSet) {
    case 3: // UNICODE_FSS
        return 3;
    case 4: // UTF8
        return 4;
    case 5:  // SJIS_0208
    case 6:  // EUCJ_0208
    case 44: // KSC_5601
    case 56: // BIG_5
    case 57: // GB_2312
        return 2;
    default:
        return 1;
    }
}

// The PSQL type that holds what a message slot of this description holds: texts in
// the database's default character set with the same number of characters.
std::string declarationOf(unsigned type, int scale, unsigned length, int subType, unsigned charSet)
{
    const std::string digits = std::to_string(-scale);
    const std::string characters = std::to_string(length / static_cast<unsigned>(bytesPerCharacter(charSet)));
    switch (type) {
    case SQL_VARYING:
        return "varchar(" + characters + ")";
    case SQL_TEXT:
        return "char(" + characters + ")";
    case SQL_SHORT:
        return scale == 0 ? "smallint" : "numeric(4, " + digits + ")";
    case SQL_LONG:
        return scale == 0 ? "integer" : "numeric(9, " + digits + ")";
    case SQL_INT64:
        return scale == 0 ? "bigint" : "numeric(18, " + digits + ")";
    case SQL_TYPE_DATE:
        return "date";
    case SQL_TIMESTAMP:
        return "timestamp";
    case SQL_TYPE_TIME:
        return "time";
    case SQL_FLOAT:
        return "float";
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return "double precision";
    case SQL_BOOLEAN:
        return "boolean";
    case SQL_BLOB:
        return "blob sub_type " + std::to_string(subType);
    default:
        throw platform::DatabaseError("No declaration for a parameter of type " + std::to_string(type));
    }
}

dataset::ColumnInfo columnInfo(const char* alias, unsigned type, int scale, unsigned length, unsigned charSet)
{
    using dataset::FieldKind;
    dataset::ColumnInfo info;
    info.name = alias;
    switch (type) {
    case SQL_VARYING:
        info.kind = FieldKind::Text;
        info.size = static_cast<int>(length) / bytesPerCharacter(charSet);
        break;
    case SQL_TEXT:
        info.kind = FieldKind::FixedText;
        info.size = static_cast<int>(length) / bytesPerCharacter(charSet);
        break;
    case SQL_SHORT:
    case SQL_LONG:
        info.kind = scale < 0 ? FieldKind::Decimal : FieldKind::Integer;
        info.size = scale < 0 ? -scale : 0;
        break;
    case SQL_INT64:
        info.kind = FieldKind::Decimal;
        info.size = scale < 0 ? -scale : 0;
        break;
    case SQL_TYPE_DATE:
    case SQL_TIMESTAMP:
        info.kind = FieldKind::Date;
        break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        info.kind = FieldKind::Float;
        break;
    case SQL_TYPE_TIME:
        // No time-of-day kind in the record sets: the time travels as "HH:MM:SS".
        info.kind = FieldKind::Text;
        info.size = 8;
        break;
    case SQL_BOOLEAN:
        info.kind = FieldKind::Integer;
        break;
    default: // blobs, and arrays, which are read as null
        info.kind = FieldKind::Blob;
        break;
    }
    return info;
}

template <typename T> T load(const unsigned char* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T> void store(unsigned char* at, T value)
{
    std::memcpy(at, &value, sizeof value);
}

dataset::Value scaledValue(std::int64_t unscaled, int scale, bool integerKind)
{
    if (scale == 0 && integerKind)
        return static_cast<std::int32_t>(unscaled);
    if (scale <= 0)
        return dataset::Decimal::fromUnscaled(unscaled, -scale);
    // A positive scale (old databases only) multiplies by a power of ten.
    return *dataset::Decimal::parse(
        std::to_string(unscaled) + std::string(static_cast<std::size_t>(scale), '0'), '.');
}

void writeBlob(Connection::Native& client, Firebird::ITransaction* transaction, const std::string& bytes,
               unsigned char* at)
{
    auto* status = client.status.get();
    ISC_QUAD id{};
    fb::Handle<Firebird::IBlob> blob(client.attachment->createBlob(status, transaction, &id, 0, nullptr));
    for (std::size_t done = 0; done < bytes.size(); done += kBlobSegment) {
        const std::size_t part = std::min(kBlobSegment, bytes.size() - done);
        blob->putSegment(status, static_cast<unsigned>(part), bytes.data() + done);
    }
    blob.end([&](Firebird::IBlob* written) { written->close(status); });
    store(at, id);
}

void writeText(unsigned char* at, const std::string& text)
{
    store(at, static_cast<ISC_USHORT>(text.size()));
    std::memcpy(at + sizeof(ISC_USHORT), text.data(), text.size());
}

std::string readBlob(Connection::Native& client, Firebird::ITransaction* transaction, ISC_QUAD id,
                     std::vector<unsigned char>& buffer)
{
    auto* status = client.status.get();
    fb::Handle<Firebird::IBlob> blob(client.attachment->openBlob(status, transaction, &id, 0, nullptr));
    std::string bytes;
    buffer.resize(kBlobSegment);
    unsigned got = 0;
    while (blob->getSegment(status, static_cast<unsigned>(buffer.size()), buffer.data(), &got) !=
           Firebird::IStatus::RESULT_NO_DATA)
        bytes.append(reinterpret_cast<const char*>(buffer.data()), got);
    blob.end([&](Firebird::IBlob* read) { read->close(status); });
    return bytes;
}

// Inserted, updated and deleted rows of the last execution.
std::uint64_t affectedRows(Firebird::IStatement* handle, Firebird::ThrowStatusWrapper* status)
{
    const unsigned char items[] = {isc_info_sql_records, isc_info_end};
    unsigned char buffer[64] = {};
    handle->getInfo(status, sizeof items, items, sizeof buffer, buffer);
    if (buffer[0] != isc_info_sql_records)
        return 0;
    std::uint64_t total = 0;
    const unsigned char* at = buffer + 3;
    const unsigned char* const end = buffer + sizeof buffer;
    while (at + 3 <= end && *at != isc_info_end) {
        const unsigned char item = *at;
        const auto length = static_cast<unsigned>(at[1] | (at[2] << 8));
        at += 3;
        if (at + length > end)
            break;
        std::uint64_t count = 0;
        for (unsigned i = 0; i < length && i < 8; ++i)
            count |= static_cast<std::uint64_t>(at[i]) << (8 * i);
        if (item == isc_info_req_insert_count || item == isc_info_req_update_count ||
            item == isc_info_req_delete_count)
            total += count;
        at += length;
    }
    return total;
}

} // namespace

struct Statement::Prepared {
    fb::Handle<Firebird::IStatement> handle;
    unsigned type = 0;

    fb::Handle<Firebird::IMessageMetadata> inputMetadata;
    std::vector<Slot> inputOriginal;
    std::vector<std::unique_ptr<Layout>> layouts;
    Layout* layout = nullptr;
    std::vector<Slot> wanted;
    std::vector<unsigned char> inBuffer;

    fb::Handle<Firebird::IMessageMetadata> outputMetadata;
    std::vector<Column> output;
    std::vector<dataset::ColumnInfo> columns;
    std::vector<unsigned char> outBuffer;
    std::vector<unsigned char> blobBuffer;

    // Prepares sql within the transaction given and reads what the statement takes
    // and gives.
    Prepared(Connection::Native& client, Firebird::ITransaction* transaction, const std::string& sql);

    bool isSelect() const
    {
        return type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
    }
    // Also an INSERT ... RETURNING, which Firebird runs as one.
    bool isProcedure() const { return type == isc_info_sql_stmt_exec_procedure; }

    // Finds or builds the message layout for the declarations in wanted.
    Layout& layoutFor(Connection::Native& client);
    // Fills the input message from the values; gives the metadata to send with it.
    Firebird::IMessageMetadata* bind(Connection::Native& client, Firebird::ITransaction* transaction,
                                     const Row& values);
    // The one way a statement runs: binds the values, then opens the cursor of a
    // select, given back open, or executes anything else, an executable procedure
    // into the output message.
    fb::Handle<Firebird::IResultSet> run(Connection::Native& client, Firebird::ITransaction* transaction,
                                         const Row& values, bool singleton = false);
    // The values of the output message.
    Row decodeRow(Connection::Native& client, Firebird::ITransaction* transaction);
};

Statement::Prepared::Prepared(Connection::Native& client, Firebird::ITransaction* transaction,
                              const std::string& sql)
{
    auto* status = client.status.get();
    handle = fb::Handle<Firebird::IStatement>(
        client.attachment->prepare(status, transaction, static_cast<unsigned>(sql.size()), sql.data(),
                                   kSqlDialect, Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    type = handle->getType(status);

    inputMetadata = fb::Handle<Firebird::IMessageMetadata>(handle->getInputMetadata(status));
    const unsigned inputs = inputMetadata->getCount(status);
    for (unsigned i = 0; i < inputs; ++i)
        inputOriginal.push_back({inputMetadata->getType(status, i), inputMetadata->getLength(status, i),
                                 inputMetadata->getScale(status, i), inputMetadata->getSubType(status, i),
                                 inputMetadata->getCharSet(status, i)});

    outputMetadata = fb::Handle<Firebird::IMessageMetadata>(handle->getOutputMetadata(status));
    const unsigned outputs = outputMetadata->getCount(status);
    for (unsigned i = 0; i < outputs; ++i) {
        const Column column{outputMetadata->getType(status, i),       outputMetadata->getScale(status, i),
                            outputMetadata->getLength(status, i),     outputMetadata->getOffset(status, i),
                            outputMetadata->getNullOffset(status, i), outputMetadata->getSubType(status, i),
                            outputMetadata->getCharSet(status, i)};
        output.push_back(column);
        columns.push_back(columnInfo(outputMetadata->getAlias(status, i), column.type, column.scale,
                                     column.length, outputMetadata->getCharSet(status, i)));
    }
    outBuffer.resize(outputMetadata->getMessageLength(status));
}

Statement::Statement(Connection& connection, std::string sql) : connection_(&connection), sql_(std::move(sql))
{
    prepared();
    connection_->enlist(this);
}

Statement::~Statement()
{
    if (connection_ != nullptr) {
        unprepare();
        connection_->delist(this);
    }
}

Connection& Statement::owner() const
{
    if (connection_ == nullptr)
        throw std::logic_error("Statement used after its connection was destroyed: " + sql_);
    return *connection_;
}

void Statement::connectionGone()
{
    prepared_.reset();
    connection_ = nullptr;
}

void Statement::unprepare()
{
    if (!prepared_)
        return;
    std::unique_ptr<Prepared> gone = std::move(prepared_);
    auto* status = connection_->native()->status.get();
    fb::endQuietly(gone->handle, [&](Firebird::IStatement* handle) { handle->free(status); });
}

Statement::Prepared& Statement::prepared(Transaction* transaction)
{
    if (prepared_)
        return *prepared_;
    Connection& connection = owner();
    Connection::Native& client = connection.opened();
    // Firebird prepares within a transaction (procedure bodies read metadata); outside
    // one of the caller's, a short read-only one serves.
    const auto prepareIn = [&](Transaction& within) {
        Firebird::ITransaction* handle = within.active().handle.get();
        prepared_ = fb::guarded(client, [&] { return std::make_unique<Prepared>(client, handle, sql_); });
    };
    if (transaction != nullptr) {
        prepareIn(*transaction);
    } else {
        Transaction own(connection, TransactionAccess::ReadOnly);
        prepareIn(own);
        own.commit();
    }
    return *prepared_;
}

const std::vector<dataset::ColumnInfo>& Statement::columns()
{
    return prepared().columns;
}

std::size_t Statement::parameterCount()
{
    return prepared().inputOriginal.size();
}

bool Statement::isSelect()
{
    return prepared().isSelect();
}

std::string Statement::parameterDeclaration(std::size_t index)
{
    const Slot& slot = prepared().inputOriginal.at(index);
    return declarationOf(slot.type & ~1u, slot.scale, slot.length, slot.subType, slot.charSet);
}

std::size_t Statement::inputMessageLength()
{
    Prepared& statement = prepared();
    return statement.inputMetadata->getMessageLength(owner().native()->status.get());
}

std::string Statement::columnDeclaration(std::size_t index)
{
    const Column& column = prepared().output.at(index);
    return declarationOf(column.type, column.scale, column.length, column.subType, column.charSet);
}

Layout& Statement::Prepared::layoutFor(Connection::Native& client)
{
    if (layout != nullptr && layout->slots == wanted)
        return *layout;
    for (const auto& candidate : layouts)
        if (candidate->slots == wanted)
            return *(layout = candidate.get());

    auto* status = client.status.get();
    fb::Handle<Firebird::IMetadataBuilder> builder(inputMetadata->getBuilder(status));

    for (unsigned i = 0; i < wanted.size(); ++i) {
        const Slot& slot = wanted[i];
        builder->setType(status, i, slot.type);
        builder->setLength(status, i, slot.length);
        builder->setScale(status, i, slot.scale);
        builder->setSubType(status, i, slot.subType);
        builder->setCharSet(status, i, slot.charSet);
    }
    auto built = std::make_unique<Layout>();
    built->slots = wanted;
    built->metadata = fb::Handle<Firebird::IMessageMetadata>(builder->getMetadata(status));
    for (unsigned i = 0; i < wanted.size(); ++i) {
        built->offsets.push_back(built->metadata->getOffset(status, i));
        built->nullOffsets.push_back(built->metadata->getNullOffset(status, i));
    }
    built->length = built->metadata->getMessageLength(status);

    if (layouts.size() >= kMaxLayouts) {
        layouts.clear();
        layout = nullptr;
    }
    layouts.push_back(std::move(built));
    return *(layout = layouts.back().get());
}

Firebird::IMessageMetadata* Statement::Prepared::bind(Connection::Native& client,
                                                      Firebird::ITransaction* transaction, const Row& values)
{
    const std::size_t count = inputOriginal.size();
    if (values.size() != count)
        throw std::invalid_argument("Statement expects " + std::to_string(count) + " parameters, " +
                                    std::to_string(values.size()) + " given");
    if (count == 0)
        return nullptr;

    wanted.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        wanted[i] = slotFor(values[i], inputOriginal[i], layout != nullptr ? layout->slots[i] : Slot{});
    const Layout& chosen = layoutFor(client);

    if (inBuffer.size() < chosen.length)
        inBuffer.resize(chosen.length);
    unsigned char* message = inBuffer.data();
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* at = message + chosen.offsets[i];
        const Slot& slot = chosen.slots[i];
        const dataset::Value& value = values[i];
        store(message + chosen.nullOffsets[i], static_cast<short>(dataset::isNull(value) ? -1 : 0));
        if (const auto* text = std::get_if<std::string>(&value)) {
            if (slot.type == SQL_BLOB)
                writeBlob(client, transaction, *text, at);
            else
                writeText(at, *text);
        } else if (const auto* integer = std::get_if<std::int32_t>(&value)) {
            store(at, static_cast<ISC_LONG>(*integer));
        } else if (const auto* decimal = std::get_if<dataset::Decimal>(&value)) {
            if (slot.type == SQL_INT64) {
                store(at, static_cast<ISC_INT64>(*decimal->unscaled()));
            } else {
                const std::string text = decimal->toText('.');
                if (slot.type == SQL_BLOB)
                    writeBlob(client, transaction, text, at);
                else
                    writeText(at, text);
            }
        } else if (const auto* date = std::get_if<dataset::Date>(&value)) {
            store(at, client.util->encodeDate(static_cast<unsigned>(date->year),
                                              static_cast<unsigned>(date->month),
                                              static_cast<unsigned>(date->day)));
        } else if (const auto* number = std::get_if<double>(&value)) {
            store(at, *number);
        } else if (const auto* blob = std::get_if<dataset::Blob>(&value)) {
            writeBlob(client, transaction, blob->bytes, at);
        }
    }
    return chosen.metadata.get();
}

Row Statement::Prepared::decodeRow(Connection::Native& client, Firebird::ITransaction* transaction)
{
    const unsigned char* message = outBuffer.data();
    Row row;
    row.reserve(output.size());
    for (const Column& column : output) {
        const unsigned char* at = message + column.offset;
        if (load<short>(message + column.nullOffset) != 0 || column.type == SQL_NULL) {
            row.emplace_back();
            continue;
        }
        switch (column.type) {
        case SQL_TEXT:
            row.emplace_back(std::string(reinterpret_cast<const char*>(at), column.length));
            break;
        case SQL_VARYING:
            row.emplace_back(
                std::string(reinterpret_cast<const char*>(at + sizeof(ISC_USHORT)), load<ISC_USHORT>(at)));
            break;
        case SQL_SHORT:
            row.push_back(scaledValue(load<ISC_SHORT>(at), column.scale, true));
            break;
        case SQL_LONG:
            row.push_back(scaledValue(load<ISC_LONG>(at), column.scale, true));
            break;
        case SQL_INT64:
            row.push_back(scaledValue(load<ISC_INT64>(at), column.scale, false));
            break;
        case SQL_FLOAT:
            row.emplace_back(static_cast<double>(load<float>(at)));
            break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            row.emplace_back(load<double>(at));
            break;
        case SQL_TYPE_DATE:
        case SQL_TIMESTAMP: {
            unsigned year = 0, month = 0, day = 0;
            client.util->decodeDate(load<ISC_DATE>(at), &year, &month, &day);
            row.emplace_back(
                dataset::Date{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)});
            break;
        }
        case SQL_TYPE_TIME: {
            unsigned hours = 0, minutes = 0, seconds = 0, fractions = 0;
            client.util->decodeTime(load<ISC_TIME>(at), &hours, &minutes, &seconds, &fractions);
            char text[16];
            std::snprintf(text, sizeof text, "%02u:%02u:%02u", hours % 100, minutes % 100, seconds % 100);
            row.emplace_back(std::string(text));
            break;
        }
        case SQL_BOOLEAN:
            row.emplace_back(static_cast<std::int32_t>(load<FB_BOOLEAN>(at) != 0));
            break;
        case SQL_BLOB:
            row.emplace_back(dataset::Blob{readBlob(client, transaction, load<ISC_QUAD>(at), blobBuffer)});
            break;
        default: // arrays are not read
            row.emplace_back();
            break;
        }
    }
    return row;
}

fb::Handle<Firebird::IResultSet> Statement::Prepared::run(Connection::Native& client,
                                                          Firebird::ITransaction* transaction,
                                                          const Row& values, bool singleton)
{
    Firebird::IMessageMetadata* input = bind(client, transaction, values);
    void* inputMessage = input != nullptr ? inBuffer.data() : nullptr;
    auto* status = client.status.get();
    if (singleton) {
        handle->execute(status, transaction, input, inputMessage, outputMetadata.get(), outBuffer.data());
        return {};
    }
    if (isSelect())
        return fb::Handle<Firebird::IResultSet>(
            handle->openCursor(status, transaction, input, inputMessage, outputMetadata.get(), 0));
    const bool outputs = isProcedure() && !output.empty();
    handle->execute(status, transaction, input, inputMessage, outputs ? outputMetadata.get() : nullptr,
                    outputs ? outBuffer.data() : nullptr);
    return {};
}

template <typename Work>
auto Statement::running(Transaction& transaction, const Row& parameters, Work&& work, bool singleton)
{
    Prepared& statement = prepared(&transaction);
    Connection::Native& client = *connection_->native();
    Firebird::ITransaction* handle = transaction.active().handle.get();
    return fb::guarded(client, [&] {
        fb::Handle<Firebird::IResultSet> cursor = statement.run(client, handle, parameters, singleton);
        auto result = work(statement, client, handle, cursor.get());
        if (cursor)
            cursor.end([&](Firebird::IResultSet* open) { open->close(client.status.get()); });
        return result;
    });
}

std::uint64_t Statement::execute(Transaction& transaction, const Row& parameters)
{
    return running(transaction, parameters,
                   [](Prepared& statement, Connection::Native& client, Firebird::ITransaction*,
                      Firebird::IResultSet* cursor) {
                       return cursor != nullptr ? 0
                                                : affectedRows(statement.handle.get(), client.status.get());
                   });
}

void Statement::executeOne(Transaction& transaction, const Row& parameters)
{
    running(transaction, parameters, [](auto&&...) { return true; });
}

std::uint64_t Statement::execute(const Row& parameters)
{
    return owner().inOwnTransaction(
        [&](Transaction& transaction) { return execute(transaction, parameters); });
}

Rows Statement::fetchAll(Transaction& transaction, const Row& parameters)
{
    return running(
        transaction, parameters,
        [](Prepared& statement, Connection::Native& client, Firebird::ITransaction* handle,
           Firebird::IResultSet* cursor) {
            Rows rows;
            if (statement.isProcedure())
                rows.push_back(statement.output.empty() ? Row{} : statement.decodeRow(client, handle));
            while (cursor != nullptr && cursor->fetchNext(client.status.get(), statement.outBuffer.data()) ==
                                            Firebird::IStatus::RESULT_OK)
                rows.push_back(statement.decodeRow(client, handle));
            return rows;
        });
}

Rows Statement::fetchAll(const Row& parameters)
{
    return owner().inOwnTransaction(
        [&](Transaction& transaction) { return fetchAll(transaction, parameters); });
}

Row Statement::executeProcedure(Transaction& transaction, const Row& parameters)
{
    Rows rows = fetchAll(transaction, parameters);
    return rows.empty() ? Row{} : std::move(rows.front());
}

Row Statement::fetchSingleton(Transaction& transaction, const Row& parameters)
{
    return running(
        transaction, parameters,
        [](Prepared& statement, Connection::Native& client, Firebird::ITransaction* handle,
           Firebird::IResultSet*) { return statement.decodeRow(client, handle); },
        true);
}

Row Statement::executeProcedure(const Row& parameters)
{
    return owner().inOwnTransaction(
        [&](Transaction& transaction) { return executeProcedure(transaction, parameters); });
}

} // namespace database
