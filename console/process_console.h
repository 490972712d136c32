#pragma once
// What the modes that write text (--batch, --preview, --help, --version) need from the
// system before they start: the arguments as UTF-8, and on Windows a console.
#include <string>
#include <vector>

namespace console {

// The command line's arguments without the program's name, in UTF-8. On Windows they
// are taken from the wide command line, so that a path outside the system's code page
// arrives whole.
std::vector<std::string> programArguments(int argc, char** argv);

// The program is a GUI program on Windows and starts without a console: the text
// modes write to the console they were started from, or to where their output is
// redirected, in UTF-8. Nothing to do elsewhere.
void attachToConsole();

} // namespace console
