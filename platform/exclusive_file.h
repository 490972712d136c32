#pragma once
// A file opened for reading without sharing it: while it is open no other program
// that asks the same can open it, and opening fails while another holds it.
//
// On Linux the exclusion is an advisory lock (flock): it keeps out programs that
// lock too (another importarcot, most office suites), not every program.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// What is at a path, symbolic links followed. Only a regular file is data: a pipe
// or a device would block the reader or never end, a socket cannot be read.
enum class PathKind { Missing, RegularFile, Folder, Other };
PathKind pathKind(const std::string& path);

class ExclusiveFile {
public:
    // Readers: other programs may read the file while it is open (a small file read
    // once and closed at once, such as a password file that two runs share).
    enum class Sharing { None, Readers };

    // Nothing when the file cannot be opened, is not a regular file or another
    // program holds it. Opening never waits (a pipe without a writer would).
    static std::unique_ptr<ExclusiveFile> open(const std::string& path, Sharing sharing = Sharing::None);
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // The size in bytes (the position after seeking to the end).
    std::int64_t size();
    void seek(std::int64_t offset);
    // Up to count bytes from the current position; 0 at the end of the file, -1
    // when the system cannot read it (a failing disk).
    std::int64_t read(char* buffer, std::size_t count);

private:
    ExclusiveFile() = default;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace platform
