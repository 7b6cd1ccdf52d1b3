#include "installation.h"

#include "platform/executablepath.h"

namespace {

QString separator() {
    return QString::fromLatin1(platform::PathSeparator());
}

} // namespace

Installation Installation::OfRunningProgram() {
    return Installation(QString::fromStdString(platform::ExecutableDir()));
}

Installation::Installation(QString programFolder) : m_programFolder(std::move(programFolder)) {}

QString Installation::inProgramFolder(const QString& name) const {
    return m_programFolder + separator() + name;
}

QString Installation::dataFolder() const {
    return inProgramFolder(QStringLiteral("Data"));
}

QString Installation::bootstrapFile() const {
    return dataFolder() + separator() + QStringLiteral("ZOR");
}

QString Installation::updateFolder() const {
    return inProgramFolder(QStringLiteral("tempZOR"));
}

QString Installation::updateDownload() const {
    return updateFolder() + separator() + QString::fromLatin1(ProgramName) + QStringLiteral(".exe");
}

QString Installation::updateScript() const {
    return inProgramFolder(QString::fromLatin1(ProgramName) + QStringLiteral(".bat"));
}
