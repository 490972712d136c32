#include "dataset/declarations.h"

namespace dataset {
namespace {

FieldDef text(std::string name, int width, bool required = false)
{
    return FieldDef{std::move(name), FieldKind::Text, width, required, false, {}};
}
FieldDef flag(std::string name)
{
    return FieldDef{std::move(name), FieldKind::FixedText, 1, false, false, {}};
}
FieldDef integer(std::string name, bool required = false)
{
    return FieldDef{std::move(name), FieldKind::Integer, 0, required, false, {}};
}
FieldDef decimal(std::string name, int scale)
{
    return FieldDef{std::move(name), FieldKind::Decimal, scale, false, false, {}};
}
FieldDef labelled(FieldDef def, std::string label)
{
    def.displayLabel = std::move(label);
    return def;
}

// The declared fields of the two quotation tables, in column order.
std::vector<FieldDef> cotizacionesFields()
{
    return {
        integer("COTI_ID", true),
        text("TERC_NIT", 20, true),
        integer("VEND_COD", true),
        integer("TIDO_COD", true),
        text("PREF_PRE", 4, true),
        text("COTI_NUMERO", 8, true),
        FieldDef{"COTI_FECHA", FieldKind::Date, 0, true, false, {}},
        integer("COTI_VALIDEZ"),
        FieldDef{"COTI_OBS", FieldKind::Blob, 0, false, false, {}},
        decimal("COTI_DTOPORC", 4),
        decimal("COTI_DTOMONTO", 2),
        decimal("COTI_ADICIONAL", 2),
        decimal("COTI_IVAMONTO", 2),
        decimal("COTI_EXTRA", 2),
        decimal("COTI_TOTAL", 2),
        flag("COTI_IMPTOS"),
        text("COTI_NOMTERC", 60),
        integer("PTVT_ID"),
        flag("COTI_ANULADO"),
        flag("COTI_TRANSMIT"),
        integer("COTI_NROCOPIA"),
        text("COTI_USUARIO", 10),
        text("COTI_SUCURSAL", 10),
        flag("NUMOK"),
        FieldDef{"COTI_FACTOR", FieldKind::Float, 0, false, false, {}},
        decimal("COTI_TRM", 2),
        text("COTI_REMISION", 60),
        integer("COTI_CONSOLIDA"),
        text("COTI_ORDENC", 20),
    };
}

std::vector<FieldDef> cotizacionesDetalleFields()
{
    return {
        integer("COTI_ID", true),
        integer("CTDE_ITEM", true),
        text("ARTI_COD", 15, true),
        decimal("CTDE_CANT", 4),
        text("CTDE_UNIDAD", 8),
        decimal("CTDE_PRUNIT", 2),
        decimal("CTDE_DTOPORC", 4),
        decimal("CTDE_DTOMONTO", 2),
        decimal("CTDE_IVAPORC", 4),
        decimal("CTDE_IVAMONTO", 2),
        decimal("CTDE_CONSUMO", 2),
        decimal("CTDE_FACTOR", 4),
        text("CTDE_DESC", 255),
        FieldDef{"CTDE_OBS", FieldKind::Blob, 0, false, false, {}},
        text("CTDE_CODBAR", 15),
        decimal("CTDE_PEDIDO", 4),
        decimal("CTDE_FACTURADO", 4),
        decimal("CTDE_TOTAL", 2),
        flag("CTDE_ANULADO"),
        flag("CTDE_TRANSMIT"),
        integer("LIPR_COD"),
        text("CTDE_REFERENCIA", 60),
        decimal("CTDE_REMISIONADO", 4),
    };
}

} // namespace

std::unique_ptr<RecordSet> makeCFacturas()
{
    auto set = std::make_unique<RecordSet>("CFacturas", cotizacionesFields());
    RecordSet& lines = set->nest("CFactdetalle", cotizacionesDetalleFields(), "COTI_ID");
    lines.addSum("SumIva", "sum(ctde_ivamonto)");
    lines.addSum("SumTotal", "sum(ctde_total)");
    return set;
}

std::unique_ptr<RecordSet> makeCImporinv()
{
    return std::make_unique<RecordSet>("CImporinv", std::vector<FieldDef>{
                                                        integer("IMIN_TIPO", true),
                                                        text("IMIN_DATO", 60),
                                                        integer("IMIN_COLUMNA"),
                                                        integer("IMIN_ANCHO"),
                                                    });
}

std::unique_ptr<RecordSet> makeCNomcampos()
{
    return std::make_unique<RecordSet>("CNomcampos",
                                       std::vector<FieldDef>{text("NOMBRE", 30), text("DESCRIPCION", 50)});
}

std::unique_ptr<RecordSet> makeCImportacion()
{
    auto set = std::make_unique<RecordSet>("CImportacion", std::vector<FieldDef>{
                                                               text("DATO", 60),
                                                               labelled(integer("COLUMNA"), "Columna"),
                                                               labelled(integer("ANCHO"), "Ancho"),
                                                               labelled(text("IMPORTAR", 2), "Importar"),
                                                           });
    set->setIndexFields({"COLUMNA"});
    return set;
}

std::unique_ptr<RecordSet> makeCValarticulo()
{
    return std::make_unique<RecordSet>("CValarticulo", std::vector<FieldDef>{
                                                           flag("TIPO"),
                                                           text("DESCRIPCION", 60),
                                                           text("UNIDAD", 8),
                                                           text("ID", 15),
                                                           flag("LOTE"),
                                                       });
}

std::unique_ptr<RecordSet> makeCFactor()
{
    return std::make_unique<RecordSet>("CFactor", std::vector<FieldDef>{decimal("FACTOR", 8)});
}

} // namespace dataset
