#include "platform/program_title.h"

#include <gtest/gtest.h>

namespace {

struct TitleCase {
    const char* path;
    const char* title;
};

class ProgramTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ProgramTitleTest, FileNameCutAtFirstDotWithTheRestInLowerCase)
{
    EXPECT_EQ(platform::programTitle(GetParam().path), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(Paths, ProgramTitleTest,
                         ::testing::Values(TitleCase{"importarcot", "importarcot"},
                                           TitleCase{"/opt/x/IMPORTARCOT.EXE", "Importarcot"},
                                           TitleCase{"C:\\Merkalo\\ImportArCot.exe", "Importarcot"},
                                           TitleCase{"/usr/bin/import.arcot.bin", "import"},
                                           TitleCase{"/opt/dir.d/importarcot", "importarcot"},
                                           TitleCase{"/opt/x/.hidden", ""}, TitleCase{"/opt/x/", ""},
                                           TitleCase{"importarcot2016", "importarcot2016"},
                                           TitleCase{"/opt/ÚLTIMA-COTIZACIÓN.EXE", "Última-cotización"},
                                           TitleCase{"/opt/ñANDÚ", "ñandú"}));

TEST(ProgramTitle, OfTheRunningExecutable)
{
    // This test runs inside the executable test_platform.
    EXPECT_EQ(platform::programTitle(), "test_platform");
}

} // namespace
