#pragma once
// The line values of a run: one text per data name of the mapping, all empty at the
// start of a run and never emptied while it lasts, so that an empty field of the
// file keeps the value of the line before.
#include <optional>
#include <string>
#include <string_view>

namespace importer {

struct LineValues {
    std::string EPref;  // PREF_PRE
    std::string ENum;   // COTI_NUMERO
    std::string EFec;   // COTI_FECHA
    std::string EVali;  // COTI_VALIDEZ
    std::string EVend;  // VEND_COD
    std::string EPtov;  // PTVT_ID
    std::string ENit;   // TERC_NIT
    std::string ENomc;  // COTI_NOMTERC
    std::string ESuc;   // COTI_SUCURSAL
    std::string EExtra; // COTI_EXTRA
    std::string EAdic;  // COTI_ADICIONAL
    std::string EDtom;  // COTI_DTOMONTO
    std::string EObs;   // COTI_OBS
    std::string EOrd;   // COTI_ORDENC
    std::string EIvai;  // COTI_IMPTOS
    std::string DArt;   // CTDE_CODBAR
    std::string DDesc;  // CTDE_DESC
    std::string DCant;  // CTDE_CANT
    std::string DUni;   // CTDE_UNIDAD
    std::string Dlis;   // LIPR_COD
    std::string DPruni; // CTDE_PRUNIT
    std::string DDtop;  // CTDE_DTOPORC
    std::string DDtom;  // CTDE_DTOMONTO
    std::string DIvap;  // CTDE_IVAPORC
    std::string DIvam;  // CTDE_IVAMONTO
    std::string DCons;  // CTDE_CONSUMO
    std::string DRef;   // CTDE_REFERENCIA
    std::string DTot;   // CTDE_TOTAL

    // The value of a data name, compared exactly (same letters, same case); nothing
    // for any other name.
    std::string* byDataName(std::string_view dataName);
    // One of the values above, as a member: found once by its data name, used often.
    using Field = std::string LineValues::*;
    static std::optional<Field> memberOf(std::string_view dataName);
};

} // namespace importer
