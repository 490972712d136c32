#pragma once
// A file held open by "another program" the way that program would keep others out:
// an exclusive advisory lock on Linux, an open without sharing on Windows.
#include <filesystem>

namespace testing_support {

class HeldFile {
public:
    explicit HeldFile(const std::filesystem::path& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    // The file could be opened and is held.
    bool held() const { return held_; }

private:
    bool held_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace testing_support
