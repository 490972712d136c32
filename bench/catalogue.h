#pragma once
// The benchmark's catalogue: article i (1 to kArticles) computed from its number,
// so that the SQL that creates the articles and the quotation files that name
// them agree without sharing a file. Texts are UTF-8 here; the files get
// Windows-1252.
#include <cstdint>
#include <string>

namespace bench {

constexpr int kArticles = 10000;

struct Article {
    std::string code;    // B00001
    std::string barcode; // EAN-13, 7708 + 8 digits + check digit
    std::string name;
    std::string unit;
    int tariff = 3;               // TARIFA_IVA of the demo company: 1 (0 %), 2 (5 %), 3 (19 %)
    std::int64_t consumption = 0; // hundredths per unit
    std::int64_t price = 0;       // hundredths per unit
    // A second unit with its factor (UNIDADES_ARTICULO), or none.
    std::string extraUnit;
    std::string extraFactorText;
    int extraPriceFactor = 1;
};

inline int vatPercent(int tariff)
{
    return tariff == 1 ? 0 : tariff == 2 ? 5 : 19;
}

inline std::string digits(long value, int width)
{
    std::string text = std::to_string(value);
    const auto wanted = static_cast<std::size_t>(width);
    return text.size() < wanted ? std::string(wanted - text.size(), '0') + text : text;
}

inline Article article(int i)
{
    static const char* const kProducts[] = {
        "Café molido",      "Azúcar morena",     "Aceite de oliva",   "Arroz integral", "Leche deslactosada",
        "Galletas de soda", "Pasta espagueti",   "Atún en aceite",    "Fríjol rojo",    "Lenteja",
        "Harina de maíz",   "Chocolate de mesa", "Avena en hojuelas", "Mantequilla",    "Jabón líquido",
        "Champú",           "Crema dental",      "Detergente",        "Suavizante",     "Tornillo drywall"};
    static const char* const kVariants[] = {"tradicional", "pequeño", "mediano", "grande",  "familiar",
                                            "económico",   "x 3 un.", "x 6 un.", "premium", "clásico"};
    Article a;
    a.code = "B" + digits(i, 5);
    const std::string body = "7708" + digits(i, 8);
    int sum = 0;
    for (std::size_t k = 0; k < body.size(); ++k)
        sum += (body[k] - '0') * (k % 2 == 0 ? 1 : 3);
    a.barcode = body + std::to_string((10 - sum % 10) % 10);
    a.name = std::string(kProducts[i % 20]) + " " + kVariants[(i / 20) % 10] + " " + std::to_string(i);
    a.unit = i % 17 == 0 ? "KG" : "UND";
    a.tariff = i % 10 == 0 ? 1 : (i % 10 <= 2 ? 2 : 3);
    a.consumption = i % 25 == 0 ? 2000 + (i % 7) * 150 : 0;
    a.price = 100000 + (i * 37 % 97) * 15000 + (i % 4) * 25;
    if (a.unit == "KG") {
        a.extraUnit = "LB";
        a.extraFactorText = "0.45359237";
    } else if (i % 5 == 0) {
        a.extraUnit = "CAJA";
        a.extraFactorText = "12";
        a.extraPriceFactor = 12;
    } else if (i % 7 == 0) {
        a.extraUnit = "PAQ";
        a.extraFactorText = "6";
        a.extraPriceFactor = 6;
    }
    return a;
}

} // namespace bench
