#include "import/quotation_save.h"

namespace importer {

QuotationSave::QuotationSave(database::Tfdm& fdm, dataset::RecordSet& CFacturas,
                             database::Provider& PFacturas)
    : fdm_(fdm), CFacturas_(CFacturas), CFactdetalle_(*CFacturas.detail()),
      CFactdetalleSumIva_(CFactdetalle_.sumField("SumIva")),
      CFactdetalleSumTotal_(CFactdetalle_.sumField("SumTotal")), PFacturas_(PFacturas)
{
}

bool QuotationSave::boundary()
{
    CFactdetalle_.cancel();
    const bool stored = store();
    CFacturas_.requireNoPendingUpdates();
    // Read anew, the set would hold the quotations whose COTI_ID is 0, and the
    // identifiers come from a generator that starts above it: emptied, it is the
    // same without a round trip to the database per quotation.
    PFacturas_.openEmpty(CFacturas_);
    return stored;
}

bool QuotationSave::final()
{
    const bool stored = store();
    CFacturas_.close();
    return stored;
}

void QuotationSave::abandon()
{
    fdm_.endRehearsal();
    CFactdetalle_.cancel();
    CFacturas_.cancelUpdates();
    PFacturas_.open(CFacturas_, {kHeaderReadId});
}

bool QuotationSave::store()
{
    CFacturas_.edit();
    dataset::Field id = CFacturas_.field("COTI_ID");
    // By blocks the identifier is drawn by the block that writes the quotation; it
    // is drawn here instead when the quotation does not reach it.
    const bool byBlocks = id.asInteger() == 0 && fdm_.worksInBlocks() && fdm_.rehearsal() == nullptr;
    if (id.asInteger() == 0 && !byBlocks)
        id.setAsString(fdm_.SCambieidcot());
    try {
        CFacturas_.field("COTI_IVAMONTO").setAsString(CFactdetalleSumIva_.asString());
        CFacturas_.field("COTI_TOTAL").setAsString(CFactdetalleSumTotal_.asString());
        CFacturas_.post();
    } catch (...) {
        if (byBlocks)
            id.setAsString(fdm_.SCambieidcot());
        throw;
    }

    const std::string quotation =
        CFacturas_.field("PREF_PRE").asString() + CFacturas_.field("COTI_NUMERO").asString();
    const auto lines = static_cast<std::int64_t>(CFactdetalle_.recordCount());
    if (byBlocks) {
        using Outcome = database::Provider::BlockWrite::Outcome;
        const auto written = fdm_.writeInBlocks(PFacturas_, CFacturas_);
        if (written.outcome == Outcome::Stored) {
            ++tally_.stored;
            tally_.linesStored += lines;
            tally_.lastStored = quotation;
            return true;
        }
        // Written again the plain way, so that a refusal reaches the provider's
        // hook with the text of the single statement.
        CFacturas_.edit();
        if (written.outcome == Outcome::Refused)
            id.setValue(written.id);
        else
            id.setAsString(fdm_.SCambieidcot());
        CFacturas_.post();
    }
    // Under a check the rows stay in the check's transaction, to be met by the
    // quotations after it; a refusal's work is rolled back.
    const int errors = PFacturas_.applyUpdates(CFacturas_, 0, fdm_.rehearsal());
    fdm_.endRehearsal(errors > 0 ? database::Tfdm::RehearsalEnd::Undo : database::Tfdm::RehearsalEnd::Keep);
    if (errors > 0) {
        CFacturas_.cancelUpdates();
        ++tally_.refused;
        return false;
    }
    ++tally_.stored;
    tally_.linesStored += lines;
    tally_.lastStored = quotation;
    return true;
}

} // namespace importer
