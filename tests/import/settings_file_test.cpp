#include "import/settings_file.h"
#include "platform/registry.h"
#include "support/held_file.h"
#include "support/recording_dialogs.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <optional>

namespace importer {
namespace {

using testing_support::RecordingDialogs;
using testing_support::TempDir;

SettingsLines values(std::initializer_list<const char*> present)
{
    SettingsLines lines;
    std::size_t i = 0;
    for (const char* value : present)
        lines[i++] = value;
    return lines;
}

struct SettingsCase {
    const char* name;
    std::string bytes;
    SettingsLines expected;
};

const SettingsCase kSettingsCases[] = {
    {"crlf", "srv\r\nusr\r\npwd\r\n01\r\n/d/c.txt\r\n1\r\n",
     values({"srv", "usr", "pwd", "01", "/d/c.txt", "1"})},
    {"lf", "srv\nusr\npwd\n01\n/d/c.txt\n1\n", values({"srv", "usr", "pwd", "01", "/d/c.txt", "1"})},
    {"mixed", "srv\r\nusr\npwd\r\n01\n/d/c.txt\r\n1\n", values({"srv", "usr", "pwd", "01", "/d/c.txt", "1"})},
    {"cr_only_keeps_first_bytes", "srv\rusr\r", values({"srv", "usr"})},
    {"lf_cr_is_two_line_ends", "a\n\rb\n", values({"a", "", "b"})},
    {"last_line_without_line_end", "s\nu\np\nc\nf\n1", values({"s", "u", "p", "c", "f", "1"})},
    {"flag_with_blank_kept_as_is", "s\nu\np\nc\nf\n1 \n", values({"s", "u", "p", "c", "f", "1 "})},
    {"flag_01_kept_as_is", "s\nu\np\nc\nf\n01\n", values({"s", "u", "p", "c", "f", "01"})},
    {"five_lines", "s\nu\np\nc\nf\n", values({"s", "u", "p", "c", "f"})},
    {"eight_lines", "s\nu\np\nc\nf\n1\nseven\neight\n", values({"s", "u", "p", "c", "f", "1"})},
    {"empty_file", "", values({})},
    {"blanks_and_tabs_kept", " srv \t\n", values({" srv \t"})},
    {"nul_ends_the_value", std::string("sr\0v\nusr\n", 9), values({"sr", "usr"})},
    {"empty_line_gives_empty_text", "\nusr\n", values({"", "usr"})},
    {"windows_1252_bytes",
     "Compa\xF1"
     "\xED"
     "a\n",
     values({"Compañía"})},
    {"utf8_kept", "Compañía\n", values({"Compañía"})},
};

class SettingsFileTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsFileTest, Lines)
{
    TempDir dir;
    const auto file = dir.write("settings.conf", GetParam().bytes);
    EXPECT_EQ(readSettingsFile(file.string()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, SettingsFileTest, ::testing::ValuesIn(kSettingsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFile, LongLineTakenWhole)
{
    TempDir dir;
    const std::string path(600, 'p');
    const auto file = dir.write("settings.conf", "srv\n" + path + "\n");
    EXPECT_EQ(readSettingsFile(file.string())[1], path);
}

TEST(SettingsFile, MissingOrHeldFileGivesNothing)
{
    TempDir dir;
    EXPECT_EQ(readSettingsFile((dir.path() / "settings.conf").string()), SettingsLines{});

    const auto file = dir.write("settings.conf", "srv\nusr\n");
    {
        const testing_support::HeldFile holder(file);
        ASSERT_TRUE(holder.held());
        EXPECT_EQ(readSettingsFile(file.string()), SettingsLines{});
    }
    EXPECT_EQ(readSettingsFile(file.string()), values({"srv", "usr"}));
}

TEST(SettingsFile, PathKeepsTheDirectoryAsStored)
{
#ifdef _WIN32
    const std::string separator = "\\";
#else
    const std::string separator = "/";
#endif
    EXPECT_EQ(settingsFilePath("/opt/merkalo"), "/opt/merkalo" + separator + "settings.conf");
    EXPECT_EQ(settingsFilePath("/opt/merkalo/"), "/opt/merkalo/" + separator + "settings.conf");
    EXPECT_EQ(settingsFilePath(""), separator + "settings.conf");
}

// The machine's registry, written per test.
class Registry : public ::testing::Test {
protected:
    void useRegistry(const std::string& content) { registry_.emplace(dir_, content); }

    TempDir dir_;
    std::optional<testing_support::ScopedRegistry> registry_;
    RecordingDialogs dialogs_;
};

constexpr const char* kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

TEST_F(Registry, DirectoryValueRead)
{
    useRegistry(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvan\\Merkalo2016]\r\n"
                                       "\"Otro\"=\"x\"\r\n\"Directorio\"=\"C:\\\\Merkalo\\\\\"\r\n");
    EXPECT_EQ(diraplicacion(dialogs_), "C:\\Merkalo\\");
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(Registry, ExpandableStringTakenLiterally)
{
    // "%HOME%/m" as UTF-16LE
    useRegistry(std::string(kHeader) +
                "[HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016]\n"
                "\"Directorio\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,\\\n  2f,00,6d,00,00,00\n");
    EXPECT_EQ(diraplicacion(dialogs_), "%HOME%/m");
}

TEST_F(Registry, MissingKeyOrFileShowsTheMessage)
{
    const std::string message =
        "No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016\\Directorio";
    for (const std::string& content :
         {std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\Software\\Orvan]\n\"Directorio\"=\"x\"\n",
          std::string()}) {
        RecordingDialogs dialogs;
        useRegistry(content);
        EXPECT_EQ(diraplicacion(dialogs), "");
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0], (RecordingDialogs::Shown{RecordingDialogs::Kind::Plain, message}));
    }
    registry_.emplace(dir_.path() / "none.reg");
    EXPECT_EQ(diraplicacion(dialogs_), "");
    EXPECT_EQ(dialogs_.shown.size(), 1u);
}

TEST_F(Registry, MissingValueIsSilent)
{
    useRegistry(std::string(kHeader) +
                "[HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016]\n\"Otro\"=\"x\"\n");
    EXPECT_EQ(diraplicacion(dialogs_), "");
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(Registry, ValueOfAnotherTypeIsAnError)
{
    useRegistry(std::string(kHeader) +
                "[HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016]\n\"Directorio\"=dword:00000001\n");
    try {
        diraplicacion(dialogs_);
        FAIL() << "a dword was taken as the directory";
    } catch (const platform::RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'Directorio'");
    }
}

} // namespace
} // namespace importer
