#pragma once
// The figures of a run in one line, worded alike by both front ends: the batch mode
// prints it at the end, the window lists it with the refusals of its closing box.
#include <string>

namespace importer {

struct SaveTally;

// "Cotizaciones grabadas: 10, rechazadas: 0, líneas grabadas: 30, última grabada: COT1010",
// with ", omitidas: N" when quotations already stored are passed over. A check
// says what would be stored and how many quotations have problems (refusals
// included): "Cotizaciones que se grabarían: 9, con problemas: 1, líneas que se
// grabarían: 27, última que se grabaría: COT1010".
std::string summaryLine(const SaveTally& tally, bool check = false, bool skipExisting = false);

} // namespace importer
