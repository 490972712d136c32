#include "import/session.h"

namespace importer {

ImportSession::ImportSession(FormHost& host, database::Tfdm& fdm) : host_(host), fdm_(fdm) {}
ImportSession::~ImportSession() = default;

void ImportSession::FormCreate() {}
void ImportSession::FormActivate() {}
void ImportSession::CiaExit() {}
void ImportSession::SpeedButton3Click() {}

}  // namespace importer
