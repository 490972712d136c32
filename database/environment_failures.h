#pragma once
// Which errors of the Firebird client are about the environment that stores the
// data rather than about the data: the disk, the connection, the server, the
// database file, the engine's memory. After one of them every further write fails
// the same way, so it must end the work instead of being counted against a row.
// For database/*.cpp and the layer's own test only: it speaks in the client's types.
#ifndef IMPORTARCOT_DATABASE_INTERNAL
#error "database/environment_failures.h belongs to the database library alone"
#endif

#include <firebird/Interface.h>

namespace database {

// Whether the error vector (isc_arg_gds codes with their arguments, as
// IStatus::getErrors() gives it) holds a code of the environment anywhere: the
// client often puts the specific one second, under a generic first code.
bool isEnvironmentFailure(const ISC_STATUS* errors);

} // namespace database
