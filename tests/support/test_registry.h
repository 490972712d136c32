#pragma once
// The machine's registry as a test sets it up from a file in the registry editor's
// export format. On Linux the program reads such a file itself (the stand-in named by
// IMPORTARCOT_REGISTRY); on Windows the file is imported into the real registry with
// the system's reg.exe, after the suite's key has been removed from both views.
#include <filesystem>

namespace testing_support {

// A file that does not exist leaves the registry without the suite's key.
void useRegistryFile(const std::filesystem::path& file);
// Undoes useRegistryFile.
void forgetRegistry();

}  // namespace testing_support
