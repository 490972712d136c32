#pragma once
// Which lines of the data file a run did not store: the lines of every quotation
// the database refused or a check found a problem in, and, when the run stopped,
// the quotation it stopped in and everything after it. Written out as a file of
// the same format, fixing it and importing it completes the import.
#include "import/reader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace importer {

class RejectedLines {
public:
    struct Line {
        std::int64_t number = 0;
        // The fields of a quotation's first line with the values it took from
        // earlier lines written in; nothing when the line is copied as it stands.
        std::optional<std::vector<std::string>> filledFields;
    };

    // A run starts: nothing kept; enabled says whether anything is kept at all.
    void start(bool enabled);
    bool enabled() const { return enabled_; }

    // A line handed to the line step. The first line of a quotation gives its
    // fields with the carried values written in, when it took any.
    void quotationStarts(std::int64_t line, std::optional<std::vector<std::string>> filledFields);
    void lineOfQuotation(std::int64_t line);
    // The open quotation is over: stored or passed over (false), or not stored (true).
    void quotationEnds(bool rejected);
    // The run read the whole file and every quotation ended.
    void runFinished() { finished_ = true; }

    // The kept lines in file order, the open quotation's included when the run did
    // not finish.
    std::vector<Line> lines() const;
    // Every line from this one on is rejected (a stopped run: the file beyond the
    // point where it stopped); nothing when the run finished.
    std::optional<std::int64_t> restFrom() const;

private:
    bool enabled_ = false;
    bool finished_ = false;
    std::vector<Line> rejected_;
    std::vector<Line> open_;
    std::int64_t lastLine_ = 0;
};

struct RejectsFileRequest {
    std::string rejectsPath;
    std::string dataPath;
    ReaderOptions options;
    std::int64_t skipLines = 0;
};

// Writes the rejected lines to a temporary file beside rejectsPath and renames it
// into place: the file is there whole or not at all, empty when nothing was
// rejected. Lines are copied byte for byte with their line ends, but for the filled
// first lines. Gives the message of a failure, nothing on success.
std::optional<std::string> writeRejectsFile(const RejectsFileRequest& request, const RejectedLines& rejected);

} // namespace importer
