#pragma once
// A statement prepared on its first use and kept: the window makes its providers,
// and the data module its queries, before the connection exists.
#include "database/statement.h"

#include <memory>
#include <string>

namespace database {

class Connection;

class LazyStatement {
public:
    LazyStatement(Connection& connection, std::string sql) : connection_(&connection), sql_(std::move(sql)) {}

    const std::string& sql() const { return sql_; }

    // The statement, prepared now when it is not yet; a text that Firebird refuses
    // raises the connection's error, and the next call tries again.
    Statement& get()
    {
        if (!statement_)
            statement_ = std::make_unique<Statement>(*connection_, sql_);
        return *statement_;
    }

private:
    Connection* connection_;
    std::string sql_;
    std::unique_ptr<Statement> statement_;
};

} // namespace database
