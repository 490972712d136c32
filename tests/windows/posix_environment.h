#pragma once
// setenv and unsetenv, which the test sources use and mingw's C library lacks, over
// the C library's own _putenv_s. Given to the Windows build of the tests that need
// them with -include, so that their sources stay as on Linux.
#include <cstdlib>

inline int setenv(const char* name, const char* value, int overwrite)
{
    if (!overwrite && std::getenv(name) != nullptr)
        return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name)
{
    // An empty value removes the variable.
    return _putenv_s(name, "") == 0 ? 0 : -1;
}
