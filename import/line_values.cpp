#include "import/line_values.h"

#include <array>
#include <utility>

namespace importer {

std::string* LineValues::byDataName(std::string_view dataName)
{
    const auto member = memberOf(dataName);
    return member ? &(this->*(*member)) : nullptr;
}

std::optional<LineValues::Field> LineValues::memberOf(std::string_view dataName)
{
    static constexpr std::array<std::pair<std::string_view, Field>, 28> kNames = {{
        {"PREF_PRE", &LineValues::EPref},       {"COTI_NUMERO", &LineValues::ENum},
        {"COTI_FECHA", &LineValues::EFec},      {"COTI_VALIDEZ", &LineValues::EVali},
        {"VEND_COD", &LineValues::EVend},       {"PTVT_ID", &LineValues::EPtov},
        {"TERC_NIT", &LineValues::ENit},        {"COTI_NOMTERC", &LineValues::ENomc},
        {"COTI_SUCURSAL", &LineValues::ESuc},   {"COTI_EXTRA", &LineValues::EExtra},
        {"COTI_ADICIONAL", &LineValues::EAdic}, {"COTI_DTOMONTO", &LineValues::EDtom},
        {"COTI_OBS", &LineValues::EObs},        {"COTI_ORDENC", &LineValues::EOrd},
        {"COTI_IMPTOS", &LineValues::EIvai},    {"CTDE_CODBAR", &LineValues::DArt},
        {"CTDE_DESC", &LineValues::DDesc},      {"CTDE_CANT", &LineValues::DCant},
        {"CTDE_UNIDAD", &LineValues::DUni},     {"LIPR_COD", &LineValues::Dlis},
        {"CTDE_PRUNIT", &LineValues::DPruni},   {"CTDE_DTOPORC", &LineValues::DDtop},
        {"CTDE_DTOMONTO", &LineValues::DDtom},  {"CTDE_IVAPORC", &LineValues::DIvap},
        {"CTDE_IVAMONTO", &LineValues::DIvam},  {"CTDE_CONSUMO", &LineValues::DCons},
        {"CTDE_REFERENCIA", &LineValues::DRef}, {"CTDE_TOTAL", &LineValues::DTot},
    }};
    for (const auto& [name, member] : kNames)
        if (name == dataName)
            return member;
    return std::nullopt;
}

} // namespace importer
