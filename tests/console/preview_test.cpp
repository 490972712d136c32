// The preview mode prints the lines that the import would take, as JSON.
#include "console/preview.h"
#include "import/data_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sstream>

namespace console {
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

// A file that starts with the UTF-8 mark reads as the same text saved in
// Windows-1252: the mark is not data, and the letters come out the same.
TEST(Preview, Utf8MarkedFileReadsAsItsWindows1252Twin)
{
    testing_support::TempDir dir;
    const auto utf8 = dir.write("utf8.csv", "\xEF\xBB\xBF"
                                            "CT;\"P\xC3\xA9rez \xE2\x82\xAC\";1,5\r\n;\xC3\x91\r\n");
    const auto cp1252 = dir.write("cp1252.csv", "CT;\"P\xE9rez \x80\";1,5\r\n;\xD1\r\n");
    std::ostringstream fromUtf8, fromCp1252, err;
    EXPECT_EQ(runPreview(utf8.string(), {';', '"'}, fromUtf8, err), 0);
    EXPECT_EQ(runPreview(cp1252.string(), {';', '"'}, fromCp1252, err), 0);
    EXPECT_EQ(fromUtf8.str(), "{\"line\": 1, \"fields\": [\"CT\", \"Pérez €\", \"1.5\"]}\n"
                              "{\"line\": 2, \"fields\": [\"\", \"Ñ\"]}\n");
    EXPECT_EQ(fromUtf8.str(), fromCp1252.str());
    EXPECT_EQ(err.str(), "");
}

TEST(Preview, SkippedLinesAreLeftOutButCounted)
{
    testing_support::TempDir dir;
    const auto file = dir.write("q.csv", "Prefijo;Numero\r\n\r\nCT;1\r\nCT;2\r\n");
    const struct {
        std::int64_t skipLines;
        std::string shown;
    } cases[] = {
        {0,
         "{\"line\": 1, \"fields\": [\"Prefijo\", \"Numero\"]}\n{\"line\": 3, \"fields\": [\"CT\", \"1\"]}\n"
         "{\"line\": 4, \"fields\": [\"CT\", \"2\"]}\n"},
        {3, "{\"line\": 4, \"fields\": [\"CT\", \"2\"]}\n"},
        {9, ""},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runPreview(file.string(), {';', '"'}, out, err, c.skipLines), 0);
        EXPECT_EQ(out.str(), c.shown) << c.skipLines;
    }
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
        {dir.write("omega.csv", "\xEF\xBB\xBF"
                                "a,b\r\nc,\xCE\xA9\r\n")
             .string(),
         "El archivo no se puede importar: la línea 2 tiene el carácter «Ω» (U+03A9), que no existe en "
         "Windows-1252, la codificación de la base de datos."},
        {dir.write("broken.csv", "\xEF\xBB\xBF"
                                 "a\nb\nc\xE9\n")
             .string(),
         "El archivo no se puede importar: la línea 3 no es texto UTF-8 válido."},
        {"/dev/zero",
         "El archivo a importar \"/dev/zero\" no es un archivo común: es una tubería, un dispositivo "
         "o un socket."},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runPreview(c.path, {',', '\0'}, out, err), 1);
        EXPECT_EQ(err.str(), c.message + "\n");
        EXPECT_EQ(out.str(), "");
    }
}

} // namespace
} // namespace console
