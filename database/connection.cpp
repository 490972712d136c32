#include "database/connection.h"

#include "database/client.h"
#include "database/environment_failures.h"
#include "database/fb_client.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "platform/errors.h"

#include <algorithm>
#include <cstring>

namespace database {

namespace {

constexpr int kSqlDialect = 3;

// The embedded engine alone: a plain path must never end up at a server that
// happens to run on this machine. The engine is the one beside the client library
// that was loaded, among that client's plugins: Engine12 (on-disk structure 12)
// with Firebird 3's client, Engine13 with Firebird 4's and later ones, which is
// what libfbclient2 is from Debian 13 on.
const char* embeddedConfig(Firebird::IUtil* util)
{
    const unsigned clientMajor = util->getClientVersion() >> 8;
    return clientMajor >= 4 ? "Providers = Engine13" : "Providers = Engine12";
}

// Firebird 4 describes some values with types that Firebird 3 has no name for and
// the layer does not read: a SUM or product of NUMERIC(18) gives a NUMERIC(38) held
// in 128 bits, CURRENT_TIMESTAMP and CURRENT_TIME carry a time zone, and DECFLOAT
// is new. Bound to the types of Firebird 3 (BIGINT's NUMERIC(18), the times without
// a zone in the session's, DOUBLE PRECISION), they arrive as what Firebird 3 gives,
// also when the client library is Firebird 3's, which cannot even describe them.
// Firebird 3 ignores the item. It is isc_dpb_set_bind of Firebird 4's headers.
constexpr unsigned char kDpbSetBind = 93;
constexpr const char* kFirebird3Types = "int128 to legacy; decfloat to legacy; time zone to legacy";

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::string trimDatabasePath(std::string_view path)
{
    std::size_t begin = 0;
    std::size_t end = path.size();
    while (begin < end && isBlankOrControl(path[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(path[end - 1]))
        --end;
    return std::string(path.substr(begin, end - begin));
}

bool hasHostPart(std::string_view path)
{
    if (path.starts_with("\\\\"))
        return true;
    if (path.empty() || path.front() == '/' || path.front() == '\\')
        return false;
    const auto colon = path.find(':');
    // "C:\..." and "C:/..." are drive letters, not hosts.
    return colon != std::string_view::npos && colon > 1;
}

Connection::Connection() = default;

Connection::~Connection()
{
    close();
    // Statements and transactions that outlive the connection must not call back.
    for (Statement* statement : statements_)
        statement->connectionGone();
}

void Connection::setParameters(ConnectionParameters parameters)
{
    parameters_ = std::move(parameters);
}

bool Connection::throughServer() const
{
    return hasHostPart(trimDatabasePath(parameters_.database));
}

bool Connection::isOpen() const
{
    return native_ && native_->attachment;
}

const std::string& Connection::lastError() const
{
    static const std::string none;
    return native_ ? native_->lastError : none;
}

void Connection::open(std::string_view database, const std::string& user, const std::string& password,
                      const std::string& role)
{
    setParameters({std::string(database), user, password, role});
    open();
}

void Connection::open()
{
    close();
    if (!native_)
        native_ = std::make_unique<Native>(fb::master());
    Native& native = *native_;
    const std::string path = trimDatabasePath(parameters_.database);
    fb::guarded(native, [&] {
        auto* status = native.status.get();
        fb::Handle<Firebird::IXpbBuilder> dpb(
            native.util->getXpbBuilder(status, Firebird::IXpbBuilder::DPB, nullptr, 0));
        const auto insertText = [&](unsigned char tag, const std::string& text) {
            dpb->insertBytes(status, tag, text.data(), static_cast<unsigned>(text.size()));
        };
        insertText(isc_dpb_user_name, parameters_.user);
        insertText(isc_dpb_password, parameters_.password);
        if (!parameters_.role.empty())
            insertText(isc_dpb_sql_role_name, parameters_.role);
        dpb->insertInt(status, isc_dpb_sql_dialect, kSqlDialect);
        dpb->insertString(status, kDpbSetBind, kFirebird3Types);
        if (!throughServer())
            dpb->insertString(status, isc_dpb_config, embeddedConfig(native.util));

        const unsigned char* buffer = dpb->getBuffer(status);
        const unsigned length = dpb->getBufferLength(status);
        fb::Handle<Firebird::IProvider> provider(native.master->getDispatcher());
        native.attachment =
            fb::Handle<Firebird::IAttachment>(provider->attachDatabase(status, path.c_str(), length, buffer));
    });
}

void Connection::close()
{
    if (!isOpen())
        return;
    // Copies: abandoning delists nothing, but keep the walk independent of it.
    for (Transaction* transaction : std::vector<Transaction*>(transactions_))
        if (transaction->isActive())
            transaction->abandon();
    for (Statement* statement : statements_)
        statement->unprepare();

    auto* status = native_->status.get();
    fb::endQuietly(native_->attachment,
                   [&](Firebird::IAttachment* attachment) { attachment->detach(status); });
}

Transaction& Connection::readTransaction()
{
    // Closing the connection ends it; the next read starts another.
    if (!reads_ || !reads_->isActive()) {
        reads_.reset();
        reads_ = std::make_unique<Transaction>(*this, TransactionAccess::ReadOnly);
    }
    return *reads_;
}

Connection::Native& Connection::opened()
{
    if (!isOpen())
        open();
    return *native_;
}

void Connection::Native::raise(Firebird::IStatus* reported)
{
    char buffer[8192];
    buffer[0] = '\0';
    util->formatStatus(buffer, sizeof buffer, reported);
    const std::string message(buffer, strnlen(buffer, sizeof buffer));

    const ISC_STATUS* errors = reported->getErrors();
    const ISC_STATUS code = errors != nullptr && errors[0] == isc_arg_gds ? errors[1] : 0;
    std::string text;
    if (!message.empty())
        text = "SQL Server Error: " + message;
    else if (!lastError.empty())
        text = lastError;
    else
        text = "dbExpress Error: Unknown Error Code '" + std::to_string(code) + "'";
    lastError = text;
    if (code == isc_read_only_trans)
        throw ReadOnlyTransactionError(text, platform::DatabaseError::Kind::Data, code);
    throw platform::DatabaseError(text,
                                  isEnvironmentFailure(errors) ? platform::DatabaseError::Kind::Environment
                                                               : platform::DatabaseError::Kind::Data,
                                  code);
}

void Connection::enlist(Statement* statement)
{
    statements_.push_back(statement);
}

void Connection::delist(Statement* statement)
{
    std::erase(statements_, statement);
}

void Connection::enlist(Transaction* transaction)
{
    transactions_.push_back(transaction);
}

void Connection::delist(Transaction* transaction)
{
    std::erase(transactions_, transaction);
}

} // namespace database
