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
    using std::runtime_error::runtime_error;
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

}  // namespace platform
