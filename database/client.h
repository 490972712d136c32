#pragma once
// The client library's side of this layer, for database/*.cpp only: owning handles
// for its interfaces, the throwing status that every call takes, and the one place
// where the client's exception becomes our error. Nothing above this folder sees
// these types; its headers speak in the layer's own.
#ifndef IMPORTARCOT_DATABASE_INTERNAL
#error "database/client.h belongs to the database library alone"
#endif

#include "database/connection.h"
#include "database/transaction.h"

#include <firebird/Interface.h>
#include <string>
#include <type_traits>
#include <utility>

namespace database::fb {

// One interface of the client library, released (reference-counted ones) or disposed
// (builders, statuses) when the handle goes. Calls that end an interface
// successfully (commit, rollback, detach, free, close) release it themselves: they
// go through end(), after which the handle holds nothing.
template <typename Interface> class Handle {
public:
    Handle() = default;
    explicit Handle(Interface* pointer) : pointer_(pointer) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Runs an ending call on the interface. When it throws, the handle still holds
    // the interface and releases it in its turn.
    template <typename Call> void end(Call&& call)
    {
        std::forward<Call>(call)(pointer_);
        pointer_ = nullptr;
    }

    void reset()
    {
        Interface* gone = std::exchange(pointer_, nullptr);
        if (gone == nullptr)
            return;
        if constexpr (std::is_base_of_v<Firebird::IReferenceCounted, Interface>)
            gone->release();
        else
            gone->dispose();
    }

private:
    Interface* pointer_ = nullptr;
};

// The status that the client's calls report into: a call that fails throws
// Firebird::FbException, which guarded() turns into our error.
class Status {
public:
    explicit Status(Firebird::IMaster* master) : owned_(master->getStatus()), wrapper_(owned_.get()) {}
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    Firebird::ThrowStatusWrapper* get() { return &wrapper_; }

private:
    Handle<Firebird::IStatus> owned_;
    Firebird::ThrowStatusWrapper wrapper_;
};

} // namespace database::fb

namespace database {

// What a connection holds of the client library once it is loaded.
struct Connection::Native {
    explicit Native(Firebird::IMaster* loaded)
        : master(loaded), util(loaded->getUtilInterface()), status(loaded)
    {
    }

    // Our error for a status that the client library reported: "SQL Server Error: "
    // and the client's message; without a message the previous error text, or
    // "dbExpress Error: Unknown Error Code '%s'". The text becomes lastError.
    [[noreturn]] void raise(Firebird::IStatus* reported);

    Firebird::IMaster* master;
    Firebird::IUtil* util;
    fb::Status status;
    fb::Handle<Firebird::IAttachment> attachment;
    std::string lastError;
};

struct Transaction::Native {
    fb::Handle<Firebird::ITransaction> handle;
};

namespace fb {

// The layer's edge: runs work, which calls the client library through the
// connection's status, and raises the client's exception as our error.
template <typename Work> auto guarded(Connection::Native& native, Work&& work)
{
    try {
        return std::forward<Work>(work)();
    } catch (const Firebird::FbException& error) {
        native.raise(error.getStatus());
    }
}

// Runs an ending call whose failure nobody can act on (a rollback or a detach while
// closing, a free): a failed one leaves the interface to the handle's release.
template <typename Interface, typename Call> void endQuietly(Handle<Interface>& handle, Call&& call)
{
    try {
        handle.end(std::forward<Call>(call));
    } catch (const Firebird::FbException&) {
        handle.reset();
    }
}

} // namespace fb

} // namespace database
