#pragma once
// The machine's registry as a test sets it up from a file in the registry editor's
// export format. On Linux the program reads such a file itself (the stand-in named by
// IMPORTARCOT_REGISTRY); on Windows the file is imported into the real registry with
// the system's reg.exe, after the suite's key has been removed from both views.
#include "support/test_support.h"

#include <filesystem>
#include <string>

namespace testing_support {

// An export that holds the suite's key (HKEY_LOCAL_MACHINE\Software\Orvan\Merkalo2016)
// with the value lines given, each ended by "\n".
std::string suiteKeyExport(const std::string& values = "");
// The value line that names the suite's installation directory.
std::string directorioValue(const std::filesystem::path& suite);

// The machine's registry for as long as the object lives; afterwards it has no
// suite key.
class ScopedRegistry {
public:
    // The file as it stands; one that does not exist leaves the registry without the
    // suite's key.
    explicit ScopedRegistry(std::filesystem::path file);
    // The content written to registry.reg in the folder.
    ScopedRegistry(const TempDir& folder, const std::string& content);
    ~ScopedRegistry();
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;
    const std::filesystem::path& file() const { return file_; }
    // The same registry for the program started as a process of its own (Linux).
    std::string variable() const { return "IMPORTARCOT_REGISTRY=" + file_.string(); }

private:
    std::filesystem::path file_;
};

// The suite installed for one test: the folder suite/ in the test's folder, without
// settings.conf until a test writes one, and the registry's suite key naming it as
// the installation directory, for as long as the object lives.
class SuiteInstallation {
public:
    explicit SuiteInstallation(const TempDir& folder);
    const std::filesystem::path& path() const { return path_; }
    const ScopedRegistry& registry() const { return registry_; }
    // Writes settings.conf in the suite's folder and gives its path.
    std::filesystem::path writeSettings(const std::string& bytes) const;

private:
    std::filesystem::path path_;
    ScopedRegistry registry_;
};

} // namespace testing_support
