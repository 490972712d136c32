#include "support/company_db.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <unistd.h>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <sys/wait.h>
#endif

#ifndef IMPORTARCOT_SOURCE_DIR
#error "IMPORTARCOT_SOURCE_DIR must name the source tree (it holds db/)"
#endif

namespace fs = std::filesystem;

namespace testing_support {
namespace {

constexpr const char* kUser = "SYSDBA";
constexpr const char* kPassword = "masterkey";

std::string readWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// A temporary file that disappears with the object.
class TempFile {
public:
    explicit TempFile(const std::string& stem)
    {
        std::string pattern = (fs::temp_directory_path() / (stem + "-XXXXXX")).string();
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            throw std::runtime_error("mkstemp failed for " + pattern);
        close(fd);
        path_ = pattern;
    }
    ~TempFile()
    {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

#ifdef _WIN32
// Firebird's isql for Windows, from the client library's build (scripts/windows);
// without an engine of its own it reaches every database through the server.
std::string isqlCommand(const std::string& input, const std::string& output)
{
    // cmd drops the outer pair of quotes and keeps the inner ones.
    return "\"\"" IMPORTARCOT_ISQL "\" -q -b -i \"" + input + "\" >\"" + output + "\" 2>&1 <NUL\"";
}
bool exitedWithSuccess(int status)
{
    return status == 0;
}
#else
std::string shellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}
std::string isqlCommand(const std::string& input, const std::string& output)
{
    return "isql-fb -q -b -i " + shellQuote(input) + " >" + shellQuote(output) + " 2>&1 </dev/null";
}
bool exitedWithSuccess(int status)
{
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif

struct IsqlResult {
    bool ok;
    std::string output;
};

// Runs an isql script with stdout and stderr together; -b stops at the first
// failing statement and makes isql exit with an error status, leaving the open
// transaction uncommitted.
IsqlResult runIsqlScript(const std::string& script)
{
    TempFile input("importarcot-isql-in");
    TempFile output("importarcot-isql-out");
    {
        std::ofstream out(input.path(), std::ios::binary);
        out << script;
        if (!out)
            throw std::runtime_error("cannot write " + input.path().string());
    }
    const int status = std::system(isqlCommand(input.path().string(), output.path().string()).c_str());
    return {exitedWithSuccess(status), readWhole(output.path())};
}

// Ends the caller's text with a statement terminator so that the COMMIT after it
// stays a statement of its own.
std::string terminated(const std::string& sql)
{
    const auto end = sql.find_last_not_of(" \t\r\n");
    if (end == std::string::npos)
        return "";
    std::string text = sql.substr(0, end + 1);
    if (text.back() != ';')
        text += ';';
    return text + "\n";
}

// The name that isql opens a database by: through the server that a prefix reaches
// ("localhost/3051:"), the server's path of it; without one, the name as it stands,
// a path for the embedded engine or already a server's name. Windows has no engine
// of its own here: a path without a host goes through the server on 127.0.0.1.
std::string isqlName(const fs::path& database, const std::string& prefix = "")
{
    if (!prefix.empty())
        return prefix + serverPath(database);
#ifdef _WIN32
    const std::string name = database.string();
    if (const auto colon = name.find(':'); colon != std::string::npos && colon > 1)
        return name;
    return "localhost:" + serverPath(database);
#else
    return database.string();
#endif
}

std::string connectScript(const fs::path& database)
{
    // WIN1252 both ways: test texts are the suite's single-byte bytes, unconverted.
    return "set names WIN1252;\nconnect " + sqlQuote(isqlName(database)) + " user '" + kUser +
           "' password '" + kPassword + "';\n";
}

std::string runOrThrow(const fs::path& database, const std::string& script)
{
    IsqlResult result = runIsqlScript(script);
    if (!result.ok)
        throw std::runtime_error("isql-fb failed on " + database.string() + ":\n" + result.output);
    return result.output;
}

// FNV-1a: a stable name for a version of the SQL files, the same in every process.
std::string contentKey(const std::string& content)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : content) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

fs::path templateFolder()
{
#ifdef IMPORTARCOT_BINARY_DIR
    return fs::path(IMPORTARCOT_BINARY_DIR) / "company-templates";
#else
    return fs::temp_directory_path() / "importarcot-company-templates";
#endif
}

// Who makes a template and where it is kept: the embedded engine, or the server
// that the prefix reaches ("localhost/3051:"), in a folder that server can write.
struct Maker {
    std::string prefix;
    fs::path folder;
};

// Builds the template under a name of this process's own and renames it into place,
// so that test processes running side by side never see a half-built file; one of
// two identical builds simply wins.
fs::path buildTemplate(bool demoData, const Maker& maker)
{
    const fs::path source = IMPORTARCOT_SOURCE_DIR;
    const fs::path schema = source / "db" / "schema.sql";
    const fs::path demo = source / "db" / "demo_data.sql";
    std::string content = "schema\n" + readWhole(schema);
    if (demoData)
        content += "demo\n" + readWhole(demo);

    const std::string kind = demoData ? "demo-" : "schema-";
    const fs::path& folder = maker.folder;
    const fs::path result = folder / (kind + contentKey(content) + ".fdb");
    if (fs::exists(result))
        return result;

    fs::create_directories(folder);
    const fs::path partial = folder / (kind + "partial-" + std::to_string(getpid()) + ".fdb");
    std::error_code ignored;
    fs::remove(partial, ignored);

    // The SQL files are UTF-8; the engine translates them into the WIN1252 database.
    std::string script = "set names UTF8;\ncreate database " + sqlQuote(isqlName(partial, maker.prefix)) +
                         " user '" + kUser + "' password '" + kPassword +
                         "' page_size 8192 default character set WIN1252;\n" + "input " +
                         sqlQuote(schema.string()) + ";\n";
    if (demoData)
        script += "input " + sqlQuote(demo.string()) + ";\n";
    script += "commit;\n";

    IsqlResult built = runIsqlScript(script);
    if (!built.ok) {
        fs::remove(partial, ignored);
        throw std::runtime_error("creating a company database failed:\n" + built.output);
    }
    fs::rename(partial, result);

    // Templates of earlier versions of the SQL files are of no further use.
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(kind) && name.find("partial") == std::string::npos && entry.path() != result)
            fs::remove(entry.path(), ignored);
    }
    return result;
}

fs::path templateFor(bool demoData, const Maker& maker)
{
    static std::mutex mutex;
    static std::map<std::pair<std::string, bool>, fs::path> built;
    std::lock_guard lock(mutex);
    fs::path& cached = built[{maker.prefix, demoData}];
    if (cached.empty() || !fs::exists(cached))
        cached = buildTemplate(demoData, maker);
    return cached;
}

fs::path copyTemplate(const fs::path& folder, const std::string& company, bool demoData, const Maker& maker)
{
    const fs::path target = folder / "datos" / company / "merkalo.fdb";
    fs::create_directories(target.parent_path());
    // Removed first: mingw's copy_file refuses to overwrite a file whatever the options.
    std::error_code ignored;
    fs::remove(target, ignored);
    fs::copy_file(templateFor(demoData, maker), target);
    return target;
}

} // namespace

#ifdef _WIN32
std::string serverPath(const fs::path& path)
{
    // Wine's own call, which Windows lacks: Windows builds of the tests reach the
    // server only under Wine here.
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr)
        throw std::runtime_error("the server's name for a file is known only under Wine");
    char* name = unixName(fs::absolute(path).c_str());
    if (name == nullptr)
        throw std::runtime_error("Wine has no host path for " + path.string());
    const std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

void handToServer(const fs::path&)
{
    // Nothing to do: scripts/windows-test runs the Windows tests with a umask that
    // leaves what they make open to the server's user.
}
#else
std::string serverPath(const fs::path& path)
{
    return path.string();
}

void handToServer(const fs::path& folder)
{
    const passwd* firebird = getpwnam("firebird");
    if (firebird == nullptr)
        throw std::runtime_error("the Firebird server is not installed (scripts/start-firebird)");
    fs::permissions(folder, fs::perms::all);
    auto give = [&](const fs::path& path) {
        if (::chown(path.c_str(), firebird->pw_uid, firebird->pw_gid) != 0)
            throw std::system_error(errno, std::generic_category(), "chown " + path.string());
    };
    give(folder);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        give(entry.path());
}
#endif

std::string companyLocation(const fs::path& folder)
{
    return isqlName(folder);
}

std::string sqlQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

fs::path createCompanyDatabase(const fs::path& folder, const std::string& company, bool demoData)
{
    return copyTemplate(folder, company, demoData, {"", templateFolder()});
}

fs::path createCompanyDatabaseThrough(const std::string& prefix, const fs::path& templates,
                                      const fs::path& folder, const std::string& company, bool demoData)
{
    return copyTemplate(folder, company, demoData, {prefix, templates});
}

void createEmptyDatabase(const std::string& name, const std::string& password)
{
    const IsqlResult created =
        runIsqlScript("create database " + sqlQuote(name) + " user '" + kUser + "' password " +
                      sqlQuote(password) + " page_size 8192 default character set WIN1252;\n");
    if (!created.ok)
        throw std::runtime_error("cannot create " + name + ": " + created.output);
}

void runSql(const fs::path& database, const std::string& sql)
{
    runOrThrow(database, connectScript(database) + terminated(sql) + "commit;\n");
}

std::string querySql(const fs::path& database, const std::string& sql)
{
    const std::string output = runOrThrow(
        database, connectScript(database) + "set list on;\nset blob off;\n" + terminated(sql) + "commit;\n");

    // In list form isql starts every row with an empty line and prints each column
    // as its name padded to 31 characters, one blank, and the value. Other lines
    // (isql's notes about blob columns) have no name there and are skipped.
    constexpr std::size_t valueColumn = 32;
    auto isColumnLine = [](const std::string& text) {
        if (text.size() < valueColumn || text[0] == ' ')
            return false;
        const auto nameEnd = text.find(' ');
        return text.find_first_not_of(' ', nameEnd) >= valueColumn;
    };
    std::string rows;
    std::string row;
    bool inRow = false;
    auto endRow = [&] {
        if (inRow)
            rows += row + "\n";
        row.clear();
        inRow = false;
    };
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty()) {
            endRow();
            continue;
        }
        if (!isColumnLine(line))
            continue;
        if (inRow)
            row += '|';
        row += line.substr(valueColumn);
        inRow = true;
    }
    endRow();
    return rows;
}

} // namespace testing_support
