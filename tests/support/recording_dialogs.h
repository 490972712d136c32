#pragma once
// The modal boxes, recorded instead of shown. Tests read what was shown, in order.
#include "platform/dialogs.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace testing_support {

class RecordingDialogs : public platform::Dialogs {
public:
    enum class Kind { Plain, Error, Default, Beep, OpenFile, Confirm };
    struct Shown {
        Kind kind;
        std::string text;
        bool operator==(const Shown&) const = default;
        friend void PrintTo(const Shown& shown, std::ostream* out)
        {
            static const char* const kNames[] = {"plain", "error", "default", "beep", "open-file", "confirm"};
            *out << kNames[static_cast<int>(shown.kind)] << ": \"" << shown.text << "\"";
        }
    };

    void plainMessage(const std::string& text) override { shown.push_back({Kind::Plain, text}); }
    void errorDialog(const std::string& text) override { shown.push_back({Kind::Error, text}); }
    void defaultErrorDisplay(const std::string& text) override { shown.push_back({Kind::Default, text}); }
    void beep() override { shown.push_back({Kind::Beep, ""}); }
    std::optional<std::string> openFile(const platform::OpenFileRequest& request) override
    {
        lastOpenFileRequest = request;
        shown.push_back({Kind::OpenFile, request.filter});
        return openFileAnswer;
    }

    bool confirm(const std::string& text) override
    {
        shown.push_back({Kind::Confirm, text});
        return confirmAnswer;
    }

    std::vector<Shown> shown;
    std::optional<std::string> openFileAnswer; // what the file dialog answers
    bool confirmAnswer = false;                // what a question is answered
    platform::OpenFileRequest lastOpenFileRequest;
};

} // namespace testing_support
