#include "import/mapping.h"

#include "dataset/declarations.h"

namespace importer {

Mapping::Mapping(database::Tfdm& fdm)
    : CImportacion_(dataset::makeCImportacion()), CImporinv_(dataset::makeCImporinv()),
      CNomcampos_(dataset::makeCNomcampos()), PImporinv_(fdm.makePImporinv()), PNomcampo_(fdm.makePNomcampo())
{
}

Mapping::~Mapping() = default;

void Mapping::load()
{
    // The mapping's rows are read first; the descriptions come with them, and a
    // mapping without its descriptions is not open.
    PImporinv_->open(*CImporinv_);
    try {
        PNomcampo_->open(*CNomcampos_);
    } catch (...) {
        CImporinv_->close();
        throw;
    }
    descriptions_.clear();
    dataset::Field nombre = CNomcampos_->field("NOMBRE");
    dataset::Field descripcion = CNomcampos_->field("DESCRIPCION");
    for (CNomcampos_->first(); !CNomcampos_->eof(); CNomcampos_->next())
        descriptions_.try_emplace(nombre.asString(), descripcion.asString());

    CImporinv_->first();
    CImportacion_->close();
    CImportacion_->createDataSet();
    dataset::Field dato = CImportacion_->field("DATO");
    dataset::Field columna = CImportacion_->field("COLUMNA");
    dataset::Field ancho = CImportacion_->field("ANCHO");
    dataset::Field importar = CImportacion_->field("IMPORTAR");
    dataset::Field iminDato = CImporinv_->field("IMIN_DATO");
    dataset::Field iminColumna = CImporinv_->field("IMIN_COLUMNA");
    dataset::Field iminAncho = CImporinv_->field("IMIN_ANCHO");
    for (; !CImporinv_->eof(); CImporinv_->next()) {
        CImportacion_->append();
        dato.setAsString(iminDato.asString());
        columna.setAsInteger(iminColumna.asInteger());
        ancho.setAsInteger(iminAncho.asInteger());
        importar.setAsString("SI");
        CImportacion_->post();
    }
    CImportacion_->first();
}

std::string Mapping::NomDato(const std::string& dato) const
{
    const auto found = descriptions_.find(dato);
    return found == descriptions_.end() ? std::string() : found->second;
}

template <class OnColumn> void Mapping::forEachTakenColumn(OnColumn onColumn)
{
    dataset::RecordSet& table = *CImportacion_;
    table.checkBrowseMode();
    const std::size_t dato = table.field("DATO").index();
    const std::size_t columna = table.field("COLUMNA").index();
    const std::size_t importar = table.field("IMPORTAR").index();
    for (std::size_t row = 0; row < table.recordCount(); ++row) {
        const auto* flag = std::get_if<std::string>(&table.valueAt(row, importar));
        const auto* column = std::get_if<std::int32_t>(&table.valueAt(row, columna));
        if (flag == nullptr || *flag != "SI" || column == nullptr || *column < 1 || *column > kMaxFields)
            continue;
        if (const auto* name = std::get_if<std::string>(&table.valueAt(row, dato)))
            onColumn(*column, *name);
    }
}

void Mapping::takeValues(const Slots& slots, LineValues& values)
{
    if (!inRun_ || !taken_) {
        std::vector<Taken> taken;
        forEachTakenColumn([&](int column, const std::string& name) {
            if (const auto member = LineValues::memberOf(name))
                taken.push_back({static_cast<std::size_t>(column - 1), *member});
        });
        if (inRun_)
            taken_ = std::move(taken);
        else
            return takeValues(taken, slots, values);
    }
    takeValues(*taken_, slots, values);
}

void Mapping::takeValues(const std::vector<Taken>& taken, const Slots& slots, LineValues& values)
{
    for (const Taken& column : taken)
        if (const std::string& text = slots[column.slot]; !text.empty())
            values.*column.value = text;
}

void Mapping::startRun()
{
    inRun_ = true;
    taken_.reset();
}

void Mapping::endRun()
{
    inRun_ = false;
    taken_.reset();
}

std::optional<std::vector<std::string>> Mapping::filledFields(const Slots& slots, int fieldCount,
                                                              LineValues& values)
{
    std::vector<std::string> fields(slots.begin(), slots.begin() + fieldCount);
    bool filled = false;
    forEachTakenColumn([&](int column, const std::string& name) {
        const auto at = static_cast<std::size_t>(column - 1);
        if (at < fields.size() && !fields[at].empty())
            return;
        const std::string* value = values.byDataName(name);
        if (value == nullptr || value->empty())
            return;
        if (fields.size() <= at)
            fields.resize(at + 1);
        fields[at] = *value;
        filled = true;
    });
    if (!filled)
        return std::nullopt;
    return fields;
}

} // namespace importer
