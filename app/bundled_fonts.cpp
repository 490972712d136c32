#include "app/bundled_fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

QStringList app::addFontsFrom(const QString& folder)
{
    const QDir dir(folder);
    QStringList families;
    for (const QString& file : dir.entryList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name)) {
        const int id = QFontDatabase::addApplicationFont(dir.filePath(file));
        if (id >= 0)
            families += QFontDatabase::applicationFontFamilies(id);
    }
    families.removeDuplicates();
    families.sort();
    return families;
}

void app::addBundledFonts()
{
    addFontsFrom(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
}
