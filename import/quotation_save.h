#pragma once
// Storing one finished quotation: a new identifier, the totals from the sums of its
// lines, the post, and the provider writing header and lines in one transaction. A
// quotation that the database refuses is reported by the provider's hook, left out
// entirely, and the run goes on.
#include "database/dm.h"
#include "database/provider.h"
#include "dataset/record_set.h"

#include <cstdint>
#include <string>

namespace importer {

// What the saves of a run have done, for the batch mode's summary.
struct SaveTally {
    int stored = 0;  // under a check: would be stored
    int refused = 0; // refused by the database
    std::int64_t linesStored = 0;
    std::string lastStored; // prefix and number of the last quotation stored
    int problems = 0;       // under a check: a problem that would stop an import
    int skipped = 0;        // already stored, passed over
};

class QuotationSave {
public:
    QuotationSave(database::Tfdm& fdm, dataset::RecordSet& CFacturas, database::Provider& PFacturas);

    // Between two quotations: drops a line still pending, stores the header and its
    // lines, and empties the header record set again. True when the
    // quotation was stored.
    bool boundary();
    // After the file: stores the last quotation (a header with its defaults when the
    // file gave none) and closes the header record set.
    bool final();
    // Drops the quotation being assembled (a check passes over one with a problem)
    // and reads the header record set anew, empty.
    void abandon();

    SaveTally& tally() { return tally_; }

private:
    bool store();

    database::Tfdm& fdm_;
    dataset::RecordSet& CFacturas_;
    dataset::RecordSet& CFactdetalle_;
    // The lines' sums, which become the header's VAT and total.
    dataset::SumField CFactdetalleSumIva_, CFactdetalleSumTotal_;
    database::Provider& PFacturas_;
    SaveTally tally_;
};

// The parameter with which the header record set is read: the quotations whose
// COTI_ID is 0, none in normal use.
inline const std::string kHeaderReadId = "0";

} // namespace importer
