#include "database/transaction.h"

#include "database/client.h"
#include "database/connection.h"
#include "platform/errors.h"

#include <cstdint>
#include <vector>

namespace database {

namespace {

// Reads in a record-version transaction never wait for a lock; writes wait as the
// connection's lock timeout says.
std::vector<unsigned char> parameterBlock(TransactionAccess access, int lockTimeout)
{
    const unsigned char mode = access == TransactionAccess::ReadOnly ? isc_tpb_read : isc_tpb_write;
    std::vector<unsigned char> tpb = {isc_tpb_version3, mode, isc_tpb_read_committed, isc_tpb_rec_version};
    if (access == TransactionAccess::ReadWrite && lockTimeout == 0) {
        tpb.push_back(isc_tpb_nowait);
        return tpb;
    }
    tpb.push_back(isc_tpb_wait);
    if (access == TransactionAccess::ReadWrite && lockTimeout > 0) {
        // A clumplet: its length, then the seconds as a little-endian 32-bit value.
        tpb.insert(tpb.end(), {isc_tpb_lock_timeout, 4});
        const auto seconds = static_cast<std::uint32_t>(lockTimeout);
        for (int shift = 0; shift < 32; shift += 8)
            tpb.push_back(static_cast<unsigned char>(seconds >> shift));
    }
    return tpb;
}

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
    const std::vector<unsigned char> tpb = parameterBlock(access, connection_.lockTimeout());
    native_->handle = fb::guarded(client, [&] {
        return fb::Handle<Firebird::ITransaction>(client.attachment->startTransaction(
            client.status.get(), static_cast<unsigned>(tpb.size()), tpb.data()));
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
