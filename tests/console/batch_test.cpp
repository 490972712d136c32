// The batch mode in-process: the window's steps on real company databases, the
// modal boxes as lines on the error stream, the summary line and the exit status.
#include "batch_fixture.h"
#include "console/batch.h"
#include "import/quotation_save.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <streambuf>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utility>

namespace console {
namespace {

class BatchTest : public BatchFixture {};

// settings.conf fills what the command line leaves out and gives way to what it
// gives; with the unattended flag the connect step runs the import itself, once.
TEST_F(BatchTest, ValuesFromTheSettingsFile)
{
    const std::string data = writeData(quotationLine("CT", "1", "CAF-500") + articleLine("AZU-1K"));
    const struct {
        const char* name;
        std::string company; // line 4 of settings.conf
        std::string flag;    // line 6
        std::vector<std::string> arguments;
    } cases[] = {
        {"all_from_the_file", "01", "0", {}},
        {"unattended_flag_runs_once", "01", "1", {}},
        {"company_from_the_command_line", "99", "1", {"--company", "01"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::runSql(database_, "delete from COTIZACIONES_DETALLE; delete from COTIZACIONES");
        writeSettings(dir_.path().string() + "\r\nSYSDBA\r\nmasterkey\r\n" + c.company + "\r\n" + data +
                      "\r\n" + c.flag + "\r\n");
        std::vector<std::string> arguments = {"--batch", "--separator", "semicolon"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, kBatchImported);
        EXPECT_EQ(outcome.err, "Importación finalizada.\n");
        EXPECT_EQ(outcome.out, summary(1, 0, 2, "CT1"));
        EXPECT_EQ(storedQuotations(), "CT1\n");
    }
}

// The password: from --password-file (its first line), else from the environment,
// else from settings.conf; never empty.
TEST_F(BatchTest, PasswordSources)
{
    const std::string data = writeData(quotationLine("CT", "1", "CAF-500"));
    const struct {
        const char* name;
        const char* passwordFile; // contents; nullptr for no --password-file
        const char* variable;     // IMPORTARCOT_PASSWORD; nullptr for unset
        const char* settingsPassword;
        int status;
    } cases[] = {
        {"file_first_line", "masterkey\r\nother\n", nullptr, "", kBatchImported},
        {"file_empty_first_line", "\nmasterkey\n", "masterkey", "", kBatchUsage},
        {"environment", nullptr, "masterkey", "", kBatchImported},
        {"settings_file", nullptr, nullptr, "masterkey", kBatchImported},
        {"none", nullptr, nullptr, "", kBatchUsage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::runSql(database_, "delete from COTIZACIONES_DETALLE; delete from COTIZACIONES");
        writeSettings(dir_.path().string() + "\nSYSDBA\n" + c.settingsPassword + "\n01\n" + data + "\n\n");
        std::vector<std::string> arguments = {"--batch", "--separator", "semicolon"};
        if (c.passwordFile != nullptr)
            arguments.insert(arguments.end(),
                             {"--password-file", dir_.write("clave", c.passwordFile).string()});
        if (c.variable != nullptr)
            setenv("IMPORTARCOT_PASSWORD", c.variable, 1);
        else
            unsetenv("IMPORTARCOT_PASSWORD");
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, c.status);
        if (c.status == kBatchUsage) {
            EXPECT_EQ(outcome.err.rfind("importarcot: falta la clave", 0), 0u) << outcome.err;
            EXPECT_NE(outcome.err.find("Uso:"), std::string::npos);
            EXPECT_EQ(outcome.out, "");
            EXPECT_EQ(storedQuotations(), "");
        } else {
            EXPECT_EQ(storedQuotations(), "CT1\n");
        }
    }
}

TEST_F(BatchTest, UnreadablePasswordFileStopsBeforeAnything)
{
    std::vector<std::string> arguments = connectionArguments();
    arguments.insert(arguments.end(), {"--password-file", (dir_.path() / "missing").string(), "--file",
                                       writeData(quotationLine("CT", "1", "CAF-500"))});
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, kBatchStopped);
    EXPECT_NE(outcome.err.find("no se puede leer el archivo de la clave"), std::string::npos) << outcome.err;
    EXPECT_EQ(storedQuotations(), "");
}

// Inputs that are not what they should be, and files that change under the run:
// each ends with a clear message and the right status, never a hang, a crash, all
// memory eaten or a wrong row.
enum class Odd { None, Fifo, Device, Oversized };
enum class Place { DataFile, Settings, Registry, PasswordFile };
enum class During { Nothing, CutShort, Hangup };

struct HostileCase {
    const char* name;
    Place place;
    Odd odd;
    std::string data; // the data file when it is not the odd one
    During during;
    int status;
    std::string errPart;
    std::string last;   // the summary's last quotation stored; empty: no summary line
    std::string stored; // prefix, number and third party's name of the stored quotations
    friend void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }
};

const std::string kThreeQuotations = quotationLine("CT", "1", "CAF-500") +
                                     quotationLine("CT", "2", "AZU-1K") + quotationLine("CT", "3", "ACE-1L");

// A quotation line whose third party's name is the given text.
std::string namedQuotation(const std::string& number, const std::string& name)
{
    return importer::dataLine({{"PREF_PRE", "CT"},
                               {"COTI_NUMERO", number},
                               {"COTI_FECHA", "05/03/2024"},
                               {"VEND_COD", "7"},
                               {"TERC_NIT", "900123"},
                               {"COTI_NOMTERC", name},
                               {"CTDE_CODBAR", "CAF-500"},
                               {"CTDE_CANT", "2"},
                               {"CTDE_PRUNIT", "100"}});
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";

const HostileCase kHostileCases[] = {
    {"fifo_as_data_file", Place::DataFile, Odd::Fifo, "", During::Nothing, kBatchStopped,
     "no es un archivo común: es una tubería, un dispositivo o un socket.", "ninguna", ""},
    {"device_as_data_file", Place::DataFile, Odd::Device, "", During::Nothing, kBatchStopped,
     "no es un archivo común: es una tubería, un dispositivo o un socket.", "ninguna", ""},
    {"fifo_as_settings", Place::Settings, Odd::Fifo, kThreeQuotations, During::Nothing, kBatchStopped,
     "Error: No se puede leer el archivo de configuración", "ninguna", ""},
    {"fifo_as_registry", Place::Registry, Odd::Fifo, kThreeQuotations, During::Nothing, kBatchStopped,
     "Error: No se puede leer el registro", "ninguna", ""},
    {"endless_registry", Place::Registry, Odd::Oversized, kThreeQuotations, During::Nothing, kBatchStopped,
     ": tiene más de 1 MiB.", "ninguna", ""},
    {"endless_password_device", Place::PasswordFile, Odd::Device, kThreeQuotations, During::Nothing,
     kBatchStopped, "importarcot: no se puede leer el archivo de la clave /dev/zero: no es un archivo común",
     "", ""},
    {"endless_password_file", Place::PasswordFile, Odd::Oversized, kThreeQuotations, During::Nothing,
     kBatchStopped, ": tiene más de 1 MiB\n", "", ""},
    {"cut_short_during_the_run", Place::DataFile, Odd::None, "", During::CutShort, kBatchStopped,
     "se acortó mientras se importaba", "ninguna", ""},
    {"hangup_during_the_run", Place::DataFile, Odd::None, kThreeQuotations, During::Hangup, kBatchStopped,
     "importarcot: importación detenida por la señal SIGHUP\n", "ninguna", ""},
    // "Año Ñandú €" in UTF-8 after the mark, stored as its Windows-1252 bytes.
    {"utf8_mark_with_accents", Place::DataFile, Odd::None,
     kUtf8Mark +
         namedQuotation("1", "A\xC3\xB1o \xC3\x91"
                             "and\xC3\xBA \xE2\x82\xAC") +
         namedQuotation("2", "Ana"),
     During::Nothing, kBatchImported, "Importación finalizada.\n", "CT2",
     "CT1 A\xF1o \xD1"
     "and\xFA \x80\nCT2 Ana\n"},
    // U+03A9 has no Windows-1252 byte: the whole file is refused, also its good lines.
    {"utf8_mark_with_a_character_outside_windows_1252", Place::DataFile, Odd::None,
     kUtf8Mark + namedQuotation("1", "Ana") + namedQuotation("2", "Eva") +
         namedQuotation("3", "\xCE\xA9mega"),
     During::Nothing, kBatchStopped,
     "El archivo no se puede importar: la línea 3 tiene el carácter «Ω» (U+03A9), que no existe en "
     "Windows-1252",
     "ninguna", ""},
};

class HostileInput : public BatchTest, public ::testing::WithParamInterface<HostileCase> {
protected:
    // A FIFO, a device, or a file far beyond any real one, at the given path.
    std::string odd(Odd kind, const std::filesystem::path& path)
    {
        std::filesystem::create_directories(path.parent_path());
        switch (kind) {
        case Odd::Fifo:
            EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
            return path.string();
        case Odd::Device:
            return "/dev/zero";
        case Odd::Oversized:
            dir_.write(path.lexically_relative(dir_.path()).string(), "x");
            std::filesystem::resize_file(path, 3 * 1024 * 1024);
            return path.string();
        case Odd::None:
            break;
        }
        return path.string();
    }
};

TEST_P(HostileInput, ClearMessageRightStatusNoWrongRow)
{
    const HostileCase& c = GetParam();
    std::vector<std::string> arguments = connectionArguments();
    std::string data = c.data;
    std::string expectedStored = c.stored;
    std::string cutAt;
    std::function<void()> duringRun;
    std::optional<testing_support::ScopedRegistry> oddRegistry;
    if (c.during == During::CutShort) {
        // Lines of about a kilobyte (a long unmapped last column), so that the file
        // is read in more than one block; it is cut in the middle of a line past the
        // first block while the first is being imported.
        const std::string padding = ";" + std::string(1000, 'x');
        std::vector<std::size_t> ends;
        for (int number = 1; number <= 100; ++number) {
            const std::string line = quotationLine("CT", std::to_string(number), "CAF-500");
            data += line.substr(0, line.size() - 2) + padding + "\r\n";
            ends.push_back(data.size());
        }
        const std::size_t cut = 80 * 1024;
        // Quotations whose line ends before the cut, less the last: it is still
        // being assembled when the read finds the end.
        const auto whole = static_cast<int>(
            std::count_if(ends.begin(), ends.end(), [&](std::size_t end) { return end <= cut; }));
        ASSERT_GT(whole, 2);
        for (int number = 1; number < whole; ++number)
            expectedStored += "CT" + std::to_string(number) + "\n";
        cutAt = "CT" + std::to_string(whole - 1);
        duringRun = [this, cut] { std::filesystem::resize_file(dir_.path() / "cotizaciones.csv", cut); };
    } else if (c.during == During::Hangup) {
        duringRun = [] { std::raise(SIGHUP); };
    }
    switch (c.place) {
    case Place::DataFile:
        arguments.insert(
            arguments.end(),
            {"--file", c.odd == Odd::None ? writeData(data) : odd(c.odd, dir_.path() / "fifo.csv")});
        break;
    case Place::Settings:
        odd(c.odd, suite() / "settings.conf");
        break;
    case Place::Registry:
        oddRegistry.emplace(odd(c.odd, dir_.path() / "odd.reg"));
        break;
    case Place::PasswordFile:
        arguments.insert(arguments.end(), {"--password-file", odd(c.odd, dir_.path() / "clave")});
        break;
    }
    if (c.place != Place::DataFile)
        arguments.insert(arguments.end(), {"--file", writeData(data)});

    const Outcome outcome = run(arguments, duringRun);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_NE(outcome.err.find(c.errPart), std::string::npos) << outcome.err;
    if (c.status != kBatchImported) {
        EXPECT_EQ(outcome.err.find("Importación finalizada."), std::string::npos) << outcome.err;
    }
    const std::string last = cutAt.empty() ? c.last : cutAt;
    const auto named = outcome.out.find("última grabada: ");
    EXPECT_EQ(named == std::string::npos ? outcome.out : outcome.out.substr(named),
              last.empty() ? "" : "última grabada: " + last + "\n")
        << outcome.out;
    // The bytes of the third party's name where the case says them, the quotations otherwise.
    const bool withNames = c.stored.find(' ') != std::string::npos;
    EXPECT_EQ(withNames
                  ? testing_support::querySql(database_, "select PREF_PRE || COTI_NUMERO || ' ' || "
                                                         "COTI_NOMTERC from COTIZACIONES order by COTI_ID")
                  : storedQuotations(),
              expectedStored);
}

INSTANTIATE_TEST_SUITE_P(Batch, HostileInput, ::testing::ValuesIn(kHostileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The disk under the database fills up, or a page of the database is damaged:
// failures of the environment, not refusals of one quotation. The run stops at
// the first with its message, once; nothing more is tried, there is no closing
// message, and the summary names the last quotation stored.
class EnvironmentFailure : public BatchTest {
public:
    void TearDown() override
    {
        if (!mounted_.empty())
            ::umount2(mounted_.c_str(), MNT_DETACH);
        if (limited_) {
            ::setrlimit(RLIMIT_FSIZE, &fileSizeLimit_);
            std::signal(SIGXFSZ, SIG_DFL);
        }
        BatchTest::TearDown();
    }

    // A copy of the company database on a disk with little room beyond it: a small
    // tmpfs where the test may mount one, else the system's limit on the size of
    // the files this process writes, which fails the engine's writes the same way.
    std::filesystem::path fullDisk()
    {
        constexpr std::uintmax_t kRoom = 64 * 1024;
        const std::filesystem::path disk = dir_.path() / "disk";
        std::filesystem::create_directories(disk);
        const std::uintmax_t size = std::filesystem::file_size(database_) + kRoom;
        const std::string options = "size=" + std::to_string(size);
        if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, options.c_str()) == 0) {
            mounted_ = disk;
        } else {
            EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &fileSizeLimit_), 0);
            rlimit limit = fileSizeLimit_;
            limit.rlim_cur = size;
            EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            // A write beyond the limit then fails with EFBIG instead of ending the process.
            std::signal(SIGXFSZ, SIG_IGN);
            limited_ = true;
        }
        std::filesystem::create_directories(disk / "datos" / "01");
        std::filesystem::copy_file(database_, disk / "datos" / "01" / "merkalo.fdb");
        database_ = disk / "datos" / "01" / "merkalo.fdb";
        return disk;
    }

    // Every index page of the lines' table marked as a page of another kind (a blob
    // page): the first line written meets one. The header page holds the page size
    // at offset 16; a page's first byte is its type, and an index page names its
    // table at offset 28 (both little-endian).
    std::filesystem::path damagedLinesIndex()
    {
        constexpr char kIndexPage = 7;
        constexpr char kBlobPage = 8;
        const int table = std::stoi(testing_support::querySql(
            database_,
            "select RDB$RELATION_ID from RDB$RELATIONS where RDB$RELATION_NAME = 'COTIZACIONES_DETALLE'"));
        std::string bytes = testing_support::readFile(database_);
        const auto word = [&](std::size_t at) {
            return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
        };
        const std::size_t pageSize = word(16);
        int damaged = 0;
        for (std::size_t page = 0; pageSize > 0 && page + pageSize <= bytes.size(); page += pageSize) {
            if (bytes[page] == kIndexPage && word(page + 28) == table) {
                bytes[page] = kBlobPage;
                ++damaged;
            }
        }
        EXPECT_GT(damaged, 0);
        std::ofstream(database_, std::ios::binary | std::ios::trunc) << bytes;
        return dir_.path();
    }

protected:
    std::filesystem::path mounted_;
    bool limited_ = false;
    rlimit fileSizeLimit_{};
};

struct EnvironmentCase {
    const char* name;
    std::filesystem::path (EnvironmentFailure::*prepare)(); // gives the server folder
    std::string data;
    std::string err; // a part of the one message
    friend void PrintTo(const EnvironmentCase& c, std::ostream* out) { *out << c.name; }
};

std::string manyQuotations(int count)
{
    std::string data;
    for (int n = 1; n <= count; ++n)
        data += quotationLine("CT", std::to_string(n), "CAF-500");
    return data;
}

const EnvironmentCase kEnvironmentCases[] = {
    {"full_disk", &EnvironmentFailure::fullDisk, manyQuotations(1000),
     "SQL Server Error: I/O error during \"write\" operation for file"},
    // A quotation without lines is stored; the next one's line meets the damaged index.
    {"damaged_index", &EnvironmentFailure::damagedLinesIndex,
     importer::dataLine({{"PREF_PRE", "CT"},
                         {"COTI_NUMERO", "1"},
                         {"COTI_FECHA", "05/03/2024"},
                         {"VEND_COD", "7"},
                         {"TERC_NIT", "900123"}}) +
         quotationLine("CT", "2", "CAF-500") + quotationLine("CT", "3", "AZU-1K"),
     "SQL Server Error: "},
};

class EnvironmentRun : public EnvironmentFailure, public ::testing::WithParamInterface<EnvironmentCase> {};

TEST_P(EnvironmentRun, EndsTheRunOnceAndNamesTheLastQuotationStored)
{
    const EnvironmentCase& c = GetParam();
    // Firebird 4.0.5's embedded engine (Debian 13's), meeting a damaged index page
    // in an INSERT, ends the whole process inside itself ("terminate called after
    // throwing an instance of 'Firebird::status_exception'") instead of raising the
    // damage: nothing a program that holds the engine can report.
    if (c.prepare == &EnvironmentFailure::damagedLinesIndex &&
        testing_support::querySql(database_, "select rdb$get_context('SYSTEM', 'ENGINE_VERSION') from "
                                             "rdb$database")
                .rfind("3.", 0) != 0)
        GTEST_SKIP() << "the embedded engine ends the process on a damaged index page";
    const std::filesystem::path server = (this->*c.prepare)();
    std::vector<std::string> arguments = connectionArguments();
    arguments.insert(arguments.end(), {"--server", server.string(), "--file", writeData(c.data)});

    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, kBatchStopped);
    EXPECT_EQ(outcome.err.rfind("Error: ", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find(c.err), std::string::npos) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;

    const std::string stored = testing_support::querySql(
        database_, "select count(*), (select first 1 PREF_PRE || COTI_NUMERO from COTIZACIONES order by "
                   "COTI_ID desc) from COTIZACIONES");
    const std::size_t bar = stored.find('|');
    ASSERT_NE(bar, std::string::npos) << stored;
    const std::string count = stored.substr(0, bar);
    const std::string last = stored.substr(bar + 1, stored.size() - bar - 2);
    EXPECT_NE(count, "0") << "the failure came before anything was stored: " << outcome.err;
    EXPECT_EQ(outcome.out.rfind("Cotizaciones grabadas: " + count + ", rechazadas: 0, ", 0), 0u)
        << outcome.out;
    EXPECT_TRUE(outcome.out.ends_with(", última grabada: " + last + "\n")) << outcome.out << last;
}

INSTANTIATE_TEST_SUITE_P(Environment, EnvironmentRun, ::testing::ValuesIn(kEnvironmentCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Through each server under test, which checks what the embedded engine takes on
// trust: the user
// comes from --user, else ISC_USER, else settings.conf; the password from
// --password-file, else IMPORTARCOT_PASSWORD, else ISC_PASSWORD, else settings.conf.
// A case puts the right value at the source that must win, and the wrong one at
// the sources below it, or the other way round, when the server must refuse.
class ServerBatch : public BatchTest, public ::testing::WithParamInterface<testing_support::FirebirdServer> {
protected:
    void SetUp() override
    {
        BatchTest::SetUp();
        unsetenv(kFirebirdUserVariable);
        unsetenv(kFirebirdPasswordVariable);
        // The company database made by the server itself, which its own user may
        // write.
        ASSERT_NO_THROW(database_ = GetParam().createCompanyDatabase(dir_.path()));
    }
    void TearDown() override
    {
        unsetenv(kFirebirdUserVariable);
        unsetenv(kFirebirdPasswordVariable);
        BatchTest::TearDown();
    }
};

INSTANTIATE_TEST_SUITE_P(Servers, ServerBatch, testing_support::eachFirebirdServer(),
                         testing_support::serverName);

TEST_P(ServerBatch, UserAndPasswordFromTheirSourcesInOrder)
{
    const std::string right = GetParam().password;
    const std::string wrong = "equivocada";
    const std::string user = "SYSDBA";
    const std::string stranger = "NADIE";
    const struct {
        const char* name;
        std::optional<std::string> userOption, iscUser;
        std::string settingsUser;
        std::optional<std::string> passwordFile, importarcotPassword, iscPassword;
        std::string settingsPassword;
        bool accepted;
    } cases[] = {
        {"user_option", user, stranger, stranger, right, wrong, wrong, wrong, true},
        {"isc_user", std::nullopt, user, stranger, right, std::nullopt, std::nullopt, "", true},
        {"settings_user", std::nullopt, std::nullopt, user, right, std::nullopt, std::nullopt, "", true},
        {"importarcot_password", user, std::nullopt, "", std::nullopt, right, wrong, wrong, true},
        {"isc_password", user, std::nullopt, "", std::nullopt, std::nullopt, right, wrong, true},
        {"empty_variables_do_not_count", std::nullopt, "", user, std::nullopt, "", "", right, true},
        {"user_option_over_isc_user", stranger, user, user, right, std::nullopt, std::nullopt, "", false},
        {"isc_user_over_settings", std::nullopt, stranger, user, right, std::nullopt, std::nullopt, "",
         false},
        {"password_file_over_variables", user, std::nullopt, "", wrong, right, right, right, false},
        {"importarcot_over_isc_password", user, std::nullopt, "", std::nullopt, wrong, right, right, false},
        {"isc_password_over_settings", user, std::nullopt, "", std::nullopt, std::nullopt, wrong, right,
         false},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A quotation of its own for each case: one stored before would be refused.
        const std::string data = writeData(quotationLine("CT", std::to_string(++number), "CAF-500"));
        writeSettings(GetParam().location(dir_.path()) + "\n" + c.settingsUser + "\n" + c.settingsPassword +
                      "\n01\n" + data + "\n0\n");
        std::vector<std::string> arguments = {"--batch", "--separator", "semicolon"};
        if (c.userOption)
            arguments.insert(arguments.end(), {"--user", *c.userOption});
        if (c.passwordFile)
            arguments.insert(arguments.end(),
                             {"--password-file", dir_.write("clave", *c.passwordFile).string()});
        const std::pair<const char*, const std::optional<std::string>&> variables[] = {
            {kFirebirdUserVariable, c.iscUser},
            {kPasswordVariable, c.importarcotPassword},
            {kFirebirdPasswordVariable, c.iscPassword}};
        for (const auto& [name, value] : variables) {
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
        const Outcome outcome = run(arguments);
        if (c.accepted) {
            EXPECT_EQ(outcome.status, kBatchImported);
            EXPECT_EQ(outcome.err, "Importación finalizada.\n");
            EXPECT_EQ(outcome.out, summary(1, 0, 1, "CT" + std::to_string(number)));
        } else {
            EXPECT_EQ(outcome.status, kBatchStopped);
            EXPECT_NE(outcome.err.find("Your user name and password are not defined"), std::string::npos)
                << outcome.err;
            EXPECT_EQ(outcome.out, summary(0, 0, 0, "ninguna"));
        }
    }
}

TEST(BatchSummary, LastStoredFromTheSuitesCodePage)
{
    importer::SaveTally tally{3, 1, 7,
                              "A\xD1"
                              "1"};
    EXPECT_EQ(summaryLine(tally),
              "Cotizaciones grabadas: 3, rechazadas: 1, líneas grabadas: 7, última grabada: AÑ1");
}

} // namespace
} // namespace console
