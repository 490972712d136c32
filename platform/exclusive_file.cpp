#include "platform/exclusive_file.h"

#include <sys/stat.h>

#ifdef _WIN32
#include "platform/wide_text.h"

#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef _WIN32

PathKind pathKind(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(widened(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::RegularFile;
}

std::unique_ptr<ExclusiveFile> ExclusiveFile::open(const std::string& path, Sharing sharing)
{
    // Without sharing nobody can write the file while the import reads it, and a file
    // that another program holds open is refused.
    const DWORD share = sharing == Sharing::Readers ? FILE_SHARE_READ : 0;
    HANDLE handle = CreateFileW(widened(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    // Devices (CON, NUL, COM1) and pipes open like files but are not data.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return nullptr;
    }
    std::unique_ptr<ExclusiveFile> file(new ExclusiveFile);
    file->handle_ = handle;
    return file;
}

ExclusiveFile::~ExclusiveFile()
{
    CloseHandle(static_cast<HANDLE>(handle_));
}

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

std::int64_t ExclusiveFile::read(char* buffer, std::size_t count)
{
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &got, nullptr))
        return -1;
    return got;
}

#else

PathKind pathKind(const std::string& path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        return PathKind::Missing;
    return S_ISREG(info.st_mode)   ? PathKind::RegularFile
           : S_ISDIR(info.st_mode) ? PathKind::Folder
                                   : PathKind::Other;
}

std::unique_ptr<ExclusiveFile> ExclusiveFile::open(const std::string& path, Sharing sharing)
{
    // Non-blocking so that a pipe without a writer cannot hold the open; what was
    // opened is then checked, not what the path named a moment before.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        (sharing == Sharing::None && ::flock(fd, LOCK_EX | LOCK_NB) != 0)) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<ExclusiveFile> file(new ExclusiveFile);
    file->fd_ = fd;
    return file;
}

ExclusiveFile::~ExclusiveFile()
{
    ::close(fd_);
}

std::int64_t ExclusiveFile::size()
{
    return ::lseek(fd_, 0, SEEK_END);
}

void ExclusiveFile::seek(std::int64_t offset)
{
    ::lseek(fd_, offset, SEEK_SET);
}

std::int64_t ExclusiveFile::read(char* buffer, std::size_t count)
{
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, count);
        if (got >= 0)
            return got;
        if (errno != EINTR)
            return -1;
    }
}

#endif

} // namespace platform
