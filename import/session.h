#pragma once
// The window's behaviour without its widgets: the handlers that the window (or the
// batch mode) calls, the fields of the run and the record sets of the import.
#include <memory>
#include <string>

#include "import/form_host.h"

namespace database {
class Tfdm;
}

namespace importer {

class ImportSession {
public:
    ImportSession(FormHost& host, database::Tfdm& fdm);
    ~ImportSession();

    // Window creation: the settings file, then the error handlers of the data module.
    void FormCreate();
    // First activation: CiaExit when Servidor, Tusua, TClave and Cia all hold text.
    void FormActivate();
    // The focus leaves Cia: connect, load the mapping, maybe the unattended run.
    void CiaExit();
    // F2 or "F2: Generar": the import run.
    void SpeedButton3Click();

    // The unattended flag from the sixth line of the settings file.
    const std::string& Espera() const { return espera_; }

private:
    FormHost& host_;
    database::Tfdm& fdm_;
    std::string espera_;
};

}  // namespace importer
