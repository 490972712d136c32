#pragma once
// The failures of the program. Every failure is an exception whose what() is the
// text the user sees, worded exactly as the system words it.
#include <stdexcept>
#include <string>

namespace platform {

// A failure of the database kind: what the record sets raise (required field,
// state errors, field not found) and what the connection reports. Only this kind
// reaches the post, edit and delete hooks of a record set.
class DatabaseError : public std::runtime_error {
public:
    // What the failure is about. Data: the rows, values or statements sent (a
    // constraint, a trigger's exception, a value out of range, a missing right);
    // the next quotation may well be stored. Environment: what should store them
    // (the disk, the connection, the server, the database file, the engine's
    // memory); every write after it would fail the same way.
    enum class Kind { Data, Environment };

    explicit DatabaseError(const std::string& text, Kind kind = Kind::Data, long code = 0)
        : std::runtime_error(text), kind_(kind), code_(code)
    {
    }
    Kind kind() const noexcept { return kind_; }
    // The database client's primary error code (isc_...), 0 for an error that is
    // not the client's: for decisions about the kind of error, never its words.
    long code() const noexcept { return code_; }

private:
    Kind kind_;
    long code_;
};

// A text that does not convert into a value ("'x' is not a valid date").
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A fault of the extended-precision arithmetic of the line amounts.
class FloatingPointError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The silent abort: unwinds the running handler like any other failure, but the
// default error display shows nothing for it. Raised after a hook has already
// told the user what went wrong.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};

} // namespace platform
