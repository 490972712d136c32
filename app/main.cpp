// Start-up: the window, or one of the modes that need no display.
#include "app/batch.h"
#include "app/command_line.h"
#include "app/console.h"
#include "app/gui_main.h"
#include "app/preview.h"
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
    const app::ParsedCommandLine parsed = app::parseCommandLine(app::programArguments(argc, argv));
    if (!parsed.commandLine || parsed.commandLine->mode != app::Mode::Window)
        app::attachToConsole();
    if (!parsed.commandLine) {
        std::cerr << program << ": " << parsed.error << "\n" << app::usageText(program);
        return app::kBatchUsage;
    }
    const app::CommandLine& line = *parsed.commandLine;
    switch (line.mode) {
    case app::Mode::Window:
        return runWindow(argc > 0 ? argv[0] : program.c_str(), line.file);
    case app::Mode::Preview:
        return app::runPreview(line.previewFile,
                               {importer::separatorForItem(line.separatorItem),
                                importer::delimiterForItem(line.delimiterItem), line.encodingItem == 1},
                               std::cout, std::cerr, line.skipLines);
    case app::Mode::Batch:
        return app::runBatch(line, std::cout, std::cerr, app::terminalWidth(fileno(stderr)));
    case app::Mode::Help:
        std::cout << app::usageText(program);
        return 0;
    case app::Mode::Version:
        std::cout << app::versionText() << "\n";
        return 0;
    }
    return 0;
}
