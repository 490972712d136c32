#include "platform/wide_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

#ifdef _WIN32
std::filesystem::path fileSystemPath(std::string_view utf8)
{
    return std::filesystem::path(widened(utf8));
}
#else
std::filesystem::path fileSystemPath(std::string_view utf8)
{
    return std::filesystem::path(utf8);
}
#endif

#ifdef _WIN32

std::wstring widened(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), units);
    return out;
}

std::string narrowed(std::wstring_view utf16)
{
    if (utf16.empty())
        return {};
    const int size = static_cast<int>(utf16.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), bytes, nullptr, nullptr);
    return out;
}

#endif

} // namespace platform
