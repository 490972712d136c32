#include "console/process_console.h"

#ifdef _WIN32
#include "platform/wide_text.h"

#include <cstdio>
#include <windows.h>
#endif

namespace console {

#ifdef _WIN32

std::vector<std::string> programArguments(int, char**)
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(platform::narrowed(wide[i]));
    LocalFree(wide);
    return arguments;
}

namespace {

// A stream that the parent did not redirect has no handle in a GUI program; it goes
// to the console once attached.
void toConsoleUnlessRedirected(DWORD which, FILE* stream)
{
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || GetFileType(handle) == FILE_TYPE_UNKNOWN)
        std::freopen("CONOUT$", "w", stream);
}

} // namespace

void attachToConsole()
{
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        toConsoleUnlessRedirected(STD_OUTPUT_HANDLE, stdout);
        toConsoleUnlessRedirected(STD_ERROR_HANDLE, stderr);
    }
    // Messages are UTF-8; the console shows them as such only with this code page.
    SetConsoleOutputCP(CP_UTF8);
}

#else

std::vector<std::string> programArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void attachToConsole() {}

#endif

} // namespace console
