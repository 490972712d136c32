#include "database/statement.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "database/connection.h"
#include "database/transaction.h"
#include "platform/errors.h"

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
    Firebird::IMessageMetadata* metadata = nullptr;
    std::vector<unsigned> offsets;
    std::vector<unsigned> nullOffsets;
    unsigned length = 0;
    ~Layout()
    {
        if (metadata != nullptr)
            metadata->release();
    }
};

// A column of the rows (or an output parameter) as the message carries it.
struct Column {
    unsigned type = 0;
    int scale = 0;
    unsigned length = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
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

void writeBlob(Connection& connection, Firebird::ITransaction* transaction, const std::string& bytes,
               unsigned char* at)
{
    auto* status = connection.status();
    ISC_QUAD id{};
    Firebird::IBlob* blob = connection.attachment()->createBlob(status, transaction, &id, 0, nullptr);
    connection.check();
    try {
        for (std::size_t done = 0; done < bytes.size(); done += kBlobSegment) {
            const std::size_t part = std::min(kBlobSegment, bytes.size() - done);
            blob->putSegment(status, static_cast<unsigned>(part), bytes.data() + done);
            connection.check();
        }
        blob->close(status);
        connection.check();
    } catch (...) {
        blob->release();
        throw;
    }
    store(at, id);
}

void writeText(unsigned char* at, const std::string& text)
{
    store(at, static_cast<ISC_USHORT>(text.size()));
    std::memcpy(at + sizeof(ISC_USHORT), text.data(), text.size());
}

std::string readBlob(Connection& connection, Firebird::ITransaction* transaction, ISC_QUAD id,
                     std::vector<unsigned char>& buffer)
{
    auto* status = connection.status();
    Firebird::IBlob* blob = connection.attachment()->openBlob(status, transaction, &id, 0, nullptr);
    connection.check();
    std::string bytes;
    try {
        buffer.resize(kBlobSegment);
        for (;;) {
            unsigned got = 0;
            const int result =
                blob->getSegment(status, static_cast<unsigned>(buffer.size()), buffer.data(), &got);
            if (result == Firebird::IStatus::RESULT_NO_DATA)
                break;
            connection.check();
            bytes.append(reinterpret_cast<const char*>(buffer.data()), got);
        }
        blob->close(status);
        connection.check();
    } catch (...) {
        blob->release();
        throw;
    }
    return bytes;
}

// Inserted, updated and deleted rows of the last execution.
std::uint64_t affectedRows(Firebird::IStatement* handle, Connection& connection)
{
    const unsigned char items[] = {isc_info_sql_records, isc_info_end};
    unsigned char buffer[64] = {};
    handle->getInfo(connection.status(), sizeof items, items, sizeof buffer, buffer);
    connection.check();
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

}  // namespace

struct Statement::Prepared {
    Firebird::IStatement* handle = nullptr;
    unsigned type = 0;

    Firebird::IMessageMetadata* inputMetadata = nullptr;
    std::vector<Slot> inputOriginal;
    std::vector<std::unique_ptr<Layout>> layouts;
    Layout* layout = nullptr;
    std::vector<Slot> wanted;
    std::vector<unsigned char> inBuffer;

    Firebird::IMessageMetadata* outputMetadata = nullptr;
    std::vector<Column> output;
    std::vector<dataset::ColumnInfo> columns;
    std::vector<unsigned char> outBuffer;
    std::vector<unsigned char> blobBuffer;

    ~Prepared()
    {
        layouts.clear();
        if (inputMetadata != nullptr)
            inputMetadata->release();
        if (outputMetadata != nullptr)
            outputMetadata->release();
    }

    bool isSelect() const
    {
        return type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
    }
    bool isProcedure() const { return type == isc_info_sql_stmt_exec_procedure; }

    // Finds or builds the message layout for the declarations in wanted.
    Layout& layoutFor(Connection& connection);
    // Fills the input message from the values; gives the metadata to send with it.
    Firebird::IMessageMetadata* bind(Connection& connection, Firebird::ITransaction* transaction,
                                     const Row& values);
    // The values of the output message.
    Row decodeRow(Connection& connection, Firebird::ITransaction* transaction);
};

Statement::Statement(Connection& connection, std::string sql) : connection_(&connection), sql_(std::move(sql))
{
    connection_->enlist(this);
    try {
        prepared();
    } catch (...) {
        connection_->delist(this);
        throw;
    }
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
    if (gone->handle != nullptr) {
        auto* status = connection_->status();
        gone->handle->free(status);
        if (status->getState() & Firebird::IStatus::STATE_ERRORS)
            gone->handle->release();
        gone->handle = nullptr;
    }
}

Statement::Prepared& Statement::prepared(Transaction* transaction)
{
    if (prepared_)
        return *prepared_;
    Connection& connection = owner();
    Firebird::IAttachment* attachment = connection.attachment();
    auto* status = connection.status();
    auto result = std::make_unique<Prepared>();
    Prepared& p = *result;

    // Firebird prepares within a transaction (procedure bodies read metadata); outside
    // one of the caller's, a short read-only one serves.
    const auto prepareIn = [&](Firebird::ITransaction* tra) {
        p.handle = attachment->prepare(status, tra, static_cast<unsigned>(sql_.size()), sql_.data(),
                                       kSqlDialect, Firebird::IStatement::PREPARE_PREFETCH_METADATA);
        connection.check();
        // From here on the handle is freed with the rest if a later step fails.
        prepared_ = std::move(result);
    };
    try {
        if (transaction != nullptr) {
            prepareIn(transaction->handle());
        } else {
            Transaction own(connection, TransactionAccess::ReadOnly);
            prepareIn(own.handle());
            own.commit();
        }
        p.type = p.handle->getType(status);
        connection.check();

        p.inputMetadata = p.handle->getInputMetadata(status);
        connection.check();
        const unsigned inputs = p.inputMetadata->getCount(status);
        connection.check();
        for (unsigned i = 0; i < inputs; ++i) {
            Slot slot;
            slot.type = p.inputMetadata->getType(status, i);
            slot.length = p.inputMetadata->getLength(status, i);
            slot.scale = p.inputMetadata->getScale(status, i);
            slot.subType = p.inputMetadata->getSubType(status, i);
            slot.charSet = p.inputMetadata->getCharSet(status, i);
            connection.check();
            p.inputOriginal.push_back(slot);
        }

        p.outputMetadata = p.handle->getOutputMetadata(status);
        connection.check();
        const unsigned outputs = p.outputMetadata->getCount(status);
        connection.check();
        for (unsigned i = 0; i < outputs; ++i) {
            Column column;
            column.type = p.outputMetadata->getType(status, i);
            column.scale = p.outputMetadata->getScale(status, i);
            column.length = p.outputMetadata->getLength(status, i);
            column.offset = p.outputMetadata->getOffset(status, i);
            column.nullOffset = p.outputMetadata->getNullOffset(status, i);
            const unsigned charSet = p.outputMetadata->getCharSet(status, i);
            const char* alias = p.outputMetadata->getAlias(status, i);
            connection.check();
            p.output.push_back(column);
            p.columns.push_back(columnInfo(alias, column.type, column.scale, column.length, charSet));
        }
        p.outBuffer.resize(p.outputMetadata->getMessageLength(status));
        connection.check();
    } catch (...) {
        unprepare();
        throw;
    }
    return p;
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

Layout& Statement::Prepared::layoutFor(Connection& connection)
{
    Prepared& p = *this;
    if (p.layout != nullptr && p.layout->slots == p.wanted)
        return *p.layout;
    for (const auto& candidate : p.layouts)
        if (candidate->slots == p.wanted)
            return *(p.layout = candidate.get());

    auto* status = connection.status();
    Firebird::IMetadataBuilder* builder = p.inputMetadata->getBuilder(status);
    connection.check();
    struct ReleaseBuilder {
        Firebird::IMetadataBuilder* builder;
        ~ReleaseBuilder() { builder->release(); }
    } releaseBuilder{builder};

    for (unsigned i = 0; i < p.wanted.size(); ++i) {
        const Slot& slot = p.wanted[i];
        builder->setType(status, i, slot.type);
        builder->setLength(status, i, slot.length);
        builder->setScale(status, i, slot.scale);
        builder->setSubType(status, i, slot.subType);
        builder->setCharSet(status, i, slot.charSet);
        connection.check();
    }
    auto layout = std::make_unique<Layout>();
    layout->slots = p.wanted;
    layout->metadata = builder->getMetadata(status);
    connection.check();
    for (unsigned i = 0; i < p.wanted.size(); ++i) {
        layout->offsets.push_back(layout->metadata->getOffset(status, i));
        layout->nullOffsets.push_back(layout->metadata->getNullOffset(status, i));
        connection.check();
    }
    layout->length = layout->metadata->getMessageLength(status);
    connection.check();

    if (p.layouts.size() >= kMaxLayouts) {
        p.layouts.clear();
        p.layout = nullptr;
    }
    p.layouts.push_back(std::move(layout));
    return *(p.layout = p.layouts.back().get());
}

Firebird::IMessageMetadata* Statement::Prepared::bind(Connection& connection,
                                                      Firebird::ITransaction* transaction, const Row& values)
{
    Prepared& p = *this;
    const std::size_t count = p.inputOriginal.size();
    if (values.size() != count)
        throw std::invalid_argument("Statement expects " + std::to_string(count) + " parameters, " +
                                    std::to_string(values.size()) + " given");
    if (count == 0)
        return nullptr;

    p.wanted.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        p.wanted[i] =
            slotFor(values[i], p.inputOriginal[i], p.layout != nullptr ? p.layout->slots[i] : Slot{});
    Layout& layout = layoutFor(connection);

    if (p.inBuffer.size() < layout.length)
        p.inBuffer.resize(layout.length);
    unsigned char* message = p.inBuffer.data();
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* at = message + layout.offsets[i];
        const Slot& slot = layout.slots[i];
        const dataset::Value& value = values[i];
        store(message + layout.nullOffsets[i], static_cast<short>(dataset::isNull(value) ? -1 : 0));
        if (const auto* text = std::get_if<std::string>(&value)) {
            if (slot.type == SQL_BLOB)
                writeBlob(connection, transaction, *text, at);
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
                    writeBlob(connection, transaction, text, at);
                else
                    writeText(at, text);
            }
        } else if (const auto* date = std::get_if<dataset::Date>(&value)) {
            store(at, connection.util()->encodeDate(static_cast<unsigned>(date->year),
                                                    static_cast<unsigned>(date->month),
                                                    static_cast<unsigned>(date->day)));
        } else if (const auto* number = std::get_if<double>(&value)) {
            store(at, *number);
        } else if (const auto* blob = std::get_if<dataset::Blob>(&value)) {
            writeBlob(connection, transaction, blob->bytes, at);
        }
    }
    return layout.metadata;
}

Row Statement::Prepared::decodeRow(Connection& connection, Firebird::ITransaction* transaction)
{
    Prepared& p = *this;
    const unsigned char* message = p.outBuffer.data();
    Row row;
    row.reserve(p.output.size());
    for (const Column& column : p.output) {
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
            connection.util()->decodeDate(load<ISC_DATE>(at), &year, &month, &day);
            row.emplace_back(
                dataset::Date{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)});
            break;
        }
        case SQL_TYPE_TIME: {
            unsigned hours = 0, minutes = 0, seconds = 0, fractions = 0;
            connection.util()->decodeTime(load<ISC_TIME>(at), &hours, &minutes, &seconds, &fractions);
            char text[16];
            std::snprintf(text, sizeof text, "%02u:%02u:%02u", hours % 100, minutes % 100, seconds % 100);
            row.emplace_back(std::string(text));
            break;
        }
        case SQL_BOOLEAN:
            row.emplace_back(static_cast<std::int32_t>(load<FB_BOOLEAN>(at) != 0));
            break;
        case SQL_BLOB:
            row.emplace_back(
                dataset::Blob{readBlob(connection, transaction, load<ISC_QUAD>(at), p.blobBuffer)});
            break;
        default: // arrays are not read
            row.emplace_back();
            break;
        }
    }
    return row;
}

Statement::Prepared& Statement::run(Transaction& transaction, const Row& parameters)
{
    Prepared& p = prepared(&transaction);
    Connection& connection = *connection_;
    Firebird::ITransaction* handle = transaction.handle();
    Firebird::IMessageMetadata* input = p.bind(connection, handle, parameters);
    void* inBuffer = input != nullptr ? p.inBuffer.data() : nullptr;
    auto* status = connection.status();

    if (p.isSelect()) {
        Firebird::IResultSet* cursor = p.handle->openCursor(status, handle, input, inBuffer, nullptr, 0);
        connection.check();
        cursor->close(status);
        if (status->getState() & Firebird::IStatus::STATE_ERRORS) {
            cursor->release();
            connection.raiseStatus();
        }
        return p;
    }
    const bool outputs = p.isProcedure() && !p.output.empty();
    p.handle->execute(status, handle, input, inBuffer, outputs ? p.outputMetadata : nullptr,
                      outputs ? p.outBuffer.data() : nullptr);
    connection.check();
    return p;
}

std::uint64_t Statement::execute(Transaction& transaction, const Row& parameters)
{
    Prepared& p = run(transaction, parameters);
    return p.isSelect() ? 0 : affectedRows(p.handle, *connection_);
}

void Statement::executeOne(Transaction& transaction, const Row& parameters)
{
    run(transaction, parameters);
}

std::uint64_t Statement::execute(const Row& parameters)
{
    return owner().inOwnTransaction(
        [&](Transaction& transaction) { return execute(transaction, parameters); });
}

Rows Statement::fetchAll(Transaction& transaction, const Row& parameters)
{
    Prepared& p = prepared(&transaction);
    Rows rows;
    if (p.isProcedure()) {
        rows.push_back(executeProcedure(transaction, parameters));
        return rows;
    }
    Connection& connection = *connection_;
    Firebird::ITransaction* handle = transaction.handle();
    Firebird::IMessageMetadata* input = p.bind(connection, handle, parameters);
    void* inBuffer = input != nullptr ? p.inBuffer.data() : nullptr;
    auto* status = connection.status();
    if (!p.isSelect()) {
        p.handle->execute(status, handle, input, inBuffer, nullptr, nullptr);
        connection.check();
        return rows;
    }

    Firebird::IResultSet* cursor = p.handle->openCursor(status, handle, input, inBuffer, p.outputMetadata, 0);
    connection.check();
    try {
        while (cursor->fetchNext(status, p.outBuffer.data()) == Firebird::IStatus::RESULT_OK)
            rows.push_back(p.decodeRow(connection, handle));
        connection.check();
        cursor->close(status);
        connection.check();
    } catch (...) {
        cursor->release();
        throw;
    }
    return rows;
}

Rows Statement::fetchAll(const Row& parameters)
{
    return owner().inOwnTransaction(
        [&](Transaction& transaction) { return fetchAll(transaction, parameters); });
}

Row Statement::executeProcedure(Transaction& transaction, const Row& parameters)
{
    Prepared& p = prepared(&transaction);
    Connection& connection = *connection_;
    Firebird::ITransaction* handle = transaction.handle();
    Firebird::IMessageMetadata* input = p.bind(connection, handle, parameters);
    void* inBuffer = input != nullptr ? p.inBuffer.data() : nullptr;
    const bool outputs = !p.output.empty();
    p.handle->execute(connection.status(), handle, input, inBuffer, outputs ? p.outputMetadata : nullptr,
                      outputs ? p.outBuffer.data() : nullptr);
    connection.check();
    return outputs ? p.decodeRow(connection, handle) : Row{};
}

Row Statement::executeProcedure(const Row& parameters)
{
    return owner().inOwnTransaction(
        [&](Transaction& transaction) { return executeProcedure(transaction, parameters); });
}

}  // namespace database
