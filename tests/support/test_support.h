#pragma once
// Helpers shared by the test executables.
#include <filesystem>
#include <functional>
#include <string>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes bytes to a file below the folder and returns its path.
    std::filesystem::path write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
// Writes bytes to the file, making the folders above it, and gives its path.
std::filesystem::path writeFile(const std::filesystem::path& file, const std::string& bytes);

// The text of the Error that the operation raises, or "(no error)".
template <class Error> std::string messageOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace testing_support
