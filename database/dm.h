#pragma once
// The data module: the one database connection and the services that the import calls.
namespace database {

class Tfdm {
public:
    Tfdm() = default;
};

}  // namespace database
