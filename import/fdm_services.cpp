#include "import/fdm_services.h"

#include "platform/text_codec.h"

namespace importer {

std::string configuracion(database::Tfdm& fdm, platform::Dialogs& dialogs, const std::string& Modulo,
                          const std::string& Categoria, const std::string& Pregunta)
{
    const std::optional<std::string> value = fdm.setting(Modulo, Categoria, Pregunta);
    if (!value) {
        dialogs.errorDialog("No se encontró la configuración " + platform::cp1252ToUtf8(Pregunta));
        return {};
    }
    return *value;
}

bool valide_articulo(database::Tfdm& fdm, platform::Dialogs& dialogs, const std::string& CodBar,
                     dataset::Field Cod, dataset::Field Desc, dataset::Field Unidad)
{
    switch (fdm.lookUpArticle(CodBar, Cod, Desc, Unidad)) {
    case database::Tfdm::ArticleLookUp::Found:
        return true;
    case database::Tfdm::ArticleLookUp::NotFound:
        dialogs.plainMessage("Código " + platform::cp1252ToUtf8(database::quoted(CodBar)) +
                             " no encontrado.");
        return false;
    case database::Tfdm::ArticleLookUp::NoAnswer:
        break;
    }
    return false;
}

} // namespace importer
