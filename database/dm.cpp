#include "database/dm.h"

#include <algorithm>

#include "database/queries.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "dataset/declarations.h"
#include "platform/text_codec.h"

namespace database {
namespace {

// The stored parameter list. Database, User_Name and Password hold fixed defaults
// until the first connect; they are used only when the database is reached before it.
std::vector<std::string> storedParameters()
{
    return {"BlobSize=-1",
            "CommitRetain=False",
            "Database=/var/lib/merkalo/datos/01/merkalo.fdb",
            "DriverName=Interbase",
            "ErrorResourceFile=",
            "LocaleCode=0000",
            "Password=masterkey",
            "RoleName=RoleName",
            "ServerCharSet=",
            "SQLDialect=3",
            "Interbase TransIsolation=ReadCommited",
            "User_Name=SYSDBA",
            "WaitOnLocks=True"};
}

}  // namespace

std::string quoted(const std::string& value)
{
    std::string out = "'";
    for (char c : value) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

Tfdm::Tfdm(platform::Dialogs& dialogs)
    : dialogs_(dialogs),
      params_(storedParameters()),
      CConfiguracion_(std::make_unique<dataset::RecordSet>("CConfiguracion", std::vector<dataset::FieldDef>{})),
      CValarticulo_(dataset::makeCValarticulo()),
      CArticulo_(std::make_unique<dataset::RecordSet>("CArticulo", std::vector<dataset::FieldDef>{})),
      CFactor_(dataset::makeCFactor()),
      QConfiguracion_(merkalo_, queries::QConfiguracion),
      QValarticulo_(merkalo_, queries::QValarticulo),
      QArticulos_(merkalo_, queries::QArticulos),
      QFactor_(merkalo_, queries::QFactor),
      SCambieidcot_(merkalo_, queries::SCambieidcot),
      QCotizacionGrabada_(merkalo_, queries::QCotizacionGrabada),
      savepoint_(merkalo_, queries::SavepointCheck),
      rollbackToSavepoint_(merkalo_, queries::RollbackToSavepointCheck)
{
    syncParameters();
}

Tfdm::~Tfdm() = default;

void Tfdm::syncParameters()
{
    merkalo_.setParameters(
        {params_.value("Database"), params_.value("User_Name"), params_.value("Password"), params_.value("RoleName")});
}

void Tfdm::reconnect(const std::string& database, const std::string& user, const std::string& password)
{
    merkalo_.close();
    params_.setValue("Database", database);
    params_.setValue("User_Name", user);
    params_.setValue("password", password);
    syncParameters();
    merkalo_.open();
}

std::unique_ptr<Provider> Tfdm::makePFacturas()
{
    auto provider = std::make_unique<Provider>("PFacturas", merkalo_, "TCotizaci", queries::TCotizaci);
    provider->setDetail("TCotdetalle", queries::TCotdetalle, "COTI_ID");
    return provider;
}

std::unique_ptr<Provider> Tfdm::makePImporinv()
{
    return std::make_unique<Provider>("PImporinv", merkalo_, "TImporinv", queries::TImporinv);
}

std::unique_ptr<Provider> Tfdm::makePNomcampo()
{
    return std::make_unique<Provider>("PNomcampo", merkalo_, "TNomcampos", queries::TNomcampos);
}

void Tfdm::readInto(dataset::RecordSet& recordSet, LazyStatement& query, const Row& parameters)
{
    Rows rows;
    try {
        Statement& statement = query.get();
        // The connection's read-only read-committed transaction: it sees the same
        // committed rows as one of its own would, without a start and a commit for
        // each of the thousands of look-ups of an import. A look-up that writes is
        // refused there before it changes anything; from then on it runs in a
        // transaction of its own, committed at once.
        const auto inOwnTransaction = [&] {
            return merkalo_.inOwnTransaction([&](Transaction& own) { return statement.fetchAll(own, parameters); });
        };
        const bool writes = std::find(writingReads_.begin(), writingReads_.end(), &statement) != writingReads_.end();
        try {
            if (writes && rehearsing_)
                rows = statement.fetchAll(*rehearsal(), parameters);
            else
                rows = writes ? inOwnTransaction() : statement.fetchAll(merkalo_.readTransaction(), parameters);
        } catch (const ReadOnlyTransactionError&) {
            writingReads_.push_back(&statement);
            rows = rehearsing_ ? statement.fetchAll(*rehearsal(), parameters) : inOwnTransaction();
        }
    } catch (const platform::DatabaseError& error) {
        throw readError(error);
    }
    std::vector<dataset::RowData> data;
    data.reserve(rows.size());
    for (auto& row : rows)
        data.push_back({std::move(row), {}});
    recordSet.close();
    // Prepared by now: the read went through it.
    recordSet.open(query.get().columns(), std::move(data));
}

void Tfdm::readConfigurationWithValuesWrittenIn(const std::string& Modulo, const std::string& Categoria,
                                                const std::string& Pregunta)
{
    LazyStatement literal(merkalo_, queries::QConfiguracionText(Modulo, Categoria, Pregunta));
    readInto(*CConfiguracion_, literal, {});
}

std::string Tfdm::configuracion(const std::string& Modulo, const std::string& Categoria, const std::string& Pregunta)
{
    bool fits = true;
    try {
        QConfiguracion_.get();
    } catch (const platform::DatabaseError&) {
        fits = false;
    }
    if (fits)
        readInto(*CConfiguracion_, QConfiguracion_, {Modulo, Categoria, Pregunta});
    else
        readConfigurationWithValuesWrittenIn(Modulo, Categoria, Pregunta);
    if (CConfiguracion_->isEmpty()) {
        dialogs_.errorDialog("No se encontró la configuración " + platform::cp1252ToUtf8(Pregunta));
        return {};
    }
    CConfiguracion_->first();
    return CConfiguracion_->field(std::size_t{0}).asString();
}

bool Tfdm::valide_articulo(const std::string& CodBar, dataset::Field Cod, dataset::Field Desc, dataset::Field Unidad)
{
    if (CodBar.empty())
        return false;
    readInto(*CValarticulo_, QValarticulo_, {CodBar});
    CValarticulo_->first();
    switch (CValarticulo_->field("TIPO").asInteger()) {
    case 0:
        dialogs_.plainMessage("Código " + platform::cp1252ToUtf8(quoted(CodBar)) + " no encontrado.");
        return false;
    case 1:
    case 2:
        Cod.setAsString(CValarticulo_->field("ID").asString());
        if (Desc.asString().empty())
            Desc.setAsString(CValarticulo_->field("DESCRIPCION").asString());
        if (Unidad.asString().empty())
            Unidad.setAsString(CValarticulo_->field("UNIDAD").asString());
        return true;
    default:
        return false;
    }
}

void Tfdm::imptos_articulo(const std::string& Id, dataset::Field IvaP, dataset::Field Consumo)
{
    readInto(*CArticulo_, QArticulos_, {Id});
    if (CArticulo_->isEmpty()) {
        IvaP.setAsMoney(0);
        Consumo.setAsMoney(0);
        return;
    }
    CArticulo_->first();
    IvaP.setAsMoney(CArticulo_->field(std::size_t{0}).asMoney());
    Consumo.setAsMoney(CArticulo_->field(std::size_t{1}).asMoney());
}

dataset::Money Tfdm::factor_unidad(const std::string& IdArt, const std::string& Unidad)
{
    if (IdArt.empty() || Unidad.empty())
        return dataset::kMoneyOne;
    readInto(*CFactor_, QFactor_, {IdArt, Unidad});
    if (CFactor_->isEmpty())
        return dataset::kMoneyOne;
    CFactor_->first();
    return CFactor_->field("FACTOR").asMoney();
}

std::string Tfdm::SCambieidcot()
{
    Statement& procedure = SCambieidcot_.get();
    const Row output = rehearsing_ ? procedure.executeProcedure(*rehearsal()) : procedure.executeProcedure();
    if (output.empty())
        return {};
    if (const auto* id = std::get_if<std::int32_t>(&output[0]))
        return std::to_string(*id);
    return {};
}

bool Tfdm::cotizacion_grabada(const std::string& prefix, const std::string& number)
{
    try {
        return !QCotizacionGrabada_.get().fetchAll(merkalo_.readTransaction(), {prefix, number}).empty();
    } catch (const platform::DatabaseError& error) {
        throw readError(error);
    }
}

void Tfdm::setRehearsing(bool rehearsing)
{
    endRehearsal();
    if (rehearsal_ && rehearsal_->isActive())
        rehearsal_->rollback();
    rehearsal_.reset();
    rehearsing_ = rehearsing;
}

Transaction* Tfdm::rehearsal()
{
    if (!rehearsing_)
        return nullptr;
    if (!rehearsal_ || !rehearsal_->isActive()) {
        rehearsal_ = std::make_unique<Transaction>(merkalo_);
        savepointSet_ = false;
    }
    if (!savepointSet_) {
        savepoint_.get().execute(*rehearsal_);
        savepointSet_ = true;
    }
    return rehearsal_.get();
}

void Tfdm::endRehearsal()
{
    if (!savepointSet_)
        return;
    savepointSet_ = false;
    if (rehearsal_ && rehearsal_->isActive())
        rollbackToSavepoint_.get().execute(*rehearsal_);
}

}  // namespace database
