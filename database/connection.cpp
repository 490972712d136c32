#include "database/connection.h"

#include <algorithm>
#include <cstring>

#include "database/environment_failures.h"
#include "database/fb_client.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "platform/errors.h"

namespace database {

namespace {

constexpr int kSqlDialect = 3;
// The embedded engine alone: a plain path must never end up at a server that
// happens to run on this machine.
constexpr const char* kEmbeddedConfig = "Providers = Engine12";

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

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
    if (status_ != nullptr) {
        delete status_;
        rawStatus_->dispose();
    }
}

void Connection::setParameters(ConnectionParameters parameters)
{
    parameters_ = std::move(parameters);
}

void Connection::loadClient()
{
    if (master_ != nullptr)
        return;
    Firebird::IMaster* master = fb::master();
    master_ = master;
    util_ = master->getUtilInterface();
    rawStatus_ = master->getStatus();
    status_ = new Firebird::CheckStatusWrapper(rawStatus_);
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
    loadClient();
    const std::string path = trimDatabasePath(parameters_.database);

    Firebird::IXpbBuilder* dpb = util_->getXpbBuilder(status_, Firebird::IXpbBuilder::DPB, nullptr, 0);
    check();
    struct DisposeBuilder {
        Firebird::IXpbBuilder* builder;
        ~DisposeBuilder() { builder->dispose(); }
    } disposeBuilder{dpb};

    const auto insertText = [&](unsigned char tag, const std::string& text) {
        dpb->insertBytes(status_, tag, text.data(), static_cast<unsigned>(text.size()));
        check();
    };
    insertText(isc_dpb_user_name, parameters_.user);
    insertText(isc_dpb_password, parameters_.password);
    if (!parameters_.role.empty())
        insertText(isc_dpb_sql_role_name, parameters_.role);
    dpb->insertInt(status_, isc_dpb_sql_dialect, kSqlDialect);
    check();
    if (!hasHostPart(path))
        insertText(isc_dpb_config, kEmbeddedConfig);

    const unsigned char* buffer = dpb->getBuffer(status_);
    check();
    const unsigned length = dpb->getBufferLength(status_);
    check();

    Firebird::IProvider* provider = master_->getDispatcher();
    Firebird::IAttachment* attachment = provider->attachDatabase(status_, path.c_str(), length, buffer);
    provider->release();
    check();
    attachment_ = attachment;
}

void Connection::close()
{
    if (attachment_ == nullptr)
        return;
    // Copies: abandoning delists nothing, but keep the walk independent of it.
    for (Transaction* transaction : std::vector<Transaction*>(transactions_))
        if (transaction->isActive())
            transaction->abandon();
    for (Statement* statement : statements_)
        statement->unprepare();

    Firebird::IAttachment* attachment = attachment_;
    attachment_ = nullptr;
    attachment->detach(status_);
    if (status_->getState() & Firebird::IStatus::STATE_ERRORS)
        attachment->release();
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

Firebird::IAttachment* Connection::attachment()
{
    if (attachment_ == nullptr)
        open();
    return attachment_;
}

void Connection::raiseStatus()
{
    char buffer[8192];
    buffer[0] = '\0';
    util_->formatStatus(buffer, sizeof buffer, status_);
    const std::string message(buffer, strnlen(buffer, sizeof buffer));

    std::string text;
    if (!message.empty()) {
        text = "SQL Server Error: " + message;
    } else if (!lastError_.empty()) {
        text = lastError_;
    } else {
        const ISC_STATUS* errors = status_->getErrors();
        const ISC_STATUS code = errors != nullptr && errors[0] == isc_arg_gds ? errors[1] : 0;
        text = "dbExpress Error: Unknown Error Code '" + std::to_string(code) + "'";
    }
    lastError_ = text;
    const ISC_STATUS* errors = status_->getErrors();
    if (errors != nullptr && errors[0] == isc_arg_gds && errors[1] == isc_read_only_trans)
        throw ReadOnlyTransactionError(text);
    throw platform::DatabaseError(text, isEnvironmentFailure(errors) ? platform::DatabaseError::Kind::Environment
                                                                      : platform::DatabaseError::Kind::Data);
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

}  // namespace database
