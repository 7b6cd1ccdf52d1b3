#pragma once

#include <QString>

// Where the program's own files are: the program folder (the executable's folder) and the fixed
// names below it. Every path of the installation is built here, with the system's separators.
class Installation {
public:
    // The installation around the running executable.
    static Installation OfRunningProgram();

    // programFolder without a trailing separator.
    explicit Installation(QString programFolder);

    const QString& programFolder() const { return m_programFolder; }
    // "Data": the bootstrap file and the embedded databases.
    QString dataFolder() const;
    // "Data\ZOR", the scrambled bootstrap credentials.
    QString bootstrapFile() const;
    // "tempZOR", where an update downloads the new executable.
    QString updateFolder() const;
    // "tempZOR\ZOR 27.exe" (on Windows; the system's executable suffix elsewhere).
    QString updateDownload() const;
    // "ZOR 27.bat", the replacement script an update leaves beside the executable.
    QString updateScript() const;
    // "ZOR 27.sh", the replacement script's POSIX shell counterpart.
    QString updateShellScript() const;

    // A name inside the program folder.
    QString inProgramFolder(const QString& name) const;

    static constexpr const char* ProgramName = "ZOR 27";
    // The extension the system gives executables: ".exe" on Windows, none elsewhere.
    static QString executableSuffix();

private:
    QString m_programFolder;
};
