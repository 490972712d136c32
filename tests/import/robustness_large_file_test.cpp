// A data file beyond 2 GiB, whose size a signed 32-bit value cannot hold: read to
// its last byte, with a progress step per hundredth of its true size. The file is
// sparse, so it costs no disk space, only the time to read it.
#include "import_fixture.h"

#include <filesystem>
#include <fstream>

namespace importer {
namespace {

using Kind = testing_support::RecordingDialogs::Kind;
using Shown = testing_support::RecordingDialogs::Shown;

// A data line ended by LF alone: every byte count then reaches the progress test.
std::string lfLine(const std::map<std::string, std::string>& values)
{
    std::string line = dataLine(values);
    line.erase(line.size() - 2, 1);
    return line;
}

std::map<std::string, std::string> header(const std::string& number, const std::string& code)
{
    return {{"PREF_PRE", "LG"}, {"COTI_NUMERO", number}, {"COTI_FECHA", "05/03/2024"},
            {"VEND_COD", "7"},  {"TERC_NIT", "900123"},  {"CTDE_CODBAR", code}};
}

class LargeDataFile : public ImportFixture {};

TEST_F(LargeDataFile, ReadToItsLastByteWithItsTrueSize)
{
    const std::int64_t size = (std::int64_t{1} << 31) + 1234;
    // One quotation at the start; zero bytes, which the default delimiter (none,
    // the zero byte) swallows; after a line break another quotation at the end.
    const std::string head = lfLine(header("1", "CAF-500"));
    const std::string tail = "\n" + lfLine(header("2", "AZU-1K")) + lfLine({{"CTDE_CODBAR", "ACE-1L"}});
    const std::filesystem::path path = dir_.write("grande.csv", head);
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size));
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(size - static_cast<std::int64_t>(tail.size()));
        file.write(tail.data(), static_cast<std::streamsize>(tail.size()));
        ASSERT_TRUE(file.good());
    }
    ASSERT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(size));

    connect();
    host_.texts[FormField::Ubicacion] = path.string();
    EXPECT_TRUE(platform::runGuarded(host_.dialogs(), [&] { host_.SpeedButton3Click(session_); }));
    EXPECT_EQ(shown(), (std::vector<Shown>{{Kind::Plain, "Importación finalizada."}}));
    // A step at every multiple of size / 100 = 21,474,848: 100 of them, the last one
    // among the bytes written at the end.
    EXPECT_EQ(host_.progressSteps, 100);
    EXPECT_EQ(host_.lineDisplay, "LG2 - ACE-1L");
    EXPECT_EQ(query("select h.COTI_NUMERO, l.ARTI_COD from COTIZACIONES h join COTIZACIONES_DETALLE l "
                    "on l.COTI_ID = h.COTI_ID order by l.CTDE_ITEM"),
              (std::vector<std::vector<std::string>>{{"1", "CAF-500"}, {"2", "AZU-1K"}, {"2", "ACE-1L"}}));
}

} // namespace
} // namespace importer
