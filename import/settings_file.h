#pragma once
// The suite's installation directory (from the registry) and the six start-up
// values of settings.conf in it: server location, user name, password, company
// code, data file path and the unattended flag.
#include "platform/dialogs.h"

#include <array>
#include <optional>
#include <string>

namespace importer {

// The registry key of the suite and its value naming the installation directory.
inline constexpr const char* kSuiteKey = "\\Software\\Orvan\\Merkalo2016";
inline constexpr const char* kDirectoryValue = "Directorio";

// The installation directory, or "" when the key cannot be opened (after telling
// the user) or has no such value. A value of another type raises RegistryError.
std::string diraplicacion(platform::Dialogs& dialogs);

// The directory followed by the separator and "settings.conf", the directory used
// exactly as stored.
std::string settingsFilePath(const std::string& directory);

// The values of the first six lines; a line that the file does not have is
// nothing (its field keeps its text). Values are UTF-8: the bytes as they are when
// they form UTF-8, read as Windows-1252 otherwise.
using SettingsLines = std::array<std::optional<std::string>, 6>;

// Reads the file without sharing it; a file that is missing or held open by
// another program gives no lines; a pipe, a device or a file beyond
// platform::kSmallFileLimit raises an error with its message. A line ends at CR, LF or CR LF; a NUL byte ends
// a value; the last line counts even without a line end; lines are not cut.
SettingsLines readSettingsFile(const std::string& path);

} // namespace importer
