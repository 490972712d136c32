#pragma once
// The Firebird client library, loaded at run time so that a machine without it gets
// a clear message instead of a program that does not start. Everything else of the
// library is reached through the interfaces that its master interface hands out.
// Internal to this library, like client.h.
#ifndef IMPORTARCOT_DATABASE_INTERNAL
#error "database/fb_client.h belongs to the database library alone"
#endif

#include <firebird/Interface.h>
#include <string>

namespace database::fb {

// The file loaded: the environment variable IMPORTARCOT_FBCLIENT when it is set and
// not empty, else the platform's client library ("libfbclient.so.2", "fbclient.dll").
// On Windows fbclient.dll is looked for where a Firebird installation places it
// first, and IMPORTARCOT_FBCLIENT is the last resort.
std::string clientLibraryName();

// The master interface of the client library named by clientLibraryName(). A library
// is loaded once per process and kept; a failure is not remembered, so that the next
// call tries again. Raises platform::DatabaseError "Unable to Load %s" (the file name
// as given) or "Unable to Find Procedure %s" (fb_get_master_interface).
Firebird::IMaster* master();

} // namespace database::fb
