#include "database/transaction.h"

#include "database/client.h"
#include "database/connection.h"
#include "platform/errors.h"

#include <iterator>

namespace database {

namespace {

const unsigned char kReadWrite[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                    isc_tpb_rec_version, isc_tpb_wait};
const unsigned char kReadOnly[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                   isc_tpb_rec_version, isc_tpb_wait};

// Commit and rollback both end the transaction: the client library releases it once
// the call succeeds; a failed one leaves it active, to be rolled back or abandoned.
template <typename End> void endIn(Connection& connection, Transaction::Native& native, End&& end)
{
    Connection::Native& client = *connection.native();
    fb::guarded(client, [&] {
        native.handle.end([&](Firebird::ITransaction* handle) { end(handle, client.status.get()); });
    });
}

} // namespace

Transaction::Transaction(Connection& connection, TransactionAccess access)
    : connection_(connection), native_(std::make_unique<Native>())
{
    Connection::Native& client = connection_.opened();
    const unsigned char* tpb = access == TransactionAccess::ReadOnly ? kReadOnly : kReadWrite;
    const auto length = static_cast<unsigned>(access == TransactionAccess::ReadOnly ? std::size(kReadOnly)
                                                                                    : std::size(kReadWrite));
    native_->handle = fb::guarded(client, [&] {
        return fb::Handle<Firebird::ITransaction>(
            client.attachment->startTransaction(client.status.get(), length, tpb));
    });
    connection_.enlist(this);
}

Transaction::~Transaction()
{
    if (isActive())
        abandon();
    connection_.delist(this);
}

bool Transaction::isActive() const
{
    return static_cast<bool>(native_->handle);
}

Transaction::Native& Transaction::active()
{
    if (!isActive())
        throw platform::DatabaseError("Transaction is not active");
    return *native_;
}

void Transaction::commit()
{
    endIn(connection_, active(), [](Firebird::ITransaction* handle, Firebird::ThrowStatusWrapper* status) {
        handle->commit(status);
    });
}

void Transaction::rollback()
{
    endIn(connection_, active(), [](Firebird::ITransaction* handle, Firebird::ThrowStatusWrapper* status) {
        handle->rollback(status);
    });
}

void Transaction::abandon()
{
    auto* status = connection_.native()->status.get();
    fb::endQuietly(native_->handle, [&](Firebird::ITransaction* handle) { handle->rollback(status); });
}

} // namespace database
