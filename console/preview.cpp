#include "console/preview.h"

#include "import/data_file.h"
#include "platform/text_codec.h"

#include <cstdio>
#include <stdexcept>

namespace console {

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

int runPreview(const std::string& path, const importer::ReaderOptions& options, std::ostream& out,
               std::ostream& err, std::int64_t skipLines)
{
    if (const auto refusal = importer::checkDataFilePath(path)) {
        err << *refusal << "\n";
        return 1;
    }
    importer::DataFileOpening opening = importer::openDataFile(path, options);
    if (!opening.opened) {
        err << opening.refusal << "\n";
        return 1;
    }
    try {
        importer::FileByteSource source = opening.opened->bytes();
        importer::DelimitedReader(opening.opened->options)
            .run(
                source, opening.opened->size,
                [&](const importer::Slots& slots, int count, std::int64_t line) {
                    if (line <= skipLines)
                        return;
                    out << "{\"line\": " << line << ", \"fields\": [";
                    for (int k = 0; k < count; ++k)
                        out << (k ? ", " : "") << jsonString(platform::cp1252ToUtf8(slots[k]));
                    out << "]}\n";
                },
                [](std::int64_t) {});
    } catch (const std::runtime_error& error) {
        // The file changed while it was read: what was shown stands, the rest is not there.
        out.flush();
        err << error.what() << "\n";
        return 1;
    }
    out.flush();
    return 0;
}

} // namespace console
