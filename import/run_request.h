#pragma once
// What a run of the import needs, gathered by a front end: the window from its
// controls when F2 is pressed, the batch mode from its command line.
#include "import/reader.h"
#include "import/run_options.h"

#include <string>

namespace importer {

// The four values of the connect: the database server location, the user, the
// password and the company code. Texts are UTF-8.
struct ConnectionValues {
    std::string server;
    std::string user;
    std::string password;
    std::string company;
};

struct RunRequest {
    // The user stamped on every quotation stored (COTI_USUARIO).
    ConnectionValues connection;
    std::string dataPath;
    // How the file is cut: separator, delimiter and encoding.
    ReaderOptions reader;
    RunOptions options;
};

} // namespace importer
