// The floor of the import benchmark: the database work that importing a quotation
// file requires, done straight through the Firebird client library's own interfaces
// (master, provider, attachment, transaction, statement, message metadata) and
// nothing else. Same file, same rows written, same look-ups, but no record sets, no
// window, no change log and none of the program's own database layer; every
// statement prepared once, its input message laid out once from the statement's
// input metadata and filled in place for each execution; the look-ups in one
// read-only read-committed transaction for the whole run, read through cursors;
// each quotation's new identifier in a committed transaction of its own and its
// INSERTs (header, then its lines, every column) in one transaction, with no
// affected-row counts asked for. The import's time over this one says what its own
// machinery costs.
//
//   IMPORTARCOT_PASSWORD=... bench_floor --server S --user U --company C --file F
//       [--separator comma|semicolon|tab] [--delimiter none|double|single] [--batched yes]
//
// With --batched yes it is the floor over a slow network instead: each quotation's
// lines wait for its end, their article codes not seen before are looked up in one
// block, and its identifier, header and lines are written by another block, the
// identifier and the rows each in an autonomous transaction; the settings are read
// once per run. Same rows, a few round trips per quotation instead of dozens.
//
// The file is read with the import's rules (delimiter stretches, comma to point,
// CR, LF or CR LF line ends, empty cells keep the value before) and mapped with the
// company's quotation mapping, as the import does. Values are converted to the
// column's type here as Firebird converts the import's: texts as they are, CHAR
// padded with blanks, decimals to the column's scale rounded half away from zero.
#include "database/queries.h"
#include "dataset/date.h"
#include "dataset/decimal.h"
#include "dataset/integer_text.h"
#include "import/line_amounts.h"
#include "platform/errors.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <firebird/Interface.h>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

using dataset::Decimal;
using dataset::Money;
using dataset::Value;
using Row = std::vector<Value>;
using Rows = std::vector<Row>;
// The data names of the quotation mapping, in the order of their values below.
enum Name {
    PREF_PRE,
    COTI_NUMERO,
    COTI_FECHA,
    COTI_VALIDEZ,
    VEND_COD,
    PTVT_ID,
    TERC_NIT,
    COTI_NOMTERC,
    COTI_SUCURSAL,
    COTI_EXTRA,
    COTI_ADICIONAL,
    COTI_DTOMONTO,
    COTI_OBS,
    COTI_ORDENC,
    COTI_IMPTOS,
    CTDE_CODBAR,
    CTDE_DESC,
    CTDE_CANT,
    CTDE_UNIDAD,
    LIPR_COD,
    CTDE_PRUNIT,
    CTDE_DTOPORC,
    CTDE_DTOMONTO,
    CTDE_IVAPORC,
    CTDE_IVAMONTO,
    CTDE_CONSUMO,
    CTDE_REFERENCIA,
    CTDE_TOTAL,
    kNames
};
constexpr std::array<std::string_view, kNames> kNameTexts = {
    "PREF_PRE",      "COTI_NUMERO",  "COTI_FECHA",      "COTI_VALIDEZ", "VEND_COD",       "PTVT_ID",
    "TERC_NIT",      "COTI_NOMTERC", "COTI_SUCURSAL",   "COTI_EXTRA",   "COTI_ADICIONAL", "COTI_DTOMONTO",
    "COTI_OBS",      "COTI_ORDENC",  "COTI_IMPTOS",     "CTDE_CODBAR",  "CTDE_DESC",      "CTDE_CANT",
    "CTDE_UNIDAD",   "LIPR_COD",     "CTDE_PRUNIT",     "CTDE_DTOPORC", "CTDE_DTOMONTO",  "CTDE_IVAPORC",
    "CTDE_IVAMONTO", "CTDE_CONSUMO", "CTDE_REFERENCIA", "CTDE_TOTAL"};

const platform::RegionalSettings kRegional{'.', "dd/MM/yyyy", '/'};

// ---- values as the record sets would hold them --------------------------------

Value text(const std::string& value, std::size_t width)
{
    if (value.empty())
        return {};
    return value.substr(0, width);
}

Value integer(const std::string& value)
{
    if (value.empty())
        return {};
    if (const auto parsed = dataset::parseInteger(value))
        return *parsed;
    throw platform::ConversionError("'" + value + "' is not a valid integer value");
}

Value decimal(const std::string& value)
{
    if (value.empty())
        return {};
    if (auto parsed = Decimal::parse(value, kRegional.decimalSeparator))
        return *parsed;
    throw platform::ConversionError(value + " is not a valid BCD value");
}

Value date(const std::string& value)
{
    if (value.empty())
        return {};
    if (const auto parsed = dataset::parseDate(value, kRegional, dataset::today().year))
        return *parsed;
    throw platform::ConversionError("'" + value + "' is not a valid date");
}

Value money(Money value)
{
    return Decimal::fromMoney(value);
}

Money asMoney(const Value& value)
{
    if (const auto* d = std::get_if<Decimal>(&value))
        return d->toMoney();
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return static_cast<Money>(*i) * dataset::kMoneyOne;
    return 0;
}

std::string asText(const Value& value)
{
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return std::to_string(*i);
    return {};
}

// ---- the file ------------------------------------------------------------------

// Cuts the file into lines with the import's rules and calls onLine(slots) for
// each line that has some text. Slots beyond a line's fields keep earlier text.
template <typename OnLine>
void readFile(const std::string& path, char separator, char delimiter, OnLine onLine)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::vector<std::string> slots(101), fields(101);
    std::size_t count = 0;
    bool inStretch = false;
    bool pendingLF = false;
    bool lineOpen = false;
    auto endLine = [&] {
        bool any = false;
        for (std::size_t k = 0; k <= count; ++k)
            any = any || !fields[k].empty();
        if (any) {
            for (std::size_t k = 0; k <= count; ++k)
                slots[k].swap(fields[k]);
            onLine(slots);
        }
        for (std::size_t k = 0; k <= count; ++k)
            fields[k].clear();
        count = 0;
    };
    std::vector<char> block(64 * 1024);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < got; ++i) {
            const char b = block[i];
            if (pendingLF) {
                pendingLF = false;
                if (b == '\n')
                    continue;
            }
            lineOpen = true;
            if (b == delimiter) {
                inStretch = !inStretch;
            } else if (!inStretch && b == separator) {
                if (count + 1 < fields.size())
                    ++count;
            } else if (b == '\r' || b == '\n') {
                inStretch = false;
                lineOpen = false;
                pendingLF = b == '\r';
                endLine();
            } else {
                fields[count].push_back(b == ',' ? '.' : b);
            }
        }
    }
    if (lineOpen)
        endLine();
}

// ---- the client library --------------------------------------------------------

using Firebird::FbException;
using Firebird::IAttachment;
using Firebird::IMessageMetadata;
using Firebird::IStatement;
using Firebird::ITransaction;
using Firebird::ThrowStatusWrapper;

constexpr unsigned kSqlDialect = 3;
// A plain path opens with the embedded engine alone, as the program does, so that
// it never ends up at a server that happens to run on this machine: the engine
// beside the client library loaded (Engine13 from Firebird 4 on).
const char* embeddedConfig(Firebird::IUtil* util)
{
    return util->getClientVersion() >> 8 >= 4 ? "Providers = Engine13" : "Providers = Engine12";
}
// The import's transactions: read committed, record version, wait on locks.
constexpr unsigned char kReadWrite[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                        isc_tpb_rec_version, isc_tpb_wait};
constexpr unsigned char kReadOnly[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                       isc_tpb_rec_version, isc_tpb_wait};

// Interfaces handed out with a reference, given back when their owner goes.
struct Release {
    template <typename T> void operator()(T* object) const { object->release(); }
};
template <typename T> using Owned = std::unique_ptr<T, Release>;

// A value that its column cannot take: the quotation is refused, as the server
// refuses it when the import sends the value (string truncation, numeric overflow).
class Unfit : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The library's master and utility interfaces and the one status through which
// every call reports; an error arrives as FbException.
class Client {
public:
    Client()
        : master_(Firebird::fb_get_master_interface()), util_(master_->getUtilInterface()),
          status_(master_->getStatus())
    {
    }
    ~Client() { status_.dispose(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    Firebird::IMaster* master() const { return master_; }
    Firebird::IUtil* util() const { return util_; }
    ThrowStatusWrapper* status() { return &status_; }

    std::string message(const FbException& error) const
    {
        char buffer[4096];
        util_->formatStatus(buffer, sizeof buffer, error.getStatus());
        return buffer;
    }

private:
    Firebird::IMaster* master_;
    Firebird::IUtil* util_;
    ThrowStatusWrapper status_;
};

bool throughServer(const std::string& path)
{
    // "host:/path"; "C:\..." is a drive letter, not a host.
    const auto colon = path.find(':');
    return !path.empty() && path.front() != '/' && colon != std::string::npos && colon > 1;
}

Owned<IAttachment> attach(Client& client, const std::string& path, const std::string& user,
                          const std::string& password)
{
    auto* status = client.status();
    Firebird::IXpbBuilder* dpb = client.util()->getXpbBuilder(status, Firebird::IXpbBuilder::DPB, nullptr, 0);
    struct Dispose {
        Firebird::IXpbBuilder* builder;
        ~Dispose() { builder->dispose(); }
    } dispose{dpb};
    dpb->insertString(status, isc_dpb_user_name, user.c_str());
    dpb->insertString(status, isc_dpb_password, password.c_str());
    dpb->insertInt(status, isc_dpb_sql_dialect, kSqlDialect);
    if (!throughServer(path))
        dpb->insertString(status, isc_dpb_config, embeddedConfig(client.util()));
    Owned<Firebird::IProvider> provider(client.master()->getDispatcher());
    return Owned<IAttachment>(
        provider->attachDatabase(status, path.c_str(), dpb->getBufferLength(status), dpb->getBuffer(status)));
}

class Transaction {
public:
    Transaction(Client& client, IAttachment* attachment, bool readOnly) : client_(client)
    {
        handle_ = readOnly ? attachment->startTransaction(client.status(), sizeof kReadOnly, kReadOnly)
                           : attachment->startTransaction(client.status(), sizeof kReadWrite, kReadWrite);
    }
    ~Transaction()
    {
        if (handle_ == nullptr)
            return;
        Firebird::CheckStatusWrapper status(client_.master()->getStatus());
        handle_->rollback(&status);
        if (status.getState() & Firebird::IStatus::STATE_ERRORS)
            handle_->release();
        status.dispose();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    ITransaction* handle() const { return handle_; }
    // A successful commit or rollback also releases the interface.
    void commit()
    {
        handle_->commit(client_.status());
        handle_ = nullptr;
    }
    void rollback()
    {
        handle_->rollback(client_.status());
        handle_ = nullptr;
    }

private:
    Client& client_;
    ITransaction* handle_ = nullptr;
};

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

// The decimal as a column of the scale given holds it: the digits beyond the
// scale dropped and the value rounded half away from zero on the first of them,
// which is what Firebird does with a decimal of a finer scale.
std::int64_t scaled(const Decimal& value, int columnScale)
{
    const int drop = value.scale() + columnScale; // digits beyond the column's scale
    std::string kept = value.digits();
    int first = 0;
    if (drop > 0) {
        const auto n = static_cast<std::size_t>(drop);
        first = kept.size() >= n ? kept[kept.size() - n] - '0' : 0;
        kept.resize(kept.size() > n ? kept.size() - n : 0);
    } else {
        kept.append(static_cast<std::size_t>(-drop), '0');
    }
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (const char digit : kept)
        overflow = overflow || __builtin_mul_overflow(magnitude, 10, &magnitude) ||
                   __builtin_add_overflow(magnitude, digit - '0', &magnitude);
    if (overflow || (first >= 5 && __builtin_add_overflow(magnitude, 1, &magnitude)))
        throw Unfit("arithmetic exception, numeric overflow: " + value.toText('.'));
    return value.isNegative() ? -magnitude : magnitude;
}

// A message laid out once from its metadata: each field's type, scale, length and
// place, and the buffer that every execution or fetch reuses.
class Message {
public:
    Message(Client& client, IMessageMetadata* metadata) : client_(client), metadata_(metadata)
    {
        auto* status = client.status();
        const unsigned count = metadata->getCount(status);
        for (unsigned i = 0; i < count; ++i)
            fields_.push_back({metadata->getType(status, i) & ~1u, metadata->getScale(status, i),
                               metadata->getLength(status, i), metadata->getCharSet(status, i),
                               metadata->getOffset(status, i), metadata->getNullOffset(status, i),
                               metadata->getAlias(status, i)});
        buffer_.resize(metadata->getMessageLength(status));
    }

    // No metadata for a message without fields, as for a statement without inputs.
    IMessageMetadata* metadata() const { return fields_.empty() ? nullptr : metadata_.get(); }
    unsigned char* data() { return buffer_.data(); }
    std::size_t size() const { return fields_.size(); }
    const std::string& name(std::size_t index) const { return fields_[index].name; }

    // The field's type as PSQL declares it, for the parameters and variables of a
    // block that carries this message's values.
    std::string declaration(std::size_t index) const
    {
        const Field& field = fields_[index];
        const std::string scale = std::to_string(-field.scale);
        switch (field.type) {
        case SQL_VARYING:
            return "varchar(" + std::to_string(field.length) + ")";
        case SQL_TEXT:
            return "char(" + std::to_string(field.length) + ")";
        case SQL_SHORT:
            return field.scale == 0 ? "smallint" : "numeric(4, " + scale + ")";
        case SQL_LONG:
            return field.scale == 0 ? "integer" : "numeric(9, " + scale + ")";
        case SQL_INT64:
            return field.scale == 0 ? "bigint" : "numeric(18, " + scale + ")";
        case SQL_TYPE_DATE:
            return "date";
        // Columns that the floor leaves null.
        case SQL_BLOB:
            return "blob";
        case SQL_DOUBLE:
            return "double precision";
        case SQL_FLOAT:
            return "float";
        case SQL_TIMESTAMP:
            return "timestamp";
        case SQL_TYPE_TIME:
            return "time";
        default:
            throw std::runtime_error("column " + field.name +
                                     " has a type that the floor does not declare (" +
                                     std::to_string(field.type) + ")");
        }
    }

    // Puts the values in the fields, in order, converted to each field's type.
    void set(const Row& values)
    {
        if (values.size() != fields_.size())
            throw std::logic_error(std::to_string(fields_.size()) + " parameters, " +
                                   std::to_string(values.size()) + " values");
        for (std::size_t i = 0; i < values.size(); ++i)
            set(fields_[i], values[i]);
    }

    // The fields as values: null, texts (fixed ones with their blanks), integers,
    // decimals with the column's scale, dates.
    Row get() const
    {
        Row row;
        row.reserve(fields_.size());
        for (const Field& field : fields_) {
            const unsigned char* at = buffer_.data() + field.offset;
            if (load<short>(buffer_.data() + field.nullOffset) != 0) {
                row.emplace_back();
                continue;
            }
            switch (field.type) {
            case SQL_TEXT:
                row.emplace_back(std::string(reinterpret_cast<const char*>(at), field.length));
                break;
            case SQL_VARYING:
                row.emplace_back(std::string(reinterpret_cast<const char*>(at + sizeof(ISC_USHORT)),
                                             load<ISC_USHORT>(at)));
                break;
            case SQL_SHORT:
                row.push_back(number(load<ISC_SHORT>(at), field.scale, true));
                break;
            case SQL_LONG:
                row.push_back(number(load<ISC_LONG>(at), field.scale, true));
                break;
            case SQL_INT64:
                row.push_back(number(load<ISC_INT64>(at), field.scale, false));
                break;
            case SQL_TYPE_DATE: {
                unsigned year = 0, month = 0, day = 0;
                client_.util()->decodeDate(load<ISC_DATE>(at), &year, &month, &day);
                row.emplace_back(
                    dataset::Date{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)});
                break;
            }
            default:
                throw std::runtime_error("column " + field.name + " has a type that the floor does not read");
            }
        }
        return row;
    }

private:
    struct Field {
        unsigned type;
        int scale;
        unsigned length;
        unsigned charSet;
        unsigned offset;
        unsigned nullOffset;
        std::string name;
    };

    static Value number(std::int64_t unscaled, int scale, bool integerKind)
    {
        if (scale == 0 && integerKind)
            return static_cast<std::int32_t>(unscaled);
        if (scale > 0)
            throw std::runtime_error("positive scales are not read");
        return Decimal::fromUnscaled(unscaled, -scale);
    }

    void setInteger(const Field& field, unsigned char* at, std::int64_t value)
    {
        switch (field.type) {
        case SQL_SHORT:
            if (value < std::numeric_limits<ISC_SHORT>::min() ||
                value > std::numeric_limits<ISC_SHORT>::max())
                throw Unfit("arithmetic exception, numeric overflow in " + field.name);
            store(at, static_cast<ISC_SHORT>(value));
            break;
        case SQL_LONG:
            if (value < std::numeric_limits<ISC_LONG>::min() || value > std::numeric_limits<ISC_LONG>::max())
                throw Unfit("arithmetic exception, numeric overflow in " + field.name);
            store(at, static_cast<ISC_LONG>(value));
            break;
        case SQL_INT64:
            store(at, static_cast<ISC_INT64>(value));
            break;
        default:
            throw std::logic_error("a number for " + field.name + ", which takes none");
        }
    }

    void set(const Field& field, const Value& value)
    {
        unsigned char* at = buffer_.data() + field.offset;
        store(buffer_.data() + field.nullOffset, static_cast<short>(dataset::isNull(value) ? -1 : 0));
        if (dataset::isNull(value))
            return;
        if (const auto* text = std::get_if<std::string>(&value)) {
            if (text->size() > field.length)
                throw Unfit("string right truncation in " + field.name + ": " + *text);
            if (field.type == SQL_VARYING) {
                store(at, static_cast<ISC_USHORT>(text->size()));
                std::memcpy(at + sizeof(ISC_USHORT), text->data(), text->size());
            } else if (field.type == SQL_TEXT) {
                // Single-byte character sets only: a CHAR is padded with blanks.
                std::memcpy(at, text->data(), text->size());
                std::memset(at + text->size(), ' ', field.length - text->size());
            } else {
                throw std::logic_error("a text for " + field.name + ", which takes none");
            }
        } else if (const auto* integer = std::get_if<std::int32_t>(&value)) {
            setInteger(field, at, scaled(Decimal::fromUnscaled(*integer, 0), field.scale));
        } else if (const auto* decimal = std::get_if<Decimal>(&value)) {
            setInteger(field, at, scaled(*decimal, field.scale));
        } else if (const auto* date = std::get_if<dataset::Date>(&value)) {
            if (field.type != SQL_TYPE_DATE)
                throw std::logic_error("a date for " + field.name + ", which takes none");
            store(at, client_.util()->encodeDate(static_cast<unsigned>(date->year),
                                                 static_cast<unsigned>(date->month),
                                                 static_cast<unsigned>(date->day)));
        } else {
            throw std::logic_error("a value for " + field.name + " of a kind that the floor does not write");
        }
    }

    Client& client_;
    Owned<IMessageMetadata> metadata_;
    std::vector<Field> fields_;
    std::vector<unsigned char> buffer_;
};

// A statement prepared once, with its input and output messages.
class Query {
public:
    Query(Client& client, IAttachment* attachment, ITransaction* transaction, const std::string& sql)
        : client_(client),
          handle_(attachment->prepare(client.status(), transaction, static_cast<unsigned>(sql.size()),
                                      sql.data(), kSqlDialect, IStatement::PREPARE_PREFETCH_METADATA)),
          input_(client, handle_->getInputMetadata(client.status())),
          output_(client, handle_->getOutputMetadata(client.status()))
    {
    }

    // The names of the columns of the rows (or of the output parameters).
    std::vector<std::string> columns() const
    {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < output_.size(); ++i)
            names.push_back(output_.name(i));
        return names;
    }

    // All rows of a select or selectable procedure, through a cursor.
    Rows fetchAll(ITransaction* transaction, const Row& parameters = {})
    {
        auto* status = client_.status();
        input_.set(parameters);
        Owned<Firebird::IResultSet> cursor(handle_->openCursor(status, transaction, input_.metadata(),
                                                               input_.data(), output_.metadata(), 0));
        Rows rows;
        while (cursor->fetchNext(status, output_.data()) == Firebird::IStatus::RESULT_OK)
            rows.push_back(output_.get());
        cursor->close(status);
        (void)cursor.release(); // a successful close released the interface
        return rows;
    }

    // An executable procedure's output parameters.
    Row executeProcedure(ITransaction* transaction)
    {
        input_.set({});
        handle_->execute(client_.status(), transaction, input_.metadata(), input_.data(), output_.metadata(),
                         output_.data());
        return output_.get();
    }

    // An INSERT with the values bound to its parameters in order.
    void execute(ITransaction* transaction, const Row& parameters)
    {
        input_.set(parameters);
        handle_->execute(client_.status(), transaction, input_.metadata(), input_.data(), nullptr, nullptr);
    }

    // A block that returns one row: the values in, the row out, in one exchange
    // with the server.
    Row call(ITransaction* transaction, const Row& parameters)
    {
        input_.set(parameters);
        handle_->execute(client_.status(), transaction, input_.metadata(), input_.data(), output_.metadata(),
                         output_.data());
        return output_.get();
    }

    const Message& input() const { return input_; }
    const Message& output() const { return output_; }

private:
    Client& client_;
    Owned<IStatement> handle_;
    Message input_, output_;
};

// ---- the run -------------------------------------------------------------------

class Floor {
public:
    // Every statement is prepared here, once, within the reading transaction.
    Floor(Client& client, IAttachment* attachment, std::string user, bool batched)
        : client_(client), attachment_(attachment), user_(std::move(user)), batched_(batched),
          reads_(client, attachment, true), configuration_(prepare(database::queries::QConfiguracion)),
          validate_(prepare(database::queries::QValarticulo)), taxes_(prepare(database::queries::QArticulos)),
          factor_(prepare(database::queries::QFactor)), newId_(prepare(database::queries::SCambieidcot)),
          headerInsert_(insertFor("COTIZACIONES")), lineInsert_(insertFor("COTIZACIONES_DETALLE"))
    {
        readMapping();
        header_.resize(headerColumns_.size());
    }

    void start()
    {
        // The run's first read: the rounding setting.
        if (configuration("DOCUMENTOS", "REDONDEO AL MULTIPLO DE DIEZ EN TOTALES").empty())
            throw std::runtime_error("no rounding setting");
    }

    void line(const std::vector<std::string>& slots)
    {
        ++lines_;
        for (const auto& [column, name] : mapping_)
            if (column < slots.size() && !slots[column].empty())
                values_[name] = slots[column];
        if (values_[PREF_PRE] != previousPrefix_ || values_[COTI_NUMERO] != previousNumber_) {
            if (started_)
                save();
            startHeader();
        }
        if (values_[CTDE_CODBAR].empty())
            return;
        if (batched_)
            pendingLines_.push_back(values_);
        else
            addLine();
    }

    void finish()
    {
        if (started_)
            save();
        if (writer_) {
            writer_->commit();
            writer_.reset();
        }
        reads_.commit();
    }

    long lines() const { return lines_; }
    long quotations() const { return quotations_; }
    long quotationLines() const { return quotationLines_; }

private:
    std::unique_ptr<Query> prepare(const std::string& sql)
    {
        return std::make_unique<Query>(client_, attachment_, reads_.handle(), sql);
    }

    std::unique_ptr<Query> insertFor(const std::string& table)
    {
        // Every column of the table in the order of SELECT *, as the provider writes:
        // the select is prepared for its column list only and never run.
        const Query columns(client_, attachment_, reads_.handle(), "SELECT * FROM " + table + " WHERE 1 = 0");
        std::string names, marks;
        auto& list = table == "COTIZACIONES" ? headerColumns_ : lineColumns_;
        for (const std::string& column : columns.columns()) {
            names += (names.empty() ? "\"" : ", \"") + column + "\"";
            marks += marks.empty() ? "?" : ", ?";
            list.push_back(column);
        }
        return prepare("insert into \"" + table + "\"\n  (" + names + ")\nvalues\n  (" + marks + ")");
    }

    static std::size_t indexOf(const std::vector<std::string>& columns, std::string_view name)
    {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == name)
                return i;
        throw std::runtime_error("no column " + std::string(name));
    }

    void readMapping()
    {
        const auto mapping = prepare(database::queries::TImporinv);
        const auto columns = mapping->columns();
        const std::size_t dato = indexOf(columns, "IMIN_DATO");
        const std::size_t columna = indexOf(columns, "IMIN_COLUMNA");
        for (const Row& row : mapping->fetchAll(reads_.handle())) {
            const std::string name = asText(row[dato]);
            const auto* column = std::get_if<std::int32_t>(&row[columna]);
            for (std::size_t n = 0; n < kNames; ++n)
                if (column != nullptr && *column >= 1 && *column <= 101 && kNameTexts[n] == name)
                    mapping_.emplace_back(static_cast<std::size_t>(*column - 1), static_cast<Name>(n));
        }
    }

    std::string configuration(const std::string& category, const std::string& question)
    {
        // Batched, a setting is read once per run.
        const auto cached = settings_.find(category + '\n' + question);
        if (batched_ && cached != settings_.end())
            return cached->second;
        const auto rows =
            configuration_->fetchAll(reads_.handle(), {std::string("FACTURACION"), category, question});
        const std::string value = rows.empty() ? std::string() : asText(rows[0][0]);
        settings_[category + '\n' + question] = value;
        return value;
    }

    void setHeader(std::string_view column, Value value)
    {
        header_[indexOf(headerColumns_, column)] = std::move(value);
    }

    void startHeader()
    {
        const auto& v = values_;
        std::fill(header_.begin(), header_.end(), Value{});
        setHeader("COTI_ID", 0);
        setHeader("TIDO_COD", 35);
        setHeader("COTI_VALIDEZ", integer(configuration("COTIZACIONES", "DIAS DE VALIDEZ")));
        setHeader("COTI_ANULADO", std::string("N"));
        setHeader("COTI_TRANSMIT", std::string("N"));
        setHeader("COTI_DTOPORC", money(0));
        setHeader("COTI_DTOMONTO", money(0));
        setHeader("COTI_ADICIONAL", money(0));
        setHeader("COTI_EXTRA", money(0));
        setHeader("NUMOK", std::string("N"));
        setHeader("COTI_USUARIO", text(user_, 10));
        setHeader("PREF_PRE", text(v[PREF_PRE], 4));
        setHeader("COTI_NUMERO", text(v[COTI_NUMERO], 8));
        setHeader("COTI_FECHA", date(v[COTI_FECHA]));
        if (!v[COTI_VALIDEZ].empty())
            setHeader("COTI_VALIDEZ", integer(v[COTI_VALIDEZ]));
        setHeader("PTVT_ID", integer(v[PTVT_ID]));
        setHeader("VEND_COD", integer(v[VEND_COD]));
        setHeader("TERC_NIT", text(v[TERC_NIT], 20));
        setHeader("COTI_NOMTERC", text(v[COTI_NOMTERC], 60));
        setHeader("COTI_SUCURSAL", text(v[COTI_SUCURSAL].empty() ? std::string("01") : v[COTI_SUCURSAL], 10));
        if (!v[COTI_DTOMONTO].empty())
            setHeader("COTI_DTOMONTO", decimal(v[COTI_DTOMONTO]));
        if (!v[COTI_ADICIONAL].empty())
            setHeader("COTI_ADICIONAL", decimal(v[COTI_ADICIONAL]));
        if (!v[COTI_EXTRA].empty())
            setHeader("COTI_EXTRA", decimal(v[COTI_EXTRA]));
        setHeader("COTI_ORDENC", text(v[COTI_ORDENC], 20));
        if (!v[COTI_IMPTOS].empty())
            setHeader("COTI_IMPTOS", text(v[COTI_IMPTOS], 1));
        for (const char* required : {"TERC_NIT", "VEND_COD", "PREF_PRE", "COTI_NUMERO", "COTI_FECHA"})
            if (dataset::isNull(header_[indexOf(headerColumns_, required)]))
                throw std::runtime_error(std::string("Field '") + required + "' must have a value");
        taxAdded_ = asText(header_[indexOf(headerColumns_, "COTI_IMPTOS")]) == "N";
        previousPrefix_ = v[PREF_PRE];
        previousNumber_ = v[COTI_NUMERO];
        started_ = true;
        lineRows_.clear();
        vatSum_ = totalSum_ = 0;
    }

    void addLine()
    {
        const auto& v = values_;
        Row line(lineColumns_.size());
        auto set = [&](std::string_view column, Value value) {
            line[indexOf(lineColumns_, column)] = std::move(value);
        };
        ++item_;
        set("CTDE_ITEM", item_);
        set("CTDE_ANULADO", std::string("N"));
        set("CTDE_TRANSMIT", std::string("N"));
        set("CTDE_CODBAR", text(v[CTDE_CODBAR], 15));

        const LookupKey key{v[CTDE_CODBAR].substr(0, 15), v[CTDE_UNIDAD].substr(0, 8)};
        const Lookup found = batched_ ? lookups_.at(key) : lookUp(key);
        if (found.tipo != "1" && found.tipo != "2")
            throw std::runtime_error("article " + v[CTDE_CODBAR] + " not found");
        const std::string& code = found.code;
        set("ARTI_COD", text(code, 15));
        set("CTDE_DESC", text(v[CTDE_DESC].empty() ? found.description : v[CTDE_DESC], 255));
        const Money vatRate = found.vatRate, consumptionPerUnit = found.consumption;
        const Value quantity = decimal(v[CTDE_CANT]);
        set("CTDE_CANT", quantity);
        set("CTDE_UNIDAD", text(found.unit, 8));
        if (!v[LIPR_COD].empty())
            set("LIPR_COD", integer(v[LIPR_COD]));
        const Money factor = found.factor;
        set("CTDE_FACTOR", money(factor));
        const Money consumption = importer::lineConsumption(asMoney(quantity), consumptionPerUnit, factor);
        set("CTDE_CONSUMO", money(consumption));
        if (!v[CTDE_REFERENCIA].empty())
            set("CTDE_REFERENCIA", text(v[CTDE_REFERENCIA], 60));
        const Value price = decimal(v[CTDE_PRUNIT]);
        set("CTDE_PRUNIT", price);
        const Value discountPercent = decimal(v[CTDE_DTOPORC].empty() ? std::string("0") : v[CTDE_DTOPORC]);
        set("CTDE_DTOPORC", discountPercent);
        if (!v[CTDE_DTOMONTO].empty())
            set("CTDE_DTOMONTO", decimal(v[CTDE_DTOMONTO]));
        else
            set("CTDE_DTOMONTO", money(importer::unitDiscount(asMoney(discountPercent), asMoney(price))));
        Value rate = money(vatRate);
        if (!v[CTDE_IVAPORC].empty())
            rate = decimal(v[CTDE_IVAPORC]);
        set("CTDE_IVAPORC", rate);
        const Money subtotal =
            importer::lineSubtotal(asMoney(price), asMoney(quantity), asMoney(discountPercent));
        Money vat = 0, total = 0;
        if (taxAdded_) {
            vat = importer::vatTaxAdded(subtotal, consumption, asMoney(rate));
            total = importer::totalTaxAdded(vat, subtotal, consumption);
        } else {
            vat = importer::vatTaxIncluded(subtotal, consumption, asMoney(rate));
            total = subtotal;
        }
        set("CTDE_IVAMONTO", money(vat));
        set("CTDE_TOTAL", money(total));
        vatSum_ += vat;
        totalSum_ += total;
        lineRows_.push_back(std::move(line));
    }

    // An article code of the file with the unit the file gives (empty: the
    // article's), and what the database says of them.
    using LookupKey = std::pair<std::string, std::string>;
    struct Lookup {
        std::string tipo, description, unit, code;
        Money vatRate = 0, consumption = 0, factor = dataset::kMoneyOne;
    };

    // The article, its taxes and the unit's factor, a statement each.
    Lookup lookUp(const LookupKey& key)
    {
        const auto found = validate_->fetchAll(reads_.handle(), {key.first});
        const Row& article = found.at(0);
        Lookup result{asText(article[0]), asText(article[1]), asText(article[2]), asText(article[3])};
        if (result.tipo != "1" && result.tipo != "2")
            return result;
        const auto taxes = taxes_->fetchAll(reads_.handle(), {result.code});
        if (!taxes.empty()) {
            result.vatRate = asMoney(taxes[0][0]);
            result.consumption = asMoney(taxes[0][1]);
        }
        if (!key.second.empty())
            result.unit = key.second;
        if (!result.code.empty() && !result.unit.empty()) {
            const auto factors = factor_->fetchAll(reads_.handle(), {result.code, result.unit});
            if (!factors.empty())
                result.factor = asMoney(factors[0][0]);
        }
        return result;
    }

    // The same for up to kBlockItems keys in one block, run in the reading
    // transaction (read only: a look-up cannot write there).
    static constexpr std::size_t kBlockItems = 64;

    std::string lookupBlock(std::size_t items) const
    {
        const Message& article = validate_->output();
        std::string inputs, outputs, body;
        for (std::size_t i = 0; i < items; ++i) {
            const std::string n = std::to_string(i), v = "v" + n + "_";
            inputs += (i ? ", c" : "c") + n + " " + validate_->input().declaration(0) + " = ?, u" + n + " " +
                      factor_->input().declaration(1) + " = ?";
            std::string into;
            for (std::size_t k = 0; k < article.size(); ++k) {
                outputs +=
                    (outputs.empty() ? "" : ", ") + v + std::to_string(k) + " " + article.declaration(k);
                into += (k ? ", :" : ":") + v + std::to_string(k);
            }
            outputs += ", x" + n + "_0 " + taxes_->output().declaration(0) + ", x" + n + "_1 " +
                       taxes_->output().declaration(1) + ", n" + n + " smallint, f" + n + " " +
                       factor_->output().declaration(0) + ", m" + n + " smallint";
            body += "  select first 1 * from valide_articulo(:c" + n + ") into " + into + ";\n" + "  n" + n +
                    " = 0; m" + n + " = 0;\n" + "  if (" + v + "0 in ('1', '2')) then\n  begin\n" +
                    "    select first 1 taiv_porc, arti_consumo from articulo a, tarifa_iva t\n" +
                    "     where a.taiv_cod = t.taiv_cod and arti_cod = :" + v + "3 into :x" + n + "_0, :x" +
                    n + "_1;\n" + "    n" + n + " = row_count;\n" + "    if (coalesce(" + v +
                    "3, '') <> '' and coalesce(:u" + n + ", :" + v + "2, '') <> '') then\n" + "    begin\n" +
                    "      select first 1 * from factor_unidad_cant(:" + v + "3, coalesce(:u" + n +
                    ", :" + v + "2)) into :f" + n + ";\n" + "      m" + n + " = row_count;\n" +
                    "    end\n  end\n";
        }
        return "execute block (" + inputs + ")\nreturns (" + outputs + ")\nas\nbegin\n" + body +
               "  suspend;\nend";
    }

    void prefetch()
    {
        std::vector<LookupKey> missing;
        for (const auto& values : pendingLines_) {
            LookupKey key{values[CTDE_CODBAR].substr(0, 15), values[CTDE_UNIDAD].substr(0, 8)};
            if (!lookups_.contains(key) && std::find(missing.begin(), missing.end(), key) == missing.end())
                missing.push_back(std::move(key));
        }
        const std::size_t perItem = validate_->output().size() + 5;
        for (std::size_t first = 0; first < missing.size(); first += kBlockItems) {
            const std::size_t items = std::min(kBlockItems, missing.size() - first);
            auto& block = lookupBlocks_[items];
            if (!block)
                block = prepare(lookupBlock(items));
            Row parameters;
            for (std::size_t i = 0; i < items; ++i) {
                parameters.push_back(text(missing[first + i].first, 15));
                parameters.push_back(text(missing[first + i].second, 8));
            }
            const Row out = block->call(reads_.handle(), parameters);
            for (std::size_t i = 0; i < items; ++i) {
                const Value* at = out.data() + i * perItem;
                const std::size_t taxes = validate_->output().size();
                Lookup found{asText(at[0]), asText(at[1]), asText(at[2]), asText(at[3])};
                if (std::get<std::int32_t>(at[taxes + 2]) != 0) {
                    found.vatRate = asMoney(at[taxes]);
                    found.consumption = asMoney(at[taxes + 1]);
                }
                if (!missing[first + i].second.empty())
                    found.unit = missing[first + i].second;
                if (std::get<std::int32_t>(at[taxes + 4]) != 0)
                    found.factor = asMoney(at[taxes + 3]);
                lookups_.emplace(missing[first + i], std::move(found));
            }
        }
    }

    // A quotation's writes in one block: the identifier in an autonomous
    // transaction of its own, committed whatever follows; the header and the lines
    // in another, which a refusal rolls back whole.
    std::string writeBlock(std::size_t lines) const
    {
        const Message& header = headerInsert_->input();
        const Message& line = lineInsert_->input();
        std::string inputs;
        auto insert = [&](const std::string& table, const std::vector<std::string>& columns,
                          const Message& message, const std::string& prefix) {
            std::string names, values;
            for (std::size_t k = 0; k < columns.size(); ++k) {
                inputs += (inputs.empty() ? "" : ", ") + prefix + std::to_string(k) + " " +
                          message.declaration(k) + " = ?";
                names += (k ? ", \"" : "\"") + columns[k] + "\"";
                values += (k ? ", :" : ":") +
                          (columns[k] == "COTI_ID" ? std::string("coti_id") : prefix + std::to_string(k));
            }
            return "      insert into \"" + table + "\" (" + names + ")\n        values (" + values + ");\n";
        };
        std::string body = insert("COTIZACIONES", headerColumns_, header, "h");
        for (std::size_t j = 0; j < lines; ++j)
            body += insert("COTIZACIONES_DETALLE", lineColumns_, line, "l" + std::to_string(j) + "_");
        return "execute block (" + inputs + ")\nreturns (coti_id " + newId_->output().declaration(0) +
               ", failed smallint)\nas\nbegin\n" +
               "  in autonomous transaction do\n    execute procedure \"CAMBIE_ID_COTIZACI\" "
               "returning_values :coti_id;\n" +
               "  failed = 0;\n  begin\n    in autonomous transaction do\n    begin\n" + body +
               "    end\n    when any do failed = 1;\n  end\n  suspend;\nend";
    }

    // The transaction that the write blocks run in writes nothing itself; it is
    // renewed every so many quotations so that it never holds back the garbage
    // collection for long.
    ITransaction* writer()
    {
        if (writer_ && writerUses_ == 64) {
            writer_->commit();
            writer_.reset();
        }
        if (!writer_) {
            writer_.emplace(client_, attachment_, false);
            writerUses_ = 0;
        }
        ++writerUses_;
        return writer_->handle();
    }

    void saveBatched()
    {
        // The lines wait for the quotation's end; the values of the line that ends
        // it are the next quotation's.
        const auto next = values_;
        prefetch();
        for (const auto& values : pendingLines_) {
            values_ = values;
            addLine();
        }
        values_ = next;
        pendingLines_.clear();
        setHeader("COTI_IVAMONTO", sum(vatSum_));
        setHeader("COTI_TOTAL", sum(totalSum_));
        auto& block = writeBlocks_[lineRows_.size()];
        if (!block)
            block = prepare(writeBlock(lineRows_.size()));
        Row parameters = header_;
        for (const Row& line : lineRows_)
            parameters.insert(parameters.end(), line.begin(), line.end());
        try {
            const Row out = block->call(writer(), parameters);
            if (std::get<std::int32_t>(out.at(1)) != 0) {
                std::cerr << "bench_floor: quotation refused\n";
                return;
            }
            ++quotations_;
            quotationLines_ += static_cast<long>(lineRows_.size());
        } catch (const Unfit& error) {
            std::cerr << "bench_floor: quotation refused: " << error.what() << "\n";
        }
    }

    // A sum as the header receives it: the money value in text, read back.
    Value sum(Money value) const
    {
        if (lineRows_.empty())
            return {};
        return decimal(Decimal::fromMoney(value).toText(kRegional.decimalSeparator));
    }

    void save()
    {
        if (batched_) {
            saveBatched();
            return;
        }
        // The identifier in a committed transaction of its own: one handed out stays
        // used up even when its quotation is refused.
        Row id;
        {
            Transaction own(client_, attachment_, false);
            id = newId_->executeProcedure(own.handle());
            own.commit();
        }
        const std::int32_t coti = std::get<std::int32_t>(id.at(0));
        setHeader("COTI_ID", coti);
        setHeader("COTI_IVAMONTO", sum(vatSum_));
        setHeader("COTI_TOTAL", sum(totalSum_));
        const std::size_t link = indexOf(lineColumns_, "COTI_ID");
        Transaction write(client_, attachment_, false);
        try {
            headerInsert_->execute(write.handle(), header_);
            for (Row& line : lineRows_) {
                line[link] = coti;
                lineInsert_->execute(write.handle(), line);
            }
            write.commit();
            ++quotations_;
            quotationLines_ += static_cast<long>(lineRows_.size());
        } catch (const FbException& error) {
            std::cerr << "bench_floor: quotation refused: " << client_.message(error) << "\n";
            write.rollback();
        } catch (const Unfit& error) {
            std::cerr << "bench_floor: quotation refused: " << error.what() << "\n";
            write.rollback();
        }
    }

    Client& client_;
    IAttachment* attachment_;
    std::string user_;
    bool batched_;
    Transaction reads_;
    std::unique_ptr<Query> configuration_, validate_, taxes_, factor_, newId_;
    std::vector<std::string> headerColumns_, lineColumns_;
    std::unique_ptr<Query> headerInsert_, lineInsert_;
    std::vector<std::pair<std::size_t, Name>> mapping_;

    std::array<std::string, kNames> values_;
    std::string previousPrefix_, previousNumber_;
    bool started_ = false;
    bool taxAdded_ = false;
    Row header_;
    std::vector<Row> lineRows_;
    Money vatSum_ = 0, totalSum_ = 0;
    std::int32_t item_ = 0;
    long lines_ = 0, quotations_ = 0, quotationLines_ = 0;

    std::map<std::string, std::string> settings_;
    std::vector<std::array<std::string, kNames>> pendingLines_;
    std::map<LookupKey, Lookup> lookups_;
    std::map<std::size_t, std::unique_ptr<Query>> lookupBlocks_, writeBlocks_;
    std::optional<Transaction> writer_;
    int writerUses_ = 0;
};

char separatorByName(const std::string& name)
{
    if (name == "comma")
        return ',';
    if (name == "semicolon")
        return ';';
    if (name == "tab")
        return '\t';
    throw std::runtime_error("unknown separator " + name);
}

char delimiterByName(const std::string& name)
{
    if (name == "none")
        return '\0';
    if (name == "double")
        return '"';
    if (name == "single")
        return '\'';
    throw std::runtime_error("unknown delimiter " + name);
}

} // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options = {{"--separator", "comma"}, {"--delimiter", "none"}};
    for (int i = 1; i + 1 < argc; i += 2)
        options[argv[i]] = argv[i + 1];
    for (const char* needed : {"--server", "--user", "--company", "--file"})
        if (!options.contains(needed)) {
            std::cerr
                << "usage: IMPORTARCOT_PASSWORD=... bench_floor --server S --user U --company C --file F "
                   "[--separator comma|semicolon|tab] [--delimiter none|double|single] [--batched yes]\n";
            return 2;
        }
    const char* password = std::getenv("IMPORTARCOT_PASSWORD");
    const auto started = std::chrono::steady_clock::now();
    Client client;
    try {
        Owned<IAttachment> attachment =
            attach(client, options["--server"] + "/datos/" + options["--company"] + "/merkalo.fdb",
                   options["--user"], password != nullptr ? password : "");
        {
            // Its statements go before the attachment does.
            Floor floor(client, attachment.get(), options["--user"], options["--batched"] == "yes");
            floor.start();
            readFile(options["--file"], separatorByName(options["--separator"]),
                     delimiterByName(options["--delimiter"]),
                     [&](const std::vector<std::string>& slots) { floor.line(slots); });
            floor.finish();
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            std::printf(
                "floor: %ld lines, %ld quotations, %ld quotation lines stored in %.2f s: %.0f lines/s\n",
                floor.lines(), floor.quotations(), floor.quotationLines(), seconds,
                static_cast<double>(floor.lines()) / seconds);
        }
        attachment->detach(client.status());
        (void)attachment.release(); // a successful detach released the interface
        return 0;
    } catch (const FbException& error) {
        std::cerr << "bench_floor: " << client.message(error) << "\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "bench_floor: " << error.what() << "\n";
        return 1;
    }
}
