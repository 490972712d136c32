#pragma once
// The data module fdm: the one database connection Merkalo with its parameter
// list, the queries behind the window's providers and the services that the import
// calls (configuration values, article look-ups, new quotation identifiers). It
// raises what fails and answers what it finds; telling the user is the import's
// business (import/fdm_services.h, import/error_reporting.h).
#include "database/connection.h"
#include "database/lazy_statement.h"
#include "database/parameter_list.h"
#include "database/provider.h"
#include "dataset/field.h"
#include "dataset/money.h"
#include "dataset/record_set.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace database {

class Tfdm {
public:
    Tfdm();
    ~Tfdm();
    Tfdm(const Tfdm&) = delete;
    Tfdm& operator=(const Tfdm&) = delete;

    // The connection and its parameter list. Any database access opens the
    // connection with the list's values when it is closed.
    Connection& Merkalo() { return merkalo_; }
    const ParameterList& MerkaloParams() const { return params_; }
    // Closes the connection, replaces Database, User_Name and password in the list,
    // and opens it again.
    void reconnect(const std::string& database, const std::string& user, const std::string& password);

    // The window's providers, over the queries of this module.
    std::unique_ptr<Provider> makePFacturas();
    std::unique_ptr<Provider> makePImporinv();
    std::unique_ptr<Provider> makePNomcampo();

    // The start of an import run: the settings and the article look-ups are read
    // anew from here on, each once for the run, until endRun. Outside a run every
    // call reads the database.
    void startRun();
    // The end of the run, however it ends: the blocks' transaction ends
    // (endBlockWrites) and nothing read is kept. Raises nothing.
    void endRun();

    // One setting of table CONFIGURACION as text; "" when null, nothing when there
    // is no row. Within a run a setting is read once.
    std::optional<std::string> setting(const std::string& Modulo, const std::string& Categoria,
                                       const std::string& Pregunta);

    // Validates the code read from the file (VALIDE_ARTICULO); a found article
    // replaces Cod and fills Desc and Unidad when they are empty. An empty code is
    // not looked up (NoAnswer); a TIPO other than 0, 1 or 2 is no answer either.
    enum class ArticleLookUp { Found, NotFound, NoAnswer };
    ArticleLookUp lookUpArticle(const std::string& CodBar, dataset::Field Cod, dataset::Field Desc,
                                dataset::Field Unidad);
    // The article's VAT rate and consumption tax (0 and 0 without a row).
    void imptos_articulo(const std::string& Id, dataset::Field IvaP, dataset::Field Consumo);
    // The factor of the article's unit, rounded to four decimals; 1 when either is
    // empty or the pair is unknown.
    dataset::Money factor_unidad(const std::string& IdArt, const std::string& Unidad);

    // An article code of the file cut to the line's width, and the unit the file
    // gives ("" for the article's own).
    struct ArticleKey {
        std::string code;
        std::string unit;
    };
    // Reads ahead, in one block, what lookUpArticle, imptos_articulo and
    // factor_unidad will ask for these codes, so that the line step finds it at
    // hand. The reading has no effect of its own: a block that fails (a look-up that
    // writes, an error of the database) leaves the look-ups to the line step, which
    // meets the same error at its own line.
    void prefetchArticles(const std::vector<ArticleKey>& keys);

    // SCambieidcot: executes CAMBIE_ID_COTIZACI in a transaction of its own and gives
    // its output parameter ID as text ("" for null).
    std::string SCambieidcot();

    // Whether an import reads each quotation's look-ups ahead (prefetchArticles) and
    // writes it (Provider::writeInBlocks) by blocks instead of statement by
    // statement. By default a connection through a server does, where a round trip
    // is worth saving, and the embedded engine does not: there a block saves no
    // waiting, costs its preparing and the engine's memory for each of its sizes,
    // and the engine ends the process when an autonomous transaction meets a
    // damaged page. setWorksInBlocks overrides it.
    bool worksInBlocks() const { return worksInBlocks_.value_or(merkalo_.throughServer()); }
    void setWorksInBlocks(bool on) { worksInBlocks_ = on; }
    // Writes a quotation by blocks, drawing its identifier with SCambieidcot's
    // procedure. The blocks run in a read-write transaction that writes nothing
    // itself and is renewed every few dozen quotations, so that it never holds
    // back the garbage collection for long; endBlockWrites ends it.
    Provider::BlockWrite writeInBlocks(Provider& provider, dataset::RecordSet& recordSet);
    // Commits the blocks' transaction, if any; raises nothing.
    void endBlockWrites();

    // Whether COTIZACIONES holds a quotation with this prefix and number.
    bool cotizacion_grabada(const std::string& prefix, const std::string& number);

    // A check runs the work of each quotation (its identifier, the look-ups that
    // write, its INSERTs) inside a savepoint, so that the database's constraints
    // and triggers speak. The savepoints live in one transaction for the whole
    // check, rolled back when the check ends: a transaction ended per quotation
    // would cost a synchronous write each, as a commit does. A quotation that
    // would be stored keeps its rows in that transaction until then, so that a
    // later quotation meets it as an import would (the same prefix and number
    // twice in one file); the work of one with a problem is rolled back at once.
    void setRehearsing(bool rehearsing);
    // The check's transaction with the current quotation's savepoint set, both
    // started on first use; nothing outside a check.
    Transaction* rehearsal();
    // Ends the current quotation's savepoint: kept (released into the check's
    // transaction) or rolled back.
    enum class RehearsalEnd { Keep, Undo };
    void endRehearsal(RehearsalEnd end = RehearsalEnd::Undo);

private:
    // Rows read without side effects, by the texts of their parameters.
    using LookupCache = std::map<std::vector<std::string>, Rows>;
    // Empties the article caches when they would hold more than a bounded number
    // of codes with this many more: a file may name every article of the company,
    // and the run's memory must not grow with it.
    void boundArticleCaches(std::size_t more);

    void syncParameters();
    // Reads the statement's rows into the record set; an error reaches the caller as
    // a provider's reading gives it (trimReadError). With a cache, rows read in the
    // read-only transaction are kept for the run (boundArticleCaches limiting how many)
    // and a kept read is not repeated.
    void readInto(dataset::RecordSet& recordSet, LazyStatement& statement, const Row& parameters,
                  LookupCache* cache = nullptr);
    // The block that reads ahead the look-ups of this many codes.
    Statement& prefetchBlock(std::size_t items);
    // For a table that does not fit the configuration statement: reads through the
    // statement with its values written in, whose error, positions included ("At
    // line 1, column n"), is the one the user sees.
    void readConfigurationWithValuesWrittenIn(const std::string& Modulo, const std::string& Categoria,
                                              const std::string& Pregunta);

    ParameterList params_;
    Connection merkalo_;

    std::unique_ptr<dataset::RecordSet> CConfiguracion_;
    std::unique_ptr<dataset::RecordSet> CValarticulo_;
    std::unique_ptr<dataset::RecordSet> CArticulo_;
    std::unique_ptr<dataset::RecordSet> CFactor_;
    LazyStatement QConfiguracion_;
    LazyStatement QValarticulo_;
    LazyStatement QArticulos_;
    LazyStatement QFactor_;
    LazyStatement SCambieidcot_;
    LazyStatement QCotizacionGrabada_;
    bool rehearsing_ = false;
    std::unique_ptr<Transaction> rehearsal_;
    LazyStatement savepoint_;
    LazyStatement rollbackToSavepoint_;
    LazyStatement releaseSavepoint_;
    bool savepointSet_ = false;
    // Look-ups that write (a procedure logging its calls): they run in a read-write
    // transaction of their own, committed at once.
    std::vector<const Statement*> writingReads_;

    // Settings read in this run; nothing for one without a row.
    std::map<std::vector<std::string>, std::optional<std::string>> settings_;
    LookupCache articles_, taxes_, factors_;
    std::map<std::size_t, std::unique_ptr<Statement>> prefetchBlocks_;
    bool inRun_ = false;
    std::optional<bool> worksInBlocks_;
    std::unique_ptr<Transaction> blockWriter_;
    int blockWriterUses_ = 0;
};

// A value in single quotes with every single quote inside it doubled.
std::string quoted(const std::string& value);

} // namespace database
