#pragma once
// Read-only access to HKEY_LOCAL_MACHINE. On Windows this is the real registry, its
// native view and then its 32-bit view.
// Elsewhere a stand-in file in the registry editor's export format plays the
// machine's registry:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Orvan\Merkalo2016]
//   "Directorio"="/opt/merkalo"
//
// String values are "..." (backslash and quote escaped with a backslash),
// expandable strings hex(2):.. (UTF-16LE bytes), dwords dword:xxxxxxxx, other
// types hex:.. or hex(n):... Key paths are compared without regard to case. The
// file may be UTF-16LE with a byte-order mark, as the editor writes it, or 8-bit
// text (with or without a UTF-8 mark), as older exports and hand-written files are.
// It is /etc/importarcot/registry.reg unless IMPORTARCOT_REGISTRY names another.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

enum class RegistryValueType { String, ExpandString, Other };

struct RegistryValue {
    RegistryValueType type = RegistryValueType::String;
    std::string text; // UTF-8, for the two string types
};

// The failure of reading a value of an unexpected type.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RegistryKey {
public:
    // Opens a key of HKEY_LOCAL_MACHINE for reading, never creating it. A leading
    // backslash is allowed. Nothing when the key is missing or cannot be read.
    static std::optional<RegistryKey> openLocalMachineReadOnly(std::string_view path);

    // Nothing when the value does not exist.
    std::optional<RegistryValue> value(std::string_view name) const;

    // A string or expandable string value, taken literally; "" when missing;
    // RegistryError "Invalid data type for '<name>'" for any other type.
    std::string readString(std::string_view name) const;

private:
    std::string path_;
#ifdef _WIN32
    unsigned long view_ = 0; // the registry view the key was found in (REGSAM)
#else
    std::string content_; // the section of the stand-in file
#endif
};

} // namespace platform
