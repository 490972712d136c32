// Test data for the import benchmark: a catalogue of articles as SQL for isql, and
// quotation files shaped like the exports that the import receives in practice.
//
//   bench_generate articles OUT.sql
//   bench_generate quotations LINES OUT.csv [SEED]
//
// The quotation file follows the demo company's mapping (the 28 data names in
// columns 1 to 28): semicolon separated, texts in double quotes, decimal commas,
// dates as dd/MM/yyyy, Windows-1252 bytes, CR LF line ends. Quotations have 1 to 20
// lines; some repeat their header values on every line, the others give them on
// the first line only and leave the cells empty afterwards, so that the values
// carry over. Articles are named by barcode mostly and by code sometimes, and some
// lines sell by a unit with a factor (box, pack, pound).
#include "bench/catalogue.h"
#include "database/dm.h"
#include "platform/text_codec.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using database::quoted;

// xorshift64*: the same numbers on every machine and library, so the files are
// the same from run to run.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed != 0 ? seed : 0x9E3779B97F4A7C15ull) {}
    std::uint64_t next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 2685821657736338717ull;
    }
    // Uniform in [low, high].
    int between(int low, int high)
    {
        return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <typename T> const T& pick(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(between(0, static_cast<int>(items.size()) - 1))];
    }

private:
    std::uint64_t state_;
};

// A money amount in hundredths as the file writes it: "12500,50", "3,00".
std::string amount(std::int64_t hundredths)
{
    char text[40];
    std::snprintf(text, sizeof text, "%lld,%02lld", static_cast<long long>(hundredths / 100),
                  static_cast<long long>(hundredths % 100));
    return text;
}

std::string quotedText(const std::string& text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.push_back('"');
    quoted.append(text);
    quoted.push_back('"');
    return quoted;
}

const std::vector<std::string> kCustomers = {"Distribuidora El Café S.A.S.", "Tiendas Peñaloza Ltda.",
                                             "Supermercado La Economía",     "Ferretería Muñoz e Hijos",
                                             "Droguería San José",           "Restaurante Doña Lucía",
                                             "Panadería La Espiga",          "Comercializadora Ángel",
                                             "Hotel Montaña Azul",           "Miscelánea María José"};
const std::vector<std::string> kNotes = {"Entrega en bodega principal", "Precios sujetos a disponibilidad",
                                         "Cotización válida según condiciones",
                                         "Despacho en horario de mañana", "Incluye transporte"};

struct Header {
    std::string prefix, number, date, validity, seller, pointOfSale, nit, customer, branch, extra, additional,
        discount, notes, order, taxFlag;
};

Header makeHeader(Random& random, const std::string& prefix, int number)
{
    Header h;
    h.prefix = prefix;
    h.number = std::to_string(number);
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%04d", random.between(1, 28), random.between(1, 12),
                  random.between(2023, 2024));
    h.date = date;
    h.validity = std::to_string(random.pick(std::vector<int>{8, 15, 30, 45}));
    h.seller = std::to_string(random.between(1, 40));
    h.pointOfSale = std::to_string(random.between(1, 6));
    h.nit = std::to_string(random.between(800000000, 999999999));
    h.nit.append("-").append(std::to_string(random.between(0, 9)));
    h.customer = random.pick(kCustomers);
    h.branch = std::string("0").append(std::to_string(random.between(1, 3)));
    h.extra = random.chance(20) ? amount(random.between(1, 50) * 1000) : "0";
    h.additional = random.chance(10) ? amount(random.between(1, 20) * 500) : "0";
    h.discount = random.chance(15) ? amount(random.between(1, 30) * 1000) : "0";
    h.notes = random.pick(kNotes);
    h.order = std::string("OC-").append(std::to_string(random.between(10000, 99999)));
    h.taxFlag = random.chance(70) ? "S" : "N";
    return h;
}

// One line of the file. An empty header means "not repeated on this line".
std::string fileLine(const Header* h, const std::vector<std::string>& item)
{
    std::vector<std::string> cells;
    if (h != nullptr) {
        cells = {h->prefix,
                 h->number,
                 h->date,
                 h->validity,
                 h->seller,
                 h->pointOfSale,
                 h->nit,
                 quotedText(h->customer),
                 h->branch,
                 h->extra,
                 h->additional,
                 h->discount,
                 quotedText(h->notes),
                 h->order,
                 h->taxFlag};
    } else {
        cells.assign(15, "");
    }
    cells.insert(cells.end(), item.begin(), item.end());
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += ';';
        line += cells[i];
    }
    return line + "\r\n";
}

std::vector<std::string> makeItem(Random& random)
{
    const int index = random.between(1, bench::kArticles);
    const bench::Article article = bench::article(index);
    // Codes typed by hand instead of scanned: looked up as article codes.
    const std::string code = random.chance(10) ? article.code : article.barcode;
    std::string unit = article.unit;
    std::int64_t factor = 1;
    if (!article.extraUnit.empty() && random.chance(50)) {
        unit = article.extraUnit;
        factor = article.extraPriceFactor;
    }
    const int quantityTenths = random.chance(80) ? random.between(1, 24) * 10 : random.between(1, 99);
    const std::int64_t price = article.price * factor; // hundredths
    const int discountPercent = random.pick(std::vector<int>{0, 0, 0, 5, 10, 15});
    const std::int64_t discountAmount = price * discountPercent / 100;
    const std::int64_t subtotal = price * quantityTenths / 10 - discountAmount * quantityTenths / 10;
    const int vatPercent = bench::vatPercent(article.tariff);
    const std::int64_t vat = subtotal * vatPercent / (100 + vatPercent);
    const std::int64_t consumption = article.consumption * quantityTenths / 10;

    const std::string quantity = quantityTenths % 10 == 0 ? std::to_string(quantityTenths / 10)
                                                          : std::to_string(quantityTenths / 10) + "," +
                                                                std::to_string(quantityTenths % 10);
    return {code,
            quotedText(article.name),
            quantity,
            unit,
            std::to_string(random.between(1, 3)),
            amount(price),
            std::to_string(discountPercent),
            amount(discountAmount),
            std::to_string(vatPercent),
            amount(vat),
            amount(consumption),
            quotedText("REF-" + std::to_string(random.between(1000, 9999))),
            amount(subtotal + consumption)};
}

int writeQuotations(long lines, const std::string& path, std::uint64_t seed)
{
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        std::cerr << "bench_generate: cannot write " << path << "\n";
        return 1;
    }
    Random random(seed);
    const std::vector<std::string> prefixes = {"CT", "CTB", "COT"};
    std::vector<int> numbers(prefixes.size(), 0);
    long written = 0;
    long quotations = 0;
    while (written < lines) {
        const std::size_t p =
            static_cast<std::size_t>(random.between(0, static_cast<int>(prefixes.size()) - 1));
        const Header header = makeHeader(random, prefixes[p], ++numbers[p]);
        const bool repeated = random.chance(40);
        const long size = std::min<long>(random.between(1, 20), lines - written);
        for (long i = 0; i < size; ++i)
            out << platform::utf8ToCp1252(fileLine(i == 0 || repeated ? &header : nullptr, makeItem(random)));
        written += size;
        ++quotations;
    }
    std::cerr << "bench_generate: " << written << " lines, " << quotations << " quotations in " << path
              << "\n";
    return out.good() ? 0 : 1;
}

int writeArticles(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        std::cerr << "bench_generate: cannot write " << path << "\n";
        return 1;
    }
    out << "set names WIN1252;\n";
    for (int i = 1; i <= bench::kArticles; ++i) {
        std::ostringstream statements;
        const bench::Article a = bench::article(i);
        statements << "insert into ARTICULO (ARTI_COD, ARTI_NOMBRE, ARTI_UNIDAD, ARTI_CODBAR, TAIV_COD, "
                      "ARTI_CONSUMO, "
                      "ARTI_PRECIO, ARTI_LOTE) values ("
                   << quoted(a.code) << ", " << quoted(a.name) << ", " << quoted(a.unit) << ", "
                   << quoted(a.barcode) << ", " << a.tariff << ", " << a.consumption / 100 << "."
                   << (a.consumption % 100) / 10 << a.consumption % 10 << ", " << a.price / 100
                   << ", 'N');\n";
        if (!a.extraUnit.empty())
            statements << "insert into UNIDADES_ARTICULO (ARTI_COD, UNIDAD, FACTOR) values ("
                       << quoted(a.code) << ", " << quoted(a.extraUnit) << ", " << a.extraFactorText
                       << ");\n";
        out << platform::utf8ToCp1252(statements.str());
        if (i % 1000 == 0)
            out << "commit;\n";
    }
    out << "commit;\n";
    return out.good() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "articles")
        return writeArticles(args[1]);
    if ((args.size() == 3 || args.size() == 4) && args[0] == "quotations")
        return writeQuotations(std::stol(args[1]), args[2],
                               args.size() == 4 ? std::stoull(args[3]) : 20240305);
    std::cerr << "usage: bench_generate articles OUT.sql\n"
                 "       bench_generate quotations LINES OUT.csv [SEED]\n";
    return 2;
}
