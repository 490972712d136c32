#pragma once
// Windows speaks UTF-16 in its wide-character API and a legacy code page in the
// narrow one; the program keeps text and paths in UTF-8 and crosses to UTF-16 here,
// so that names with characters outside the code page (ñ on an English system,
// any script on any system) reach the registry and the file system intact.
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// A UTF-8 path as the standard library's file functions take it: on Windows
// through UTF-16, since a narrow string would be read in the legacy code page.
std::filesystem::path fileSystemPath(std::string_view utf8);

#ifdef _WIN32
std::wstring widened(std::string_view utf8);
std::string narrowed(std::wstring_view utf16);
#endif

} // namespace platform
