// The client library's headers stay inside the database library: what the folders
// above it include from there speaks in the layer's own types, so that a change in
// the client side rebuilds nothing above it. The system include folder holds those
// headers for every target, so the boundary is checked on the sources themselves.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = IMPORTARCOT_SOURCE_DIR;
// Marks a header of the database library that only its own sources may include.
const std::string kInternalGuard = "#ifndef IMPORTARCOT_DATABASE_INTERNAL";

std::string contentOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool isSource(const fs::path& file)
{
    const auto extension = file.extension();
    return extension == ".h" || extension == ".cpp";
}

// The includes of a file that reach the client library: its own headers, or ours
// that carry them.
std::vector<std::string> clientIncludes(const std::string& text,
                                        const std::vector<std::string>& internalHeaders)
{
    std::vector<std::string> found;
    std::size_t at = 0;
    while ((at = text.find("#include", at)) != std::string::npos) {
        const auto end = text.find('\n', at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at += line.size();
        bool reaches = line.find("<firebird/") != std::string::npos;
        for (const auto& header : internalHeaders)
            reaches = reaches || line.find('"' + header + '"') != std::string::npos;
        if (reaches)
            found.push_back(line);
    }
    return found;
}

TEST(LayerBoundary, NoFirebirdHeaderAboveTheDatabaseLibrary)
{
    std::vector<std::string> internalHeaders;
    std::vector<fs::path> checked;
    for (const auto& entry : fs::directory_iterator(kSource / "database")) {
        if (entry.path().extension() != ".h")
            continue;
        if (contentOf(entry.path()).find(kInternalGuard) != std::string::npos)
            internalHeaders.push_back("database/" + entry.path().filename().string());
        else
            checked.push_back(entry.path());
    }
    // The layer does have a client side to keep in.
    ASSERT_FALSE(internalHeaders.empty());

    // Tests of the layer's own insides, built with the layer's internal headers open:
    // where the client library is looked for on Windows, which client errors are
    // failures of the environment.
    const fs::path layerOwnTests[] = {kSource / "tests" / "windows" / "fb_client_test.cpp",
                                      kSource / "tests" / "database" / "environment_failures_test.cpp"};
    const auto layerOwn = [&](const fs::path& file) {
        return std::find(std::begin(layerOwnTests), std::end(layerOwnTests), file) != std::end(layerOwnTests);
    };
    for (const char* folder : {"platform", "dataset", "import", "app", "tests", "fuzz"})
        for (const auto& entry : fs::recursive_directory_iterator(kSource / folder))
            if (entry.is_regular_file() && isSource(entry.path()) && !layerOwn(entry.path()))
                checked.push_back(entry.path());

    for (const auto& file : checked)
        for (const auto& line : clientIncludes(contentOf(file), internalHeaders))
            ADD_FAILURE() << fs::relative(file, kSource).string() << ": " << line;
}

} // namespace
