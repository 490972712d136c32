#pragma once
// The program's title, as message boxes show it: derived from the executable's
// file name, so that a renamed copy of the program titles its boxes accordingly.
#include <string>

namespace platform {

// The file name of the executable path without its folder, cut at its first ".",
// its first character as it is and every one after it in lower case:
// "/opt/x/IMPORTARCOT.EXE" gives "Importarcot", "/usr/bin/importarcot" gives
// "importarcot". Paths are UTF-8.
std::string programTitle(const std::string& executablePath);

// The title of the running executable.
std::string programTitle();

} // namespace platform
