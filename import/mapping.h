#pragma once
// The column mapping of quotation imports (type 30): read from the company
// database into the in-memory table CImportacion, which the grid shows and the
// user may change before the run; nothing of it is written back.
#include "database/dm.h"
#include "database/provider.h"
#include "dataset/record_set.h"
#include "import/line_values.h"
#include "import/reader.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace importer {

class Mapping {
public:
    explicit Mapping(database::Tfdm& fdm);
    ~Mapping();

    dataset::RecordSet& CImportacion() { return *CImportacion_; }
    dataset::RecordSet& CImporinv() { return *CImporinv_; }
    dataset::RecordSet& CNomcampos() { return *CNomcampos_; }
    database::Provider& PImporinv() { return *PImporinv_; }
    database::Provider& PNomcampo() { return *PNomcampo_; }

    // Reads the descriptions and the rows of type 30, and builds CImportacion anew
    // from them in column order, every row marked "SI".
    void load();

    // The description of a data name: DESCRIPCION of the first row of NOMBRES_CAMPOS
    // whose NOMBRE is the same text exactly; "" when there is none.
    std::string NomDato(const std::string& dato) const;

    // Takes the values of a line: walks CImportacion in column order and, for each
    // row marked exactly "SI" whose slot holds text, gives that text to the value
    // of its data name. A row whose column lies outside 1..101 is taken as switched
    // off. A row the user is still changing is posted first.
    void takeValues(const Slots& slots, LineValues& values);

    // A run starts: the table cannot change until it ends (the grid no longer
    // follows it), so the columns taken are found at the run's first line and
    // kept, instead of walking the table for every line of the file.
    void startRun();
    void endRun();

    // The line's own fields (the first fieldCount slots) with the values it took
    // from earlier lines written into the empty fields of the columns the values
    // come from, so that the line read alone gives the same values; nothing when
    // every value came from the line itself.
    std::optional<std::vector<std::string>> filledFields(const Slots& slots, int fieldCount,
                                                         LineValues& values);

private:
    // Calls onColumn(column, data name) for each row marked "SI" with a column in
    // 1..101, in the table's order, after posting a row the user is still changing.
    template <class OnColumn> void forEachTakenColumn(OnColumn onColumn);
    // A column taken: its slot and the value it fills.
    struct Taken {
        std::size_t slot;
        LineValues::Field value;
    };
    static void takeValues(const std::vector<Taken>& taken, const Slots& slots, LineValues& values);

    std::unique_ptr<dataset::RecordSet> CImportacion_;
    std::unique_ptr<dataset::RecordSet> CImporinv_;
    std::unique_ptr<dataset::RecordSet> CNomcampos_;
    std::unique_ptr<database::Provider> PImporinv_;
    std::unique_ptr<database::Provider> PNomcampo_;
    std::unordered_map<std::string, std::string> descriptions_;

    // The columns taken during a run, in the table's order.
    bool inRun_ = false;
    std::optional<std::vector<Taken>> taken_;
};

} // namespace importer
