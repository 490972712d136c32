#pragma once
// The data file as the run opens it: the texts that refuse it, the exclusive
// open, its size and the progress step.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "import/reader.h"
#include "platform/exclusive_file.h"

namespace importer {

inline constexpr const char* kNoPathMessage = "Debe indicar antes el archivo con los datos a importar.";
inline constexpr const char* kNotFoundMessage = "No se encontró el archivo a importar.";
inline constexpr const char* kCannotOpenMessage =
    "Error al abrir el archivo, asegúrece que el nombre sea correcto y que no esté abierto en otra aplicación en "
    "este momento.";
inline constexpr const char* kFinishedMessage = "Importación finalizada.";
inline constexpr const char* kImportingStatus = "Importando cotizaciones. Espere un momento...";

// The bytes of an open file for the reader.
class FileByteSource : public ByteSource {
public:
    explicit FileByteSource(platform::ExclusiveFile& file) : file_(file) {}
    std::size_t read(char* buffer, std::size_t count) override { return file_.read(buffer, count); }

private:
    platform::ExclusiveFile& file_;
};

// The message that refuses the path before anything is opened: no path, or no
// file there (a folder does not count). Nothing when the path can be tried.
std::optional<std::string> checkDataFilePath(const std::string& path);

struct OpenedDataFile {
    std::unique_ptr<platform::ExclusiveFile> file;
    std::int64_t size = 0;
};

// Opens the file without sharing, takes its size, checks that the reader can hold
// every line (one fast pass) and leaves it at offset 0. On failure, the message.
struct DataFileOpening {
    std::optional<OpenedDataFile> opened;
    std::string refusal;
};
DataFileOpening openDataFile(const std::string& path, const ReaderOptions& options);

// The progress step: the size divided by 100, at least 1.
std::int64_t progressStepSize(std::int64_t size);

}  // namespace importer
