#include "import/error_reporting.h"

#include "platform/text_codec.h"

#include <string_view>

namespace importer {

using database::Provider;
using database::UpdateKind;
using database::UpdateResponse;

void ErrorReporting::ConfigurarProviders(const std::vector<Component>& Componente)
{
    for (const Component& component : Componente) {
        if (auto* const* provider = std::get_if<Provider*>(&component)) {
            (*provider)->onUpdateError = [this](Provider& sender, dataset::RecordSet& dataSet,
                                                const platform::DatabaseError& error, UpdateKind kind,
                                                UpdateResponse) {
                return ManejarError(&sender, dataSet, error, kind);
            };
        } else if (auto* const* recordSet = std::get_if<dataset::RecordSet*>(&component)) {
            const auto hook = [this](dataset::RecordSet& dataSet, const platform::DatabaseError& error) {
                return ManejarClientError(dataSet, error);
            };
            (*recordSet)->onPostError = hook;
            (*recordSet)->onEditError = hook;
            (*recordSet)->onDeleteError = hook;
        }
    }
}

dataset::HookAction ErrorReporting::ManejarClientError(dataset::RecordSet& DataSet,
                                                       const platform::DatabaseError& E)
{
    ManejarError(nullptr, DataSet, E, UpdateKind::Modify);
    return dataset::HookAction::Abort;
}

UpdateResponse ErrorReporting::ManejarError(Provider* Sender, dataset::RecordSet& DataSet,
                                            const platform::DatabaseError& E, UpdateKind)
{
    // A failure of the disk, the connection, the server or the database file is no
    // refusal of this row: every row after it would fail the same way. It goes on
    // to the caller unreported, so that it ends the work like any other error and
    // is shown once.
    if (E.kind() == platform::DatabaseError::Kind::Environment)
        throw E;
    const std::string text = E.what();
    std::string Mensaje = text;
    const auto startsWith = [&](std::string_view piece) { return text.compare(0, piece.size(), piece) == 0; };
    if (Sender == nullptr) {
        if (startsWith("Cannot delete master record wi")) {
            Mensaje = "Error. Borre antes los detalles dependientes del registro.";
        } else if (startsWith("Fie")) {
            std::string list;
            for (std::size_t i = 0; i < DataSet.fieldCount(); ++i) {
                const dataset::FieldDef& def = DataSet.fieldDef(i);
                if (def.required && DataSet.field(i).isNull())
                    list += def.name + ", ";
            }
            Mensaje = "Los campos " + list + " son obligatorios.";
        } else if (startsWith("key")) {
            std::string list;
            for (const auto& name : DataSet.indexFields())
                list += name + " ";
            Mensaje = "Ya existe un registro con el mismo " + list;
        }
    } else {
        // A text of the connection carries the server's message from its 19th
        // character on, after "SQL Server Error: ".
        const std::string piece = text.size() >= 38 ? text.substr(18, 20) : std::string();
        const std::string label = Sender->sourceQuery().substr(1);
        if (piece == "violation of PRIMARY")
            Mensaje = "Ya existe el registro en la tabla " + label;
        else if (piece == "violation of FOREIGN")
            Mensaje = "Está borrando o insertando un registro en la tabla " + label +
                      " que tiene una relación con otra tabla.";
    }
    dialogs_.beep();
    dialogs_.errorDialog(platform::systemTextToUtf8(Mensaje));
    return UpdateResponse::Abort;
}

} // namespace importer
