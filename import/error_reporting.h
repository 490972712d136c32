#pragma once
// The error handlers installed in the import's providers and record sets: database
// errors met while a record set posts, edits or deletes a row, or while PFacturas
// writes a quotation, become a Spanish message, a beep and an error dialog; the
// operation is then abandoned. A failure of the environment is not theirs to
// report: it goes on to the caller, which shows it once.
#include "database/provider.h"
#include "dataset/record_set.h"
#include "platform/dialogs.h"
#include "platform/errors.h"

#include <variant>
#include <vector>

namespace importer {

// A component that ConfigurarProviders looks at: a provider or a record set.
using Component = std::variant<database::Provider*, dataset::RecordSet*>;

class ErrorReporting {
public:
    explicit ErrorReporting(platform::Dialogs& dialogs) : dialogs_(dialogs) {}

    // Installs ManejarError in every provider and ManejarClientError in every record
    // set among the components, in their order. They must outlive this object's use.
    void ConfigurarProviders(const std::vector<Component>& Componente);
    // The record-set hook: abort, after ManejarError without a sender.
    dataset::HookAction ManejarClientError(dataset::RecordSet& DataSet, const platform::DatabaseError& E);
    // The provider hook: a Spanish message, a beep and the error dialog; abort. An
    // error of the Environment kind is raised again instead, unreported.
    database::UpdateResponse ManejarError(database::Provider* Sender, dataset::RecordSet& DataSet,
                                          const platform::DatabaseError& E, database::UpdateKind kind);

private:
    platform::Dialogs& dialogs_;
};

} // namespace importer
