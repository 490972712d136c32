// The floor of the import benchmark: the database work that importing a quotation
// file requires, done straight through the client layer and nothing else. Same
// file, same rows written, same look-ups, but no record sets, no window, no change
// log; every statement prepared once; the look-ups in one read-only read-committed
// transaction for the whole run; each quotation's new identifier in a committed
// transaction of its own and its INSERTs (header, then its lines, every column)
// in one transaction. The import's time over this one says what its own machinery
// costs.
//
//   IMPORTARCOT_PASSWORD=... bench_floor --server S --user U --company C --file F
//       [--separator comma|semicolon|tab] [--delimiter none|double|single]
//
// The file is read with the import's rules (delimiter stretches, comma to point,
// CR, LF or CR LF line ends, empty cells keep the value before) and mapped with the
// company's quotation mapping, as the import does.
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/connection.h"
#include "database/queries.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "dataset/date.h"
#include "dataset/decimal.h"
#include "dataset/integer_text.h"
#include "import/line_amounts.h"
#include "platform/errors.h"

namespace {

using database::Row;
using dataset::Decimal;
using dataset::Money;
using dataset::Value;

// The data names of the quotation mapping, in the order of their values below.
enum Name {
    PREF_PRE, COTI_NUMERO, COTI_FECHA, COTI_VALIDEZ, VEND_COD, PTVT_ID, TERC_NIT, COTI_NOMTERC, COTI_SUCURSAL,
    COTI_EXTRA, COTI_ADICIONAL, COTI_DTOMONTO, COTI_OBS, COTI_ORDENC, COTI_IMPTOS, CTDE_CODBAR, CTDE_DESC,
    CTDE_CANT, CTDE_UNIDAD, LIPR_COD, CTDE_PRUNIT, CTDE_DTOPORC, CTDE_DTOMONTO, CTDE_IVAPORC, CTDE_IVAMONTO,
    CTDE_CONSUMO, CTDE_REFERENCIA, CTDE_TOTAL, kNames
};
constexpr std::array<std::string_view, kNames> kNameTexts = {
    "PREF_PRE", "COTI_NUMERO", "COTI_FECHA", "COTI_VALIDEZ", "VEND_COD", "PTVT_ID", "TERC_NIT", "COTI_NOMTERC",
    "COTI_SUCURSAL", "COTI_EXTRA", "COTI_ADICIONAL", "COTI_DTOMONTO", "COTI_OBS", "COTI_ORDENC", "COTI_IMPTOS",
    "CTDE_CODBAR", "CTDE_DESC", "CTDE_CANT", "CTDE_UNIDAD", "LIPR_COD", "CTDE_PRUNIT", "CTDE_DTOPORC",
    "CTDE_DTOMONTO", "CTDE_IVAPORC", "CTDE_IVAMONTO", "CTDE_CONSUMO", "CTDE_REFERENCIA", "CTDE_TOTAL"};

const platform::RegionalSettings kRegional{'.', "dd/MM/yyyy", '/'};

// ---- values as the record sets would hold them --------------------------------

Value text(const std::string& value, std::size_t width)
{
    if (value.empty())
        return {};
    return value.substr(0, width);
}

Value integer(const std::string& value)
{
    if (value.empty())
        return {};
    if (const auto parsed = dataset::parseInteger(value))
        return *parsed;
    throw platform::ConversionError("'" + value + "' is not a valid integer value");
}

Value decimal(const std::string& value)
{
    if (value.empty())
        return {};
    if (auto parsed = Decimal::parse(value, kRegional.decimalSeparator))
        return *parsed;
    throw platform::ConversionError(value + " is not a valid BCD value");
}

Value date(const std::string& value)
{
    if (value.empty())
        return {};
    if (const auto parsed = dataset::parseDate(value, kRegional, dataset::today().year))
        return *parsed;
    throw platform::ConversionError("'" + value + "' is not a valid date");
}

Value money(Money value)
{
    return Decimal::fromMoney(value);
}

Money asMoney(const Value& value)
{
    if (const auto* d = std::get_if<Decimal>(&value))
        return d->toMoney();
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return static_cast<Money>(*i) * dataset::kMoneyOne;
    return 0;
}

std::string asText(const Value& value)
{
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return std::to_string(*i);
    return {};
}

// ---- the file ------------------------------------------------------------------

// Cuts the file into lines with the import's rules and calls onLine(slots) for
// each line that has some text. Slots beyond a line's fields keep earlier text.
template <typename OnLine> void readFile(const std::string& path, char separator, char delimiter, OnLine onLine)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::vector<std::string> slots(101), fields(101);
    std::size_t count = 0;
    bool inStretch = false;
    bool pendingLF = false;
    bool lineOpen = false;
    auto endLine = [&] {
        bool any = false;
        for (std::size_t k = 0; k <= count; ++k)
            any = any || !fields[k].empty();
        if (any) {
            for (std::size_t k = 0; k <= count; ++k)
                slots[k].swap(fields[k]);
            onLine(slots);
        }
        for (std::size_t k = 0; k <= count; ++k)
            fields[k].clear();
        count = 0;
    };
    std::vector<char> block(64 * 1024);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < got; ++i) {
            const char b = block[i];
            if (pendingLF) {
                pendingLF = false;
                if (b == '\n')
                    continue;
            }
            lineOpen = true;
            if (b == delimiter) {
                inStretch = !inStretch;
            } else if (!inStretch && b == separator) {
                if (count + 1 < fields.size())
                    ++count;
            } else if (b == '\r' || b == '\n') {
                inStretch = false;
                lineOpen = false;
                pendingLF = b == '\r';
                endLine();
            } else {
                fields[count].push_back(b == ',' ? '.' : b);
            }
        }
    }
    if (lineOpen)
        endLine();
}

// ---- the run -------------------------------------------------------------------

class Floor {
public:
    Floor(database::Connection& connection, std::string user)
        : connection_(connection),
          user_(std::move(user)),
          reads_(connection, database::TransactionAccess::ReadOnly),
          configuration_(connection, database::queries::QConfiguracion),
          validate_(connection, database::queries::QValarticulo),
          taxes_(connection, database::queries::QArticulos),
          factor_(connection, database::queries::QFactor),
          newId_(connection, database::queries::SCambieidcot),
          headerInsert_(insertFor("COTIZACIONES")),
          lineInsert_(insertFor("COTIZACIONES_DETALLE"))
    {
        readMapping();
        header_.resize(headerColumns_.size());
    }

    void start()
    {
        // The run's first read: the rounding setting.
        if (configuration("DOCUMENTOS", "REDONDEO AL MULTIPLO DE DIEZ EN TOTALES").empty())
            throw std::runtime_error("no rounding setting");
    }

    void line(const std::vector<std::string>& slots)
    {
        ++lines_;
        for (const auto& [column, name] : mapping_)
            if (column < slots.size() && !slots[column].empty())
                values_[name] = slots[column];
        if (values_[PREF_PRE] != previousPrefix_ || values_[COTI_NUMERO] != previousNumber_) {
            if (started_)
                save();
            startHeader();
        }
        if (!values_[CTDE_CODBAR].empty())
            addLine();
    }

    void finish()
    {
        if (started_)
            save();
        reads_.commit();
    }

    long lines() const { return lines_; }
    long quotations() const { return quotations_; }
    long quotationLines() const { return quotationLines_; }

private:
    std::unique_ptr<database::Statement> insertFor(const std::string& table)
    {
        // Every column of the table in the order of SELECT *, as the provider writes.
        database::Statement columns(connection_, "SELECT * FROM " + table + " WHERE 1 = 0");
        std::string names, marks;
        auto& list = table == "COTIZACIONES" ? headerColumns_ : lineColumns_;
        for (const auto& column : columns.columns()) {
            names += (names.empty() ? "\"" : ", \"") + column.name + "\"";
            marks += marks.empty() ? "?" : ", ?";
            list.push_back(column.name);
        }
        return std::make_unique<database::Statement>(
            connection_, "insert into \"" + table + "\"\n  (" + names + ")\nvalues\n  (" + marks + ")");
    }

    static std::size_t indexOf(const std::vector<std::string>& columns, std::string_view name)
    {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == name)
                return i;
        throw std::runtime_error("no column " + std::string(name));
    }

    void readMapping()
    {
        database::Statement mapping(connection_, database::queries::TImporinv);
        const auto columns = mapping.columns();
        const std::size_t dato = indexOf(namesOf(columns), "IMIN_DATO");
        const std::size_t columna = indexOf(namesOf(columns), "IMIN_COLUMNA");
        for (const Row& row : mapping.fetchAll(reads_)) {
            const std::string name = asText(row[dato]);
            const auto* column = std::get_if<std::int32_t>(&row[columna]);
            for (std::size_t n = 0; n < kNames; ++n)
                if (column != nullptr && *column >= 1 && *column <= 101 && kNameTexts[n] == name)
                    mapping_.emplace_back(static_cast<std::size_t>(*column - 1), static_cast<Name>(n));
        }
    }

    static std::vector<std::string> namesOf(const std::vector<dataset::ColumnInfo>& columns)
    {
        std::vector<std::string> names;
        for (const auto& column : columns)
            names.push_back(column.name);
        return names;
    }

    std::string configuration(const std::string& category, const std::string& question)
    {
        const auto rows = configuration_.fetchAll(reads_, {std::string("FACTURACION"), category, question});
        return rows.empty() ? std::string() : asText(rows[0][0]);
    }

    void setHeader(std::string_view column, Value value) { header_[indexOf(headerColumns_, column)] = std::move(value); }

    void startHeader()
    {
        const auto& v = values_;
        std::fill(header_.begin(), header_.end(), Value{});
        setHeader("COTI_ID", 0);
        setHeader("TIDO_COD", 35);
        setHeader("COTI_VALIDEZ", integer(configuration("COTIZACIONES", "DIAS DE VALIDEZ")));
        setHeader("COTI_ANULADO", std::string("N"));
        setHeader("COTI_TRANSMIT", std::string("N"));
        setHeader("COTI_DTOPORC", money(0));
        setHeader("COTI_DTOMONTO", money(0));
        setHeader("COTI_ADICIONAL", money(0));
        setHeader("COTI_EXTRA", money(0));
        setHeader("NUMOK", std::string("N"));
        setHeader("COTI_USUARIO", text(user_, 10));
        setHeader("PREF_PRE", text(v[PREF_PRE], 4));
        setHeader("COTI_NUMERO", text(v[COTI_NUMERO], 8));
        setHeader("COTI_FECHA", date(v[COTI_FECHA]));
        if (!v[COTI_VALIDEZ].empty())
            setHeader("COTI_VALIDEZ", integer(v[COTI_VALIDEZ]));
        setHeader("PTVT_ID", integer(v[PTVT_ID]));
        setHeader("VEND_COD", integer(v[VEND_COD]));
        setHeader("TERC_NIT", text(v[TERC_NIT], 20));
        setHeader("COTI_NOMTERC", text(v[COTI_NOMTERC], 60));
        setHeader("COTI_SUCURSAL", text(v[COTI_SUCURSAL].empty() ? std::string("01") : v[COTI_SUCURSAL], 10));
        if (!v[COTI_DTOMONTO].empty())
            setHeader("COTI_DTOMONTO", decimal(v[COTI_DTOMONTO]));
        if (!v[COTI_ADICIONAL].empty())
            setHeader("COTI_ADICIONAL", decimal(v[COTI_ADICIONAL]));
        if (!v[COTI_EXTRA].empty())
            setHeader("COTI_EXTRA", decimal(v[COTI_EXTRA]));
        setHeader("COTI_ORDENC", text(v[COTI_ORDENC], 20));
        if (!v[COTI_IMPTOS].empty())
            setHeader("COTI_IMPTOS", text(v[COTI_IMPTOS], 1));
        for (const char* required : {"TERC_NIT", "VEND_COD", "PREF_PRE", "COTI_NUMERO", "COTI_FECHA"})
            if (dataset::isNull(header_[indexOf(headerColumns_, required)]))
                throw std::runtime_error(std::string("Field '") + required + "' must have a value");
        taxAdded_ = asText(header_[indexOf(headerColumns_, "COTI_IMPTOS")]) == "N";
        previousPrefix_ = v[PREF_PRE];
        previousNumber_ = v[COTI_NUMERO];
        started_ = true;
        lineRows_.clear();
        vatSum_ = totalSum_ = 0;
    }

    void addLine()
    {
        const auto& v = values_;
        Row line(lineColumns_.size());
        auto set = [&](std::string_view column, Value value) { line[indexOf(lineColumns_, column)] = std::move(value); };
        ++item_;
        set("CTDE_ITEM", item_);
        set("CTDE_ANULADO", std::string("N"));
        set("CTDE_TRANSMIT", std::string("N"));
        set("CTDE_CODBAR", text(v[CTDE_CODBAR], 15));

        const auto found = validate_.fetchAll(reads_, {v[CTDE_CODBAR].substr(0, 15)});
        const Row& article = found.at(0);
        const std::string tipo = asText(article[0]);
        if (tipo != "1" && tipo != "2")
            throw std::runtime_error("article " + v[CTDE_CODBAR] + " not found");
        const std::string code = asText(article[3]);
        set("ARTI_COD", text(code, 15));
        set("CTDE_DESC", text(v[CTDE_DESC].empty() ? asText(article[1]) : v[CTDE_DESC], 255));
        std::string unit = asText(article[2]);

        Money vatRate = 0, consumptionPerUnit = 0;
        const auto taxes = taxes_.fetchAll(reads_, {code});
        if (!taxes.empty()) {
            vatRate = asMoney(taxes[0][0]);
            consumptionPerUnit = asMoney(taxes[0][1]);
        }
        const Value quantity = decimal(v[CTDE_CANT]);
        set("CTDE_CANT", quantity);
        if (!v[CTDE_UNIDAD].empty())
            unit = v[CTDE_UNIDAD].substr(0, 8);
        set("CTDE_UNIDAD", text(unit, 8));
        if (!v[LIPR_COD].empty())
            set("LIPR_COD", integer(v[LIPR_COD]));
        Money factor = dataset::kMoneyOne;
        if (!code.empty() && !unit.empty()) {
            const auto factors = factor_.fetchAll(reads_, {code, unit});
            if (!factors.empty())
                factor = asMoney(factors[0][0]);
        }
        set("CTDE_FACTOR", money(factor));
        const Money consumption = importer::lineConsumption(asMoney(quantity), consumptionPerUnit, factor);
        set("CTDE_CONSUMO", money(consumption));
        if (!v[CTDE_REFERENCIA].empty())
            set("CTDE_REFERENCIA", text(v[CTDE_REFERENCIA], 60));
        const Value price = decimal(v[CTDE_PRUNIT]);
        set("CTDE_PRUNIT", price);
        const Value discountPercent = decimal(v[CTDE_DTOPORC].empty() ? std::string("0") : v[CTDE_DTOPORC]);
        set("CTDE_DTOPORC", discountPercent);
        if (!v[CTDE_DTOMONTO].empty())
            set("CTDE_DTOMONTO", decimal(v[CTDE_DTOMONTO]));
        else
            set("CTDE_DTOMONTO", money(importer::unitDiscount(asMoney(discountPercent), asMoney(price))));
        Value rate = money(vatRate);
        if (!v[CTDE_IVAPORC].empty())
            rate = decimal(v[CTDE_IVAPORC]);
        set("CTDE_IVAPORC", rate);
        const Money subtotal = importer::lineSubtotal(asMoney(price), asMoney(quantity), asMoney(discountPercent));
        Money vat = 0, total = 0;
        if (taxAdded_) {
            vat = importer::vatTaxAdded(subtotal, consumption, asMoney(rate));
            total = importer::totalTaxAdded(vat, subtotal, consumption);
        } else {
            vat = importer::vatTaxIncluded(subtotal, consumption, asMoney(rate));
            total = subtotal;
        }
        set("CTDE_IVAMONTO", money(vat));
        set("CTDE_TOTAL", money(total));
        vatSum_ += vat;
        totalSum_ += total;
        lineRows_.push_back(std::move(line));
    }

    // A sum as the header receives it: the money value in text, read back.
    Value sum(Money value) const
    {
        if (lineRows_.empty())
            return {};
        return decimal(Decimal::fromMoney(value).toText(kRegional.decimalSeparator));
    }

    void save()
    {
        const Row id = newId_.executeProcedure();
        const std::int32_t coti = std::get<std::int32_t>(id.at(0));
        setHeader("COTI_ID", coti);
        setHeader("COTI_IVAMONTO", sum(vatSum_));
        setHeader("COTI_TOTAL", sum(totalSum_));
        const std::size_t link = indexOf(lineColumns_, "COTI_ID");
        database::Transaction write(connection_);
        try {
            headerInsert_->execute(write, header_);
            for (Row& line : lineRows_) {
                line[link] = coti;
                lineInsert_->execute(write, line);
            }
            write.commit();
            ++quotations_;
            quotationLines_ += static_cast<long>(lineRows_.size());
        } catch (const platform::DatabaseError& error) {
            std::cerr << "bench_floor: quotation refused: " << error.what() << "\n";
            write.rollback();
        }
    }

    database::Connection& connection_;
    std::string user_;
    database::Transaction reads_;
    database::Statement configuration_, validate_, taxes_, factor_, newId_;
    std::vector<std::string> headerColumns_, lineColumns_;
    std::unique_ptr<database::Statement> headerInsert_, lineInsert_;
    std::vector<std::pair<std::size_t, Name>> mapping_;

    std::array<std::string, kNames> values_;
    std::string previousPrefix_, previousNumber_;
    bool started_ = false;
    bool taxAdded_ = false;
    Row header_;
    std::vector<Row> lineRows_;
    Money vatSum_ = 0, totalSum_ = 0;
    std::int32_t item_ = 0;
    long lines_ = 0, quotations_ = 0, quotationLines_ = 0;
};

char separatorByName(const std::string& name)
{
    if (name == "comma")
        return ',';
    if (name == "semicolon")
        return ';';
    if (name == "tab")
        return '\t';
    throw std::runtime_error("unknown separator " + name);
}

char delimiterByName(const std::string& name)
{
    if (name == "none")
        return '\0';
    if (name == "double")
        return '"';
    if (name == "single")
        return '\'';
    throw std::runtime_error("unknown delimiter " + name);
}

}  // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options = {{"--separator", "comma"}, {"--delimiter", "none"}};
    for (int i = 1; i + 1 < argc; i += 2)
        options[argv[i]] = argv[i + 1];
    for (const char* needed : {"--server", "--user", "--company", "--file"})
        if (!options.contains(needed)) {
            std::cerr << "usage: IMPORTARCOT_PASSWORD=... bench_floor --server S --user U --company C --file F "
                         "[--separator comma|semicolon|tab] [--delimiter none|double|single]\n";
            return 2;
        }
    const char* password = std::getenv("IMPORTARCOT_PASSWORD");
    const auto started = std::chrono::steady_clock::now();
    try {
        database::Connection connection;
        connection.open(options["--server"] + "/datos/" + options["--company"] + "/merkalo.fdb", options["--user"],
                        password != nullptr ? password : "", "");
        Floor floor(connection, options["--user"]);
        floor.start();
        readFile(options["--file"], separatorByName(options["--separator"]), delimiterByName(options["--delimiter"]),
                 [&](const std::vector<std::string>& slots) { floor.line(slots); });
        floor.finish();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("floor: %ld lines, %ld quotations, %ld quotation lines stored in %.2f s: %.0f lines/s\n",
                    floor.lines(), floor.quotations(), floor.quotationLines(), seconds,
                    static_cast<double>(floor.lines()) / seconds);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "bench_floor: " << error.what() << "\n";
        return 1;
    }
}
