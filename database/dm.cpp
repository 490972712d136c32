#include "database/dm.h"

#include "database/queries.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "dataset/declarations.h"

#include <algorithm>
#include <bit>
#include <optional>

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

// The text of a value as a look-up's key: "" for null.
std::string keyText(const dataset::Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    return {};
}

std::vector<std::string> keyOf(const Row& parameters)
{
    std::vector<std::string> key;
    key.reserve(parameters.size());
    for (const auto& value : parameters)
        key.push_back(keyText(value));
    return key;
}

// The statement's text with its "?" replaced, in order, by the variables named.
std::string withVariables(const std::string& sql, const std::vector<std::string>& names)
{
    std::string out;
    std::size_t next = 0;
    for (char c : sql) {
        if (c == '?' && next < names.size())
            out += ':' + names[next++];
        else
            out += c;
    }
    return out;
}

// Whether valide_articulo's TIPO says that the code named an article.
bool namesArticle(const dataset::Value& tipo)
{
    const std::string text = keyText(tipo);
    return text == "1" || text == "2";
}

std::optional<std::size_t> columnNamed(const std::vector<dataset::ColumnInfo>& columns,
                                       const std::string& name)
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name == name)
            return i;
    return std::nullopt;
}

// At most this many codes are read ahead by one block, which keeps its text and
// its messages well below the 64 KB that Firebird 3 allows each; a power of two.
constexpr std::size_t kPrefetchItems = 32;

// The article codes a run keeps at most, with their taxes and unit factors: a few
// megabytes, and the codes a shop's files repeat stay at hand.
constexpr std::size_t kCachedCodes = 1024;

} // namespace

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

Tfdm::Tfdm()
    : params_(storedParameters()), CConfiguracion_(std::make_unique<dataset::RecordSet>(
                                       "CConfiguracion", std::vector<dataset::FieldDef>{})),
      CValarticulo_(dataset::makeCValarticulo()),
      CArticulo_(std::make_unique<dataset::RecordSet>("CArticulo", std::vector<dataset::FieldDef>{})),
      CFactor_(dataset::makeCFactor()), QConfiguracion_(merkalo_, queries::QConfiguracion),
      QValarticulo_(merkalo_, queries::QValarticulo), QArticulos_(merkalo_, queries::QArticulos),
      QFactor_(merkalo_, queries::QFactor), SCambieidcot_(merkalo_, queries::SCambieidcot),
      QCotizacionGrabada_(merkalo_, queries::QCotizacionGrabada),
      savepoint_(merkalo_, queries::SavepointCheck),
      rollbackToSavepoint_(merkalo_, queries::RollbackToSavepointCheck),
      releaseSavepoint_(merkalo_, queries::ReleaseSavepointCheck)
{
    syncParameters();
}

Tfdm::~Tfdm() = default;

void Tfdm::syncParameters()
{
    merkalo_.setParameters({params_.value("Database"), params_.value("User_Name"), params_.value("Password"),
                            params_.value("RoleName")});
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

void Tfdm::readInto(dataset::RecordSet& recordSet, LazyStatement& query, const Row& parameters,
                    LookupCache* cache)
{
    Rows rows;
    std::vector<std::string> key;
    bool kept = false;
    if (!inRun_)
        cache = nullptr;
    if (cache != nullptr) {
        key = keyOf(parameters);
        if (const auto found = cache->find(key); found != cache->end()) {
            rows = found->second;
            kept = true;
        }
    }
    if (!kept)
        try {
            Statement& statement = query.get();
            // The connection's read-only read-committed transaction: it sees the same
            // committed rows as one of its own would, without a start and a commit for
            // each of the thousands of look-ups of an import. A look-up that writes is
            // refused there before it changes anything; from then on it runs in a
            // transaction of its own, committed at once.
            const auto inOwnTransaction = [&] {
                return merkalo_.inOwnTransaction(
                    [&](Transaction& own) { return statement.fetchAll(own, parameters); });
            };
            const bool writes =
                std::find(writingReads_.begin(), writingReads_.end(), &statement) != writingReads_.end();
            try {
                if (writes && rehearsing_) {
                    rows = statement.fetchAll(*rehearsal(), parameters);
                } else if (writes) {
                    rows = inOwnTransaction();
                } else {
                    rows = statement.fetchAll(merkalo_.readTransaction(), parameters);
                    // Read without effects: the same read later in the run gives these rows.
                    if (cache != nullptr) {
                        boundArticleCaches(1);
                        cache->emplace(key, rows);
                    }
                }
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

void Tfdm::startRun()
{
    endRun();
    inRun_ = true;
}

void Tfdm::endRun()
{
    endBlockWrites();
    inRun_ = false;
    settings_.clear();
    articles_.clear();
    taxes_.clear();
    factors_.clear();
    // Prepared anew for the run: another company may have other column types.
    prefetchBlocks_.clear();
}

std::optional<std::string> Tfdm::setting(const std::string& Modulo, const std::string& Categoria,
                                         const std::string& Pregunta)
{
    const std::vector<std::string> key{Modulo, Categoria, Pregunta};
    if (const auto kept = settings_.find(key); inRun_ && kept != settings_.end())
        return kept->second;
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
    std::optional<std::string> value;
    if (!CConfiguracion_->isEmpty()) {
        CConfiguracion_->first();
        value = CConfiguracion_->field(std::size_t{0}).asString();
    }
    if (inRun_)
        settings_[key] = value;
    return value;
}

Tfdm::ArticleLookUp Tfdm::lookUpArticle(const std::string& CodBar, dataset::Field Cod, dataset::Field Desc,
                                        dataset::Field Unidad)
{
    if (CodBar.empty())
        return ArticleLookUp::NoAnswer;
    readInto(*CValarticulo_, QValarticulo_, {CodBar}, &articles_);
    CValarticulo_->first();
    switch (CValarticulo_->field("TIPO").asInteger()) {
    case 0:
        return ArticleLookUp::NotFound;
    case 1:
    case 2:
        Cod.setAsString(CValarticulo_->field("ID").asString());
        if (Desc.asString().empty())
            Desc.setAsString(CValarticulo_->field("DESCRIPCION").asString());
        if (Unidad.asString().empty())
            Unidad.setAsString(CValarticulo_->field("UNIDAD").asString());
        return ArticleLookUp::Found;
    default:
        return ArticleLookUp::NoAnswer;
    }
}

void Tfdm::imptos_articulo(const std::string& Id, dataset::Field IvaP, dataset::Field Consumo)
{
    readInto(*CArticulo_, QArticulos_, {Id}, &taxes_);
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
    readInto(*CFactor_, QFactor_, {IdArt, Unidad}, &factors_);
    if (CFactor_->isEmpty())
        return dataset::kMoneyOne;
    CFactor_->first();
    return CFactor_->field("FACTOR").asMoney();
}

Statement& Tfdm::prefetchBlock(std::size_t items)
{
    auto& block = prefetchBlocks_[items];
    if (block)
        return *block;
    Statement& article = QValarticulo_.get();
    Statement& taxes = QArticulos_.get();
    Statement& factor = QFactor_.get();
    const auto tipo = columnNamed(article.columns(), "TIPO");
    const auto id = columnNamed(article.columns(), "ID");
    const auto unit = columnNamed(article.columns(), "UNIDAD");
    if (!tipo || !id || !unit || article.parameterCount() != 1 || taxes.parameterCount() != 1 ||
        factor.parameterCount() != 2)
        throw platform::DatabaseError("The article look-ups do not fit a block");
    // A look-up as the line step makes it: its first row into outputs of the
    // statement's own types, and whether there was one.
    std::string outputs;
    const auto lookUp = [&](Statement& statement, const std::vector<std::string>& variables,
                            const std::string& prefix) {
        std::string into;
        for (std::size_t k = 0; k < statement.columns().size(); ++k) {
            const std::string name = prefix + "_" + std::to_string(k);
            outputs += ", " + name + " " + statement.columnDeclaration(k);
            into += (k == 0 ? ":" : ", :") + name;
        }
        outputs += ", " + prefix + "_n integer";
        return "select first 1 * from (" + withVariables(statement.sql(), variables) + ") into " + into +
               ";\n    " + prefix + "_n = row_count;\n";
    };
    std::string inputs, body;
    for (std::size_t i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        const std::string v = "v" + n;
        inputs += (i == 0 ? "c" : ", c") + n + " " + article.parameterDeclaration(0) + " = ?, u" + n + " " +
                  factor.parameterDeclaration(1) + " = ?";
        // In this order, which is the order of the outputs.
        const std::string articleLookUp = lookUp(article, {"c" + n}, v);
        const std::string taxLookUp = lookUp(taxes, {"d"}, "a" + n);
        const std::string factorLookUp = lookUp(factor, {"d", "w"}, "f" + n);
        body += "  a" + n + "_n = 0;\n  f" + n + "_n = 0;\n  " + articleLookUp + "  if (" + v +
                "_n > 0 and " + v + "_" + std::to_string(*tipo) +
                " in ('1', '2')) then\n  begin\n    d = coalesce(" + v + "_" + std::to_string(*id) +
                ", '');\n    " + taxLookUp + "    w = case when u" + n + " <> '' then u" + n +
                " else coalesce(" + v + "_" + std::to_string(*unit) +
                ", '') end;\n    if (d <> '' and w <> '') then\n    begin\n    " + factorLookUp +
                "    end\n  end\n";
    }
    const std::string sql = "execute block (" + inputs + ")\nreturns (" + outputs.substr(2) + ")\nas\n" +
                            "declare variable d " + taxes.parameterDeclaration(0) + ";\n" +
                            "declare variable w " + factor.parameterDeclaration(1) + ";\nbegin\n" + body +
                            "  suspend;\nend";
    block = std::make_unique<Statement>(merkalo_, sql);
    return *block;
}

void Tfdm::boundArticleCaches(std::size_t more)
{
    if (std::max({articles_.size(), taxes_.size(), factors_.size()}) + more <= kCachedCodes)
        return;
    articles_.clear();
    taxes_.clear();
    factors_.clear();
}

void Tfdm::prefetchArticles(const std::vector<ArticleKey>& keys)
{
    if (!inRun_ || !worksInBlocks())
        return;
    // Room for the whole quotation now, so that its line steps find what is read.
    boundArticleCaches(keys.size());
    std::vector<const ArticleKey*> missing;
    for (const auto& key : keys) {
        if (key.code.empty() || articles_.contains({key.code}))
            continue;
        const bool listed = std::any_of(missing.begin(), missing.end(),
                                        [&](const ArticleKey* other) { return other->code == key.code; });
        if (!listed)
            missing.push_back(&key);
    }
    if (missing.empty())
        return;
    try {
        Statement& article = QValarticulo_.get();
        Statement& taxes = QArticulos_.get();
        Statement& factor = QFactor_.get();
        // A look-up that writes runs in a transaction of its own, at its line.
        for (const Statement* writing : writingReads_)
            if (writing == &article || writing == &taxes || writing == &factor)
                return;
        const std::size_t articleColumns = article.columns().size();
        const std::size_t taxColumns = taxes.columns().size();
        const std::size_t factorColumns = factor.columns().size();
        const std::size_t perItem = articleColumns + taxColumns + factorColumns + 3;
        for (std::size_t first = 0; first < missing.size(); first += kPrefetchItems) {
            const std::size_t items = std::min(kPrefetchItems, missing.size() - first);
            // Blocks come in six sizes, each prepared once per run, the last code
            // repeated to fill one: a size for every count would cost a prepare each.
            const std::size_t slots = std::bit_ceil(items);
            Statement& block = prefetchBlock(slots);
            const auto tipo = *columnNamed(article.columns(), "TIPO");
            const auto id = *columnNamed(article.columns(), "ID");
            const auto unit = *columnNamed(article.columns(), "UNIDAD");
            Row parameters;
            for (std::size_t i = 0; i < slots; ++i) {
                const ArticleKey& key = *missing[first + std::min(i, items - 1)];
                parameters.push_back(key.code);
                parameters.push_back(key.unit);
            }
            const Row out = block.fetchSingleton(merkalo_.readTransaction(), parameters);
            // The first row of a look-up, or none.
            const auto rowsAt = [&](std::size_t at, std::size_t columns) {
                if (keyText(out.at(at + columns)) == "0")
                    return Rows{};
                return Rows{Row(out.begin() + static_cast<std::ptrdiff_t>(at),
                                out.begin() + static_cast<std::ptrdiff_t>(at + columns))};
            };
            for (std::size_t i = 0; i < items; ++i) {
                const ArticleKey& key = *missing[first + i];
                const std::size_t at = i * perItem;
                const Rows found = rowsAt(at, articleColumns);
                articles_.emplace(std::vector<std::string>{key.code}, found);
                if (found.empty() || !namesArticle(found[0][tipo]))
                    continue;
                const std::string code = keyText(found[0][id]);
                taxes_.emplace(std::vector<std::string>{code}, rowsAt(at + articleColumns + 1, taxColumns));
                const std::string lineUnit = key.unit.empty() ? keyText(found[0][unit]) : key.unit;
                if (!code.empty() && !lineUnit.empty())
                    factors_.emplace(std::vector<std::string>{code, lineUnit},
                                     rowsAt(at + articleColumns + taxColumns + 2, factorColumns));
            }
        }
    } catch (const platform::DatabaseError&) {
        // The line step reads what is missing itself, and reports what fails there.
    }
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

Provider::BlockWrite Tfdm::writeInBlocks(Provider& provider, dataset::RecordSet& recordSet)
{
    constexpr int kQuotationsPerWriter = 64;
    if (blockWriter_ && blockWriterUses_ >= kQuotationsPerWriter)
        endBlockWrites();
    if (!blockWriter_ || !blockWriter_->isActive()) {
        blockWriter_ = std::make_unique<Transaction>(merkalo_);
        blockWriterUses_ = 0;
    }
    ++blockWriterUses_;
    return provider.writeInBlocks(recordSet, queries::SCambieidcot, *blockWriter_);
}

void Tfdm::endBlockWrites()
{
    std::unique_ptr<Transaction> writer = std::move(blockWriter_);
    if (!writer || !writer->isActive())
        return;
    try {
        writer->commit();
    } catch (const platform::DatabaseError&) {
        // Its blocks committed their work themselves; going, it is rolled back.
    }
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

void Tfdm::endRehearsal(RehearsalEnd end)
{
    if (!savepointSet_)
        return;
    savepointSet_ = false;
    if (rehearsal_ && rehearsal_->isActive())
        (end == RehearsalEnd::Keep ? releaseSavepoint_ : rollbackToSavepoint_).get().execute(*rehearsal_);
}

} // namespace database
