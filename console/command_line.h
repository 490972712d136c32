#pragma once
// The program's command line: the window (no arguments, or only its data file), the
// preview of a data file, and the unattended import.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace console {

enum class Mode { Window, Preview, Batch, Help, Version };

struct CommandLine {
    Mode mode = Mode::Window;
    std::string previewFile;
    int separatorItem = 0; // as the items of Separ
    int delimiterItem = 0; // as the items of Delim
    bool separatorGiven = false;
    bool delimiterGiven = false;
    // Batch values; nothing when not given (settings.conf fills them). file is also
    // the window's data file, when the one operand gives it.
    std::optional<std::string> server, user, company, file, passwordFile;
    // A check that stores nothing; quotations already stored passed over; where
    // the lines not stored go.
    bool check = false;
    bool skipExisting = false;
    std::optional<std::string> rejects;
    // How long a write waits for another user's lock before its quotation is
    // refused, in seconds; 0 does not wait.
    std::int64_t lockTimeout = 60;
    // Preview and batch: lines at the start not imported, and the file's encoding
    // (0 Windows-1252, 1 UTF-8).
    std::int64_t skipLines = 0;
    int encodingItem = 0;
    bool skipLinesGiven = false;
    bool encodingGiven = false;
};

// Parses the arguments after the program's name; on a usage error, the reason.
struct ParsedCommandLine {
    std::optional<CommandLine> commandLine;
    std::string error;
};
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string usageText(const std::string& program);

// "importarcot" and the version of the build, then the copyright and licence lines,
// as --version prints them.
std::string versionText();

} // namespace console
