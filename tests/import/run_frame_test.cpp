// The run's frame: the checks before the file is read, the exclusive open, the
// progress steps and the end of a run.
#include "import/data_file.h"
#include "import_fixture.h"
#include "support/held_file.h"

#include <gtest/gtest.h>

namespace importer {
namespace {

using testing_support::RecordingDialogs;
using testing_support::RecordingHost;
using testing_support::TempDir;

class RunFrame : public ImportFixture {
protected:
    void SetUp() override
    {
        ImportFixture::SetUp();
        connect();
    }
    void run(const std::string& path)
    {
        host_.texts[FormField::Ubicacion] = path;
        host_.SpeedButton3Click(session_);
    }
    std::vector<RecordingDialogs::Shown> plainMessages(std::initializer_list<std::string> texts)
    {
        std::vector<RecordingDialogs::Shown> shown;
        for (const auto& text : texts)
            shown.push_back({RecordingDialogs::Kind::Plain, text});
        return shown;
    }
    // A run of the same session with a fresh recording of what it shows.
    void runAgain(const std::string& path)
    {
        host_.dialogs_.shown.clear();
        host_.events.clear();
        host_.progressSteps = 0;
        host_.closed = false;
        run(path);
    }
};

TEST_F(RunFrame, PathRefusedBeforeReading)
{
    dir_.write("folder/x.txt", "x");
    const struct {
        std::string path;
        const char* message;
    } cases[] = {
        {"", kNoPathMessage},
        {(dir_.path() / "missing.txt").string(), kNotFoundMessage},
        {(dir_.path() / "folder").string(), kNotFoundMessage},
    };
    for (const auto& c : cases) {
        runAgain(c.path);
        EXPECT_EQ(host_.dialogs_.shown, plainMessages({c.message})) << c.path;
        EXPECT_EQ(host_.events, (std::vector<std::string>{"status: " + std::string(kImportingStatus),
                                                          "status hidden", "closed"}));
        EXPECT_TRUE(host_.lineDisplayVisible);
        EXPECT_FALSE(host_.gridFollowing);
    }
}

TEST_F(RunFrame, FileHeldByAnotherProgramIsRefused)
{
    const auto file = dir_.write("q.txt", "a,b\n");
    {
        const testing_support::HeldFile holder(file);
        ASSERT_TRUE(holder.held());
        run(file.string());
    }
    EXPECT_EQ(host_.dialogs_.shown, plainMessages({kCannotOpenMessage}));
    EXPECT_TRUE(host_.closed);
    EXPECT_EQ(host_.progressSteps, 0);
}

TEST_F(RunFrame, FileBeyondTheReaderLimitsIsRefusedWhole)
{
    const auto file = dir_.write("q.txt", "a;b\n" + std::string(102, ';') + "x\n");
    run(file.string());
    EXPECT_EQ(host_.dialogs_.shown,
              plainMessages({"El archivo no se puede importar: la línea 2 tiene más de 101 columnas."}));
    EXPECT_EQ(host_.progressSteps, 0);
    EXPECT_TRUE(host_.closed);
}

TEST_F(RunFrame, CompleteRunEndsWithItsMessageAndClosesTheWindow)
{
    const auto file = dir_.write("q.txt", dataLine({{"PREF_PRE", "CT"},
                                                    {"COTI_NUMERO", "1"},
                                                    {"COTI_FECHA", "05/03/2024"},
                                                    {"VEND_COD", "1"},
                                                    {"TERC_NIT", "9"}}));
    run(file.string());
    EXPECT_EQ(host_.dialogs_.shown, plainMessages({kFinishedMessage}));
    EXPECT_TRUE(host_.closed);
    EXPECT_FALSE(host_.statusVisible);
    // The file is no longer held: another program can open it exclusively.
    EXPECT_TRUE(testing_support::HeldFile(file).held());
}

TEST_F(RunFrame, ProgressStepsFollowTheByteCount)
{
    const auto repeat = [](const std::string& piece, int times) {
        std::string out;
        for (int i = 0; i < times; ++i)
            out += piece;
        return out;
    };
    const struct {
        const char* name;
        std::string bytes;
        int steps;
    } cases[] = {
        // 99 and 199 bytes: a step of 1, one step per byte.
        {"99_bytes", repeat("x\n", 49) + "x", 99},
        {"199_bytes", repeat("x\n", 99) + "x", 199},
        // 250 bytes: a step of 2, a step at every even count.
        {"250_bytes_lf", repeat("x\n", 125), 125},
        // With CR LF the count that falls on each LF (3k + 2) is never reported:
        // 125 even counts less the 42 that are 2 more than a multiple of 6.
        {"250_bytes_crlf", repeat("x\r\n", 83) + "x", 83},
    };
    // With every mapping row switched off the lines change nothing, so every byte
    // of the file is read.
    dataset::RecordSet& mapping = session_.mapping().CImportacion();
    for (mapping.first(); !mapping.eof(); mapping.next()) {
        mapping.edit();
        mapping.field("IMPORTAR").setAsString("NO");
        mapping.post();
    }
    for (const auto& c : cases) {
        platform::runGuarded(host_.dialogs(),
                             [&] { runAgain(dir_.write(std::string(c.name) + ".txt", c.bytes).string()); });
        EXPECT_EQ(host_.progressSteps, c.steps) << c.name;
    }
}

TEST(DataFile, ProgressStep)
{
    EXPECT_EQ(progressStepSize(0), 1);
    EXPECT_EQ(progressStepSize(99), 1);
    EXPECT_EQ(progressStepSize(199), 1);
    EXPECT_EQ(progressStepSize(250), 2);
    EXPECT_EQ(progressStepSize(5'000'000'000LL), 50'000'000LL);
}

} // namespace
} // namespace importer
