#pragma once
// What the tests that start the program as a process of its own need to hand it.
#include <string>
#include <vector>

namespace testing_support {

// The test's environment without anything that could lead the program to a display
// (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM), followed by more ("NAME=value").
std::vector<std::string> environmentWithoutDisplay(const std::vector<std::string>& more);

// The texts as the null-terminated pointer array that exec and spawn take; the
// texts must outlive it.
std::vector<char*> pointers(std::vector<std::string>& texts);

} // namespace testing_support
