#pragma once
// The columns that a statement over a record set's table gives: one per field of the
// set, of the field's kind and size.
#include "dataset/record_set.h"

#include <vector>

inline std::vector<dataset::ColumnInfo> columnsOf(const dataset::RecordSet& set)
{
    std::vector<dataset::ColumnInfo> columns;
    for (std::size_t i = 0; i < set.fieldCount(); ++i) {
        const dataset::FieldDef& def = set.fieldDef(i);
        columns.push_back({def.name, def.kind, def.size});
    }
    return columns;
}
