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

// A regular file exists at the path (a folder does not count).
bool fileExists(const std::string& path);

class ExclusiveFile {
public:
    // Nothing when the file cannot be opened or another program holds it.
    static std::unique_ptr<ExclusiveFile> open(const std::string& path);
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // The size in bytes (the position after seeking to the end).
    std::int64_t size();
    void seek(std::int64_t offset);
    // Up to count bytes from the current position; 0 at the end of the file.
    std::size_t read(char* buffer, std::size_t count);

private:
    ExclusiveFile() = default;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace platform
