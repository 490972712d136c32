#pragma once
// The small files the program reads whole (settings.conf, the registry stand-in,
// the password file), read with a bound: a pipe, a device or an endless file would
// otherwise hang the start or eat all memory.
#include "platform/exclusive_file.h"

#include <cstdint>
#include <string>

namespace platform {

// Far above any real settings, registry export or password file.
inline constexpr std::int64_t kSmallFileLimit = 1024 * 1024;

enum class SmallFileError { None, Missing, NotRegular, Held, TooLarge, Unreadable };

struct SmallFile {
    std::string content;
    SmallFileError error = SmallFileError::None;
};

// The whole file, at most kSmallFileLimit bytes. Held: opened without sharing and
// another program holds it.
SmallFile readSmallFile(const std::string& path, ExclusiveFile::Sharing sharing);

// Why the file was not read, to follow "no se puede leer <el archivo> <path>: ".
std::string smallFileReason(SmallFileError error);

} // namespace platform
