#include "installation.h"

#include "platform/executablepath.h"
#include "platform/windowsinstaller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString separator() {
    return QString::fromLatin1(platform::PathSeparator());
}

} // namespace

Installation Installation::OfRunningProgram() {
    const QString folder = QString::fromStdString(platform::ExecutableDir());
#ifdef ZOR_PACKAGED_PROGRAM_DIR
    return Locate(folder, {QStringLiteral(ZOR_PACKAGED_PROGRAM_DIR), QStringLiteral(ZOR_PACKAGED_CONFIG_DIR),
                           QStringLiteral(ZOR_PACKAGED_DATA_DIR)});
#elif defined(ZOR_MSI_PROGRAM_COMPONENT)
    // The Windows package keeps Data beside the program, where the administrator writes it; only its
    // files are the package's.
    Installation installation(folder);
    installation.m_askWindowsInstaller = true;
    return installation;
#else
    return Installation(folder);
#endif
}

Installation Installation::Locate(const QString& programFolder, const SystemPlaces& places) {
    Installation installation(programFolder);
    if (places.programFolder.isEmpty() ||
        QDir::cleanPath(programFolder) != QDir::cleanPath(places.programFolder) ||
        QFileInfo::exists(installation.m_bootstrapFile))
        return installation;
    installation.m_packaged = true;
    installation.m_dataFolder = QDir::toNativeSeparators(places.dataFolder);
    installation.m_bootstrapFile =
        QDir::toNativeSeparators(places.configFolder) + separator() + QStringLiteral("ZOR");
    return installation;
}

bool Installation::isPackaged() const {
#ifdef ZOR_MSI_PROGRAM_COMPONENT
    if (m_askWindowsInstaller)
        return platform::InstalledByWindowsInstaller(ZOR_MSI_PROGRAM_COMPONENT);
#endif
    return m_packaged;
}

Installation::Installation(QString programFolder) : m_programFolder(std::move(programFolder)) {
    m_dataFolder = inProgramFolder(QStringLiteral("Data"));
    m_bootstrapFile = m_dataFolder + separator() + QStringLiteral("ZOR");
}

QString Installation::inProgramFolder(const QString& name) const {
    return m_programFolder + separator() + name;
}

QString Installation::updateFolder() const {
    return inProgramFolder(QStringLiteral("tempZOR"));
}

QString Installation::executableSuffix() {
    return QString::fromLatin1(platform::ExecutableSuffix());
}

QString Installation::updateDownload() const {
    return updateFolder() + separator() + QString::fromLatin1(ProgramName) + executableSuffix();
}

QString Installation::updateDownloadPart(long long processId) const {
    return updateFolder() + separator() + QString::fromLatin1(ProgramName) + QLatin1Char('.') +
           QString::number(processId) + QStringLiteral(".part");
}

QString Installation::updateLock() const {
    return updateFolder() + separator() + QString::fromLatin1(ProgramName) + QStringLiteral(".lock");
}

QString Installation::updateScriptAtWork() const {
    return updateFolder() + separator() + QString::fromLatin1(ProgramName) + QStringLiteral(".run");
}

QString Installation::updateScript() const {
    return inProgramFolder(QString::fromLatin1(ProgramName) + QStringLiteral(".bat"));
}

QString Installation::updateShellScript() const {
    return inProgramFolder(QString::fromLatin1(ProgramName) + QStringLiteral(".sh"));
}
