#pragma once
// Sum fields: a sum over the rows of a record set (for nested lines, over the
// current header's lines), kept up to date by the record set and never stored.
// They are not among the set's fields: nothing assigns them and posting never
// checks them.
#include <cstddef>
#include <string>

namespace dataset {

class RecordSet;

// A handle on one sum of a record set. Cheap to copy.
class SumField {
public:
    SumField() = default;
    SumField(const RecordSet* owner, std::size_t index) : owner_(owner), index_(index) {}

    // "" while there are no rows to sum; otherwise the sum as a money value, in text
    // with the machine's decimal separator and no digit grouping.
    std::string asString() const;

private:
    const RecordSet* owner_ = nullptr;
    std::size_t index_ = 0;
};

} // namespace dataset
