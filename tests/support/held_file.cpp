#include "support/held_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace testing_support {

#ifdef _WIN32

HeldFile::HeldFile(const std::filesystem::path& path)
{
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    held_ = handle != INVALID_HANDLE_VALUE;
    handle_ = held_ ? handle : nullptr;
}

HeldFile::~HeldFile()
{
    if (held_)
        CloseHandle(static_cast<HANDLE>(handle_));
}

#else

HeldFile::HeldFile(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
{
    held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

HeldFile::~HeldFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

#endif

} // namespace testing_support
