#include "import/session.h"

#include "import/data_file.h"
#include "import/settings_file.h"

namespace importer {

ImportSession::ImportSession(FormHost& host, database::Tfdm& fdm) : host_(host), fdm_(fdm) {}
ImportSession::~ImportSession() = default;

void ImportSession::FormCreate()
{
    const std::string directory = diraplicacion(host_.dialogs());
    const SettingsLines lines = readSettingsFile(settingsFilePath(directory));
    static constexpr FormField kFields[] = {FormField::Servidor, FormField::Tusua, FormField::TClave, FormField::Cia,
                                            FormField::Ubicacion};
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        if (lines[i])
            host_.setText(kFields[i], *lines[i]);
    if (lines[5])
        espera_ = *lines[5];
}

void ImportSession::FormActivate()
{
    for (FormField field : {FormField::Servidor, FormField::Tusua, FormField::TClave, FormField::Cia})
        if (host_.text(field).empty())
            return;
    CiaExit();
}

void ImportSession::CiaExit() {}

void ImportSession::SpeedButton3Click()
{
    host_.showStatus(kImportingStatus);
    host_.stopGridFollowing();
    host_.showLineDisplay();
    primeraVez_ = true;
    nroIte_ = 0;

    const std::string path = host_.text(FormField::Ubicacion);
    if (const auto refusal = checkDataFilePath(path)) {
        host_.dialogs().plainMessage(*refusal);
        finishRun();
        return;
    }
    const ReaderOptions options{separatorForItem(host_.separatorIndex()), delimiterForItem(host_.delimiterIndex())};

    DataFileOpening opening = openDataFile(path, options);
    if (!opening.opened) {
        host_.dialogs().plainMessage(opening.refusal);
        finishRun();
        return;
    }
    // The file stays open, held exclusively, until the reader is through with it
    // or the run stops.
    {
        OpenedDataFile data = std::move(*opening.opened);
        const std::int64_t step = progressStepSize(data.size);
        FileByteSource source(*data.file);
        DelimitedReader reader(options);
        reader.run(
            source, data.size, [this](const Slots& slots, int, std::int64_t) { lineStep(slots); },
            [this, step](std::int64_t count) {
                if (count % step == 0)
                    host_.progressStep();
            });
    }

    host_.dialogs().plainMessage(kFinishedMessage);
    host_.closeForm();
    finishRun();
}

void ImportSession::lineStep(const Slots&) {}

void ImportSession::finishRun()
{
    host_.hideStatus();
    host_.closeForm();
}

}  // namespace importer
