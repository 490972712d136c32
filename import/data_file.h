#pragma once
// The data file as the run opens it: the texts that refuse it, the exclusive
// open, its size and the progress step.
#include "import/reader.h"
#include "platform/exclusive_file.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace importer {

inline constexpr const char* kNoPathMessage = "Debe indicar antes el archivo con los datos a importar.";
inline constexpr const char* kNotFoundMessage = "No se encontró el archivo a importar.";
inline constexpr const char* kCannotOpenMessage = "Error al abrir el archivo, asegúrece que el nombre sea "
                                                  "correcto y que no esté abierto en otra aplicación en "
                                                  "este momento.";
inline constexpr const char* kFinishedMessage = "Importación finalizada.";
inline constexpr const char* kNoDataLinesMessage = "El archivo no tiene líneas de datos.";
inline constexpr const char* kImportingStatus = "Importando cotizaciones. Espere un momento...";

// The bytes of an open file for the reader, from a start offset up to the size the
// file had when it was opened. The exclusive open is only advisory on Linux, so a
// program that ignores it may still cut the file short: a read that finds the end
// before that size raises an error naming the file instead of handing on a part of
// a line as if it were whole. What was added to the file after the open is not read.
class FileByteSource : public ByteSource {
public:
    FileByteSource(platform::ExclusiveFile& file, std::string path, std::int64_t start, std::int64_t end);
    std::size_t read(char* buffer, std::size_t count) override;

private:
    platform::ExclusiveFile& file_;
    std::string path_;
    std::int64_t position_;
    std::int64_t end_;
};

// The message that refuses the path before anything is opened: no path, no file
// there (a folder does not count), or something that is not a regular file (a
// pipe or a device that would block the run or never end). Nothing when the path
// can be tried.
std::optional<std::string> checkDataFilePath(const std::string& path);

struct OpenedDataFile {
    std::unique_ptr<platform::ExclusiveFile> file;
    std::string path;
    // The options the file is read with: those asked for, with utf8 turned on by a
    // UTF-8 byte-order mark.
    ReaderOptions options;
    // Where the text starts (after a byte-order mark) and the file's size at the open.
    std::int64_t start = 0;
    std::int64_t fileSize = 0;
    // The size the reader counts: the file's bytes, or for a UTF-8 file the bytes
    // of its text in Windows-1252.
    std::int64_t size = 0;

    // The file's bytes for the reader, from the start of the text.
    FileByteSource bytes() const;
};

// Opens the file without sharing, takes its size, looks for a UTF-8 byte-order
// mark, checks that the reader can hold every line (one fast pass) and leaves it
// at the start of its text. On failure, the message.
struct DataFileOpening {
    std::optional<OpenedDataFile> opened;
    std::string refusal;
};
DataFileOpening openDataFile(const std::string& path, const ReaderOptions& options);

// The progress step: the size divided by 100, at least 1.
std::int64_t progressStepSize(std::int64_t size);

} // namespace importer
