#include "platform/dialogs.h"

namespace platform {

std::string withFullStop(const std::string& text)
{
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        return text + ".";
    return text;
}

} // namespace platform
