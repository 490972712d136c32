#include "console/console_host.h"

#include "import/data_file.h"
#include "import/message_place.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <cstdio>

namespace console {
namespace {

// A terminal draws at most this often while a file is read; a file of many short
// lines would otherwise spend its time writing to the screen.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// One line of text: a line end (CR, LF or both) and any other control character
// become one blank.
std::string oneLine(const std::string& text)
{
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        line += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
    }
    return line;
}

// The first characters (code points, not bytes) of a UTF-8 text, and how many.
std::pair<std::string, std::size_t> firstCharacters(const std::string& text, std::size_t count)
{
    std::size_t characters = 0;
    std::size_t end = 0;
    while (end < text.size()) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) {
            if (characters == count)
                break;
            ++characters;
        }
        ++end;
    }
    return {text.substr(0, end), characters};
}

// "Importando  42 %", the start of every progress line.
std::string importingPercent(int percent)
{
    char text[16];
    std::snprintf(text, sizeof text, "%3d", std::max(percent, 0));
    return std::string("Importando ") + text + " %";
}

} // namespace

ConsoleLines::ConsoleLines(std::ostream& err, int progressWidth)
    : err_(err), width_(std::max(progressWidth, 0))
{
}

void ConsoleLines::message(const std::string& text)
{
    const std::lock_guard lock(mutex_);
    erase();
    // Texts from the database or the data file may come in the suite's code page.
    err_ << oneLine(platform::systemTextToUtf8(text)) << '\n' << std::flush;
}

void ConsoleLines::progress(const std::string& text)
{
    if (width_ <= 0)
        return;
    const std::lock_guard lock(mutex_);
    // The last column stays free: writing into it makes some terminals wrap, and a
    // wrapped line can no longer be rewritten with "\r".
    const auto [shown, characters] = firstCharacters(oneLine(text), static_cast<std::size_t>(width_ - 1));
    err_ << '\r' << shown;
    if (characters < shownWidth_)
        err_ << std::string(shownWidth_ - characters, ' ');
    err_ << std::flush;
    shownWidth_ = std::max<std::size_t>(characters, 1);
}

void ConsoleLines::endProgress()
{
    const std::lock_guard lock(mutex_);
    erase();
}

void ConsoleLines::erase()
{
    if (shownWidth_ == 0)
        return;
    err_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
    shownWidth_ = 0;
}

std::string ConsoleDialogs::placed(const std::string& text) const
{
    return importer::placedMessage(place_ != nullptr ? importer::placeText(*place_) : std::string(), text);
}

void ConsoleDialogs::plainMessage(const std::string& text)
{
    lines_.message(placed(text));
}

void ConsoleDialogs::errorDialog(const std::string& text)
{
    lines_.message("Error: " + placed(text));
}

void ConsoleDialogs::defaultErrorDisplay(const std::string& text)
{
    lines_.message("Error: " + placed(text));
}

ConsoleHost::ConsoleHost(std::ostream& err, int progressWidth) : lines_(err, progressWidth), dialogs_(lines_)
{
}

ConsoleHost::~ConsoleHost()
{
    lines_.endProgress();
}

void ConsoleHost::runStarted(const importer::RunStart& start)
{
    fileSize_ = start.size;
    stored_ = 0;
    percent_ = -1;
    line_.clear();
    lastDraw_ = {};
}

void ConsoleHost::lineRead(const importer::LineRead& line)
{
    line_ = line.shown;
    // The percentage moves as the window's progress bar does: by whole steps.
    const int percent = progressPercent(line.bytesRead / importer::progressStepSize(fileSize_), fileSize_);
    const bool changed = percent != percent_;
    percent_ = percent;
    drawProgress(changed);
}

void ConsoleHost::quotationEnded(const importer::QuotationEnd& end)
{
    if (end.outcome == importer::QuotationOutcome::Stored)
        ++stored_;
}

void ConsoleHost::runEnded(importer::RunEnd end)
{
    lastRunEnd_ = end;
    lines_.endProgress();
}

void ConsoleHost::drawProgress(bool force)
{
    if (!lines_.progressEnabled())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < kRedrawInterval)
        return;
    lastDraw_ = now;
    std::string text = importingPercent(percent_) + " | grabadas: " + std::to_string(stored_);
    if (!line_.empty())
        text += " | " + line_;
    lines_.progress(text);
}

void ConsoleHost::lockWaiting(const importer::LockWait& wait)
{
    // The run's thread is held in the database meanwhile: nothing else draws.
    lines_.progress(importingPercent(percent_) + " | esperando a que otro usuario libere los datos: " +
                    std::to_string(wait.waited.count()) + " s de " + std::to_string(wait.timeout));
}

int progressPercent(std::int64_t steps, std::int64_t fileSize)
{
    if (fileSize <= 0 || steps <= 0)
        return 0;
    const std::int64_t bytes = steps * importer::progressStepSize(fileSize);
    return static_cast<int>(std::min<std::int64_t>(100, bytes * 100 / fileSize));
}

} // namespace console
