// The fonts shipped beside the program are added at start: every font file of the
// folder, by the families it brings; files that are no fonts are passed over.
#include "app/bundled_fonts.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace app {
namespace {

TEST(BundledFonts, EveryFontFileOfTheFolderByItsFamily)
{
    testing_support::TempDir dir;
    const std::filesystem::path liberation = "/usr/share/fonts/truetype/liberation";
    for (const char* file :
         {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSansNarrow-Regular.ttf"})
        std::filesystem::copy_file(liberation / file, dir.path() / file);
    dir.write("no-es-fuente.ttf", "texto");
    dir.write("LiberationSerif-Regular.ttf.txt", "texto");
    EXPECT_EQ(addFontsFrom(QString::fromStdString(dir.path().string())),
              (QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Liberation Sans Narrow")}));
    EXPECT_EQ(addFontsFrom(QString::fromStdString((dir.path() / "fonts").string())), QStringList());
}

} // namespace
} // namespace app
