#pragma once
// The program's command line: the window (no arguments), the preview of a data file,
// and the unattended import.
#include <optional>
#include <string>
#include <vector>

namespace app {

enum class Mode { Window, Preview, Batch, Help, Version };

struct CommandLine {
    Mode mode = Mode::Window;
    std::string previewFile;
    int separatorItem = 0; // as the items of Separ
    int delimiterItem = 0; // as the items of Delim
    bool separatorGiven = false;
    bool delimiterGiven = false;
    // Batch values; nothing when not given (settings.conf fills them).
    std::optional<std::string> server, user, company, file, passwordFile;
};

// Parses the arguments after the program's name; on a usage error, the reason.
struct ParsedCommandLine {
    std::optional<CommandLine> commandLine;
    std::string error;
};
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string usageText(const std::string& program);

// "importarcot" and the version of the build, as --version prints it.
std::string versionText();

} // namespace app
