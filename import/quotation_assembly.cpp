#include "import/quotation_assembly.h"

#include "import/fdm_services.h"
#include "platform/errors.h"
#include "platform/text_codec.h"

namespace importer {
namespace {

// Assigns the text only when it is not empty ("when not empty" in the rules of the
// header and line fields).
void assignWhenNotEmpty(dataset::Field field, const std::string& text)
{
    if (!text.empty())
        field.setAsString(text);
}

} // namespace

QuotationAssembly::QuotationAssembly(platform::Dialogs& dialogs, RunEvents& events, database::Tfdm& fdm,
                                     Mapping& mapping, dataset::RecordSet& CFacturas, QuotationSave& save)
    : dialogs_(dialogs), events_(events), fdm_(fdm), mapping_(mapping), CFacturas_(CFacturas),
      CFactdetalle_(*CFacturas.detail()), save_(save)
{
    CFacturas_.afterInsert = [this](dataset::RecordSet& set) { CFacturasAfterInsert(set); };
    CFactdetalle_.afterInsert = [this](dataset::RecordSet& set) { CFactdetalleAfterInsert(set); };
    auto& d = CFactdetalle_;
    amounts_ = {d.field("CTDE_CANT"),     d.field("CTDE_PRUNIT"),  d.field("CTDE_DTOPORC"),
                d.field("CTDE_DTOMONTO"), d.field("CTDE_IVAPORC"), d.field("CTDE_IVAMONTO"),
                d.field("CTDE_CONSUMO"),  d.field("CTDE_FACTOR"),  d.field("CTDE_TOTAL")};
    CTDE_CODBAR_ = d.field("CTDE_CODBAR");
    ARTI_COD_ = d.field("ARTI_COD");
    CTDE_DESC_ = d.field("CTDE_DESC");
    CTDE_UNIDAD_ = d.field("CTDE_UNIDAD");
    LIPR_COD_ = d.field("LIPR_COD");
    CTDE_REFERENCIA_ = d.field("CTDE_REFERENCIA");
    CTDE_ITEM_ = d.field("CTDE_ITEM");
    CTDE_ANULADO_ = d.field("CTDE_ANULADO");
    CTDE_TRANSMIT_ = d.field("CTDE_TRANSMIT");
    COTI_IMPTOS_ = CFacturas_.field("COTI_IMPTOS");
}

void QuotationAssembly::startRun(const RunOptions& options, const std::string& user)
{
    user_ = platform::utf8ToCp1252(user);
    orphans_ = false;
    linesTaken_ = 0;
    values_ = LineValues{};
    ahead_ = LineValues{};
    waiting_.clear();
    PreVie_.clear();
    NumVie_.clear();
    NroIte_ = 0;
    PrimeraVez_ = true;
    options_ = options;
    place_ = {};
    quotationPlace_ = {};
    rejected_.start(options.keepRejected);
    passingOver_ = false;
    problem_ = false;
    storedInCheck_.clear();
}

void QuotationAssembly::CFacturasAfterInsert(dataset::RecordSet& DataSet)
{
    DataSet.field("COTI_ID").setAsInteger(0);
    DataSet.field("TIDO_COD").setAsInteger(35);
    DataSet.field("COTI_FECHA").setAsDate(dataset::today());
    DataSet.field("COTI_VALIDEZ")
        .setAsString(configuracion(fdm_, dialogs_, "FACTURACION", "COTIZACIONES", "DIAS DE VALIDEZ"));
    DataSet.field("COTI_ANULADO").setAsString("N");
    DataSet.field("COTI_TRANSMIT").setAsString("N");
    DataSet.field("COTI_DTOPORC").setAsMoney(0);
    DataSet.field("COTI_DTOMONTO").setAsMoney(0);
    DataSet.field("COTI_ADICIONAL").setAsMoney(0);
    DataSet.field("COTI_EXTRA").setAsMoney(0);
    DataSet.field("NUMOK").setAsString("N");
    DataSet.field("COTI_SUCURSAL").setAsString("");
    DataSet.field("COTI_USUARIO").setAsString(user_);
}

void QuotationAssembly::CFactdetalleAfterInsert(dataset::RecordSet&)
{
    // Installed on CFactdetalle only, whose fields the handles hold.
    ++NroIte_;
    CTDE_ITEM_.setAsInteger(NroIte_);
    CTDE_ANULADO_.setAsString("N");
    CTDE_TRANSMIT_.setAsString("N");
    amounts_.CTDE_CANT.setAsString("0");
    amounts_.CTDE_PRUNIT.setAsString("0");
    amounts_.CTDE_IVAPORC.setAsString("0");
    amounts_.CTDE_DTOPORC.setAsString("0");
    amounts_.CTDE_CONSUMO.setAsString("0");
}

void QuotationAssembly::lineStep(const Slots& slots, int fieldCount, std::int64_t line)
{
    ++linesTaken_;
    mapping_.takeValues(slots, ahead_);
    // What the line shows is known when it is read, though its step may wait.
    lineShown_ = platform::cp1252ToUtf8(ahead_.EPref + ahead_.ENum + " - " + ahead_.DArt);
    if (ahead_.EPref == PreVie_ && ahead_.ENum == NumVie_) {
        if (PrimeraVez_ && !orphans_)
            beginOrphans(line, slots, fieldCount);
        else
            waiting_.push_back({ahead_, lineShown_, line, false});
        return;
    }
    // A new quotation: the lines of the one before have their steps first, and its
    // save comes where this line's step puts it.
    stepReadLines();
    values_ = ahead_;
    events_.lineDisplayed(lineShown_);
    if (!PrimeraVez_)
        endQuotation(false);
    else if (orphans_)
        endOrphans();
    rejected_.quotationStarts(line, rejected_.enabled() ? mapping_.filledFields(slots, fieldCount, values_)
                                                        : std::nullopt);
    quotationPlace_ = {line, values_.EPref, values_.ENum};
    place_ = quotationPlace_;
    beginQuotation();
    waiting_.push_back({values_, lineShown_, line, true});
}

void QuotationAssembly::stepReadLines()
{
    if (waiting_.empty())
        return;
    if (!passingOver_) {
        std::vector<database::Tfdm::ArticleKey> keys;
        for (const ReadLine& read : waiting_)
            if (!read.values.DArt.empty())
                keys.push_back({dataset::cutToWidth(read.values.DArt, CTDE_CODBAR_.def()),
                                dataset::cutToWidth(read.values.DUni, CTDE_UNIDAD_.def())});
        fdm_.prefetchArticles(keys);
    }
    // Taken first: a step that fails leaves no line to step through again.
    const std::vector<ReadLine> lines = std::move(waiting_);
    waiting_.clear();
    for (const ReadLine& read : lines)
        stepLine(read);
}

void QuotationAssembly::stepLine(const ReadLine& read)
{
    values_ = read.values;
    if (!read.first) {
        events_.lineDisplayed(read.shown);
        rejected_.lineOfQuotation(read.line);
    }
    place_ = {read.line, values_.EPref, values_.ENum};
    if (!passingOver_ && !values_.DArt.empty())
        attempt([this] { addLine(); });
}

void QuotationAssembly::beginOrphans(std::int64_t line, const Slots& slots, int fieldCount)
{
    orphans_ = true;
    passingOver_ = false;
    problem_ = false;
    values_ = ahead_;
    events_.lineDisplayed(lineShown_);
    rejected_.quotationStarts(line, rejected_.enabled() ? mapping_.filledFields(slots, fieldCount, values_)
                                                        : std::nullopt);
    quotationPlace_ = {line, values_.EPref, values_.ENum};
    place_ = quotationPlace_;
    waiting_.push_back({values_, lineShown_, line, true});
}

void QuotationAssembly::endOrphans()
{
    orphans_ = false;
    place_ = quotationPlace_;
    // A line with a barcode went in under a header of defaults alone, which the
    // next quotation's header would post: posted here, its failure names the
    // lines that lack the values, and the quotation after them starts clean.
    bool rejected = problem_;
    if (!passingOver_ && CFacturas_.active() && CFacturas_.state() == dataset::State::Insert) {
        if (attempt([this] { CFacturas_.post(); })) {
            // A header that passes is a quotation like any other.
            PrimeraVez_ = false;
            endQuotation(false);
            return;
        }
        rejected = true;
    }
    rejected_.quotationEnds(rejected);
    if (rejected)
        events_.quotationEnded({QuotationOutcome::Refused, quotationPlace_});
}

void QuotationAssembly::endRunWithoutLines()
{
    if (CFacturas_.active())
        CFacturas_.close();
    rejected_.runFinished();
    place_ = {};
}

void QuotationAssembly::endRun()
{
    stepReadLines();
    place_ = quotationPlace_;
    endQuotation(true);
    rejected_.runFinished();
    place_ = {};
}

template <class Work> bool QuotationAssembly::attempt(Work work)
{
    if (!options_.check) {
        work();
        return true;
    }
    try {
        work();
        return true;
    } catch (const platform::SilentAbort&) {
        // A hook has shown what went wrong.
    } catch (const platform::ConversionError& error) {
        dialogs_.defaultErrorDisplay(platform::withFullStop(error.what()));
    } catch (const platform::FloatingPointError& error) {
        dialogs_.defaultErrorDisplay(platform::withFullStop(error.what()));
    } catch (const platform::DatabaseError& error) {
        // A value that does not convert into an integer field says so as the
        // database layer does; a failing database is no problem of this quotation.
        if (error.kind() == platform::DatabaseError::Kind::Environment)
            throw;
        dialogs_.defaultErrorDisplay(platform::withFullStop(error.what()));
    }
    save_.abandon();
    ++save_.tally().problems;
    passingOver_ = true;
    problem_ = true;
    return false;
}

void QuotationAssembly::beginQuotation()
{
    passingOver_ = false;
    problem_ = false;
    if (options_.skipExisting)
        key_ = storedKey();
    if (options_.skipExisting &&
        (storedInCheck_.count(key_) > 0 || fdm_.cotizacion_grabada(key_.first, key_.second))) {
        dialogs_.plainMessage("ya está grabada, se omite.");
        ++save_.tally().skipped;
        passingOver_ = true;
    } else {
        attempt([this] { startQuotation(); });
    }
    // Its further lines belong to it whatever became of it.
    PreVie_ = values_.EPref;
    NumVie_ = values_.ENum;
    PrimeraVez_ = false;
}

void QuotationAssembly::endQuotation(bool last)
{
    place_ = quotationPlace_;
    bool rejected = problem_;
    const bool skipped = passingOver_ && !problem_;
    if (passingOver_) {
        if (last && CFacturas_.active())
            CFacturas_.close();
    } else {
        bool stored = false;
        attempt([&] {
            const platform::SlowCallWatch::During timed(saveWatch_);
            stored = last ? save_.final() : save_.boundary();
        });
        if (last && CFacturas_.active())
            CFacturas_.close();
        rejected = !stored;
        if (stored && options_.check && options_.skipExisting)
            storedInCheck_.insert(key_);
    }
    rejected_.quotationEnds(rejected);
    events_.quotationEnded({skipped    ? QuotationOutcome::Skipped
                            : rejected ? QuotationOutcome::Refused
                                       : QuotationOutcome::Stored,
                            quotationPlace_});
}

std::pair<std::string, std::string> QuotationAssembly::storedKey()
{
    return {dataset::cutToWidth(values_.EPref, CFacturas_.field("PREF_PRE").def()),
            dataset::cutToWidth(values_.ENum, CFacturas_.field("COTI_NUMERO").def())};
}

void QuotationAssembly::startQuotation()
{
    CFacturas_.insert();
    const LineValues& v = values_;
    auto field = [this](const char* name) { return CFacturas_.field(name); };
    field("PREF_PRE").setAsString(v.EPref);
    field("COTI_NUMERO").setAsString(v.ENum);
    field("COTI_FECHA").setAsString(v.EFec);
    assignWhenNotEmpty(field("COTI_VALIDEZ"), v.EVali);
    field("PTVT_ID").setAsString(v.EPtov);
    field("VEND_COD").setAsString(v.EVend);
    field("TERC_NIT").setAsString(v.ENit);
    field("COTI_NOMTERC").setAsString(v.ENomc);
    field("COTI_SUCURSAL").setAsString(v.ESuc.empty() ? std::string("01") : v.ESuc);
    assignWhenNotEmpty(field("COTI_DTOMONTO"), v.EDtom);
    assignWhenNotEmpty(field("COTI_ADICIONAL"), v.EAdic);
    field("COTI_IVAMONTO").setAsString(CFactdetalle_.sumField("SumIva").asString());
    assignWhenNotEmpty(field("COTI_EXTRA"), v.EExtra);
    field("COTI_ORDENC").setAsString(v.EOrd);
    assignWhenNotEmpty(field("COTI_IMPTOS"), v.EIvai);
    CFacturas_.post();
}

void QuotationAssembly::addLine()
{
    const LineValues& v = values_;
    dataset::RecordSet& line = CFactdetalle_;
    line.insert();
    dataset::Field codbar = CTDE_CODBAR_;
    dataset::Field artiCod = ARTI_COD_;
    dataset::Field desc = CTDE_DESC_;
    dataset::Field unidad = CTDE_UNIDAD_;
    codbar.setAsString(v.DArt);
    const bool articleFound = valide_articulo(fdm_, dialogs_, codbar.asString(), artiCod, desc, unidad);
    assignWhenNotEmpty(desc, v.DDesc);
    fdm_.imptos_articulo(artiCod.asString(), amounts_.CTDE_IVAPORC, amounts_.CTDE_CONSUMO);
    amounts_.CTDE_CANT.setAsString(v.DCant);
    assignWhenNotEmpty(unidad, v.DUni);
    assignWhenNotEmpty(LIPR_COD_, v.Dlis);
    amounts_.CTDE_FACTOR.setAsMoney(fdm_.factor_unidad(artiCod.asString(), unidad.asString()));
    assignConsumption(amounts_);
    assignWhenNotEmpty(CTDE_REFERENCIA_, v.DRef);
    amounts_.CTDE_PRUNIT.setAsString(v.DPruni);
    amounts_.CTDE_DTOPORC.setAsString(v.DDtop.empty() ? std::string("0") : v.DDtop);
    if (!v.DDtom.empty())
        amounts_.CTDE_DTOMONTO.setAsString(v.DDtom);
    else
        assignDiscountAmount(amounts_);
    assignWhenNotEmpty(amounts_.CTDE_IVAPORC, v.DIvap);
    const Money subtotal = subtotalOf(amounts_);
    assignVatAndTotal(amounts_, subtotal, COTI_IMPTOS_.asString());
    if (!articleFound) {
        // The line is still worked out to its amounts, whose own failures come
        // first; then the post refuses it on its empty ARTI_COD with the required
        // message, after the article's own: that is what stops the run (under a
        // check, the quotation).
        line.post();
        throw platform::SilentAbort(); // ARTI_COD is required: the post has raised
    }
    line.post();
}

} // namespace importer
