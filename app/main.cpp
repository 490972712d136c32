// Start-up: the window, or one of the modes that need no display.
#include "app/gui_main.h"
#include "console/batch.h"
#include "console/command_line.h"
#include "console/preview.h"
#include "console/process_console.h"
#include "import/reader.h"
#include "platform/regional_settings.h"

#include <clocale>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    platform::reloadRegionalSettings();

    const std::string program = "importarcot";
    const console::ParsedCommandLine parsed =
        console::parseCommandLine(console::programArguments(argc, argv));
    if (!parsed.commandLine || parsed.commandLine->mode != console::Mode::Window)
        console::attachToConsole();
    if (!parsed.commandLine) {
        std::cerr << program << ": " << parsed.error << "\n" << console::usageText(program);
        return console::kBatchUsage;
    }
    const console::CommandLine& line = *parsed.commandLine;
    switch (line.mode) {
    case console::Mode::Window:
        return runWindow(argc > 0 ? argv[0] : program.c_str(), line.file);
    case console::Mode::Preview:
        return console::runPreview(line.previewFile,
                                   {importer::separatorForItem(line.separatorItem),
                                    importer::delimiterForItem(line.delimiterItem), line.encodingItem == 1},
                                   std::cout, std::cerr, line.skipLines);
    case console::Mode::Batch:
        return console::runBatch(line, std::cout, std::cerr, console::terminalWidth(fileno(stderr)));
    case console::Mode::Help:
        std::cout << console::usageText(program);
        return 0;
    case console::Mode::Version:
        std::cout << console::versionText() << "\n";
        return 0;
    }
    return 0;
}
