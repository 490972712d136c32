#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

// Under AddressSanitizer: the Firebird engine keeps memory of its own until the
// process ends, which the leak checker would report for every test.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace testing_support {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "importarcot-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::write(const std::string& name, const std::string& bytes) const
{
    const auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file;
}

std::filesystem::path writeRegistry(const TempDir& folder, const std::filesystem::path& suite)
{
    return folder.write("registry.reg", "Windows Registry Editor Version 5.00\n\n"
                                        "[HKEY_LOCAL_MACHINE\\Software\\Orvan\\Merkalo2016]\n"
                                        "\"Directorio\"=\"" +
                                            suite.string() + "\"\n");
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace testing_support
