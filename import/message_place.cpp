#include "import/message_place.h"

#include "platform/text_codec.h"

namespace importer {

std::string placeText(const MessagePlace& place)
{
    if (place.line <= 0)
        return {};
    std::string text = "línea " + std::to_string(place.line);
    if (!place.prefix.empty() || !place.number.empty()) {
        const std::string separator = place.prefix.empty() || place.number.empty() ? "" : " ";
        text += ", cotización " + platform::cp1252ToUtf8(place.prefix + separator + place.number);
    }
    return text;
}

std::string placedMessage(const std::string& place, const std::string& text)
{
    const std::string utf8 = platform::systemTextToUtf8(text);
    return place.empty() ? utf8 : place + ": " + utf8;
}

} // namespace importer
