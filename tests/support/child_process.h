#pragma once
// A program started by a test as a process of its own: the built program, or any
// program on the PATH. Its standard output and error go to files in a folder of the
// test, or its error stream to a pseudo-terminal; nothing leads it to a display.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testing_support {

// The program that this build made, as the tests start it.
std::filesystem::path builtProgram();

// A program's path when the PATH has it.
std::optional<std::string> onThePath(const std::string& name);

class ChildProcess {
public:
    struct Options {
        // Added to the test's environment, "NAME=value"; the test's own DISPLAY,
        // WAYLAND_DISPLAY and QT_QPA_PLATFORM are left out.
        std::vector<std::string> environment;
        // More than 0: the error stream is a pseudo-terminal of that many columns.
        int terminalColumns = 0;
    };

    // Starts command[0] (a path, or a name looked for on the PATH) with the rest as
    // its arguments; its streams go to <name>.out and <name>.err in the folder.
    ChildProcess(const std::filesystem::path& folder, const std::string& name,
                 std::vector<std::string> command, Options options);
    // A process still running is killed.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();
    // Sends a signal to the process while it runs.
    void signal(int number);
    // Waits for the end and gives the exit status: -1 when it ended on a signal or
    // did not end within the patience given (it is then killed).
    int finish(std::optional<std::chrono::seconds> patience = std::nullopt);
    std::string out() const;
    // What the error stream received: its file, or what the terminal showed up to
    // the end.
    std::string err() const;

private:
    void readTerminal(std::optional<std::chrono::steady_clock::time_point> deadline);
    void kill();

    std::filesystem::path out_;
    std::filesystem::path err_;
    bool onTerminal_;
    pid_t pid_ = -1;
    std::optional<int> status_;
    int terminal_ = -1;
    std::string terminalText_;
};

// What a program run to its end gave.
struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs command to its end, however long it takes, with its streams in files of the
// folder.
Finished runToEnd(const std::filesystem::path& folder, std::vector<std::string> command,
                  ChildProcess::Options options = {});

} // namespace testing_support
