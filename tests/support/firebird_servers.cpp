#include "support/firebird_servers.h"

#include "support/company_db.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

#ifndef IMPORTARCOT_SOURCE_DIR
#error "IMPORTARCOT_SOURCE_DIR must name the source tree (it holds scripts/)"
#endif

namespace fs = std::filesystem;

namespace testing_support {
namespace {

#ifndef _WIN32
// The user and group ids of "firebird" in a system's /etc/passwd, read as a file:
// the Debian 13 system's ids need not be this machine's.
std::pair<uid_t, gid_t> firebirdIds(const fs::path& system)
{
    std::ifstream passwd(system / "etc" / "passwd");
    for (std::string line; std::getline(passwd, line);) {
        std::istringstream fields(line);
        std::string name, password, uid, gid;
        if (std::getline(fields, name, ':') && name == "firebird" && std::getline(fields, password, ':') &&
            std::getline(fields, uid, ':') && std::getline(fields, gid, ':'))
            return {static_cast<uid_t>(std::stoul(uid)), static_cast<gid_t>(std::stoul(gid))};
    }
    throw std::runtime_error("no Firebird server is installed in " + system.string() +
                             " (scripts/start-firebird, scripts/start-firebird4)");
}
#endif

std::string password()
{
    const char* chosen = std::getenv("FIREBIRD_PASSWORD");
    return chosen != nullptr && *chosen != '\0' ? chosen : "masterkey";
}

} // namespace

fs::path FirebirdServer::createCompanyDatabase(const fs::path& folder, const std::string& company,
                                               bool demoData) const
{
    // The templates go below /tmp, which both servers see at the same path.
    const fs::path templates = fs::temp_directory_path() / "importarcot-company-templates" / name;
    fs::create_directories(templates);
    handToServer(templates);
    const fs::path made = createCompanyDatabaseThrough(prefix, templates, folder, company, demoData);
    handToServer(folder);
    return made;
}

void FirebirdServer::handToServer(const fs::path& folder) const
{
#ifdef _WIN32
    // Under Wine nothing to do: scripts/windows-test runs the Windows tests with a
    // umask that leaves what they make open to the servers' users.
    (void)folder;
#else
    const auto [uid, gid] = firebirdIds(system);
    fs::permissions(folder, fs::perms::all);
    auto give = [&](const fs::path& path) {
        if (::chown(path.c_str(), uid, gid) != 0)
            throw std::system_error(errno, std::generic_category(), "chown " + path.string());
    };
    give(folder);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        give(entry.path());
#endif
}

const std::vector<FirebirdServer>& firebirdServers()
{
    static const std::vector<FirebirdServer> servers = [] {
        const fs::path scripts = fs::path(IMPORTARCOT_SOURCE_DIR) / "scripts";
        const char* cache = std::getenv("IMPORTARCOT_CACHE");
        const fs::path debian13 =
            fs::path(cache != nullptr && *cache != '\0' ? cache : "/var/cache/importarcot") / "debian13";
        // Debian 12's /usr/sbin/firebird is Firebird 3's server; from Debian 13 on it
        // is a script that starts the one in /usr/lib/firebird/3.0/bin.
        const fs::path firebird3 = fs::exists("/usr/lib/firebird/3.0/bin/firebird")
                                       ? "/usr/lib/firebird/3.0/bin/firebird"
                                       : "/usr/sbin/firebird";
        return std::vector<FirebirdServer>{
            {"firebird3", "localhost:", 3050, password(), "/", "/run/firebird3.0/firebird.pid", firebird3,
             scripts / "start-firebird"},
            {"firebird4", "localhost/3051:", 3051, password(), debian13,
             debian13 / "run/firebird4.0/firebird.pid", debian13 / "usr/lib/firebird/4.0/bin/firebird",
             scripts / "start-firebird4"},
        };
    }();
    return servers;
}

} // namespace testing_support
