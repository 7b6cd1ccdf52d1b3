#pragma once

#include <QStringList>
#include <memory>

class QCoreApplication;
class QTranslator;

// The toolkit's own texts (standard buttons, the file, print and preview dialogs) in Russian, the
// program's language whatever the user's locale: qtbase_ru.qm from the first of the folders that
// has it; without one, a translator of our own for the standard buttons of the message boxes.
std::unique_ptr<QTranslator> RussianToolkitTranslator(const QStringList& folders);

// Where qtbase_ru.qm is looked for: "translations" beside the executable (a site may put a newer
// one there), the copy built into the program (":/translations"), then the toolkit's own
// translations folder.
QStringList ToolkitTranslationFolders();

// Installs RussianToolkitTranslator(ToolkitTranslationFolders()) into the application, which owns it.
void InstallRussianToolkitTranslation(QCoreApplication& application);
