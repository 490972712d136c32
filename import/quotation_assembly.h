#pragma once
// The line step: turns one line of the data file into quotation data. The line's
// fields become the line values; a change of prefix or number stores the quotation
// assembled so far and opens a new header; a line with a barcode adds a quotation
// line with its article's data from the database and its amounts.
#include <cstdint>
#include <string>

#include "database/dm.h"
#include "dataset/record_set.h"
#include "import/form_host.h"
#include "import/line_amounts.h"
#include "import/line_values.h"
#include "import/mapping.h"
#include "import/quotation_save.h"
#include "import/reader.h"

namespace importer {

class QuotationAssembly {
public:
    QuotationAssembly(FormHost& host, database::Tfdm& fdm, Mapping& mapping, dataset::RecordSet& CFacturas,
                      QuotationSave& save);

    // The start of a run: the values empty, no header inserted yet, lines numbered
    // from 1, no current quotation.
    void startRun();
    // One complete line of the file.
    void lineStep(const Slots& slots);

    // The hooks that fill a new header and a new line with their defaults.
    void CFacturasAfterInsert(dataset::RecordSet& DataSet);
    void CFactdetalleAfterInsert(dataset::RecordSet& DataSet);

    const LineValues& values() const { return values_; }
    std::int32_t NroIte() const { return NroIte_; }

private:
    void startQuotation();
    void addLine();

    FormHost& host_;
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
    std::string PreVie_;
    std::string NumVie_;
    std::int32_t NroIte_ = 0;
    bool PrimeraVez_ = true;
    LineAmountFields amounts_;
};

}  // namespace importer
