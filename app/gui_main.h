#pragma once
// The program with its window: the data module first, then the window, then the
// event loop until the window closes.
#include <optional>
#include <string>

namespace platform {
class Dialogs;
}
namespace database {
class Tfdm;
}

namespace app {

class Tfimportarcot;

// The window, its settings read; a data file given on the command line then takes
// the place of the one settings.conf named, before the window is first shown (and
// so before an unattended run that its first showing may start).
Tfimportarcot* createWindow(platform::Dialogs& dialogs, database::Tfdm& fdm,
                            const std::optional<std::string>& dataFile);

} // namespace app

// Returns the program's exit code.
int runWindow(const char* program, const std::optional<std::string>& dataFile);
