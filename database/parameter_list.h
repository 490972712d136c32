#pragma once
// The connection's parameter list: name=value lines in a stored order, names
// matched without regard to case. Setting a value replaces the whole line in place
// (the line takes the name as it was given).
#include <string>
#include <string_view>
#include <vector>

namespace database {

class ParameterList {
public:
    explicit ParameterList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    // "" when there is no such line.
    std::string value(std::string_view name) const;
    void setValue(std::string_view name, std::string_view value);
    const std::vector<std::string>& lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

} // namespace database
