#pragma once
// The batch mode's tests: a company database from db/ in a temporary folder, the
// registry stand-in pointing at a suite folder (with or without settings.conf),
// data files in the demo mapping's column order, and what was stored.
#include "console/batch.h"
#include "console/command_line.h"
#include "import/import_fixture.h"
#include "platform/regional_settings.h"
#include "support/company_db.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace console {

// A quotation's first line: header values and one article line.
inline std::string quotationLine(const std::string& prefix, const std::string& number,
                                 const std::string& code)
{
    return importer::dataLine({{"PREF_PRE", prefix},
                               {"COTI_NUMERO", number},
                               {"COTI_FECHA", "05/03/2024"},
                               {"VEND_COD", "7"},
                               {"TERC_NIT", "900123"},
                               {"CTDE_CODBAR", code},
                               {"CTDE_CANT", "2"},
                               {"CTDE_PRUNIT", "100"}});
}

// A further line of the same quotation.
inline std::string articleLine(const std::string& code)
{
    return importer::dataLine({{"CTDE_CODBAR", code}});
}

// The summary line of a run.
inline std::string summary(int stored, int refused, int lines, const std::string& last)
{
    return "Cotizaciones grabadas: " + std::to_string(stored) + ", rechazadas: " + std::to_string(refused) +
           ", líneas grabadas: " + std::to_string(lines) + ", última grabada: " + last + "\n";
}

// The lines of a text, without their line ends.
inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// What a batch run gave: its exit status, standard output and standard error.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// An error stream that calls back once when the progress line is first drawn.
struct OnFirstProgress : std::streambuf {
    OnFirstProgress(std::ostream& target, std::function<void()> callback)
        : target_(target), callback_(std::move(callback))
    {
    }
    int overflow(int c) override
    {
        if (c != EOF)
            seen(std::string(1, static_cast<char>(c)));
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        seen(std::string(text, static_cast<std::size_t>(count)));
        return count;
    }
    void seen(const std::string& text)
    {
        target_ << text;
        written_ += text;
        if (callback_ && written_.find("Importando") != std::string::npos)
            std::exchange(callback_, nullptr)();
    }
    std::ostream stream{this};

private:
    std::ostream& target_;
    std::function<void()> callback_;
    std::string written_;
};

class BatchFixture : public ::testing::Test {
protected:
    // With duringRun, the error stream gets a progress line too, and the first one
    // drawn calls duringRun: a deterministic moment inside the run.
    Outcome run(const std::vector<std::string>& arguments, const std::function<void()>& duringRun = nullptr)
    {
        const ParsedCommandLine parsed = parseCommandLine(arguments);
        EXPECT_TRUE(parsed.commandLine) << parsed.error;
        if (!parsed.commandLine)
            return {-1, "", ""};
        std::ostringstream out;
        std::ostringstream err;
        OnFirstProgress hook(err, duringRun);
        const int status = duringRun ? runBatch(*parsed.commandLine, out, hook.stream, 80)
                                     : runBatch(*parsed.commandLine, out, err);
        return {status, out.str(), err.str()};
    }

    // The company database of the fixture, with the password from the environment.
    std::vector<std::string> connectionArguments()
    {
        setenv("IMPORTARCOT_PASSWORD", "masterkey", 1);
        const std::string server = testing_support::companyLocation(dir_.path());
        return {"--batch",   "--server", server,        "--user",   "SYSDBA",
                "--company", "01",       "--separator", "semicolon"};
    }

    void SetUp() override
    {
        platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'});
        database_ = testing_support::createCompanyDatabase(dir_.path(), "01", true);
        unsetenv("IMPORTARCOT_PASSWORD");
    }
    void TearDown() override { unsetenv("IMPORTARCOT_PASSWORD"); }

    // The suite's installation folder; settings.conf goes there when a test wants one.
    const std::filesystem::path& suite() const { return suite_.path(); }
    void writeSettings(const std::string& bytes) const { suite_.writeSettings(bytes); }

    std::string writeData(const std::string& bytes) const
    {
        return dir_.write("cotizaciones.csv", bytes).string();
    }

    // The stored quotations, prefix and number, in the order stored.
    std::string storedQuotations() const
    {
        return testing_support::querySql(database_, "select PREF_PRE || COTI_NUMERO from COTIZACIONES "
                                                    "order by COTI_ID");
    }
    // Every row of every table of the database, table by table, and the values of
    // the generators but the one that hands out quotation identifiers, which a
    // check and a refused quotation advance as any import does.
    std::string everyTable() const
    {
        // Two runs of isql in all: the names, then every table and generator.
        const std::string names = testing_support::querySql(
            database_,
            "select 'T' as KIND, trim(rdb$relation_name) as NAME from rdb$relations where rdb$system_flag = "
            "0 union "
            "all select 'G', trim(rdb$generator_name) from rdb$generators where rdb$system_flag = 0 "
            "and rdb$generator_name <> 'GEN_COTIZACIONES_ID' order by 1, 2");
        std::string sql;
        std::istringstream lines(names);
        for (std::string line; std::getline(lines, line);) {
            const std::string name = line.substr(2);
            sql += "select '" + name + "' from rdb$database;\n";
            sql += line[0] == 'T' ? "select * from \"" + name + "\";\n"
                                  : "select gen_id(\"" + name + "\", 0) from rdb$database;\n";
        }
        return testing_support::querySql(database_, sql);
    }
    std::string storedLineCount() const
    {
        return testing_support::querySql(database_, "select count(*) from COTIZACIONES_DETALLE");
    }

    testing_support::TempDir dir_;
    testing_support::SuiteInstallation suite_{dir_};
    std::filesystem::path database_;
};

} // namespace console
