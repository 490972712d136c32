#include "import/quotation_save.h"

namespace importer {

QuotationSave::QuotationSave(database::Tfdm& fdm, dataset::RecordSet& CFacturas, database::Provider& PFacturas)
    : fdm_(fdm), CFacturas_(CFacturas), CFactdetalle_(*CFacturas.detail()),
      CFactdetalleSumIva_(CFactdetalle_.sumField("SumIva")), CFactdetalleSumTotal_(CFactdetalle_.sumField("SumTotal")),
      PFacturas_(PFacturas)
{
}

bool QuotationSave::boundary()
{
    CFactdetalle_.cancel();
    const bool stored = store();
    CFacturas_.requireNoPendingUpdates();
    PFacturas_.open(CFacturas_, {kHeaderReadId});
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
    if (id.asInteger() == 0)
        id.setAsString(fdm_.SCambieidcot());
    CFacturas_.field("COTI_IVAMONTO").setAsString(CFactdetalleSumIva_.asString());
    CFacturas_.field("COTI_TOTAL").setAsString(CFactdetalleSumTotal_.asString());
    CFacturas_.post();

    const std::string quotation = CFacturas_.field("PREF_PRE").asString() + CFacturas_.field("COTI_NUMERO").asString();
    const auto lines = static_cast<std::int64_t>(CFactdetalle_.recordCount());
    // Under a check the quotation's work is rolled back whatever the outcome.
    const int errors = PFacturas_.applyUpdates(CFacturas_, 0, fdm_.rehearsal());
    fdm_.endRehearsal();
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

}  // namespace importer
