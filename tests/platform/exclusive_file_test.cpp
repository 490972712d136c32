// The data file opened without sharing: a second open is refused while the first
// holds it, and names with characters outside any one code page open.
#include "platform/exclusive_file.h"
#include "support/test_support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

using testing_support::TempDir;

TEST(ExclusiveFile, SecondOpenRefusedUntilTheFirstCloses)
{
    TempDir dir;
    const std::string path = dir.write("cotizaciones.txt", "a;b\n").string();
    {
        const auto first = platform::ExclusiveFile::open(path);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(platform::ExclusiveFile::open(path), nullptr);
    }
    EXPECT_NE(platform::ExclusiveFile::open(path), nullptr);
}

TEST(ExclusiveFile, NonAsciiNamesOpen)
{
    TempDir dir;
    const auto folder = dir.path().u8string();
    for (const std::string name : {"Cotización año 2024.txt", "数据.txt", "Ωmega ñandú.csv"}) {
        const std::string path = std::string(folder.begin(), folder.end()) + "/" + name;
        {
            std::ofstream out(std::filesystem::path(std::u8string(path.begin(), path.end())),
                              std::ios::binary);
            out << name;
        }
        EXPECT_EQ(platform::pathKind(path), platform::PathKind::RegularFile) << name;
        const auto file = platform::ExclusiveFile::open(path);
        ASSERT_NE(file, nullptr) << name;
        std::string content(name.size(), '\0');
        EXPECT_EQ(file->read(content.data(), content.size()), name.size());
        EXPECT_EQ(content, name);
    }
}

} // namespace
