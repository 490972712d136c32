#pragma once
// The data module's services as the import calls them: what the database answers,
// and the messages of what it does not have.
#include "database/dm.h"
#include "platform/dialogs.h"

#include <string>

namespace importer {

// One setting of table CONFIGURACION as text; "" when null. No row: the error
// dialog "No se encontró la configuración " + Pregunta, then "", at every call.
std::string configuracion(database::Tfdm& fdm, platform::Dialogs& dialogs, const std::string& Modulo,
                          const std::string& Categoria, const std::string& Pregunta);

// Validates the code read from the file; a found article replaces Cod and fills
// Desc and Unidad when they are empty. Not found: "Código 'X' no encontrado." and
// false; an empty code or an answer that is no TIPO of the procedure's: false,
// without a message.
bool valide_articulo(database::Tfdm& fdm, platform::Dialogs& dialogs, const std::string& CodBar,
                     dataset::Field Cod, dataset::Field Desc, dataset::Field Unidad);

} // namespace importer
