// The preview mode prints the lines that the import would take, as JSON.
#include "app/preview.h"

#include <gtest/gtest.h>

#include <sstream>

#include "import/data_file.h"
#include "support/test_support.h"

namespace app {
namespace {

TEST(Preview, PrintsTheLinesTheRunWouldTake)
{
    testing_support::TempDir dir;
    // A blank line is skipped but counted; a quoted semicolon, a decimal comma, a
    // Windows-1252 letter, a quote and a tab inside a field; a last line without a
    // line break.
    const auto file = dir.write("q.csv", "CT;1;\"P\xE9rez; \"\"J\"\"\";1,5\r\n\r\nCT;\"a\tb\"\r\n;x");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runPreview(file.string(), {';', '"'}, out, err), 0);
    EXPECT_EQ(out.str(), "{\"line\": 1, \"fields\": [\"CT\", \"1\", \"Pérez; J\", \"1.5\"]}\n"
                         "{\"line\": 3, \"fields\": [\"CT\", \"a\\u0009b\"]}\n"
                         "{\"line\": 4, \"fields\": [\"\", \"x\"]}\n");
    EXPECT_EQ(err.str(), "");
}

TEST(Preview, RefusedFilesGiveTheirMessage)
{
    testing_support::TempDir dir;
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {(dir.path() / "none.csv").string(), importer::kNotFoundMessage},
        {dir.write("wide.csv", std::string(101, ',') + "x\n").string(),
         "El archivo no se puede importar: la línea 1 tiene más de 101 columnas."},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runPreview(c.path, {',', '\0'}, out, err), 1);
        EXPECT_EQ(err.str(), c.message + "\n");
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
}  // namespace app
