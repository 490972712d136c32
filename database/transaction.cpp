#include "database/transaction.h"

#include <iterator>

#include "database/connection.h"
#include "platform/errors.h"

namespace database {

namespace {

const unsigned char kReadWrite[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                    isc_tpb_rec_version, isc_tpb_wait};
const unsigned char kReadOnly[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                   isc_tpb_rec_version, isc_tpb_wait};

}  // namespace

Transaction::Transaction(Connection& connection, TransactionAccess access) : connection_(connection)
{
    Firebird::IAttachment* attachment = connection_.attachment();
    const unsigned char* tpb = access == TransactionAccess::ReadOnly ? kReadOnly : kReadWrite;
    const auto length = static_cast<unsigned>(access == TransactionAccess::ReadOnly ? std::size(kReadOnly)
                                                                                    : std::size(kReadWrite));
    handle_ = attachment->startTransaction(connection_.status(), length, tpb);
    connection_.check();
    connection_.enlist(this);
}

Transaction::~Transaction()
{
    if (handle_ != nullptr)
        abandon();
    connection_.delist(this);
}

Firebird::ITransaction* Transaction::handle()
{
    if (handle_ == nullptr)
        throw platform::DatabaseError("Transaction is not active");
    return handle_;
}

void Transaction::commit()
{
    handle()->commit(connection_.status());
    connection_.check();
    // A successful commit releases the interface.
    handle_ = nullptr;
}

void Transaction::rollback()
{
    handle()->rollback(connection_.status());
    connection_.check();
    handle_ = nullptr;
}

void Transaction::abandon()
{
    Firebird::ITransaction* handle = handle_;
    handle_ = nullptr;
    handle->rollback(connection_.status());
    if (connection_.status()->getState() & Firebird::IStatus::STATE_ERRORS)
        handle->release();
}

}  // namespace database
