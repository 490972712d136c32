#include "import/run_summary.h"

#include "import/quotation_save.h"
#include "platform/text_codec.h"

namespace importer {

std::string summaryLine(const SaveTally& tally, bool check, bool skipExisting)
{
    const std::string last =
        tally.lastStored.empty() ? "ninguna" : platform::systemTextToUtf8(tally.lastStored);
    std::string line = check ? "Cotizaciones que se grabarían: " + std::to_string(tally.stored) +
                                   ", con problemas: " + std::to_string(tally.refused + tally.problems) +
                                   ", líneas que se grabarían: " + std::to_string(tally.linesStored) +
                                   ", última que se grabaría: " + last
                             : "Cotizaciones grabadas: " + std::to_string(tally.stored) +
                                   ", rechazadas: " + std::to_string(tally.refused) +
                                   ", líneas grabadas: " + std::to_string(tally.linesStored) +
                                   ", última grabada: " + last;
    if (skipExisting)
        line += ", omitidas: " + std::to_string(tally.skipped);
    return line;
}

} // namespace importer
