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
    enum class Kind { Plain, Error, Default, Beep, OpenFile, Confirm, Question };
    struct Shown {
        Kind kind;
        std::string text;
        bool operator==(const Shown&) const = default;
        friend void PrintTo(const Shown& shown, std::ostream* out)
        {
            static const char* const kNames[] = {"plain",     "error",   "default", "beep",
                                                 "open-file", "confirm", "question"};
            *out << kNames[static_cast<int>(shown.kind)] << ": \"" << shown.text << "\"";
        }
    };

    void plainMessage(const std::string& text) override { shown.push_back({Kind::Plain, text}); }
    void errorDialog(const std::string& text) override { shown.push_back({Kind::Error, text}); }
    // The same boxes with their second texts, which are kept apart: the place under
    // an error, the details of a plain message.
    void errorDialogWithPlace(const std::string& text, const std::string& place) override
    {
        errorDialog(text);
        places.push_back(place);
    }
    void plainMessageWithDetails(const std::string& text, const std::string& details) override
    {
        plainMessage(text);
        this->details.push_back(details);
    }
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
    bool question(const std::string& text) override
    {
        shown.push_back({Kind::Question, text});
        return questionAnswer;
    }

    std::vector<Shown> shown;
    std::optional<std::string> openFileAnswer; // what the file dialog answers
    bool confirmAnswer = false;                // what a confirmation is answered
    bool questionAnswer = false;               // what a question is answered
    std::vector<std::string> places;           // under the error boxes that had one
    std::vector<std::string> details;          // of the plain messages that had them
    platform::OpenFileRequest lastOpenFileRequest;
};

} // namespace testing_support
