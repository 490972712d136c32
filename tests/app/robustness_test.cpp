// The program when things go wrong around it: the Firebird server killed in the
// middle of a batch import, two batch imports into one database at once (both with
// each server under test), and the values a user types never being written back
// anywhere.
//
// The server tests hold a test transaction that deletes an article some line of
// the file needs, without committing: an import reaching that line waits on the
// lock, so the test knows where the import stands without timing anything.
#include "app/importarcot.h"
#include "console/batch.h"
#include "console/batch_fixture.h"
#include "database/connection.h"
#include "database/dm.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "support/child_process.h"
#include "support/firebird_servers.h"
#include "support/recording_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace app {
namespace {

namespace fs = std::filesystem;
using console::articleLine;
using console::BatchFixture;
using console::kBatchImported;
using console::kBatchStopped;
using console::quotationLine;
using testing_support::ChildProcess;
using testing_support::FirebirdServer;

// The article that the test transaction holds; a line that names it waits.
const std::string kHeldArticle = "ROB-LOCK";
// Bounds for waiting on another process: far beyond what any step takes, they only
// turn a hang into a failure.
constexpr auto kPatience = std::chrono::seconds(180);

// A quotation of the data file: prefix, number and the article codes of its lines.
struct Quotation {
    std::string prefix;
    int number;
    std::vector<std::string> codes;
};

std::string dataFile(const std::vector<Quotation>& quotations)
{
    std::string bytes;
    for (const auto& q : quotations) {
        bytes += quotationLine(q.prefix, std::to_string(q.number), q.codes.front());
        for (std::size_t i = 1; i < q.codes.size(); ++i)
            bytes += articleLine(q.codes[i]);
    }
    return bytes;
}

// The rows that storing the quotations whole gives, as storedRows() reads them.
std::string wholeRows(const std::vector<Quotation>& quotations)
{
    std::string rows;
    for (const auto& q : quotations)
        for (std::size_t i = 0; i < q.codes.size(); ++i)
            rows += q.prefix + "|" + std::to_string(q.number) + "|" + q.codes[i] + "\n";
    return rows;
}

std::vector<Quotation> quotations(const std::string& prefix, int count,
                                  const std::map<int, std::vector<std::string>>& special = {})
{
    std::vector<Quotation> result;
    for (int n = 1; n <= count; ++n) {
        const auto found = special.find(n);
        result.push_back({prefix, n,
                          found != special.end() ? found->second
                                                 : std::vector<std::string>{"CAF-500", "AZU-1K", "ACE-1L"}});
    }
    return result;
}

std::string summary(int stored, int lines, const std::string& last)
{
    return "Cotizaciones grabadas: " + std::to_string(stored) +
           ", rechazadas: 0, líneas grabadas: " + std::to_string(lines) + ", última grabada: " + last + "\n";
}

// A message line with the client library's words for a connection that broke off
// while a request was under way.
// The connection's error as a line of its own, naming the line of the file and the
// quotation being written ("Error: línea 148, cotización KL 50: SQL Server Error: ...").
bool brokenConnectionReported(const std::string& err, const std::string& quotation)
{
    for (const char* text : {": SQL Server Error: Error reading data from the connection.\n",
                             ": SQL Server Error: Error writing data to the connection.\n"}) {
        const auto found = err.find(text);
        if (found == std::string::npos)
            continue;
        const auto start = err.rfind('\n', found) == std::string::npos ? 0 : err.rfind('\n', found) + 1;
        const std::string place = err.substr(start, found - start);
        if (place.rfind("Error: línea ", 0) == 0 && place.ends_with(", cotización " + quotation))
            return true;
    }
    return false;
}

// The server, by the pid file of the script that started it; 0 when there is none.
// Only a pid that really is that server counts, so that a stale file never leads to
// another process. The program is compared as a file, not by the path the kernel
// names it by, which depends on the mounts of the system the server runs in.
pid_t serverPid(const FirebirdServer& server)
{
    std::ifstream file(server.pidFile);
    pid_t pid = 0;
    if (!(file >> pid) || pid <= 0)
        return 0;
    std::error_code error;
    const fs::path exe = "/proc/" + std::to_string(pid) + "/exe";
    if (!fs::equivalent(exe, server.executable, error))
        return 0;
    return pid;
}

class ServerFaults : public BatchFixture, public ::testing::WithParamInterface<FirebirdServer> {
protected:
    void SetUp() override
    {
        BatchFixture::SetUp();
        // The company database made by the server itself, which its own user may
        // write.
        ASSERT_NO_THROW(database_ = server().createCompanyDatabase(dir_.path()));
        serverDatabase_ = server().location(database_);
        testing_support::runSql(serverDatabase_,
                                "insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, TAIV_COD) values (" +
                                    testing_support::sqlQuote(kHeldArticle) + ", 'Retenido', 1)");
    }
    const FirebirdServer& server() const { return GetParam(); }
    void TearDown() override
    {
        // Later tests need the server: a test that stopped on a failed assertion
        // still starts it again.
        if (serverDown_)
            restartServer();
        BatchFixture::TearDown();
    }

    // The program running in the background, its streams in <name>.out and <name>.err.
    std::unique_ptr<ChildProcess> startImport(const std::string& name, const std::string& bytes)
    {
        const std::string data = dir_.write(name + ".csv", bytes).string();
        return std::make_unique<ChildProcess>(
            dir_.path(), name,
            std::vector<std::string>{testing_support::builtProgram().string(), "--batch", "--server",
                                     server().location(dir_.path()), "--user", "SYSDBA", "--company", "01",
                                     "--file", data, "--separator", "semicolon"},
            ChildProcess::Options{{suite_.registry().variable(), "IMPORTARCOT_PASSWORD=" + server().password,
                                   "LC_ALL=C.UTF-8"}});
    }

    // Opens a connection of the test's own and, in a transaction left open, deletes
    // the held article: every line that names it waits from then on.
    void holdArticle()
    {
        holder_ = std::make_unique<database::Connection>();
        holder_->open(serverDatabase_, "SYSDBA", server().password, "");
        hold_ = std::make_unique<database::Transaction>(*holder_);
        database::Statement(*holder_, "delete from ARTICULO where ARTI_COD = ?")
            .execute(*hold_, {kHeldArticle});
    }

    // Waits until the given number of other connections is writing a quotation line
    // (waiting on the held article) while the given number of quotations is stored.
    // The line's INSERT is a statement of its own, or one of a block that writes the
    // quotation whole. False when an import ended or the moment never came.
    bool waitUntilWaiting(int waiting, int stored, std::initializer_list<ChildProcess*> imports)
    {
        database::Statement state(
            *holder_,
            "select cast((select count(*) from COTIZACIONES) as integer), cast((select count(*) from "
            "MON$STATEMENTS s where s.MON$ATTACHMENT_ID <> current_connection and s.MON$STATE = 1 and "
            "(s.MON$SQL_TEXT starting with 'insert into \"COTIZACIONES_DETALLE\"' or "
            "(s.MON$SQL_TEXT starting with 'execute block' and "
            "s.MON$SQL_TEXT containing 'insert into \"COTIZACIONES_DETALLE\"'))) as integer) from "
            "RDB$DATABASE");
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            for (ChildProcess* import : imports)
                if (!import->running())
                    return false;
            // A transaction per look: the monitoring tables are a snapshot per transaction.
            const database::Rows rows = state.fetchAll();
            if (rows.size() == 1 && rows[0][0] == dataset::Value{std::int32_t{stored}} &&
                rows[0][1] == dataset::Value{std::int32_t{waiting}})
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    void killServer()
    {
        const pid_t pid = serverPid(server());
        ASSERT_NE(pid, 0) << "no server of " << server().startScript.filename().string() << " runs ("
                          << server().pidFile.string() << ")";
        serverDown_ = true;
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        // The test's own connection went with it.
        hold_.reset();
        holder_.reset();
    }

    void restartServer()
    {
        const std::string command = server().startScript.string() + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        serverDown_ = !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        ASSERT_FALSE(serverDown_) << command << " failed";
    }

    // Every quotation stored, with its lines, in file order: prefix|number|article,
    // a header without lines as prefix|number|<null>.
    std::string storedRows() const
    {
        return testing_support::querySql(
            serverDatabase_, "select h.PREF_PRE, h.COTI_NUMERO, l.ARTI_COD from COTIZACIONES h left join "
                             "COTIZACIONES_DETALLE l on l.COTI_ID = h.COTI_ID order by h.PREF_PRE, "
                             "cast(h.COTI_NUMERO as integer), "
                             "l.CTDE_ITEM");
    }

    void killServerWhileWriting(const std::string& prefix, int held, int count);

    std::string serverDatabase_;
    std::unique_ptr<database::Connection> holder_;
    std::unique_ptr<database::Transaction> hold_;
    bool serverDown_ = false;
};

// The server dies (SIGKILL) while an import is writing quotation `held` of
// `count`: the batch mode stops with the connection's error, shown once and with
// no closing message, names the last quotation stored, and every quotation in the
// database is whole. Once the server is back, importing the rest of the file from
// the quotation after that one gives the whole file.
INSTANTIATE_TEST_SUITE_P(Servers, ServerFaults, testing_support::eachFirebirdServer(),
                         testing_support::serverName);

void ServerFaults::killServerWhileWriting(const std::string& prefix, int held, int count)
{
    const std::vector<Quotation> file =
        quotations(prefix, count, {{held, {"CAF-500", kHeldArticle, "ACE-1L"}}});
    holdArticle();
    auto import = startImport("first", dataFile(file));
    ASSERT_TRUE(waitUntilWaiting(1, held - 1, {import.get()})) << import->err();
    killServer();
    const int status = import->finish(kPatience);
    restartServer();

    EXPECT_EQ(status, kBatchStopped) << import->err();
    const std::string out = import->out();
    EXPECT_EQ(out.rfind("Cotizaciones grabadas: " + std::to_string(held - 1) + ", ", 0), 0u) << out;
    EXPECT_TRUE(out.ends_with(", última grabada: " + prefix + std::to_string(held - 1) + "\n")) << out;
    const std::string err = import->err();
    EXPECT_TRUE(brokenConnectionReported(err, prefix + " " + std::to_string(held))) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    const std::vector<Quotation> stored(file.begin(), file.begin() + (held - 1));
    EXPECT_EQ(storedRows(), wholeRows(stored)) << "a quotation half written";

    const std::vector<Quotation> rest(file.begin() + (held - 1), file.end());
    auto resumed = startImport("rest", dataFile(rest));
    EXPECT_EQ(resumed->finish(kPatience), kBatchImported) << resumed->err();
    EXPECT_EQ(resumed->out(),
              summary(count - held + 1, 3 * (count - held + 1), prefix + std::to_string(count)));
    EXPECT_EQ(storedRows(), wholeRows(file));
}

TEST_P(ServerFaults, ServerKilledInTheMiddleOfAnImport)
{
    killServerWhileWriting("KL", 50, 120);
}

// The last quotation is no different: the file was not imported whole, so there
// is no "Importación finalizada." and the status is 1, not 3.
TEST_P(ServerFaults, ServerKilledWhileTheLastQuotationIsWritten)
{
    killServerWhileWriting("UL", 8, 8);
}

// Two imports into one database at the same time, both held at their first
// quotation until each has a transaction open: every quotation of both files is
// stored whole, each with an identifier of its own.
TEST_P(ServerFaults, TwoImportsAtOnceIntoOneDatabase)
{
    const std::vector<Quotation> first = quotations("PA", 40, {{1, {"CAF-500", kHeldArticle}}});
    const std::vector<Quotation> second = quotations("PB", 40, {{1, {"ACE-1L", kHeldArticle}}});
    holdArticle();
    auto a = startImport("a", dataFile(first));
    auto b = startImport("b", dataFile(second));
    ASSERT_TRUE(waitUntilWaiting(2, 0, {a.get(), b.get()})) << a->err() << b->err();
    hold_->rollback();

    EXPECT_EQ(a->finish(kPatience), kBatchImported) << a->err();
    EXPECT_EQ(b->finish(kPatience), kBatchImported) << b->err();
    EXPECT_EQ(a->out(), summary(40, 119, "PA40"));
    EXPECT_EQ(b->out(), summary(40, 119, "PB40"));
    std::vector<Quotation> both = first;
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(storedRows(), wholeRows(both));
    EXPECT_EQ(testing_support::querySql(serverDatabase_,
                                        "select count(distinct COTI_ID), count(*) from COTIZACIONES"),
              "80|80\n");
}

// SIGTERM while a quotation is being written stops the run as SIGHUP does: the
// client library does not drop the connection, the quotation being written is
// finished, and the run stops before the next one with no error line.
TEST_P(ServerFaults, TerminatedDuringAnImportStopsBetweenQuotations)
{
    const std::vector<Quotation> file = quotations("TS", 30, {{10, {"CAF-500", kHeldArticle, "ACE-1L"}}});
    holdArticle();
    auto import = startImport("terminated", dataFile(file));
    ASSERT_TRUE(waitUntilWaiting(1, 9, {import.get()})) << import->err();
    import->signal(SIGTERM);
    // The signal is taken while the quotation waits on the lock; released, it is
    // written and the run stops.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    hold_->rollback();

    EXPECT_EQ(import->finish(kPatience), kBatchStopped) << import->err();
    EXPECT_EQ(import->err(), "importarcot: importación detenida por la señal SIGTERM\n");
    EXPECT_EQ(import->out(), summary(10, 30, "TS10"));
    EXPECT_EQ(storedRows(), wholeRows(std::vector<Quotation>(file.begin(), file.begin() + 10)));
}

// What the user types in the window (company, data file) and the settings it
// starts from: after a complete import, settings.conf, the registry stand-in, the
// suite's folder, the data file and the mapping table are as they were.
class NothingWrittenBack : public BatchFixture {};

TEST_F(NothingWrittenBack, TypedValuesLeaveSettingsRegistryAndMappingAsTheyWere)
{
    const std::string data = writeData(quotationLine("CT", "1", "CAF-500") + articleLine("AZU-1K"));
    // No company yet, so the window does not connect on its own, and another file.
    writeSettings(dir_.path().string() + "\r\nSYSDBA\r\nmasterkey\r\n\r\n/no/such/file.csv\r\n0\r\n");
    const auto snapshot = [&] {
        std::string files;
        for (const auto& entry : fs::recursive_directory_iterator(suite()))
            files += entry.path().string() + "\n" + testing_support::readFile(entry.path()) + "\n";
        return files + testing_support::readFile(suite_.registry().file()) + testing_support::readFile(data) +
               testing_support::querySql(database_, "select * from IMPORTACION_INVENTARIO order by 1, 2");
    };
    const std::string before = snapshot();

    testing_support::RecordingDialogs dialogs;
    {
        database::Tfdm fdm;
        QPointer<Tfimportarcot> window = new Tfimportarcot(dialogs, fdm);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        auto* cia = window->findChild<QLineEdit*>(QStringLiteral("Cia"));
        auto* ubicacion = window->findChild<QLineEdit*>(QStringLiteral("Ubicacion"));
        ASSERT_NE(cia, nullptr);
        ASSERT_NE(ubicacion, nullptr);
        cia->setFocus();
        QTest::keyClicks(cia, QStringLiteral("01"));
        QTest::keyClick(cia, Qt::Key_Tab); // leaving the company connects
        ubicacion->setFocus();
        ubicacion->selectAll();
        QTest::keyClicks(ubicacion, QString::fromStdString(data));
        window->findChild<QComboBox*>(QStringLiteral("Separ"))->setCurrentIndex(1);
        QTest::keyClick(window, Qt::Key_F2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull()) << "the complete run closes the window";
        delete window.data();
        EXPECT_EQ(dialogs.shown,
                  (std::vector<testing_support::RecordingDialogs::Shown>{
                      {testing_support::RecordingDialogs::Kind::Plain, "Importación finalizada."}}));
    }
    EXPECT_EQ(storedQuotations(), "CT1\n");
    EXPECT_EQ(snapshot(), before);
}

} // namespace
} // namespace app
