#pragma once
// Company databases for tests: real Firebird database files made from db/schema.sql
// (and db/demo_data.sql), set up and checked with isql-fb through the embedded
// engine. Plain C++ on purpose, so that every test executable can use it without
// the program's own database layer. Built for Windows, the tests run under Wine
// with no engine of their own: they make and read their databases with Firebird's
// isql for Windows through the Linux server on 127.0.0.1, which opens them by their
// path on the Linux side.
#include <filesystem>
#include <string>

namespace testing_support {

// Makes folder/datos/<company>/merkalo.fdb (replacing a file already there) with the
// schema and, when demoData is set, the demo company's rows, and returns its path.
// The database is built once per version of the SQL files into a template below the
// build tree and copied from there, so a test pays for a file copy only.
std::filesystem::path createCompanyDatabase(const std::filesystem::path& folder,
                                            const std::string& company = "01", bool demoData = true);

// The same, made by the server that prefix reaches ("localhost/3051:") in the on-disk
// structure of its own version; its templates are kept in the folder given, which
// that server must see at the same path and be able to write.
std::filesystem::path createCompanyDatabaseThrough(const std::string& prefix,
                                                   const std::filesystem::path& templates,
                                                   const std::filesystem::path& folder,
                                                   const std::string& company = "01", bool demoData = true);

// Makes an empty database, dialect 3, default character set WIN1252, page size 8192,
// as SYSDBA with the password given. A name with a host part ("localhost:/path")
// asks that server to make it. Throws std::runtime_error with isql's message.
void createEmptyDatabase(const std::string& name, const std::string& password);

// Runs statements on the database in one transaction, committed at the end. Every
// statement ends with ";" (SET TERM works as in isql); a missing final ";" is added.
// The connection character set is WIN1252, so texts are the suite's bytes both ways.
// The first failing statement rolls everything back and throws std::runtime_error
// with isql's message (which holds the server's text, e.g. "violation of FOREIGN KEY").
void runSql(const std::filesystem::path& database, const std::string& sql);

// Runs statements like runSql and returns the rows they produce: one line per row,
// ended by "\n", the row's values separated by "|", NULL written <null>. Values
// appear as isql prints them: NUMERIC with all its scale digits (1.50), dates as
// 2024-03-05, CHAR padded to its length, blob columns as their blob id.
// "select TIPO, ID from VALIDE_ARTICULO('CAF-500')" gives "2|CAF-500\n".
std::string querySql(const std::filesystem::path& database, const std::string& sql);

// Gives the folder and everything below it to the Firebird server's own user, so
// that the server on 127.0.0.1 can open and write the databases in it. Throws
// std::runtime_error when the server is not installed (scripts/start-firebird).
void handToServer(const std::filesystem::path& folder);

// The path of a file as the Firebird servers on 127.0.0.1 see it: the path itself;
// under Wine, the file's path on the Linux side.
std::string serverPath(const std::filesystem::path& path);

// The server location that reaches the company databases that createCompanyDatabase
// makes below folder: the folder, for the embedded engine; on Windows, which has no
// engine of its own here, the folder through the server on 127.0.0.1.
std::string companyLocation(const std::filesystem::path& folder);

// The SQL literal for a text: enclosed in single quotes, inner quotes doubled.
std::string sqlQuote(const std::string& text);

} // namespace testing_support
