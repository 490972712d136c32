#include "platform/exclusive_file.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

bool fileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::unique_ptr<ExclusiveFile> ExclusiveFile::open(const std::string& path)
{
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    std::unique_ptr<ExclusiveFile> file(new ExclusiveFile);
    file->handle_ = handle;
    return file;
}

ExclusiveFile::~ExclusiveFile() { CloseHandle(static_cast<HANDLE>(handle_)); }

std::int64_t ExclusiveFile::size()
{
    LARGE_INTEGER end{};
    SetFilePointerEx(static_cast<HANDLE>(handle_), LARGE_INTEGER{}, &end, FILE_END);
    return end.QuadPart;
}

void ExclusiveFile::seek(std::int64_t offset)
{
    LARGE_INTEGER target{};
    target.QuadPart = offset;
    SetFilePointerEx(static_cast<HANDLE>(handle_), target, nullptr, FILE_BEGIN);
}

std::size_t ExclusiveFile::read(char* buffer, std::size_t count)
{
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &got, nullptr))
        return 0;
    return got;
}

#else

bool fileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::unique_ptr<ExclusiveFile> ExclusiveFile::open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<ExclusiveFile> file(new ExclusiveFile);
    file->fd_ = fd;
    return file;
}

ExclusiveFile::~ExclusiveFile() { ::close(fd_); }

std::int64_t ExclusiveFile::size() { return ::lseek(fd_, 0, SEEK_END); }

void ExclusiveFile::seek(std::int64_t offset) { ::lseek(fd_, offset, SEEK_SET); }

std::size_t ExclusiveFile::read(char* buffer, std::size_t count)
{
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, count);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            return 0;
    }
}

#endif

}  // namespace platform
