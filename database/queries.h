#pragma once
// The statements of the data module's queries and stored procedure. Where the
// system's statement inserts a value, the value is bound to a "?" instead, so that
// each statement is prepared once per connection and a quote inside a value stays
// data; the rows are those of the statement with the value in its place.
#include <string>

namespace database::queries {

inline constexpr const char* TCotizaci = "SELECT * FROM COTIZACIONES WHERE COTI_ID = ?";
inline constexpr const char* TCotdetalle = "SELECT * FROM COTIZACIONES_DETALLE WHERE COTI_ID = ?";
inline constexpr const char* TImporinv =
    "select * from importacion_inventario where IMIN_TIPO = 30 order by imin_columna";
inline constexpr const char* TNomcampos = "SELECT * FROM NOMBRES_CAMPOS";
inline constexpr const char* QConfiguracion = "select conf_valor from configuracion where conf_modulo = ? "
                                              "and conf_categoria = ? and conf_propiedad = ?";
// The configuration statement with its values written in, as the suite writes it:
// only for the message of a statement that the server cannot prepare, whose
// positions ("At line 1, column n") are those of this text.
inline std::string QConfiguracionText(const std::string& modulo, const std::string& categoria,
                                      const std::string& pregunta)
{
    return "select conf_valor from configuracion where conf_modulo = '" + modulo +
           "' and conf_categoria = '" + categoria + "' and conf_propiedad = '" + pregunta + "'";
}
inline constexpr const char* QValarticulo = "select * from valide_articulo(?)";
inline constexpr const char* QArticulos = "select taiv_porc, arti_consumo from articulo a, tarifa_iva t "
                                          "where a.taiv_cod = t.taiv_cod and arti_cod = ?";
inline constexpr const char* QFactor = "SELECT * FROM FACTOR_UNIDAD_CANT(?,?)";
// Whether a quotation with this prefix and number is stored: a check on the
// unique pair, one look-up per quotation.
inline constexpr const char* QCotizacionGrabada =
    "select first 1 1 from COTIZACIONES where PREF_PRE = ? and COTI_NUMERO = ?";
// The savepoint around one quotation's work under a check; setting it again
// replaces it.
inline constexpr const char* SavepointCheck = "SAVEPOINT COMPROBACION";
inline constexpr const char* RollbackToSavepointCheck = "ROLLBACK TO SAVEPOINT COMPROBACION";
inline constexpr const char* ReleaseSavepointCheck = "RELEASE SAVEPOINT COMPROBACION";
inline constexpr const char* SCambieidcot = "EXECUTE PROCEDURE \"CAMBIE_ID_COTIZACI\"";

} // namespace database::queries
