#include "support/child_process.h"

#include "support/test_support.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testing_support {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> environmentWithoutDisplay(const std::vector<std::string>& more)
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "QT_QPA_PLATFORM")
            variables.push_back(variable);
    }
    variables.insert(variables.end(), more.begin(), more.end());
    return variables;
}

// The texts as the null-terminated pointer array that exec takes; the texts must
// outlive it.
std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (auto& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

int exitStatus(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

fs::path builtProgram()
{
    return fs::path(IMPORTARCOT_BINARY_DIR) / "app" / "importarcot";
}

std::optional<std::string> onThePath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && ::access((fs::path(folder) / name).c_str(), X_OK) == 0)
            return (fs::path(folder) / name).string();
    return std::nullopt;
}

ChildProcess::ChildProcess(const fs::path& folder, const std::string& name, std::vector<std::string> command,
                           Options options)
    : out_(folder / (name + ".out")), err_(folder / (name + ".err")), onTerminal_(options.terminalColumns > 0)
{
    if (command.empty())
        throw std::invalid_argument("no program to start");
    if (command[0].find('/') == std::string::npos)
        command[0] = onThePath(command[0]).value_or(command[0]);
    // Everything the child needs is made before the fork: between fork and exec only
    // async-signal-safe calls are allowed.
    std::vector<std::string> variables = environmentWithoutDisplay(options.environment);
    const std::vector<char*> argv = pointers(command);
    const std::vector<char*> envp = pointers(variables);
    const std::string outPath = out_.string();
    const std::string errPath = err_.string();
    if (onTerminal_) {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = static_cast<unsigned short>(options.terminalColumns);
        pid_ = forkpty(&terminal_, nullptr, nullptr, &size);
    } else {
        pid_ = fork();
    }
    if (pid_ == 0) {
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
        if (!onTerminal_)
            dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (pid_ < 0)
        throw std::runtime_error("cannot start " + command[0]);
    // Programs started later must not hold this one's terminal open.
    if (terminal_ >= 0)
        fcntl(terminal_, F_SETFD, FD_CLOEXEC);
}

ChildProcess::~ChildProcess()
{
    if (terminal_ >= 0)
        close(terminal_);
    if (running())
        kill();
}

bool ChildProcess::running()
{
    if (pid_ <= 0 || status_)
        return false;
    int status = 0;
    const pid_t reaped = waitpid(pid_, &status, WNOHANG);
    if (reaped == 0 || (reaped < 0 && errno == EINTR))
        return true;
    status_ = reaped == pid_ ? exitStatus(status) : -1;
    return false;
}

int ChildProcess::finish(std::optional<std::chrono::seconds> patience)
{
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (patience)
        deadline = std::chrono::steady_clock::now() + *patience;
    if (terminal_ >= 0)
        readTerminal(deadline);
    if (!deadline) {
        if (!status_) {
            int status = 0;
            pid_t reaped;
            while ((reaped = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
            }
            status_ = reaped == pid_ ? exitStatus(status) : -1;
        }
        return *status_;
    }
    while (running() && std::chrono::steady_clock::now() < *deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (running())
        kill();
    return status_.value_or(-1);
}

void ChildProcess::readTerminal(std::optional<std::chrono::steady_clock::time_point> deadline)
{
    char buffer[4096];
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                *deadline - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
        }
        pollfd ready{terminal_, POLLIN, 0};
        const int polled = poll(&ready, 1, timeout);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        const ssize_t got = read(terminal_, buffer, sizeof buffer);
        if (got > 0)
            terminalText_.append(buffer, static_cast<std::size_t>(got));
        else if (got < 0 && errno == EINTR)
            continue;
        else
            break; // EIO once the program has closed the terminal
    }
    close(terminal_);
    terminal_ = -1;
}

void ChildProcess::signal(int number)
{
    if (running())
        ::kill(pid_, number);
}

void ChildProcess::kill()
{
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    status_ = -1;
}

std::string ChildProcess::out() const
{
    return readFile(out_);
}

std::string ChildProcess::err() const
{
    return onTerminal_ ? terminalText_ : readFile(err_);
}

Finished runToEnd(const fs::path& folder, std::vector<std::string> command, ChildProcess::Options options)
{
    const std::string name = command.empty() ? "program" : fs::path(command[0]).filename().string();
    ChildProcess child(folder, name, std::move(command), std::move(options));
    Finished finished;
    finished.status = child.finish();
    finished.out = child.out();
    finished.err = child.err();
    return finished;
}

} // namespace testing_support
