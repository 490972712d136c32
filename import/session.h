#pragma once
// The window's behaviour without its widgets: the handlers that the window (or the
// batch mode) calls, the fields of the run and the record sets of the import.
#include <cstdint>
#include <memory>
#include <string>

#include "import/form_host.h"
#include "import/reader.h"

namespace database {
class Tfdm;
}

namespace importer {

class ImportSession {
public:
    ImportSession(FormHost& host, database::Tfdm& fdm);
    ~ImportSession();
    ImportSession(const ImportSession&) = delete;
    ImportSession& operator=(const ImportSession&) = delete;

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
    void lineStep(const Slots& slots);
    void finishRun();

    FormHost& host_;
    database::Tfdm& fdm_;

    std::string espera_;
    std::string preVie_;
    std::string numVie_;
    std::int32_t nroIte_ = 0;
    std::int32_t digitos_ = 0;
    bool primeraVez_ = true;
};

}  // namespace importer
