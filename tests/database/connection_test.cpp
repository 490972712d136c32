#include "database/connection.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "platform/errors.h"
#include "support/company_db.h"
#include "support/firebird_servers.h"
#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

using database::Connection;
using database::Row;
using database::Rows;
using database::Statement;
using database::Transaction;
using dataset::Blob;
using dataset::ColumnInfo;
using dataset::Date;
using dataset::Decimal;
using dataset::FieldKind;
using dataset::Value;

const char* const kUser = "SYSDBA";
const char* const kEmbeddedPassword = "masterkey";

const char* const kSchema[] = {
    "create table ITEMS (ID integer not null primary key, NAME varchar(20), CODE char(3),"
    " QTY numeric(15,4), PRICE numeric(15,2), BIG bigint, SMALL smallint, SOLD date,"
    " STAMP timestamp, RATE double precision, NOTE blob sub_type 1, DATA blob sub_type 0)",
    "create table LINES (ID integer not null primary key, ITEM_ID integer not null references ITEMS (ID))",
    "create generator ITEM_IDS",
    "create procedure NEXT_ITEM returns (ID integer) as begin ID = gen_id(ITEM_IDS, 1); end",
    "create procedure ITEMS_FROM (FIRST_ID integer) returns (ID integer, LABEL varchar(30)) as begin"
    " for select ID, NAME || '!' from ITEMS where ID >= :FIRST_ID order by ID into :ID, :LABEL do suspend; "
    "end",
};

// A fresh database with the test schema, opened with the embedded engine.
class EmbeddedDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = (dir_.path() / "test.fdb").string();
        testing_support::createEmptyDatabase(path_, kEmbeddedPassword);
        connection_.open(path_, kUser, kEmbeddedPassword, "RoleName");
        for (const char* ddl : kSchema)
            Statement(connection_, ddl).execute();
    }

    Rows select(const std::string& sql, const Row& parameters = {})
    {
        return Statement(connection_, sql).fetchAll(parameters);
    }

    testing_support::TempDir dir_;
    std::string path_;
    Connection connection_;
};

// The text of the DatabaseError that work raises; fails the test when none is raised.
template <typename Work> std::string errorOf(Work&& work)
{
    try {
        work();
    } catch (const platform::DatabaseError& error) {
        return error.what();
    }
    ADD_FAILURE() << "no DatabaseError raised";
    return {};
}

TEST(DatabasePath, TrimmedOfBlanksAndControlsAtBothEnds)
{
    EXPECT_EQ(database::trimDatabasePath(" \t/srv/x/merkalo.fdb\r\n "), "/srv/x/merkalo.fdb");
    EXPECT_EQ(database::trimDatabasePath("localhost:/a b/ c.fdb\x1f"), "localhost:/a b/ c.fdb");
    EXPECT_EQ(database::trimDatabasePath("/d\xe9p\xf4t\xa0"), "/d\xe9p\xf4t\xa0");
    EXPECT_EQ(database::trimDatabasePath(" \x01 "), "");
}

TEST(DatabasePath, HostPartDecidesBetweenEmbeddedAndServer)
{
    const struct {
        const char* path;
        bool server;
    } cases[] = {
        {"/srv/x/datos/01/merkalo.fdb", false}, {"datos/01/merkalo.fdb", false},
        {"C:\\merkalo\\merkalo.fdb", false},    {"C:/merkalo/merkalo.fdb", false},
        {"localhost:/srv/x/merkalo.fdb", true}, {"127.0.0.1/3099:/srv/x.fdb", true},
        {"server:C:\\merkalo.fdb", true},       {"\\\\server\\merkalo\\x.fdb", true},
        {"/srv/a:b/merkalo.fdb", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(database::hasHostPart(c.path), c.server) << c.path;
}

TEST_F(EmbeddedDatabase, AttachesWithBlanksAroundThePathAndTheRoleGiven)
{
    const auto attached = [&](const std::string& database, const std::string& role) {
        connection_.open(database, kUser, kEmbeddedPassword, role);
        EXPECT_TRUE(connection_.isOpen());
        const Rows rows = select("select trim(MON$DATABASE_NAME), trim(current_role), trim(current_user)"
                                 " from MON$DATABASE");
        return rows.at(0);
    };
    // A role that the database does not know is no obstacle: the attachment has none.
    EXPECT_EQ(attached(" \t" + path_ + " \r\n", "RoleName"),
              (Row{path_, std::string("NONE"), std::string("SYSDBA")}));
    // One that it knows and has granted becomes the attachment's role.
    Statement(connection_, "create role ROLENAME").execute();
    Statement(connection_, "grant ROLENAME to SYSDBA").execute();
    EXPECT_EQ(attached(path_, "RoleName"), (Row{path_, std::string("ROLENAME"), std::string("SYSDBA")}));
}

TEST_F(EmbeddedDatabase, PathThatDoesNotExistGivesTheIoErrorAndStaysClosed)
{
    const std::string missing = (dir_.path() / "nowhere" / "merkalo.fdb").string();
    const std::string text =
        errorOf([&] { connection_.open(missing, kUser, kEmbeddedPassword, "RoleName"); });
    EXPECT_EQ(
        text.rfind("SQL Server Error: I/O error during \"open\" operation for file \"" + missing + "\"", 0),
        0u)
        << text;
    EXPECT_FALSE(connection_.isOpen());
    EXPECT_EQ(connection_.lastError(), text);
}

TEST_F(EmbeddedDatabase, PreparedInsertBindsEveryKindAndFirebirdConverts)
{
    Statement insert(connection_,
                     "insert into ITEMS (ID, NAME, CODE, QTY, PRICE, BIG, SMALL, SOLD, STAMP, RATE,"
                     " NOTE, DATA) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    ASSERT_EQ(insert.parameterCount(), 12u);
    const std::string longNote(70000, 'n');
    const std::string binary("\0\x01\xff\x80 z", 6);
    // A row of nulls but for the identifier and the values given by column index.
    const auto sparse = [](int id, std::initializer_list<std::pair<std::size_t, Value>> values) {
        Row row(12);
        row[0] = id;
        for (const auto& [column, value] : values)
            row[column] = value;
        return row;
    };
    const struct {
        Row in;
        Row out;
    } cases[] = {
        // Each kind into its own column.
        {{1, std::string("Caf\xe9"), std::string("AB"), Decimal::fromUnscaled(125, 1),
          Decimal::fromUnscaled(-1999, 2), Decimal::fromUnscaled(9000000000, 0), 7, Date{2024, 2, 29},
          Date{1999, 12, 31}, 0.25, std::string("a note"), Blob{binary}},
         {1, std::string("Caf\xe9"), std::string("AB "), Decimal::fromUnscaled(125, 1),
          Decimal::fromUnscaled(-1999, 2), Decimal::fromUnscaled(9000000000, 0), 7, Date{2024, 2, 29},
          Date{1999, 12, 31}, 0.25, Blob{"a note"}, Blob{binary}}},
        // Null in every nullable column.
        {sparse(2, {}), sparse(2, {})},
        // Kinds that differ from the column's: texts into numbers and dates, numbers into texts,
        // more decimals than the column's scale (rounded by Firebird), a text longer than a varchar.
        {{std::string("3"), 42, Decimal::fromUnscaled(5, 0), std::string("2.5"),
          Decimal::fromUnscaled(123456, 5), std::string("-12"), Decimal::fromUnscaled(30, 1),
          std::string("2001-03-04"), Date{2001, 3, 4}, Decimal::fromUnscaled(15, 1), longNote,
          std::string("raw")},
         {3, std::string("42"), std::string("5  "), Decimal::fromUnscaled(25000, 4),
          Decimal::fromUnscaled(123, 2), Decimal::fromUnscaled(-12, 0), 3, Date{2001, 3, 4}, Date{2001, 3, 4},
          1.5, Blob{longNote}, Blob{"raw"}}},
        // A decimal with a scale beyond what Firebird's integers carry goes as text.
        {sparse(4, {{3, Decimal::parse("0.00000000000000000000123", '.').value()}}),
         sparse(4, {{3, Decimal::fromUnscaled(0, 4)}})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(insert.execute(c.in), 1u);

    // A value beyond the column's precision is Firebird's to refuse.
    const Decimal tooLong = Decimal::parse("12345678901234567890.1", '.').value();
    const std::string overflow = errorOf([&] { insert.execute(sparse(5, {{4, tooLong}})); });
    EXPECT_EQ(overflow.rfind("SQL Server Error: ", 0), 0u) << overflow;
    EXPECT_NE(overflow.find("numeric value is out of range"), std::string::npos) << overflow;

    const Rows rows = select("select * from ITEMS order by ID");
    ASSERT_EQ(rows.size(), std::size(cases));
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], cases[i].out) << "row " << i;
}

TEST_F(EmbeddedDatabase, AffectedRowCounts)
{
    Statement insert(connection_, "insert into ITEMS (ID, NAME) values (?, ?)");
    const struct {
        const char* sql;
        Row parameters;
        std::uint64_t affected;
    } cases[] = {
        {"insert into ITEMS (ID, NAME) values (?, ?)", {1, std::string("one")}, 1},
        {"insert into ITEMS (ID, NAME) values (?, ?)", {2, std::string("two")}, 1},
        {"update ITEMS set NAME = 'x' where ID = ?", {99}, 0},
        {"update ITEMS set NAME = ? where ID in (1, 2)", {std::string("both")}, 2},
        {"delete from ITEMS where NAME = ?", {std::string("both")}, 2},
        {"select * from ITEMS", {}, 0},
    };
    for (const auto& c : cases) {
        Statement statement(connection_, c.sql);
        Transaction transaction(connection_);
        EXPECT_EQ(statement.execute(transaction, c.parameters), c.affected) << c.sql;
        transaction.commit();
    }
}

TEST_F(EmbeddedDatabase, InsertValuesCountsOneRowSoItsCountNeedNotBeAsked)
{
    // The provider writes rows with executeOne, asking no count: an INSERT ... VALUES
    // that succeeds counts one row, also into a view whose trigger stores two rows or
    // none.
    for (const char* ddl : {"create view TWICE (ID, NAME) as select ID, NAME from ITEMS",
                            "create trigger TWICE_BI for TWICE before insert as begin insert into ITEMS (ID, "
                            "NAME) values (new.ID, "
                            "new.NAME); insert into ITEMS (ID, NAME) values (new.ID + 1000, new.NAME); end",
                            "create view NEVER (ID, NAME) as select ID, NAME from ITEMS",
                            "create trigger NEVER_BI for NEVER before insert as begin end"})
        Statement(connection_, ddl).execute();
    Transaction transaction(connection_);
    EXPECT_EQ(Statement(connection_, "insert into TWICE (ID, NAME) values (?, ?)")
                  .execute(transaction, {1, std::string("a")}),
              1u);
    EXPECT_EQ(Statement(connection_, "insert into NEVER (ID, NAME) values (?, ?)")
                  .execute(transaction, {2, std::string("b")}),
              1u);
    Statement(connection_, "insert into ITEMS (ID, NAME) values (?, ?)")
        .executeOne(transaction, {3, std::string("c")});
    transaction.commit();
    EXPECT_EQ(select("select ID from ITEMS order by ID"), (Rows{{1}, {3}, {1001}}));
}

TEST_F(EmbeddedDatabase, SelectAndSelectableProcedureGiveColumnsAndRows)
{
    Statement insert(connection_, "insert into ITEMS (ID, NAME, CODE, QTY, SOLD) values (?, ?, ?, ?, ?)");
    for (int id = 1; id <= 3; ++id)
        insert.execute({id, "item " + std::to_string(id), std::string("C"), Decimal::fromUnscaled(id * 15, 1),
                        Date{2020, 1, id}});

    Statement select(connection_, "select ID, NAME as TITLE, CODE, QTY, PRICE, BIG, SMALL, SOLD, STAMP, RATE,"
                                  " NOTE, DATA from ITEMS where ID >= ? order by ID");
    EXPECT_TRUE(select.isSelect());
    const std::vector<ColumnInfo> expected = {
        {"ID", FieldKind::Integer, 0},    {"TITLE", FieldKind::Text, 20},   {"CODE", FieldKind::FixedText, 3},
        {"QTY", FieldKind::Decimal, 4},   {"PRICE", FieldKind::Decimal, 2}, {"BIG", FieldKind::Decimal, 0},
        {"SMALL", FieldKind::Integer, 0}, {"SOLD", FieldKind::Date, 0},     {"STAMP", FieldKind::Date, 0},
        {"RATE", FieldKind::Float, 0},    {"NOTE", FieldKind::Blob, 0},     {"DATA", FieldKind::Blob, 0},
    };
    ASSERT_EQ(select.columns().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(select.columns()[i].name, expected[i].name);
        EXPECT_EQ(select.columns()[i].kind, expected[i].kind) << expected[i].name;
        EXPECT_EQ(select.columns()[i].size, expected[i].size) << expected[i].name;
    }
    const Rows rows = select.fetchAll({2});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (Row{3,
                            std::string("item 3"),
                            std::string("C  "),
                            Decimal::fromUnscaled(45, 1),
                            {},
                            {},
                            {},
                            Date{2020, 1, 3},
                            {},
                            {},
                            {},
                            {}}));

    // The same statement again, in a transaction of the caller's.
    Transaction transaction(connection_, database::TransactionAccess::ReadOnly);
    EXPECT_EQ(select.fetchAll(transaction, {std::string("3")}).size(), 1u);
    transaction.commit();

    Statement procedure(connection_, "select * from ITEMS_FROM(?)");
    ASSERT_EQ(procedure.columns().size(), 2u);
    EXPECT_EQ(procedure.columns()[1].name, "LABEL");
    EXPECT_EQ(procedure.columns()[1].kind, FieldKind::Text);
    EXPECT_EQ(procedure.fetchAll({2}), (Rows{{2, std::string("item 2!")}, {3, std::string("item 3!")}}));
    EXPECT_EQ(procedure.fetchAll({9}), Rows{});
}

TEST_F(EmbeddedDatabase, ExecutableProcedureGivesItsOutputParameters)
{
    Statement procedure(connection_, "EXECUTE PROCEDURE NEXT_ITEM");
    EXPECT_FALSE(procedure.isSelect());
    ASSERT_EQ(procedure.columns().size(), 1u);
    EXPECT_EQ(procedure.columns()[0].name, "ID");
    EXPECT_EQ(procedure.columns()[0].kind, FieldKind::Integer);
    EXPECT_EQ(procedure.executeProcedure(), Row{1});
    EXPECT_EQ(procedure.executeProcedure(), Row{2});
    EXPECT_EQ(procedure.fetchAll(), Rows{Row{3}});
}

TEST_F(EmbeddedDatabase, CommitMakesRowsVisibleRollbackAndScopeEndDropThem)
{
    Statement insert(connection_, "insert into ITEMS (ID) values (?)");
    Statement count(connection_, "select count(*) from ITEMS");
    const auto rowsNow = [&] { return count.fetchAll().at(0).at(0); };
    const Value zero = Decimal::fromUnscaled(0, 0);
    const Value one = Decimal::fromUnscaled(1, 0);
    {
        Transaction transaction(connection_);
        insert.execute(transaction, {1});
        EXPECT_EQ(rowsNow(), zero); // not yet committed: other transactions do not see it
        transaction.rollback();
        EXPECT_FALSE(transaction.isActive());
    }
    {
        Transaction transaction(connection_);
        insert.execute(transaction, {2});
    }
    EXPECT_EQ(rowsNow(), zero);
    {
        Transaction transaction(connection_);
        insert.execute(transaction, {3});
        transaction.commit();
    }
    EXPECT_EQ(rowsNow(), one);
}

TEST_F(EmbeddedDatabase, ConstraintViolationsCarryTheServerMessageAfterTheirPrefix)
{
    Statement item(connection_, "insert into ITEMS (ID) values (?)");
    Statement line(connection_, "insert into LINES (ID, ITEM_ID) values (?, ?)");
    item.execute({1});

    const std::string primary = errorOf([&] { item.execute({1}); });
    EXPECT_EQ(primary.rfind("SQL Server Error: violation of PRIMARY or UNIQUE KEY constraint", 0), 0u)
        << primary;
    EXPECT_EQ(connection_.lastError(), primary);

    const std::string foreign = errorOf([&] {
        Transaction transaction(connection_);
        line.execute(transaction, {1, 777});
        transaction.commit();
    });
    ASSERT_GE(foreign.size(), 38u) << foreign;
    EXPECT_EQ(foreign.substr(18, 20), "violation of FOREIGN") << foreign;
    EXPECT_EQ(connection_.lastError(), foreign);

    const std::string syntax = errorOf([&] { Statement(connection_, "selct 1 from rdb$database"); });
    EXPECT_EQ(syntax.rfind("SQL Server Error: Dynamic SQL Error", 0), 0u) << syntax;
}

TEST_F(EmbeddedDatabase, HighBytesTravelUnchanged)
{
    std::string everyHighByte;
    for (int c = 0x80; c <= 0xff; ++c)
        everyHighByte += static_cast<char>(c);
    // Every byte from 0x80 up, in pieces that fit the column, and a Windows-1252 text.
    std::vector<std::string> texts;
    for (std::size_t at = 0; at < everyHighByte.size(); at += 20)
        texts.push_back(everyHighByte.substr(at, 20));
    texts.push_back("A\xf1o az\xfa"
                    "car \x80\x93"
                    "a\x94");
    Statement insert(connection_, "insert into ITEMS (ID, NAME, NOTE) values (?, ?, ?)");
    Statement read(connection_, "select NAME, NOTE from ITEMS where ID = ? and NAME = ?");
    int id = 0;
    for (const std::string& text : texts) {
        ++id;
        insert.execute({id, text, Blob{everyHighByte}});
        EXPECT_EQ(read.fetchAll({id, text}), (Rows{{text, Blob{everyHighByte}}})) << id;
    }
}

TEST_F(EmbeddedDatabase, StatementsSurviveReopeningAndReopenImplicitly)
{
    Statement insert(connection_, "insert into ITEMS (ID) values (?)");
    insert.execute({1});
    connection_.close();
    // A closed connection opens again with its parameters on the next use; the
    // statement prepares again on its own.
    EXPECT_EQ(insert.execute({2}), 1u);
    EXPECT_TRUE(connection_.isOpen());
    EXPECT_EQ(select("select ID from ITEMS order by ID"), (Rows{{1}, {2}}));

    Transaction open(connection_);
    connection_.close();
    EXPECT_FALSE(open.isActive());
}

#ifndef _WIN32
// The client library named by IMPORTARCOT_FBCLIENT, for one test. (Windows looks
// for its client elsewhere first: tests/windows/fb_client_test.cpp.)
class ClientLibraryOverride {
public:
    explicit ClientLibraryOverride(const std::string& file)
    {
        if (const char* before = std::getenv(kVariable))
            before_ = before;
        setenv(kVariable, file.c_str(), 1);
    }
    ~ClientLibraryOverride()
    {
        if (before_)
            setenv(kVariable, before_->c_str(), 1);
        else
            unsetenv(kVariable);
    }

private:
    static constexpr const char* kVariable = "IMPORTARCOT_FBCLIENT";
    std::optional<std::string> before_;
};

TEST(ClientLibrary, FailuresNameTheFileOrTheEntryPoint)
{
    const struct {
        std::string file;
        std::string text;
    } cases[] = {
        {"/nonexistent/libfbclient.so.2", "Unable to Load /nonexistent/libfbclient.so.2"},
        {"libm.so.6", "Unable to Find Procedure fb_get_master_interface"},
        {"libz.so.1", "Unable to Find Procedure fb_get_master_interface"},
    };
    for (const auto& c : cases) {
        ClientLibraryOverride library(c.file);
        Connection connection;
        EXPECT_EQ(errorOf([&] { connection.open("/tmp/x.fdb", kUser, kEmbeddedPassword, "RoleName"); }),
                  c.text);
        EXPECT_FALSE(connection.isOpen());
    }
}
#endif

// A database created by each server under test (scripts/start-firebird,
// scripts/start-firebird4) in a folder that the server's user may write.
class ServerDatabase : public ::testing::TestWithParam<testing_support::FirebirdServer> {
protected:
    void SetUp() override
    {
        std::filesystem::permissions(dir_.path(), std::filesystem::perms::all);
        path_ = (dir_.path() / "server.fdb").string();
        try {
            testing_support::createEmptyDatabase(server().location(path_), server().password);
        } catch (const std::exception& error) {
            FAIL() << "The Firebird server on 127.0.0.1:" << server().port
                   << " does not answer (start it with " << server().startScript.filename().string()
                   << "): " << error.what();
        }
    }
    const testing_support::FirebirdServer& server() const { return GetParam(); }

    testing_support::TempDir dir_;
    std::string path_;
};

INSTANTIATE_TEST_SUITE_P(Servers, ServerDatabase, testing_support::eachFirebirdServer(),
                         testing_support::serverName);

TEST_P(ServerDatabase, AttachesThroughTheServer)
{
    Connection connection;
    connection.open("  " + server().location(path_), kUser, server().password, "RoleName");
    ASSERT_TRUE(connection.isOpen());
    Statement(connection, "create table T (ID integer, NAME varchar(10))").execute();
    Statement(connection, "insert into T values (?, ?)").execute({5, std::string("\xe1\xe9\xed")});
    EXPECT_EQ(Statement(connection, "select ID, NAME, trim(MON$REMOTE_PROTOCOL) from T, MON$ATTACHMENTS"
                                    " where MON$ATTACHMENT_ID = current_connection")
                  .fetchAll(),
              (Rows{{5, std::string("\xe1\xe9\xed"), std::string("TCPv4")}}));
}

// Firebird 4 gives some values types of its own, which Firebird 3's client library
// cannot even describe: the SUM of a NUMERIC(18) is a NUMERIC(38) held in 128 bits,
// CURRENT_TIMESTAMP carries a time zone. The connection has them bound to the types
// of Firebird 3, so that both servers give the same columns and values.
TEST_P(ServerDatabase, NewerTypesArriveAsFirebird3Types)
{
    Connection connection;
    connection.open(server().location(path_), kUser, server().password, "RoleName");
    Statement(connection, "create table M (AMOUNT numeric(18, 2))").execute();
    Statement insert(connection, "insert into M values (?)");
    insert.execute({Decimal::fromUnscaled(1225, 2)});
    insert.execute({Decimal::fromUnscaled(-100, 2)});

    Statement select(connection, "select sum(AMOUNT) as TOTAL, max(AMOUNT) * 100 as HUNDREDFOLD, "
                                 "current_timestamp as STAMP from M");
    const std::vector<ColumnInfo> expected = {{"TOTAL", FieldKind::Decimal, 2},
                                              {"HUNDREDFOLD", FieldKind::Decimal, 2},
                                              {"STAMP", FieldKind::Date, 0}};
    ASSERT_EQ(select.columns().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(select.columns()[i].kind, expected[i].kind) << expected[i].name;
        EXPECT_EQ(select.columns()[i].size, expected[i].size) << expected[i].name;
    }
    const Rows rows = select.fetchAll();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Value{Decimal::fromUnscaled(1125, 2)});
    EXPECT_EQ(rows[0][1], Value{Decimal::fromUnscaled(122500, 2)});
    EXPECT_TRUE(std::holds_alternative<Date>(rows[0][2]));
}

// The texts are written by the client library from the codes the server sends, so
// they are the same whichever server refuses.
TEST_P(ServerDatabase, RefusalsGiveTheServerText)
{
    const struct {
        std::string database;
        std::string password;
        std::string start;
    } cases[] = {
        {server().location(path_), server().password + "-wrong",
         "SQL Server Error: Your user name and password are not defined."},
        {"127.0.0.1/3099:" + path_, server().password,
         "SQL Server Error: Unable to complete network request to host \"127.0.0.1\"."},
    };
    for (const auto& c : cases) {
        Connection connection;
        const std::string text = errorOf([&] { connection.open(c.database, kUser, c.password, "RoleName"); });
        EXPECT_EQ(text.rfind(c.start, 0), 0u) << text;
        EXPECT_EQ(connection.lastError(), text);
        EXPECT_FALSE(connection.isOpen());
    }
}

} // namespace
