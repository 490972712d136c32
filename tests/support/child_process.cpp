#include "support/child_process.h"

extern char** environ;

namespace testing_support {

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

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (auto& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

} // namespace testing_support
