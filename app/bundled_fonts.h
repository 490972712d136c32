#pragma once
// The window's fonts travel with the program: a Windows machine has neither
// Liberation Sans nor Liberation Sans Narrow, and a font that Windows chose in their
// place would change the layout. They lie in the folder "fonts" beside the program
// and are added to the program's fonts at start, before the window asks for them
// by name; where the system has them (Debian's fonts-liberation) the folder does
// not exist and nothing is added.
#include <QString>
#include <QStringList>

namespace app {

// Adds every TrueType font file of the folder to the program's fonts and gives the
// families they bring, sorted; a file that is no font is passed over.
QStringList addFontsFrom(const QString& folder);

// addFontsFrom the folder "fonts" beside the program. Needs the QApplication.
void addBundledFonts();

} // namespace app
