// The fonts shipped beside the program are added at start: every font file of the
// folder, by the families it brings; files that are no fonts are passed over.
#include "app/bundled_fonts.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace app {
namespace {

TEST(BundledFonts, EveryFontFileOfTheFolderByItsFamily)
{
    testing_support::TempDir dir;
    // The system's own files, wherever its release keeps them (liberation/,
    // liberation2/).
    int copied = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("/usr/share/fonts")) {
        const std::string file = entry.path().filename().string();
        if (file == "LiberationSans-Regular.ttf" || file == "LiberationSans-Bold.ttf" ||
            file == "LiberationSansNarrow-Regular.ttf") {
            std::filesystem::copy_file(entry.path(), dir.path() / file,
                                       std::filesystem::copy_options::skip_existing);
            ++copied;
        }
    }
    ASSERT_GE(copied, 3) << "fonts-liberation is not installed (scripts/install)";
    dir.write("no-es-fuente.ttf", "texto");
    dir.write("LiberationSerif-Regular.ttf.txt", "texto");
    EXPECT_EQ(addFontsFrom(QString::fromStdString(dir.path().string())),
              (QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Liberation Sans Narrow")}));
    EXPECT_EQ(addFontsFrom(QString::fromStdString((dir.path() / "fonts").string())), QStringList());
}

} // namespace
} // namespace app
