#include "import/rejects_path.h"

#include "platform/exclusive_file.h"
#include "platform/wide_text.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace importer {
namespace {

// Whether both names reach one file: the same file when both exist (also through
// a link, hard or symbolic), else the same path once made absolute and resolved
// as far as it exists.
bool sameFile(const std::filesystem::path& one, const std::filesystem::path& other)
{
    std::error_code error;
    if (std::filesystem::exists(one, error) && std::filesystem::exists(other, error))
        return std::filesystem::equivalent(one, other, error) && !error;
    const auto resolved = [](const std::filesystem::path& path) {
        std::error_code ignored;
        const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ignored);
        return canonical.empty() ? path.lexically_normal() : canonical;
    };
    return resolved(one) == resolved(other);
}

// Why a file cannot be created, in the user's words.
std::string creationFailure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "la carpeta no existe";
    case EACCES:
    case EPERM:
        return "no hay permiso para escribir en la carpeta";
    case EISDIR:
        return "hay una carpeta con ese nombre";
    case EROFS:
        return "la carpeta es de solo lectura";
    case ENOSPC:
        return "el disco está lleno";
    default:
        return "error " + std::to_string(error) + " del sistema";
    }
}

// Creates the temporary file the rejects are written to and removes it again;
// the reason it cannot be created, nothing when it can. One left by an earlier
// run that ended abruptly is replaced, as the run's own writing would.
std::optional<std::string> tryTemporary(const std::string& path)
{
    switch (platform::pathKind(path)) {
    case platform::PathKind::Missing:
        break;
    case platform::PathKind::RegularFile: {
        std::error_code ignored;
        std::filesystem::remove(platform::fileSystemPath(path), ignored);
        break;
    }
    case platform::PathKind::Folder:
        return creationFailure(EISDIR);
    case platform::PathKind::Other:
        return std::string("hay algo que no es un archivo regular con ese nombre");
    }
    errno = 0;
#ifdef _WIN32
    FILE* created = _wfopen(platform::widened(path).c_str(), L"wb");
#else
    FILE* created = std::fopen(path.c_str(), "wb");
#endif
    if (created == nullptr)
        return creationFailure(errno);
    std::fclose(created);
    std::error_code ignored;
    std::filesystem::remove(platform::fileSystemPath(path), ignored);
    return std::nullopt;
}

} // namespace

std::optional<std::string> checkRejectsPath(const std::string& rejectsPath, const std::string& dataPath)
{
    if (!dataPath.empty() &&
        sameFile(platform::fileSystemPath(rejectsPath), platform::fileSystemPath(dataPath)))
        return "--rejects " + rejectsPath + " es el archivo de datos " + dataPath +
               ": los rechazados lo borrarían";
    switch (platform::pathKind(rejectsPath)) {
    case platform::PathKind::Missing:
    case platform::PathKind::RegularFile:
        break;
    case platform::PathKind::Folder:
        return "--rejects " + rejectsPath + " es una carpeta, no un archivo";
    case platform::PathKind::Other:
        return "--rejects " + rejectsPath + " no es un archivo regular (una tubería o un dispositivo)";
    }
    const std::string temporary = rejectsPath + ".partial";
    if (const auto failure = tryTemporary(temporary))
        return "no se puede escribir el archivo de rechazados " + rejectsPath + ": " + *failure + " (" +
               temporary + ")";
    return std::nullopt;
}

} // namespace importer
