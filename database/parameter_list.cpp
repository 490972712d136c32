#include "database/parameter_list.h"

#include <algorithm>
#include <cctype>

namespace database {
namespace {

bool sameName(std::string_view line, std::string_view name)
{
    const auto equals = line.find('=');
    const std::string_view lineName = line.substr(0, equals);
    return lineName.size() == name.size() &&
           std::equal(lineName.begin(), lineName.end(), name.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

std::string ParameterList::value(std::string_view name) const
{
    for (const auto& line : lines_)
        if (sameName(line, name)) {
            const auto equals = line.find('=');
            return equals == std::string::npos ? std::string() : line.substr(equals + 1);
        }
    return {};
}

void ParameterList::setValue(std::string_view name, std::string_view value)
{
    const std::string line = std::string(name) + "=" + std::string(value);
    for (auto& existing : lines_)
        if (sameName(existing, name)) {
            existing = line;
            return;
        }
    lines_.push_back(line);
}

} // namespace database
