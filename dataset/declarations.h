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
// Sets without declared fields: they take the columns of their statement.
std::unique_ptr<RecordSet> makeCConfiguracion();
std::unique_ptr<RecordSet> makeCArticulo();

// The declared fields of the two quotation tables, in column order.
std::vector<FieldDef> cotizacionesFields();
std::vector<FieldDef> cotizacionesDetalleFields();

// Columns matching the fields of a set (what a statement over its table returns).
std::vector<ColumnInfo> columnsOf(const std::vector<FieldDef>& fields);

} // namespace dataset
