#pragma once
// The program with its window: the data module first, then the window, then the
// event loop until the window closes.

// Returns the program's exit code.
int runWindow(int argc, char** argv);
