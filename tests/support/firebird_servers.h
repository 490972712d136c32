#pragma once
// The Firebird servers that the tests through a server run against, one list for
// them all: Debian 12's Firebird 3 server of scripts/start-firebird on
// 127.0.0.1:3050, and Debian 13's Firebird 4 server of scripts/start-firebird4 on
// 127.0.0.1:3051, which runs in a Debian 13 system of its own and sees /tmp at the
// same path. A suite runs over the list as a value-parameterised one:
//
//   INSTANTIATE_TEST_SUITE_P(Servers, ThroughServer, testing_support::eachFirebirdServer(),
//                            testing_support::serverName);
//
// Each server makes the company databases its tests use, so that they have its own
// on-disk structure (Firebird 4 opens no file of Firebird 3 without a backup and a
// restore).
#include "support/company_db.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace testing_support {

struct FirebirdServer {
    std::string name;   // in the names of the tests: "firebird3", "firebird4"
    std::string prefix; // what a database's path follows to reach it: "localhost/3051:"
    int port;
    std::string password;             // SYSDBA's
    std::filesystem::path system;     // the root of the system it runs in
    std::filesystem::path pidFile;    // as scripts/start-firebird* writes it
    std::filesystem::path executable; // the server's program, as this machine sees it
    std::filesystem::path startScript;

    // The server location of a folder, or the name of a database, through this server.
    std::string location(const std::filesystem::path& path) const { return prefix + serverPath(path); }

    // Makes folder/datos/<company>/merkalo.fdb as createCompanyDatabase does, but by
    // this server, and gives the folder to the server's user. Throws
    // std::runtime_error when the server does not answer.
    std::filesystem::path createCompanyDatabase(const std::filesystem::path& folder,
                                                const std::string& company = "01",
                                                bool demoData = true) const;

    // Gives the folder and everything below it to the server's own user (of the
    // system it runs in), so that it can open and write the databases there.
    void handToServer(const std::filesystem::path& folder) const;
};

// The servers under test, Firebird 3 first.
const std::vector<FirebirdServer>& firebirdServers();

inline auto eachFirebirdServer()
{
    return ::testing::ValuesIn(firebirdServers());
}

inline std::string serverName(const ::testing::TestParamInfo<FirebirdServer>& info)
{
    return info.param.name;
}

inline void PrintTo(const FirebirdServer& server, std::ostream* out)
{
    *out << server.name << " (" << server.prefix << ")";
}

} // namespace testing_support
