// The Debian package that cpack makes of this build tree, checked by lintian when
// the machine has it and unpacked into a scratch folder as dpkg would lay it out:
// the program runs from there, its menu entry, icon, manual page and examples are in
// it, and its control data names what the program loads at run time. Then the same
// package on Debian 13 (the system of scripts/debian13): installed with its apt,
// checked by its lintian, importing with Firebird 4's client library through the
// Firebird 4 server and with its embedded engine.
#include "console/batch_fixture.h"
#include "console/command_line.h"
#include "support/child_process.h"
#include "support/company_db.h"
#include "support/firebird_servers.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace app {
namespace {

namespace fs = std::filesystem;
using console::articleLine;
using console::kBatchImported;
using console::kBatchStopped;
using console::quotationLine;
using console::versionText;

using testing_support::Finished;

// Runs a program found on the PATH (or given by its path) without a shell.
Finished run(const testing_support::TempDir& dir, std::vector<std::string> arguments)
{
    return testing_support::runToEnd(dir.path(), std::move(arguments));
}

// The package names of a control field such as Depends, alternatives included,
// without versions.
std::set<std::string> packageNames(const std::string& field)
{
    std::set<std::string> names;
    std::istringstream items(field);
    for (std::string item; std::getline(items, item, ',');) {
        std::istringstream alternatives(item);
        for (std::string alternative; std::getline(alternatives, alternative, '|');) {
            std::istringstream words(alternative);
            std::string name;
            if (words >> name)
                names.insert(name);
        }
    }
    return names;
}

const fs::path kDebian13 = fs::path(IMPORTARCOT_SOURCE_DIR) / "scripts" / "debian13";

// A command run inside the Debian 13 system, which sees /tmp at the same path.
Finished onDebian13(const testing_support::TempDir& dir, std::vector<std::string> command,
                    std::vector<std::string> environment = {})
{
    command.insert(command.begin(), kDebian13.string());
    return testing_support::runToEnd(dir.path(), std::move(command), {std::move(environment)});
}

// The package installed on Debian 13 with apt, which brings what it depends on from
// Debian 13 (Qt 6.8, Firebird 4's client library, the engine it recommends): it
// passes that lintian, tells its version, and imports a file into a company database
// of the Firebird 4 server, once through the server with Firebird 4's client
// library and once with the embedded engine; a database file of Firebird 3 gives
// the engine's message about its on-disk structure.
void checkOnDebian13(const testing_support::TempDir& dir, const std::string& deb)
{
    const std::string apt = (fs::path(IMPORTARCOT_SOURCE_DIR) / "scripts" / "apt-get-wait").string();
    const Finished checked = onDebian13(dir, {"lintian", "--fail-on", "error,warning", deb});
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;

    // The package lists of the system may be older than the archive: read again
    // when an installation from them fails.
    Finished installed = onDebian13(dir, {apt, "install", "-y", "-qq", "--reinstall", deb});
    if (installed.status != 0) {
        onDebian13(dir, {apt, "update", "-qq"});
        installed = onDebian13(dir, {apt, "install", "-y", "-qq", "--reinstall", deb});
    }
    ASSERT_EQ(installed.status, 0) << installed.out << installed.err;

    const Finished version = onDebian13(dir, {"importarcot", "--version"});
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out, versionText() + "\n");

    const testing_support::FirebirdServer& firebird4 = testing_support::firebirdServers().back();
    testing_support::SuiteInstallation suite(dir);
    const std::string data =
        dir.write("cotizaciones.csv", quotationLine("DB", "13", "CAF-500") + articleLine("AZU-1K")).string();
    const struct {
        const char* name;
        bool throughServer;
        bool firebird3File;
        int status;
        std::string out, err;
    } cases[] = {
        {"server", true, false, kBatchImported,
         "Cotizaciones grabadas: 1, rechazadas: 0, líneas grabadas: 2, última grabada: DB13\n",
         "Importación finalizada.\n"},
        {"embedded", false, false, kBatchImported,
         "Cotizaciones grabadas: 1, rechazadas: 0, líneas grabadas: 2, última grabada: DB13\n",
         "Importación finalizada.\n"},
        {"embedded_firebird3_file", false, true, kBatchStopped,
         "Cotizaciones grabadas: 0, rechazadas: 0, líneas grabadas: 0, última grabada: ninguna\n",
         "unsupported on-disk structure for file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = dir.path() / c.name;
        fs::path database;
        // The Firebird 3 file made by the Firebird 3 server: this machine's own
        // embedded engine is Firebird 4's on Debian 13.
        if (c.firebird3File)
            ASSERT_NO_THROW(database =
                                testing_support::firebirdServers().front().createCompanyDatabase(folder));
        else
            ASSERT_NO_THROW(database = firebird4.createCompanyDatabase(folder));
        // Inside, a client's default port is that of the system's own server.
        const std::string server = (c.throughServer ? "localhost:" : "") + folder.string();
        const Finished imported = onDebian13(
            dir,
            {"importarcot", "--batch", "--server", server, "--user", "SYSDBA", "--company", "01", "--file",
             data, "--separator", "semicolon"},
            {suite.registry().variable(), "IMPORTARCOT_PASSWORD=" + firebird4.password, "LC_ALL=C.UTF-8"});
        EXPECT_EQ(imported.status, c.status) << imported.err;
        EXPECT_EQ(imported.out, c.out);
        EXPECT_NE(imported.err.find(c.err), std::string::npos) << imported.err;
        if (c.status == kBatchImported) {
            EXPECT_EQ(
                testing_support::querySql(firebird4.location(database),
                                          "select h.PREF_PRE || h.COTI_NUMERO, l.ARTI_COD from COTIZACIONES "
                                          "h join COTIZACIONES_DETALLE l on l.COTI_ID = h.COTI_ID order by "
                                          "l.CTDE_ITEM"),
                "DB13|CAF-500\nDB13|AZU-1K\n");
        }
    }

    // What it depends on stays installed for the next run; the downloaded files go.
    const Finished removed = onDebian13(dir, {apt, "purge", "-y", "-qq", "importarcot"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    onDebian13(dir, {apt, "clean"});
}

std::map<std::string, std::string> desktopEntry(const fs::path& file)
{
    std::map<std::string, std::string> keys;
    std::istringstream lines(testing_support::readFile(file));
    for (std::string line; std::getline(lines, line);)
        if (const auto equals = line.find('='); equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    return keys;
}

TEST(DebianPackage, BuiltFromThisTree)
{
    testing_support::TempDir dir;
    const fs::path built = dir.path() / "built";
    const Finished cpack =
        run(dir, {IMPORTARCOT_CPACK, "-G", "DEB", "--config",
                  (fs::path(IMPORTARCOT_BINARY_DIR) / "CPackConfig.cmake").string(), "-B", built.string()});
    ASSERT_EQ(cpack.status, 0) << cpack.out << cpack.err;
    std::vector<fs::path> packages;
    for (const auto& entry : fs::directory_iterator(built))
        if (entry.path().extension() == ".deb")
            packages.push_back(entry.path());
    ASSERT_EQ(packages.size(), 1u) << cpack.out;
    const std::string deb = packages.front().string();

    // The libraries the program opens with dlopen or asks for by name are invisible
    // to dpkg-shlibdeps; the Qt ones come from it. "a|b": either name, as the
    // release that builds it calls the library (Debian 13 renamed Qt's core for its
    // 64-bit time).
    const struct {
        const char* field;
        std::vector<std::string> names;
    } relations[] = {
        {"Depends",
         {"libfbclient2", "libqt6widgets6", "libqt6gui6", "libqt6core6|libqt6core6t64", "fonts-liberation",
          "fonts-liberation-sans-narrow", "qt6-translations-l10n"}},
        {"Recommends", {"firebird4.0-server-core", "firebird3.0-server-core"}},
    };
    for (const auto& relation : relations) {
        const Finished field = run(dir, {"dpkg-deb", "-f", deb, relation.field});
        ASSERT_EQ(field.status, 0) << field.err;
        const std::set<std::string> names = packageNames(field.out);
        for (const auto& expected : relation.names) {
            const std::set<std::string> either = packageNames(expected);
            EXPECT_TRUE(std::any_of(either.begin(), either.end(),
                                    [&](const auto& name) { return names.count(name); }))
                << relation.field << " lacks " << expected << ": " << field.out;
        }
    }

    const fs::path root = dir.path() / "root";
    const Finished unpacked = run(dir, {"dpkg-deb", "-x", deb, root.string()});
    ASSERT_EQ(unpacked.status, 0) << unpacked.err;

    // The menu entry starts the program on the PATH and shows the theme's icon; a
    // file manager offers it for CSV files and hands it the one file chosen.
    const auto entry = desktopEntry(root / "usr/share/applications/importarcot.desktop");
    EXPECT_EQ(entry.count("Name") ? entry.at("Name") : "", "Importación de cotizaciones");
    EXPECT_EQ(entry.count("Terminal") ? entry.at("Terminal") : "", "false");
    EXPECT_EQ(entry.count("MimeType") ? entry.at("MimeType") : "", "text/csv;");
    const std::string exec = entry.count("Exec") ? entry.at("Exec") : "";
    const std::string icon = entry.count("Icon") ? entry.at("Icon") : "";
    ASSERT_FALSE(icon.empty());
    const std::size_t space = exec.find(' ');
    ASSERT_NE(space, std::string::npos) << exec;
    EXPECT_EQ(exec.substr(space), " %f");
    const fs::path program = root / "usr/bin" / exec.substr(0, space);
    const fs::path icons = root / "usr/share/icons/hicolor";
    EXPECT_TRUE(fs::is_regular_file(icons / "scalable/apps" / (icon + ".svg")));
    EXPECT_EQ(testing_support::readFile(icons / "48x48/apps" / (icon + ".png")).substr(0, 8),
              "\x89PNG\r\n\x1A\n");
    EXPECT_TRUE(fs::is_regular_file(root / "usr/share/doc/importarcot/README.md"));
    for (const char* example : {"importarcot.service", "importarcot.timer", "importarcot.logrotate"})
        EXPECT_TRUE(fs::is_regular_file(root / "usr/share/doc/importarcot/examples" / example)) << example;

    // Debian's own check of a package: no error and no warning.
    if (const auto lintian = testing_support::onThePath("lintian")) {
        const Finished checked = run(dir, {*lintian, "--fail-on", "error,warning", deb});
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    }

    // The manual page renders without a warning and speaks of every option that
    // --help names and of the environment the batch mode reads.
    const Finished manual =
        run(dir, {"man", "--warnings", "-l", (root / "usr/share/man/man1/importarcot.1.gz").string()});
    EXPECT_EQ(manual.status, 0);
    EXPECT_EQ(manual.err, "");
    const std::string usage = console::usageText("importarcot");
    std::set<std::string> named = {"--",
                                   "ISC_USER",
                                   "ISC_PASSWORD",
                                   "IMPORTARCOT_PASSWORD",
                                   "IMPORTARCOT_REGISTRY",
                                   "settings.conf",
                                   "/etc/importarcot/registry.reg"};
    for (std::size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
        const std::size_t end = usage.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
        named.insert(usage.substr(at, end - at));
    }
    for (const std::string& name : named)
        EXPECT_NE(manual.out.find(name), std::string::npos) << name;

    const Finished version = run(dir, {program.string(), "--version"});
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out, versionText() + "\n");

    const fs::path file = dir.write("cotizaciones.csv", "COT;\"P\xE9rez; J.\";1,5\r\n;x\r\n");
    const Finished preview = run(dir, {program.string(), "--preview", file.string(), "--separator",
                                       "semicolon", "--delimiter", "double"});
    EXPECT_EQ(preview.status, 0) << preview.err;
    EXPECT_EQ(preview.out, "{\"line\": 1, \"fields\": [\"COT\", \"Pérez; J.\", \"1.5\"]}\n"
                           "{\"line\": 2, \"fields\": [\"\", \"x\"]}\n");

    checkOnDebian13(dir, deb);
}

} // namespace
} // namespace app
