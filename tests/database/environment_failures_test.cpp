// Which error vectors of the Firebird client are failures of the environment.
#include "database/connection.h"
#include "database/environment_failures.h"
#include "database/statement.h"
#include "support/company_db.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <vector>

namespace database {
namespace {

TEST(EnvironmentFailures, ACodeOfTheEnvironmentAnywhereInTheVector)
{
    const char* const file = "/srv/merkalo/datos/01/merkalo.fdb";
    const char* const constraint = "PK_COTIZACIONES";
    const struct {
        const char* name;
        std::vector<ISC_STATUS> errors;
        bool environment;
    } cases[] = {
        {"full disk",
         {isc_arg_gds, isc_io_error, isc_arg_string, ISC_STATUS(file), isc_arg_gds, isc_io_write_err,
          isc_arg_unix, 28, isc_arg_end},
         true},
        {"connection broken off", {isc_arg_gds, isc_net_read_err, isc_arg_end}, true},
        {"server shut down", {isc_arg_gds, isc_att_shutdown, isc_arg_end}, true},
        {"damaged page behind a generic first code",
         {isc_arg_gds, isc_savepoint_backout_err, isc_arg_gds, isc_db_corrupt, isc_arg_string,
          ISC_STATUS(file), isc_arg_gds, isc_page_type_err, isc_arg_end},
         true},
        {"after a counted string",
         {isc_arg_cstring, 4, ISC_STATUS(file), isc_arg_gds, isc_virmemexh, isc_arg_end},
         true},
        {"duplicate key",
         {isc_arg_gds, isc_unique_key_violation, isc_arg_string, ISC_STATUS(constraint), isc_arg_string,
          ISC_STATUS(constraint), isc_arg_end},
         false},
        {"trigger's exception", {isc_arg_gds, isc_except, isc_arg_number, 1, isc_arg_end}, false},
        {"value out of range",
         {isc_arg_gds, isc_arith_except, isc_arg_gds, isc_numeric_out_of_range, isc_arg_end},
         false},
        {"missing right",
         {isc_arg_gds, isc_no_priv, isc_arg_string, ISC_STATUS(constraint), isc_arg_end},
         false},
        {"a code's value as a number argument",
         {isc_arg_gds, isc_random, isc_arg_number, isc_io_error, isc_arg_end},
         false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isEnvironmentFailure(c.errors.data()), c.environment) << c.name;
    EXPECT_FALSE(isEnvironmentFailure(nullptr));
}

// Our error keeps the client's primary code beside its text, for decisions about
// the kind of error: a database file that is not there, a statement the server
// does not understand.
TEST(ClientErrors, KeepThePrimaryCodeAndTheirKind)
{
    testing_support::TempDir dir;
    const auto database = testing_support::createCompanyDatabase(dir.path(), "01", false);
    const auto failure = [](auto&& work) -> platform::DatabaseError {
        try {
            work();
        } catch (const platform::DatabaseError& error) {
            return error;
        }
        return platform::DatabaseError("no error");
    };
    Connection missing;
    const platform::DatabaseError notThere = failure(
        [&] { missing.open((dir.path() / "no-such.fdb").string(), "SYSDBA", "masterkey", "RoleName"); });
    EXPECT_EQ(notThere.code(), isc_io_error) << notThere.what();
    EXPECT_EQ(notThere.kind(), platform::DatabaseError::Kind::Environment);

    Connection connection;
    connection.open(database.string(), "SYSDBA", "masterkey", "RoleName");
    const platform::DatabaseError syntax =
        failure([&] { Statement(connection, "selec 1 from rdb$database"); });
    EXPECT_EQ(syntax.code(), isc_dsql_error) << syntax.what();
    EXPECT_EQ(syntax.kind(), platform::DatabaseError::Kind::Data);
    EXPECT_EQ(platform::DatabaseError("Field 'X' must have a value").code(), 0);
}

} // namespace
} // namespace database
