#pragma once
// The line step: turns one line of the data file into quotation data. The line's
// fields become the line values; a change of prefix or number stores the quotation
// assembled so far and opens a new header; a line with a barcode adds a quotation
// line with its article's data from the database and its amounts.
#include "database/dm.h"
#include "dataset/record_set.h"
#include "import/line_amounts.h"
#include "import/line_values.h"
#include "import/mapping.h"
#include "import/message_place.h"
#include "import/quotation_save.h"
#include "import/reader.h"
#include "import/rejected_lines.h"
#include "import/run_events.h"
#include "import/run_options.h"
#include "platform/dialogs.h"
#include "platform/slow_call_watch.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace importer {

class QuotationAssembly {
public:
    QuotationAssembly(platform::Dialogs& dialogs, RunEvents& events, database::Tfdm& fdm, Mapping& mapping,
                      dataset::RecordSet& CFacturas, QuotationSave& save);

    // The start of a run: the values empty, no header inserted yet, lines numbered
    // from 1, no current quotation. The user is stamped on every header.
    void startRun(const RunOptions& options = {}, const std::string& user = {});
    // What times each save (a write may wait for another user's lock); nothing
    // for none. The watch must outlive its use.
    void setSaveWatch(platform::SlowCallWatch* watch) { saveWatch_ = watch; }
    // One complete line of the file: its slots, its own fields and its number.
    void lineStep(const Slots& slots, int fieldCount = kMaxFields, std::int64_t line = 0);
    // After the file: the last quotation is stored (the final save), or dropped when
    // it is being passed over.
    void endRun();
    // Completes the steps of the lines read so far, for a run that ends early (a
    // stop, a file that fails): each line read has had its step by then.
    void stepReadLines();
    // After a file that handed no line to the step: nothing to store, and nothing
    // rejected.
    void endRunWithoutLines();
    // The lines handed to the step in this run.
    std::int64_t linesTaken() const { return linesTaken_; }

    // The hooks that fill a new header and a new line with their defaults.
    void CFacturasAfterInsert(dataset::RecordSet& DataSet);
    void CFactdetalleAfterInsert(dataset::RecordSet& DataSet);

    const LineValues& values() const { return values_; }
    // Where the run's messages belong: the line being read, or the quotation being
    // stored.
    const MessagePlace& place() const { return place_; }
    // The last line taken in, as the line display shows it.
    const std::string& lineShown() const { return lineShown_; }
    const RejectedLines& rejectedLines() const { return rejected_; }

private:
    // The steps of the current quotation's lines wait for its end, so that their
    // article look-ups are read in one exchange with the database; then each line
    // has its step as it would have had it when it was read.
    struct ReadLine {
        LineValues values;
        std::string shown; // as the line display shows it
        std::int64_t line = 0;
        bool first = false; // its quotation's first line, whose header is in place
    };
    void stepLine(const ReadLine& read);
    void beginQuotation();
    void endQuotation(bool last);
    // Lines before the run's first prefix and number belong to no quotation: they
    // are a group of their own, whose failure is reported at its first line.
    void beginOrphans(std::int64_t line, const Slots& slots, int fieldCount);
    void endOrphans();
    void startQuotation();
    void addLine();
    // Runs a step of the current quotation. Under a check a problem that would stop
    // an import is reported, the quotation dropped and passed over, and false given.
    template <class Work> bool attempt(Work work);
    // Prefix and number as the header's fields hold them, cut to their widths.
    std::pair<std::string, std::string> storedKey();

    platform::Dialogs& dialogs_;
    RunEvents& events_;
    database::Tfdm& fdm_;
    Mapping& mapping_;
    dataset::RecordSet& CFacturas_;
    dataset::RecordSet& CFactdetalle_;
    QuotationSave& save_;

    // The line fields that every line assigns, and the header's tax flag that every
    // line reads, found once: a lookup by name walks the field list.
    dataset::Field CTDE_CODBAR_, ARTI_COD_, CTDE_DESC_, CTDE_UNIDAD_, LIPR_COD_, CTDE_REFERENCIA_, CTDE_ITEM_,
        CTDE_ANULADO_, CTDE_TRANSMIT_, COTI_IMPTOS_;

    LineValues values_;
    std::string lineShown_;
    // The values after the last line read, and the lines read whose step waits.
    LineValues ahead_;
    std::vector<ReadLine> waiting_;
    std::string PreVie_;
    std::string NumVie_;
    std::int32_t NroIte_ = 0;
    bool PrimeraVez_ = true;
    bool orphans_ = false; // the lines read belong to no quotation yet
    std::int64_t linesTaken_ = 0;
    platform::SlowCallWatch* saveWatch_ = nullptr;
    LineAmountFields amounts_;

    RunOptions options_;
    std::string user_; // COTI_USUARIO, in the suite's code page
    MessagePlace place_;
    MessagePlace quotationPlace_; // the current quotation's first line
    RejectedLines rejected_;
    // The rest of the current quotation is passed over: it is stored already, or a
    // check found a problem in it (problem_).
    bool passingOver_ = false;
    bool problem_ = false;
    std::pair<std::string, std::string> key_;
    // The quotations a check found storable: an import would have stored them, so a
    // later one with the same prefix and number counts as stored already.
    std::set<std::pair<std::string, std::string>> storedInCheck_;
};

} // namespace importer
