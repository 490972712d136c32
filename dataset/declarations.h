#pragma once
// The record sets of the program with their declared fields, as the database columns
// are held: kinds, sizes, required flags, the nesting of the quotation lines under
// their header and the sums over the lines.
#include "dataset/record_set.h"

#include <memory>
#include <vector>

namespace dataset {

// COTIZACIONES, then the nested field TCotdetalle holding CFactdetalle (the lines of
// COTIZACIONES_DETALLE, linked by COTI_ID) with the sums SumIva and SumTotal.
std::unique_ptr<RecordSet> makeCFacturas();
// The mapping rows of IMPORTACION_INVENTARIO.
std::unique_ptr<RecordSet> makeCImporinv();
// NOMBRES_CAMPOS: the descriptions of the data names.
std::unique_ptr<RecordSet> makeCNomcampos();
// The in-memory mapping table, kept in ascending COLUMNA. Its looked-up description
// NomDato is no stored field: the mapping code works it out.
std::unique_ptr<RecordSet> makeCImportacion();
// The output of VALIDE_ARTICULO.
std::unique_ptr<RecordSet> makeCValarticulo();
// The output of FACTOR_UNIDAD_CANT.
std::unique_ptr<RecordSet> makeCFactor();

} // namespace dataset
